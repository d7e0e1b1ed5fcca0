// The graph page on its own, with flights written to and read from real files.
#pragma once

#include "core/analysis/FlightAnalysis.h"
#include "core/graph/GraphColors.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/MeasureTool.h"
#include "gui/graph/OffsetPanel.h"
#include "gui/graph/ReadingsGrid.h"
#include "platform/files/FlightFile.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace zirko {

// The page's surroundings: open flights and their channels.
class TTestHost : public TGraphHost {
public:
    std::vector<std::unique_ptr<TDataBlock>> Flights;
    std::vector<QString> Names;
    std::vector<std::unique_ptr<TFlightSlots>> Slots;
    std::map<std::pair<int, int>, TChannelState> Channels;
    TGraphSettings Settings;
    bool Deflection = false;
    double DeflMin = -5;
    double DeflMax = 5;
    bool PageActive = true;

    int FlightCount() const override { return static_cast<int>(Flights.size()); }
    const TDataBlock* Flight(int row) const override { return Record(row); }
    TDataBlock* Record(int row) const
    {
        return row >= 0 && row < FlightCount() ? Flights[static_cast<size_t>(row)].get() : nullptr;
    }
    const TFlightSlots* SeriesInfo(int row) const override { return SlotsAt(row); }
    TFlightSlots* SlotsAt(int row) const
    {
        return row >= 0 && row < FlightCount() ? Slots[static_cast<size_t>(row)].get() : nullptr;
    }
    mutable std::map<int, std::vector<double>> Climbs;
    const std::vector<double>& ClimbRate(int row) const override
    {
        auto it = Climbs.find(row);
        if (it == Climbs.end())
            it = Climbs.emplace(row, zirko::ClimbRate(*Flights[static_cast<size_t>(row)])).first;
        return it->second;
    }
    TEventOptions EventOptions;
    mutable std::map<int, TFlightEvents> FoundEvents;
    const TFlightEvents* Events(int row) const override
    {
        if (!Flight(row))
            return nullptr;
        auto it = FoundEvents.find(row);
        if (it == FoundEvents.end())
            it = FoundEvents.emplace(row, AnalyseEvents(*Flight(row), EventOptions)).first;
        return &it->second;
    }
    mutable std::map<int, TRangeIndex> Ranges;
    const TRangeIndex* RangeIndex(int row) const override
    {
        if (!Flight(row))
            return nullptr;
        auto it = Ranges.find(row);
        if (it == Ranges.end())
            it = Ranges.emplace(row, TRangeIndex(*Flight(row))).first;
        return &it->second;
    }
    QString FlightName(int row) const override { return Names[static_cast<size_t>(row)]; }
    TChannelState ChannelState(int col, int row) const override
    {
        const auto it = Channels.find({col, row});
        return it == Channels.end() ? TChannelState::Unavailable : it->second;
    }
    bool GridVisible() const override { return !Flights.empty(); }
    int Current = 0;
    int CurrentRow() const override { return Flights.empty() ? -1 : Current; }
    char Separator = '.';
    char DecimalSeparator() const override { return Separator; }
    std::string Group = "\xC2\xA0";
    std::string GroupSeparator() const override { return Group; }
    bool DeflectionOnGraph() const override { return Deflection; }
    double DeflectionMin() const override { return DeflMin; }
    double DeflectionMax() const override { return DeflMax; }
    TGraphSettings& GraphSettings() override { return Settings; }
    bool GraphPageActive() const override { return PageActive; }
    int AutoGridSize() const override { return 10; }
    std::set<int> ModifiedRows;
    bool Modified(int row) const { return ModifiedRows.contains(row); }
    // The rows whose offsets changed, once per edit that changed any.
    std::vector<int> OffsetsEditedRows;
    std::vector<int> Edited(int row, std::vector<int> changed)
    {
        if (!changed.empty())
            OffsetsEditedRows.push_back(row);
        return changed;
    }
    std::vector<int> SetOffsetX(int row, double offset) override
    {
        return Edited(row, ApplyShiftX(*SlotsAt(row), offset));
    }
    std::vector<int> SetOffsetY(int row, int slot, double offset) override
    {
        return Edited(row, ApplyShiftY(*SlotsAt(row), slot, offset));
    }
    std::vector<int> SetShiftOn(int row, bool on) override
    {
        return Edited(row, zirko::SetShiftOn(*SlotsAt(row), on));
    }
    std::vector<int> MoveOffsetsTo(int row, TShownOffset to) override
    {
        return Edited(row, zirko::MoveOffsetsTo(*SlotsAt(row), to));
    }
    void SetServoZero(int row, double rxOffsetY) override
    {
        Record(row)->RxOffsetY = rxOffsetY;
        ModifiedRows.insert(row);
    }
    // The colour an opened flight gets: the lowest no open flight has.
    uint8_t FreeColorIndex() const
    {
        std::vector<uint8_t> used;
        for (const auto& flightSlots : Slots)
            used.push_back((*flightSlots)[kSlotAltitude].ColorIndex);
        return GetFirstPossibleGrafColorIndex(used);
    }
};

