#include "gui/shell/DataTree.h"

#include "core/flightdata/FlightText.h"
#include "core/shell/Assertion.h"
#include "core/shell/FolderScan.h"
#include "core/shell/TreeNaming.h"
#include "gui/services/UserDialogs.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/TreeFiles.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <stdexcept>

namespace zirko {

namespace {

constexpr const char* kUnit = "MainFrm";
constexpr const char* kNodeMime = "application/x-zirko-tree-node";
// A burst of changes (a download writes many files) refreshes the tree once.
constexpr int kNotifyDelayMs = 100;
constexpr int kScrollRepeatMs = 80;
constexpr qsizetype kMaxWalkedFolders = static_cast<qsizetype>(kMaxTreeFolders);

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

TTreeNode* AsNode(QTreeWidgetItem* item)
{
    return static_cast<TTreeNode*>(item);
}

const TTreeNode* AsNode(const QTreeWidgetItem* item)
{
    return static_cast<const TTreeNode*>(item);
}

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Counts the tree operations running; change notifications wait until none is.
class TBusy {
public:
    explicit TBusy(int& counter) : Counter(counter) { ++Counter; }
    ~TBusy() { --Counter; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    int& Counter;
};

// The tree's own file operations must not come back to it as change notifications.
class TNotifyOff {
public:
    explicit TNotifyOff(bool& notifyEnabled) : Flag(notifyEnabled), Was(notifyEnabled)
    {
        Flag = false;
    }
    ~TNotifyOff() { Flag = Was; }
    TNotifyOff(const TNotifyOff&) = delete;
    TNotifyOff& operator=(const TNotifyOff&) = delete;

private:
    bool& Flag;
    bool Was;
};

QIcon OpenFlightIcon(const QIcon& fileIcon)
{
    QPixmap pixmap = fileIcon.pixmap(16, 16);
    if (pixmap.isNull()) {
        pixmap = QPixmap(16, 16);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(QColor(0, 150, 0));
    painter.drawEllipse(QRectF(7.5, 7.5, 8, 8));
    return QIcon(pixmap);
}

QList<QTreeWidgetItem*> ExpandedIn(QTreeWidgetItem* branch)
{
    QList<QTreeWidgetItem*> expanded;
    if (branch->isExpanded())
        expanded << branch;
    for (int i = 0; i < branch->childCount(); ++i)
        expanded << ExpandedIn(branch->child(i));
    return expanded;
}

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

TTreeNode::TTreeNode(const QString& text, std::unique_ptr<TNodeData> data) : Record(std::move(data))
{
    setText(0, text);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
             Qt::ItemIsDropEnabled);
}

TDataTree::TDataTree(TOpenFlights& flights, QWidget* parent) : QTreeWidget(parent), Flights(flights)
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
    Collator.setCaseSensitivity(Qt::CaseInsensitive);

    Images[kImageFolder] = style()->standardIcon(QStyle::SP_DirClosedIcon);
    Images[kImageFolderOpen] = style()->standardIcon(QStyle::SP_DirOpenIcon);
    Images[kImageFlight] = style()->standardIcon(QStyle::SP_FileIcon);
    Images[kImageFlightOpen] = OpenFlightIcon(Images[kImageFlight]);

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

    Watcher = new QFileSystemWatcher(this);
    connect(Watcher, &QFileSystemWatcher::directoryChanged, this, &TDataTree::FolderChanged);
    NotifyTimer = new QTimer(this);
    NotifyTimer->setSingleShot(true);
    NotifyTimer->setInterval(kNotifyDelayMs);
    connect(NotifyTimer, &QTimer::timeout, this, [this] {
        if (Quitting || QCoreApplication::closingDown())
            return;
        if (!NotifyEnabled || Busy > 0 || Building) {
            NotifyTimer->start(); // one of our own operations is running: look again later
            return;
        }
        RefreshTreeView();
    });
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(kScrollRepeatMs);
    connect(ScrollTimer, &QTimer::timeout, this, &TDataTree::DragScroll);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        const TNodeData* p = AsNode(item)->Data();
        if (p && p->IsFolder)
            SetImage(AsNode(item), kImageFolderOpen);
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        const TNodeData* p = AsNode(item)->Data();
        if (p && p->IsFolder)
            SetImage(AsNode(item), kImageFolder);
    });
    connect(&flights, &TOpenFlights::FlightClosed, this, &TDataTree::CancelGridRowFlag);
    // However a flight was opened, renamed or saved under a new name, its file's node shows it.
    connect(&flights, &TOpenFlights::FlightOpened, this, &TDataTree::MarkOpenFlights);
    connect(&flights, &TOpenFlights::FlightRenamed, this, &TDataTree::MarkOpenFlights);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { Quitting = true; });
}

