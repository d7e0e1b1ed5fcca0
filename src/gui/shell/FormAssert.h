// The non-modal window that lists failed consistency checks of this run.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QFrame;

namespace zirko {

class TFormAssert : public QDialog {
    Q_OBJECT
public:
    explicit TFormAssert(QWidget* parent = nullptr);

    // Shows a report: the label gets it, the list gains a line, the window comes to the front.
    void Report(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* Label1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QFrame* Panel1 = nullptr;
};

// Routes every failed check of the program to `form` and to standard error.
void InstallAssertionHandler(TFormAssert* form);

} // namespace zirko
