// Answers the program's questions and dialogs from a script, and records what was asked.
#pragma once

#include "gui/services/UserDialogs.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace zirko::test {

class TScriptedDialogs final : public TUserDialogs {
public:
    // Every text shown or asked, in order, prefixed with its kind ("error: ", "ask: ", ...).
    QStringList Log;
    std::deque<TAnswer> Answers; // for AskYesNo, AskYesNoAll, AskYesNoCancel; default Yes
    // The default button of every AskYesNo, in order.
    std::vector<TAnswer> Defaults;
    std::deque<int> Choices;       // for AskChoice: a button's index; default the default one
    std::deque<QString> FileNames; // for GetSaveFileName / GetExistingDirectory; empty = cancel
    std::deque<QString> Filters;   // for GetSaveFileNameOfType; default its first type
    std::deque<QStringList> OpenFileLists; // for GetOpenFileNames; empty = cancel
    std::deque<bool> PrinterAnswers;       // for SetupPrinter; default false
    // An accepted printer set-up prints into this PDF file when set, as a file printer chosen in
    // the dialog would; the orientation the dialog was offered is kept.
    QString PrinterFile;
    std::vector<int> OfferedOrientations; // QPageLayout::Orientation of each printer set-up
    std::deque<std::function<int(QDialog&)>> DialogScripts; // for Exec; default rejects
    std::deque<QColor> Colors;                              // for ChooseColor; empty = cancel
    // Error boxes run their own event loop this long, as a modal box does while it is open.
    int ErrorBoxMs = 0;

    void ShowError(QWidget*, const QString& text) override;
    void ShowMessage(QWidget*, const QString& text) override;
    void ShowInformation(QWidget*, const QString& text, const QString& button) override;
    TAnswer AskYesNo(QWidget*, const QString& text, bool information,
                     TAnswer defaultAnswer) override;
    TAnswer AskYesNoCancel(QWidget*, const QString& text) override;
    TAnswer AskYesNoAll(QWidget*, const QString& text) override;
    int AskChoice(QWidget*, const QString& text, const QStringList& buttons, int defaultButton,
                  int escapeButton) override;
    QString GetSaveFileName(QWidget*, const QString& title, const QString& dir,
                            const QString& filter, const QString& defaultSuffix,
                            bool askOverwrite) override;
    TSaveChoice GetSaveFileNameOfType(QWidget*, const QString& title, const QString& dir,
                                      const QString& filters) override;
    QStringList GetOpenFileNames(QWidget*, const QString& title, const QString& dir,
                                 const QString& filter) override;
    QString GetExistingDirectory(QWidget*, const QString& title, const QString& start) override;
    bool SetupPrinter(QWidget*, QPrinter& printer) override;
    bool ChooseFont(QWidget*, QFont& font) override;
    bool ChooseColor(QWidget*, QColor& color) override;
    int Exec(QDialog& dialog) override;

    QStringList Errors() const; // texts of ShowError only
};

// Installs a fresh scripted instance for the lifetime of a test and returns it.
TScriptedDialogs& InstallScriptedDialogs();

} // namespace zirko::test
