// The nodes of the data folder tree: their records and images, and the paths they stand for.
#pragma once

#include <QList>
#include <QString>
#include <QTreeWidgetItem>
#include <memory>

class QTreeWidget;

namespace zirko {

// The record each node carries.
struct TNodeData {
    int GridRow = -1;      // open-flights grid row of this file's flight; -1 = not open
    bool IsFolder = false; // the root node and folders
    QString FileName;      // a file's whole name as stored on disk; a folder's name
};

// Indices of the node images.
inline constexpr int kImageFolder = 0;
inline constexpr int kImageFolderOpen = 1;
inline constexpr int kImageFlight = 2;
inline constexpr int kImageFlightOpen = 9;

class TTreeNode : public QTreeWidgetItem {
public:
    TTreeNode(const QString& text, std::unique_ptr<TNodeData> data);
    // A node of a folder or a flight file, with its record and its closed image.
    static TTreeNode* Make(const QString& text, bool isFolder, const QString& fileName);

    TNodeData* Data() const { return Record.get(); }
    std::unique_ptr<TNodeData> TakeData() { return std::move(Record); }
    int ImageIndex() const { return Image; }
    void SetImage(int image);

private:
    std::unique_ptr<TNodeData> Record;
    int Image = -1;
};

inline TTreeNode* AsNode(QTreeWidgetItem* item)
{
    return static_cast<TTreeNode*>(item);
}

inline const TTreeNode* AsNode(const QTreeWidgetItem* item)
{
    return static_cast<const TTreeNode*>(item);
}

// The path of `node` below the root node, whose folder is `rootPath`; a file node names its file
// as it is on disk ("X.ZDF" shows as "X").
QString NodePath(const QTreeWidgetItem* node, const QString& rootPath);
// The file node of `path` below `rootNode` (whose folder is `rootPath`), or nullptr.
TTreeNode* FileNodeOf(TTreeNode* rootNode, const QString& rootPath, const QString& path);
// The node at "Folder/Sub/Name" (node texts) below `rootNode`, or nullptr.
TTreeNode* NodeAtTexts(TTreeNode* rootNode, const QString& relativePath);

// Position in the tree's flat list of nodes (pre-order), -1 for none.
int PreorderIndex(const QTreeWidget& tree, const QTreeWidgetItem* node);
TTreeNode* NodeAtPreorder(const QTreeWidget& tree, int index);
bool HoldsNode(const QTreeWidget& tree, const QTreeWidgetItem* node);

// Folders before files, then the data folder's order of names.
bool NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b);
void InsertSorted(QTreeWidgetItem* parent, TTreeNode* node);
// Takes `node` to its sorted place among the children of `parent`, keeping its branch expanded
// as it was and the current node current.
void MoveNodeInto(QTreeWidget& tree, TTreeNode* node, QTreeWidgetItem* parent);

} // namespace zirko
