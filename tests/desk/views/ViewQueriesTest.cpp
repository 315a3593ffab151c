#include "desk/views/ViewQueries.h"

#include <gtest/gtest.h>

namespace {

using view_sql::ExceptionKind;

TEST(ViewQueries, ExceptionViewByRadioChoice) {
    const QDateTime from = view_sql::bound(QDate(2006, 1, 9), QTime(0, 0, 0));
    const QDateTime to = view_sql::bound(QDate(2006, 1, 10), QTime(12, 0, 0));
    const QString head =
        QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                       "00:00:00') and Brush_Date<=CDate('2006-01-10 12:00:00') and RE_Flag='Y'");
    const struct {
        ExceptionKind kind;
        const char* condition;
    } cases[] = {
        {ExceptionKind::Late, " and InStr(1,RE_Content,'迟到',1)>0"},
        {ExceptionKind::Early, " and InStr(1,RE_Content,'早退',1)>0"},
        {ExceptionKind::All, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view_sql::exceptionView(from, to, c.kind),
                  head + QString::fromUtf8(c.condition) + QStringLiteral(" order by Brush_Date"));
}

TEST(ViewQueries, TripViewAndBounds) {
    EXPECT_EQ(view_sql::tripView(QDate(2006, 1, 9)),
              QStringLiteral("select * from MH_Evection where Start_Date<=CDate('2006-01-09 23:59:00') and "
                             "End_Date>=CDate('2006-01-09') order by Start_Date"));
    // The date picker gives the day, the time picker the time of day, whatever else each holds.
    const QDateTime b = view_sql::bound(QDateTime(QDate(2006, 1, 9), QTime(8, 15, 0)),
                                        QDateTime(QDate(2001, 5, 5), QTime(23, 59, 0)));
    EXPECT_EQ(b.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), QStringLiteral("2006-01-09 23:59:00"));
}

} // namespace
