#include "common/Formats.h"

#include <gtest/gtest.h>

namespace {

TEST(Formats, WritesTheProgramFormats) {
    const QDateTime dt(QDate(2006, 1, 9), QTime(8, 5, 0));
    EXPECT_EQ(fmt::date(dt.date()), QStringLiteral("2006-01-09"));
    EXPECT_EQ(fmt::time(dt.time()), QStringLiteral("08:05:00"));
    EXPECT_EQ(fmt::dateTime(dt), QStringLiteral("2006-01-09 08:05:00"));
    EXPECT_EQ(fmt::hhmm(QTime(17, 0, 59)), QStringLiteral("17:00"));
    EXPECT_EQ(fmt::time(QTime(23, 59, 59)), QStringLiteral("23:59:59"));
}

TEST(Formats, ParsesTimes) {
    struct Case {
        const char* text;
        QTime expected; // invalid: no time
    };
    const Case cases[] = {
        {"8:5", QTime(8, 5)},
        {"08:35", QTime(8, 35)},
        {"08:35:00", QTime(8, 35)},
        {" 17:00:59 ", QTime(17, 0, 59)},
        {"0:0", QTime(0, 0)},
        {"23:59:59", QTime(23, 59, 59)},
        {"25:00", QTime()},
        {"12:60", QTime()},
        {"12:00:60", QTime()},
        {"abc", QTime()},
        {"", QTime()},
        {"8", QTime()},
        {"8.05", QTime()},
        {"123:00", QTime()},
        {"8:05:", QTime()},
        {"8:05 PM", QTime()},
        {"-1:00", QTime()},
    };
    for (const auto& c : cases) {
        const auto t = fmt::parseTime(QString::fromUtf8(c.text));
        if (c.expected.isValid()) {
            ASSERT_TRUE(t.has_value()) << c.text;
            EXPECT_EQ(*t, c.expected) << c.text;
        } else {
            EXPECT_FALSE(t.has_value()) << c.text;
        }
    }
}

TEST(Formats, TwoDigitYearsFallInTheHundredYearsFromSeventyBack) {
    struct Case {
        int yy, current, expected;
    };
    const Case cases[] = {
        {56, 2026, 1956}, {99, 2026, 1999}, {55, 2026, 2055}, {0, 2026, 2000},  {26, 2026, 2026},
        {36, 2006, 1936}, {35, 2006, 2035}, {0, 2070, 2000}, {99, 2070, 2099},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmt::expandTwoDigitYear(c.yy, c.current), c.expected) << c.yy;
}

TEST(Formats, ParsesDatesAndDateTimes) {
    const QDate today(2026, 3, 1);
    struct Case {
        const char* text;
        QDate expected;
    };
    const Case cases[] = {
        {"2006-01-09", QDate(2006, 1, 9)},
        {"2006-1-9", QDate(2006, 1, 9)},
        {"56-1-9", QDate(1956, 1, 9)},
        {"06-01-09", QDate(2006, 1, 9)},
        {"2006-02-30", QDate()},
        {"2006/01/09", QDate()},
        {"2006-01", QDate()},
        {"", QDate()},
    };
    for (const auto& c : cases) {
        const auto d = fmt::parseDate(QString::fromUtf8(c.text), today);
        EXPECT_EQ(d.value_or(QDate()), c.expected) << c.text;
    }

    EXPECT_EQ(fmt::parseDateTime(QStringLiteral("2006-01-09 08:05:07"), today),
              QDateTime(QDate(2006, 1, 9), QTime(8, 5, 7)));
    EXPECT_EQ(fmt::parseDateTime(QStringLiteral("06-1-9 8:5"), today),
              QDateTime(QDate(2006, 1, 9), QTime(8, 5)));
    EXPECT_EQ(fmt::parseDateTime(QStringLiteral("2006-01-09"), today),
              QDateTime(QDate(2006, 1, 9), QTime(0, 0)));
    EXPECT_FALSE(fmt::parseDateTime(QStringLiteral("2006-01-09 25:00"), today).has_value());
    EXPECT_FALSE(fmt::parseDateTime(QStringLiteral("08:05 2006-01-09"), today).has_value());
}

} // namespace
