// Runs one of our programs to its end in a runtime folder of its own and keeps what it said.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

namespace zirko::test {

struct TProcessRun {
    int Code = -1; // -1: crashed, or still running at the time limit (then killed)
    QByteArray Out;
    QByteArray Err;
};

// Where a run starts, and the file its standard output goes to instead of Out; empty: the test's
// own folder, and Out.
struct TProcessSetup {
    QString WorkDir;
    QString StdoutFile;
};

inline TProcessRun RunProcess(const QString& program, const QStringList& args,
                              QProcessEnvironment env = QProcessEnvironment::systemEnvironment(),
                              int timeoutMs = 60000, const TProcessSetup& setup = {})
{
    QTemporaryDir runtime;
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess p;
    p.setProcessEnvironment(env);
    if (!setup.WorkDir.isEmpty())
        p.setWorkingDirectory(setup.WorkDir);
    if (!setup.StdoutFile.isEmpty())
        p.setStandardOutputFile(setup.StdoutFile);
    p.start(program, args);
    TProcessRun run;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = p.readAllStandardOutput();
    run.Err = p.readAllStandardError();
    return run;
}

// The environment of a run whose cache folder is `cacheHome`.
inline QProcessEnvironment WithCacheHome(const QString& cacheHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", cacheHome);
    return env;
}

} // namespace zirko::test
