// The annotation list dialog: the annotations of one open flight, with New, Modify and Delete.
#pragma once

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;

namespace zirko {

class TFormAnnotEdit;

// Where the dialog finds the open flights and their annotation series (point i = entry i).
class TAnnotationHost {
public:
    virtual ~TAnnotationHost() = default;
    virtual int AnnotFlightCount() const = 0;
    virtual QString AnnotFlightName(int row) const = 0;
    // Null when the row names no open flight.
    virtual bool AnnotFlightExists(int row) const = 0;
    virtual int AnnotCount(int row) const = 0;
    virtual double AnnotX(int row, int index) const = 0;
    virtual double AnnotY(int row, int index) const = 0;
    virtual QString AnnotLabel(int row, int index) const = 0;
    // Appends a point to the flight's annotation series and marks the flight modified.
    virtual void AnnotAppend(int row, double x, double y, const QString& text) = 0;
    // Removes point `index` and marks the flight modified.
    virtual void AnnotDelete(int row, int index) = 0;
};

class TFormAnnot : public QDialog {
    Q_OBJECT
public:
    TFormAnnot(TAnnotationHost& host, TFormAnnotEdit& editor, QWidget* parent = nullptr);

    // Lists the open flights, selects `row` when it is one of them and shows the dialog modally.
    void ShowAnnotationList(int row);
    void Refresh();
    void UpdateButtons();

    QComboBox* ComboBox1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonModify = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonClose = nullptr;

    void New();
    void Modify();
    void Delete();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The selected flight's row, or -1 with an error shown when it is missing.
    int SelectedFlight(const char* assertion);
    void AppendFromEditor(int row);

    TAnnotationHost& Host;
    TFormAnnotEdit& Editor;
};

} // namespace zirko
