// The day board as the main window shows it: a home with a few employees and the day's swipes.

#include "QtPrint.h"
#include "TestHome.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/db/Dataset.h"
#include "desk/ui/StatusPanels.h"
#include "desk/ui/TfrmMain.h"

#include <QAbstractItemModel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

QString swipe(const char* name, const char* dept, const char* flag, const char* content, const char* ad,
              const char* when, const char* card) {
    const QDateTime t =
        QDateTime::fromString(QString::fromLatin1(when), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return QStringLiteral(
               "insert into MH_AttendResourceRecord (Empl_Name,Dept_Name,RE_Flag,RE_Content,ADFlag,"
               "Brush_Date,Brush_Hour,Brush_Minute,Brush_Second,Card_Cord,Clock_Address) values "
               "('%1','%2','%3','%4','%5','%6',%7,%8,%9,'%10','3')")
        .arg(QString::fromUtf8(name), QString::fromUtf8(dept), QString::fromLatin1(flag),
             QString::fromUtf8(content), QString::fromUtf8(ad), QString::fromLatin1(when))
        .arg(t.time().hour())
        .arg(t.time().minute())
        .arg(t.time().second())
        .arg(QString::fromLatin1(card));
}

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList lines(const QPlainTextEdit* pane) {
    const QString text = pane->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

class BoardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.sql({
            QStringLiteral("insert into MH_AttendDept (Dept_Code,Dept_Name) values ('10','总部')"),
            QStringLiteral("insert into MH_AttendDept (Dept_Code,Dept_Name) values ('1001','行政部')"),
            QStringLiteral("insert into MH_AttendDept (Dept_Code,Dept_Name) values ('','无代号')"),
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0001','王小东','0000012345','1001','行政部')"),
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0002','李明','0000012346','1001','行政部')"),
            // No card: left out of the roster, but it keeps its number.
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0003','张伟','','1001','行政部')"),
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0004','刘洋','0000012348','1003','生产部')"),
            swipe("刘洋", "生产部", "", "", "上", "2006-01-08 08:00:00", "0000012348"), // yesterday
            swipe("王小东", "行政部", "", "", "上", "2006-01-09 08:20:10", "0000012345"),
            swipe("李明", "行政部", "Y", "迟到12分钟", "上", "2006-01-09 08:47:00", "0000012346"),
            swipe("刘洋", "生产部", "Y", "早退40分钟", "下", "2006-01-09 16:20:05", "0000012348"),
        });
    }

    TestHome home;
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2006, 1, 9), QTime(17, 30, 0))};
};

