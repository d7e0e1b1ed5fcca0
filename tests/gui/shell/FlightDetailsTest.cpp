// The current flight's details on the information page, typed with real keys: shown when a flight
// opens, offered from the values the data folder's logbook index holds, marking the flight
// modified, refused when they would read as the servo zero, saved into the extra section with the
// lines the program does not know, and a model's profile taking over the flight's analysis.
#include "gui/app/FormMain.h"
#include "gui/shell/DetailsCompletion.h"
#include "gui/shell/NotesPage.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"
#include "platform/files/LogbookIndex.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// 60 s at 10 samples a second, the servo at 60 % for the first 20 s.
TDataBlock Flight(std::vector<std::string> extraLines)
{
    TDataBlock f;
    f.DateText = "9.12.2026 8:00:00";
    f.Sampling = 10;
    f.ChannelMask = kMaskAltitude | kMaskRx;
    for (int i = 0; i <= 600; ++i) {
        f.Time.push_back(i / 10.0);
        f.Altitude.push_back(i < 200 ? i * 0.5 : 100);
        f.Rx.push_back(i < 200 ? 60 : -100);
    }
    f.ExtraLines = std::move(extraLines);
    return f;
}

// The texts the completer offers now.
QStringList Offered(QCompleter* completer)
{
    QStringList texts;
    for (int r = 0; r < completer->completionModel()->rowCount(); ++r)
        texts << completer->completionModel()->index(r, 0).data().toString();
    return texts;
}

class FlightDetailsTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        // A flight of an earlier day, known to the logbook's index, and the folder's profiles.
        WriteFlight("2025/old.zdf",
                    Flight({"Model=Pike Perfect", "Site=Raná", "Tags=thermal, calm", "Pilot=Eva"}));
        WriteFlight("2025/older.zdf", Flight({"Model=Supra", "Tags=contest"}));
        {
            TLogbookIndex index(TLogbookIndex::DefaultPath());
            ASSERT_TRUE(index.Usable());
            const std::string root = Dir.path().toStdString();
            IndexedLogbookRows(root, FindFlightFiles(root), FlightDateFormats(), nullptr, &index);
        }
        ASSERT_TRUE(WriteBytes(Dir.filePath("models.ini"),
                               "[pike perfect]\r\nRules=f5j\r\nMotorThreshold=50\r\n"));
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Page = Ui.NotesPage;
        Ui.PageControl->setCurrentWidget(Ui.TabInfo);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Page->Completion->Gathering(); }, 10000));
        QApplication::processEvents();
    }
    void TearDown() override
    {
        Dialogs->Answers.assign(10, TAnswer::No);
        TMainWindowFixture::TearDown();
    }
    void TypeInto(QLineEdit* edit, const QString& text)
    {
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, text);
    }

    TNotesPage* Page = nullptr;
};

} // namespace

