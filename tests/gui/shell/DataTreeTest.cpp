#include "gui/shell/DataTree.h"
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

class DataTreeTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        Data = Dir.path() + "/Data";
        QDir().mkpath(Data);
    }

    void TearDown() override
    {
        if (Form)
            Form->close();
        TMainWindowFixture::TearDown();
    }

    // A small valid flight file at `relative` below the data folder.
    void Flight(const QString& relative)
    {
        TDataBlock f;
        f.DateText = "08.12.2026";
        f.Sampling = 10;
        f.ChannelMask = 0x8000;
        f.Time = {0, 0.1, 0.2};
        f.Altitude = {1, 2, 3};
        WriteFlight("Data/" + relative, f);
    }

    void Folder(const QString& relative) { QDir().mkpath(Data + "/" + relative); }

    void Start()
    {
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Tree = Ui.TreeView1;
        ASSERT_NE(Tree, nullptr);
    }

    TTreeNode* Node(const QString& path) const { return Tree->FindNode(path); }

    QStringList Children(const QString& path = {}) const
    {
        QStringList texts;
        QTreeWidgetItem* node = path.isEmpty() ? Tree->RootNode() : Node(path);
        if (!node)
            return {"<no node " + path + ">"};
        for (int i = 0; i < node->childCount(); ++i)
            texts << node->child(i)->text(0);
        return texts;
    }

    QPoint At(QTreeWidgetItem* node) const
    {
        Tree->scrollToItem(node);
        return Tree->visualItemRect(node).center();
    }

    void Click(QTreeWidgetItem* node)
    {
        QTest::mouseClick(Tree->viewport(), Qt::LeftButton, {}, At(node));
    }

    void DoubleClick(QTreeWidgetItem* node)
    {
        const QPoint pos = At(node);
        QTest::mouseClick(Tree->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseDClick(Tree->viewport(), Qt::LeftButton, {}, pos);
    }

    // Right click on a node: the popup opens at the mouse.
    void Popup(QTreeWidgetItem* node)
    {
        const QPoint pos = At(node);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, Tree->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(Tree->viewport(), &event);
    }

    void Choose(QAction* action)
    {
        ASSERT_TRUE(Named<QMenu>(*Tree, "PopupMenuFile")->isVisible());
        ASSERT_TRUE(action->isVisible());
        QTest::qWait(20); // the headless platform activates the popup window late
        QTest::mouseClick(Named<QMenu>(*Tree, "PopupMenuFile"), Qt::LeftButton, {},
                          Named<QMenu>(*Tree, "PopupMenuFile")->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }

    // Types a new text into the label editor that is open and confirms it with Enter.
    void TypeName(const QString& text)
    {
        auto* editor = Tree->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        for (const QChar ch : text) { // one key press per character, accented ones too
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(editor, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(editor, &release);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    void Rename(QTreeWidgetItem* node, const QString& text)
    {
        Tree->setCurrentItem(node);
        Tree->setFocus();
        QTest::keyClick(Tree, Qt::Key_F2);
        ASSERT_TRUE(Tree->IsEditing());
        TypeName(text);
    }

    void Drop(QTreeWidgetItem* source, QTreeWidgetItem* target)
    {
        Click(source);
        QMimeData mime;
        mime.setData("application/x-zirko-tree-node", "0");
        const QPoint pos = At(target);
        QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(Tree->viewport(), &enter);
        QDragMoveEvent move(pos, Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(Tree->viewport(), &move);
        EXPECT_TRUE(move.isAccepted());
        QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(Tree->viewport(), &drop);
        QCoreApplication::processEvents();
    }

    QString GridPath(int row) const { return Ui.StringGrid1->Cell(kGridPathCol, row); }
    QString GridName(int row) const { return Ui.StringGrid1->Cell(kGridNameCol, row); }
    int Rows() const
    {
        return Ui.StringGrid1->isVisibleTo(Form.get()) ? Ui.StringGrid1->rowCount() : 0;
    }

    QString Data;
    TDataTree* Tree = nullptr;
};

} // namespace

TEST_F(DataTreeTest, BuildShowsEveryFolderAndOnlyFlightFilesInSiblingOrder)
{
    Flight("b.zdf");
    Folder("A");
    Folder("a2");
    Flight("a.b.zdf");
    Flight("X.ZDF");
    ASSERT_TRUE(WriteBytes(Data + "/notes.txt", "not a flight"));
    ASSERT_TRUE(WriteBytes(Data + "/a2/old.zdf.bak", "not a flight"));
    Folder("Empty/Deeper");
    Flight("A/Sub/deep.zdf");
    Start();

    TTreeNode* root = Tree->RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Tree->topLevelItemCount(), 1);
    EXPECT_EQ(root->text(0), "Data");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(root->ImageIndex(), kImageFolderOpen);
    EXPECT_EQ(Tree->GetFullName(root), Data);
    EXPECT_EQ(Children(), (QStringList{"A", "a2", "Empty", "a.b", "b", "X"}));
    EXPECT_EQ(Children("a2"), QStringList{});
    EXPECT_EQ(Children("Empty"), QStringList{"Deeper"});
    EXPECT_EQ(Children("A/Sub"), QStringList{"deep"});
    EXPECT_FALSE(Node("A")->isExpanded());
    EXPECT_EQ(Node("A")->ImageIndex(), kImageFolder);
    EXPECT_EQ(Node("b")->ImageIndex(), kImageFlight);
    EXPECT_EQ(Tree->GetFullName(Node("A/Sub/deep")), Data + "/A/Sub/deep.zdf");
    EXPECT_EQ(Tree->GetFullName(Node("a.b")), Data + "/a.b.zdf");
    // The node shows "X"; its path names the file as it is on disk.
    EXPECT_EQ(Tree->GetFullName(Node("X")), Data + "/X.ZDF");
    EXPECT_EQ(Node("X")->Data()->FileName, "X.ZDF");

    DoubleClick(Node("X"));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(GridPath(0), Data + "/X.ZDF");
    EXPECT_EQ(Node("X")->Data()->GridRow, 0);
    EXPECT_EQ(Node("X")->ImageIndex(), kImageFlightOpen);
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();

    // The hint of a node is its full path.
    const QPoint overB = At(Node("b"));
    QHelpEvent help(QEvent::ToolTip, overB, Tree->viewport()->mapToGlobal(overB));
    QApplication::sendEvent(Tree->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), Data + "/b.zdf");

    // Expanding a folder shows the open-folder image.
    Node("A")->setExpanded(true);
    EXPECT_EQ(Node("A")->ImageIndex(), kImageFolderOpen);
    Node("A")->setExpanded(false);
    EXPECT_EQ(Node("A")->ImageIndex(), kImageFolder);
}

TEST_F(DataTreeTest, EachRealFolderIsShownOnceWhateverLinksLeadToIt)
{
    Flight("A/a.zdf");
    ASSERT_TRUE(QFile::link(Data, Data + "/A/loop"));
    ASSERT_TRUE(QFile::link(Data + "/A", Data + "/back"));
    Folder("Outside");
    ASSERT_TRUE(QFile::link(Data + "/Outside", Data + "/A/elsewhere"));
    // A folder reached only through a link is shown there.
    Flight("../Elsewhere/e.zdf");
    ASSERT_TRUE(QFile::link(Dir.path() + "/Elsewhere", Data + "/A/linked"));
    // 16 levels of two links each to the next level: 65536 paths to 17 folders.
    for (int level = 0; level <= 16; ++level)
        Flight(QString("Store/L%1/f.zdf").arg(level));
    Folder("Top");
    for (int level = 0; level < 16; ++level) {
        const QString from = level == 0 ? Data + "/Top" : Data + QString("/Store/L%1").arg(level);
        const QString to = Data + QString("/Store/L%1").arg(level + 1);
        ASSERT_TRUE(QFile::link(to, from + "/a"));
        ASSERT_TRUE(QFile::link(to, from + "/b"));
    }
    Start();
    EXPECT_EQ(Children(), (QStringList{"A", "Outside", "Store", "Top"}));
    EXPECT_EQ(Children("A"), (QStringList{"linked", "a"}));
    EXPECT_EQ(Children("A/linked"), QStringList{"e"});
    EXPECT_EQ(Children("Top"), QStringList{});
    EXPECT_EQ(Children("Store/L16"), QStringList{"f"});
    int nodes = 0;
    for (QTreeWidgetItemIterator it(Tree); *it; ++it)
        ++nodes;
    // The root, A, a, linked, e, Outside, Top, Store and its 17 folders with a file each.
    EXPECT_EQ(nodes, 8 + 17 * 2);
    // A refresh finds nothing new on those paths either.
    Tree->RefreshTreeView();
    int again = 0;
    for (QTreeWidgetItemIterator it(Tree); *it; ++it)
        ++again;
    EXPECT_EQ(again, nodes);
}

TEST_F(DataTreeTest, TheTreeIsReadWithoutHoldingUpTheWindowAndStopsAtTheFolderLimit)
{
    for (int i = 0; i < 30; ++i)
        Flight(QString("F%1/Sub/f.zdf").arg(i, 2, 10, QChar('0')));
    Flight("top.zdf");
    Start();
    EXPECT_EQ(Children().size(), 31);
    EXPECT_TRUE(Dialogs->Log.isEmpty()) << Dialogs->Log.join("\n").toStdString();

    // The build returns at once with the root alone: the folders are read on a thread, and the
    // window goes on taking events until they are in.
    Tree->Folder().SetMaxFolders(20);
    Tree->BuildTree();
    EXPECT_TRUE(Tree->IsBuilding());
    ASSERT_NE(Tree->RootNode(), nullptr);
    EXPECT_EQ(Tree->RootNode()->childCount(), 0);
    ASSERT_TRUE(WaitForTree(*Form));
    // Breadth first up to the limit: the root and 19 folders of the first level, with the files
    // of all that were read, and a message that the rest was left out.
    EXPECT_EQ(Children().size(), 19 + 1);
    EXPECT_EQ(Children().last(), "top");
    EXPECT_EQ(Children("F00"), QStringList{});
    ASSERT_EQ(Dialogs->Log.size(), 1);
    EXPECT_EQ(Dialogs->Log[0], "info: The data folder " + Data +
                                   " holds more than 20 folders. The tree shows the first 20 of "
                                   "them.");
    // A second build while one is under way replaces it.
    Dialogs->Log.clear();
    Tree->Folder().SetMaxFolders(kMaxTreeFolders);
    Tree->BuildTree();
    Tree->BuildTree();
    ASSERT_TRUE(WaitForTree(*Form));
    EXPECT_EQ(Children().size(), 31);
    EXPECT_EQ(Children("F07"), QStringList{"Sub"});
    EXPECT_TRUE(Dialogs->Log.isEmpty());
}

TEST_F(DataTreeTest, DeletingClosesTheFlightsOfWhatGoesAfterAskingAndNamesItInTheStatusBar)
{
    Flight("Outing/s1.zdf");
    Flight("Outing/Deep/s2.zdf");
    Flight("keep.zdf");
    Start();
    Node("Outing")->setExpanded(true);
    Node("Outing/Deep")->setExpanded(true);
    DoubleClick(Node("keep"));
    DoubleClick(Node("Outing/s1"));
    DoubleClick(Node("Outing/Deep/s2"));
    ASSERT_EQ(Rows(), 3);
    Form->Flights->StoreNotes(2, "changed s2");
    Dialogs->Log.clear();

    // Cancel: nothing is closed and nothing goes.
    Dialogs->Answers = {TAnswer::Cancel};
    Tree->setCurrentItem(Node("Outing"));
    Tree->setFocus();
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_EQ(Dialogs->Log, QStringList{"ask (cancel): Do you want to save changes of " + Data +
                                        "/Outing/Deep/s2.zdf?"});
    EXPECT_EQ(Rows(), 3);
    EXPECT_TRUE(QFileInfo(Data + "/Outing").isDir());
    EXPECT_NE(Node("Outing"), nullptr);
    EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty());

    // Yes: saved, both flights of the folder closed, the folder in the trash.
    Dialogs->Answers = {TAnswer::Yes};
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_FALSE(QFileInfo::exists(Data + "/Outing"));
    EXPECT_EQ(Node("Outing"), nullptr);
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(GridName(0), "keep");
    EXPECT_EQ(Node("keep")->Data()->GridRow, 0);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Moved to the trash: " + Data + "/Outing");
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();
    // The changes went into the trash with the file.
    const QString trashed = QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files")
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .filter("Outing")
                                .value(0);
    ASSERT_FALSE(trashed.isEmpty());
    TDataBlock saved;
    ReadDataFile(QFile::encodeName(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/" +
                                   trashed + "/Deep/s2.zdf")
                     .toStdString(),
                 saved, 0);
    EXPECT_EQ(saved.Notes, "changed s2");

    // A single open file: closed, then gone.
    Dialogs->Log.clear();
    Tree->setCurrentItem(Node("keep"));
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(QFileInfo::exists(Data + "/keep.zdf"));
    EXPECT_TRUE(Dialogs->Log.isEmpty()) << Dialogs->Log.join("\n").toStdString();
    EXPECT_EQ(Form->statusBar()->currentMessage(), "Moved to the trash: " + Data + "/keep.zdf");
}

TEST_F(DataTreeTest, AFlightSavedUnderANewNameKeepsItsOpenMarkThere)
{
    Flight("f1.zdf");
    Start();
    DoubleClick(Node("f1"));
    ASSERT_EQ(Rows(), 1);
    Form->Flights->StoreNotes(0, "changed");
    // The file vanished behind the program's back; the save asks where to write it.
    ASSERT_TRUE(QFile::remove(Data + "/f1.zdf"));
    Dialogs->FileNames = {Data + "/f2.zdf"};
    Form->SaveCurrentFlight();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(GridName(0), "f2");
    EXPECT_EQ(GridPath(0), Data + "/f2.zdf");
    Tree->RefreshTreeView();
    EXPECT_EQ(Node("f1"), nullptr);
    ASSERT_NE(Node("f2"), nullptr);
    EXPECT_EQ(Node("f2")->Data()->GridRow, 0);
    EXPECT_EQ(Node("f2")->ImageIndex(), kImageFlightOpen);
    EXPECT_EQ(Rows(), 1); // the flight stayed open all along
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotAltitude)->Title(), "f2 (Alt)");
}

