// Times the record views on a large swipe table: 20,000 swipes a day (10,000 employees, on and off
// duty) for 50 days, 1,000,000 rows, in a temporary folder. Each figure is the median over the runs.
//
//   history   SpeedButton2Click for one day: the query into the dataset, then the grid model's reset
//             and the rows a grid paints first
//   exception SpeedButton4Click for one day with "所有"
//   clear     the deletion of a clear command (one day's 20,000 swipes), each run on another day
//
//   views_bench [--days N] [--runs N] [--dir DIR]

#include "common/Prompter.h"
#include "db/Database.h"
#include "db/Dataset.h"
#ifdef VIEWS_BENCH_MODEL
#include "db/DatasetModel.h"
#endif
#include "desk/views/RecordViews.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kEmployees = 10000;
constexpr int kPerDay = 2 * kEmployees;
const QDate kStart(2006, 1, 1);

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One statement inside SQLite: no per-row round trip through the driver. On-duty swipes spread over
// 07:30-09:00, off-duty over 16:30-19:00; the late and early ones carry their flag and text.
bool build(Database& db, int days, QString* error) {
    QSqlQuery q(db.connection());
    const QString last = QString::number(qint64(days) * kPerDay - 1);
    const QString perDay = QString::number(kPerDay);
    const QString employees = QString::number(kEmployees);
    const QString onDuty = QStringLiteral("(i%") + perDay + QStringLiteral(")<") + employees;
    // Built by concatenation: the printf formats would read as QString::arg place markers.
    const QString text =
        QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i<") + last +
        QStringLiteral("), s(i, d, e, onduty, secs) as (select i, i/") + perDay + QStringLiteral(", i%") +
        employees + QStringLiteral(", ") + onDuty + QStringLiteral(", case when ") + onDuty +
        QStringLiteral(" then 27000+((i%") + employees + QStringLiteral(")*7919)%5400 else 59400+((i%") +
        employees +
        QStringLiteral(
            ")*104729)%9000 end from n) "
            "insert into MH_AttendResourceRecord (Empl_Name, Dept_Name, RE_Flag, RE_Content, ADFlag, "
            "Brush_Date, Brush_Hour, Brush_Minute, Brush_Second, Card_Cord, Clock_Address) "
            "select printf('员工%05d', e), printf('第%d车间', e%40+1), "
            "case when onduty and secs>=30960 then 'Y' when not onduty and secs<61200 then 'Y' else '' end, "
            "case when onduty and secs>=30960 then printf('迟到%d分钟', secs/60-515) "
            "when not onduty and secs<61200 then printf('早退%d分钟', 1020-secs/60) else '' end, "
            "case when onduty then '上' else '下' end, date('") +
        kStart.toString(QStringLiteral("yyyy-MM-dd")) +
        QStringLiteral("', '+'||d||' days')||' '||time(secs, 'unixepoch'), secs/3600, secs/60%60, secs%60, "
                       "printf('%010d', 1000000+e), '1' from s order by i");
    if (!q.exec(text)) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

views::Range dayRange(int d) {
    const QDate day = kStart.addDays(d);
    return {QDateTime(day, QTime(0, 0)), QDateTime(day, QTime(23, 59))};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int days = 50;
    int runs = 11;
    QString dirArg;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--days"))
            days = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--dir"))
            dirArg = QString::fromLocal8Bit(argv[i + 1]);
    }
    runs = std::clamp(runs, 1, days - 1);
    QTemporaryDir tmp(dirArg.isEmpty() ? QDir::tempPath() + QStringLiteral("/views_bench_XXXXXX")
                                       : dirArg + QStringLiteral("/views_bench_XXXXXX"));
    const QString file = tmp.filePath(QStringLiteral("mdb/Oravik.mdb"));
    QString error;
    Database db;
    if (!Database::createFile(file, &error) || !db.openFile(file)) {
        std::fprintf(stderr, "database: %s %s\n", qPrintable(error), qPrintable(db.error()));
        return 1;
    }
    QElapsedTimer t;
    t.start();
    if (!build(db, days, &error)) {
        std::fprintf(stderr, "build: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("table: %lld swipes, %d employees, %d days, built in %.1f s\n", qint64(days) * kPerDay,
                kEmployees, days, t.nsecsElapsed() / 1e9);

    const QSqlDatabase c = db.connection();
    Dataset history(c), exceptions(c), trips(c), mailLog(c), smsLog(c), receivers(c);
    ScriptedPrompter prompter;
    views::RecordViews rv({history, exceptions, trips, mailLog, smsLog, receivers}, prompter);
#ifdef VIEWS_BENCH_MODEL
    // The history grid's columns in their order.
    DatasetModel model(&history,
                       QString::fromUtf8("No Empl_Name Dept_Name RE_Flag RE_Content Brush_Date Brush_Hour "
                                         "Brush_Minute Brush_Second ADFlag Card_Cord Clock_Address")
                           .split(QLatin1Char(' ')));
#endif

    std::vector<double> hist, exc, clear;
    const int mid = days / 2;
    int rows = 0;
    for (int r = 0; r < runs; ++r) {
        t.restart();
        if (const QString e = rv.refreshHistory(dayRange(mid)); !e.isEmpty()) {
            std::fprintf(stderr, "history: %s\n", qPrintable(e));
            return 1;
        }
        // What a grid asks for right after the reset: the size and the first screenful.
#ifdef VIEWS_BENCH_MODEL
        rows = model.rowCount();
        for (int row = 0; row < std::min(rows, 40); ++row)
            for (int col = 0; col < model.columnCount(); ++col)
                (void)model.data(model.index(row, col));
#else
        rows = history.recordCount();
        for (int row = 0; row < std::min(rows, 40); ++row)
            for (int col = 0; col < int(history.fieldNames().size()); ++col)
                (void)history.value(row, col);
#endif
        hist.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        if (const QString e = rv.refreshExceptions(dayRange(mid), view_sql::ExceptionKind::All);
            !e.isEmpty()) {
            std::fprintf(stderr, "exceptions: %s\n", qPrintable(e));
            return 1;
        }
        exc.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("history view, one day (%d rows): median %.1f ms over %d runs (min %.1f, max %.1f)\n", rows,
                median(hist), runs, *std::min_element(hist.begin(), hist.end()),
                *std::max_element(hist.begin(), hist.end()));
    std::printf("exception view, one day (%d rows): median %.1f ms\n", exceptions.recordCount(), median(exc));

    // Clearing is destructive: every run clears another day (never the measured one).
    for (int r = 0; r < runs; ++r) {
        const int d = r < mid ? r : r + 1;
        if (const QString e = rv.refreshHistory(dayRange(d)); !e.isEmpty()) return 1;
        const int held = history.recordCount();
        t.restart();
        const views::Cleared out = views::deleteAllRows(history);
        clear.push_back(t.nsecsElapsed() / 1e6);
        if (!out.done || out.rows != held) {
            std::fprintf(stderr, "clear: %s\n", qPrintable(out.error));
            return 1;
        }
    }
    std::printf("clear of one day (%d rows): median %.1f ms\n", kPerDay, median(clear));
    return 0;
}