TDataTree::~TDataTree()
{
    Quitting = true;
    StopScan();
}

void TDataTree::ShowError(const QString& text)
{
    Dialogs().ShowError(window(), text);
}

TTreeNode* TDataTree::NewNode(const QString& text, bool isFolder, const QString& fileName)
{
    auto data = std::make_unique<TNodeData>();
    data->GridRow = -1;
    data->IsFolder = isFolder;
    data->FileName = fileName;
    auto* node = new TTreeNode(text, std::move(data));
    SetImage(node, isFolder ? kImageFolder : kImageFlight);
    return node;
}

void TDataTree::SetImage(TTreeNode* node, int image)
{
    if (node->Image == image)
        return;
    node->Image = image;
    node->setIcon(0, Images[static_cast<size_t>(image)]);
}

QString TDataTree::RootPath() const
{
    return FromUtf8(WithoutTrailingSeparator(Utf8(DataDir)));
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
    if (!node)
        return -1;
    int index = 0;
    for (QTreeWidgetItemIterator it(const_cast<TDataTree*>(this)); *it; ++it, ++index)
        if (*it == node)
            return index;
    return -1;
}

TTreeNode* TDataTree::NodeAtAbsoluteIndex(int index) const
{
    if (index < 0)
        return nullptr;
    QTreeWidgetItemIterator it(const_cast<TDataTree*>(this));
    for (int i = 0; *it && i < index; ++i)
        ++it;
    return *it ? AsNode(*it) : nullptr;
}

bool TDataTree::Contains(const QTreeWidgetItem* node) const
{
    for (QTreeWidgetItemIterator it(const_cast<TDataTree*>(this)); *it; ++it)
        if (*it == node)
            return true;
    return false;
}

TTreeNode* TDataTree::NodeOfFile(const QString& path) const
{
    QTreeWidgetItem* node = RootNode();
    if (!node || path.isEmpty())
        return nullptr;
    const QString relative = QDir(RootPath()).relativeFilePath(QDir::cleanPath(path));
    if (relative == ".." || relative.startsWith("../") || QDir::isAbsolutePath(relative))
        return nullptr;
    const QStringList parts = relative.split('/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size() && node; ++i) {
        const bool file = i == parts.size() - 1;
        QTreeWidgetItem* next = nullptr;
        for (int k = 0; k < node->childCount() && !next; ++k) {
            const TTreeNode* child = AsNode(node->child(k));
            const TNodeData* p = child->Data();
            // A file node names its file as it is on disk ("X.ZDF" shows as "X").
            if (p && p->IsFolder != file && (file ? p->FileName : child->text(0)) == parts[i])
                next = node->child(k);
        }
        node = next;
    }
    return node && node != RootNode() ? AsNode(node) : nullptr;
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
        SetImage(node, p->GridRow >= 0 ? kImageFlightOpen : kImageFlight);
    }
}

TTreeNode* TDataTree::FindNode(const QString& relativePath) const
{
    QTreeWidgetItem* node = RootNode();
    const QStringList parts = relativePath.split('/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!node)
            return nullptr;
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (node->child(i)->text(0) == part)
                next = node->child(i);
        node = next;
    }
    return node ? AsNode(node) : nullptr;
}

QString TDataTree::GetFullName(const QTreeWidgetItem* node) const
{
    if (!node)
        return {};
    const TNodeData* p = AsNode(node)->Data();
    if (!p) {
        ZIRKO_ASSERT(false, "P<>nil in GetFullName", kUnit);
        return {};
    }
    QStringList parts;
    for (const QTreeWidgetItem* n = node; n->parent(); n = n->parent()) {
        // A file node names its file as it is on disk ("X.ZDF" shows as "X").
        parts.prepend(n == node && !p->IsFolder && !p->FileName.isEmpty() ? p->FileName
                                                                          : n->text(0));
    }
    QString path = RootPath();
    if (!parts.isEmpty()) {
        if (!path.endsWith('/'))
            path += '/';
        path += parts.join('/');
    }
    return path;
}