TEST_F(DataTreeTest, OpenAndCloseKeepTheTreeLinksInStepWithTheGrid)
{
    Flight("f1.zdf");
    Flight("f2.zdf");
    Flight("f3.zdf");
    Folder("Dir");
    Start();

    DoubleClick(Node("f1"));
    Click(Node("f2"));
    QTest::keyClick(Tree, Qt::Key_Return);
    Tree->setCurrentItem(Node("f3"));
    QTest::keyClick(Tree, Qt::Key_Enter);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Node("f1")->Data()->GridRow, 0);
    EXPECT_EQ(Node("f2")->Data()->GridRow, 1);
    EXPECT_EQ(Node("f3")->Data()->GridRow, 2);
    EXPECT_EQ(GridName(2), "f3");

    // Enter and a double click on a folder open nothing.
    Tree->setCurrentItem(Node("Dir"));
    QTest::keyClick(Tree, Qt::Key_Return);
    EXPECT_EQ(Rows(), 3);

    Form->Flights->CloseDataFile(0); // as the grid closes a row
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Node("f1")->Data()->GridRow, -1);
    EXPECT_EQ(Node("f1")->ImageIndex(), kImageFlight);
    EXPECT_EQ(Node("f2")->Data()->GridRow, 0);
    EXPECT_EQ(Node("f3")->Data()->GridRow, 1);
    EXPECT_EQ(Node("f3")->ImageIndex(), kImageFlightOpen);

    // A double click on an open flight closes it, and the other link moves up.
    DoubleClick(Node("f2"));
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(GridPath(0), Data + "/f3.zdf");
    EXPECT_EQ(Node("f3")->Data()->GridRow, 0);
    EXPECT_EQ(Node("f2")->ImageIndex(), kImageFlight);

    // A file that cannot be read stays closed and says so.
    ASSERT_TRUE(WriteBytes(Data + "/f1.zdf", "garbage"));
    DoubleClick(Node("f1"));
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Node("f1")->Data()->GridRow, -1);
    EXPECT_EQ(Node("f1")->ImageIndex(), kImageFlight);
    ASSERT_FALSE(Dialogs->Errors().isEmpty());
    EXPECT_EQ(Dialogs->Errors().last(), "Chyba při otevírání souboru!");
}

