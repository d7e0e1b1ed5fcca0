#include "support/ScriptedDialogs.h"

#include <QDialog>
#include <QEventLoop>
#include <QPageLayout>
#include <QPrinter>
#include <QTimer>

namespace zirko::test {

void TScriptedDialogs::ShowError(QWidget*, const QString& text)
{
    Log << "error: " + text;
    if (ErrorBoxMs > 0) {
        QEventLoop loop;
        QTimer::singleShot(ErrorBoxMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
void TScriptedDialogs::ShowMessage(QWidget*, const QString& text)
{
    Log << "message: " + text;
}
void TScriptedDialogs::ShowInformation(QWidget*, const QString& text, const QString&)
{
    Log << "info: " + text;
}
TAnswer TScriptedDialogs::AskYesNo(QWidget*, const QString& text, bool, TAnswer defaultAnswer)
{
    Log << "ask: " + text;
    Defaults.push_back(defaultAnswer);
    if (Answers.empty())
        return TAnswer::Yes;
    TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
}
TAnswer TScriptedDialogs::AskYesNoCancel(QWidget*, const QString& text)
{
    Log << "ask (cancel): " + text;
    if (Answers.empty())
        return TAnswer::Yes;
    TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
}
TAnswer TScriptedDialogs::AskYesNoAll(QWidget*, const QString& text)
{
    Log << "askall: " + text;
    if (Answers.empty())
        return TAnswer::Yes;
    TAnswer a = Answers.front();
    Answers.pop_front();
    return a;
}
int TScriptedDialogs::AskChoice(QWidget*, const QString& text, const QStringList& buttons,
                                int defaultButton, int)
{
    Log << "choose: " + text + " [" + buttons.join('|') + "]";
    if (Choices.empty())
        return defaultButton;
    const int chosen = Choices.front();
    Choices.pop_front();
    return chosen;
}
QString TScriptedDialogs::GetSaveFileName(QWidget*, const QString& title, const QString&,
                                          const QString&, const QString&, bool askOverwrite)
{
    Log << (askOverwrite ? "save: " : "save (replace): ") + title;
    if (FileNames.empty())
        return {};
    QString f = FileNames.front();
    FileNames.pop_front();
    return f;
}
TSaveChoice TScriptedDialogs::GetSaveFileNameOfType(QWidget*, const QString& title, const QString&,
                                                    const QString& filters)
{
    Log << "save: " + title;
    if (FileNames.empty())
        return {};
    TSaveChoice choice{FileNames.front(), filters.section(";;", 0, 0)};
    FileNames.pop_front();
    if (!Filters.empty()) {
        choice.Filter = Filters.front();
        Filters.pop_front();
    }
    return choice;
}
QStringList TScriptedDialogs::GetOpenFileNames(QWidget*, const QString& title, const QString&,
                                               const QString&)
{
    Log << "open: " + title;
    if (OpenFileLists.empty())
        return {};
    QStringList files = OpenFileLists.front();
    OpenFileLists.pop_front();
    return files;
}
QString TScriptedDialogs::GetExistingDirectory(QWidget*, const QString& title, const QString&)
{
    Log << "folder: " + title;
    if (FileNames.empty())
        return {};
    QString f = FileNames.front();
    FileNames.pop_front();
    return f;
}
bool TScriptedDialogs::SetupPrinter(QWidget*, QPrinter& printer)
{
    Log << "printer";
    OfferedOrientations.push_back(static_cast<int>(printer.pageLayout().orientation()));
    if (PrinterAnswers.empty())
        return false;
    bool a = PrinterAnswers.front();
    PrinterAnswers.pop_front();
    if (a && !PrinterFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PrinterFile);
    }
    return a;
}
bool TScriptedDialogs::ChooseFont(QWidget*, QFont&)
{
    Log << "font";
    return false;
}
bool TScriptedDialogs::ChooseColor(QWidget*, QColor& color)
{
    Log << "colour: " + color.name();
    if (Colors.empty())
        return false;
    color = Colors.front();
    Colors.pop_front();
    return true;
}
int TScriptedDialogs::Exec(QDialog& dialog)
{
    Log << "dialog: " + dialog.windowTitle();
    if (DialogScripts.empty())
        return QDialog::Rejected;
    auto script = std::move(DialogScripts.front());
    DialogScripts.pop_front();
    return script(dialog);
}
QStringList TScriptedDialogs::Errors() const
{
    QStringList out;
    for (const QString& s : Log)
        if (s.startsWith("error: "))
            out << s.mid(7);
    return out;
}

TScriptedDialogs& InstallScriptedDialogs()
{
    auto dialogs = std::make_unique<TScriptedDialogs>();
    TScriptedDialogs& ref = *dialogs;
    SetDialogs(std::move(dialogs));
    return ref;
}

} // namespace zirko::test
