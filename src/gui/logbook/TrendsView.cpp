#include "gui/logbook/TrendsView.h"

#include "core/app/NumberFormat.h"
#include "core/logbook/LogbookColumns.h"
#include "gui/graph/GraphExport.h"
#include "model/logbook/LogbookTableModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

// A point answers the pointer this far from its centre, pixels.
constexpr double kReach = 8;
// Models beyond the first ones share a colour: a legend of more says nothing.
constexpr size_t kMaxModels = 10;
constexpr double kDay = 86400;
constexpr int kPointSize = 7;
constexpr double kMargin = 0.05; // of the data's span, around it

const QColor kModelColors[kMaxModels] = {
    QColor(31, 119, 180),  QColor(255, 127, 14),  QColor(44, 160, 44),   QColor(214, 39, 40),
    QColor(148, 103, 189), QColor(140, 86, 75),   QColor(227, 119, 194), QColor(188, 189, 34),
    QColor(23, 190, 207),  QColor(127, 127, 127),
};
const QColor kLineColor(0, 0, 0);
const QColor kBarColor(70, 130, 180);

QString ColumnTitle(size_t column)
{
    return QString::fromStdString(LogbookColumns()[column].Title);
}

// The axis from a bit before the lowest value to a bit after the highest. Dates all on one
// moment get the day around it: a margin of their size in seconds since 1970 would span years.
void FitRange(QCPAxis* axis, double lo, double hi, bool fromZero, bool date = false)
{
    if (fromZero)
        lo = std::min(lo, 0.0);
    double span = hi - lo;
    if (!(span > 0) && date) {
        axis->setRange(lo - kDay / 2, hi + kDay / 2);
        return;
    }
    if (!(span > 0))
        span = std::max(1.0, std::fabs(hi));
    axis->setRange(fromZero && lo >= 0 ? 0 : lo - span * kMargin, hi + span * kMargin);
}

// Date ticks name the time of day too once the axis spans a few days or less, where ticks of
// the date alone would repeat one date.
void FitDateTicks(QCPAxis* axis)
{
    const auto ticker = axis->ticker().dynamicCast<QCPAxisTickerDateTime>();
    if (ticker)
        ticker->setDateTimeFormat(axis->range().size() <= 3 * kDay ? "dd.MM.yyyy\nhh:mm"
                                                                   : "dd.MM.yyyy");
}

} // namespace

