// The Logbook page of the main window: every flight file under the data folder in one table, with
// a filter and its match count, a summary of the selected rows and the commands on them.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace zirko {

class TFormFlightDetails;
class TIniFile;
class TLogbookFilterModel;
class TLogbookTableModel;
class TOpenFlights;
class TTrendsView;
struct TLogbookRow;

class TLogbookPage : public QWidget {
    Q_OBJECT
public:
    // `flights` are the open ones: details are never set behind an open flight's back.
    explicit TLogbookPage(TOpenFlights& flights, QWidget* parent = nullptr);
    ~TLogbookPage() override;

    // The root data folder; the rows follow it at the next reading.
    void SetDataDir(const QString& folder);
    QString DataDir() const { return Root; }
    // Where the index lies (the user's cache folder unless a test says otherwise).
    void SetIndexPath(const QString& path) { IndexPath = path; }
    void SetDecimalSeparator(char separator);
    // The most folders a reading walks, as the tree does; beyond them the page says so.
    void SetMaxFolders(size_t limit) { MaxFolders = limit; }

    // Compares the data folder with the index and reads new and changed files on worker threads;
    // a reading asked for while one runs follows it.
    void Refresh();
    // The folder changed on disk or by the program: read again soon if the page is shown, else
    // when it is shown next.
    void FolderChanged();
    bool IsReading() const { return Reading; }
    // Stops the reading under way; the rows of files read so far are shown.
    void CancelReading();

    // The columns the user arranged, kept in the settings file.
    void ReadLayout(const TIniFile& ini);
    void WriteLayout(TIniFile& ini) const;

    // The full paths of the selected rows, in the view's order.
    QStringList SelectedFiles() const;
    std::vector<const TLogbookRow*> SelectedRows() const;
    TLogbookTableModel* Table() const { return Model; }
    TLogbookFilterModel* Proxy() const { return Filter; }

    // The commands of the context menu.
    void OpenSelected();
    void CompareSelected();
    void ExportRows();
    void SetDetailsOfSelected();
    void ShowSelectedInTree();

signals:
    // The user wants these flight files open; `align` lines their launches up on the graph.
    void OpenWanted(const QStringList& files, bool align);
    void ShowInTreeWanted(const QString& file);
    // A reading has put its rows into the table.
    void RowsRead();
    // The program itself rewrote these files.
    void FilesWritten(const QStringList& files);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* EditFilter = nullptr;
    QLabel* LabelCount = nullptr;
    QProgressBar* ProgressRead = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonTrends = nullptr; // shows the Trends view below the table
    QTableView* TableLogbook = nullptr;
    QLabel* LabelSummary = nullptr;
    QMenu* PopupLogbook = nullptr;
    QAction* pmnuOpen = nullptr;
    QAction* pmnuCompare = nullptr;
    QAction* pmnuExport = nullptr;
    QAction* pmnuSetDetails = nullptr;
    QAction* pmnuShowInTree = nullptr;
    QAction* pmnuReport = nullptr;
    QAction* pmnuScoreSheet = nullptr;
    QMenu* PopupColumns = nullptr;
    TFormFlightDetails* FormFlightDetails = nullptr;
    TTrendsView* TrendsView = nullptr;

    void ShowReadProgress();
    void ReadDone(quint64 generation, std::shared_ptr<std::vector<TLogbookRow>> rows, size_t unread,
                  bool complete);
    void StopReading();
    void FilterEdited();
    void UpdateCount();
    void UpdateSummary();
    void ShowPopup(const QPoint& pos);
    void ShowColumnsMenu(const QPoint& pos);
    // Selects rows of the table model (as the Trends view names them) and shows the first.
    void SelectSourceRows(const QList<int>& sourceRows);
    QString FullPath(const TLogbookRow& row) const;

    TOpenFlights& Flights;
    TLogbookTableModel* Model = nullptr;
    TLogbookFilterModel* Filter = nullptr;
    QTimer* ProgressTimer = nullptr;
    QTimer* ChangeTimer = nullptr;
    QLabel* LabelLimit = nullptr; // the folder limit cut the last reading short
    QString Root;
    QString IndexPath;
    QString FilterError;
    std::thread Reader;
    std::atomic<bool> Cancel{false};
    std::atomic<size_t> ReadCount{0};
    std::atomic<size_t> ReadTotal{0};
    quint64 Generation = 0;
    size_t MaxFolders;
    bool Reading = false;
    bool RefreshPending = false;
    bool Stale = true; // the rows may not be what the folder holds
};

} // namespace zirko
