#include "gui/shell/FormAssert.h"

#include "core/shell/Assertion.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyle>
#include <QVBoxLayout>
#include <QtDebug>

namespace zirko {

namespace {
constexpr int kIconSize = 32;
}

TFormAssert::TFormAssert(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAssert");
    setWindowTitle("Assert");
    setModal(false);
    resize(586, 324);
    auto* top = new QHBoxLayout;
    top->addSpacing(kIconSize + 15 + 8);
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    Label1 = new QLabel(Panel1);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panelLayout->addWidget(Label1);
    Panel1->setMinimumHeight(64);
    top->addWidget(Panel1, 1);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Memo1, 1);
}

void TFormAssert::Report(const QString& text)
{
    Label1->setText(text);
    Memo1->appendPlainText(text);
    show();
    raise();
    activateWindow();
}

void TFormAssert::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QPoint at(Panel1->geometry().left() - kIconSize - 15, Panel1->geometry().top() + 10);
    icon.paint(&painter, QRect(at, QSize(kIconSize, kIconSize)));
}

void InstallAssertionHandler(TFormAssert* form)
{
    QPointer<TFormAssert> target(form);
    SetAssertionHandler([target](const std::string& message, const std::string& fileName,
                                 int lineNumber, uintptr_t address) {
        const QString report =
            QString::fromStdString(FormatAssertionReport(message, fileName, lineNumber, address));
        if (!QCoreApplication::closingDown() && target)
            target->Report(report);
        qDebug().noquote() << report;
    });
}

} // namespace zirko