TTrendsView::TTrendsView(QWidget* parent) : QWidget(parent)
{
    setObjectName("TrendsView");
    ComboBoxTrendKind = new QComboBox;
    ComboBoxTrendKind->setObjectName("ComboBoxTrendKind");
    ComboBoxTrendKind->addItems({"Scatter", "Histogram"});
    ComboBoxTrendX = new QComboBox;
    ComboBoxTrendX->setObjectName("ComboBoxTrendX");
    ComboBoxTrendY = new QComboBox;
    ComboBoxTrendY->setObjectName("ComboBoxTrendY");
    for (size_t column : TrendColumns()) {
        ComboBoxTrendX->addItem(ColumnTitle(column), static_cast<qulonglong>(column));
        if (!IsDateColumn(column))
            ComboBoxTrendY->addItem(ColumnTitle(column), static_cast<qulonglong>(column));
    }
    ComboBoxTrendY->setCurrentIndex(
        ComboBoxTrendY->findData(static_cast<qulonglong>(*LogbookColumnIndex("maxAltitude"))));
    CheckBoxAutoBin = new QCheckBox("Automatic bins");
    CheckBoxAutoBin->setObjectName("CheckBoxAutoBin");
    CheckBoxAutoBin->setChecked(true);
    EditBinWidth = new QLineEdit;
    EditBinWidth->setObjectName("EditBinWidth");
    EditBinWidth->setToolTip("Bin width (days for the date)");
    EditBinWidth->setMaximumWidth(90);
    ButtonCopyTrend = new QPushButton("Copy");
    ButtonCopyTrend->setObjectName("ButtonCopyTrend");
    ButtonSaveTrend = new QPushButton("Save picture as...");
    ButtonSaveTrend->setObjectName("ButtonSaveTrend");
    LabelHover = new QLabel;
    LabelHover->setObjectName("LabelHover");

    // The scatter's Y column and the histogram's bins take turns in one place, so that the row
    // needs the same width in both kinds and the logbook never pushes the folder tree aside.
    auto* yControls = new QWidget;
    auto* yLayout = new QHBoxLayout(yControls);
    yLayout->setContentsMargins(0, 0, 0, 0);
    yLayout->addWidget(new QLabel("Y:"));
    yLayout->addWidget(ComboBoxTrendY, 1);
    auto* binControls = new QWidget;
    auto* binLayout = new QHBoxLayout(binControls);
    binLayout->setContentsMargins(0, 0, 0, 0);
    binLayout->addWidget(CheckBoxAutoBin);
    binLayout->addWidget(EditBinWidth);
    binLayout->addStretch(1);
    StackSecondControls = new QStackedWidget;
    StackSecondControls->addWidget(yControls);
    StackSecondControls->addWidget(binControls);
    auto* controls = new QHBoxLayout;
    controls->addWidget(ComboBoxTrendKind);
    controls->addWidget(new QLabel("X:"));
    controls->addWidget(ComboBoxTrendX);
    controls->addWidget(StackSecondControls);
    controls->addStretch(1);
    controls->addWidget(ButtonCopyTrend);
    controls->addWidget(ButtonSaveTrend);

    PlotTrends = new QCustomPlot;
    PlotTrends->setObjectName("PlotTrends");
    PlotTrends->setMouseTracking(true);
    PlotTrends->installEventFilter(this);
    PlotTrends->setMinimumHeight(160);
    PlotTrends->plotLayout()->insertRow(0);
    Title = new QCPTextElement(PlotTrends, QString(), QFont(font().family(), font().pointSize()));
    PlotTrends->plotLayout()->addElement(0, 0, Title);
    PlotTrends->legend->setVisible(true);
    PlotTrends->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    // Thousands of dots: drawn plain they keep a redraw quick.
    PlotTrends->setNotAntialiasedElements(QCP::aeScatters);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(controls);
    layout->addWidget(PlotTrends, 1);
    layout->addWidget(LabelHover);

    RedrawTimer = new QTimer(this);
    RedrawTimer->setSingleShot(true);
    RedrawTimer->setInterval(0);
    connect(RedrawTimer, &QTimer::timeout, this, &TTrendsView::Redraw);
    connect(ComboBoxTrendKind, &QComboBox::currentIndexChanged, this,
            &TTrendsView::ControlsChanged);
    connect(ComboBoxTrendX, &QComboBox::currentIndexChanged, this, &TTrendsView::ControlsChanged);
    connect(ComboBoxTrendY, &QComboBox::currentIndexChanged, this, &TTrendsView::ControlsChanged);
    connect(CheckBoxAutoBin, &QCheckBox::toggled, this, &TTrendsView::ControlsChanged);
    connect(EditBinWidth, &QLineEdit::editingFinished, this, &TTrendsView::ControlsChanged);
    connect(ButtonCopyTrend, &QPushButton::clicked, this, &TTrendsView::CopyPicture);
    connect(ButtonSaveTrend, &QPushButton::clicked, this, &TTrendsView::SavePicture);
    ControlsChanged();
}

void TTrendsView::SetModel(TLogbookFilterModel* model)
{
    Model = model;
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &TTrendsView::QueueRedraw);
    connect(model, &QAbstractItemModel::modelReset, this, &TTrendsView::QueueRedraw);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TTrendsView::QueueRedraw);
    connect(model, &QAbstractItemModel::dataChanged, this, &TTrendsView::QueueRedraw);
    QueueRedraw();
}

bool TTrendsView::Histogram() const
{
    return ComboBoxTrendKind->currentIndex() == 1;
}

size_t TTrendsView::XColumn() const
{
    return ComboBoxTrendX->currentData().toULongLong();
}

size_t TTrendsView::YColumn() const
{
    return ComboBoxTrendY->currentData().toULongLong();
}

void TTrendsView::QueueRedraw()
{
    Stale = true;
    if (isVisible())
        RedrawTimer->start();
}

void TTrendsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Stale)
        RedrawTimer->start();
}

