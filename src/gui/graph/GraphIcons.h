// Icons of the graph toolbar, drawn at run time so they scale with the screen and need no files.
#pragma once

#include <QIcon>
#include <QString>

namespace zirko {

// Names: "copy", "save", "print", "setup", "zoomout", "undozoom", "zoomin", "measure", "annot",
// "cross", "rxzero", "table", "legend". An unknown name gives a null icon.
QIcon GraphIcon(const QString& name);

} // namespace zirko
