#include "desk/signin/Classification.h"

#include <gtest/gtest.h>

namespace {

TEST(Classification, SecondsNeverCount) {
    TimeSettings t;
    t.ATime = QTime(8, 35, 59);
    t.ADTime = QTime(12, 0, 59);
    t.DTime = QTime(17, 0, 1);
    EXPECT_TRUE(classify(QTime(8, 35, 59), t, false).RE_Content.isEmpty());
    EXPECT_EQ(classify(QTime(8, 36, 0), t, false).RE_Content, QStringLiteral("迟到1分钟"));
    EXPECT_EQ(classify(QTime(12, 0, 59), t, false).ADFlag, QStringLiteral("上"));
    EXPECT_EQ(classify(QTime(12, 1, 0), t, false).ADFlag, QStringLiteral("下"));
    EXPECT_TRUE(classify(QTime(17, 0, 0), t, false).RE_Content.isEmpty());
}

TEST(Classification, OtherSettings) {
    TimeSettings t;
    t.ATime = QTime(9, 0);
    t.ADTime = QTime(13, 30);
    t.DTime = QTime(18, 0);
    t.ASTime = QTime(20, 0);
    t.ASATime = QTime(11, 0);
    const struct {
        QTime at;
        bool yesterday;
        const char* duty;
        const char* content;
        bool overtime;
    } cases[] = {
        {QTime(13, 30), false, "上", "迟到270分钟", false},
        {QTime(13, 30), true, "上", "迟到150分钟", false},
        {QTime(10, 59), true, "上", "", false},
        {QTime(13, 31), false, "下", "早退269分钟", false},
        {QTime(19, 59), false, "下", "", false},
        {QTime(20, 0), false, "下", "", true},
        {QTime(23, 59, 59), false, "下", "", true},
        {QTime(0, 0), false, "上", "", false},
    };
    for (const auto& c : cases) {
        const Classification r = classify(c.at, t, c.yesterday);
        EXPECT_EQ(r.ADFlag, QString::fromUtf8(c.duty)) << c.at.toString().toStdString();
        EXPECT_EQ(r.RE_Content, QString::fromUtf8(c.content)) << c.at.toString().toStdString();
        EXPECT_EQ(r.RE_Flag, r.RE_Content.isEmpty() ? QString() : QStringLiteral("Y"));
        EXPECT_EQ(r.overtime, c.overtime) << c.at.toString().toStdString();
    }
}

} // namespace
