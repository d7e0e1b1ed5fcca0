// The data folder tree over 10,000 flight files in 500 folders: a full build and a refresh that
// finds nothing changed. Then the hard roots: 16 levels of two links each to the next level, and
// the whole disk, both from the window's show to its first paint and to the tree read.
#include "BenchMain.h"
#include "gui/app/FormMain.h"
#include "gui/shell/DataTree.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace zirko;

namespace {

constexpr int kTopFolders = 25;
constexpr int kSubFolders = 19; // 25 + 25 * 19 = 500 folders
constexpr int kFilesPerFolder = 20;

void WriteFlights(const QString& folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        QFile file(folder + QString("/Blok%1.zdf").arg(i, 3, 10, QChar('0')));
        if (file.open(QIODevice::WriteOnly))
            file.write("<Header>\r\n</Header>\r\n");
    }
}

struct TTreeBench {
    QTemporaryDir Dir;
    TAppPaths Paths;
    std::unique_ptr<TFormMain> Form;
    int Folders = 0;

    TTreeBench()
    {
        const QString data = Dir.path() + "/Data";
        for (int t = 0; t < kTopFolders; ++t) {
            const QString top = data + QString("/Sezona %1").arg(2000 + t);
            WriteFlights(top);
            ++Folders;
            for (int s = 0; s < kSubFolders; ++s) {
                WriteFlights(top + QString("/Den %1").arg(s + 1));
                ++Folders;
            }
        }
        Paths.ProgramDir = Dir.path();
        Paths.SettingsFile = Dir.path() + "/zirko.ini";
        Paths.BackupDir = Dir.path() + "/backups";
        Form = std::make_unique<TFormMain>(Paths);
        Form->show();
        QApplication::processEvents();
    }
};

std::unique_ptr<TTreeBench> TheBench; // made after the application object, freed before it

TTreeBench& Bench()
{
    if (!TheBench)
        TheBench = std::make_unique<TTreeBench>();
    return *TheBench;
}

void WaitForTree(TDataTree* tree)
{
    while (tree->IsBuilding())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

int CountNodes(QTreeWidget* tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++n;
    return n;
}

void BM_BuildTree(benchmark::State& state)
{
    TTreeBench& bench = Bench();
    TDataTree* tree = bench.Form->findChild<TDataTree*>("TreeView1");
    for (auto _ : state) {
        tree->BuildTree();
        WaitForTree(tree);
    }
    state.counters["nodes"] = CountNodes(tree);
    state.counters["folders"] = bench.Folders;
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RefreshUnchanged(benchmark::State& state)
{
    TTreeBench& bench = Bench();
    TDataTree* tree = bench.Form->findChild<TDataTree*>("TreeView1");
    tree->BuildTree();
    WaitForTree(tree);
    for (auto _ : state) {
        tree->RefreshTreeView();
        QApplication::processEvents();
    }
    state.counters["nodes"] = CountNodes(tree);
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMillisecond)->Iterations(10);

// A main window over `root` (stored in its settings file): the time until it is shown and painted
// ("shown_ms") and until its tree is read ("tree_ms").
void ShowWindowOver(benchmark::State& state, const QString& root)
{
    QTemporaryDir dir;
    TAppPaths paths{dir.path(), dir.path() + "/zirko.ini", dir.path() + "/backups"};
    QFile settings(paths.SettingsFile);
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[Options]\r\nRoot=" + root.toUtf8() + "\r\n");
    settings.close();
    double shown = 0;
    double read = 0;
    int nodes = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        TFormMain form(paths);
        TDataTree* tree = form.findChild<TDataTree*>("TreeView1");
        form.show();
        form.grab(); // painted once
        shown += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        WaitForTree(tree);
        read += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        nodes = CountNodes(tree);
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["shown_ms"] = shown / runs;
    state.counters["tree_ms"] = read / runs;
    state.counters["nodes"] = nodes;
}

void BM_ShowOverLinkLevels(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString data = dir.path() + "/Data";
    QDir().mkpath(data + "/Top");
    for (int level = 0; level <= 16; ++level)
        WriteFlights(data + QString("/Store/L%1").arg(level));
    for (int level = 0; level < 16; ++level) {
        const QString from = level == 0 ? data + "/Top" : data + QString("/Store/L%1").arg(level);
        const QString to = data + QString("/Store/L%1").arg(level + 1);
        QFile::link(to, from + "/a");
        QFile::link(to, from + "/b");
    }
    ShowWindowOver(state, data);
}
BENCHMARK(BM_ShowOverLinkLevels)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ShowOverTheWholeDisk(benchmark::State& state)
{
    ShowWindowOver(state, "/");
}
BENCHMARK(BM_ShowOverTheWholeDisk)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

const bool kHooks = zirko::bench::SetBenchHooks({
    // The message of a root with too many folders is answered, not waited for.
    .Setup = [] { test::InstallScriptedDialogs(); },
    .TearDown = [] { TheBench.reset(); },
});
