// The sign-in and the record views as the main window runs them: a card typed into the box and Enter,
// the row in the database file, the board and the history grid; the views' queries, clear and delete.

#include "QtPrint.h"
#include "TestHome.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/db/Dataset.h"
#include "desk/ui/StatusPanels.h"
#include "desk/ui/TfrmMain.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

const QString kStored = QStringLiteral("员工刷卡签到成功！");

QString employee(const char* code, const QString& name, const char* card, const QString& dept) {
    return QStringLiteral("insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) "
                          "values ('%1','%2','%3','1001','%4')")
        .arg(QString::fromLatin1(code), name, QString::fromLatin1(card), dept);
}

QString swipe(const char* name, const char* flag, const char* content, const char* ad, const char* when) {
    return QStringLiteral(
               "insert into MH_AttendResourceRecord (Empl_Name,Dept_Name,RE_Flag,RE_Content,ADFlag,"
               "Brush_Date,Brush_Hour,Brush_Minute,Brush_Second,Card_Cord,Clock_Address) values "
               "('%1','行政部','%2','%3','%4','%5',8,0,0,'1','90')")
        .arg(QString::fromUtf8(name), QString::fromLatin1(flag), QString::fromUtf8(content),
             QString::fromUtf8(ad), QString::fromLatin1(when));
}

QStringList lines(const QPlainTextEdit* pane) {
    const QString text = pane->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

class SignInWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.sql({
            employee("0001", QStringLiteral("王小东"), "0000012345", QStringLiteral("行政部")),
            employee("0002", QStringLiteral("李明"), "0000012346", QStringLiteral("行政部")),
            // Longer than the swipe table's columns (8 and 32): the swipe is kept, the texts cut.
            employee("0003", QStringLiteral("欧阳诸葛司马上官明"), "0000012347",
                     QString(40, QLatin1Char('D'))),
            swipe("王小东", "", "", "上", "2006-01-08 08:00:00"), // yesterday
        });
    }

    // Rows of the swipe table in the home's file, read through a connection of its own.
    std::vector<QStringList> stored(const QString& where = QStringLiteral("1=1")) const {
        std::vector<QStringList> out;
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(home.home().databasePath());
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(
                q.exec(QStringLiteral("select Card_Cord,Empl_Name,Dept_Name,Brush_Date,ADFlag,RE_Flag,"
                                      "RE_Content,Brush_Hour,Brush_Minute,Brush_Second,Clock_Address "
                                      "from MH_AttendResourceRecord where ") +
                       where + QStringLiteral(" order by rowid")));
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < 11; ++i)
                    row << q.value(i).toString();
                out.push_back(row);
            }
        }
        QSqlDatabase::removeDatabase(name);
        return out;
    }
    std::vector<QStringList> today() const { return stored(QStringLiteral("Brush_Date>='2006-01-09'")); }

    std::unique_ptr<TfrmMain> open() {
        auto w = std::make_unique<TfrmMain>(home.home(), prompter, clock);
        EXPECT_FALSE(w->terminateRequested()) << prompter.texts().join(QLatin1Char('|')).toStdString();
        w->show();
        w->CheckBox5->setChecked(false);
        prompter.entries.clear();
        return w;
    }

    // The operator types the card and presses Enter.
    static void type(TfrmMain& w, const QString& card) {
        w.Edit3->clear();
        QTest::keyClicks(w.Edit3, card);
        QTest::keyClick(w.Edit3, Qt::Key_Return);
    }

    TestHome home;
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2006, 1, 9), QTime(8, 47, 10))};
};

