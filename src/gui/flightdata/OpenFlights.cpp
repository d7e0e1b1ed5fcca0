// The open-flights list of the main window: opening, the grid, the current flight, saving, closing.
#include "gui/app/FormMain.h"

#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "core/shell/Assertion.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/services/UserDialogs.h"
#include "platform/files/FlightFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <algorithm>
#include <stdexcept>

namespace zirko {

namespace {
constexpr const char* kUnit = "Data";

QString Text(const std::string& bytes)
{
    return QString::fromStdString(DecodeFileText(bytes));
}
} // namespace

TDataBlock* TFormMain::Flight(int row) const
{
    if (row < 0 || row >= static_cast<int>(DataList.size()))
        return nullptr;
    return DataList[static_cast<size_t>(row)].get();
}

QString TFormMain::GridCell(int col, int row) const
{
    return StringGrid1->Cell(col, row);
}

bool TFormMain::ChannelShownAnywhere(int column) const
{
    if (!StringGrid1->isVisibleTo(this) || StringGrid1->rowCount() == 0)
        return false;
    for (int row = 0; row < StringGrid1->rowCount(); ++row)
        if (StringGrid1->Cell(column, row) == "1")
            return true;
    return false;
}

int TFormMain::OpenDataFile(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        return -1;
    auto flight = std::make_unique<TDataBlock>();
    int count = -1;
    const TReadResult result =
        ReadDataFile(QFile::encodeName(fileName).toStdString(), *flight, Options.MarkerThreshold);
    switch (result.Status) {
    case TReadStatus::Ok:
        count = result.Count;
        break;
    case TReadStatus::Failed:
        ShowError("Error by opening datafile \"" + fileName + "\"! \r" +
                  QString::fromStdString(result.Message));
        count = -1;
        break;
    case TReadStatus::IoError:
        ShowError(QString::fromStdString(result.Message));
        count = 0;
        break;
    }
    if (count < 1)
        return -1;
    flight->Modified = false;

    int row = 0;
    if (StringGrid1->isVisibleTo(this) && StringGrid1->rowCount() > 0) {
        row = StringGrid1->rowCount();
        StringGrid1->setRowCount(row + 1);
    } else {
        StringGrid1->setRowCount(1);
        StringGrid1->show();
        SetPagesEnabled(true);
        ResizeNameColumn();
    }
    const QString name = QString::fromStdString(FlightNameOf(fileName.toStdString()));
    DataList.push_back(std::move(flight));
    // The series take their titles from the name cell.
    StringGrid1->SetCell(kGridNameCol, row, name);
    const std::array<QString, 5> states = BuildFlightSeries(row);
    for (int c = 1; c <= 5; ++c)
        StringGrid1->SetCell(c, row, states[static_cast<size_t>(c - 1)]);
    StringGrid1->SetCell(kGridPathCol, row, fileName);
    StringGrid1->SetCell(kGridColorCol, row, QString::number(FlightColorValue(row)));
    StringGrid1->SetCell(1, row, "1");
    GridCheck(1, row, true);
    if (StringGrid1->rowCount() == 1) {
        StringGrid1->SelectRowSilently(0);
        GridChangeActualFile(0, -1);
    }
    ResizeNameColumn();
    return row;
}

void TFormMain::GridCheck(int col, int arow, bool checked)
{
    try {
        if (!ZIRKO_ASSERT(arow <= static_cast<int>(DataList.size()) - 1,
                          "Arow<=FormMain.DataList.count-1 in GridCheck", kUnit))
            throw std::runtime_error("Data record not found in GridCheck!");
        TDataBlock* flight = Flight(arow);
        if (!ZIRKO_ASSERT(flight != nullptr, "DataBlockPtr<>nil in GridCheck", kUnit))
            throw std::runtime_error("Data record pointer invalid in GridCheck!");
        if (col >= 1 && col <= 5)
            ShowFlightChannel(arow, col, checked);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\rIn GridCheck.");
    }
}

void TFormMain::StoreEditedNotes(int row)
{
    TDataBlock* flight = Flight(row);
    if (flight && NotesModified()) {
        flight->Notes = NotesBytes();
        flight->Modified = true;
        // The record holds the edits now; from here on its Modified flag speaks for them.
        MarkNotesStored();
    }
}

void TFormMain::GridChangeActualFile(int arow, int lastrow)
{
    try {
        if (lastrow >= 0) {
            ZIRKO_ASSERT(lastrow <= static_cast<int>(DataList.size()) - 1,
                         "Lastrow<=FormMain.DataList.count-1 in GridChangeActualFile", kUnit);
            TDataBlock* last = Flight(lastrow);
            if (ZIRKO_ASSERT(last != nullptr, "DataBlockPtr<>nil in GridChangeActualFile", kUnit))
                StoreEditedNotes(lastrow);
        }
        ActualRow = arow;
        ZIRKO_ASSERT(arow <= static_cast<int>(DataList.size()) - 1,
                     "Arow<=FormMain.DataList.count-1 in GridChangeActualFile", kUnit);
        TDataBlock* flight = Flight(arow);
        if (!ZIRKO_ASSERT(flight != nullptr, "DataBlockPtr<>nil in GridChangeActualFile", kUnit))
            return;
        const char sep = DecimalSeparator();
        EditDate->setText(Text(flight->DateText));
        if (!flight->Time.empty())
            EditFlyTime->setText(QString::fromStdString(FlightTimeText(*flight, sep)));
        EditSample->setText(QString::fromStdString(SamplingText(*flight, sep)));
        EditVer->setText("0");
        EditMaxAlt->setText(QString::fromStdString(MaxHeightText(*flight, sep)));
        LoadNotes(flight->Notes);
        LoadShiftControls(arow);
        MoveFlightSeriesToFront(arow);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\rIn GridChangeActualFile.");
    }
}

bool TFormMain::SaveDataFile(int row, bool ask)
{
    TDataBlock* flight = Flight(row);
    if (!flight)
        return true;
    if (ask) {
        if (!flight->Modified)
            return true;
        if (Dialogs().AskYesNo(this, "Do you want to save changes of " +
                                         StringGrid1->Cell(kGridPathCol, row) + "?") !=
            TAnswer::Yes)
            return true;
    }
    QString file = StringGrid1->Cell(kGridPathCol, row);
    if (!QFileInfo::exists(file)) {
        file = Dialogs().GetSaveFileName(
            this, "DataFile " + StringGrid1->Cell(kGridPathCol, row) + " not found!", DataDir,
            "Zirko data (*.zdf)", "zdf");
        if (file.isEmpty())
            return true;
    }
    CollectAnnotations(row);
    const TWriteResult result = WriteDataFile(QFile::encodeName(file).toStdString(), *flight);
    switch (result.Status) {
    case TWriteStatus::Ok:
        flight->Modified = false;
        return true;
    case TWriteStatus::IoError:
    case TWriteStatus::Exists: // only a new file is refused for that
        ShowError(QString::fromStdString(result.Message));
        return false;
    case TWriteStatus::Failed:
        throw std::runtime_error(result.Message);
    }
    return false;
}

void TFormMain::DropFlight(int row)
{
    // The entry leaves the list whatever happens while freeing it, so list entry i keeps
    // matching grid row i.
    const auto erase = qScopeGuard([this, row] { DataList.erase(DataList.begin() + row); });
    RemoveFlightSeries(row);
    DataList[static_cast<size_t>(row)]->Clear();
}

bool TFormMain::GridCloseFile(int arow)
{
    bool closed = false;
    try {
        if (arow > static_cast<int>(DataList.size()))
            throw std::runtime_error("Error in GridCloseFile, Arow>FormMain.DataList.Count");
        if (Flight(arow)) {
            if (arow == StringGrid1->SelectedRow())
                StoreEditedNotes(arow);
            // Changes that could not be written keep the flight open, list entry and series
            // included, so the user can save it elsewhere or drop the changes later.
            bool saved = false;
            try {
                saved = SaveDataFile(arow, true);
            } catch (const std::exception& e) {
                ShowError(QString::fromUtf8(e.what()) + "\rIn GridCloseFile.");
            }
            if (!saved)
                return false;
        }
        if (arow >= 0 && arow < static_cast<int>(DataList.size())) {
            closed = true;
            DropFlight(arow);
        }
        ClearNotes();
        ClearFlightInfo();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\rIn GridCloseFile.");
    }
    return closed;
}

void TFormMain::ClearFlightInfo()
{
    for (QLineEdit* e : {EditDate, EditSample, EditVer, EditFlyTime, EditMaxAlt})
        e->clear();
}

void TFormMain::CloseDataFile(int row)
{
    const int rows = StringGrid1->isVisibleTo(this) ? StringGrid1->rowCount() : 0;
    if (row < 0 || row >= rows) {
        ShowError("Chyba při rušení řádku ze seznamu otevřených souborů! Řádek neexistuje!");
        return;
    }
    // The current flight's edited notes reach its record before the rows shift.
    const int selected = StringGrid1->SelectedRow();
    if (selected >= 0 && selected != row)
        StoreEditedNotes(selected);
    if (!GridCloseFile(row))
        return; // not closed (its changes could not be saved): grid and tree stay as they are
    emit GridRowClosed(row);
    if (rows > 1) {
        for (int r = row; r < rows - 1; ++r)
            for (int c = 0; c < kGridColumns; ++c)
                StringGrid1->SetCell(c, r, StringGrid1->Cell(c, r + 1));
        // The selection keeps its row index, so the flight moving up into it becomes current;
        // only past the new last row does it move up.
        if (selected == row && row == rows - 1)
            ActualRow = -1;
        const int newSelected = std::min(selected, rows - 2);
        {
            // Removing the last row moves the grid's current cell, which would make a flight
            // current while ActualRow still names a row that is gone.
            const QSignalBlocker quietGrid(StringGrid1);
            StringGrid1->setRowCount(rows - 1);
            StringGrid1->SelectRowSilently(newSelected);
        }
        ActualRow = newSelected;
        if (newSelected >= 0)
            GridChangeActualFile(newSelected, -1);
        ResizeNameColumn();
    } else {
        StringGrid1->setRowCount(0);
        StringGrid1->hide();
        ActualRow = -1;
        SetPagesEnabled(false);
    }
}

void TFormMain::CloseAllDataFiles()
{
    // In order; a flight whose changes could not be saved stays open with its grid row.
    StoreEditedNotes(StringGrid1->SelectedRow());
    // Removing rows moves the grid's current cell: no flight is made current until the list
    // and the grid agree again.
    const QSignalBlocker quietGrid(StringGrid1);
    size_t i = 0;
    while (i < DataList.size()) {
        const int row = static_cast<int>(i);
        bool saved = false;
        try {
            saved = SaveDataFile(row, true);
        } catch (const std::exception& e) {
            ShowError(QString::fromUtf8(e.what()));
        }
        if (!saved) {
            ++i;
            continue;
        }
        DropFlight(row);
        if (row < StringGrid1->rowCount()) {
            StringGrid1->removeRow(row);
            emit GridRowClosed(row);
        }
    }
    if (DataList.empty()) {
        StringGrid1->setRowCount(0);
        StringGrid1->hide();
        ActualRow = -1;
        return;
    }
    const int current =
        std::clamp(StringGrid1->SelectedRow(), 0, static_cast<int>(DataList.size()) - 1);
    StringGrid1->SelectRowSilently(current);
    GridChangeActualFile(current, -1);
}

void TFormMain::ResizeNameColumn()
{
    if (NameColMinWidth < 8)
        return;
    const int width = StringGrid1->viewport()->width() -
                      (kGridVisibleColumns - 1) * kGridDefaultColWidth - kGridVisibleColumns;
    StringGrid1->setColumnWidth(kGridNameCol, std::max(width, NameColMinWidth));
}

void TFormMain::PopupGridAt(int row, const QPoint& globalPos)
{
    if (!PopupGrid) {
        PopupGrid = new QMenu(this);
        PopupGrid->setObjectName("PopupGrid");
        QAction* close = PopupGrid->addAction("Close Data");
        QAction* save = PopupGrid->addAction("Save");
        PopupGrid->addSeparator();
        static const char* kItems[] = {"Altitude", "Servo", "Voltage", "Marker", "Annotation"};
        for (int tag = 0; tag < 5; ++tag) {
            QAction* a = PopupGrid->addAction(kItems[tag]);
            a->setCheckable(true);
            a->setData(tag);
            connect(a, &QAction::triggered, this, [this, a, tag](bool checked) {
                const int r = PopupGrid->property("tag").toInt();
                if (r < 0 || r >= StringGrid1->rowCount())
                    return;
                Q_UNUSED(a);
                StringGrid1->SetCell(tag + 1, r, checked ? "1" : "0");
                GridCheck(tag + 1, r, checked);
                StringGrid1->viewport()->update();
            });
        }
        PopupGrid->addSeparator();
        PopupGrid->addAction("Cancel");
        connect(close, &QAction::triggered, this, [this] {
            const int r = PopupGrid->property("tag").toInt();
            if (r >= 0 && r < StringGrid1->rowCount())
                CloseDataFile(r);
        });
        connect(save, &QAction::triggered, this, [this] {
            const int r = PopupGrid->property("tag").toInt();
            if (r < 0 || r >= StringGrid1->rowCount())
                return;
            // The file gets the notes as the editor shows them.
            if (r == StringGrid1->SelectedRow())
                StoreEditedNotes(r);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            try {
                SaveDataFile(r, false);
            } catch (const std::exception& e) {
                QApplication::restoreOverrideCursor();
                ShowError(QString("Error by saving data!\r") + e.what());
                return;
            }
            QApplication::restoreOverrideCursor();
        });
    }
    PopupGrid->setProperty("tag", row);
    const QList<QAction*> actions = PopupGrid->actions();
    for (QAction* a : actions) {
        if (!a->isCheckable())
            continue;
        const QString state = StringGrid1->Cell(a->data().toInt() + 1, row);
        a->setChecked(state == "1");
        a->setEnabled(state == "1" || state == "0");
    }
    PopupGrid->popup(globalPos);
}

} // namespace zirko
