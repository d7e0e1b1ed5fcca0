#include "gui/logbook/LogbookPage.h"

#include "core/app/IniFile.h"
#include "core/flightdata/ZdfFile.h"
#include "core/logbook/LogbookColumns.h"
#include "core/logbook/LogbookSummary.h"
#include "core/shell/TreeNaming.h"
#include "gui/logbook/FormFlightDetails.h"
#include "gui/logbook/TrendsView.h"
#include "gui/report/ReportCommands.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "model/flightdata/OpenFlights.h"
#include "model/logbook/LogbookTableModel.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"
#include "platform/files/LogbookFiles.h"
#include "platform/files/LogbookIndex.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace zirko {

namespace {

constexpr const char* kSection = "Logbook";
constexpr int kProgressMs = 100;
// Changes on disk come in bursts (a download writes many files): one reading after the last.
constexpr int kChangeDelayMs = 300;
constexpr const char* kNotRead = "Not read: the reading was cancelled.";

// Rows whose file could not be read are drawn in the error colour.
class TErrorRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(TLogbookTableModel::kErrorRole).toBool())
            option->palette.setColor(QPalette::Text, QColor(0xB0, 0x00, 0x00));
    }
};

QString FromFileName(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

} // namespace

TLogbookPage::TLogbookPage(TOpenFlights& flights, QWidget* parent)
    : QWidget(parent), Flights(flights), MaxFolders(kMaxTreeFolders)
{
    setObjectName("LogbookPage");
    Model = new TLogbookTableModel(this);
    Model->SetDecimalSeparator(UserDecimalSeparator());
    Filter = new TLogbookFilterModel(this);
    Filter->setSourceModel(Model);
    Filter->setDynamicSortFilter(true);

    EditFilter = new QLineEdit;
    EditFilter->setObjectName("EditFilter");
    EditFilter->setClearButtonEnabled(true);
    EditFilter->setPlaceholderText("Filter: words, model:, site:, pilot:, tag:, folder:, "
                                   "startHeight>150, date>=2026-05-01, -word");
    LabelCount = new QLabel;
    LabelCount->setObjectName("LabelCount");
    ProgressRead = new QProgressBar;
    ProgressRead->setObjectName("ProgressRead");
    ProgressRead->setTextVisible(true);
    ProgressRead->setFormat("Reading %v of %m");
    ProgressRead->hide();
    ButtonCancel = new QPushButton("Cancel");
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->hide();
    auto* top = new QHBoxLayout;
    top->addWidget(EditFilter, 1);
    top->addWidget(LabelCount);
    top->addWidget(ProgressRead);
    top->addWidget(ButtonCancel);
    ButtonTrends = new QPushButton("Trends");
    ButtonTrends->setObjectName("ButtonTrends");
    ButtonTrends->setCheckable(true);
    top->addWidget(ButtonTrends);

    TableLogbook = new QTableView;
    TableLogbook->setObjectName("TableLogbook");
    TableLogbook->setModel(Filter);
    TableLogbook->setItemDelegate(new TErrorRowDelegate(TableLogbook));
    TableLogbook->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableLogbook->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TableLogbook->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableLogbook->setWordWrap(false);
    TableLogbook->setAlternatingRowColors(true);
    TableLogbook->verticalHeader()->hide();
    TableLogbook->verticalHeader()->setDefaultSectionSize(TableLogbook->fontMetrics().height() + 6);
    TableLogbook->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = TableLogbook->horizontalHeader();
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    TableLogbook->setSortingEnabled(true);
    TableLogbook->sortByColumn(static_cast<int>(*LogbookColumnIndex("date")), Qt::DescendingOrder);
    TableLogbook->installEventFilter(this);

    LabelSummary = new QLabel;
    LabelSummary->setObjectName("LabelSummary");
    LabelSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelSummary->setWordWrap(true); // a long line must not widen the window
    LabelLimit = new QLabel;
    LabelLimit->setObjectName("LabelLimit");
    LabelLimit->setWordWrap(true);
    LabelLimit->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(LabelLimit);
    TrendsView = new TTrendsView;
    TrendsView->SetModel(Filter);
    TrendsView->SetDecimalSeparator(UserDecimalSeparator());
    TrendsView->hide();
    auto* split = new QSplitter(Qt::Vertical);
    split->setObjectName("SplitTrends");
    split->addWidget(TableLogbook);
    split->addWidget(TrendsView);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    layout->addWidget(LabelSummary);

    PopupLogbook = new QMenu(this);
    PopupLogbook->setObjectName("PopupLogbook");
    pmnuOpen = PopupLogbook->addAction("Open", this, &TLogbookPage::OpenSelected);
    pmnuCompare = PopupLogbook->addAction("Compare", this, &TLogbookPage::CompareSelected);
    pmnuExport = PopupLogbook->addAction("Export rows as CSV...", this, &TLogbookPage::ExportRows);
    pmnuSetDetails =
        PopupLogbook->addAction("Set details...", this, &TLogbookPage::SetDetailsOfSelected);
    pmnuShowInTree =
        PopupLogbook->addAction("Show in tree", this, &TLogbookPage::ShowSelectedInTree);
    for (const auto& [action, name] :
         {std::pair{pmnuOpen, "pmnuOpen"}, std::pair{pmnuCompare, "pmnuCompare"},
          std::pair{pmnuExport, "pmnuExport"}, std::pair{pmnuSetDetails, "pmnuSetDetails"},
          std::pair{pmnuShowInTree, "pmnuShowInTree"}})
        action->setObjectName(name);
    PopupLogbook->addSeparator();
    pmnuReport = PopupLogbook->addAction("Flight report...", this, [this] {
        ShowFlightReportOfFiles(this, SelectedFiles(), Flights);
    });
    pmnuReport->setObjectName("pmnuReport");
    pmnuScoreSheet = PopupLogbook->addAction("Score sheet...", this, [this] {
        std::vector<TSheetFlight> sheet;
        for (const TLogbookRow* row : SelectedRows())
            sheet.push_back(SheetFlightOf(*row));
        ExecuteScoreSheet(this, sheet, UserDecimalSeparator(), Root);
    });
    pmnuScoreSheet->setObjectName("pmnuScoreSheet");
    PopupColumns = new QMenu(this);
    PopupColumns->setObjectName("PopupColumns");
    FormFlightDetails = new TFormFlightDetails(this);
    FormFlightDetails->setObjectName("FormFlightDetails");

    ProgressTimer = new QTimer(this);
    ProgressTimer->setInterval(kProgressMs);
    connect(ProgressTimer, &QTimer::timeout, this, &TLogbookPage::ShowReadProgress);
    ChangeTimer = new QTimer(this);
    ChangeTimer->setSingleShot(true);
    ChangeTimer->setInterval(kChangeDelayMs);
    connect(ChangeTimer, &QTimer::timeout, this, &TLogbookPage::Refresh);

    connect(EditFilter, &QLineEdit::textChanged, this, &TLogbookPage::FilterEdited);
    connect(ButtonCancel, &QPushButton::clicked, this, &TLogbookPage::CancelReading);
    connect(ButtonTrends, &QPushButton::toggled, TrendsView, &QWidget::setVisible);
    connect(TrendsView, &TTrendsView::RowsChosen, this, &TLogbookPage::SelectSourceRows);
    connect(TableLogbook, &QTableView::doubleClicked, this, &TLogbookPage::OpenSelected);
    connect(TableLogbook, &QWidget::customContextMenuRequested, this, &TLogbookPage::ShowPopup);
    connect(header, &QWidget::customContextMenuRequested, this, &TLogbookPage::ShowColumnsMenu);
    connect(TableLogbook->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TLogbookPage::UpdateSummary);
    connect(Filter, &QAbstractItemModel::rowsInserted, this, &TLogbookPage::UpdateCount);
    connect(Filter, &QAbstractItemModel::rowsRemoved, this, &TLogbookPage::UpdateCount);
    connect(Filter, &QAbstractItemModel::modelReset, this, &TLogbookPage::UpdateCount);
    connect(Filter, &QAbstractItemModel::layoutChanged, this, &TLogbookPage::UpdateCount);
    // A flight the program saved has new numbers, details or notes.
    connect(&Flights, &TOpenFlights::FlightSaved, this, &TLogbookPage::FolderChanged);
    connect(&Flights, &TOpenFlights::FlightRenamed, this, &TLogbookPage::FolderChanged);
    // New analysis options find other events: the index reads the flights again.
    connect(&Flights, &TOpenFlights::EventsChanged, this, &TLogbookPage::FolderChanged);
    UpdateCount();
}

