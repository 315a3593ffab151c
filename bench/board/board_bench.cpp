// Board rebuild and live sign-in timings with a realistic day: 10,000 employees, 20,000 swipes.
//
//   board_bench [DIR]   DIR holds the SQLite file (default: a temporary folder)

#include "common/Clock.h"
#include "desk/board/BoardQueries.h"
#include "desk/board/DayBoard.h"
#include "desk/signin/SignInService.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int kEmployees = 10000;
constexpr int kSwipes = 20000;
const QDate kDay(2006, 1, 9);
const QString kConn = QStringLiteral("bench");

std::vector<RegisterRow> makeRegister(std::mt19937& rng) {
    const char* surnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴",   "周",   "徐",  "孙",
                              "马", "朱", "胡", "郭", "何", "高", "林", "罗", "欧阳", "司马", "诸葛"};
    const char* given[] = {"伟",   "芳", "娜", "秀英", "敏",   "静",   "丽",  "强", "磊",
                           "军",   "洋", "勇", "艳",   "杰",   "娟",   "涛",  "明", "超",
                           "秀兰", "霞", "平", "刚",   "小东", "建国", "海燕"};
    const char* depts[] = {"办公室", "生产部", "销售部",     "财务部",
                           "技术部", "质检部", "仓储物流部", "人力资源部"};
    std::vector<RegisterRow> rows;
    for (int i = 0; i < kEmployees; ++i) {
        RegisterRow r;
        r.Empl_Name = QString::fromUtf8(surnames[rng() % std::size(surnames)]) +
                      QString::fromUtf8(given[rng() % std::size(given)]);
        if (rng() % 3 == 0) r.Empl_Name += QString::fromUtf8(given[rng() % std::size(given)]);
        r.Card_Code = QStringLiteral("%1").arg(1000000 + i * 7, 10, 10, QLatin1Char('0'));
        r.Dept_Name = QString::fromUtf8(depts[rng() % std::size(depts)]);
        rows.push_back(r);
    }
    return rows;
}

bool exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(kConn));
    if (q.exec(sql)) return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

class SqliteStore : public SwipeStore {
public:
    bool append(const SignInRecord& r, QString* error) override {
        QSqlQuery q(QSqlDatabase::database(kConn));
        q.prepare(
            QStringLiteral("insert into MH_AttendResourceRecord (Empl_Name, Dept_Name, RE_Flag, RE_Content,"
                           " ADFlag, Brush_Date, Brush_Hour, Brush_Minute, Brush_Second, Card_Cord,"
                           " Clock_Address) values (?,?,?,?,?,?,?,?,?,?,?)"));
        const SignInRecord s = asStored(r);
        for (const QVariant& v :
             {QVariant(s.Empl_Name), QVariant(s.Dept_Name), QVariant(s.RE_Flag), QVariant(s.RE_Content),
              QVariant(s.ADFlag), QVariant(s.Brush_Date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))),
              QVariant(s.Brush_Hour), QVariant(s.Brush_Minute), QVariant(s.Brush_Second),
              QVariant(s.Card_Cord), QVariant(s.Clock_Address)})
            q.addBindValue(v);
        if (q.exec()) return true;
        *error = q.lastError().text();
        return false;
    }
};

class MemoryStore : public SwipeStore {
public:
    bool append(const SignInRecord& r, QString*) override {
        rows.push_back(r);
        return true;
    }
    std::vector<SignInRecord> rows;
};

// "yyyy-mm-dd hh:mm:ss" read by hand; QDateTime::fromString with a format takes tens of microseconds a
// call, about half a second for a day like this one.
QDateTime parseStamp(const QString& s) {
    if (s.size() < 19) return {};
    auto num = [&s](int at, int len) {
        int v = 0;
        for (int k = at; k < at + len; ++k)
            v = v * 10 + (s[k].unicode() - '0');
        return v;
    };
    return QDateTime(QDate(num(0, 4), num(5, 2), num(8, 2)), QTime(num(11, 2), num(14, 2), num(17, 2)));
}

