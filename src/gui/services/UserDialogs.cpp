#include "gui/services/UserDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace zirko {

namespace {

class TDesktopDialogs final : public TUserDialogs {
public:
    void ShowError(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text,
                        QMessageBox::Ok, parent);
        box.exec();
    }
    void ShowMessage(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                        parent);
        box.exec();
    }
    void ShowInformation(QWidget* parent, const QString& text, const QString& button) override
    {
        QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text,
                        QMessageBox::NoButton, parent);
        box.addButton(button, QMessageBox::AcceptRole);
        box.exec();
    }
    TAnswer AskYesNo(QWidget* parent, const QString& text, bool information,
                     TAnswer defaultAnswer) override
    {
        QMessageBox box(information ? QMessageBox::Information : QMessageBox::Question,
                        QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setDefaultButton(defaultAnswer == TAnswer::No ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? TAnswer::Yes : TAnswer::No;
    }
    TAnswer AskYesNoCancel(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        default:
            return TAnswer::Cancel;
        }
    }
    TAnswer AskYesNoAll(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll, parent);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::YesToAll:
            return TAnswer::YesToAll;
        default:
            return TAnswer::No;
        }
    }
    int AskChoice(QWidget* parent, const QString& text, const QStringList& buttons,
                  int defaultButton, int escapeButton) override
    {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                        QMessageBox::NoButton, parent);
        std::vector<QPushButton*> added;
        for (const QString& caption : buttons)
            added.push_back(box.addButton(caption, QMessageBox::ActionRole));
        if (defaultButton >= 0 && defaultButton < static_cast<int>(added.size()))
            box.setDefaultButton(added[static_cast<size_t>(defaultButton)]);
        if (escapeButton >= 0 && escapeButton < static_cast<int>(added.size()))
            box.setEscapeButton(added[static_cast<size_t>(escapeButton)]);
        box.exec();
        const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
        return chosen == added.end() ? escapeButton : static_cast<int>(chosen - added.begin());
    }
    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& dir,
                            const QString& filter, const QString& defaultSuffix,
                            bool askOverwrite) override
    {
        QFileDialog dialog(parent, title, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !askOverwrite);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }
    TSaveChoice GetSaveFileNameOfType(QWidget* parent, const QString& title, const QString& dir,
                                      const QString& filters) override
    {
        QFileDialog dialog(parent, title, dir, filters);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return {dialog.selectedFiles().first(), dialog.selectedNameFilter()};
    }
    QStringList GetOpenFileNames(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter) override
    {
        return QFileDialog::getOpenFileNames(parent, title, dir, filter);
    }
    QString GetExistingDirectory(QWidget* parent, const QString& title,
                                 const QString& start) override
    {
        return QFileDialog::getExistingDirectory(parent, title, start);
    }
    bool SetupPrinter(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    bool ChooseFont(QWidget* parent, QFont& font) override
    {
        bool ok = false;
        QFont chosen = QFontDialog::getFont(&ok, font, parent);
        if (ok)
            font = chosen;
        return ok;
    }
    bool ChooseColor(QWidget* parent, QColor& color) override
    {
        const QColor chosen = QColorDialog::getColor(color, parent);
        if (!chosen.isValid())
            return false;
        color = chosen;
        return true;
    }
    int Exec(QDialog& dialog) override { return dialog.exec(); }
};

std::unique_ptr<TUserDialogs>& Instance()
{
    static std::unique_ptr<TUserDialogs> instance;
    return instance;
}

} // namespace

TUserDialogs& Dialogs()
{
    if (!Instance())
        Instance() = MakeDesktopDialogs();
    return *Instance();
}

void SetDialogs(std::unique_ptr<TUserDialogs> dialogs)
{
    Instance() = std::move(dialogs);
}

std::unique_ptr<TUserDialogs> MakeDesktopDialogs()
{
    return std::make_unique<TDesktopDialogs>();
}

} // namespace zirko