TEST_F(DataTreeTest, PopupOffersOpenOrCloseAsTheNodeIsAndNothingOnTheRoot)
{
    Flight("f1.zdf");
    Folder("Dir");
    Start();

    Popup(Tree->RootNode());
    EXPECT_FALSE(Named<QMenu>(*Tree, "PopupMenuFile")->isVisible());

    Popup(Node("Dir"));
    ASSERT_TRUE(Named<QMenu>(*Tree, "PopupMenuFile")->isVisible());
    EXPECT_FALSE(Named<QAction>(*Tree, "mnuOpen")->isVisible());
    EXPECT_FALSE(Named<QAction>(*Tree, "mnuCloseFile")->isVisible());
    EXPECT_TRUE(Named<QAction>(*Tree, "mnuRename")->isVisible());
    EXPECT_TRUE(Named<QAction>(*Tree, "Storno1")->isVisible());
    Named<QMenu>(*Tree, "PopupMenuFile")->hide();

    Popup(Node("f1"));
    EXPECT_EQ(Tree->SelectedNode(), Node("f1"));
    EXPECT_TRUE(Named<QAction>(*Tree, "mnuOpen")->isVisible());
    EXPECT_FALSE(Named<QAction>(*Tree, "mnuCloseFile")->isVisible());
    Choose(Named<QAction>(*Tree, "mnuOpen"));
    ASSERT_EQ(Rows(), 1);

    Popup(Node("f1"));
    EXPECT_FALSE(Named<QAction>(*Tree, "mnuOpen")->isVisible());
    EXPECT_TRUE(Named<QAction>(*Tree, "mnuCloseFile")->isVisible());
    Choose(Named<QAction>(*Tree, "mnuCloseFile"));
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Node("f1")->ImageIndex(), kImageFlight);
}

