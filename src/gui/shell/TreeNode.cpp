#include "gui/shell/TreeNode.h"

#include "platform/files/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <array>

namespace zirko {

namespace {

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

const QIcon& NodeIcon(int image)
{
    static const std::array<QIcon, 10> icons = [] {
        std::array<QIcon, 10> made;
        QStyle* style = QApplication::style();
        made[kImageFolder] = style->standardIcon(QStyle::SP_DirClosedIcon);
        made[kImageFolderOpen] = style->standardIcon(QStyle::SP_DirOpenIcon);
        made[kImageFlight] = style->standardIcon(QStyle::SP_FileIcon);
        made[kImageFlightOpen] = OpenFlightIcon(made[kImageFlight]);
        return made;
    }();
    return icons[static_cast<size_t>(image)];
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

TTreeNode::TTreeNode(const QString& text, std::unique_ptr<TNodeData> data) : Record(std::move(data))
{
    setText(0, text);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
             Qt::ItemIsDropEnabled);
}

TTreeNode* TTreeNode::Make(const QString& text, bool isFolder, const QString& fileName)
{
    auto data = std::make_unique<TNodeData>();
    data->GridRow = -1;
    data->IsFolder = isFolder;
    data->FileName = fileName;
    auto* node = new TTreeNode(text, std::move(data));
    node->SetImage(isFolder ? kImageFolder : kImageFlight);
    return node;
}

void TTreeNode::SetImage(int image)
{
    if (Image == image)
        return;
    Image = image;
    setIcon(0, NodeIcon(image));
}

QString NodePath(const QTreeWidgetItem* node, const QString& rootPath)
{
    const TNodeData* p = AsNode(node)->Data();
    QStringList parts;
    for (const QTreeWidgetItem* n = node; n->parent(); n = n->parent())
        parts.prepend(n == node && p && !p->IsFolder && !p->FileName.isEmpty() ? p->FileName
                                                                               : n->text(0));
    QString path = rootPath;
    if (!parts.isEmpty()) {
        if (!path.endsWith('/'))
            path += '/';
        path += parts.join('/');
    }
    return path;
}

TTreeNode* FileNodeOf(TTreeNode* rootNode, const QString& rootPath, const QString& path)
{
    QTreeWidgetItem* node = rootNode;
    if (!node || path.isEmpty())
        return nullptr;
    const QString relative = QDir(rootPath).relativeFilePath(QDir::cleanPath(path));
    if (relative == ".." || relative.startsWith("../") || QDir::isAbsolutePath(relative))
        return nullptr;
    const QStringList parts = relative.split('/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size() && node; ++i) {
        const bool file = i == parts.size() - 1;
        QTreeWidgetItem* next = nullptr;
        for (int k = 0; k < node->childCount() && !next; ++k) {
            const TTreeNode* child = AsNode(node->child(k));
            const TNodeData* p = child->Data();
            if (p && p->IsFolder != file && (file ? p->FileName : child->text(0)) == parts[i])
                next = node->child(k);
        }
        node = next;
    }
    return node && node != rootNode ? AsNode(node) : nullptr;
}

TTreeNode* NodeAtTexts(TTreeNode* rootNode, const QString& relativePath)
{
    QTreeWidgetItem* node = rootNode;
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

int PreorderIndex(const QTreeWidget& tree, const QTreeWidgetItem* node)
{
    if (!node)
        return -1;
    int index = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it, ++index)
        if (*it == node)
            return index;
    return -1;
}

TTreeNode* NodeAtPreorder(const QTreeWidget& tree, int index)
{
    if (index < 0)
        return nullptr;
    QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree));
    for (int i = 0; *it && i < index; ++i)
        ++it;
    return *it ? AsNode(*it) : nullptr;
}

bool HoldsNode(const QTreeWidget& tree, const QTreeWidgetItem* node)
{
    return node && PreorderIndex(tree, node) >= 0;
}

bool NodeLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    const TNodeData* pa = AsNode(a)->Data();
    const TNodeData* pb = AsNode(b)->Data();
    const bool both = pa && pb;
    return TDataFolder::SiblingLess(both && pa->IsFolder, a->text(0), both && pb->IsFolder,
                                    b->text(0));
}

void InsertSorted(QTreeWidgetItem* parent, TTreeNode* node)
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

void MoveNodeInto(QTreeWidget& tree, TTreeNode* node, QTreeWidgetItem* parent)
{
    const bool wasCurrent = tree.currentItem() == node;
    const QList<QTreeWidgetItem*> expanded = ExpandedIn(node);
    if (node->parent())
        node->parent()->removeChild(node);
    InsertSorted(parent, node);
    for (QTreeWidgetItem* item : expanded)
        item->setExpanded(true);
    if (wasCurrent)
        tree.setCurrentItem(node);
}

} // namespace zirko
