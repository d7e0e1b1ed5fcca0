// The open flights' questions as the program's dialogs ask them, over a window.
#pragma once

#include "gui/services/UserDialogs.h"
#include "model/flightdata/OpenFlights.h"

#include <QWidget>
#include <functional>

namespace zirko {

class TWindowFlightsDialogs final : public TFlightsDialogs {
public:
    // `dataDir` gives the folder a save dialog starts in.
    TWindowFlightsDialogs(QWidget& window, std::function<QString()> dataDir)
        : Window(window), DataDir(std::move(dataDir))
    {
    }

    void ShowError(const QString& text) override { Dialogs().ShowError(&Window, text); }
    bool AskYesNo(const QString& text) override
    {
        return Dialogs().AskYesNo(&Window, text) == TAnswer::Yes;
    }
    TYesNoCancel AskYesNoCancel(const QString& text) override
    {
        switch (Dialogs().AskYesNoCancel(&Window, text)) {
        case TAnswer::Yes:
            return TYesNoCancel::Yes;
        case TAnswer::No:
            return TYesNoCancel::No;
        default:
            return TYesNoCancel::Cancel;
        }
    }
    QString AskSaveFileName(const QString& title) override
    {
        return Dialogs().GetSaveFileName(&Window, title, DataDir(), "Zirko data (*.zdf)", "zdf");
    }

private:
    QWidget& Window;
    std::function<QString()> DataDir;
};

} // namespace zirko