void TTrendsView::ControlsChanged()
{
    if (Filling)
        return;
    const bool histogram = Histogram();
    ComboBoxTrendY->setEnabled(!histogram);
    StackSecondControls->setCurrentIndex(histogram ? 1 : 0);
    EditBinWidth->setEnabled(!CheckBoxAutoBin->isChecked());
    QueueRedraw();
}

void TTrendsView::TakeRows()
{
    Rows.clear();
    SourceRows.clear();
    if (!Model)
        return;
    const int count = Model->rowCount();
    Rows.reserve(static_cast<size_t>(count));
    SourceRows.reserve(static_cast<size_t>(count));
    const TLogbookTableModel* table = Model->Table();
    for (int i = 0; i < count; ++i) {
        const int source = Model->mapToSource(Model->index(i, 0)).row();
        SourceRows.push_back(source);
        Rows.push_back(&table->Row(source));
    }
}

void TTrendsView::Redraw()
{
    RedrawTimer->stop();
    Stale = false;
    TakeRows();
    PlotTrends->clearPlottables();
    LabelHover->clear();
    if (Histogram())
        DrawHistogram();
    else
        DrawScatter();
    PlotTrends->replot();
}

QString TTrendsView::Heading() const
{
    return Title->text();
}

void TTrendsView::SetUpAxis(bool bottom, size_t column)
{
    QCPAxis* axis = bottom ? PlotTrends->xAxis : PlotTrends->yAxis;
    axis->setLabel(ColumnTitle(column));
    if (IsDateColumn(column)) {
        // Civil seconds are a wall clock without a zone: shown as UTC they read as stored.
        auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
        ticker->setDateTimeSpec(Qt::UTC);
        ticker->setDateTimeFormat("dd.MM.yyyy");
        axis->setTicker(ticker);
    } else {
        axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    }
    PlotTrends->setLocale(Separator == ',' ? QLocale(QLocale::German) : QLocale::c());
}

void TTrendsView::DrawScatter()
{
    const size_t xColumn = XColumn();
    const size_t yColumn = YColumn();
    Scatter = BuildScatter(Rows, xColumn, yColumn, kMaxModels);
    SetUpAxis(true, xColumn);
    SetUpAxis(false, yColumn);
    PlotTrends->legend->setVisible(!Scatter.Groups.empty());

    std::vector<QVector<QCPGraphData>> data(Scatter.Groups.size());
    for (const TTrendPoint& p : Scatter.Points)
        data[p.Group].append(QCPGraphData(p.X, p.Y));
    for (size_t g = 0; g < Scatter.Groups.size(); ++g) {
        const TTrendGroup& group = Scatter.Groups[g];
        const bool other = group.Title == kOtherModelsTitle && g + 1 == Scatter.Groups.size();
        const QColor color = other ? QColor(170, 170, 170) : kModelColors[g % kMaxModels];
        QCPGraph* graph = PlotTrends->addGraph();
        graph->setName(QString::fromStdString(group.Title) + QString(" (%1)").arg(group.Count));
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setPen(QPen(color));
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, color, kPointSize));
        graph->data()->set(data[g]);
    }

    QString heading = ColumnTitle(yColumn) + " against " + ColumnTitle(xColumn);
    if (Scatter.Points.empty()) {
        Title->setText(heading + "\nNo flight shown has both numbers.");
        PlotTrends->xAxis->setRange(0, 1);
        PlotTrends->yAxis->setRange(0, 1);
        return;
    }
    const auto [xLo, xHi] =
        std::minmax_element(Scatter.Points.begin(), Scatter.Points.end(),
                            [](const TTrendPoint& a, const TTrendPoint& b) { return a.X < b.X; });
    const auto [yLo, yHi] =
        std::minmax_element(Scatter.Points.begin(), Scatter.Points.end(),
                            [](const TTrendPoint& a, const TTrendPoint& b) { return a.Y < b.Y; });
    FitRange(PlotTrends->xAxis, xLo->X, xHi->X, false, IsDateColumn(xColumn));
    FitRange(PlotTrends->yAxis, yLo->Y, yHi->Y, false, IsDateColumn(yColumn));
    FitDateTicks(PlotTrends->xAxis);
    FitDateTicks(PlotTrends->yAxis);
    if (Scatter.Fit) {
        const TLineFit& fit = *Scatter.Fit;
        QCPGraph* line = PlotTrends->addGraph();
        line->setName("Least squares");
        line->removeFromLegend();
        line->setPen(QPen(kLineColor, 2));
        line->setData({xLo->X, xHi->X},
                      {fit.Slope * xLo->X + fit.Intercept, fit.Slope * xHi->X + fit.Intercept});
        heading += "\n" + QString::fromStdString(SlopeText(fit, xColumn, yColumn, Separator)) +
                   QString(" (%1 flights)").arg(fit.Count);
    } else {
        heading +=
            "\nNo line: the flights need two different values of " + ColumnTitle(xColumn) + ".";
    }
    Title->setText(heading);
}