TEST_F(DataTreeTest, RenamingAFileRenamesItOnDiskAndInTheGrid)
{
    Flight("f1.zdf");
    Flight("f2.zdf");
    Flight("zz.zdf");
    Start();
    DoubleClick(Node("zz"));
    ASSERT_EQ(Rows(), 1);

    Rename(Node("zz"), "Aaa");
    ASSERT_NE(Node("Aaa"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(Data + "/Aaa.zdf"));
    EXPECT_FALSE(QFileInfo::exists(Data + "/zz.zdf"));
    EXPECT_EQ(Children(), (QStringList{"Aaa", "f1", "f2"})); // it took its sorted place
    EXPECT_EQ(Node("Aaa")->Data()->FileName, "Aaa.zdf");
    EXPECT_EQ(GridPath(0), Data + "/Aaa.zdf");
    EXPECT_EQ(GridName(0), "Aaa");
    // The chart's legend follows the new name.
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotAltitude)->Title(), "Aaa (Alt)");
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotAnnotation)->Title(), "Aaa (Annot)");
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();

    Rename(Node("f1"), "f2");
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_EQ(Dialogs->Errors().last(), "Soubor " + Data + "/f2.zdf už existuje!");
    EXPECT_NE(Node("f1"), nullptr);
    EXPECT_TRUE(QFileInfo::exists(Data + "/f1.zdf"));

    // A name that differs only in the case of the extension is the same name.
    Flight("Upper.ZDF");
    Tree->RefreshTreeView();
    Rename(Node("f1"), "Upper");
    EXPECT_EQ(Dialogs->Errors().last(), "Soubor " + Data + "/Upper.ZDF už existuje!");
    EXPECT_TRUE(QFileInfo(Data + "/f1.zdf").isFile());
    ASSERT_TRUE(QFile::remove(Data + "/Upper.ZDF"));
    Tree->RefreshTreeView();
    Dialogs->Log.clear();

    Rename(Node("f1"), "");
    EXPECT_NE(Node("f1"), nullptr);
    EXPECT_EQ(Dialogs->Errors().size(), 0);

    // Names that would move the file out of its folder are refused; nothing changes on disk.
    for (const QString bad : {"../f9", "sub/f9", ".", ".."}) {
        Rename(Node("f1"), bad);
        EXPECT_NE(Node("f1"), nullptr) << bad.toStdString();
        EXPECT_TRUE(Dialogs->Errors().last().contains("nelze použít")) << bad.toStdString();
    }
    EXPECT_EQ(QDir(Data).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"Aaa.zdf", "f1.zdf", "f2.zdf"}));
    EXPECT_FALSE(QFileInfo::exists(Dir.path() + "/f9.zdf"));
}

