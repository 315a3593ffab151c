// Builds a swipe table of 1,000,000 rows (10,000 employees, two swipes a day for 50 days) in a
// temporary folder and times what the desk does with it: open one day through a Dataset (the board
// rebuild and the history view), walk it reading the board's fields, and append+post one swipe.
//
//   dataset_bench [--dir DIR] [--days N] [--journal MODE] [--sync LEVEL]

#include "db/Database.h"
#include "db/Dataset.h"
#include "db/Sql.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEmployees = 10000;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QString nameOf(int i) {
    static const char16_t surnames[] = u"王李张刘陈杨赵黄周吴徐孙胡朱高林何郭马罗";
    static const char16_t given[] = u"伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华";
    QString s;
    s += QChar(surnames[i % 20]);
    s += QChar(given[(i / 20) % 25]);
    if (i % 3) s += QChar(given[(i / 500) % 25]);
    return s;
}

bool build(Database& db, int days) {
    QSqlDatabase c = db.connection();
    QRandomGenerator rng(820);
    c.transaction();
    QSqlQuery reg(c);
    reg.prepare(
        QStringLiteral("insert into MH_CardReg (Empl_Code, Empl_Name, Card_Code, Dept_Code, Dept_Name) "
                       "values (?,?,?,?,?)"));
    for (int e = 0; e < kEmployees; ++e) {
        reg.addBindValue(QStringLiteral("%1").arg(e + 1, 5, 10, QLatin1Char('0')));
        reg.addBindValue(nameOf(e));
        reg.addBindValue(QStringLiteral("%1").arg(1000000 + e, 10, 10, QLatin1Char('0')));
        reg.addBindValue(QStringLiteral("10%1").arg(e % 40, 2, 10, QLatin1Char('0')));
        reg.addBindValue(QStringLiteral("第%1车间").arg(e % 40 + 1));
        if (!reg.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(reg.lastError().text()));
            return false;
        }
    }
    QSqlQuery ins(c);
    ins.prepare(QStringLiteral(
        "insert into MH_AttendResourceRecord (Empl_Name, Dept_Name, RE_Flag, RE_Content, ADFlag, "
        "Brush_Date, Brush_Hour, Brush_Minute, Brush_Second, Card_Cord, Clock_Address) "
        "values (?,?,?,?,?,?,?,?,?,?,?)"));
    const QDate start(2006, 1, 1);
    struct Swipe {
        int secs;
        int employee;
        bool on;
    };
    std::vector<Swipe> day(kEmployees * 2);
    for (int d = 0; d < days; ++d) {
        for (int e = 0; e < kEmployees; ++e) {
            day[size_t(2 * e)] = {7 * 3600 + 30 * 60 + int(rng.bounded(90 * 60)), e, true};
            day[size_t(2 * e + 1)] = {16 * 3600 + 30 * 60 + int(rng.bounded(150 * 60)), e, false};
        }
        std::sort(day.begin(), day.end(), [](const Swipe& a, const Swipe& b) { return a.secs < b.secs; });
        const QString date = start.addDays(d).toString(QStringLiteral("yyyy-MM-dd"));
        for (const Swipe& s : day) {
            const int h = s.secs / 3600, m = s.secs / 60 % 60, sec = s.secs % 60;
            const int late = s.on ? (s.secs - (8 * 3600 + 35 * 60 + 59)) / 60 : 0;
            const int early = s.on ? 0 : (17 * 3600 - s.secs) / 60;
            QString flag, content;
            if (late > 0) {
                flag = QStringLiteral("Y");
                content = QStringLiteral("迟到%1分钟").arg(late);
            } else if (early > 0) {
                flag = QStringLiteral("Y");
                content = QStringLiteral("早退%1分钟").arg(early);
            }
            ins.addBindValue(nameOf(s.employee));
            ins.addBindValue(QStringLiteral("第%1车间").arg(s.employee % 40 + 1));
            ins.addBindValue(flag);
            ins.addBindValue(content);
            ins.addBindValue(s.on ? QStringLiteral("上") : QStringLiteral("下"));
            ins.addBindValue(QString::asprintf("%s %02d:%02d:%02d", qPrintable(date), h, m, sec));
            ins.addBindValue(h);
            ins.addBindValue(m);
            ins.addBindValue(sec);
            ins.addBindValue(QStringLiteral("%1").arg(1000000 + s.employee, 10, 10, QLatin1Char('0')));
            ins.addBindValue(QStringLiteral("1"));
            if (!ins.exec()) {
                std::fprintf(stderr, "%s\n", qPrintable(ins.lastError().text()));
                return false;
            }
        }
    }
    return c.commit();
}