void TTrendsView::DrawHistogram()
{
    const size_t column = XColumn();
    const bool date = IsDateColumn(column);
    BinValues.clear();
    BinRows.clear();
    for (size_t i = 0; i < Rows.size(); ++i) {
        if (const auto v = TrendValue(*Rows[i], column)) {
            BinValues.push_back(*v);
            BinRows.push_back(i);
        }
    }
    const double unit = date ? kDay : 1;
    double width = 0;
    if (CheckBoxAutoBin->isChecked()) {
        width = AutoBinWidth(BinValues, date);
        Filling = true;
        EditBinWidth->setText(QString::fromStdString(FormatShortest(width / unit, Separator)));
        Filling = false;
    } else {
        const auto typed = ParseUserNumber(EditBinWidth->text().toStdString(), Separator);
        width = typed ? *typed * unit : 0;
    }
    Bins = BuildHistogram(BinValues, width);
    SetUpAxis(true, column);
    SetUpAxis(false, column);
    PlotTrends->yAxis->setLabel("Flights");
    PlotTrends->yAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    PlotTrends->legend->setVisible(false);

    QString heading = ColumnTitle(column);
    if (!Bins.Error.empty()) {
        Title->setText(heading + "\n" + QString::fromStdString(Bins.Error));
        return;
    }
    if (Bins.Counts.empty()) {
        Title->setText(heading + "\nNo flight shown has this number.");
        return;
    }
    auto* bars = new QCPBars(PlotTrends->xAxis, PlotTrends->yAxis);
    bars->setWidth(Bins.Width);
    bars->setPen(QPen(kBarColor.darker(150)));
    bars->setBrush(kBarColor);
    QVector<double> keys, counts;
    size_t highest = 0;
    for (size_t b = 0; b < Bins.Counts.size(); ++b) {
        keys.append(Bins.Start + (static_cast<double>(b) + 0.5) * Bins.Width);
        counts.append(static_cast<double>(Bins.Counts[b]));
        highest = std::max(highest, Bins.Counts[b]);
    }
    bars->setData(keys, counts, true);
    FitRange(PlotTrends->xAxis, Bins.Start,
             Bins.Start + Bins.Width * static_cast<double>(Bins.Counts.size()), false, date);
    FitDateTicks(PlotTrends->xAxis);
    FitRange(PlotTrends->yAxis, 0, static_cast<double>(highest), true);
    heading += "\n" + QString::fromStdString(
                          HistogramText(BinValues.size(), Bins.Width, column, Separator));
    Title->setText(heading);
}

QString TTrendsView::ValueText(double value, size_t column) const
{
    if (IsDateColumn(column))
        return QString::fromStdString(FormatCivil(static_cast<TCivilSeconds>(std::llround(value))));
    const int decimals = std::max(0, LogbookColumns()[column].Decimals);
    // Bin widths may be finer than the column's decimals.
    return QString::fromStdString(value == std::round(value * std::pow(10, decimals)) /
                                               std::pow(10, decimals)
                                      ? FormatDisplay(value, decimals, Separator)
                                      : FormatShortest(value));
}

