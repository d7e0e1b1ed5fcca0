#include "gui/app/FormMain.h"

#include "core/app/IniFile.h"
#include "core/app/RecentFiles.h"
#include "core/app/TextCodec.h"
#include "core/import/ImportPlan.h"
#include "core/shell/FileKinds.h"
#include "gui/app/FormAbout.h"
#include "gui/device/ZirkoComForm.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/flightdata/FlightsDialogs.h"
#include "gui/graph/FlightsGraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/import/FormImport.h"
#include "gui/logbook/LogbookPage.h"
#include "gui/report/ReportCommands.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "gui/services/WinStates.h"
#include "gui/shell/DataTree.h"
#include "gui/shell/DetailsCompletion.h"
#include "gui/shell/FormAssert.h"
#include "gui/shell/FormOptions.h"
#include "gui/shell/NotesPage.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightImporter.h"
#include "platform/files/LogbookFiles.h"
#include "platform/files/LogbookIndex.h"
#include "platform/files/SettingsFile.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace zirko {

TFormMain::TFormMain(const TAppPaths& paths, QWidget* parent) : QMainWindow(parent), AppPaths(paths)
{
    setObjectName("FormMain");
    setWindowTitle("ZIRKO");
    setWindowIcon(ProgramIcon());
    resize(932, 662);
    FlightQuestions =
        std::make_unique<TWindowFlightsDialogs>(*this, [this] { return DataFolder->DataDir(); });
    FlightList = std::make_unique<TOpenFlights>(*FlightQuestions,
                                                [this] { return Options.MarkerThreshold; });
    Flights = FlightList.get();
    CreateMenu();
    CreatePanels();
    DataFolder = new TDataFolder(this);
    // The data folder beside the program, or the program's own folder.
    DataFolder->SetDataDir(QDir::cleanPath(DefaultDataDir(AppPaths.ProgramDir)));
    TreeView1 = new TDataTree(*Flights, *DataFolder, PanelTree);
    PanelTree->layout()->addWidget(TreeView1);
    connect(this, &TFormMain::FirstShown, DataFolder, &TDataFolder::WindowShown);
    connect(mnuRefreshMain, &QAction::triggered, TreeView1, &TDataTree::RefreshTreeView);
    WinStates().SetSettingsFile(AppPaths.SettingsFile);
    FormAssert = new TFormAssert(this);
    InstallAssertionHandler(FormAssert);
    FormAbout = new TFormAbout(this);
    CreateGraphPage();
    ZirkoComForm = new TZirkoComForm(this);
    FormOptions = new TFormOptions(this);
    FormImport = new TFormImport(this);
    setAcceptDrops(true);
    connect(FormOptions, &TFormOptions::FolderChosen, DataFolder, &TDataFolder::Watch);
    connect(DataFolder, &TDataFolder::Trashed, this, [this](const QString& path) {
        statusBar()->showMessage("Moved to the trash: " + QDir::toNativeSeparators(path));
    });
    ObserveFlights();
    ConnectLogbook();
    qApp->installEventFilter(this);
}

void TFormMain::ConnectLogbook()
{
    LogbookPage->SetIndexPath(TLogbookIndex::DefaultPath());
    // Whatever changed the data folder, the logbook reads what changed when it is shown.
    connect(DataFolder, &TDataFolder::Changed, LogbookPage, [this] {
        LogbookPage->SetDataDir(DataFolder->DataDir()); // a renamed root is followed
        LogbookPage->FolderChanged();
    });
    connect(LogbookPage, &TLogbookPage::OpenWanted, this, &TFormMain::OpenLogbookFlights);
    connect(LogbookPage, &TLogbookPage::ShowInTreeWanted, this, [this](const QString& file) {
        TTreeNode* node = TreeView1->NodeOfFile(file);
        if (!node) {
            statusBar()->showMessage("Not in the tree: " + QDir::toNativeSeparators(file));
            return;
        }
        TreeView1->setCurrentItem(node);
        TreeView1->scrollToItem(node);
        TreeView1->setFocus();
    });
}

void TFormMain::OpenLogbookFlights(const QStringList& files, bool align)
{
    int opened = 0;
    for (const QString& file : files)
        opened += OpenFlightFile(file) >= 0 ? 1 : 0;
    if (opened == 0)
        return;
    PageControl->setCurrentWidget(TabGraph);
    if (align)
        AlignLaunches();
}

