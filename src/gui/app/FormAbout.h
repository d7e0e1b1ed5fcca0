// The about box.
#pragma once

#include <QDialog>

namespace zirko {

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
};

// The program's icon, drawn once: an altitude trace over a logger outline.
QIcon ProgramIcon();

} // namespace zirko