std::optional<QPoint> TTrendsView::PointPixel(int sourceRow) const
{
    for (const TTrendPoint& p : Scatter.Points) {
        if (SourceRows[p.Row] == sourceRow)
            return QPoint(qRound(PlotTrends->xAxis->coordToPixel(p.X)),
                          qRound(PlotTrends->yAxis->coordToPixel(p.Y)));
    }
    return std::nullopt;
}

std::optional<size_t> TTrendsView::PointAt(const QPoint& pixel) const
{
    if (Histogram() || !PlotTrends->axisRect()->rect().contains(pixel))
        return std::nullopt;
    std::optional<size_t> best;
    double bestDistance = kReach * kReach;
    for (size_t i = 0; i < Scatter.Points.size(); ++i) {
        const double dx = PlotTrends->xAxis->coordToPixel(Scatter.Points[i].X) - pixel.x();
        const double dy = PlotTrends->yAxis->coordToPixel(Scatter.Points[i].Y) - pixel.y();
        const double d = dx * dx + dy * dy;
        if (d <= bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::optional<size_t> TTrendsView::BarAt(const QPoint& pixel) const
{
    if (!Histogram() || Bins.Counts.empty() || !PlotTrends->axisRect()->rect().contains(pixel))
        return std::nullopt;
    const double x = PlotTrends->xAxis->pixelToCoord(pixel.x());
    const double y = PlotTrends->yAxis->pixelToCoord(pixel.y());
    const double at = std::floor((x - Bins.Start) / Bins.Width);
    if (!(at >= 0) || at >= static_cast<double>(Bins.Counts.size()))
        return std::nullopt;
    const auto bin = static_cast<size_t>(at);
    if (Bins.Counts[bin] == 0 || y > static_cast<double>(Bins.Counts[bin]) || y < 0)
        return std::nullopt;
    return bin;
}

void TTrendsView::Hover(const QPoint& pixel)
{
    QString text;
    if (const auto point = PointAt(pixel)) {
        const TTrendPoint& p = Scatter.Points[*point];
        const TLogbookRow& row = *Rows[p.Row];
        text = QString::fromStdString(row.Name);
        if (!row.Details.Model.empty())
            text += " (" + QString::fromStdString(row.Details.Model) + ")";
        text += ": " + ColumnTitle(XColumn()) + " " + ValueText(p.X, XColumn()) + ", " +
                ColumnTitle(YColumn()) + " " + ValueText(p.Y, YColumn());
    } else if (const auto bar = BarAt(pixel)) {
        const double from = Bins.Start + static_cast<double>(*bar) * Bins.Width;
        text = QString::fromStdString(FlightsText(Bins.Counts[*bar])) + " with " +
               ColumnTitle(XColumn()) + " from " + ValueText(from, XColumn()) + " to " +
               ValueText(from + Bins.Width, XColumn());
    }
    if (text == LabelHover->text())
        return;
    LabelHover->setText(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(PlotTrends->mapToGlobal(pixel), text, PlotTrends);
}

void TTrendsView::Click(const QPoint& pixel)
{
    QList<int> chosen;
    if (const auto point = PointAt(pixel)) {
        chosen.append(SourceRows[Scatter.Points[*point].Row]);
    } else if (const auto bar = BarAt(pixel)) {
        for (size_t i = 0; i < BinValues.size(); ++i)
            if (Bins.BinOf(BinValues[i]) == *bar)
                chosen.append(SourceRows[BinRows[i]]);
    }
    if (!chosen.isEmpty())
        emit RowsChosen(chosen);
}

bool TTrendsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PlotTrends && !Stale) {
        switch (event->type()) {
        case QEvent::MouseMove:
            Hover(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton)
                Click(mouse->position().toPoint());
            break;
        }
        case QEvent::Leave:
            LabelHover->clear();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

TChartSource TTrendsView::Picture()
{
    if (Stale)
        Redraw();
    QCustomPlot* plot = PlotTrends;
    auto render = [plot](QPainter& painter, const QRect& target) {
        PaintPlotScaled(*plot, plot->size(), painter, target);
    };
    return {render, plot->size()};
}

void TTrendsView::CopyPicture()
{
    CopyGraphToClipboard(Picture());
}

void TTrendsView::SavePicture()
{
    ExecuteSaveGraph(this, Picture(), PictureFolder);
}

} // namespace zirko