TEST_F(SignInWindowTest, TypedCardIsStoredShownOnTheBoardAndInTheHistory) {
    auto w = open();
    const int before = w->DBGrid1->model()->rowCount();
    type(*w, QStringLiteral("0000012346"));

    EXPECT_TRUE(prompter.entries.empty()) << prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->statusPanels().panelText(1), kStored);
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000012346")); // the box keeps its text
    ASSERT_EQ(today().size(), 1u);
    EXPECT_EQ(today()[0], (QStringList{"0000012346", "李明", "行政部", "2006-01-09 08:47:10", "上", "Y",
                                       "迟到12分钟", "8", "47", "10", "0"}));

    // The board: one sign-in line, the exception, the late line; the name leaves the on-duty absents.
    ASSERT_EQ(lines(w->SignInPane).size(), 1);
    EXPECT_TRUE(lines(w->SignInPane)[0].startsWith(QStringLiteral("001      李明")));
    EXPECT_TRUE(lines(w->SignInPane)[0].endsWith(QStringLiteral("迟到12分钟")));
    EXPECT_EQ(lines(w->ExceptionPane).size(), 1);
    EXPECT_EQ(items(w->LateListBox).size(), 1);
    EXPECT_FALSE(items(w->OnDutyAbsentBox).contains(QStringLiteral("李明")));
    EXPECT_TRUE(items(w->OffDutyAbsentBox).contains(QStringLiteral("李明")));
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), before + 1);

    // Later sign-ins store 90; the same card again is stored again, the late list does not grow.
    clock.set(QDateTime(QDate(2006, 1, 9), QTime(8, 50, 0)));
    type(*w, QStringLiteral("0000012346"));
    ASSERT_EQ(today().size(), 2u);
    EXPECT_EQ(today()[1][10], QStringLiteral("90"));
    EXPECT_EQ(lines(w->SignInPane).size(), 2);
    EXPECT_TRUE(lines(w->SignInPane)[1].startsWith(QStringLiteral("002")));
    EXPECT_EQ(items(w->LateListBox).size(), 1);
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), before + 2);
}

TEST_F(SignInWindowTest, EmptyAndUnknownCardsStoreNothing) {
    auto w = open();
    const struct {
        const char* box;
        QString status;
    } cases[] = {
        {"", QStringLiteral("卡号不能为空!")},
        {"   ", QStringLiteral("卡号不能为空!")},
        {" 0000012345", QStringLiteral("该卡号未开户!")}, // not trimmed for the lookup
        {"99", QStringLiteral("该卡号未开户!")},
    };
    const QStringList absent = items(w->OnDutyAbsentBox);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        w->statusPanels().setPanelText(1, {});
        type(*w, QString::fromLatin1(c.box));
        EXPECT_EQ(w->statusPanels().panelText(1), c.status);
        EXPECT_TRUE(today().empty());
        EXPECT_TRUE(lines(w->SignInPane).empty());
        EXPECT_EQ(items(w->OnDutyAbsentBox), absent);
        EXPECT_EQ(w->clockAddress(), 0);
        EXPECT_TRUE(w->Edit3->hasFocus() || !w->isActiveWindow());
    }
    // A card in another letter case is found.
    home.sql({employee("0009", QStringLiteral("赵六"), "AB12", QStringLiteral("行政部"))});
    w->R1Click();
    type(*w, QStringLiteral("ab12"));
    EXPECT_EQ(w->statusPanels().panelText(1), kStored);
    ASSERT_EQ(today().size(), 1u);
    EXPECT_EQ(today()[0][0], QStringLiteral("ab12"));
}

TEST_F(SignInWindowTest, ReaderSwipesCarryTheAddressAndAreAcknowledged) {
    home.set(QStringLiteral("SysSet"), QStringLiteral("MachType"), QStringLiteral("RS485"));
    auto w = open();
    ASSERT_EQ(w->readerKind(), QStringLiteral("RS485"));
    int acks = 0;
    w->onSignInAck = [&] { ++acks; };

    // A reader frame of an unknown card leaves its address for the next sign-in, even a typed one.
    w->setClockAddress(7);
    w->Edit3->setText(QStringLiteral("424242"));
    w->Edit3KeyPress(nullptr, 13);
    EXPECT_EQ(acks, 0);
    type(*w, QStringLiteral("0000012345"));
    EXPECT_EQ(acks, 0); // typed: no acknowledgement
    w->setClockAddress(12);
    w->Edit3->setText(QStringLiteral("0000012346"));
    w->Edit3KeyPress(nullptr, 'x'); // only Enter signs in
    w->Edit3KeyPress(nullptr, 13);
    EXPECT_EQ(acks, 1);
    ASSERT_EQ(today().size(), 2u);
    EXPECT_EQ(today()[0][10], QStringLiteral("7"));
    EXPECT_EQ(today()[1][10], QStringLiteral("12"));
    EXPECT_EQ(w->clockAddress(), 90);
}