TEST_F(BoardWindowTest, PanesAndListsShowTheDay) {
    TfrmMain w(home.home(), prompter, clock);
    ASSERT_FALSE(w.terminateRequested()) << prompter.texts().join(QLatin1Char('|')).toStdString();
    w.show();
    EXPECT_TRUE(prompter.entries.empty()) << prompter.texts().join(QLatin1Char('|')).toStdString();

    EXPECT_EQ(items(w.EmployeeList), (QStringList{QStringLiteral("001|王小东"), QStringLiteral("002|李明"),
                                                  QStringLiteral("004|刘洋")}));
    EXPECT_EQ(w.statusPanels().panelText(3), QStringLiteral("3"));

    // Widths in CP936 bytes: a Chinese character counts two.
    auto pad = [](int n) { return QString(n, QLatin1Char(' ')); };
    const QString l1 = QStringLiteral("001") + pad(2) + pad(2) + QStringLiteral("王小东") + pad(2) + pad(10) +
                       QStringLiteral("行政部") + pad(2) + QStringLiteral("2006.01.09 08:20:10") + pad(2) +
                       pad(20);
    const QString l2 = QStringLiteral("002") + pad(2) + pad(4) + QStringLiteral("李明") + pad(2) + pad(10) +
                       QStringLiteral("行政部") + pad(2) + QStringLiteral("2006.01.09 08:47:00") + pad(2) +
                       pad(10) + QStringLiteral("迟到12分钟");
    const QString l3 = QStringLiteral("003") + pad(2) + pad(4) + QStringLiteral("刘洋") + pad(2) + pad(10) +
                       QStringLiteral("生产部") + pad(2) + QStringLiteral("2006.01.09 16:20:05") + pad(2) +
                       pad(10) + QStringLiteral("早退40分钟");
    EXPECT_EQ(lines(w.SignInPane), (QStringList{l1, l2, l3}));
    // Exception lines: their own count from 000, then the sign-in line from the name field on.
    EXPECT_EQ(lines(w.ExceptionPane),
              (QStringList{QStringLiteral("000") + l2.mid(5), QStringLiteral("001") + l3.mid(5)}));
    EXPECT_EQ(items(w.LateListBox), QStringList{QStringLiteral("01 ") + pad(4) + QStringLiteral("李明 ") +
                                                pad(2) + QStringLiteral("迟到12分钟")});
    EXPECT_EQ(items(w.EarlyListBox), QStringList{QStringLiteral("01 ") + pad(4) + QStringLiteral("刘洋 ") +
                                                 pad(2) + QStringLiteral("早退40分钟")});
    EXPECT_EQ(items(w.OnDutyAbsentBox), QStringList{QStringLiteral("刘洋")});
    EXPECT_EQ(items(w.OffDutyAbsentBox), (QStringList{QStringLiteral("王小东"), QStringLiteral("李明")}));

    // The history view holds the day, ordered by Brush_Date, and its range is today.
    ASSERT_NE(w.swipeDataset(), nullptr);
    EXPECT_EQ(w.swipeDataset()->recordCount(), 3);
    EXPECT_EQ(w.swipeDataset()->recNo(), 1);
    const QAbstractItemModel* grid = w.DBGrid1->model();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->rowCount(), 3);
    ASSERT_EQ(grid->columnCount(), 12);
    EXPECT_EQ(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("序号"));
    EXPECT_EQ(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    EXPECT_EQ(grid->index(2, 0).data().toString(), QStringLiteral("3"));
    EXPECT_EQ(grid->index(2, 1).data().toString(), QStringLiteral("刘洋"));
    EXPECT_EQ(w.DateTimePicker1->date(), QDate(2006, 1, 9));
    EXPECT_EQ(w.DateTimePicker2->time(), QTime(0, 0));
    EXPECT_EQ(w.DateTimePicker4->time(), QTime(23, 59));
    EXPECT_EQ(w.DateTimePicker13->date(), QDate(2006, 1, 9));
    // The send logs show today from 00:00:00 to 23:59:00.
    EXPECT_EQ(w.DateTimePicker5->date(), QDate(2006, 1, 9));
    EXPECT_EQ(w.DateTimePicker6->time(), QTime(0, 0));
    EXPECT_EQ(w.DateTimePicker16->date(), QDate(2006, 1, 9));
    EXPECT_EQ(w.DateTimePicker17->time(), QTime(23, 59));
}

TEST_F(BoardWindowTest, RebuildFromTheMenuTakesTheDayAgain) {
    TfrmMain w(home.home(), prompter, clock);
    ASSERT_FALSE(w.terminateRequested());
    w.show();
    home.sql(
        {swipe("刘洋", "生产部", "", "", "上", "2006-01-09 08:30:00", "0000012348"),
         QStringLiteral("insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                        "('0005','陈静','0000012349','1003','生产部')")});
    w.I1->trigger();
    const QStringList signIns = lines(w.SignInPane);
    ASSERT_EQ(signIns.size(), 4);
    EXPECT_TRUE(
        signIns[1].startsWith(QStringLiteral("002") + QString(6, QLatin1Char(' ')) + QStringLiteral("刘洋")))
        << signIns[1].toStdString();
    EXPECT_EQ(items(w.OnDutyAbsentBox), QStringList{QStringLiteral("陈静")});
    EXPECT_EQ(items(w.EmployeeList).size(), 4);
    // The count in the status bar is set at creation only.
    EXPECT_EQ(w.statusPanels().panelText(3), QStringLiteral("3"));
}

TEST_F(BoardWindowTest, DayWithoutSwipesListsEveryoneAbsent) {
    clock.set(QDateTime(QDate(2006, 1, 10), QTime(9, 0)));
    TfrmMain w(home.home(), prompter, clock);
    ASSERT_FALSE(w.terminateRequested());
    EXPECT_TRUE(lines(w.SignInPane).isEmpty());
    EXPECT_TRUE(lines(w.ExceptionPane).isEmpty());
    const QStringList everyone{QStringLiteral("王小东"), QStringLiteral("李明"), QStringLiteral("刘洋")};
    EXPECT_EQ(items(w.OnDutyAbsentBox), everyone);
    EXPECT_EQ(items(w.OffDutyAbsentBox), everyone);
}

} // namespace
