// Icons of the toolbars, drawn at run time so they scale with the screen and need no files.
#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class QPainter;

namespace zirko {

// Names: "copy", "save", "print", "setup", "zoomout", "undozoom", "zoomin", "measure", "annot",
// "cross", "rxzero", "climb", "motor", "phases", "table", "legend", "cut", "paste", "undo",
// "alignleft", "aligncenter", "alignright". An unknown name gives a null icon.
QIcon GraphIcon(const QString& name);

// An icon `paint` draws on a 20 × 20 canvas, sharp at one and two device pixels per pixel.
QIcon DrawnIcon(const std::function<void(QPainter&)>& paint);

// The desktop theme's icon of that name, or the drawn one where the theme has none.
QIcon DesktopIcon(const QString& themeName, const QString& drawnName);

} // namespace zirko