TEST_F(SignInWindowTest, LongRosterTextsAreCutAndTheSwipeKept) {
    auto w = open();
    type(*w, QStringLiteral("0000012347"));
    EXPECT_EQ(w->statusPanels().panelText(1), kStored);
    ASSERT_EQ(today().size(), 1u);
    EXPECT_EQ(today()[0][1], QStringLiteral("欧阳诸葛司马上官"));
    EXPECT_EQ(today()[0][2], QString(32, QLatin1Char('D')));
    EXPECT_EQ(lines(w->SignInPane).size(), 1);
}

TEST_F(SignInWindowTest, RefusedRowIsReportedAndLeavesTheBoard) {
    auto w = open();
    const int before = w->DBGrid1->model()->rowCount();
    home.sql({QStringLiteral("create trigger refuse before insert on MH_AttendResourceRecord "
                             "begin select raise(abort, 'disk says no'); end")});
    type(*w, QStringLiteral("0000012345"));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].icon, Prompter::Icon::Error);
    EXPECT_TRUE(prompter.entries[0].text.contains(QStringLiteral("disk says no")));
    EXPECT_TRUE(today().empty());
    EXPECT_TRUE(lines(w->SignInPane).empty());
    EXPECT_TRUE(items(w->OnDutyAbsentBox).contains(QStringLiteral("王小东")));
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), before);
    EXPECT_EQ(w->clockAddress(), 0);
}

TEST_F(SignInWindowTest, OvertimeFileErrorStoresNothing) {
    auto w = open();
    clock.set(QDateTime(QDate(2006, 1, 9), QTime(22, 30, 0)));
    // A file where the folder should be.
    QFile block(QDir(home.dir()).filePath(QStringLiteral("AddShift")));
    QDir(block.fileName()).removeRecursively();
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    type(*w, QStringLiteral("0000012345"));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_TRUE(prompter.entries[0].text.contains(QStringLiteral("AddShift")));
    EXPECT_TRUE(today().empty());
    EXPECT_TRUE(lines(w->SignInPane).empty());
}

TEST_F(SignInWindowTest, NameCallWithoutRecordingSaysSoAfterStoring) {
    auto w = open();
    w->CheckBox5->setChecked(true);
    type(*w, QStringLiteral("0000012345"));
    EXPECT_EQ(today().size(), 1u);
    EXPECT_EQ(w->statusPanels().panelText(1), QStringLiteral("该员工没有录音，播叫失败！"));
}

