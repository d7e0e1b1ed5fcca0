#include "gui/shell/DataTree.h"

#include "core/shell/Assertion.h"
#include "core/shell/TreeNaming.h"
#include "gui/services/UserDialogs.h"
#include "gui/shell/TreeDragFeedback.h"
#include "model/flightdata/OpenFlights.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <stdexcept>

namespace zirko {

namespace {

constexpr const char* kUnit = "MainFrm";
constexpr const char* kNodeMime = "application/x-zirko-tree-node";

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace

// Hands a finished in-place edit to the tree, which decides what the node is called.
class TTreeEditDelegate : public QStyledItemDelegate {
public:
    explicit TTreeEditDelegate(TDataTree* tree) : QStyledItemDelegate(tree), Tree(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            Tree->CommitEdit(index, line->text());
    }

private:
    TDataTree* Tree;
};

TDataTree::TDataTree(TOpenFlights& flights, TDataFolder& folder, QWidget* parent)
    : QTreeWidget(parent), Flights(flights), DataFolder(folder)
{
    setObjectName("TreeView1");
    setColumnCount(1);
    setHeaderHidden(true);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAutoScroll(false); // dragging scrolls by its own rule, below
    setItemDelegate(new TTreeEditDelegate(this));

    PopupMenuFile = new QMenu(this);
    PopupMenuFile->setObjectName("PopupMenuFile");
    auto add = [this](const char* name, const char* caption, void (TDataTree::*slot)()) {
        QAction* action = PopupMenuFile->addAction(caption);
        action->setObjectName(name);
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        return action;
    };
    mnuOpen = add("mnuOpen", "Open Data", &TDataTree::mnuOpenClick);
    mnuCloseFile = add("mnuCloseFile", "Close Data", &TDataTree::mnuCloseFileClick);
    mnuRename = add("mnuRename", "Rename", &TDataTree::mnuRenameClick);
    mnuDelete = add("mnuDelete", "Delete", &TDataTree::mnuDeleteClick);
    NewDir = add("NewDir", "New Folder", &TDataTree::NewDirClick);
    mnuRefresh = add("mnuRefresh", "Refresh", &TDataTree::RefreshTreeView);
    PopupMenuFile->addSeparator();
    Storno1 = add("Storno1", "Cancel", nullptr);

    // Changes on disk, once they have settled, bring the tree in line.
    connect(&folder, &TDataFolder::DiskChanged, this, &TDataTree::RefreshTreeView);
    connect(&folder, &TDataFolder::Scanned, this, &TDataTree::Built);
    DragFeedback = new TTreeDragFeedback(this);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        const TNodeData* p = AsNode(item)->Data();
        if (p && p->IsFolder)
            AsNode(item)->SetImage(kImageFolderOpen);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        const TNodeData* p = AsNode(item)->Data();
        if (p && p->IsFolder)
            AsNode(item)->SetImage(kImageFolder);
    });
    connect(&flights, &TOpenFlights::FlightClosed, this, &TDataTree::CancelGridRowFlag);
    // However a flight was opened, renamed or saved under a new name, its file's node shows it.
    connect(&flights, &TOpenFlights::FlightOpened, this, &TDataTree::MarkOpenFlights);
    connect(&flights, &TOpenFlights::FlightRenamed, this, &TDataTree::MarkOpenFlights);
}

TDataTree::~TDataTree()
{
    DataFolder.StopScan();
}

bool TDataTree::IsBuilding() const
{
    return DataFolder.IsScanning();
}

void TDataTree::ShowError(const QString& text)
{
    Dialogs().ShowError(window(), text);
}

TTreeNode* TDataTree::RootNode() const
{
    return topLevelItemCount() > 0 ? AsNode(topLevelItem(0)) : nullptr;
}

TTreeNode* TDataTree::SelectedNode() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : AsNode(items.first());
}

int TDataTree::AbsoluteIndex(const QTreeWidgetItem* node) const
{
    return PreorderIndex(*this, node);
}

TTreeNode* TDataTree::NodeAtAbsoluteIndex(int index) const
{
    return NodeAtPreorder(*this, index);
}

TTreeNode* TDataTree::NodeOfFile(const QString& path) const
{
    return FileNodeOf(RootNode(), DataFolder.Root(), path);
}

void TDataTree::MarkOpenFlights()
{
    QHash<const QTreeWidgetItem*, int> open;
    for (int row = 0; row < Flights.FlightCount(); ++row)
        if (const TTreeNode* node = NodeOfFile(Flights.FileName(row)); node && !open.contains(node))
            open.insert(node, row);
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        TTreeNode* node = AsNode(*it);
        TNodeData* p = node->Data();
        if (!p || p->IsFolder)
            continue;
        p->GridRow = open.value(node, -1);
        node->SetImage(p->GridRow >= 0 ? kImageFlightOpen : kImageFlight);
    }
}