TEST_F(DataTreeTest, RenamingAFolderOrTheRootKeepsOpenFlightsPointingAtTheirFiles)
{
    Flight("Lety/Sub/a.zdf");
    Flight("Lety/b.zdf");
    Folder("Other");
    Start();
    Node("Lety")->setExpanded(true);
    Node("Lety/Sub")->setExpanded(true);
    DoubleClick(Node("Lety/Sub/a"));
    ASSERT_EQ(Rows(), 1);

    Rename(Node("Lety"), "Zavody");
    EXPECT_TRUE(QFileInfo(Data + "/Zavody/Sub/a.zdf").isFile());
    EXPECT_EQ(Children(), (QStringList{"Other", "Zavody"}));
    EXPECT_TRUE(Node("Zavody")->isExpanded());
    EXPECT_TRUE(Node("Zavody/Sub")->isExpanded());
    EXPECT_EQ(GridPath(0), Data + "/Zavody/Sub/a.zdf");
    EXPECT_EQ(Node("Zavody/Sub/a")->Data()->GridRow, 0);

    Rename(Node("Zavody"), "Other");
    EXPECT_EQ(Dialogs->Errors().last(), "Složka " + Data + "/Other už existuje!");

    // The root node renames the data folder itself.
    Rename(Tree->RootNode(), "Flights");
    const QString moved = Dir.path() + "/Flights";
    EXPECT_TRUE(QFileInfo(moved).isDir());
    EXPECT_FALSE(QFileInfo::exists(Data));
    EXPECT_EQ(Form->DataFolder->DataDir(), moved);
    EXPECT_EQ(Tree->RootNode()->text(0), "Flights");
    EXPECT_EQ(GridPath(0), moved + "/Zavody/Sub/a.zdf");
    EXPECT_EQ(Tree->GetFullName(Node("Zavody/b")), moved + "/Zavody/b.zdf");
    EXPECT_TRUE(Tree->Folder().WatchedFolders().contains(moved + "/Zavody/Sub"));
    EXPECT_FALSE(Tree->Folder().WatchedFolders().contains(Data));
}

