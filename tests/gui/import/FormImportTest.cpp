// File > Import flights... and files dropped on the main window: the preview, the choice of
// columns remembered per layout, the files written into the data folder and shown in the tree.
#include "gui/import/FormImport.h"
#include "core/app/IniFile.h"
#include "core/import/ImportPlan.h"
#include "gui/shell/DataTree.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"
#include "platform/files/SettingsFile.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// The import dialog's controls, found by their object names.
struct TImportControls {
    const QObject& Window;
    QTreeWidget* ListFlights = Named<QTreeWidget>(Window, "ListFlights");
    QLabel* LabelFile = Named<QLabel>(Window, "LabelFile");
    QComboBox* ComboAltitude = Named<QComboBox>(Window, "ComboAltitude");
    QComboBox* ComboServo = Named<QComboBox>(Window, "ComboServo");
    QComboBox* ComboVoltage = Named<QComboBox>(Window, "ComboVoltage");
    QLabel* LabelCount = Named<QLabel>(Window, "LabelCount");
    QPushButton* ButtonImport = Named<QPushButton>(Window, "ButtonImport");
};

const QString kImportData = QString::fromUtf8(ZIRKO_TEST_DATA_DIR) + "/import/";

class FormImportTest : public TMainWindowFixture {
protected:
    // Opens File > Import flights... with the mouse.
    void ClickImportMenu()
    {
        QMenuBar* bar = Form->menuBar();
        QAction* fileMenu = bar->actions().front();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fileMenu).center());
        QMenu* menu = fileMenu->menu();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(Ui.mnuImport).center());
    }
    static QStringList Column(const TFormImport& f, int column)
    {
        const TImportControls c{f};
        QStringList texts;
        for (int i = 0; i < c.ListFlights->topLevelItemCount(); ++i)
            texts << c.ListFlights->topLevelItem(i)->text(column);
        return texts;
    }
    static void Pick(QComboBox* box, const QString& text)
    {
        // Down arrows from the top, as a user steps through the box.
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < box->count() && box->currentText() != text; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        ASSERT_EQ(box->currentText(), text);
    }
    TIniFile Stored() const
    {
        return LoadIniFile(Paths.SettingsFile.toStdString()).value_or(TIniFile());
    }
};

TEST_F(FormImportTest, TheMenuPreviewsTheFlightsAndWritesThemWithTheColumnsChosen)
{
    StartForm();
    Dialogs->OpenFileLists.push_back({kImportData + "Glider-2024-05-18.csv"});
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormImport&>(d);
        const TImportControls c{f};
        d.show();
        EXPECT_EQ(Column(f, 1), (QStringList{"2024-05-18 10:15:02", "2024-05-18 10:33:40",
                                             "2024-05-18 23:59:50"}));
        EXPECT_EQ(Column(f, 3), (QStringList{"88", "50", "38"}));
        EXPECT_EQ(c.ListFlights->topLevelItem(0)->text(4),
                  "altitude Alt(m), servo Thr, voltage RxBt(V)");
        EXPECT_EQ(c.ComboServo->currentText(), "Automatic");
        EXPECT_EQ(c.LabelCount->text(), "3 flights to import");
        Pick(c.ComboServo, "CH3(us)");
        Pick(c.ComboVoltage, "(none)");
        EXPECT_EQ(c.ListFlights->topLevelItem(2)->text(4), "altitude Alt(m), servo CH3(us)");
        QTest::mouseClick(c.ButtonImport, Qt::LeftButton);
        return d.result();
    });
    ClickImportMenu();

    const QString folder = Dir.path() + "/Imported/";
    for (const char* name :
         {"Glider-2024-05-18_001", "Glider-2024-05-18_002", "Glider-2024-05-18_003"}) {
        EXPECT_TRUE(QFile::exists(folder + name + ".zdf")) << name;
        EXPECT_NE(Ui.TreeView1->FindNode(QString("Imported/") + name), nullptr) << name;
    }
    TDataBlock written;
    ASSERT_EQ(ReadDataFile((folder + "Glider-2024-05-18_001.zdf").toStdString(), written, 0).Status,
              TReadStatus::Ok);
    EXPECT_EQ(written.ChannelMask, 0xC000);
    EXPECT_NEAR(written.Rx.front(), -500 / 5.12, 0.005); // CH3 at 1000 us while the motor is off
    // Without voltage, the row that missed only the voltage is read.
    EXPECT_EQ(Dialogs->Log.back().toStdString(),
              "info: 3 flights imported from Glider-2024-05-18.csv. 4 rows could not be read and "
              "were skipped.");

    // The choice is kept for this layout and offered again.
    const TIniFile ini = Stored();
    const auto layout =
        std::string("Date,Time,1RSS(dB),2RSS(dB),RQly(%),RSNR(dB),ANT,RFMD,TPWR(mW),"
                    "TRSS(dB),TQly(%),TSNR(dB),RxBt(V),Curr(A),Capa(mAh),Bat%(%),"
                    "VSpd(m/s),Alt(m),GPS,GSpd(kmh),Hdg(@),Sats,Rud,Ele,Thr,Ail,S1,"
                    "6P,S2,LS,RS,SA,SB,SC,SD,SE,SF,SG,SH,CH1(us),CH2(us),CH3(us),"
                    "CH4(us),LSW,TxBat(V)");
    const auto kept = ReadImportChoice(ini, layout);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(FormatColumnChoice(*kept), "servo=CH3(us),voltage=");
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormImport&>(d);
        const TImportControls c{f};
        EXPECT_EQ(c.ComboServo->currentText(), "CH3(us)");
        EXPECT_EQ(c.ComboVoltage->currentText(), "(none)");
        return int(QDialog::Rejected);
    });
    Form->ImportFlights({kImportData + "Glider-2024-05-18.csv"});
    EXPECT_FALSE(QFile::exists(folder + "Glider-2024-05-18_004.zdf"));
}