QString daySql(const QDate& d) {
    return QStringLiteral("select * from MH_AttendResourceRecord ") + QStringLiteral("where Brush_Date>=") +
           sql::cdate(QDateTime(d, QTime(0, 0))) + QStringLiteral(" and Brush_Date<=") +
           sql::cdate(QDateTime(d, QTime(23, 59))) + QStringLiteral(" order by Brush_Date");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString base = QDir::tempPath();
    int days = 50;
    QString journal, sync; // overrides, to compare settings
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--dir"))
            base = args[i + 1];
        else if (args[i] == QLatin1String("--days"))
            days = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--journal"))
            journal = args[i + 1];
        else if (args[i] == QLatin1String("--sync"))
            sync = args[i + 1];
    }
    QTemporaryDir dir(base + QStringLiteral("/dataset_bench-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("mdb/Oravik.mdb"));
    QString err;
    if (!dir.isValid() || !Database::createFile(file, &err)) {
        std::fprintf(stderr, "cannot create the database: %s\n", qPrintable(err));
        return 1;
    }
    Database db;
    if (!db.openFile(file)) {
        std::fprintf(stderr, "%s\n", qPrintable(db.error()));
        return 1;
    }

    QElapsedTimer t;
    t.start();
    if (!build(db, days)) return 1;
    const double buildSecs = t.elapsed() / 1000.0;
    QSqlQuery count(db.connection());
    count.exec(QStringLiteral("select count(*) from MH_AttendResourceRecord"));
    count.next();
    std::printf("database: %s rows in %s, built in %.1f s\n", qPrintable(count.value(0).toString()),
                qPrintable(file), buildSecs);
    count.finish();

    {
        QSqlQuery p(db.connection());
        if (!journal.isEmpty()) p.exec(QStringLiteral("PRAGMA journal_mode=") + journal);
        if (!sync.isEmpty()) p.exec(QStringLiteral("PRAGMA synchronous=") + sync);
        p.exec(QStringLiteral("PRAGMA journal_mode"));
        p.next();
        const QString j = p.value(0).toString();
        p.exec(QStringLiteral("PRAGMA synchronous"));
        p.next();
        std::printf("journal_mode %s, synchronous %s\n", qPrintable(j), qPrintable(p.value(0).toString()));
    }
    const QDate day = QDate(2006, 1, 1).addDays(days / 2);
    Dataset ds(db.connection());
    ds.addRecordNumberField();
    std::vector<double> opens, walks;
    for (int i = 0; i < 7; ++i) {
        ds.close();
        ds.setSql(daySql(day.addDays(i % 3)));
        t.restart();
        if (!ds.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(ds.error()));
            return 1;
        }
        opens.push_back(t.nsecsElapsed() / 1e6);
        // What the board rebuild reads of every row.
        t.restart();
        qsizetype bytes = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            bytes += ds.text(QStringLiteral("Empl_Name")).trimmed().size();
            bytes += ds.text(QStringLiteral("Dept_Name")).trimmed().size();
            bytes += ds.text(QStringLiteral("Brush_Date")).replace(QLatin1Char('-'), QLatin1Char('.')).size();
            bytes += ds.text(QStringLiteral("RE_Content")).trimmed().size();
            bytes += ds.text(QStringLiteral("RE_Flag")).trimmed().toUpper().size();
            bytes += ds.text(QStringLiteral("ADFlag")).trimmed().size();
            bytes += ds.fieldByName(QStringLiteral("No")).toInt() & 1;
        }
        walks.push_back(t.nsecsElapsed() / 1e6);
        if (bytes == 0) std::printf("(nothing read)\n");
    }
    std::printf("open one day (%d rows): median %.1f ms, min %.1f ms, max %.1f ms\n", ds.recordCount(),
                median(opens), *std::min_element(opens.begin(), opens.end()),
                *std::max_element(opens.begin(), opens.end()));
    std::printf("walk the day reading the board's fields: median %.1f ms\n", median(walks));

    const QDateTime now(day, QTime(9, 0));
    int posted = 0;
    const auto postSwipes = [&](int n) {
        std::vector<double> posts;
        for (int i = 0; i < n; ++i, ++posted) {
            t.restart();
            ds.append();
            ds.setField(QStringLiteral("Card_Cord"), QStringLiteral("0001000123"));
            ds.setField(QStringLiteral("Empl_Name"), nameOf(123));
            ds.setField(QStringLiteral("Dept_Name"), QStringLiteral("第4车间"));
            ds.setField(QStringLiteral("Brush_Date"), now.addSecs(posted));
            ds.setField(QStringLiteral("ADFlag"), QStringLiteral("上"));
            ds.setField(QStringLiteral("RE_Flag"), QStringLiteral("Y"));
            ds.setField(QStringLiteral("RE_Content"), QStringLiteral("迟到25分钟"));
            ds.setField(QStringLiteral("Brush_Hour"), 9);
            ds.setField(QStringLiteral("Brush_Minute"), posted / 60 % 60);
            ds.setField(QStringLiteral("Brush_Second"), posted % 60);
            ds.setField(QStringLiteral("Clock_Address"), QStringLiteral("1"));
            if (!ds.post()) {
                std::fprintf(stderr, "%s\n", qPrintable(ds.error()));
                return std::vector<double>{};
            }
            posts.push_back(t.nsecsElapsed() / 1e6);
        }
        return posts;
    };
    const std::vector<double> posts = postSwipes(200);
    if (posts.empty()) return 1;
    std::printf("append+post one swipe: median %.2f ms, max %.2f ms over %zu posts\n", median(posts),
                *std::max_element(posts.begin(), posts.end()), posts.size());
    // The same without waiting for the disk: what the dataset and SQLite themselves cost.
    QSqlQuery(db.connection()).exec(QStringLiteral("PRAGMA synchronous=OFF"));
    const std::vector<double> unsynced = postSwipes(200);
    std::printf("append+post without disk syncs: median %.2f ms\n", median(unsynced));
    return 0;
}
