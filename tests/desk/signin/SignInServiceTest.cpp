#include "desk/signin/SignInService.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The swipe table in a real SQLite file.
class SqliteSwipeStore : public SwipeStore {
public:
    explicit SqliteSwipeStore(const QString& path) : name_(QStringLiteral("swipes-%1").arg(quintptr(this))) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.open();
        exec("create table MH_AttendResourceRecord (SDID integer primary key autoincrement, Empl_Name text,"
             " Dept_Name text, RE_Flag text, RE_Content text, ADFlag text, Brush_Date text, Brush_Hour "
             "integer,"
             " Brush_Minute integer, Brush_Second integer, Card_Cord text, Clock_Address text)");
    }
    ~SqliteSwipeStore() override { QSqlDatabase::removeDatabase(name_); }

    bool exec(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(name_));
        return q.exec(sql);
    }

    bool append(const SignInRecord& r, QString* error) override {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.prepare(
            QStringLiteral("insert into MH_AttendResourceRecord (Empl_Name, Dept_Name, RE_Flag, RE_Content,"
                           " ADFlag, Brush_Date, Brush_Hour, Brush_Minute, Brush_Second, Card_Cord,"
                           " Clock_Address) values (?,?,?,?,?,?,?,?,?,?,?)"));
        for (const QVariant& v : {QVariant(r.Empl_Name.left(8)), QVariant(r.Dept_Name.left(32)),
                                  QVariant(r.RE_Flag), QVariant(r.RE_Content), QVariant(r.ADFlag),
                                  QVariant(r.Brush_Date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
                                  QVariant(r.Brush_Hour), QVariant(r.Brush_Minute), QVariant(r.Brush_Second),
                                  QVariant(r.Card_Cord.left(12)), QVariant(r.Clock_Address.left(2))})
            q.addBindValue(v);
        if (q.exec()) return true;
        *error = q.lastError().text();
        return false;
    }

    // Rows as "name|card|duty|flag|content|address", in order.
    QStringList rows() {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.exec(QStringLiteral("select Empl_Name, Card_Cord, ADFlag, RE_Flag, RE_Content, Clock_Address from "
                              "MH_AttendResourceRecord order by SDID"));
        QStringList out;
        while (q.next()) {
            QStringList f;
            for (int i = 0; i < 6; ++i)
                f << q.value(i).toString();
            out << f.join(QLatin1Char('|'));
        }
        return out;
    }

private:
    QString name_;
};

class SignIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        roster.load(
            {{QStringLiteral("王小东"), QStringLiteral("1001"), QStringLiteral("办公室")},
             {QStringLiteral("李明"), QStringLiteral("00ab"), QStringLiteral("生产部")},
             {QStringLiteral("欧阳一二三四五六七"), QStringLiteral("1003"), QStringLiteral("销售部")}});
        board.rebuild(roster, {});
        service.setTimes(TimeSettings{});
    }

    SignInService::Outcome swipeAt(const QTime& t, const QString& card = QStringLiteral("1001"),
                                   bool fromReader = false) {
        clock.set(QDateTime(day, t));
        return service.signIn(card, fromReader);
    }

    QTemporaryDir home;
    QDate day{2006, 1, 9};
    FixedClock clock{QDateTime(QDate(2006, 1, 9), QTime(8, 0))};
    EmployeeRoster roster;
    DayBoard board;
    SqliteSwipeStore store{home.filePath(QStringLiteral("swipes.db"))};
    QStringList statuses;
    int processed = 0;
    int acks = 0;
    QStringList played;
    bool playWorks = true;
    SignInService service{roster,
                          board,
                          clock,
                          store,
                          home.path(),
                          SignInCallbacks{[this](const QString& s) { statuses << s; },
                                          [this] { ++processed; }, [this] { ++acks; },
                                          [this](const QString& p) {
                                              played << p;
                                              return playWorks;
                                          }}};
};