TLogbookPage::~TLogbookPage()
{
    StopReading();
}

void TLogbookPage::SetDataDir(const QString& folder)
{
    if (folder == Root)
        return;
    Root = folder;
    TrendsView->SetPictureFolder(folder);
    Model->SetRows({});
    FolderChanged();
}

void TLogbookPage::SetDecimalSeparator(char separator)
{
    Model->SetDecimalSeparator(separator);
    TrendsView->SetDecimalSeparator(separator);
}

void TLogbookPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Opening the page compares the folder with what it shows.
    if (Stale || !Reading)
        Refresh();
}

void TLogbookPage::FolderChanged()
{
    Stale = true;
    if (isVisible())
        ChangeTimer->start();
}

void TLogbookPage::Refresh()
{
    ChangeTimer->stop();
    if (Root.isEmpty())
        return;
    if (Reading) {
        RefreshPending = true;
        return;
    }
    StopReading();
    Reading = true;
    Stale = false;
    Cancel.store(false);
    ReadCount.store(0);
    ReadTotal.store(0);
    const quint64 generation = ++Generation;
    ProgressRead->setRange(0, 0);
    ProgressRead->show();
    ButtonCancel->setEnabled(true);
    ButtonCancel->show();
    ProgressTimer->start();
    const std::filesystem::path root = QFile::encodeName(Root).toStdString();
    const QString indexPath = IndexPath;
    const std::vector<std::string> formats = FlightDateFormats();
    // The rows are analysed as the open flights are: the options' rules, a model's profile over
    // them.
    const TEventOptions general = Flights.EventOptions();
    const size_t maxFolders = MaxFolders;
    Reader = std::thread([this, root, indexPath, formats, general, generation, maxFolders] {
        bool complete = true;
        const std::vector<TFlightFileEntry> files = FindFlightFiles(root, &complete, maxFolders);
        const std::optional<TModelProfiles> profiles = FolderModelProfiles(root);
        TReadControl control;
        control.Cancel = &Cancel;
        control.Progress = [this](size_t done, size_t total) {
            ReadTotal.store(total);
            ReadCount.store(done);
        };
        auto rows = std::make_shared<std::vector<TLogbookRow>>();
        {
            // The index is a cache: one that cannot be had or written only costs time.
            std::unique_ptr<TLogbookIndex> index;
            if (!indexPath.isEmpty())
                index = std::make_unique<TLogbookIndex>(indexPath);
            *rows = IndexedLogbookRows(root, files, formats, profiles ? &*profiles : nullptr,
                                       index.get(), general, &control);
        }
        size_t unread = 0;
        for (size_t i = 0; i < rows->size(); ++i) {
            TLogbookRow& row = (*rows)[i];
            if (!row.Path.empty())
                continue;
            // A file the cancel left unread keeps its row, saying so.
            SetRowPath(row, files[i].RelativePath);
            row.Modified = files[i].Modified;
            row.Error = kNotRead;
            row.Prepare();
            ++unread;
        }
        // The page waits for this thread before it goes, so it is still there to be told.
        QMetaObject::invokeMethod(
            this,
            [this, generation, rows, unread, complete] {
                ReadDone(generation, rows, unread, complete);
            },
            Qt::QueuedConnection);
    });
}