TEST_F(DataTreeTest, DeleteMovesToTheTrashWithoutAskingAndClosesTheFlight)
{
    Flight("f1.zdf");
    Flight("f2.zdf");
    Flight("Dir/f3.zdf");
    Start();
    DoubleClick(Node("f1"));
    DoubleClick(Node("f2"));
    ASSERT_EQ(Rows(), 2);

    Popup(Node("f1"));
    Choose(Named<QAction>(*Tree, "mnuDelete"));
    EXPECT_EQ(Node("f1"), nullptr);
    EXPECT_FALSE(QFileInfo::exists(Data + "/f1.zdf"));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
    EXPECT_TRUE(QFileInfo(trash + "/f1.zdf").isFile());
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(GridPath(0), Data + "/f2.zdf");
    EXPECT_EQ(Node("f2")->Data()->GridRow, 0);
    for (const QString& line : Dialogs->Log)
        EXPECT_FALSE(line.startsWith("ask:")) << line.toStdString();
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();

    // The Delete key takes a whole folder.
    Click(Node("Dir"));
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_EQ(Node("Dir"), nullptr);
    EXPECT_TRUE(QFileInfo(trash + "/Dir/f3.zdf").isFile());
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();

    // The root node cannot be deleted.
    Click(Tree->RootNode());
    QTest::keyClick(Tree, Qt::Key_Delete);
    EXPECT_TRUE(QFileInfo(Data).isDir());
}

TEST_F(DataTreeTest, WithoutAUsableTrashNothingIsDeletedForGood)
{
    Flight("keep.zdf");
    Start();
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    ASSERT_TRUE(WriteBytes(Dir.path() + "/plainfile", "x"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Dir.path() + "/plainfile/share"));
    Click(Node("keep"));
    QTest::keyClick(Tree, Qt::Key_Delete);
    qputenv("XDG_DATA_HOME", dataHome);

    EXPECT_TRUE(QFileInfo(Data + "/keep.zdf").isFile());
    EXPECT_NE(Node("keep"), nullptr);
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_TRUE(Dialogs->Errors().last().startsWith("Chyba při odstraňování keep\rError="))
        << Dialogs->Errors().last().toStdString();
    EXPECT_FALSE(Dialogs->Errors().last().endsWith("Error=0"));
}

TEST_F(DataTreeTest, NewFolderTakesTheNextFreeNameAndIsNamedAtOnce)
{
    Folder("Lety/Nová složka");
    Folder("Lety/Nová složka (1)");
    Flight("Lety/f1.zdf");
    Start();
    Node("Lety")->setExpanded(true);

    Popup(Node("Lety/f1")); // a file stands for its folder
    Choose(Named<QAction>(*Tree, "NewDir"));
    EXPECT_TRUE(QFileInfo(Data + "/Lety/Nová složka (2)").isDir());
    TTreeNode* made = Node("Lety/Nová složka (2)");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->Data()->IsFolder);
    EXPECT_EQ(Tree->SelectedNode(), made);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Tree->IsEditing(); }, 2000));
    TypeName("Cvičení");
    EXPECT_TRUE(QFileInfo(Data + "/Lety/Cvičení").isDir());
    EXPECT_FALSE(QFileInfo::exists(Data + "/Lety/Nová složka (2)"));
    EXPECT_EQ(Children("Lety"), (QStringList{"Cvičení", "Nová složka", "Nová složka (1)", "f1"}));
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();
}

