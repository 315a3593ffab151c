#include "desk/board/DayBoard.h"
#include "common/GbText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

SignInRecord rec(const char* name, const char* dept, const char* content, const char* duty,
                 const QDateTime& at, const char* flag = nullptr) {
    SignInRecord r;
    r.Empl_Name = QString::fromUtf8(name);
    r.Dept_Name = QString::fromUtf8(dept);
    r.RE_Content = QString::fromUtf8(content);
    r.RE_Flag = flag ? QString::fromUtf8(flag) : (r.RE_Content.isEmpty() ? QString() : QStringLiteral("Y"));
    r.ADFlag = QString::fromUtf8(duty);
    r.Brush_Date = at;
    r.Brush_Hour = at.time().hour();
    r.Brush_Minute = at.time().minute();
    r.Brush_Second = at.time().second();
    return r;
}

QDateTime at(int h, int m, int s = 0) {
    return QDateTime(QDate(2006, 1, 9), QTime(h, m, s));
}

// Compares as the bytes the reports and panes see.
void expectBytes(const QString& got, const char* expected) {
    EXPECT_EQ(gb::encode(got), gb::encode(QString::fromUtf8(expected))) << got.toStdString();
}

TEST(DayBoardLines, LayoutsByteForByte) {
    const SignInRecord plain = rec("王小东", "办公室", "", "上", at(8, 20, 10));
    const SignInRecord late = rec(" 欧阳小东明 ", "生产部第一车间装配班组", " 迟到1分钟 ", "上", at(8, 36));
    const SignInRecord early = rec("a欧阳小东", "", "早退299分钟", "下", at(12, 1));
    const SignInRecord longText = rec("李明", "", "迟到12345分钟", "上", at(12, 0));

    const struct {
        QString line;
        const char* expected;
        int bytes;
    } cases[] = {
        // Empty exception text: the sign-in line ends in 20 blanks.
        {DayBoard::signInLine(1, plain),
         "001    王小东            办公室  2006.01.09 08:20:10                      ", 74},
        // Name cut at 8 bytes, department at 16, fields trimmed first.
        {DayBoard::signInLine(12, late),
         "012  欧阳小东  生产部第一车间装  2006.01.09 08:36:00             迟到1分钟", 74},
        // The first exception line is numbered 000 and carries the sign-in line from the name field on.
        {DayBoard::exceptionLine(0, late),
         "000欧阳小东  生产部第一车间装  2006.01.09 08:36:00             迟到1分钟", 72},
        {DayBoard::listLine(1, late), "01 欧阳小东    迟到1分钟", 24},
        // A cut through a two-byte character leaves a blank in its place.
        {DayBoard::listLine(2, early), "02 a欧阳小   早退299分钟", 24},
        {DayBoard::listLine(3, longText), "03     李明 迟到12345分 ", 24},
        // From the hundredth line every field moves one byte to the right.
        {DayBoard::listLine(100, late), "100 欧阳小东    迟到1分钟", 25},
        {DayBoard::signInLine(1000, plain),
         "1000    王小东            办公室  2006.01.09 08:20:10                      ", 75},
        {DayBoard::exceptionLine(1000, plain),
         "1000  王小东            办公室  2006.01.09 08:20:10                      ", 73},
    };
    for (const auto& c : cases) {
        expectBytes(c.line, c.expected);
        EXPECT_EQ(gb::encode(c.line).size(), c.bytes) << c.expected;
    }

    // The reports read the name at bytes 4 to 11 of a late or early line.
    EXPECT_EQ(gb::bytesMid(DayBoard::listLine(1, late), 4, 11).trimmed(), QStringLiteral("欧阳小东"));
    EXPECT_EQ(gb::bytesMid(DayBoard::listLine(7, longText), 4, 11).trimmed(), QStringLiteral("李明"));
    EXPECT_EQ(DayBoard::nameOfListLine(DayBoard::listLine(2, early)), QStringLiteral("a欧阳小"));
    EXPECT_EQ(DayBoard::nameOfListLine(DayBoard::listLine(100, late)), QStringLiteral("欧阳小东"));
}