TEST_F(SignInWindowTest, ExceptionViewFollowsTheRadioGroup) {
    home.sql({swipe("李明", "Y", "迟到12分钟", "上", "2006-01-09 08:47:00"),
              swipe("王小东", "Y", "早退30分钟", "下", "2006-01-09 16:30:00"),
              swipe("王小东", "", "", "上", "2006-01-09 08:10:00"),
              swipe("李明", "Y", "迟到3分钟", "上", "2006-01-08 08:38:00")}); // yesterday
    auto w = open();
    const QAbstractItemModel* grid = w->DBGrid2->model();
    EXPECT_EQ(grid->rowCount(), 2); // "所有" at start
    const std::pair<QRadioButton*, int> cases[] = {{w->RadioLate, 1}, {w->RadioEarly, 1}, {w->RadioAll, 2}};
    for (const auto& [radio, rows] : cases) {
        SCOPED_TRACE(radio->text().toStdString());
        radio->setChecked(true);
        w->SpeedButton4->click();
        EXPECT_EQ(grid->rowCount(), rows);
    }
    w->RadioLate->setChecked(true);
    w->SpeedButton4Click();
    EXPECT_EQ(w->DBGrid2->model()->index(0, 4).data().toString(), QStringLiteral("迟到12分钟"));
    EXPECT_EQ(w->DBGrid2->model()->index(0, 0).data().toString(), QStringLiteral("1")); // No
    // The range's to-time: swipes after 12:00 leave the view.
    w->RadioAll->setChecked(true);
    w->DateTimePicker12->setTime(QTime(12, 0));
    w->SpeedButton4Click();
    EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(SignInWindowTest, ClearingTheHistoryAsksTwiceAndDeletesOnlyTheRangeShown) {
    home.sql({swipe("李明", "Y", "迟到12分钟", "上", "2006-01-09 08:47:00"),
              swipe("王小东", "", "", "上", "2006-01-09 08:10:00")});
    auto w = open();
    ASSERT_NE(w->E1, nullptr);
    EXPECT_EQ(w->E1->text(), QStringLiteral("清空数据(&E)"));
    EXPECT_EQ(w->N2->text(), QStringLiteral("清空数据"));
    EXPECT_TRUE(w->HistoryPopup->actions().contains(w->E1));

    // No to the second question: nothing goes.
    prompter.queue(Prompter::Answer::Yes);
    prompter.queue(Prompter::Answer::No);
    w->E1->trigger();
    EXPECT_EQ(prompter.texts(), (QStringList{QStringLiteral("您确定真的要清空下表数据吗？"),
                                             QStringLiteral("数据清空后无法恢复，继续吗？")}));
    EXPECT_EQ(today().size(), 2u);

    prompter.entries.clear();
    prompter.queue(Prompter::Answer::Yes);
    prompter.queue(Prompter::Answer::Yes);
    w->E1->trigger();
    EXPECT_EQ(prompter.entries.size(), 2u); // nothing asked per row
    EXPECT_TRUE(today().empty());
    EXPECT_EQ(stored().size(), 1u); // yesterday's swipe was outside the range
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(w->DBGrid2->model()->rowCount(), 0); // the exception view was refreshed
}

TEST_F(SignInWindowTest, DeleteAsksAndNoKeepsTheRow) {
    home.sql({swipe("李明", "Y", "迟到12分钟", "上", "2006-01-09 08:47:00"),
              swipe("王小东", "", "", "上", "2006-01-09 08:10:00")});
    auto w = open();
    // The selected grid row is the one deleted.
    w->DBGrid1->selectRow(1);
    EXPECT_EQ(w->swipeDataset()->recNo(), 2);
    prompter.queue(Prompter::Answer::No);
    w->DBNavigator1->click(DBNavigator::Button::Delete);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, QStringLiteral("记录删除后将无法恢复，继续吗？"));
    EXPECT_EQ(prompter.entries[0].title, QStringLiteral("提示"));
    EXPECT_EQ(today().size(), 2u);

    prompter.queue(Prompter::Answer::Yes);
    w->DBNavigator1->click(DBNavigator::Button::Delete);
    ASSERT_EQ(today().size(), 1u);
    EXPECT_EQ(today()[0][1], QStringLiteral("王小东"));
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), 1);
}

TEST_F(SignInWindowTest, TripInsertAppendsAtTheEnd) {
    home.sql(
        {QStringLiteral("insert into MH_Evection (Empl_Code,Empl_Name,Card_Code,Start_Date,End_Date) "
                        "values ('0001','王小东','0000012345','2006-01-09 09:00:00','2006-01-09 18:00:00')"),
         QStringLiteral("insert into MH_Evection (Empl_Code,Empl_Name,Card_Code,Start_Date,End_Date) "
                        "values ('0002','李明','0000012346','2006-01-08 09:00:00','2006-01-10 18:00:00')")});
    auto w = open();
    const QAbstractItemModel* grid = w->DBGrid4->model();
    ASSERT_EQ(grid->rowCount(), 2);
    w->DBGrid4->selectRow(0);
    w->DBNavigator4->click(DBNavigator::Button::Insert);
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(w->DBGrid4->currentIndex().row(), 2);
    EXPECT_TRUE(grid->index(2, 1).data().toString().isEmpty());

    // The trip of one day is not in the next day's view.
    w->DBNavigator4->click(DBNavigator::Button::Cancel);
    w->DateTimePicker13->setDate(QDate(2006, 1, 10));
    w->SpeedButton5->click();
    EXPECT_EQ(grid->rowCount(), 1);
}

} // namespace
