// Every modal question, message box and common dialog of the program goes through here, so that
// tests can answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;
class QDialog;
class QPrinter;
class QFont;
class QColor;

namespace zirko {

enum class TAnswer { Yes, No, YesToAll, Cancel };

// A file chosen in a save dialog with several types, and the type's filter chosen with it.
struct TSaveChoice {
    QString FileName; // empty: cancelled
    QString Filter;   // one entry of the dialog's filter list, e.g. "PNG (*.png)"
};

class TUserDialogs {
public:
    virtual ~TUserDialogs() = default;

    // Error box: error icon, one OK button.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // Plain message box with one OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // Information box with a single button captioned `button` ("OK" or "Yes").
    virtual void ShowInformation(QWidget* parent, const QString& text,
                                 const QString& button = "OK") = 0;
    // Question with Yes and No; `information` uses the information icon instead of the question.
    // `defaultAnswer` is the button that Enter presses (Yes or No).
    virtual TAnswer AskYesNo(QWidget* parent, const QString& text, bool information = false,
                             TAnswer defaultAnswer = TAnswer::Yes) = 0;
    // Question with Yes, No and Cancel (the default, also for Esc and closing the box).
    virtual TAnswer AskYesNoCancel(QWidget* parent, const QString& text) = 0;
    // Confirmation with Yes, No and Yes to All.
    virtual TAnswer AskYesNoAll(QWidget* parent, const QString& text) = 0;
    // A question with the buttons captioned `buttons`, in order; returns the index of the one
    // chosen. Enter chooses `defaultButton`; Esc and closing the box choose `escapeButton`.
    virtual int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
                          int defaultButton, int escapeButton) = 0;

    // Empty result: cancelled. With `askOverwrite` off an existing file is chosen without a
    // question.
    virtual QString GetSaveFileName(QWidget* parent, const QString& title, const QString& dir,
                                    const QString& filter, const QString& defaultSuffix,
                                    bool askOverwrite = true) = 0;
    // A save dialog offering the types of `filters` (";;"-separated); the name is returned as
    // typed, without an ending added and without asking about an existing file.
    virtual TSaveChoice GetSaveFileNameOfType(QWidget* parent, const QString& title,
                                              const QString& dir, const QString& filters) = 0;
    // Existing files to open, several at once; empty when cancelled.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& dir,
                                         const QString& filter) = 0;
    virtual QString GetExistingDirectory(QWidget* parent, const QString& title,
                                         const QString& start) = 0;
    // Printer set-up; false when cancelled.
    virtual bool SetupPrinter(QWidget* parent, QPrinter& printer) = 0;
    // Font dialog; false when cancelled.
    virtual bool ChooseFont(QWidget* parent, QFont& font) = 0;
    // Colour dialog starting at `color`; false when cancelled.
    virtual bool ChooseColor(QWidget* parent, QColor& color) = 0;
    // Shows one of the program's own dialogs modally and returns its result code.
    virtual int Exec(QDialog& dialog) = 0;
};

// The program-wide instance (the main window installs the real one, tests a scripted one).
TUserDialogs& Dialogs();
void SetDialogs(std::unique_ptr<TUserDialogs> dialogs);

// The real dialogs of the desktop.
std::unique_ptr<TUserDialogs> MakeDesktopDialogs();

} // namespace zirko