void TLogbookPage::CancelReading()
{
    if (!Reading)
        return;
    Cancel.store(true);
    ButtonCancel->setEnabled(false);
}

void TLogbookPage::StopReading()
{
    Cancel.store(true);
    if (Reader.joinable())
        Reader.join();
}

void TLogbookPage::ShowReadProgress()
{
    const size_t total = ReadTotal.load();
    if (total == 0)
        return;
    ProgressRead->setRange(0, static_cast<int>(total));
    ProgressRead->setValue(static_cast<int>(std::min(ReadCount.load(), total)));
}

void TLogbookPage::ReadDone(quint64 generation, std::shared_ptr<std::vector<TLogbookRow>> rows,
                            size_t unread, bool complete)
{
    if (generation != Generation)
        return;
    if (Reader.joinable())
        Reader.join(); // it has nothing left to do but end
    Reading = false;
    ProgressTimer->stop();
    ProgressRead->hide();
    ButtonCancel->hide();
    // The selection and the current row follow their files through the new rows.
    std::set<std::string> selected;
    for (const TLogbookRow* row : SelectedRows())
        selected.insert(row->Path);
    const QModelIndex current = TableLogbook->currentIndex();
    const std::string currentPath =
        current.isValid() ? Filter->RowAt(current.row()).Path : std::string();
    const int currentColumn = current.isValid() ? current.column() : 0;
    Model->SetRows(std::move(*rows));
    QItemSelection selection;
    QModelIndex newCurrent;
    for (const std::string& path : selected) {
        const int source = Model->RowOfPath(path);
        if (source < 0)
            continue;
        const QModelIndex index = Filter->mapFromSource(Model->index(source, 0));
        if (index.isValid())
            selection.select(index, index);
    }
    if (const int source = Model->RowOfPath(currentPath); source >= 0)
        newCurrent = Filter->mapFromSource(Model->index(source, currentColumn));
    if (newCurrent.isValid())
        TableLogbook->selectionModel()->setCurrentIndex(newCurrent, QItemSelectionModel::NoUpdate);
    TableLogbook->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    LabelLimit->setText(complete ? QString()
                                 : QString::fromStdString(FolderLimitNote(
                                       QDir::toNativeSeparators(Root).toStdString(), MaxFolders)));
    LabelLimit->setVisible(!complete);
    UpdateCount();
    if (unread > 0)
        LabelCount->setText(LabelCount->text() + QString(" (%1 not read: cancelled)").arg(unread));
    UpdateSummary();
    emit RowsRead();
    if (RefreshPending || Stale) {
        RefreshPending = false;
        if (isVisible())
            Refresh();
    }
}