void TFormMain::ObserveFlights()
{
    connect(Flights, &TOpenFlights::FlightOpened, this, [this](int row) {
        SetPagesEnabled(true);
        ResizeNameColumn();
        AddRecentFile(Recent, Flights->FileName(row).toStdString());
    });
    connect(Flights, &TOpenFlights::FlightClosed, this, [this] {
        if (Flights->Empty())
            SetPagesEnabled(false);
        else
            ResizeNameColumn();
    });
}

TFormMain::~TFormMain()
{
    qApp->removeEventFilter(this);
    TreeView1->ClearTreeView();
    Flights->CloseAllDataFiles();
    // These talk to the graph host adapter, which goes before the window's children do.
    delete FormAnnot;
    delete GraphPage;
    // The grid, the tree and the notes page observe the list, which goes before the window's
    // children do.
    delete takeCentralWidget();
}

void TFormMain::ShowError(const QString& text)
{
    Dialogs().ShowError(this, text);
}

char TFormMain::DecimalSeparator() const
{
    return UserDecimalSeparator();
}

void TFormMain::CreateMenu()
{
    QMenu* file = menuBar()->addMenu("File");
    mnuOpenFlight = file->addAction("Open flight...", this, &TFormMain::ExecuteOpenFlight);
    mnuOpenFlight->setObjectName("mnuOpenFlight");
    mnuRecent = file->addMenu("Recent flights");
    mnuRecent->setObjectName("mnuRecent");
    connect(mnuRecent, &QMenu::aboutToShow, this, &TFormMain::FillRecentMenu);
    mnuSaveFlight =
        file->addAction("Save flight", QKeySequence("Ctrl+S"), this, &TFormMain::SaveCurrentFlight);
    mnuSaveFlight->setObjectName("mnuSaveFlight");
    mnuFlightReport = file->addAction("Flight report...", this, [this] {
        ShowFlightReportOfOpenFlight(this, *Flights, Flights->ActualRow());
    });
    mnuFlightReport->setObjectName("mnuFlightReport");
    file->addSeparator();
    mnuOptions =
        file->addAction("Options", QKeySequence("Ctrl+O"), this, &TFormMain::ExecuteOptions);
    mnuOptions->setObjectName("mnuOptions");
    mnuImport = file->addAction("Import flights...", this, &TFormMain::ExecuteImport);
    mnuImport->setObjectName("mnuImport");
    mnuRefreshMain = file->addAction("Refresh", QKeySequence("Ctrl+F"));
    mnuRefreshMain->setObjectName("mnuRefreshMain");
    mnuExit = file->addAction("Exit", this, &QWidget::close);
    mnuExit->setObjectName("mnuExit");
    QMenu* data = menuBar()->addMenu("Data");
    mnuReadData =
        data->addAction("Read data", QKeySequence("Ctrl+R"), this, &TFormMain::ExecuteReadData);
    mnuReadData->setObjectName("mnuReadData");
    mnuAbout = menuBar()->addAction("About", this, &TFormMain::ShowAbout);
    mnuAbout->setObjectName("mnuAbout");
}

QWidget* TFormMain::CreateInfoPage()
{
    NotesPage = new TNotesPage;
    return NotesPage;
}