bool TDataTree::NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const
{
    const TNodeData* pa = AsNode(a)->Data();
    const TNodeData* pb = AsNode(b)->Data();
    const bool both = pa && pb;
    return CompareSiblings(both && pa->IsFolder, a->text(0), both && pb->IsFolder, b->text(0),
                           [this](const QString& x, const QString& y) {
                               const int c = Collator.compare(x, y);
                               return c != 0 ? c : QString::compare(x, y);
                           }) < 0;
}

void TDataTree::SortBranch(QTreeWidgetItem* node)
{
    QList<QTreeWidgetItem*> children = node->takeChildren();
    std::stable_sort(
        children.begin(), children.end(),
        [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return NodeLess(a, b); });
    for (QTreeWidgetItem* child : children)
        if (child->childCount() > 0)
            SortBranch(child);
    node->addChildren(children);
}

void TDataTree::InsertSorted(QTreeWidgetItem* parent, TTreeNode* node)
{
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (NodeLess(parent->child(mid), node))
            low = mid + 1;
        else
            high = mid;
    }
    parent->insertChild(low, node);
}

void TDataTree::Reposition(TTreeNode* node)
{
    QTreeWidgetItem* parent = node->parent();
    if (!parent)
        return;
    const bool wasCurrent = currentItem() == node;
    const QList<QTreeWidgetItem*> expanded = ExpandedIn(node);
    parent->removeChild(node);
    InsertSorted(parent, node);
    for (QTreeWidgetItem* item : expanded)
        item->setExpanded(true);
    if (wasCurrent)
        setCurrentItem(node);
}

void TDataTree::AddScanned(const TFolderScan& scan, TTreeNode* rootNode, bool fresh)
{
    const size_t count = scan.Folders.size();
    if (count == 0)
        return;
    std::vector<std::vector<size_t>> subfolders(count);
    for (size_t i = 1; i < count; ++i)
        subfolders[static_cast<size_t>(scan.Folders[i].Parent)].push_back(i);
    // A fresh tree is built detached, sorted once and attached in one step; so is every folder
    // that a refresh finds new, below its place in the tree.
    QTreeWidgetItem holder;
    std::vector<QTreeWidgetItem*> nodes(count, nullptr);
    std::vector<bool> detached(count, fresh);
    std::vector<std::pair<QTreeWidgetItem*, TTreeNode*>> newBranches;
    nodes[0] = fresh ? &holder : rootNode;
    for (size_t i = 0; i < count; ++i) {
        QTreeWidgetItem* parent = nodes[i];
        if (!parent)
            continue;
        QHash<QString, TTreeNode*> folders;
        QSet<QString> files;
        if (!detached[i]) {
            for (int k = 0; k < parent->childCount(); ++k) {
                TTreeNode* child = AsNode(parent->child(k));
                const TNodeData* p = child->Data();
                if (!p) {
                    ZIRKO_ASSERT(false, "P<>nil in IsInTN", kUnit);
                    continue;
                }
                if (p->IsFolder)
                    folders.insert(child->text(0), child);
                else
                    files.insert(p->FileName);
            }
        }
        for (const std::string& file : scan.Folders[i].Files) {
            const QString name = QFile::decodeName(QByteArray::fromStdString(file));
            if (files.contains(name))
                continue;
            TTreeNode* node = NewNode(FromUtf8(FlightNodeText(Utf8(name))), false, name);
            if (detached[i])
                parent->addChild(node);
            else
                InsertSorted(parent, node);
        }
        for (size_t k : subfolders[i]) {
            const QString name = QFile::decodeName(QByteArray::fromStdString(scan.Folders[k].Name));
            if (TTreeNode* existing = folders.value(name)) {
                nodes[k] = existing;
                continue;
            }
            TTreeNode* node = NewNode(name, true, name);
            nodes[k] = node;
            detached[k] = true;
            if (detached[i])
                parent->addChild(node);
            else
                newBranches.emplace_back(parent, node);
        }
    }
    for (const auto& [parent, branch] : newBranches) {
        SortBranch(branch);
        InsertSorted(parent, branch);
    }
    if (fresh) {
        SortBranch(&holder);
        rootNode->addChildren(holder.takeChildren());
    }
}

