// The data folder tree over 10,000 flight files in 500 folders: a full build and a refresh that
// finds nothing changed.
#include "gui/app/FormMain.h"
#include "gui/shell/DataTree.h"

#include <QApplication>
#include <QDir>
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
    TDataTree* tree = bench.Form->TreeView1;
    for (auto _ : state) {
        tree->BuildTree();
        QApplication::processEvents();
    }
    state.counters["nodes"] = CountNodes(tree);
    state.counters["folders"] = bench.Folders;
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RefreshUnchanged(benchmark::State& state)
{
    TTreeBench& bench = Bench();
    TDataTree* tree = bench.Form->TreeView1;
    tree->BuildTree();
    QApplication::processEvents();
    for (auto _ : state) {
        tree->RefreshTreeView();
        QApplication::processEvents();
    }
    state.counters["nodes"] = CountNodes(tree);
}
BENCHMARK(BM_RefreshUnchanged)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheBench.reset();
    return 0;
}
