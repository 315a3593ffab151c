#include "common/ui/MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the next box that opens by pressing `press` (or Escape when it is NoButton).
void answerNextBox(Seen& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextBox(seen, press); // not up yet
            return;
        }
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        if (press == QMessageBox::NoButton)
            box->reject();
        else
            box->button(press)->click();
    });
}

TEST(MessageBoxPrompter, ShowsTitleButtonsIconAndReturnsTheAnswer) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QApplication app(argc, argv);
    MessageBoxPrompter p;
    Seen seen;

    answerNextBox(seen, QMessageBox::Yes);
    EXPECT_EQ(
        p.ask(QStringLiteral("您确定真的要退出本系统吗？"), QStringLiteral("提示"), Prompter::Buttons::YesNo),
        Prompter::Answer::Yes);
    EXPECT_EQ(seen.title, QStringLiteral("提示"));
    EXPECT_EQ(seen.text, QStringLiteral("您确定真的要退出本系统吗？"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    answerNextBox(seen, QMessageBox::NoButton); // closed
    EXPECT_EQ(p.ask(QStringLiteral("删除？"), QStringLiteral("警告"), Prompter::Buttons::OkCancel,
                    Prompter::Icon::Warning),
              Prompter::Answer::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);

    answerNextBox(seen, QMessageBox::Ok);
    p.message(QStringLiteral("保存成功！"), QStringLiteral("提示"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

} // namespace