void TDataTree::BuildTree()
{
    StopScan();
    const QString root = RootPath();
    ClearTreeView();
    const QString rootText = FromUtf8(RootNodeText(Utf8(root)));
    // The root shows at once; its folders and files follow once a thread has read them, so a
    // large data folder never holds up the window.
    addTopLevelItem(NewNode(rootText, true, rootText));
    Building = true;
    const quint64 generation = ++ScanGeneration;
    ScanCancel.store(false);
    const std::string path = QFile::encodeName(root).toStdString();
    const size_t limit = MaxFolders;
    ScanThread = std::thread([this, path, limit, generation] {
        auto scan = std::make_shared<const TFolderScan>(ScanFolderTree(path, limit, &ScanCancel));
        // The tree waits for this thread before it goes, so it is still there to be told.
        QMetaObject::invokeMethod(
            this, [this, scan, generation] { ScanDone(generation, *scan); }, Qt::QueuedConnection);
    });
}

void TDataTree::StopScan()
{
    ScanCancel.store(true);
    if (ScanThread.joinable())
        ScanThread.join();
    ++ScanGeneration; // what the stopped scan posted is for a tree that is gone
    Building = false;
}

void TDataTree::ScanDone(quint64 generation, const TFolderScan& scan)
{
    if (generation != ScanGeneration)
        return;
    if (ScanThread.joinable())
        ScanThread.join(); // it has nothing left to do but end
    Building = false;
    TTreeNode* rootNode = RootNode();
    if (!rootNode)
        return;
    {
        TBusy busy(Busy);
        setUpdatesEnabled(false);
        AddScanned(scan, rootNode, true);
        rootNode->setExpanded(true);
        setUpdatesEnabled(true);
        MarkOpenFlights();
        SyncWatcher();
    }
    emit TreeBuilt();
    if (!scan.Complete && !scan.Folders.empty())
        Dialogs().ShowInformation(window(), "The data folder " +
                                                QDir::toNativeSeparators(RootPath()) +
                                                " holds more than " + QString::number(MaxFolders) +
                                                " folders. The tree shows the first " +
                                                QString::number(MaxFolders) + " of them.");
    if (RefreshPending) {
        RefreshPending = false;
        RefreshTreeView();
    }
}

const TTreeNode* TDataTree::Twin(const QTreeWidgetItem* parent, const QString& text,
                                 bool isFolder) const
{
    if (!parent)
        return nullptr;
    for (int i = 0; i < parent->childCount(); ++i) {
        const TTreeNode* child = AsNode(parent->child(i));
        if (child->text(0) == text && child->Data() && child->Data()->IsFolder == isFolder)
            return child;
    }
    return nullptr;
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
        if (!QFileInfo(path).isDir())
            delete node;
        return;
    }
    if (QFileInfo::exists(path))
        return;
    if (p->GridRow >= 0)
        Flights.CloseDataFile(p->GridRow);
    delete node;
}

