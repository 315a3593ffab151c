#include "desk/views/RecordViews.h"

#include "common/Prompter.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The SQL driver plugins load only with an application object.
int argc = 1;
char arg0[] = "desk_views_tests";
char* argv[] = {arg0, nullptr};
QCoreApplication app(argc, argv);

using view_sql::ExceptionKind;
using views::Range;

QDateTime at(int day, int h, int m, int s = 0) {
    return QDateTime(QDate(2006, 1, day), QTime(h, m, s));
}
Range dayRange(int day) {
    return {at(day, 0, 0), at(day, 23, 59)};
}

class RecordViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("mdb/Oravik.mdb"));
        QString err;
        ASSERT_TRUE(Database::createFile(file, &err)) << err.toStdString();
        ASSERT_TRUE(db.openFile(file)) << db.error().toStdString();
        const QSqlDatabase c = db.connection();
        history = std::make_unique<Dataset>(
            c, QStringLiteral("select * from MH_AttendResourceRecord Order By Brush_Date"));
        exceptions = std::make_unique<Dataset>(c);
        trips = std::make_unique<Dataset>(c, view_sql::kTripsInitial);
        mailLog =
            std::make_unique<Dataset>(c, QStringLiteral("select * from MH_SendMail order by Send_Time"));
        smsLog =
            std::make_unique<Dataset>(c, QStringLiteral("select * from MH_SmsRecord order by Send_Time"));
        receivers = std::make_unique<Dataset>(c, QStringLiteral("select * from MH_EMail"));
        views::LogPane mailPane{
            [this] { mailPaneLines.clear(); },
            [this](const Dataset& d) { mailPaneLines << d.text(QStringLiteral("Rec_Man")); }};
        recordViews = std::make_unique<views::RecordViews>(
            views::RecordViews::Datasets{*history, *exceptions, *trips, *mailLog, *smsLog, *receivers},
            prompter, mailPane);
    }

    void exec(const QString& statement) {
        QSqlQuery q(db.connection());
        ASSERT_TRUE(q.exec(statement))
            << q.lastError().text().toStdString() << " in " << statement.toStdString();
    }
    int count(const QString& table) {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("select count(*) from ") + table));
        return q.next() ? q.value(0).toInt() : -1;
    }
    void swipe(const QString& name, const QDateTime& when, const QString& flag = {},
               const QString& content = {}) {
        exec(QStringLiteral(
                 "insert into MH_AttendResourceRecord (Empl_Name, RE_Flag, RE_Content, ADFlag, "
                 "Brush_Date, Brush_Hour, Brush_Minute, Brush_Second) values ('%1', '%2', '%3', '上', "
                 "'%4', %5, %6, %7)")
                 .arg(name, flag, content, when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                 .arg(when.time().hour())
                 .arg(when.time().minute())
                 .arg(when.time().second()));
    }
    void trip(const QString& name, const QDateTime& start, const QDateTime& end) {
        const QString f = QStringLiteral("yyyy-MM-dd hh:mm:ss");
        exec(QStringLiteral(
                 "insert into MH_Evection (Empl_Name, Start_Date, End_Date) values ('%1', '%2', '%3')")
                 .arg(name, start.toString(f), end.toString(f)));
    }
    void mail(const QString& man, const QDateTime& when) {
        exec(
            QStringLiteral("insert into MH_SendMail (Rec_Man, Send_Flag, Send_Time) values ('%1', 'Y', '%2')")
                .arg(man, when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    }
    static QStringList column(const Dataset& d, const QString& name) {
        QStringList out;
        for (int row = 0; row < d.recordCount(); ++row)
            out << d.value(row, name).toString();
        return out;
    }

    QTemporaryDir dir;
    Database db;
    std::unique_ptr<Dataset> history, exceptions, trips, mailLog, smsLog, receivers;
    ScriptedPrompter prompter;
    QStringList mailPaneLines;
    std::unique_ptr<views::RecordViews> recordViews;
};

TEST_F(RecordViewsTest, QueryTextsAreExact) {
    const Range r = dayRange(9);
    ASSERT_EQ(recordViews->refreshHistory(r), QString());
    EXPECT_EQ(history->sql(),
              QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                             "00:00:00') and Brush_Date<=CDate('2006-01-09 23:59:00') order by "
                             "Brush_Date"));
    const QString flagged =
        QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                       "00:00:00') and Brush_Date<=CDate('2006-01-09 23:59:00') and RE_Flag='Y'");
    const struct {
        ExceptionKind kind;
        QString text;
    } kinds[] = {
        {ExceptionKind::Late,
         flagged + QStringLiteral(" and InStr(1,RE_Content,'迟到',1)>0 order by Brush_Date")},
        {ExceptionKind::Early,
         flagged + QStringLiteral(" and InStr(1,RE_Content,'早退',1)>0 order by Brush_Date")},
        {ExceptionKind::All, flagged + QStringLiteral(" order by Brush_Date")},
    };
    for (const auto& k : kinds) {
        ASSERT_EQ(recordViews->refreshExceptions(r, k.kind), QString());
        EXPECT_EQ(exceptions->sql(), k.text);
    }
    ASSERT_EQ(recordViews->refreshTrips(QDate(2006, 1, 9)), QString());
    EXPECT_EQ(trips->sql(),
              QStringLiteral("select * from MH_Evection where Start_Date<=CDate('2006-01-09 23:59:00') "
                             "and End_Date>=CDate('2006-01-09') order by Start_Date"));
    ASSERT_EQ(recordViews->refreshMailLog(r), QString());
    EXPECT_EQ(mailLog->sql(),
              QStringLiteral("select * from MH_SendMail where Send_Time>=CDate('2006-01-09 00:00:00') "
                             "and Send_Time<=CDate('2006-01-09 23:59:00') order by Send_Time"));
    ASSERT_EQ(recordViews->refreshSmsLog(r), QString());
    EXPECT_EQ(smsLog->sql(), QStringLiteral("select * from MH_SmsRecord where Send_Time>=CDate('2006-01-09 "
                                            "00:00:00') and Send_Time<=CDate('2006-01-09 23:59:00') order by "
                                            "Send_Time"));
}