void TLogbookPage::FilterEdited()
{
    QString error;
    if (!Filter->SetFilterText(EditFilter->text(), &error)) {
        FilterError = error;
    } else {
        FilterError.clear();
    }
    UpdateCount();
    UpdateSummary();
}

void TLogbookPage::UpdateCount()
{
    if (!FilterError.isEmpty()) {
        LabelCount->setText(FilterError);
        LabelCount->setStyleSheet("color: #b00000;");
        return;
    }
    LabelCount->setStyleSheet(QString());
    LabelCount->setText(QString::fromStdString(MatchCountText(
        static_cast<size_t>(Filter->rowCount()), static_cast<size_t>(Model->rowCount()))));
}

std::vector<const TLogbookRow*> TLogbookPage::SelectedRows() const
{
    QModelIndexList rows = TableLogbook->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<const TLogbookRow*> out;
    for (const QModelIndex& index : rows)
        out.push_back(&Filter->RowAt(index.row()));
    return out;
}

QString TLogbookPage::FullPath(const TLogbookRow& row) const
{
    return Root + "/" + FromFileName(row.Path);
}

QStringList TLogbookPage::SelectedFiles() const
{
    QStringList files;
    for (const TLogbookRow* row : SelectedRows())
        files << FullPath(*row);
    return files;
}

void TLogbookPage::UpdateSummary()
{
    LabelSummary->setText(
        QString::fromStdString(SummaryText(SummariseRows(SelectedRows()), UserDecimalSeparator())));
}

void TLogbookPage::SelectSourceRows(const QList<int>& sourceRows)
{
    QItemSelection selection;
    for (int row : sourceRows) {
        const QModelIndex index = Filter->mapFromSource(Model->index(row, 0));
        if (index.isValid())
            selection.select(index, index);
    }
    if (selection.isEmpty())
        return;
    auto* chosen = TableLogbook->selectionModel();
    chosen->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    chosen->setCurrentIndex(selection.first().topLeft(), QItemSelectionModel::NoUpdate);
    TableLogbook->scrollTo(selection.first().topLeft());
}

bool TLogbookPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TableLogbook && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TLogbookPage::ShowPopup(const QPoint& pos)
{
    const bool any = !TableLogbook->selectionModel()->selectedRows().isEmpty();
    pmnuOpen->setEnabled(any);
    pmnuCompare->setEnabled(any);
    pmnuSetDetails->setEnabled(any);
    pmnuShowInTree->setEnabled(TableLogbook->currentIndex().isValid());
    pmnuReport->setEnabled(any);
    pmnuScoreSheet->setEnabled(any);
    pmnuExport->setEnabled(Filter->rowCount() > 0);
    PopupLogbook->popup(TableLogbook->viewport()->mapToGlobal(pos));
}