void TDataTree::RefreshTreeView()
{
    if (Building) {
        RefreshPending = true; // the build under way is followed by a refresh
        return;
    }
    TWaitCursor wait;
    TBusy busy(Busy);
    const QString root = RootPath();
    try {
        if (QFileInfo(root).isDir()) {
            if (!RootNode()) {
                BuildTree(); // the root folder is back after it had vanished
                return;
            }
            CheckTreeExists(RootNode(), root);
            if (TTreeNode* rootNode = RootNode())
                AddScanned(ScanFolderTree(QFile::encodeName(root).toStdString(), MaxFolders),
                           rootNode, false);
        } else {
            CloseAllFlights();
            ClearTreeView();
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
    MarkOpenFlights();
    SyncWatcher();
    emit FilesChanged();
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
    NotifyEnabled = false;
    QApplication::processEvents();
    NotifyEnabled = true;
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
            SetImage(node, kImageFlight);
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
    TBusy busy(Busy);
    if (p->GridRow < 0) {
        const int row = Flights.OpenDataFile(GetFullName(node));
        if (row < 0) {
            p->GridRow = -1;
            ShowError("Chyba při otevírání souboru!");
        } else {
            p->GridRow = row;
            SetImage(node, kImageFlightOpen);
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
    TBusy busy(Busy);
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
    const TNameCheck check = CheckNodeName(Utf8(newText));
    if (!check.Ok) {
        ShowError(FromUtf8(check.Message));
        return;
    }
    const QString newPath = FromUtf8(RenamedPath(Utf8(oldPath), Utf8(newText), !p->IsFolder));
    if (p->IsFolder && QFileInfo(newPath).isDir()) {
        ShowError("Složka " + newPath + " už existuje!");
        return;
    }
    if (!p->IsFolder && QFileInfo(newPath).isFile()) {
        ShowError("Soubor " + newPath + " už existuje!");
        return;
    }
    // "X.ZDF" beside a new "X.zdf" would show two nodes of the same name.
    if (const TTreeNode* twin = Twin(node->parent(), newText, p->IsFolder); twin && twin != node) {
        ShowError((p->IsFolder ? "Složka " : "Soubor ") + GetFullName(twin) + " už existuje!");
        return;
    }
    TBusy busy(Busy);
    TFileResult result;
    {
        TNotifyOff off(NotifyEnabled);
        result = RenameItem(oldPath, newPath);
        if (result.Ok) {
            const bool isRoot = node == RootNode();
            const QString oldRoot = RootPath();
            node->setText(0, newText);
            p->FileName = p->IsFolder ? newText : newText + FromUtf8(std::string(kFlightExtension));
            if (isRoot) {
                DataDir = newPath;
                if (WatchRoot == oldRoot)
                    WatchRoot = newPath;
            } else {
                Reposition(node);
            }
            // Open flights inside a renamed folder keep pointing at their files.
            FollowOpenFlights(node);
            SyncWatcher();
        }
    }
    if (result.Ok)
        emit FilesChanged();
    if (!result.Ok)
        ShowError("Can not rename file \r" + oldPath + "\r to \r" + newPath +
                  "\rErorr#=" + QString::number(result.Error));
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
    TBusy busy(Busy);
    const QString path = GetFullName(node);
    // Flights read from what goes are closed first, as closing them does; a Cancel keeps
    // everything, and so does a save that failed.
    const std::vector<int> rows = Flights.RowsOfFilesIn(path);
    if (!rows.empty() && !Flights.CloseFlightsForRemoval(rows))
        return;
    if (!Contains(node))
        return;
    {
        TNotifyOff off(NotifyEnabled);
        try {
            TFileResult result;
            {
                TWaitCursor wait;
                result = RecycleFile(path);
            }
            if (result.Ok) {
                delete node;
                SyncWatcher();
                emit Trashed(path);
                emit FilesChanged();
            } else {
                ShowError("Chyba při odstraňování " + text +
                          "\rError=" + QString::number(result.Error));
                RefreshTreeView();
            }
        } catch (...) {
            ShowError("Chyba při odstraňování " + text);
            RefreshTreeView();
        }
    }
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
    const QString parentPath = GetFullName(folder);
    const QString name = FromUtf8(NewFolderName([&parentPath](const std::string& candidate) {
        const QString path = parentPath + '/' + FromUtf8(candidate);
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    }));
    const QString path = parentPath + '/' + name;
    bool made = false;
    {
        TNotifyOff off(NotifyEnabled);
        made = QDir().mkdir(path);
    }
    if (!made) {
        ShowError("Složku \"" + path + "\" nelze vytvořit!");
        return;
    }
    TTreeNode* child = NewNode(name, true, name);
    InsertSorted(folder, child);
    folder->setExpanded(true);
    SyncWatcher();
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
    ScrollTimer->stop();
    DropFolder = QPersistentModelIndex();
    viewport()->update();
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
    DragY = event->position().toPoint().y();
    TTreeNode* folder = DropTargetAt(event->position().toPoint());
    const QModelIndex target = folder ? indexFromItem(folder) : QModelIndex();
    if (DropFolder != target) {
        DropFolder = target;
        viewport()->update();
    }
    const bool inBand = DragY < kScrollBand || DragY > viewport()->height() - kScrollBand;
    if (!inBand) {
        ScrollTimer->stop();
    } else if (!ScrollTimer->isActive()) {
        DragScroll();
        ScrollTimer->start();
    }
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
    if (!DropFolder.isValid() || index != DropFolder) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(60);
    painter->fillRect(option.rect, fill);
    QTreeWidget::drawRow(painter, option, index);
    painter->save();
    painter->setPen(palette().color(QPalette::Highlight));
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void TDataTree::DragScroll()
{
    if (DragY < 0) {
        ScrollTimer->stop();
        return;
    }
    if (DragY < kScrollBand)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (DragY > viewport()->height() - kScrollBand)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        ScrollTimer->stop();
}

void TDataTree::dragLeaveEvent(QDragLeaveEvent* event)
{
    ScrollTimer->stop();
    DragY = -1;
    DropFolder = QPersistentModelIndex();
    viewport()->update();
    event->accept();
}

void TDataTree::dropEvent(QDropEvent* event)
{
    ScrollTimer->stop();
    DragY = -1;
    DropFolder = QPersistentModelIndex();
    viewport()->update();
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
    const QString targetPath = FromUtf8(WithoutTrailingSeparator(Utf8(GetFullName(folder))));
    if (!QFileInfo(targetPath).isDir()) {
        ShowError("Cílová složka nenalezena! " + targetPath);
        return;
    }
    const QString destination = targetPath + '/' + p->FileName;
    const QString sourcePath = GetFullName(source);
    if (!QFileInfo::exists(sourcePath)) {
        ShowError(p->IsFolder ? "Zdrojová složka nenalezena! " + sourcePath
                              : "Zdrojový soubor nenalezen! " + sourcePath);
        return;
    }
    // Dropped where it already is, or on itself: nothing to move.
    if (folder == source || folder == source->parent())
        return;
    if (Twin(folder, source->text(0), p->IsFolder)) {
        ShowError("\"" + source->text(0) + "\" již existuje v cílové složce!");
        return;
    }
    TBusy busy(Busy);
    TFileResult result;
    {
        TNotifyOff off(NotifyEnabled);
        result = MoveItem(sourcePath, destination);
        if (result.Ok) {
            const QList<QTreeWidgetItem*> expanded = ExpandedIn(source);
            source->parent()->removeChild(source);
            InsertSorted(folder, source);
            for (QTreeWidgetItem* item : expanded)
                item->setExpanded(true);
            FollowOpenFlights(source);
            // The moved item stays selected, in sight in its new folder.
            folder->setExpanded(true);
            setCurrentItem(source);
            scrollToItem(source);
            SyncWatcher();
        }
    }
    if (result.Ok)
        emit FilesChanged();
    if (!result.Ok) {
        if (result.AlreadyExists()) {
            ShowError("\"" + source->text(0) + "\" již existuje v cílové složce!");
        } else {
            ShowError("Chyba při přesouvání \"\r" + sourcePath + "\" do \"\r" + destination +
                      "! \rErorr:" + QString::number(result.Error));
            RefreshTreeView();
        }
    }
}

// --- change notification ----------------------------------------------------------------------

void TDataTree::WatchFolder(const QString& folder)
{
    WatchRoot = FromUtf8(WithoutTrailingSeparator(Utf8(folder)));
    SyncWatcher();
}

QStringList TDataTree::WatchedFolders() const
{
    return Watcher->directories();
}

void TDataTree::SyncWatcher()
{
    QSet<QString> wanted;
    if (!WatchRoot.isEmpty()) {
        if (WatchRoot == RootPath()) {
            // The tree's own folders; while it is being read, they follow when it is done.
            for (QTreeWidgetItemIterator it(this); *it && !Building; ++it) {
                const TNodeData* p = AsNode(*it)->Data();
                if (p && p->IsFolder)
                    wanted.insert(GetFullName(*it));
            }
        } else if (QFileInfo(WatchRoot).isDir()) {
            wanted.insert(WatchRoot);
            QDirIterator it(WatchRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            // A folder chosen elsewhere (a whole disk, say) must not stall the program.
            while (it.hasNext() && wanted.size() < kMaxWalkedFolders)
                wanted.insert(it.next());
        }
    }
    const QStringList current = Watcher->directories();
    QStringList gone;
    for (const QString& dir : current)
        if (!wanted.remove(dir))
            gone << dir;
    if (!gone.isEmpty())
        Watcher->removePaths(gone);
    QStringList added;
    for (const QString& dir : std::as_const(wanted))
        if (QFileInfo(dir).isDir())
            added << dir;
    if (!added.isEmpty())
        Watcher->addPaths(added);
}

bool TDataTree::NotificationsWanted() const
{
    return NotifyEnabled && FormReady && !Quitting && !QCoreApplication::closingDown();
}

void TDataTree::FolderChanged()
{
    if (NotificationsWanted())
        NotifyTimer->start();
}

} // namespace zirko
