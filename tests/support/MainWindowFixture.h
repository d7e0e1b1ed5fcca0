// A main window over a private program folder (settings file, backup folder) with every question
// answered by script: the fixture of the tests that drive the whole window.
#pragma once

#include "core/flightdata/DataBlock.h"
#include "gui/app/FormMain.h"
#include "support/MainWindowControls.h"
#include "support/ScriptedDialogs.h"

#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zirko::test {

class TMainWindowFixture : public ::testing::Test {
protected:
    // Window positions are written only where a test asks for it.
    explicit TMainWindowFixture(bool saveWindowsPos = false);
    void SetUp() override;
    void TearDown() override;

    // A new main window over Paths, shown and exposed; `size` is given before it shows.
    std::unique_ptr<TFormMain> NewForm(const QSize& size = {}) const;
    // Waits until the data folder tree has been read; false when it took too long.
    static bool WaitForTree(const TFormMain& form);
    // The same window kept in Form for the test and dropped at its end, its controls in Ui.
    void StartForm(const QSize& size = {});
    // Writes `flight` as the file `relative` below the private folder (folders made as needed)
    // and returns its path.
    QString WriteFlight(const QString& relative, const TDataBlock& flight) const;

    QTemporaryDir Dir;
    TAppPaths Paths;
    TScriptedDialogs* Dialogs = nullptr;
    std::unique_ptr<TFormMain> Form;
    TMainWindowControls Ui;

private:
    bool SaveWindowsPos;
};

} // namespace zirko::test