// The worked classification, through the whole sign-in with the real overtime files.
TEST_F(SignIn, ClassifiesWithAndWithoutYesterdaysOvertimeFile) {
    const struct {
        QTime at;
        const char* yesterday; // "no", "yes", or "either" (run both ways)
        const char* duty;
        const char* content;
        bool overtime;
    } cases[] = {
        {QTime(8, 20, 10), "either", "上", "", false},
        {QTime(8, 35, 59), "no", "上", "", false},
        {QTime(8, 36, 0), "no", "上", "迟到1分钟", false},
        {QTime(9, 50), "yes", "上", "", false},
        {QTime(10, 5), "yes", "上", "迟到5分钟", false},
        {QTime(10, 5), "no", "上", "迟到90分钟", false},
        {QTime(12, 0, 30), "no", "上", "迟到205分钟", false},
        {QTime(12, 1), "either", "下", "早退299分钟", false},
        {QTime(17, 0), "either", "下", "", false},
        {QTime(22, 0), "either", "下", "", true},
    };
    const OvertimeFile files(home.path());
    const QString yesterdayFile = files.filePath(day.addDays(-1));
    for (const auto& c : cases) {
        for (bool inFile : {false, true}) {
            const QString mode = QString::fromLatin1(c.yesterday);
            if (mode == QLatin1String(inFile ? "no" : "yes")) continue;
            QFile::remove(files.filePath(day));
            QFile::remove(yesterdayFile);
            if (inFile) {
                ASSERT_TRUE(files.AppendLine(day.addDays(-1), QStringLiteral("1001"), nullptr));
            }

            const SignInService::Outcome o = swipeAt(c.at);
            const std::string what = c.at.toString().toStdString() + (inFile ? " in file" : " not in file");
            ASSERT_EQ(o.result, SignInService::Result::Stored) << what;
            EXPECT_EQ(o.record.ADFlag, QString::fromUtf8(c.duty)) << what;
            EXPECT_EQ(o.record.RE_Content, QString::fromUtf8(c.content)) << what;
            EXPECT_EQ(o.record.RE_Flag, *c.content ? QStringLiteral("Y") : QString()) << what;
            EXPECT_EQ(o.record.Brush_Hour * 3600 + o.record.Brush_Minute * 60 + o.record.Brush_Second,
                      c.at.msecsSinceStartOfDay() / 1000);
            EXPECT_EQ(QFile::exists(files.filePath(day)), c.overtime) << what;
        }
    }
}

TEST_F(SignIn, EmptyAndUnknownCardsStoreNothing) {
    const struct {
        const char* box;
        SignInService::Result result;
        const char* status;
    } cases[] = {
        {"", SignInService::Result::Empty, "卡号不能为空!"},
        {"   ", SignInService::Result::Empty, "卡号不能为空!"},
        {" 1001", SignInService::Result::Unknown, "该卡号未开户!"}, // the lookup does not trim
        {"1001 ", SignInService::Result::Unknown, "该卡号未开户!"},
        {"9999", SignInService::Result::Unknown, "该卡号未开户!"},
    };
    service.setReaderKind(QStringLiteral("RS485"));
    service.setClockAddress(7);
    for (const auto& c : cases) {
        statuses.clear();
        EXPECT_EQ(swipeAt(QTime(8, 0), QString::fromUtf8(c.box), true).result, c.result) << c.box;
        EXPECT_EQ(statuses, QStringList{QString::fromUtf8(c.status)}) << c.box;
    }
    EXPECT_TRUE(store.rows().isEmpty());
    EXPECT_TRUE(board.SignInLines().isEmpty());
    EXPECT_EQ(board.OnDutyAbsentList().size(), 3);
    EXPECT_EQ(acks, 0);
    EXPECT_EQ(service.clockAddress(), 7);

    // After an unknown card from a reader at address 7, a typed sign-in stores that address.
    EXPECT_EQ(swipeAt(QTime(8, 1), QStringLiteral("00AB")).result, SignInService::Result::Stored);
    EXPECT_EQ(store.rows(), QStringList{QStringLiteral("李明|00AB|上|||7")}); // the box text as typed
}