TTreeNode* TDataTree::FindNode(const QString& relativePath) const
{
    return NodeAtTexts(RootNode(), relativePath);
}

QString TDataTree::GetFullName(const QTreeWidgetItem* node) const
{
    if (!node)
        return {};
    if (!AsNode(node)->Data()) {
        ZIRKO_ASSERT(false, "P<>nil in GetFullName", kUnit);
        return {};
    }
    return NodePath(node, DataFolder.Root());
}

void TDataTree::AddEntries(const TFolderEntries& entries, TTreeNode* rootNode, bool fresh)
{
    const std::vector<TFolderEntry>& list = entries.Entries;
    if (list.empty())
        return;
    // New nodes are put together detached and attached at the end, a fresh tree's in one step;
    // the entries of a folder come in their sibling order, so they are only appended.
    std::vector<QTreeWidgetItem*> nodes(list.size(), nullptr);
    std::vector<bool> isNew(list.size(), fresh);
    nodes[0] = rootNode;
    isNew[0] = false;
    struct TKnown {
        QHash<QString, TTreeNode*> Folders;
        QSet<QString> Files;
    };
    QHash<const QTreeWidgetItem*, TKnown> known;
    QList<QTreeWidgetItem*> top;
    std::vector<std::pair<QTreeWidgetItem*, TTreeNode*>> branches;
    for (size_t i = 1; i < list.size(); ++i) {
        const TFolderEntry& entry = list[i];
        QTreeWidgetItem* parent = nodes[static_cast<size_t>(entry.Parent)];
        if (!parent)
            continue;
        const bool parentIsNew = isNew[static_cast<size_t>(entry.Parent)];
        if (!fresh && !parentIsNew) {
            auto found = known.find(parent);
            if (found == known.end()) {
                TKnown children;
                for (int k = 0; k < parent->childCount(); ++k) {
                    TTreeNode* child = AsNode(parent->child(k));
                    const TNodeData* p = child->Data();
                    if (!p)
                        ZIRKO_ASSERT(false, "P<>nil in IsInTN", kUnit);
                    else if (p->IsFolder)
                        children.Folders.insert(child->text(0), child);
                    else
                        children.Files.insert(p->FileName);
                }
                found = known.insert(parent, children);
            }
            if (TTreeNode* existing = entry.IsFolder ? found->Folders.value(entry.Text) : nullptr) {
                nodes[i] = existing;
                continue;
            }
            if (!entry.IsFolder && found->Files.contains(entry.Name))
                continue;
        }
        TTreeNode* node = TTreeNode::Make(entry.Text, entry.IsFolder, entry.Name);
        nodes[i] = node;
        isNew[i] = true;
        if (parentIsNew)
            parent->addChild(node);
        else if (fresh)
            top << node;
        else
            branches.emplace_back(parent, node);
    }
    for (const auto& [parent, branch] : branches)
        InsertSorted(parent, branch);
    rootNode->addChildren(top);
}

void TDataTree::BuildTree()
{
    DataFolder.StopScan();
    ClearTreeView();
    const QString rootText = FromUtf8(RootNodeText(Utf8(DataFolder.Root())));
    // The root shows at once; its folders and files follow once a thread has read them, so a
    // large data folder never holds up the window.
    addTopLevelItem(TTreeNode::Make(rootText, true, rootText));
    DataFolder.StartScan();
}

void TDataTree::Built(const std::shared_ptr<const TFolderEntries>& entries)
{
    TTreeNode* rootNode = RootNode();
    if (!rootNode)
        return;
    {
        TDataFolder::THold hold(DataFolder);
        setUpdatesEnabled(false);
        AddEntries(*entries, rootNode, true);
        rootNode->setExpanded(true);
        setUpdatesEnabled(true);
        MarkOpenFlights();
    }
    if (!entries->Complete && !entries->Entries.empty())
        Dialogs().ShowInformation(window(), DataFolder.LimitMessage());
    if (RefreshPending) {
        RefreshPending = false;
        RefreshTreeView();
    }
}