// The lines are assembled without the text helpers' intermediate strings; they must still cut and align
// exactly as those do, down to surrogate pairs and characters cut in half.
TEST(DayBoardLines, FieldsAlignLikeTheTextHelpers) {
    const QString texts[] = {QString(),
                             QStringLiteral(" "),
                             QStringLiteral("abcdefghijklmnop"),
                             QStringLiteral("a王小东五六七"),
                             QStringLiteral("王小东五六七八九"),
                             QStringLiteral("\t王 小\t"),
                             QString::fromUtf8("\xF0\x9F\x98\x80"
                                               "abc\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"),
                             QString(QChar(0xD83D)) + QStringLiteral("abcdefghijk"),
                             QStringLiteral("Ünïcödé"),
                             QStringLiteral("迟到1234567890分钟")};
    for (const QString& t : texts) {
        SignInRecord r = rec("", "", "", "上", at(8, 0));
        r.Empl_Name = r.Dept_Name = r.RE_Content = t;
        const QString s = t.trimmed();
        EXPECT_EQ(DayBoard::listLine(1, r),
                  QStringLiteral("01 ") + gb::rightAlign(s, 8) + QLatin1Char(' ') + gb::rightAlign(s, 12))
            << t.toStdString();
        EXPECT_EQ(DayBoard::signInLine(1, r), QStringLiteral("001  ") + gb::rightAlign(s, 8) +
                                                  QLatin1String("  ") + gb::rightAlign(s, 16) +
                                                  QStringLiteral("  2006.01.09 08:00:00  ") +
                                                  gb::rightAlign(s, 20))
            << t.toStdString();
    }
}

EmployeeRoster fixtureRoster() {
    EmployeeRoster roster;
    roster.load({{QStringLiteral("王小东"), QStringLiteral("1001"), QStringLiteral("办公室")},
                 {QStringLiteral("李明"), QStringLiteral("1002"), QStringLiteral("生产部")},
                 {QStringLiteral("赵六"), QStringLiteral("1003"), QStringLiteral("财务部")},
                 {QStringLiteral("李明"), QStringLiteral("1004"), QStringLiteral("销售部")}});
    return roster;
}

TEST(DayBoardRebuild, NoSwipesLeavesEveryNameAbsentInRosterOrder) {
    DayBoard board;
    board.rebuild(fixtureRoster(), {});
    const QStringList all{QStringLiteral("王小东"), QStringLiteral("李明"), QStringLiteral("赵六"),
                          QStringLiteral("李明")};
    EXPECT_EQ(board.OnDutyAbsentList().entries(), all);
    EXPECT_EQ(board.OffDutyAbsentList().entries(), all);
    EXPECT_TRUE(board.SignInLines().isEmpty());
    EXPECT_TRUE(board.ExceptionLines().isEmpty());
}