TEST_F(RecordViewsTest, ExceptionViewByChoice) {
    swipe(QStringLiteral("甲"), at(9, 8, 40), QStringLiteral("Y"), QStringLiteral("迟到5分钟"));
    swipe(QStringLiteral("乙"), at(9, 9, 0));
    swipe(QStringLiteral("丙"), at(9, 16, 30), QStringLiteral("Y"), QStringLiteral("早退30分钟"));
    swipe(QStringLiteral("丁"), at(9, 16, 50), QStringLiteral("Y"), QStringLiteral("早退10分钟"));
    swipe(QStringLiteral("戊"), at(10, 8, 50), QStringLiteral("Y"), QStringLiteral("迟到15分钟")); // next day
    const struct {
        ExceptionKind kind;
        QStringList names;
    } cases[] = {
        {ExceptionKind::Late, {QStringLiteral("甲")}},
        {ExceptionKind::Early, {QStringLiteral("丙"), QStringLiteral("丁")}},
        {ExceptionKind::All, {QStringLiteral("甲"), QStringLiteral("丙"), QStringLiteral("丁")}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(recordViews->refreshExceptions(dayRange(9), c.kind), QString());
        EXPECT_EQ(column(*exceptions, QStringLiteral("Empl_Name")), c.names) << int(c.kind);
        EXPECT_EQ(column(*exceptions, QStringLiteral("No")).size(), c.names.size());
    }
}

TEST_F(RecordViewsTest, HistoryToBoundIncludesItsSecondOnly) {
    swipe(QStringLiteral("甲"), at(9, 0, 0));
    swipe(QStringLiteral("乙"), at(9, 12, 0, 0));
    swipe(QStringLiteral("丙"), at(9, 12, 0, 1));
    swipe(QStringLiteral("丁"), at(9, 23, 59, 30));
    swipe(QStringLiteral("戊"), at(8, 23, 59, 59));
    ASSERT_EQ(recordViews->refreshHistory({at(9, 0, 0), at(9, 12, 0)}), QString());
    EXPECT_EQ(column(*history, QStringLiteral("Empl_Name")),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(column(*history, QStringLiteral("No")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    // The default to-time 23:59:00 leaves out the last minute of the day.
    ASSERT_EQ(recordViews->refreshHistory(dayRange(9)), QString());
    EXPECT_EQ(column(*history, QStringLiteral("Empl_Name")),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
}

TEST_F(RecordViewsTest, TripCoversItsDayOnly) {
    trip(QStringLiteral("甲"), at(9, 9, 0), at(9, 18, 0));
    trip(QStringLiteral("乙"), at(8, 9, 0), at(12, 18, 0));
    const struct {
        int day;
        QStringList names;
    } cases[] = {
        {8, {QStringLiteral("乙")}},
        {9, {QStringLiteral("乙"), QStringLiteral("甲")}},
        {10, {QStringLiteral("乙")}},
        {13, {}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(recordViews->refreshTrips(QDate(2006, 1, c.day)), QString());
        EXPECT_EQ(column(*trips, QStringLiteral("Empl_Name")), c.names) << c.day;
    }
}

TEST_F(RecordViewsTest, ClearAsksTwiceAndDeletesOnlyTheRangeShown) {
    using A = Prompter::Answer;
    swipe(QStringLiteral("前"), at(8, 8, 40), QStringLiteral("Y"), QStringLiteral("迟到5分钟"));
    swipe(QStringLiteral("甲"), at(9, 8, 40), QStringLiteral("Y"), QStringLiteral("迟到5分钟"));
    swipe(QStringLiteral("乙"), at(9, 9, 0));
    swipe(QStringLiteral("后"), at(10, 8, 40), QStringLiteral("Y"), QStringLiteral("迟到5分钟"));
    ASSERT_EQ(recordViews->refreshHistory(dayRange(9)), QString());
    ASSERT_EQ(recordViews->refreshExceptions({at(8, 0, 0), at(10, 23, 59)}, ExceptionKind::All), QString());
    ASSERT_EQ(exceptions->recordCount(), 3);

    const struct {
        std::vector<A> answers;
        int questions;
    } declined[] = {{{A::No}, 1}, {{A::Yes, A::No}, 2}, {{}, 1}};
    for (const auto& d : declined) {
        prompter.entries.clear();
        prompter.answers.assign(d.answers.begin(), d.answers.end());
        const views::Cleared c = recordViews->clearHistory({at(8, 0, 0), at(10, 23, 59)}, ExceptionKind::All);
        EXPECT_FALSE(c.done);
        EXPECT_TRUE(c.error.isEmpty());
        EXPECT_EQ(int(prompter.entries.size()), d.questions);
        EXPECT_EQ(count(QStringLiteral("MH_AttendResourceRecord")), 4);
        EXPECT_EQ(history->recordCount(), 2);
    }

    prompter.entries.clear();
    prompter.answers = {A::Yes, A::Yes};
    const views::Cleared c = recordViews->clearHistory({at(8, 0, 0), at(10, 23, 59)}, ExceptionKind::All);
    EXPECT_TRUE(c.done) << c.error.toStdString();
    EXPECT_EQ(c.rows, 2);
    ASSERT_EQ(prompter.entries.size(), 2u);
    EXPECT_EQ(prompter.texts(), (QStringList{views::kClearQuestion, views::kClearAgainQuestion}));
    for (const auto& e : prompter.entries) {
        EXPECT_EQ(e.title, QStringLiteral("提示"));
        EXPECT_EQ(e.buttons, Prompter::Buttons::YesNo);
        EXPECT_EQ(e.icon, Prompter::Icon::Question);
    }
    EXPECT_EQ(history->recordCount(), 0);
    EXPECT_EQ(count(QStringLiteral("MH_AttendResourceRecord")), 2); // the days around it stay
    // The exception view was refreshed: the day's late swipe is gone from it.
    EXPECT_EQ(column(*exceptions, QStringLiteral("Empl_Name")),
              (QStringList{QStringLiteral("前"), QStringLiteral("后")}));

    // The per-row question is back after the clear.
    ASSERT_EQ(recordViews->refreshHistory({at(8, 0, 0), at(10, 23, 59)}), QString());
    prompter.entries.clear();
    EXPECT_FALSE(history->remove());
    EXPECT_EQ(prompter.texts(), QStringList{views::kDeleteQuestion});
}

TEST_F(RecordViewsTest, ClearingALogEmptiesItsPaneAndShowsTheRangeAgain) {
    mail(QStringLiteral("甲"), at(9, 8, 0));
    mail(QStringLiteral("乙"), at(9, 9, 0));
    mail(QStringLiteral("丙"), at(10, 9, 0));
    ASSERT_EQ(recordViews->refreshMailLog(dayRange(9)), QString());
    EXPECT_EQ(mailPaneLines, (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(mailLog->recNo(), 1);
    prompter.answers = {Prompter::Answer::Yes, Prompter::Answer::Yes};
    const views::Cleared c = recordViews->clearMailLog(dayRange(9));
    EXPECT_TRUE(c.done) << c.error.toStdString();
    EXPECT_TRUE(mailPaneLines.isEmpty());
    EXPECT_EQ(mailLog->recordCount(), 0);
    EXPECT_EQ(count(QStringLiteral("MH_SendMail")), 1);
}

TEST_F(RecordViewsTest, EveryDatasetAsksBeforeADelete) {
    swipe(QStringLiteral("甲"), at(9, 8, 40), QStringLiteral("Y"), QStringLiteral("迟到5分钟"));
    trip(QStringLiteral("甲"), at(9, 9, 0), at(9, 18, 0));
    mail(QStringLiteral("甲"), at(9, 8, 0));
    exec(
        QStringLiteral("insert into MH_SmsRecord (Rec_Man, Send_Time) values ('甲', '2006-01-09 08:00:00')"));
    exec(QStringLiteral("insert into MH_EMail (Empl_Name) values ('甲')"));
    ASSERT_EQ(recordViews->refreshHistory(dayRange(9)), QString());
    ASSERT_EQ(recordViews->refreshExceptions(dayRange(9), ExceptionKind::All), QString());
    ASSERT_EQ(recordViews->refreshTrips(QDate(2006, 1, 9)), QString());
    ASSERT_EQ(recordViews->refreshMailLog(dayRange(9)), QString());
    ASSERT_EQ(recordViews->refreshSmsLog(dayRange(9)), QString());
    ASSERT_TRUE(receivers->open());
    const struct {
        Dataset* ds;
        QString table;
    } all[] = {{history.get(), QStringLiteral("MH_AttendResourceRecord")},
               {trips.get(), QStringLiteral("MH_Evection")},
               {mailLog.get(), QStringLiteral("MH_SendMail")},
               {smsLog.get(), QStringLiteral("MH_SmsRecord")},
               {receivers.get(), QStringLiteral("MH_EMail")},
               {exceptions.get(), QStringLiteral("MH_AttendResourceRecord")}};
    for (const auto& d : all) {
        prompter.entries.clear();
        prompter.answers = {Prompter::Answer::No};
        EXPECT_FALSE(d.ds->remove()) << d.table.toStdString();
        EXPECT_EQ(d.ds->recordCount(), 1);
        EXPECT_EQ(count(d.table), 1);
        ASSERT_EQ(prompter.entries.size(), 1u);
        EXPECT_EQ(prompter.entries[0].text, QStringLiteral("记录删除后将无法恢复，继续吗？"));
        EXPECT_EQ(prompter.entries[0].title, QStringLiteral("提示"));
        EXPECT_EQ(prompter.entries[0].buttons, Prompter::Buttons::YesNo);
        EXPECT_EQ(prompter.entries[0].icon, Prompter::Icon::Question);
    }
    // Yes deletes (the exception view's row went with the history's: same table, now gone).
    for (Dataset* d : {trips.get(), mailLog.get(), smsLog.get(), receivers.get()}) {
        prompter.answers = {Prompter::Answer::Yes};
        EXPECT_TRUE(d->remove());
        EXPECT_EQ(d->recordCount(), 0);
    }
    EXPECT_EQ(count(QStringLiteral("MH_Evection")) + count(QStringLiteral("MH_SendMail")) +
                  count(QStringLiteral("MH_SmsRecord")) + count(QStringLiteral("MH_EMail")),
              0);
}

TEST_F(RecordViewsTest, TripInsertAppendsAtTheEnd) {
    trip(QStringLiteral("甲"), at(9, 8, 0), at(9, 18, 0));
    trip(QStringLiteral("乙"), at(9, 9, 0), at(9, 18, 0));
    ASSERT_EQ(recordViews->refreshTrips(QDate(2006, 1, 9)), QString());
    trips->first();
    ASSERT_EQ(recordViews->insertTripAtEnd(), QString());
    EXPECT_EQ(trips->state(), Dataset::State::Insert);
    // Pressing insert again on the untouched row starts no second one.
    ASSERT_EQ(recordViews->insertTripAtEnd(), QString());
    EXPECT_EQ(trips->recNo(), 3);
    ASSERT_TRUE(trips->setField(QStringLiteral("Empl_Name"), QStringLiteral("丙")));
    // No check of the values: a trip that starts after it ends is stored as typed.
    ASSERT_TRUE(trips->setField(QStringLiteral("Start_Date"), QStringLiteral("2006-01-09 07:00:00")));
    ASSERT_TRUE(trips->setField(QStringLiteral("End_Date"), QStringLiteral("2006-01-08 07:00:00")));
    ASSERT_TRUE(trips->post()) << trips->error().toStdString();
    EXPECT_EQ(column(*trips, QStringLiteral("Empl_Name")),
              (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    EXPECT_EQ(count(QStringLiteral("MH_Evection")), 3);
    // A typed row is stored when insert is pressed again, and the next new row goes after it.
    trips->first();
    ASSERT_EQ(recordViews->insertTripAtEnd(), QString());
    ASSERT_TRUE(trips->setField(QStringLiteral("Empl_Name"), QStringLiteral("丁")));
    ASSERT_EQ(recordViews->insertTripAtEnd(), QString());
    EXPECT_EQ(count(QStringLiteral("MH_Evection")), 4);
    EXPECT_EQ(trips->recNo(), 5);
}

TEST_F(RecordViewsTest, RecordNumberOfAnInsertedRowIsOne) {
    mail(QStringLiteral("甲"), at(9, 8, 0));
    mail(QStringLiteral("乙"), at(9, 9, 0));
    ASSERT_EQ(recordViews->refreshMailLog(dayRange(9)), QString());
    EXPECT_EQ(column(*mailLog, QStringLiteral("No")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    ASSERT_TRUE(mailLog->append());
    EXPECT_EQ(mailLog->fieldByName(QStringLiteral("No")).toInt(), 1);
    mailLog->cancel();
}

TEST_F(RecordViewsTest, FailingQueryReportsAndLeavesTheViewClosed) {
    mail(QStringLiteral("甲"), at(9, 8, 0));
    ASSERT_EQ(recordViews->refreshMailLog(dayRange(9)), QString());
    ASSERT_EQ(mailPaneLines.size(), 1);
    exec(QStringLiteral("drop table MH_SendMail"));
    const QString error = recordViews->refreshMailLog(dayRange(9));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(mailLog->isOpen());
    EXPECT_EQ(mailPaneLines.size(), 1); // the pane is left as it was
}

} // namespace