void TDataTree::CheckTreeExists(TTreeNode* node, const QString& path)
{
    // Children first; a child may be deleted, so the list is taken before any of them is.
    QList<TTreeNode*> children;
    for (int i = 0; i < node->childCount(); ++i)
        children << AsNode(node->child(i));
    const QString prefix = path.endsWith('/') ? path : path + '/';
    for (TTreeNode* child : children) {
        const TNodeData* c = child->Data();
        CheckTreeExists(child, prefix + (c && !c->IsFolder ? c->FileName : child->text(0)));
    }
    TNodeData* p = node->Data();
    if (!p)
        throw std::runtime_error("Invalid Pointer in CheckTreeExists");
    if (p->IsFolder) {
        if (!TDataFolder::Exists(path, true))
            delete node;
        return;
    }
    if (TDataFolder::Exists(path, false))
        return;
    if (p->GridRow >= 0)
        Flights.CloseDataFile(p->GridRow);
    delete node;
}

void TDataTree::RefreshTreeView()
{
    if (IsBuilding()) {
        RefreshPending = true; // the build under way is followed by a refresh
        return;
    }
    TWaitCursor wait;
    TDataFolder::THold hold(DataFolder);
    const QString root = DataFolder.Root();
    bool checked = false;
    try {
        if (TDataFolder::Exists(root, true)) {
            if (!RootNode()) {
                BuildTree(); // the root folder is back after it had vanished
                return;
            }
            CheckTreeExists(RootNode(), root);
            checked = true;
        } else {
            CloseAllFlights();
            ClearTreeView();
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
    const TFolderEntries entries = DataFolder.Read();
    if (TTreeNode* rootNode = RootNode(); rootNode && checked)
        AddEntries(entries, rootNode, false);
    MarkOpenFlights();
}

void TDataTree::CloseAllFlights()
{
    for (int row = Flights.FlightCount() - 1; row >= 0 && !Flights.Empty(); --row)
        Flights.CloseDataFile(row);
}

void TDataTree::ReloadDataDir()
{
    CloseAllFlights();
    ClearTreeView();
    BuildTree();
    DataFolder.SetNotifyEnabled(false);
    QApplication::processEvents();
    DataFolder.SetNotifyEnabled(true);
}

void TDataTree::ClearTreeView()
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        TTreeNode* node = AsNode(*it);
        if (!node->Data()) {
            ZIRKO_ASSERT(false, "P<>nil in ClearTreeView, Text=" + Utf8(node->text(0)), kUnit);
            continue;
        }
        node->TakeData();
    }
    clear();
}

void TDataTree::CancelGridRowFlag(int row)
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        TTreeNode* node = AsNode(*it);
        TNodeData* p = node->Data();
        if (!p) {
            ZIRKO_ASSERT(false, "P=nil FormMain.CancelGridRowFlag", kUnit);
            continue;
        }
        if (p->GridRow == row) {
            p->GridRow = -1;
            node->SetImage(kImageFlight);
        } else if (p->GridRow > row) {
            --p->GridRow;
        }
    }
}

void TDataTree::RenameGridRow(int row, const QString& fullPath)
{
    Flights.RenameFlight(row, fullPath);
}

void TDataTree::FollowOpenFlights(TTreeNode* branch)
{
    // Every new path is taken before the first rename is told: each rename marks the tree anew.
    std::vector<std::pair<int, QString>> moved;
    std::vector<const QTreeWidgetItem*> pending{branch};
    while (!pending.empty()) {
        const QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        const TNodeData* p = AsNode(node)->Data();
        if (p && !p->IsFolder && p->GridRow >= 0)
            moved.emplace_back(p->GridRow, GetFullName(node));
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
    for (const auto& [row, path] : moved)
        RenameGridRow(row, path);
}

// --- opening and closing ---------------------------------------------------------------------

void TDataTree::TreeView1DblClick()
{
    TTreeNode* node = SelectedNode();
    if (!node || node == RootNode())
        return;
    TNodeData* p = node->Data();
    if (!ZIRKO_ASSERT(p != nullptr, "P=nil FormMain.TreeView1DblClick", kUnit))
        return;
    if (p->IsFolder)
        return;
    TDataFolder::THold hold(DataFolder);
    if (p->GridRow < 0) {
        const int row = Flights.OpenDataFile(GetFullName(node));
        if (row < 0) {
            p->GridRow = -1;
            ShowError("Chyba při otevírání souboru!");
        } else {
            p->GridRow = row;
            node->SetImage(kImageFlightOpen);
        }
    } else {
        Flights.CloseDataFile(p->GridRow);
    }
}

void TDataTree::mnuOpenClick()
{
    TTreeNode* node = NodeAtAbsoluteIndex(PopupTag);
    if (!node)
        return;
    setCurrentItem(node);
    TreeView1DblClick();
}

void TDataTree::mnuCloseFileClick()
{
    TTreeNode* node = NodeAtAbsoluteIndex(PopupTag);
    if (!node || node == RootNode() || !node->Data())
        return;
    if (!ZIRKO_ASSERT(node->Data()->GridRow >= 0, "P^.GridRow>=0 in mnuCloseFileClick", kUnit))
        return;
    TDataFolder::THold hold(DataFolder);
    Flights.CloseDataFile(node->Data()->GridRow);
}

// --- popup menu and keys ---------------------------------------------------------------------

void TDataTree::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    QTreeWidgetItem* item = nullptr;
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        item = SelectedNode();
        if (item)
            globalPos = viewport()->mapToGlobal(visualItemRect(item).center());
    } else {
        item = itemAt(event->pos());
    }
    if (!item || item == RootNode())
        return;
    TTreeNode* node = AsNode(item);
    const TNodeData* p = node->Data();
    if (!ZIRKO_ASSERT(p != nullptr, "P=nil FormMain.TreeView1ContextPopup", kUnit))
        return;
    PopupTag = AbsoluteIndex(node);
    setCurrentItem(node);
    mnuOpen->setVisible(!p->IsFolder && p->GridRow < 0);
    mnuCloseFile->setVisible(!p->IsFolder && p->GridRow >= 0);
    for (QAction* always : {mnuRename, mnuDelete, NewDir, mnuRefresh, Storno1})
        always->setVisible(true);
    PopupMenuFile->popup(globalPos);
}

