// The program's command line: flight files to open, or --help and --version answered at once.
#pragma once

#include <QStringList>
#include <optional>

namespace zirko {

struct TCommandLine {
    QStringList Files;
    // Set when the program ends here with this code (help, version, a usage error).
    std::optional<int> ExitCode;
    // False when only options of Qt's own stand in the way: ask again once Qt has removed them.
    bool Decided = true;
};

// `arguments` includes the program name. Texts for the user go to stdout (help, version) or
// stderr (usage errors).
TCommandLine ParseCommandLine(const QStringList& arguments, bool qtOptionsRemoved);

QString ProgramHelpText();

} // namespace zirko