void TLogbookPage::ShowColumnsMenu(const QPoint& pos)
{
    PopupColumns->clear();
    QHeaderView* header = TableLogbook->horizontalHeader();
    const auto& columns = LogbookColumns();
    int shown = 0;
    for (int c = 0; c < header->count(); ++c)
        shown += header->isSectionHidden(c) ? 0 : 1;
    // In the order the user sees them.
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        QAction* action = PopupColumns->addAction(
            QString::fromStdString(columns[static_cast<size_t>(column)].Title));
        action->setObjectName(
            QString::fromStdString("pmnuColumn_" + columns[static_cast<size_t>(column)].Key));
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(column));
        // The last column shown stays: a table without columns could not get them back.
        action->setEnabled(header->isSectionHidden(column) || shown > 1);
        connect(action, &QAction::toggled, this, [header, column](bool on) {
            header->setSectionHidden(column, !on);
            if (on && header->sectionSize(column) < header->minimumSectionSize() * 2)
                header->resizeSection(column, header->defaultSectionSize());
        });
    }
    PopupColumns->addSeparator();
    PopupColumns->addAction("Default columns", this, [this] {
        TIniFile none('.');
        ReadLayout(none);
    });
    PopupColumns->popup(header->mapToGlobal(pos));
}

void TLogbookPage::ReadLayout(const TIniFile& ini)
{
    QHeaderView* header = TableLogbook->horizontalHeader();
    const std::vector<TColumnPlace> places =
        ParseColumnLayout(ini.ReadString(kSection, "Columns", ""));
    const int defaultWidth = header->defaultSectionSize();
    for (size_t visual = 0; visual < places.size(); ++visual) {
        const int column = static_cast<int>(places[visual].Column);
        header->moveSection(header->visualIndex(column), static_cast<int>(visual));
        header->setSectionHidden(column, !places[visual].Shown);
        int width = places[visual].Width;
        if (width <= 0) {
            // Wide enough for the title, and for a name or a date.
            const QString title =
                Model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            width = std::max(defaultWidth, header->fontMetrics().horizontalAdvance(title) + 24);
            const std::string& key = LogbookColumns()[places[visual].Column].Key;
            if (key == "name" || key == "date" || key == "notes" || key == "warnings")
                width = std::max(
                    width, header->fontMetrics().horizontalAdvance("00.00.0000 00:00:00") + 16);
        }
        header->resizeSection(column, width);
    }
    std::string sort = ini.ReadString(kSection, "Sort", "-date");
    const bool descending = !sort.empty() && sort.front() == '-';
    if (descending)
        sort.erase(0, 1);
    if (const auto column = LogbookColumnIndex(sort))
        TableLogbook->sortByColumn(static_cast<int>(*column),
                                   descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TLogbookPage::WriteLayout(TIniFile& ini) const
{
    const QHeaderView* header = TableLogbook->horizontalHeader();
    std::vector<TColumnPlace> places;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        places.push_back({static_cast<size_t>(column), header->sectionSize(column),
                          !header->isSectionHidden(column)});
    }
    ini.WriteString(kSection, "Columns", FormatColumnLayout(places));
    const int sorted = header->sortIndicatorSection();
    if (sorted >= 0 && sorted < static_cast<int>(LogbookColumns().size()))
        ini.WriteString(kSection, "Sort",
                        (header->sortIndicatorOrder() == Qt::DescendingOrder ? "-" : "") +
                            LogbookColumns()[static_cast<size_t>(sorted)].Key);
}

void TLogbookPage::OpenSelected()
{
    const QStringList files = SelectedFiles();
    if (!files.isEmpty())
        emit OpenWanted(files, false);
}

void TLogbookPage::CompareSelected()
{
    const QStringList files = SelectedFiles();
    if (!files.isEmpty())
        emit OpenWanted(files, true);
}

void TLogbookPage::ShowSelectedInTree()
{
    const QModelIndex current = TableLogbook->currentIndex();
    if (current.isValid())
        emit ShowInTreeWanted(FullPath(Filter->RowAt(current.row())));
}

void TLogbookPage::ExportRows()
{
    // The rows as shown: filtered, in the view's order.
    std::vector<TLogbookRow> rows;
    for (int r = 0; r < Filter->rowCount(); ++r)
        rows.push_back(Filter->RowAt(r));
    const QString file =
        Dialogs().GetSaveFileName(this, "Export rows as CSV", Root + "/logbook.csv",
                                  "CSV files (*.csv);;All files (*)", "csv");
    if (file.isEmpty())
        return;
    if (IsFlightFileName(QFileInfo(file).fileName().toStdString())) {
        Dialogs().ShowError(this, "A flight file is never replaced by exported rows:\n" + file);
        return;
    }
    if (SaveFileAtomically(QFile::encodeName(file).toStdString(), LogbookCsv(rows),
                           TSaveMode::Replace) != TFileSave::Written)
        Dialogs().ShowError(this, QString(kMsgWriteIo) + "\n" + file);
}

void TLogbookPage::SetDetailsOfSelected()
{
    const std::vector<const TLogbookRow*> rows = SelectedRows();
    if (rows.empty())
        return;
    // A flight open with changes would write its old details back at its next save, or lose its
    // changes if it were read again: it is saved or closed first.
    QStringList changedOpen;
    std::vector<std::vector<int>> openRows;
    for (const TLogbookRow* row : rows) {
        openRows.push_back(Flights.RowsOfFilesIn(FullPath(*row)));
        for (int open : openRows.back())
            if (Flights.Modified(open))
                changedOpen << FromFileName(row->Path);
    }
    if (!changedOpen.isEmpty()) {
        Dialogs().ShowError(this, "These flights are open and changed. Save or close them first, "
                                  "then set their details:\n" +
                                      changedOpen.join('\n'));
        return;
    }
    std::vector<TFlightDetails> details;
    std::set<std::string> models, sites, pilots, tags;
    for (const TLogbookRow& row : Model->Rows()) {
        models.insert(row.Details.Model);
        sites.insert(row.Details.Site);
        pilots.insert(row.Details.Pilot);
        tags.insert(row.Details.Tags.begin(), row.Details.Tags.end());
    }
    for (const TLogbookRow* row : rows)
        details.push_back(row->Details);
    const auto list = [](const std::set<std::string>& values) {
        QStringList out;
        for (const auto& v : values)
            if (!v.empty())
                out << QString::fromStdString(v);
        return out;
    };
    FormFlightDetails->Prepare(details, {list(models), list(sites), list(pilots), list(tags)});
    if (Dialogs().Exec(*FormFlightDetails) != QDialog::Accepted)
        return;
    const TDetailsEdit edit = FormFlightDetails->Edit();
    if (edit.Empty())
        return;
    if (const auto refused = CheckDetailsEdit(edit)) {
        Dialogs().ShowError(this, QString::fromStdString(*refused));
        return;
    }
    // Every file is read and rewritten in memory before the first is written, so a file that
    // cannot be read changes none.
    std::vector<std::string> contents;
    QStringList files;
    for (const TLogbookRow* row : rows) {
        const QString file = FullPath(*row);
        TDataBlock flight;
        const TReadResult read = ReadDataFile(QFile::encodeName(file).toStdString(), flight, 0);
        std::string content;
        QString failure;
        if (read.Status != TReadStatus::Ok || read.Count < 1)
            failure = QString::fromStdString(read.Status == TReadStatus::Ok
                                                 ? std::string("Chyba při otevírání souboru!")
                                                 : read.Message);
        else if (!ReadWholeFile(QFile::encodeName(file).toStdString(), content))
            failure = kMsgReadIo;
        TRewriteResult rewritten;
        if (failure.isEmpty()) {
            rewritten = RewriteDetails(content, edit);
            if (!rewritten.Ok)
                failure = QString::fromStdString(rewritten.Message);
        }
        if (!failure.isEmpty()) {
            Dialogs().ShowError(this, file + ":\n" + failure + "\nNo flight was changed.");
            return;
        }
        contents.push_back(rewritten.Changed ? std::move(rewritten.Content) : std::string());
        files << file;
    }
    QStringList failed, written;
    for (size_t i = 0; i < contents.size(); ++i) {
        if (contents[i].empty())
            continue;
        if (SaveFileAtomically(QFile::encodeName(files[static_cast<int>(i)]).toStdString(),
                               contents[i], TSaveMode::Replace) != TFileSave::Written) {
            failed << files[static_cast<int>(i)];
            continue;
        }
        written << files[static_cast<int>(i)];
        // An open flight unchanged in the program takes the new section, so that its next save
        // keeps the details.
        std::vector<std::string> lines = LocateExtraSection(contents[i]).Lines;
        std::erase_if(
            lines, [](const std::string& l) { return l.find("RxOffsetY") != std::string::npos; });
        for (int open : openRows[i])
            Flights.AdoptExtraLines(open, lines);
    }
    if (!written.isEmpty())
        emit FilesWritten(written);
    if (!failed.isEmpty())
        Dialogs().ShowError(this, QString(kMsgWriteIo) + "\n" + failed.join('\n'));
    Refresh();
}

} // namespace zirko