// The day's rows as the swipe-history query returns them. SQLite has no CDate here (the desk's
// connection registers one); on "yyyy-mm-dd hh:mm:ss" texts the plain comparison is the same.
std::vector<SignInRecord> readDay() {
    QString sql = board_sql::swipeHistory(board_sql::dayStart(kDay), board_sql::dayEnd(kDay));
    sql.replace(QStringLiteral("CDate("), QStringLiteral("(")); // keeps the bounds and their quotes
    QSqlQuery q(QSqlDatabase::database(kConn));
    q.setForwardOnly(true);
    std::vector<SignInRecord> out;
    if (!q.exec(sql)) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return out;
    }
    out.reserve(kSwipes);
    const QSqlRecord rec = q.record();
    const int name = rec.indexOf(QStringLiteral("Empl_Name")),
              dept = rec.indexOf(QStringLiteral("Dept_Name")), flag = rec.indexOf(QStringLiteral("RE_Flag")),
              content = rec.indexOf(QStringLiteral("RE_Content")),
              duty = rec.indexOf(QStringLiteral("ADFlag")), date = rec.indexOf(QStringLiteral("Brush_Date"));
    while (q.next()) {
        SignInRecord r;
        r.Empl_Name = q.value(name).toString();
        r.Dept_Name = q.value(dept).toString();
        r.RE_Flag = q.value(flag).toString();
        r.RE_Content = q.value(content).toString();
        r.ADFlag = q.value(duty).toString();
        r.Brush_Date = parseStamp(q.value(date).toString());
        out.push_back(std::move(r));
    }
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(double(v.size()) * p))];
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    const QString dbPath = QDir(dir).filePath(QStringLiteral("board_bench.db"));
    QFile::remove(dbPath);

    std::mt19937 rng(20060109);
    const std::vector<RegisterRow> reg = makeRegister(rng);

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConn);
    db.setDatabaseName(dbPath);
    if (!db.open()) return 1;
    exec(QStringLiteral("pragma journal_mode=delete"));
    exec(QStringLiteral("pragma synchronous=full"));
    exec(QStringLiteral(
        "create table MH_AttendResourceRecord (SDID integer primary key autoincrement, Empl_Name "
        "text, Dept_Name text, RE_Flag text, RE_Content text, ADFlag text, Brush_Date text, "
        "Brush_Hour integer, Brush_Minute integer, Brush_Second integer, Card_Cord text, "
        "Clock_Address text, Sign_Flag text, Sign_Reason text, Sign_Empl text, Flag text)"));
    exec(QStringLiteral(
        "create index MH_AttendResourceRecord_Brush_Date on MH_AttendResourceRecord (Brush_Date)"));

    // The day: everyone on duty, most off duty, a few several times; lates and earlies among them.
    EmployeeRoster roster;
    roster.load(reg);
    {
        const TimeSettings times;
        std::vector<SignInRecord> day;
        day.reserve(kSwipes);
        std::uniform_int_distribution<int> morning(7 * 3600 + 40 * 60, 9 * 3600 + 30 * 60);
        std::uniform_int_distribution<int> evening(16 * 3600, 19 * 3600);
        for (int k = 0; k < kSwipes; ++k) {
            const int i = k < kEmployees ? k : int(rng() % kEmployees);
            const bool onDuty = k < kEmployees || rng() % 3 == 0;
            const QTime t = QTime::fromMSecsSinceStartOfDay((onDuty ? morning(rng) : evening(rng)) * 1000);
            const Classification c = classify(t, times, false);
            SignInRecord r;
            r.Empl_Name = roster.lineName(i);
            r.Dept_Name = roster.DeptList()[i];
            r.ADFlag = c.ADFlag;
            r.RE_Flag = c.RE_Flag;
            r.RE_Content = c.RE_Content;
            r.Brush_Date = QDateTime(kDay, t);
            r.Brush_Hour = t.hour();
            r.Brush_Minute = t.minute();
            r.Brush_Second = t.second();
            r.Card_Cord = roster.CardList()[i];
            r.Clock_Address = QStringLiteral("90");
            day.push_back(r);
        }
        SqliteStore store;
        exec(QStringLiteral("begin"));
        QString error;
        for (const SignInRecord& r : day)
            if (!store.append(r, &error)) return 1;
        exec(QStringLiteral("commit"));
    }

    std::printf("board_bench: %d employees, %d swipes on %s\n", kEmployees, kSwipes,
                qPrintable(kDay.toString()));
    // Wall and CPU time of each step; the machine may be shared, CPU time shows our own share.
    std::vector<double> wall[3], cpu[3];
    DayBoard board;
    std::vector<SignInRecord> day;
    for (int round = 0; round < 7; ++round) {
        for (int step = 0; step < 3; ++step) {
            QElapsedTimer t;
            t.start();
            const double c0 = cpuMs();
            if (step == 0) day = readDay();
            if (step == 1) roster.load(reg);
            if (step == 2) board.rebuild(roster, day);
            cpu[step].push_back(cpuMs() - c0);
            wall[step].push_back(ms(t));
        }
    }
    const char* steps[] = {"read the day (plain query, not the Dataset)",
                           "roster load                                ",
                           "board rebuild                              "};
    std::printf("rebuild, %zu rows (first run / median of 7):\n", day.size());
    double totalWall = 0, totalCpu = 0;
    for (int step = 0; step < 3; ++step) {
        std::printf("  %s  wall %7.2f / %7.2f ms   cpu %7.2f / %7.2f ms\n", steps[step], wall[step].front(),
                    median(wall[step]), cpu[step].front(), median(cpu[step]));
        totalWall += median(wall[step]);
        totalCpu += median(cpu[step]);
    }
    std::printf("  total (medians)                              wall %7.2f ms             cpu %7.2f ms\n",
                totalWall, totalCpu);
    std::printf("  board: %lld sign-in, %lld exception, %lld late, %lld early lines; absent %d on, %d off\n",
                qlonglong(board.SignInLines().size()), qlonglong(board.ExceptionLines().size()),
                qlonglong(board.LateList().size()), qlonglong(board.EarlyList().size()),
                board.OnDutyAbsentList().size(), board.OffDutyAbsentList().size());

    // Live sign-ins on the rebuilt board, through the real file and through memory.
    FixedClock clock(QDateTime(kDay, QTime(19, 30)));
    QTemporaryDir home;
    auto run = [&](SwipeStore& store, int count) {
        SignInService service(roster, board, clock, store, home.path());
        std::vector<double> times;
        for (int k = 0; k < count; ++k) {
            const QString card = roster.CardList()[int(rng() % kEmployees)];
            clock.advance(1500);
            QElapsedTimer t;
            t.start();
            const auto o = service.signIn(card, false);
            times.push_back(ms(t));
            if (o.result != SignInService::Result::Stored) {
                std::fprintf(stderr, "sign-in failed: %s\n", qPrintable(o.error));
                break;
            }
        }
        return times;
    };
    SqliteStore sqlite;
    const std::vector<double> disk = run(sqlite, 200);
    exec(QStringLiteral("pragma journal_mode=wal"));
    const std::vector<double> wal = run(sqlite, 200);
    exec(QStringLiteral("pragma journal_mode=delete"));
    MemoryStore memory;
    const std::vector<double> mem = run(memory, 2000);
    std::printf("live sign-in (classification + store + board update):\n");
    const struct {
        const char* what;
        const std::vector<double>& times;
    } lines[] = {{"SQLite, rollback journal, synchronous=FULL", disk},
                 {"SQLite, WAL, synchronous=FULL             ", wal},
                 {"memory store (the desk's own part)        ", mem}};
    for (const auto& l : lines)
        std::printf("  %s  median %7.3f ms  p90 %7.3f ms  (%zu swipes)\n", l.what, median(l.times),
                    percentile(l.times, 0.9), l.times.size());
    return 0;
}
