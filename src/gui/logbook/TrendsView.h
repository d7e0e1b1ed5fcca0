// The logbook's Trends view: two columns of the filtered flights against each other, coloured by
// model with a least-squares line, or one column as a histogram; a point names its flight under
// the pointer and chooses its row when clicked.
#pragma once

#include "core/logbook/LogbookTrends.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QCPTextElement;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace zirko {

class TLogbookFilterModel;
struct TChartSource;

class TTrendsView : public QWidget {
    Q_OBJECT
public:
    explicit TTrendsView(QWidget* parent = nullptr);

    // The rows shown are the model's, in its order; the view follows its changes.
    void SetModel(TLogbookFilterModel* model);
    void SetDecimalSeparator(char separator) { Separator = separator; }
    // Where the picture save dialog starts.
    void SetPictureFolder(const QString& folder) { PictureFolder = folder; }

    // Takes the rows again and draws them now.
    void Redraw();
    // The chart's heading: the columns and the line's slope, or why nothing is drawn.
    QString Heading() const;
    // The plot pixel of a scatter point (one of the model's rows), for tests and tools.
    std::optional<QPoint> PointPixel(int sourceRow) const;

    void CopyPicture();
    void SavePicture();

signals:
    // The user chose flights on the chart (a point, or a histogram's bar): rows of the source
    // model.
    void RowsChosen(const QList<int>& sourceRows);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* ComboBoxTrendKind = nullptr;
    QComboBox* ComboBoxTrendX = nullptr;
    QComboBox* ComboBoxTrendY = nullptr;
    QCheckBox* CheckBoxAutoBin = nullptr;
    QLineEdit* EditBinWidth = nullptr;
    QStackedWidget* StackSecondControls = nullptr; // the Y column or the bins
    QPushButton* ButtonCopyTrend = nullptr;
    QPushButton* ButtonSaveTrend = nullptr;
    QLabel* LabelHover = nullptr;
    QCustomPlot* PlotTrends = nullptr;

    bool Histogram() const;
    size_t XColumn() const;
    size_t YColumn() const;
    void QueueRedraw();
    void ControlsChanged();
    void TakeRows();
    void DrawScatter();
    void DrawHistogram();
    void SetUpAxis(bool bottom, size_t column);
    // The scatter point nearest a pixel within reach, as an index into Scatter.Points.
    std::optional<size_t> PointAt(const QPoint& pixel) const;
    // The histogram bar under a pixel.
    std::optional<size_t> BarAt(const QPoint& pixel) const;
    void Hover(const QPoint& pixel);
    void Click(const QPoint& pixel);
    QString ValueText(double value, size_t column) const;
    // The chart as copies and saved pictures show it.
    TChartSource Picture();

    TLogbookFilterModel* Model = nullptr;
    QTimer* RedrawTimer = nullptr;
    QCPTextElement* Title = nullptr;
    std::vector<const TLogbookRow*> Rows; // the model's rows in its order
    std::vector<int> SourceRows;          // and their rows in the source model
    TTrendScatter Scatter;
    THistogram Bins;
    std::vector<size_t> BinRows; // of each histogram value, its index into Rows
    std::vector<double> BinValues;
    QString PictureFolder;
    char Separator = '.';
    bool Stale = true;
    bool Filling = false; // the controls are being set up, not changed by the user
};

} // namespace zirko