TEST_F(DataTreeTest, MovingFilesAndFoldersTakesTheOpenFlightLinksAlong)
{
    Flight("a.zdf");
    Flight("Src/in.zdf");
    Flight("Src/Deep/deep.zdf");
    Flight("Dst/x.zdf");
    Flight("Dst/a.zdf.zdf");
    Folder("Dst2");
    Start();
    DoubleClick(Node("a"));
    Node("Src")->setExpanded(true);
    Node("Src/Deep")->setExpanded(true);
    DoubleClick(Node("Src/Deep/deep"));
    ASSERT_EQ(Rows(), 2);

    // A file dropped on a file goes into that file's folder and stays open.
    Node("Dst")->setExpanded(true);
    Drop(Node("a"), Node("Dst/x"));
    EXPECT_TRUE(QFileInfo(Data + "/Dst/a.zdf").isFile());
    EXPECT_FALSE(QFileInfo::exists(Data + "/a.zdf"));
    ASSERT_NE(Node("Dst/a"), nullptr);
    EXPECT_EQ(Node("Dst/a")->Data()->GridRow, 0);
    EXPECT_EQ(Node("Dst/a")->ImageIndex(), kImageFlightOpen);
    EXPECT_EQ(GridPath(0), Data + "/Dst/a.zdf");
    EXPECT_EQ(Children("Dst"), (QStringList{"a", "a.zdf", "x"}));

    // A folder takes the links of every open file inside it.
    Drop(Node("Src"), Node("Dst2"));
    EXPECT_TRUE(QFileInfo(Data + "/Dst2/Src/Deep/deep.zdf").isFile());
    EXPECT_EQ(GridPath(1), Data + "/Dst2/Src/Deep/deep.zdf");
    EXPECT_EQ(GridName(1), "deep");
    ASSERT_NE(Node("Dst2/Src/Deep/deep"), nullptr);
    EXPECT_EQ(Node("Dst2/Src/Deep/deep")->Data()->GridRow, 1);
    EXPECT_TRUE(Node("Dst2/Src")->isExpanded());
    EXPECT_TRUE(Node("Dst2")->isExpanded());
    EXPECT_EQ(Tree->SelectedNode(), Node("Dst2/Src"));
    EXPECT_EQ(Node("Src"), nullptr);
    EXPECT_TRUE(Tree->Folder().WatchedFolders().contains(Data + "/Dst2/Src/Deep"));
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();

    // Nothing is overwritten.
    Flight("x.zdf");
    Tree->RefreshTreeView();
    Drop(Node("x"), Node("Dst"));
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_EQ(Dialogs->Errors().last(), "\"x\" již existuje v cílové složce!");
    EXPECT_TRUE(QFileInfo(Data + "/x.zdf").isFile());
    EXPECT_NE(Node("x"), nullptr);

    // The root node stays where it is.
    Drop(Tree->RootNode(), Node("Dst2"));
    EXPECT_TRUE(QFileInfo(Data).isDir());
    EXPECT_EQ(Dialogs->Errors().size(), 1);
}

TEST_F(DataTreeTest, RefreshFollowsTheDiskAndKeepsWhatIsStillThere)
{
    Flight("keep.zdf");
    Flight("gone.zdf");
    Flight("Dir/inner.zdf");
    Start();
    Node("Dir")->setExpanded(true);
    DoubleClick(Node("gone"));
    DoubleClick(Node("keep"));
    ASSERT_EQ(Rows(), 2);

    Form->DataFolder->SetNotifyEnabled(false); // only the explicit refresh below
    ASSERT_TRUE(QFile::remove(Data + "/gone.zdf"));
    Flight("Dir/added.zdf");
    Flight("New/Deeper/n.zdf");
    ASSERT_TRUE(QFile::remove(Data + "/Dir/inner.zdf"));
    Tree->setFocus();
    QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier); // File > Refresh
    Form->DataFolder->SetNotifyEnabled(true);

    EXPECT_EQ(Children(), (QStringList{"Dir", "New", "keep"}));
    EXPECT_EQ(Children("Dir"), QStringList{"added"});
    EXPECT_EQ(Children("New/Deeper"), QStringList{"n"});
    EXPECT_TRUE(Node("Dir")->isExpanded());
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(GridPath(0), Data + "/keep.zdf");
    EXPECT_EQ(Node("keep")->Data()->GridRow, 0);
    EXPECT_TRUE(Tree->Folder().WatchedFolders().contains(Data + "/New/Deeper"));

    // The root folder vanishes: every flight closes and the tree empties; it comes back whole.
    ASSERT_TRUE(QDir().rename(Data, Dir.path() + "/away"));
    Tree->RefreshTreeView();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Tree->topLevelItemCount(), 0);
    EXPECT_EQ(Tree->GetFullName(Tree->RootNode()), "");
    ASSERT_TRUE(QDir().rename(Dir.path() + "/away", Data));
    Tree->RefreshTreeView();
    ASSERT_TRUE(WaitForTree(*Form)); // built anew, on a thread as at the start
    EXPECT_EQ(Children(), (QStringList{"Dir", "New", "keep"}));
}

TEST_F(DataTreeTest, ChangesOnDiskRefreshTheTreeOnlyWhileNotificationsAreOn)
{
    Folder("Dir");
    Start();
    EXPECT_EQ(Tree->Folder().WatchedFolder(), Data);
    EXPECT_TRUE(Tree->Folder().WatchedFolders().contains(Data + "/Dir"));

    Form->DataFolder->SetNotifyEnabled(false);
    Flight("Dir/quiet.zdf");
    QTest::qWait(400);
    EXPECT_EQ(Children("Dir"), QStringList{});

    Form->DataFolder->SetNotifyEnabled(true);
    Flight("Dir/loud.zdf"); // a sub-folder: the watcher covers the whole tree
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return Children("Dir") == QStringList{"loud", "quiet"};
        },
        3000))
        << Children("Dir").join(",").toStdString();
}

