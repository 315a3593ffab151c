#include "desk/board/AbsentList.h"
#include "desk/board/BoardQueries.h"
#include "desk/board/ClockLabels.h"
#include "desk/board/EmployeeRoster.h"

#include <gtest/gtest.h>

namespace {

TEST(EmployeeRoster, LeavesOutIncompleteRowsButKeepsTheirNumbers) {
    EmployeeRoster roster;
    roster.load({{QStringLiteral(" 王小东 "), QStringLiteral(" 0001 "), QStringLiteral(" 办公室 ")},
                 {QStringLiteral("  "), QStringLiteral("0002"), QStringLiteral("办公室")},
                 {QStringLiteral("李明"), QStringLiteral(" "), QStringLiteral("生产部")},
                 {QStringLiteral("Anna"), QStringLiteral("00AB"), QStringLiteral("")}});
    EXPECT_EQ(roster.RosterLines(), QStringList({QStringLiteral("001|王小东"), QStringLiteral("004|Anna")}));
    EXPECT_EQ(roster.NameList(), QStringList({QStringLiteral("王小东"), QStringLiteral("Anna")}));
    EXPECT_EQ(roster.CardList(), QStringList({QStringLiteral("0001"), QStringLiteral("00AB")}));
    EXPECT_EQ(roster.DeptList(), QStringList({QStringLiteral("办公室"), QString()}));
    EXPECT_EQ(roster.lineName(1), QStringLiteral("Anna"));

    // A thousandth row still gets its full number.
    std::vector<RegisterRow> many(1000, RegisterRow{QStringLiteral("n"), QStringLiteral("c"), {}});
    roster.load(many);
    EXPECT_EQ(roster.RosterLines().constLast(), QStringLiteral("1000|n"));
}

TEST(EmployeeRoster, CardLookupIsWholeEntryCaseIgnoredUntrimmedFirstMatch) {
    EmployeeRoster roster;
    roster.load({{QStringLiteral("甲"), QStringLiteral("00ab"), {}},
                 {QStringLiteral("乙"), QStringLiteral("0001"), {}},
                 {QStringLiteral("丙"), QStringLiteral("00AB"), {}}});
    const struct {
        const char* card;
        int index;
    } cases[] = {{"00ab", 0}, {"00AB", 0}, {"0001", 1}, {" 0001", -1}, {"0001 ", -1}, {"000", -1}, {"", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(roster.findCard(QString::fromUtf8(c.card)), c.index) << c.card;
}

TEST(AbsentList, RemovesFirstEqualEntryCaseIgnoredAndReportsItsRow) {
    AbsentList list;
    for (const char* n : {"李明", "Anna", "王小东", "李明", "ANNA"})
        list.append(QString::fromUtf8(n));
    EXPECT_EQ(list.remove(QStringLiteral("李明")), 0);
    EXPECT_EQ(list.remove(QStringLiteral("anna")), 0);
    EXPECT_EQ(list.entries(),
              QStringList({QStringLiteral("王小东"), QStringLiteral("李明"), QStringLiteral("ANNA")}));
    EXPECT_EQ(list.remove(QStringLiteral("Anna")), 2);
    EXPECT_EQ(list.remove(QStringLiteral("李明")), 1);
    EXPECT_EQ(list.remove(QStringLiteral("李明")), -1);
    EXPECT_FALSE(list.contains(QStringLiteral("李")));
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(list.entries(), QStringList{QStringLiteral("王小东")});
}

TEST(AbsentList, EightCharacterStoredNameFindsItsLongerRosterName) {
    AbsentList list;
    list.append(QStringLiteral("欧阳一二三四五六七")); // 9 characters; the swipe table keeps 8
    list.append(QStringLiteral("欧阳一二三四五六"));   // exactly those 8
    list.append(QStringLiteral("欧阳一二三四五六八"));
    // An exact entry wins over a longer one.
    EXPECT_EQ(list.remove(QStringLiteral("欧阳一二三四五六")), 1);
    EXPECT_EQ(list.remove(QStringLiteral("欧阳一二三四五六")), 0);
    EXPECT_EQ(list.remove(QStringLiteral("欧阳一二三四五六")), 0);
    EXPECT_TRUE(list.isEmpty());
    // A shorter name never matches by its beginning.
    list.append(QStringLiteral("王小东"));
    EXPECT_FALSE(list.contains(QStringLiteral("王小")));
}

TEST(BoardQueries, SwipeHistoryTextAndPickList) {
    const QDate day(2006, 1, 9);
    EXPECT_EQ(board_sql::swipeHistory(board_sql::dayStart(day), board_sql::dayEnd(day)),
              QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                             "00:00:00') and Brush_Date<=CDate('2006-01-09 23:59:00') order by Brush_Date"));
    EXPECT_EQ(receiverDepartments({{QStringLiteral("10"), QStringLiteral(" 总部 ")},
                                   {QStringLiteral(" "), QStringLiteral("无代号")},
                                   {QStringLiteral("1001"), QStringLiteral("  ")},
                                   {QStringLiteral("1002"), QStringLiteral("生产部")}}),
              QStringList({QStringLiteral("总部"), QStringLiteral("生产部")}));
}

TEST(ClockLabels, PadsFieldsAndNamesWeekdays) {
    const struct {
        QDateTime at;
        const char* texts[7];
    } cases[] = {
        {QDateTime(QDate(2006, 1, 8), QTime(0, 0, 0)), {"2006", "01", "08", "00", "00", "00", "日"}},
        {QDateTime(QDate(2006, 1, 9), QTime(8, 5, 9)), {"2006", "01", "09", "08", "05", "09", "一"}},
        {QDateTime(QDate(2006, 1, 14), QTime(23, 59, 59)), {"2006", "01", "14", "23", "59", "59", "六"}},
        {QDateTime(QDate(2026, 12, 31), QTime(12, 30, 45)), {"2026", "12", "31", "12", "30", "45", "四"}},
    };
    for (const auto& c : cases) {
        const ClockLabels l = clockLabels(c.at);
        const QString got[] = {l.year, l.month, l.day, l.hour, l.minute, l.second, l.weekday};
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(got[i], QString::fromUtf8(c.texts[i])) << c.at.toString().toStdString();
    }
}

} // namespace
