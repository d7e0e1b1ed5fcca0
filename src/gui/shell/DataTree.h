// The data folder tree of the main window: every folder and flight file under the root data folder.
#pragma once

#include "core/shell/FolderScan.h"

#include <QCollator>
#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class QAction;
class QFileSystemWatcher;
class QMenu;
class QTimer;

namespace zirko {

class TOpenFlights;

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

    TNodeData* Data() const { return Record.get(); }
    std::unique_ptr<TNodeData> TakeData() { return std::move(Record); }
    int ImageIndex() const { return Image; }

private:
    friend class TDataTree;
    std::unique_ptr<TNodeData> Record;
    int Image = -1;
};

class TDataTree : public QTreeWidget {
    Q_OBJECT
public:
    // The tree opens its flights into `flights` and follows their closing.
    explicit TDataTree(TOpenFlights& flights, QWidget* parent = nullptr);
    ~TDataTree() override;

    // The root data folder.
    QString DataDir;
    // Off while the program itself changes the data folder, so the watcher's notifications for
    // those changes refresh nothing.
    bool NotifyEnabled = false;
    // The main window has been shown: the watcher's notifications may refresh the tree.
    void FormShown() { FormReady = true; }

    // Empties the tree and builds it from DataDir: the root node at once, the rest once a thread
    // has read the folders (TreeBuilt).
    void BuildTree();
    // A build is reading the data folder; a refresh asked for meanwhile follows it.
    bool IsBuilding() const { return Building; }
    // The most folders the tree reads; a larger data folder is shown as far as it was read.
    size_t MaxFolders = kMaxTreeFolders;
    // Brings the tree in line with the disk, keeping existing nodes, links and expanded state.
    void RefreshTreeView();
    // After DataDir changed: closes every open flight and builds the tree anew.
    void ReloadDataDir();
    void ClearTreeView();
    // The full path of a node; empty for no node.
    QString GetFullName(const QTreeWidgetItem* node) const;
    // The flight of grid row `row` was closed and the rows below moved up.
    void CancelGridRowFlag(int row);
    // Puts a new path and name into an open-flights grid row (after a move or rename).
    void RenameGridRow(int row, const QString& fullPath);

    // Watches `folder` and every folder below it for entries that appear, vanish or are renamed.
    void WatchFolder(const QString& folder);
    QString WatchedFolder() const { return WatchRoot; }
    QStringList WatchedFolders() const;

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

    QMenu* PopupMenuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuCloseFile = nullptr;
    QAction* mnuRename = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* NewDir = nullptr;
    QAction* mnuRefresh = nullptr;
    QAction* Storno1 = nullptr;
    int PopupTag = -1; // absolute index of the node the popup's commands act on

    static constexpr int kScrollBand = 20; // pixels at the top and bottom that scroll a drag

signals:
    // A file or folder of the tree went to the trash.
    void Trashed(const QString& path);
    // A build has put every folder and file it read into the tree.
    void TreeBuilt();
    // Files or folders of the data folder changed: on disk (after the watcher's pause), or by a
    // rename, move or delete of the tree, or a refresh found what changed.
    void FilesChanged();

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
    friend class TTreeEditDelegate;

    TTreeNode* NewNode(const QString& text, bool isFolder, const QString& fileName);
    void SetImage(TTreeNode* node, int image);
    QString RootPath() const;
    // Adds the folders and files of `scan` that the tree lacks below `rootNode`; `fresh` when
    // nothing is below it yet.
    void AddScanned(const TFolderScan& scan, TTreeNode* rootNode, bool fresh);
    void ScanDone(quint64 generation, const TFolderScan& scan);
    // Ends a scan under way; what it found is dropped.
    void StopScan();
    // A child of `parent` of that text and kind (the same test as when matching the disk).
    const TTreeNode* Twin(const QTreeWidgetItem* parent, const QString& text, bool isFolder) const;
    void CheckTreeExists(TTreeNode* node, const QString& path);
    bool NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const;
    void SortBranch(QTreeWidgetItem* node);
    void InsertSorted(QTreeWidgetItem* parent, TTreeNode* node);
    void Reposition(TTreeNode* node);
    bool Contains(const QTreeWidgetItem* node) const;
    void FollowOpenFlights(TTreeNode* branch);
    void CloseAllFlights();
    void StartEditing(TTreeNode* node);
    void CommitEdit(const QModelIndex& index, const QString& text);
    void ShowError(const QString& text);
    void FolderChanged();
    bool NotificationsWanted() const;
    void SyncWatcher();
    void DragScroll();

    TOpenFlights& Flights;
    std::array<QIcon, 10> Images;
    QCollator Collator;
    QFileSystemWatcher* Watcher = nullptr;
    QTimer* NotifyTimer = nullptr;
    QTimer* ScrollTimer = nullptr;
    QString WatchRoot;
    std::thread ScanThread;
    std::atomic<bool> ScanCancel{false};
    quint64 ScanGeneration = 0; // the build whose result the tree waits for
    bool Building = false;
    bool RefreshPending = false;
    QPersistentModelIndex DropFolder; // the folder a drop would go into, highlighted
    int DragY = -1;
    int Busy = 0;           // a tree operation is running: notifications wait for its end
    bool FormReady = false; // the main window has been shown once
    bool Quitting = false;
};

} // namespace zirko