TEST(DayBoardRebuild, ReplaysTheDay) {
    DayBoard board;
    board.addSignIn(rec("旧", "", "", "上", at(7, 0))); // yesterday's board is cleared
    board.rebuild(fixtureRoster(), {
                                       rec("王小东", "办公室", "迟到5分钟", "上", at(8, 40)),
                                       rec("李明", "生产部", "", "上", at(8, 41)),
                                       rec("王小东", "办公室", "迟到15分钟", "上", at(8, 50)),
                                       rec("赵六", "财务部", "早退60分钟", "下", at(16, 0)),
                                       rec("李明", "销售部", "", "下", at(17, 30)),
                                   });
    ASSERT_EQ(board.SignInLines().size(), 5);
    EXPECT_TRUE(board.SignInLines()[0].startsWith(QLatin1String("001  ")));
    EXPECT_TRUE(board.SignInLines()[4].startsWith(QLatin1String("005  ")));
    // Two late swipes of one employee: two exception lines, one late line.
    ASSERT_EQ(board.ExceptionLines().size(), 3);
    EXPECT_TRUE(board.ExceptionLines()[0].startsWith(QStringLiteral("000  王小东")));
    EXPECT_TRUE(board.ExceptionLines()[1].startsWith(QStringLiteral("001  王小东")));
    EXPECT_TRUE(board.ExceptionLines()[2].startsWith(QStringLiteral("002    赵六")));
    ASSERT_EQ(board.LateList().size(), 1);
    expectBytes(board.LateList()[0], "01   王小东    迟到5分钟");
    ASSERT_EQ(board.EarlyList().size(), 1);
    expectBytes(board.EarlyList()[0], "01     赵六   早退60分钟");
    // Two employees named 李明: one swipe takes away one entry.
    EXPECT_EQ(board.OnDutyAbsentList().entries(),
              QStringList({QStringLiteral("赵六"), QStringLiteral("李明")}));
    EXPECT_EQ(board.OffDutyAbsentList().entries(),
              QStringList({QStringLiteral("王小东"), QStringLiteral("李明")}));

    // The next live swipe of either 李明 takes the other entry; the number goes on from the rebuild.
    const DayBoard::Change c = board.applySignIn(rec("李明", "生产部", "迟到30分钟", "上", at(9, 5)));
    EXPECT_TRUE(c.signInLine.startsWith(QLatin1String("006  ")));
    EXPECT_TRUE(c.exceptionLine.startsWith(QLatin1String("003")));
    expectBytes(c.lateLine, "02     李明   迟到30分钟");
    EXPECT_EQ(c.onDutyAbsentRow, 1);
    EXPECT_EQ(board.OnDutyAbsentList().entries(), QStringList{QStringLiteral("赵六")});
    // No name left in the absent list: flagged again, but no new late line, nothing removed.
    const DayBoard::Change again = board.applySignIn(rec("李明", "生产部", "迟到40分钟", "上", at(9, 15)));
    EXPECT_FALSE(again.exceptionLine.isEmpty());
    EXPECT_TRUE(again.lateLine.isEmpty());
    EXPECT_EQ(again.onDutyAbsentRow, -1);
}

// The board's plain reading: lists searched from the top, one line compared after the other.
struct ReferenceBoard {
    QStringList signIns, exceptions, late, early, onAbsent, offAbsent;