bool TDataTree::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (QTreeWidgetItem* item = itemAt(help->pos()))
            QToolTip::showText(help->globalPos(), QDir::toNativeSeparators(GetFullName(item)),
                               viewport(), visualItemRect(item));
        else
            QToolTip::hideText();
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}

void TDataTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        TreeView1DblClick();
}

void TDataTree::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !IsEditing()) {
        if (SelectedNode())
            TreeView1DblClick();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TDataTree::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat() && !IsEditing()) {
        TTreeNode* node = SelectedNode();
        if (node && node != RootNode() && node->Data()) {
            PopupTag = AbsoluteIndex(node);
            mnuDeleteClick();
        }
        event->accept();
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

// --- rename ------------------------------------------------------------------------------------

void TDataTree::mnuRenameClick()
{
    TTreeNode* node = NodeAtAbsoluteIndex(PopupTag);
    if (!node || node == RootNode())
        return;
    StartEditing(node);
}

void TDataTree::StartEditing(TTreeNode* node)
{
    setCurrentItem(node);
    scrollToItem(node);
    // Opened once the popup menu has closed and given the focus back, which would otherwise end
    // the edit at once.
    QMetaObject::invokeMethod(
        this,
        [this, node] {
            if (Contains(node)) {
                setFocus();
                editItem(node, 0);
            }
        },
        Qt::QueuedConnection);
}

void TDataTree::CommitEdit(const QModelIndex& index, const QString& text)
{
    TTreeNode* node = AsNode(itemFromIndex(index));
    if (!node)
        return;
    // Handled once the editor has closed: a message box shown from inside the editor's commit
    // would take its focus and commit it a second time.
    QMetaObject::invokeMethod(
        this,
        [this, node, text] {
            if (Contains(node))
                TreeView1Edited(node, text);
        },
        Qt::QueuedConnection);
}

void TDataTree::TreeView1Edited(TTreeNode* node, const QString& newText)
{
    if (!node || newText.isEmpty())
        return;
    const QString oldText = node->text(0);
    TNodeData* p = node->Data();
    if (!p) {
        ZIRKO_ASSERT(false, "P=nil FormMain.TreeView1Edited", kUnit);
        ShowError("Erpor by Renaming " + oldText + " Empty data!");
        return;
    }
    if (newText == oldText)
        return;
    const QString oldPath = GetFullName(node);
    if (oldPath.isEmpty()) {
        ShowError("Erpor by Renaming " + oldText + " Full name not found!");
        return;
    }
    TDataFolder::THold hold(DataFolder);
    const TFolderChange change = DataFolder.Rename(oldPath, p->IsFolder, newText);
    if (!change.Ok) {
        if (!change.Message.isEmpty())
            ShowError(change.Message);
        return;
    }
    node->setText(0, newText);
    p->FileName = change.NewName;
    if (node != RootNode())
        MoveNodeInto(*this, node, node->parent());
    // Open flights inside a renamed folder keep pointing at their files.
    FollowOpenFlights(node);
}

// --- delete and new folder ---------------------------------------------------------------------

void TDataTree::mnuDeleteClick()
{
    TTreeNode* node = NodeAtAbsoluteIndex(PopupTag);
    if (!node || node == RootNode())
        return;
    const QString text = node->text(0);
    TNodeData* p = node->Data();
    if (!p) {
        ZIRKO_ASSERT(false, "P=nil FormMain.mnuDeleteClick ", kUnit);
        ShowError("Chyba při odstraňování " + text + "\rData=nil");
        return;
    }
    TDataFolder::THold hold(DataFolder);
    const QString path = GetFullName(node);
    // Flights read from what goes are closed first, as closing them does; a Cancel keeps
    // everything, and so does a save that failed.
    const TFolderChange change = DataFolder.Trash(path, p->IsFolder, [&] {
        const std::vector<int> rows = Flights.RowsOfFilesIn(path);
        return (rows.empty() || Flights.CloseFlightsForRemoval(rows)) && Contains(node);
    });
    if (change.Ok) {
        delete node;
        return;
    }
    if (!change.Message.isEmpty())
        ShowError(change.Message);
    if (change.Stale)
        RefreshTreeView();
}

void TDataTree::NewDirClick()
{
    TTreeNode* node = NodeAtAbsoluteIndex(PopupTag);
    if (!node)
        return;
    const TNodeData* p = node->Data();
    if (!ZIRKO_ASSERT(p != nullptr, "P=nil FormMain.mnuNewDir", kUnit))
        return;
    TTreeNode* folder = p->IsFolder ? node : AsNode(node->parent());
    if (!folder)
        return;
    const TFolderChange change = DataFolder.MakeFolder(GetFullName(folder));
    if (!change.Ok) {
        ShowError(change.Message);
        return;
    }
    TTreeNode* child = TTreeNode::Make(change.NewName, true, change.NewName);
    InsertSorted(folder, child);
    folder->setExpanded(true);
    StartEditing(child);
}

// --- drag and drop ----------------------------------------------------------------------------

void TDataTree::startDrag(Qt::DropActions)
{
    TTreeNode* node = SelectedNode();
    if (!node || node == RootNode())
        return;
    auto* mime = new QMimeData;
    mime->setData(kNodeMime, QByteArray::number(AbsoluteIndex(node)));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(node->icon(0).pixmap(16, 16));
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    DragFeedback->Ended();
}

void TDataTree::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasFormat(kNodeMime)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void TDataTree::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasFormat(kNodeMime)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    TTreeNode* folder = DropTargetAt(event->position().toPoint());
    DragFeedback->Moved(event->position().toPoint().y(),
                        folder ? indexFromItem(folder) : QModelIndex());
}

