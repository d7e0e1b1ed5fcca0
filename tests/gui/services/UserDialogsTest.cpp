// The desktop's own question boxes, answered with real keys and clicks while they are open.
#include "gui/services/UserDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace zirko;

namespace {

// Acts on the question box once it is open.
void WhenOpen(std::function<void(QMessageBox&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        QMessageBox* box = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box != nullptr && box->isVisible();
        }));
        act(*box);
    });
}

const QStringList kButtons{"Keep both", "Rewrite", "Rewrite all", "Skip"};

} // namespace

TEST(DesktopDialogs, AChoiceTakesTheDefaultOnEnterTheEscapeButtonOnEscAndTheButtonClicked)
{
    const auto dialogs = MakeDesktopDialogs();
    QStringList shown;
    WhenOpen([&](QMessageBox& box) {
        shown << box.text();
        for (QAbstractButton* button : box.buttons())
            shown << button->text();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs->AskChoice(nullptr, "Filename a.zdf already exists.", kButtons, 0, 3), 0);
    EXPECT_EQ(shown.size(), 5);
    EXPECT_EQ(shown.front(), "Filename a.zdf already exists.");
    for (const QString& caption : kButtons)
        EXPECT_TRUE(shown.contains(caption)) << caption.toStdString();

    WhenOpen([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs->AskChoice(nullptr, "question", kButtons, 0, 3), 3);

    WhenOpen([](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons())
            if (button->text() == "Rewrite all")
                QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(dialogs->AskChoice(nullptr, "question", kButtons, 0, 3), 2);
}