TEST_F(FlightDetailsTest, TypedDetailsMarkTheFlightAndAreSavedBesideTheUnknownExtraLines)
{
    const QString file = WriteFlight("today.zdf", Flight({"StartElevation=312.50", "Pilot=Eva"}));
    ASSERT_EQ(Form->Flights->OpenDataFile(file), 0);
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditPilot")->text(), "Eva");
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditModel")->text(), "");
    ASSERT_TRUE(Named<QLineEdit>(*Page, "EditModel")->isEnabled());
    // Without a model the general options hold: no rules, the motor above 0 %.
    EXPECT_EQ(Form->Flights->Events(0)->Rules, TRules::None);
    EXPECT_EQ(Form->Flights->Events(0)->MotorRuns.size(), 1u);

    TypeInto(Named<QLineEdit>(*Page, "EditModel"), "pike perfect");
    EXPECT_TRUE(Form->Flights->Modified(0)); // from the first key on, as the notes
    QTest::keyClick(Named<QLineEdit>(*Page, "EditModel"), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditModel")->text(), "pike perfect");
    EXPECT_EQ(Form->Flights->Details(0)->Model, "pike perfect");
    // The model's profile analyses the flight now: f5j rules, the motor above 50 %.
    EXPECT_EQ(Form->Flights->Events(0)->Rules, TRules::F5j);
    EXPECT_TRUE(Form->Flights->Events(0)->Penalty);

    // A value holding the servo zero's word is refused and the box shows the stored one again.
    TypeInto(Named<QLineEdit>(*Page, "EditPilot"), " RxOffsetY=1");
    QTest::keyClick(Named<QLineEdit>(*Page, "EditPilot"), Qt::Key_Return);
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("must not contain \"RxOffsetY\""));
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditPilot")->text(), "Eva");

    // Leaving the box stores it as well.
    TypeInto(Named<QLineEdit>(*Page, "EditSite"), "Hill north");
    QTest::mouseClick(Named<QLineEdit>(*Page, "EditTags"), Qt::LeftButton);
    EXPECT_EQ(Form->Flights->Details(0)->Site, "Hill north");
    QTest::keyClicks(Named<QLineEdit>(*Page, "EditTags"), "calm ,thermal");

    Form->Flights->SaveFlight(0);
    EXPECT_FALSE(Form->Flights->Modified(0));
    TDataBlock back;
    ASSERT_EQ(ReadDataFile(file.toStdString(), back, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(back.ExtraLines,
              (std::vector<std::string>{"StartElevation=312.50", "Pilot=Eva", "Model=pike perfect",
                                        "Site=Hill north", "Tags=calm, thermal"}));
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditTags")->text(), "calm, thermal");

    // Opened again, the flight shows what its file holds.
    Form->Flights->CloseDataFile(0);
    EXPECT_FALSE(Named<QLineEdit>(*Page, "EditModel")->isEnabled());
    ASSERT_EQ(Form->Flights->OpenDataFile(file), 0);
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditModel")->text(), "pike perfect");
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditSite")->text(), "Hill north");
}

TEST_F(FlightDetailsTest, CompletionOffersTheValuesUsedInTheDataFolder)
{
    ASSERT_EQ(Form->Flights->OpenDataFile(WriteFlight("today.zdf", Flight({}))), 0);
    TypeInto(Named<QLineEdit>(*Page, "EditModel"), "pi");
    QCompleter* models = Named<QLineEdit>(*Page, "EditModel")->completer();
    ASSERT_TRUE(QTest::qWaitFor([models] { return models->popup()->isVisible(); }, 2000));
    EXPECT_EQ(Offered(models), QStringList{"Pike Perfect"});
    QTest::keyClick(models->popup(), Qt::Key_Down);
    QTest::keyClick(models->popup(), Qt::Key_Return);
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditModel")->text(), "Pike Perfect");
    QApplication::processEvents();
    EXPECT_EQ(Form->Flights->Details(0)->Model, "Pike Perfect");

    TypeInto(Named<QLineEdit>(*Page, "EditSite"), "r");
    EXPECT_TRUE(Offered(Named<QLineEdit>(*Page, "EditSite")->completer()).contains("Raná"));

    // Tags complete one at a time, after the last comma.
    TypeInto(Named<QLineEdit>(*Page, "EditTags"), "contest, th");
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return Named<QCompleter>(*Page, "TagCompleter")->popup()->isVisible(); }, 2000));
    EXPECT_EQ(Offered(Named<QCompleter>(*Page, "TagCompleter")), QStringList{"thermal"});
    QTest::keyClick(Named<QCompleter>(*Page, "TagCompleter")->popup(), Qt::Key_Down);
    QTest::keyClick(Named<QCompleter>(*Page, "TagCompleter")->popup(), Qt::Key_Return);
    EXPECT_EQ(Named<QLineEdit>(*Page, "EditTags")->text(), "contest, thermal");
    QApplication::processEvents();
    EXPECT_EQ(Form->Flights->Details(0)->Tags, (std::vector<std::string>{"contest", "thermal"}));
    // Only what was chosen counts, not the letters typed before.
    EXPECT_FALSE(Page->Completion->Tags->stringList().contains("th"));

    // A value typed here is offered from then on.
    TypeInto(Named<QLineEdit>(*Page, "EditPilot"), "Jan");
    QTest::keyClick(Named<QLineEdit>(*Page, "EditPilot"), Qt::Key_Return);
    EXPECT_TRUE(Page->Completion->Pilots->stringList().contains("Jan"));
    EXPECT_TRUE(Page->Completion->Pilots->stringList().contains("Eva"));
}