TTreeNode* TDataTree::DropTargetAt(const QPoint& pos) const
{
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return nullptr;
    const TNodeData* p = AsNode(item)->Data();
    if (p && !p->IsFolder)
        item = item->parent();
    return item ? AsNode(item) : nullptr;
}

void TDataTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const
{
    const bool target = DragFeedback->IsTarget(index);
    if (target)
        DragFeedback->PaintBelow(painter, option);
    QTreeWidget::drawRow(painter, option, index);
    if (target)
        DragFeedback->PaintAbove(painter, option);
}

void TDataTree::dragLeaveEvent(QDragLeaveEvent* event)
{
    DragFeedback->Ended();
    event->accept();
}

void TDataTree::dropEvent(QDropEvent* event)
{
    DragFeedback->Ended();
    if (!event->mimeData()->hasFormat(kNodeMime)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    TTreeNode* source = SelectedNode();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    // Moved once the drag has ended, so that messages do not appear inside the drag.
    QMetaObject::invokeMethod(
        this,
        [this, source, target] {
            if (source && target && Contains(source) && Contains(target))
                TreeView1DragDrop(source, AsNode(target));
        },
        Qt::QueuedConnection);
}

void TDataTree::TreeView1DragDrop(TTreeNode* source, TTreeNode* target)
{
    if (!source || source == RootNode() || !target)
        return;
    TNodeData* p = source->Data();
    if (!ZIRKO_ASSERT(p != nullptr, "P=nil FormMain.TreeView1DragDrop", kUnit))
        return;
    TTreeNode* folder = target;
    if (target->Data() && !target->Data()->IsFolder)
        folder = AsNode(target->parent());
    if (!folder)
        return;
    TDataFolder::THold hold(DataFolder);
    const TFolderChange change =
        DataFolder.Move(GetFullName(source), p->IsFolder, GetFullName(folder));
    if (!change.Ok) {
        if (!change.Message.isEmpty())
            ShowError(change.Message);
        if (change.Stale)
            RefreshTreeView();
        return;
    }
    MoveNodeInto(*this, source, folder);
    FollowOpenFlights(source);
    // The moved item stays selected, in sight in its new folder.
    folder->setExpanded(true);
    setCurrentItem(source);
    scrollToItem(source);
}

} // namespace zirko
