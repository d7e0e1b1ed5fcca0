// The data folder tree of the main window: the data folder's entries as nodes, and their commands.
#pragma once

#include "gui/shell/TreeNode.h"
#include "platform/files/DataFolder.h"

#include <QTreeWidget>
#include <memory>

class QAction;
class QMenu;

namespace zirko {

class TOpenFlights;
class TTreeDragFeedback;

class TDataTree : public QTreeWidget {
    Q_OBJECT
public:
    // The tree shows `folder`, opens its flights into `flights` and follows their closing.
    TDataTree(TOpenFlights& flights, TDataFolder& folder, QWidget* parent = nullptr);
    ~TDataTree() override;

    TDataFolder& Folder() const { return DataFolder; }

    // Empties the tree and builds it from the root data folder: the root node at once, the rest
    // once a thread has read the folders.
    void BuildTree();
    // A build is reading the data folder; a refresh asked for meanwhile follows it.
    bool IsBuilding() const;
    // Brings the tree in line with the disk, keeping existing nodes, links and expanded state.
    void RefreshTreeView();
    // After the root folder changed: closes every open flight and builds the tree anew.
    void ReloadDataDir();
    void ClearTreeView();
    // The full path of a node; empty for no node.
    QString GetFullName(const QTreeWidgetItem* node) const;
    // The flight of grid row `row` was closed and the rows below moved up.
    void CancelGridRowFlag(int row);
    // Puts a new path and name into an open-flights grid row (after a move or rename).
    void RenameGridRow(int row, const QString& fullPath);

    TTreeNode* RootNode() const;
    // The folder a drop at `pos` (viewport coordinates) would move into: a file stands for its
    // folder; nullptr over empty space.
    TTreeNode* DropTargetAt(const QPoint& pos) const;
    // The node at "Folder/Sub/Name" below the root (node texts), or nullptr.
    TTreeNode* FindNode(const QString& relativePath) const;
    // The file node of a flight file's full path, or nullptr when the tree does not show it.
    TTreeNode* NodeOfFile(const QString& path) const;
    // Every file node shows whether a flight read from its file is open, and names its row.
    void MarkOpenFlights();
    TTreeNode* SelectedNode() const;
    // A node's label is being edited in place.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // Position in the tree's flat list of nodes (pre-order), -1 for none.
    int AbsoluteIndex(const QTreeWidgetItem* node) const;
    TTreeNode* NodeAtAbsoluteIndex(int index) const;

    // The commands of the tree, its keys and its popup menu.
    void TreeView1DblClick();
    void mnuOpenClick();
    void mnuCloseFileClick();
    void mnuRenameClick();
    void mnuDeleteClick();
    void NewDirClick();
    // Ends an in-place edit of `node` with the typed text.
    void TreeView1Edited(TTreeNode* node, const QString& newText);
    // Moves the file or folder of `source` into the folder of `target` (a file stands for its
    // folder), as a drop does.
    void TreeView1DragDrop(TTreeNode* source, TTreeNode* target);

    int PopupTag = -1; // absolute index of the node the popup's commands act on

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    QMenu* PopupMenuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuCloseFile = nullptr;
    QAction* mnuRename = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* NewDir = nullptr;
    QAction* mnuRefresh = nullptr;
    QAction* Storno1 = nullptr;

    friend class TTreeEditDelegate;

    // Adds the entries the tree lacks below `rootNode`; `fresh` when nothing is below it yet.
    void AddEntries(const TFolderEntries& entries, TTreeNode* rootNode, bool fresh);
    void Built(const std::shared_ptr<const TFolderEntries>& entries);
    void CheckTreeExists(TTreeNode* node, const QString& path);
    bool Contains(const QTreeWidgetItem* node) const { return HoldsNode(*this, node); }
    void FollowOpenFlights(TTreeNode* branch);
    void CloseAllFlights();
    void StartEditing(TTreeNode* node);
    void CommitEdit(const QModelIndex& index, const QString& text);
    void ShowError(const QString& text);

    TOpenFlights& Flights;
    TDataFolder& DataFolder;
    TTreeDragFeedback* DragFeedback = nullptr;
    bool RefreshPending = false;
};

} // namespace zirko