TEST_F(SignIn, StoresTheReaderAddressAndAcknowledgesOnlyRs485ReaderSwipes) {
    service.setReaderKind(QStringLiteral("RS485"));
    EXPECT_EQ(swipeAt(QTime(8, 0)).result, SignInService::Result::Stored); // typed: no acknowledgement
    EXPECT_EQ(acks, 0);
    EXPECT_EQ(service.clockAddress(), 90);
    service.setClockAddress(5);
    swipeAt(QTime(8, 1), QStringLiteral("00ab"), true);
    EXPECT_EQ(acks, 1);
    swipeAt(QTime(8, 2), QStringLiteral("1003"), true);
    EXPECT_EQ(acks, 2);
    service.setReaderKind(QStringLiteral("RS232"));
    swipeAt(QTime(8, 3), QStringLiteral("1001"), true);
    EXPECT_EQ(acks, 2);
    EXPECT_EQ(store.rows(),
              QStringList({QStringLiteral("王小东|1001|上|||0"), QStringLiteral("李明|00ab|上|||5"),
                           QStringLiteral("欧阳一二三四五六|1003|上|||90"),
                           QStringLiteral("王小东|1001|上|||90")}));
}

TEST_F(SignIn, UpdatesTheBoardFromTheStoredRow) {
    statuses.clear();
    processed = 0;
    const SignInService::Outcome first = swipeAt(QTime(8, 40, 5));
    EXPECT_EQ(statuses, QStringList{QStringLiteral("员工刷卡签到成功！")});
    EXPECT_EQ(processed, 5);
    EXPECT_EQ(first.board.signInLine, board.SignInLines().constLast());
    EXPECT_EQ(board.SignInLines(), QStringList{DayBoard::signInLine(1, first.record)});
    EXPECT_TRUE(board.SignInLines()[0].startsWith(
        QStringLiteral("001    王小东            办公室  2006.01.09 08:40:05")));
    EXPECT_EQ(board.LateList(), QStringList{DayBoard::listLine(1, first.record)});
    EXPECT_EQ(first.board.onDutyAbsentRow, 0);
    swipeAt(QTime(8, 50)); // late again: an exception line, no second late line
    EXPECT_EQ(board.ExceptionLines().size(), 2);
    EXPECT_EQ(board.LateList().size(), 1);

    // The table keeps 8 characters of a longer name; the board shows that row, and the employee
    // still leaves the absent list.
    const SignInService::Outcome longName = swipeAt(QTime(17, 30), QStringLiteral("1003"));
    EXPECT_EQ(longName.record.Empl_Name, QStringLiteral("欧阳一二三四五六"));
    EXPECT_TRUE(board.SignInLines().constLast().startsWith(QStringLiteral("003  欧阳一二  ")));
    EXPECT_EQ(longName.board.offDutyAbsentRow, 2);
    EXPECT_EQ(board.OffDutyAbsentList().entries(),
              QStringList({QStringLiteral("王小东"), QStringLiteral("李明")}));
}

// Pending messages may run the roster reload in the middle of a sign-in; the sign-in goes on with the
// employee it found.
TEST_F(SignIn, RosterReloadedWhileMessagesAreProcessed) {
    EmployeeRoster reloaded;
    reloaded.load({{QStringLiteral("赵六"), QStringLiteral("2001"), QStringLiteral("财务部")}});
    SignInCallbacks cb;
    int calls = 0;
    cb.processEvents = [&] {
        if (++calls == 2) reloaded.load({}); // after the lookup
    };
    SignInService s(reloaded, board, clock, store, home.path(), cb);
    clock.set(QDateTime(day, QTime(8, 0)));
    const SignInService::Outcome o = s.signIn(QStringLiteral("2001"), false);
    ASSERT_EQ(o.result, SignInService::Result::Stored);
    EXPECT_EQ(o.record.Empl_Name, QStringLiteral("赵六"));
    EXPECT_EQ(o.record.Dept_Name, QStringLiteral("财务部"));
}

