#include "support/MainWindowFixture.h"

#include "gui/services/WinStates.h"
#include "gui/shell/DataTree.h"
#include "platform/files/FlightFile.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace zirko::test {

TMainWindowFixture::TMainWindowFixture(bool saveWindowsPos) : SaveWindowsPos(saveWindowsPos) {}

void TMainWindowFixture::SetUp()
{
    Dialogs = &InstallScriptedDialogs();
    Paths.ProgramDir = Dir.path();
    Paths.SettingsFile = Dir.path() + "/zirko.ini";
    Paths.BackupDir = Dir.path() + "/backups";
    WinStates().SetSaveWindowsPos(SaveWindowsPos);
}

void TMainWindowFixture::TearDown()
{
    Ui = {};
    Form.reset();
}

std::unique_ptr<TFormMain> TMainWindowFixture::NewForm(const QSize& size) const
{
    auto form = std::make_unique<TFormMain>(Paths);
    if (size.isValid())
        form->resize(size);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // The tree reads the data folder on a thread of its own.
    EXPECT_TRUE(WaitForTree(*form));
    return form;
}

bool TMainWindowFixture::WaitForTree(const TFormMain& form)
{
    const TDataTree* tree = Named<TDataTree>(form, "TreeView1");
    return QTest::qWaitFor([tree] { return !tree->IsBuilding(); }, 20000);
}

void TMainWindowFixture::StartForm(const QSize& size)
{
    Form = NewForm(size);
    Ui = TMainWindowControls(*Form);
    ASSERT_TRUE(Form->isVisible());
}

QString TMainWindowFixture::WriteFlight(const QString& relative, const TDataBlock& flight) const
{
    const QString path = Dir.path() + "/" + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(WriteDataFile(QFile::encodeName(path).toStdString(), flight).Ok())
        << path.toStdString();
    return path;
}

} // namespace zirko::test