TEST_F(FormImportTest, DroppedFilesOpenOrImportAndRefusedOnesAreListedWithTheirReason)
{
    StartForm();
    TDataBlock flight;
    flight.DateText = "d";
    flight.ChannelMask = 0x8000;
    flight.Time = {0, 0.1};
    flight.Altitude = {1, 2};
    const QString zdf = WriteFlight("Mine.zdf", flight);
    // A file already where the import would write keeps its content; the import takes the next.
    QDir().mkpath(Dir.path() + "/Imported");
    const QString taken = WriteFlight("Imported/evening-flight001.zdf", flight);
    const QByteArray before = [&] {
        QFile file(taken);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    Dialogs->DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormImport&>(d);
        const TImportControls c{f};
        d.show();
        EXPECT_EQ(Column(f, 0), (QStringList{"evening-flight.igc", "locale-comma.csv"}));
        EXPECT_EQ(c.ListFlights->topLevelItem(0)->text(2), "4 min 36.0 sec");
        EXPECT_EQ(c.ListFlights->topLevelItem(1)->foreground(4).color(), QColor(Qt::red));
        EXPECT_TRUE(c.ListFlights->topLevelItem(1)->text(4).contains("decimal comma"));
        // The boxes show the columns of the file whose row is chosen.
        QTreeWidgetItem* refused = c.ListFlights->topLevelItem(1);
        QTest::mouseClick(c.ListFlights->viewport(), Qt::LeftButton, {},
                          c.ListFlights->visualItemRect(refused).center());
        EXPECT_EQ(c.LabelFile->text(), "locale-comma.csv");
        EXPECT_EQ(c.ComboAltitude->findText("Alt(m)"), 3);
        QTreeWidgetItem* igc = c.ListFlights->topLevelItem(0);
        QTest::mouseClick(c.ListFlights->viewport(), Qt::LeftButton, {},
                          c.ListFlights->visualItemRect(igc).center());
        EXPECT_EQ(c.ComboServo->itemText(4), "ENL");
        EXPECT_EQ(c.LabelCount->text(), "1 flight to import");
        QTest::mouseClick(c.ButtonImport, Qt::LeftButton);
        return d.result();
    });
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(zdf), QUrl::fromLocalFile(kImportData + "evening-flight.igc"),
                  QUrl::fromLocalFile(kImportData + "locale-comma.csv"),
                  QUrl::fromLocalFile(Dir.path() + "/notes.txt")});
    const QPoint at = Form->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    // The files are taken once the drop has ended.
    QCoreApplication::processEvents();

    EXPECT_EQ(Form->Flights->FlightCount(), 1);
    const QString written = Dir.path() + "/Imported/evening-flight002.zdf";
    EXPECT_TRUE(QFile::exists(written));
    EXPECT_NE(Ui.TreeView1->FindNode("Imported/evening-flight002"), nullptr);
    QFile file(taken);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    ASSERT_FALSE(Dialogs->Log.isEmpty());
    EXPECT_TRUE(Dialogs->Log.back().startsWith(
        "info: 1 flight imported from evening-flight.igc. 1 row could not be read and was "
        "skipped.\n" +
        kImportData + "locale-comma.csv, line 2:"))
        << Dialogs->Log.back().toStdString();
}

} // namespace