TEST_F(SignIn, TwoOvertimeSwipesAppendTwoLines) {
    swipeAt(QTime(22, 0));
    swipeAt(QTime(23, 15), QStringLiteral("00ab"));
    swipeAt(QTime(22, 30));
    QFile f(OvertimeFile(home.path()).filePath(day));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1001\r\n00ab\r\n1001\r\n"));
    // The next morning the overtime worker is late only after the grace time.
    clock.set(QDateTime(day.addDays(1), QTime(10, 5)));
    EXPECT_EQ(service.signIn(QStringLiteral("1001"), false).record.RE_Content, QStringLiteral("迟到5分钟"));
    clock.set(QDateTime(day.addDays(1), QTime(10, 5)));
    EXPECT_EQ(service.signIn(QStringLiteral("00AB"), false).record.RE_Content, QStringLiteral("迟到90分钟"));
}

TEST_F(SignIn, OvertimeFileFailureStoresNothing) {
    QFile blocker(home.filePath(QStringLiteral("AddShift")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    statuses.clear();
    const SignInService::Outcome o = swipeAt(QTime(22, 0));
    EXPECT_EQ(o.result, SignInService::Result::Failed);
    EXPECT_TRUE(o.error.contains(QStringLiteral("AddShift"))) << o.error.toStdString();
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_TRUE(store.rows().isEmpty());
    EXPECT_TRUE(board.SignInLines().isEmpty());
    EXPECT_EQ(board.OffDutyAbsentList().size(), 3);
    EXPECT_EQ(service.clockAddress(), 0);
    // A swipe that needs no overtime file still goes through.
    EXPECT_EQ(swipeAt(QTime(8, 0)).result, SignInService::Result::Stored);
}

TEST_F(SignIn, RefusedRowLeavesTheBoardAlone) {
    swipeAt(QTime(8, 0));
    const QStringList before = board.SignInLines();
    ASSERT_TRUE(store.exec("create trigger full before insert on MH_AttendResourceRecord "
                           "begin select raise(abort, 'database is full'); end"));
    statuses.clear();
    service.setClockAddress(5);
    service.setReaderKind(QStringLiteral("RS485"));
    const SignInService::Outcome o = swipeAt(QTime(8, 40), QStringLiteral("00ab"), true);
    EXPECT_EQ(o.result, SignInService::Result::Failed);
    EXPECT_TRUE(o.error.contains(QStringLiteral("database is full"))) << o.error.toStdString();
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_EQ(board.SignInLines(), before);
    EXPECT_TRUE(board.ExceptionLines().isEmpty());
    EXPECT_TRUE(board.LateList().isEmpty());
    EXPECT_EQ(board.OnDutyAbsentList().entries(),
              QStringList({QStringLiteral("李明"), QStringLiteral("欧阳一二三四五六七")}));
    EXPECT_EQ(service.clockAddress(), 5);
    EXPECT_EQ(acks, 0);
    EXPECT_EQ(store.rows().size(), 1);
}

TEST_F(SignIn, CallsTheName) {
    service.setCallNames(true);
    const struct {
        bool file;
        bool plays;
        QStringList after; // statuses after the success text
    } cases[] = {
        {false, true, {QStringLiteral("该员工没有录音，播叫失败！")}},
        {true, true, {QStringLiteral("正在播叫，请稍等..."), QStringLiteral("播叫成功！")}},
        {true, false, {QStringLiteral("正在播叫，请稍等..."), QStringLiteral("播叫失败！")}},
    };
    const QString wav = home.filePath(QStringLiteral("EmpSound/王小东.wav"));
    for (const auto& c : cases) {
        QFile::remove(wav);
        if (c.file) {
            QDir().mkpath(home.filePath(QStringLiteral("EmpSound")));
            QFile f(wav);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        playWorks = c.plays;
        statuses.clear();
        played.clear();
        EXPECT_EQ(swipeAt(QTime(8, 0)).result, SignInService::Result::Stored);
        EXPECT_EQ(statuses, QStringList{QStringLiteral("员工刷卡签到成功！")} + c.after);
        EXPECT_EQ(played, c.file ? QStringList{wav} : QStringList{});
    }
    service.setCallNames(false);
    statuses.clear();
    swipeAt(QTime(8, 1));
    EXPECT_EQ(statuses, QStringList{QStringLiteral("员工刷卡签到成功！")});
}

} // namespace