struct TFlightShape {
    size_t Samples = 101; // time 0..100 s
    bool Voltage = true;
    double RxOffsetY = 0;
    bool FlatAltitude = false; // 50 m all along
    bool Altitude = true;
};

class GraphPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scripted = &test::InstallScriptedDialogs();
        Page = std::make_unique<TGraphPage>(Host);
        Page->resize(900, 600);
        Page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Page.get()));
    }

    // Writes a flight file, reads it back and opens it as the main window does.
    int Open(const TFlightShape& shape = {})
    {
        TDataBlock source;
        source.DateText = "1.1.2026";
        source.Sampling = 100;
        source.ChannelMask =
            (shape.Altitude ? kMaskAltitude : 0) | kMaskRx | (shape.Voltage ? kMaskVoltage : 0);
        for (size_t i = 0; i < shape.Samples; ++i) {
            const double t =
                static_cast<double>(i) * 100.0 / static_cast<double>(shape.Samples - 1);
            source.Time.push_back(t);
            if (shape.Altitude)
                source.Altitude.push_back(shape.FlatAltitude ? 50 : 50 + 40 * std::sin(t / 10));
            source.Rx.push_back(i % 7 == 0 ? 50 : 10);
            if (shape.Voltage)
                source.Voltage.push_back(4.8 + 0.001 * static_cast<double>(i % 100));
        }
        return OpenRecord(source, shape.RxOffsetY);
    }

    // Writes `source` as a flight file, reads it back and opens it as the main window does, its
    // altitude shown.
    int OpenRecord(const TDataBlock& source, double rxOffsetY = 0)
    {
        const QString path = Dir.filePath(QString("f%1.zdf").arg(Host.FlightCount()));
        EXPECT_TRUE(WriteDataFile(path.toStdString(), source).Ok());
        auto flight = std::make_unique<TDataBlock>();
        const TReadResult read = ReadDataFile(path.toStdString(), *flight, 30);
        EXPECT_EQ(read.Status, TReadStatus::Ok) << read.Message;
        flight->RxOffsetY = rxOffsetY;
        Host.Flights.push_back(std::move(flight));
        Host.Names.push_back(QString("f%1").arg(Host.FlightCount() - 1));
        Host.Slots.push_back(std::make_unique<TFlightSlots>(NewFlightSlots(Host.FreeColorIndex())));
        const int row = Host.FlightCount() - 1;
        const TChannelStates states = Page->Plot().BuildFlightSeries(row);
        for (int c = 1; c <= kChannelColumns; ++c)
            Host.Channels[{c, row}] = states[static_cast<size_t>(c - 1)];
        Host.Channels[{1, row}] = TChannelState::On;
        Page->Plot().ShowChannel(row, 1, true);
        return row;
    }

    void Show(int row, int column)
    {
        Host.Channels[{column, row}] = TChannelState::On;
        Page->Plot().ShowChannel(row, column, true);
    }

    void Close(int row)
    {
        Page->Plot().RemoveFlightSeries(row);
        Host.Flights.erase(Host.Flights.begin() + row);
        Host.Names.erase(Host.Names.begin() + row);
        Host.Slots.erase(Host.Slots.begin() + row);
        // The rows after it move up with their climb rates (moved, so what views them stays).
        std::map<int, std::vector<double>> climbs;
        for (auto& [r, climb] : Host.Climbs)
            if (r != row)
                climbs.emplace(r > row ? r - 1 : r, std::move(climb));
        Host.Climbs = std::move(climbs);
        Host.Ranges.clear();
    }

    void Hide(int row, int column)
    {
        Host.Channels[{column, row}] = TChannelState::Off;
        Page->Plot().ShowChannel(row, column, false);
    }

    // Types into an offset field and presses Return.
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The page's controls, found by their names as a user's tools find them.
    QCheckBox* CheckBoxShift() const { return test::Named<QCheckBox>(*Page, "CheckBoxShift"); }
    QCheckBox* CheckBox_RxCenter() const
    {
        return test::Named<QCheckBox>(*Page, "CheckBox_RxCenter");
    }
    QCheckBox* CheckBox_min_sec() const
    {
        return test::Named<QCheckBox>(*Page, "CheckBox_min_sec");
    }
    QComboBox* ComboBoxShiftAxis() const
    {
        return test::Named<QComboBox>(*Page, "ComboBoxShiftAxis");
    }
    QLineEdit* EditShiftX() const { return test::Named<QLineEdit>(*Page, "EditShiftX"); }
    QLineEdit* EditShiftY() const { return test::Named<QLineEdit>(*Page, "EditShiftY"); }
    QLabel* LabelPos() const { return test::Named<QLabel>(*Page, "LabelPos"); }
    QScrollBar* ScrollBar1() const { return test::Named<QScrollBar>(*Page, "ScrollBar1"); }
    QScrollBar* ScrollBar2() const { return test::Named<QScrollBar>(*Page, "ScrollBar2"); }
    TReadingsGrid* StringGridOdecet() const
    {
        return test::Named<TReadingsGrid>(*Page, "StringGridOdecet");
    }
    QToolButton* TBClimb() const { return test::Named<QToolButton>(*Page, "TBClimb"); }
    QToolButton* TBCrossHair() const { return test::Named<QToolButton>(*Page, "TBCrossHair"); }
    QToolButton* TBGrafRead() const { return test::Named<QToolButton>(*Page, "TBGrafRead"); }
    QToolButton* TBMotor() const { return test::Named<QToolButton>(*Page, "TBMotor"); }
    QToolButton* TBPhases() const { return test::Named<QToolButton>(*Page, "TBPhases"); }
    QToolButton* TBRxZero() const { return test::Named<QToolButton>(*Page, "TBRxZero"); }
    QToolButton* TBUndoZoom() const { return test::Named<QToolButton>(*Page, "TBUndoZoom"); }
    QToolButton* TBZoomIn() const { return test::Named<QToolButton>(*Page, "TBZoomIn"); }
    QToolButton* TBZoomOut() const { return test::Named<QToolButton>(*Page, "TBZoomOut"); }
    QSlider* TrackBarX() const { return test::Named<QSlider>(*Page, "TrackBarX"); }
    QSlider* TrackBarY() const { return test::Named<QSlider>(*Page, "TrackBarY"); }
    TChart& Chart() const { return *test::Named<TChart>(*Page, "Chart1"); }

    QTemporaryDir Dir;
    TTestHost Host;
    test::TScriptedDialogs* Scripted = nullptr;
    std::unique_ptr<TGraphPage> Page;
};

} // namespace zirko
