// The main window as the graph page and the annotation list see it.
#pragma once

#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FormAnnot.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/services/UserLocale.h"

#include <QTabWidget>

namespace zirko {

// What the graph page and the annotation list read from the main window.
class TMainGraphHost final : public TGraphHost, public TAnnotationHost {
public:
    explicit TMainGraphHost(TFormMain& form) : Form(form) {}

    int FlightCount() const override { return Form.FlightCount(); }
    TDataBlock* Flight(int row) const override { return Form.Flight(row); }
    QString FlightName(int row) const override { return Form.GridCell(kGridNameCol, row); }
    QString GridCell(int col, int row) const override { return Form.GridCell(col, row); }
    bool GridVisible() const override { return Form.StringGrid1->isVisibleTo(&Form); }
    int CurrentRow() const override { return Form.ActualRow; }
    char DecimalSeparator() const override { return Form.DecimalSeparator(); }
    std::string GroupSeparator() const override { return UserGroupSeparator(); }
    bool DeflectionOnGraph() const override { return Form.DeflectionOnGraph; }
    double DeflectionMin() const override { return Form.Options.DeflectionMin; }
    double DeflectionMax() const override { return Form.Options.DeflectionMax; }
    TGraphSettings& GraphSettings() override { return Form.GraphSettings; }
    bool GraphPageActive() const override
    {
        return Form.PageControl->currentWidget() == Form.TabGraph;
    }
    int AutoGridSize() const override { return Form.NameColMinWidth; }

    int AnnotFlightCount() const override { return Form.FlightCount(); }
    QString AnnotFlightName(int row) const override { return FlightName(row); }
    bool AnnotFlightExists(int row) const override { return Form.Flight(row) != nullptr; }
    int AnnotCount(int row) const override { return Form.GraphPage->AnnotationCount(row); }
    double AnnotX(int row, int i) const override { return Series(row)->X(i); }
    double AnnotY(int row, int i) const override { return Series(row)->Y(i); }
    QString AnnotLabel(int row, int i) const override { return Series(row)->LabelText(i); }
    void AnnotAppend(int row, double x, double y, const QString& text) override
    {
        Form.GraphPage->AppendAnnotation(row, x, y, text.toStdString());
        Form.Flight(row)->Modified = true;
    }
    void AnnotDelete(int row, int index) override
    {
        Form.GraphPage->DeleteAnnotation(row, index);
        Form.Flight(row)->Modified = true;
    }

private:
    TChartSeries* Series(int row) const { return Form.GraphPage->SeriesOf(row, kSlotAnnotation); }
    TFormMain& Form;
};

} // namespace zirko