TEST_F(DataTreeTest, DraggingNearTheEdgesScrollsTheTree)
{
    for (int i = 0; i < 80; ++i)
        Flight(QString("f%1.zdf").arg(i, 2, 10, QChar('0')));
    Start();
    QScrollBar* bar = Tree->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum() / 2);
    const int middle = bar->value();
    QMimeData mime;
    mime.setData("application/x-zirko-tree-node", "1");
    QDragEnterEvent enter(QPoint(20, 100), Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &enter);

    QDragMoveEvent top(QPoint(20, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &top);
    EXPECT_LT(bar->value(), middle);
    // It keeps scrolling while the pointer is held there.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->value() < middle - 2; }, 2000));

    QDragMoveEvent centre(QPoint(20, Tree->viewport()->height() / 2), Qt::MoveAction, &mime,
                          Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &centre);
    const int held = bar->value();
    QTest::qWait(300);
    EXPECT_EQ(bar->value(), held);

    QDragMoveEvent bottom(QPoint(20, Tree->viewport()->height() - 5), Qt::MoveAction, &mime,
                          Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &bottom);
    EXPECT_GT(bar->value(), held);
    QDragLeaveEvent leave;
    QApplication::sendEvent(Tree->viewport(), &leave);
}

TEST_F(DataTreeTest, EscWhileRenamingCancelsTheRenameOnly)
{
    Flight("f1.zdf");
    Start();
    Tree->setCurrentItem(Node("f1"));
    Tree->setFocus();
    QTest::keyClick(Tree, Qt::Key_F2);
    ASSERT_TRUE(Tree->IsEditing());
    auto* editor = Tree->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "renamed");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Tree->IsEditing());
    EXPECT_NE(Node("f1"), nullptr);
    EXPECT_TRUE(QFileInfo(Data + "/f1.zdf").isFile());
    EXPECT_TRUE(Dialogs->Log.isEmpty()) << Dialogs->Log.join("\n").toStdString();
    EXPECT_TRUE(Form->isVisible());
}

TEST_F(DataTreeTest, DraggingOverAFileHighlightsTheFolderItWouldGoInto)
{
    Flight("Dst/x.zdf");
    Flight("y.zdf");
    Start();
    Node("Dst")->setExpanded(true);
    QTest::qWait(20);
    const QRect folderRow = Tree->visualItemRect(Node("Dst"));
    const QImage before = Tree->viewport()->grab().toImage();
    QMimeData mime;
    mime.setData("application/x-zirko-tree-node", "3");
    const QPoint overFile = At(Node("Dst/x"));
    QDragEnterEvent enter(overFile, Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &enter);
    QDragMoveEvent move(overFile, Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(Tree->viewport(), &move);
    const QImage during = Tree->viewport()->grab().toImage();
    const QPoint probe(folderRow.right() - 3, folderRow.center().y());
    EXPECT_NE(during.pixel(probe), before.pixel(probe));
    const QPoint fileProbe(probe.x(), Tree->visualItemRect(Node("Dst/x")).center().y());
    EXPECT_EQ(during.pixel(fileProbe), before.pixel(fileProbe));

    QDragLeaveEvent leave;
    QApplication::sendEvent(Tree->viewport(), &leave);
    EXPECT_EQ(Tree->viewport()->grab().toImage().pixel(probe), before.pixel(probe));
}

TEST_F(DataTreeTest, ANewRootFolderClosesEveryFlightAndRebuilds)
{
    Flight("f1.zdf");
    QDir().mkpath(Dir.path() + "/Jinde/Sub");
    ASSERT_TRUE(WriteBytes(Dir.path() + "/Jinde/Sub/g.zdf", "x"));
    Start();
    DoubleClick(Node("f1"));
    ASSERT_EQ(Rows(), 1);

    Tree->RenameGridRow(3, Data + "/f1.zdf");
    EXPECT_EQ(Dialogs->Errors().last(),
              "Chyba při přejmenování seznamu otevřených souborů! Řádek neexistuje!");

    Form->DataFolder->SetDataDir(Dir.path() + "/Jinde");
    Tree->Folder().Watch(Form->DataFolder->DataDir());
    Tree->ReloadDataDir();
    ASSERT_TRUE(WaitForTree(*Form));
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Form->DataFolder->NotifyEnabled());
    EXPECT_EQ(Tree->RootNode()->text(0), "Jinde");
    EXPECT_EQ(Children(), QStringList{"Sub"});
    EXPECT_EQ(Children("Sub"), QStringList{"g"});
    EXPECT_TRUE(Tree->Folder().WatchedFolders().contains(Dir.path() + "/Jinde/Sub"));
    EXPECT_FALSE(Tree->Folder().WatchedFolders().contains(Data));
}
