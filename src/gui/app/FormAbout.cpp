#include "gui/app/FormAbout.h"

#include "ZirkoVersion.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

// The picture lives in this static library: the program must ask for it to be linked in.
static void InitProgramIconResource()
{
    Q_INIT_RESOURCE(ProgramIcon);
}

namespace zirko {

// The icon installed for the desktop, drawn from the same picture at the sizes windows use.
QIcon ProgramIcon()
{
    InitProgramIconResource();
    QSvgRenderer picture(QStringLiteral(":/zirko/zirko.svg"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        picture.render(&p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAbout");
    setWindowTitle("About");
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* name = new QLabel("ZIRKO", this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel("version " ZIRKO_VERSION, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel);
    row->addSpacing(12);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(240, 130)));
}

} // namespace zirko