void TFormMain::CreatePanels()
{
    PanelLeft = new QWidget;
    PanelLeft->setObjectName("PanelLeft");
    PanelLeft->setMinimumWidth(50);
    SplitterLeft = new QSplitter(Qt::Vertical, PanelLeft);
    SplitterLeft->setObjectName("SplitterLeft");
    PanelTree = new QWidget;
    PanelTree->setObjectName("PanelTree");
    auto* treeLayout = new QVBoxLayout(PanelTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    PanelOpenFiles = new QWidget;
    PanelOpenFiles->setObjectName("PanelOpenFiles");
    PanelOpenFiles->setMinimumHeight(30);
    PanelOpenFiles->setAutoFillBackground(true);
    QPalette white = PanelOpenFiles->palette();
    white.setColor(QPalette::Window, Qt::white);
    PanelOpenFiles->setPalette(white);
    auto* openLayout = new QVBoxLayout(PanelOpenFiles);
    openLayout->setContentsMargins(0, 0, 0, 0);
    StringGrid1 = new TFlightGrid(PanelOpenFiles);
    StringGrid1->hide();
    StringGrid1->Observe(*Flights);
    openLayout->addWidget(StringGrid1);
    SplitterLeft->addWidget(PanelTree);
    SplitterLeft->addWidget(PanelOpenFiles);
    SplitterLeft->setStretchFactor(0, 1);
    SplitterLeft->setStretchFactor(1, 0);
    SplitterLeft->setSizes({500, 129});
    auto* leftLayout = new QVBoxLayout(PanelLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(SplitterLeft);

    PageControl = new QTabWidget;
    PageControl->setObjectName("PageControl");
    TabInfo = CreateInfoPage();
    NotesPage->ObserveFlights(*Flights);
    TabInfo->setObjectName("TabInfo");
    TabGraph = new QWidget;
    TabGraph->setObjectName("TabGraph");
    auto* graphLayout = new QVBoxLayout(TabGraph);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    PageControl->addTab(TabInfo, "Flight information");
    PageControl->addTab(TabGraph, "Graph");
    LogbookPage = new TLogbookPage(*Flights);
    TabLogbook = LogbookPage;
    PageControl->addTab(TabLogbook, "Logbook");

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName("Splitter1");
    Splitter1->addWidget(PanelLeft);
    Splitter1->addWidget(PageControl);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setSizes({PanelLeftWidth, 932 - PanelLeftWidth});
    setCentralWidget(Splitter1);
    statusBar()->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(true);

    SetPagesEnabled(false);
}

void TFormMain::ResizeNameColumn()
{
    if (NameColMinWidth < 8)
        return;
    const int width = StringGrid1->viewport()->width() -
                      (kGridVisibleColumns - 1) * kGridDefaultColWidth - kGridVisibleColumns;
    StringGrid1->setColumnWidth(kGridNameCol, std::max(width, NameColMinWidth));
}

void TFormMain::SetPagesEnabled(bool on)
{
    TabInfo->setEnabled(on);
    TabGraph->setEnabled(on);
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        FormShowFirst();
        emit FirstShown();
    }
}

void TFormMain::FormShowFirst()
{
    SetDefaultGraphSettings(GraphSettings);
    GraphSettings.SettingsChanged = false;
    ReadSettings();
    LogbookPage->SetDataDir(DataFolder->DataDir());
    LoadDataFolderDetails();
    DataFolder->Watch(DataFolder->DataDir());
    WinStates().RestoreWindowState(this);
    if (NameColMinWidth > 7)
        NameColMinWidth = QFontMetrics(StringGrid1->font()).horizontalAdvance("ABCDEFGH");
    ResizeNameColumn();
    SetPagesEnabled(!Flights->Empty());
    TreeView1->BuildTree();
    QApplication::processEvents();
    DataFolder->SetNotifyEnabled(true);
    ApplyChartSettings();
    GraphPage->Plot().SetClimbShown(Options.ShowClimb);
    GraphPage->Plot().SetMotorShown(Options.ShowMotor);
    GraphPage->Plot().SetPhasesShown(Options.ShowPhases);
}

void TFormMain::ReadSettings()
{
    const TIniFile ini = LoadIniFile(AppPaths.SettingsFile.toStdString(), DecimalSeparator())
                             .value_or(TIniFile(DecimalSeparator()));
    Options.Root = DataFolder->DataDir().toStdString();
    Options.PanelLeft = PanelLeft->width() > 0 && isVisible() ? PanelLeft->width() : PanelLeftWidth;
    ReadOptions(ini, Options, [](const std::string& dir) {
        return !dir.empty() && QFileInfo(QString::fromStdString(dir)).isDir();
    });
    DataFolder->SetDataDir(QString::fromStdString(Options.Root));
    DeflectionOnGraph = Options.DeflectionOnGraph;
    PanelLeftWidth = std::max(50, Options.PanelLeft);
    Splitter1->setSizes({PanelLeftWidth, std::max(100, width() - PanelLeftWidth)});
    WinStates().SetSaveWindowsPos(Options.SaveWindowsPos);
    NameColMinWidth = Options.AutoGridSize;
    ReadGraphSettings(ini, GraphSettings);
    Flights->SetEventOptions(Options.Events);
    Recent = ReadRecentFiles(ini);
    LogbookPage->ReadLayout(ini);
}

void TFormMain::LoadDataFolderDetails(bool profilesOnly)
{
    const QString file = QDir(DataFolder->DataDir())
                             .filePath(QString::fromStdString(std::string(kModelProfilesFile)));
    // No file, or one that cannot be read: the general analysis settings apply to every flight.
    const TProfilesRead read = ReadModelProfiles(QFile::encodeName(file).toStdString());
    Flights->SetModelProfiles(read.Ok ? read.Profiles : TModelProfiles());
    if (!profilesOnly)
        NotesPage->Completion->Gather(DataFolder->DataDir());
}

void TFormMain::ChangeSettingsFile(const std::function<void(TIniFile&)>& change)
{
    TIniFile ini = LoadIniFile(AppPaths.SettingsFile.toStdString(), DecimalSeparator())
                       .value_or(TIniFile(DecimalSeparator()));
    change(ini);
    if (!SaveIniFile(AppPaths.SettingsFile.toStdString(), ini))
        ShowError("Error in writing file.\n" + AppPaths.SettingsFile);
}

void TFormMain::WriteSettings()
{
    Options.Root = DataFolder->DataDir().toStdString();
    Options.DeflectionOnGraph = DeflectionOnGraph;
    Options.PanelLeft = PanelLeft->width();
    Options.SaveWindowsPos = WinStates().SaveWindowsPosEnabled();
    Options.AutoGridSize = NameColMinWidth;
    Options.ShowTable = GraphPage->TableShown();
    Options.TBShowLegend = GraphPage->Plot().LegendShown();
    ChangeSettingsFile([this](TIniFile& ini) {
        WriteOptions(ini, Options);
        if (GraphSettings.SettingsChanged)
            WriteGraphSettings(ini, GraphSettings);
        WriteRecentFiles(ini, Recent);
    });
}

void TFormMain::WriteAnalysisSettings()
{
    Options.ShowClimb = GraphPage->Plot().ClimbShown();
    Options.ShowMotor = GraphPage->Plot().MotorShown();
    Options.ShowPhases = GraphPage->Plot().PhasesShown();
    ChangeSettingsFile([this](TIniFile& ini) { WriteAnalysisOptions(ini, Options); });
}

void TFormMain::CloseQuery()
{
    QString failure;
    for (int row = Flights->FlightCount() - 1; row >= 0 && !Flights->Empty(); --row) {
        try {
            Flights->CloseDataFile(row);
        } catch (const std::exception& e) {
            failure = QString("Error by Closing files on CloseQuery!\r") + e.what();
        }
    }
    if (!failure.isEmpty())
        ShowError(failure);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (!Closed) {
        CloseQuery();
        // A flight whose changes could not be saved is still open: the window stays.
        if (!Flights->Empty()) {
            event->ignore();
            return;
        }
        WriteSettings();
        WinStates().SaveWindowStates();
        ChangeSettingsFile([this](TIniFile& ini) { LogbookPage->WriteLayout(ini); });
        // After the window positions, so that the analysis section stands after every section
        // the program has always written.
        WriteAnalysisSettings();
        Closed = true;
    }
    event->accept();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    // The grid fills the panel below the tree: its viewport is resized after the panel's layout
    // has placed it, so the width used for the name column is already the new one.
    if (event->type() == QEvent::Resize && StringGrid1 && watched == StringGrid1->viewport())
        ResizeNameColumn();
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && QApplication::activeModalWidget() == nullptr) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Esc in the in-place editor of a tree or table cancels only that edit.
            auto inPlaceEditor = [](QWidget* widget) {
                for (QWidget* p = widget->parentWidget(); p; p = p->parentWidget())
                    if (auto* view = qobject_cast<QAbstractItemView*>(p))
                        return widget != view->viewport();
                return false;
            };
            if (key->key() == Qt::Key_Escape && !inPlaceEditor(w)) {
                // A stray Esc must not end the program: Enter answers No.
                if (Dialogs().AskYesNo(this, "Are you sure to exit application?", false,
                                       TAnswer::No) == TAnswer::Yes)
                    close();
                return true;
            }
            // Space held over the Graph page pans the chart; the key goes no further.
            if (key->key() == Qt::Key_Space && !inPlaceEditor(w) && GraphPage->SpaceDown())
                return true;
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        auto* w = qobject_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (w && w->window() == this && key->key() == Qt::Key_Space && !key->isAutoRepeat() &&
            PageControl->currentWidget() == TabGraph)
            GraphPage->SpaceUp();
    }
    if (event->type() == QEvent::Wheel) {
        auto* w = qobject_cast<QWidget*>(watched);
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (w && w->window() == this &&
            GraphPage->HandleWheel(wheel->globalPosition().toPoint(), wheel->angleDelta().y()))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

int TFormMain::OpenFlightFile(const QString& fileName)
{
    const QString path = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
    const QString real = QFileInfo(path).canonicalFilePath();
    for (int row = 0; row < Flights->FlightCount(); ++row) {
        const QString open = Flights->FileName(row);
        if (open == path || (!real.isEmpty() && QFileInfo(open).canonicalFilePath() == real)) {
            MakeRowCurrent(row);
            AddRecentFile(Recent, path.toStdString());
            return row;
        }
    }
    int row = -1;
    if (TTreeNode* node = TreeView1->NodeOfFile(path); node && node->Data()) {
        TreeView1->setCurrentItem(node);
        TreeView1->TreeView1DblClick(); // shows its own message when the file cannot be read
        row = node->Data()->GridRow;
    } else {
        row = Flights->OpenDataFile(path);
        if (row < 0)
            ShowError("Chyba při otevírání souboru!");
    }
    // A flight file that is gone is no longer offered.
    if (row < 0 && !QFileInfo(path).isFile())
        RemoveRecentFile(Recent, path.toStdString());
    return row;
}

void TFormMain::ExecuteOpenFlight()
{
    const QStringList files = Dialogs().GetOpenFileNames(this, "Open flight", DataFolder->DataDir(),
                                                         "Zirko data (*.zdf);;All files (*)");
    for (const QString& file : files)
        OpenFlightFile(file);
}

void TFormMain::FillRecentMenu()
{
    mnuRecent->clear();
    int number = 0;
    for (const std::string& entry : Recent) {
        const QString path = QString::fromStdString(entry);
        QAction* action =
            mnuRecent->addAction(QString("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()),
                                 this, [this, path] { OpenFlightFile(path); });
        action->setData(path);
        action->setToolTip(QDir::toNativeSeparators(path));
        action->setStatusTip(QDir::toNativeSeparators(path));
    }
    if (Recent.empty())
        mnuRecent->addAction("(none)")->setEnabled(false);
    mnuRecent->setToolTipsVisible(true);
}

void TFormMain::SaveCurrentFlight()
{
    const int row = Flights->ActualRow();
    if (row < 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Flights->SaveFlight(row);
    QApplication::restoreOverrideCursor();
}

void TFormMain::OpenDroppedFiles(const QStringList& fileNames)
{
    // Telemetry logs and IGC files go to the import, the rest is opened or named.
    QStringList imports;
    std::vector<std::string> names;
    for (const QString& name : fileNames) {
        if (IsImportSource(name.toStdString()))
            imports << name;
        else
            names.push_back(name.toStdString());
    }
    const TFilesByKind sorted = SortFilesByKind(names);
    for (const std::string& flight : sorted.Flights)
        OpenFlightFile(QString::fromStdString(flight));
    if (!sorted.Other.empty()) {
        QStringList other;
        for (const std::string& name : sorted.Other)
            other << QDir::toNativeSeparators(QString::fromStdString(name));
        ShowError("These files are not flight data files (.zdf) and were not opened:\n" +
                  other.join('\n'));
    }
    if (!imports.isEmpty())
        ImportFlights(imports);
}

namespace {
QStringList LocalFiles(const QMimeData* mime)
{
    QStringList files;
    if (mime)
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}
} // namespace

void TFormMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended, so that messages do not appear inside the drag.
    QMetaObject::invokeMethod(
        this, [this, files] { OpenDroppedFiles(files); }, Qt::QueuedConnection);
}

void TFormMain::ShowAbout()
{
    FormAbout->move(geometry().center() - FormAbout->rect().center());
    Dialogs().Exec(*FormAbout);
}

void TFormMain::ExecuteOptions()
{
    const auto result = TFormOptions::ExecuteOptions(
        *FormOptions, DataFolder->DataDir(), QString::fromStdString(Options.COM),
        QString::fromStdString(Options.DefFileName), Options.MarkerThreshold, Options.Events);
    if (!result)
        return;
    // The open flights' events follow at once: the pages show them anew.
    Options.Events = result->Events;
    Flights->SetEventOptions(Options.Events);
    Options.COM = result->PortName.toStdString();
    Options.DefFileName = result->DefaultFileName.toStdString();
    if (result->MarkerThreshold)
        Options.MarkerThreshold = *result->MarkerThreshold;
    DeflectionOnGraph = false;
    if (QDir::cleanPath(result->RootFolder) != QDir::cleanPath(DataFolder->DataDir())) {
        DataFolder->SetDataDir(QDir::cleanPath(result->RootFolder));
        TreeView1->ReloadDataDir();
        LogbookPage->SetDataDir(DataFolder->DataDir());
        LoadDataFolderDetails();
    } else if (result->ModelsWritten) {
        LoadDataFolderDetails(true);
    }
}

void TFormMain::ExecuteReadData()
{
    ZirkoComForm->SetPortName(QString::fromStdString(Options.COM));
    ZirkoComForm->SetDataFolder(DataFolder->DataDir());
    ZirkoComForm->SetDefaultFileName(QString::fromStdString(Options.DefFileName));
    ZirkoComForm->SetFlightTemperature(Options.FlightTemperature);
    ZirkoComForm->SetMarkerThreshold(Options.MarkerThreshold);
    ZirkoComForm->SetBackupFolder(AppPaths.BackupDir);
    // The logbook's analysis, so that the index the download refreshes serves the logbook.
    ZirkoComForm->SetEventOptions(Flights->EventOptions());
    ZirkoComForm->Execute();
    // The window keeps what the user changed there and what a save filled in.
    Options.COM = ZirkoComForm->PortName().toStdString();
    Options.DefFileName = ZirkoComForm->DefaultFileName().toStdString();
    Options.FlightTemperature = ZirkoComForm->FlightTemperature();
    TreeView1->RefreshTreeView();
}

void TFormMain::ExecuteImport()
{
    const QStringList files = Dialogs().GetOpenFileNames(
        this, "Import flights", DataFolder->DataDir(),
        "Telemetry logs and IGC files (*.csv *.CSV *.igc *.IGC);;All files (*)");
    if (!files.isEmpty())
        ImportFlights(files);
}

void TFormMain::ImportFlights(const QStringList& files)
{
    TImportPlan plan([](const std::string& file, const TColumnChoice& choice) {
        return ReadImportSource(file, TImportFormat::Auto, choice);
    });
    const TIniFile ini = LoadIniFile(AppPaths.SettingsFile.toStdString(), DecimalSeparator())
                             .value_or(TIniFile(DecimalSeparator()));
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(QFileInfo(file).absoluteFilePath().toStdString());
    plan.AddFiles(paths,
                  [&ini](const std::string& layout) { return ReadImportChoice(ini, layout); });
    FormImport->SetPlan(&plan, QDir(DataFolder->DataDir()).filePath("Imported"),
                        DecimalSeparator());
    const int result = Dialogs().Exec(*FormImport);
    // A folder typed without its path lies in the data folder.
    const QString folder = QDir(DataFolder->DataDir()).absoluteFilePath(FormImport->Folder());
    FormImport->SetPlan(nullptr, QString(), DecimalSeparator());
    if (result != QDialog::Accepted)
        return;
    if (const auto chosen = plan.ChosenLayouts(); !chosen.empty())
        ChangeSettingsFile([&chosen](TIniFile& settings) {
            for (const auto& [layout, choice] : chosen)
                WriteImportChoice(settings, layout, choice);
        });

    QStringList report;
    QString failure;
    for (size_t i = 0; i < plan.FileCount() && failure.isEmpty(); ++i) {
        const TImportResult& source = plan.Source(i);
        if (!source.Ok()) {
            report << QString::fromStdString(DecodeFileText(source.Error));
            continue;
        }
        const TImportWrite write = WriteImportedFlights(source, plan.File(i), folder.toStdString(),
                                                        ImportBaseName(plan.File(i)));
        if (!write.Ok())
            failure = QString::fromStdString(DecodeFileText(write.Error));
        else
            report << QString::fromStdString(DecodeFileText(
                ImportSummaryText(plan.File(i), source.Flights.size(), source.SkippedRows)));
    }
    // The new files show in the tree before any message is read.
    TreeView1->RefreshTreeView();
    if (!failure.isEmpty())
        ShowError(failure);
    if (!report.isEmpty())
        Dialogs().ShowInformation(this, report.join("\n"));
}

} // namespace zirko