    static int find(const QStringList& list, const QString& name) {
        for (int i = 0; i < list.size(); ++i)
            if (list[i].compare(name, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    static bool holds(const QStringList& list, const QString& name) {
        for (const QString& line : list)
            if (gb::bytesMid(line, 4, 11).trimmed() == gb::cut(name.trimmed(), 8).trimmed()) return true;
        return false;
    }
    static bool flagged(const SignInRecord& r) { return r.RE_Flag.trimmed().toUpper() == QLatin1String("Y"); }
    int remove(QStringList& list, const QString& name) {
        const int i = find(list, name.trimmed());
        if (i >= 0) list.removeAt(i);
        return i;
    }
    void rebuild(const EmployeeRoster& roster, const std::vector<SignInRecord>& day) {
        *this = {};
        for (const QString& line : roster.RosterLines()) {
            onAbsent.append(line.mid(line.indexOf(QLatin1Char('|')) + 1));
            offAbsent.append(line.mid(line.indexOf(QLatin1Char('|')) + 1));
        }
        for (size_t k = 0; k < day.size(); ++k) {
            const SignInRecord& r = day[k];
            signIns.append(DayBoard::signInLine(int(k) + 1, r));
            if (flagged(r)) {
                exceptions.append(DayBoard::exceptionLine(int(exceptions.size()), r));
                if (r.RE_Content.trimmed().contains(QStringLiteral("迟到")) && !holds(late, r.Empl_Name))
                    late.append(DayBoard::listLine(int(late.size()) + 1, r));
                if (r.RE_Content.trimmed().contains(QStringLiteral("早退")) && !holds(early, r.Empl_Name))
                    early.append(DayBoard::listLine(int(early.size()) + 1, r));
            }
            if (r.ADFlag.trimmed() == QStringLiteral("上")) remove(onAbsent, r.Empl_Name);
            if (r.ADFlag.trimmed() == QStringLiteral("下")) remove(offAbsent, r.Empl_Name);
        }
    }
    DayBoard::Change apply(const SignInRecord& r) {
        DayBoard::Change c;
        c.signInLine = DayBoard::signInLine(int(signIns.size()) + 1, r);
        signIns.append(c.signInLine);
        const QString name = r.Empl_Name.trimmed();
        if (flagged(r)) {
            c.exceptionLine = DayBoard::exceptionLine(int(exceptions.size()), r);
            exceptions.append(c.exceptionLine);
            if (r.RE_Content.contains(QStringLiteral("迟到")) && find(onAbsent, name) >= 0) {
                c.lateLine = DayBoard::listLine(int(late.size()) + 1, r);
                late.append(c.lateLine);
            }
            if (r.RE_Content.contains(QStringLiteral("早退")) && find(offAbsent, name) >= 0) {
                c.earlyLine = DayBoard::listLine(int(early.size()) + 1, r);
                early.append(c.earlyLine);
            }
        }
        if (r.ADFlag.trimmed() == QStringLiteral("上")) c.onDutyAbsentRow = remove(onAbsent, name);
        if (r.ADFlag.trimmed() == QStringLiteral("下")) c.offDutyAbsentRow = remove(offAbsent, name);
        return c;
    }
};

void expectSame(const DayBoard& board, const ReferenceBoard& ref) {
    EXPECT_EQ(board.SignInLines(), ref.signIns);
    EXPECT_EQ(board.ExceptionLines(), ref.exceptions);
    EXPECT_EQ(board.LateList(), ref.late);
    EXPECT_EQ(board.EarlyList(), ref.early);
    EXPECT_EQ(board.OnDutyAbsentList().entries(), ref.onAbsent);
    EXPECT_EQ(board.OffDutyAbsentList().entries(), ref.offAbsent);
}

// Random days over a roster with repeated names, names differing only in letter case, names that share
// their first 8 bytes, and flags written loosely; the hashed board must agree with the plain search.
TEST(DayBoardRebuild, AgreesWithPlainSearch) {
    const char* pool[] = {"王小东",     "李明",       "李明", "张伟",  "Anna", "ANNA", "anna",
                          "欧阳小东明", "欧阳小东亮", "赵六", "王 芳", "刘洋", "陈静", "Li Wei",
                          "李娜",       "杨帆",       "黄磊", "周杰",  "吴敏", "徐丽"};
    std::mt19937 rng(20060109);
    for (int round = 0; round < 20; ++round) {
        std::vector<RegisterRow> rows;
        const int employees = 5 + int(rng() % 40);
        for (int i = 0; i < employees; ++i)
            rows.push_back({QString::fromUtf8(pool[rng() % std::size(pool)]), QString::number(1000 + i), {}});
        EmployeeRoster roster;
        roster.load(rows);

        auto randomRecord = [&](int minute) {
            const QString name = roster.NameList()[int(rng() % roster.size())];
            const bool onDuty = rng() % 2;
            const int kind = int(rng() % 4);
            SignInRecord r = rec("", "部门", "", onDuty ? "上" : "下", at(6 + minute / 60 % 18, minute % 60));
            r.Empl_Name = rng() % 5 ? name : name.toUpper();
            if (kind > 0) {
                r.RE_Content = (onDuty ? QStringLiteral("迟到") : QStringLiteral("早退")) +
                               QString::number(kind) + QStringLiteral("分钟");
                r.RE_Flag = kind == 3 ? QStringLiteral(" y") : QStringLiteral("Y");
            }
            if (rng() % 10 == 0) r.ADFlag = onDuty ? QStringLiteral(" 上 ") : QStringLiteral("下 ");
            return r;
        };
        std::vector<SignInRecord> day;
        const int swipes = int(rng() % 80);
        for (int k = 0; k < swipes; ++k)
            day.push_back(randomRecord(k));

        DayBoard board;
        ReferenceBoard ref;
        board.rebuild(roster, day);
        ref.rebuild(roster, day);
        expectSame(board, ref);

        for (int k = 0; k < 40; ++k) {
            const SignInRecord r = randomRecord(swipes + k);
            const DayBoard::Change got = board.applySignIn(r);
            const DayBoard::Change want = ref.apply(r);
            EXPECT_EQ(got.signInLine, want.signInLine);
            EXPECT_EQ(got.exceptionLine, want.exceptionLine);
            EXPECT_EQ(got.lateLine, want.lateLine);
            EXPECT_EQ(got.earlyLine, want.earlyLine);
            EXPECT_EQ(got.onDutyAbsentRow, want.onDutyAbsentRow);
            EXPECT_EQ(got.offDutyAbsentRow, want.offDutyAbsentRow);
        }
        expectSame(board, ref);
        if (HasFailure()) break;
    }
}

} // namespace
