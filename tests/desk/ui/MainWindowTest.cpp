// The main window's creation, showing, closing and settings handlers, driven through the real window on
// a real home (settings file, data-link file, SQLite database).

#include "QtPrint.h"
#include "TestHome.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/ui/StatusPanels.h"
#include "desk/ui/TfrmMain.h"
#include "desk/ui/TfrmShape.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kSys = QStringLiteral("SysSet");
const QString kMail = QStringLiteral("EMailSet");
const QString kVideo = QStringLiteral("VideoSet");

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<TfrmMain> open() { return std::make_unique<TfrmMain>(home.home(), prompter, clock); }
    // Creates and shows the window, as the program does.
    std::unique_ptr<TfrmMain> openShown() {
        auto w = open();
        EXPECT_FALSE(w->terminateRequested()) << prompter.texts().join(QLatin1Char('|')).toStdString();
        w->show();
        QCoreApplication::processEvents();
        return w;
    }
    template <class T> static T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    TestHome home;
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2006, 1, 9), QTime(9, 0, 0))};
};

TEST_F(MainWindowTest, NewHomeStartsWithTheDefaults) {
    auto w = openShown();
    EXPECT_TRUE(prompter.entries.empty()) << prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Hemlo实时考勤系统 1.20 (2006.01.09)"));
    EXPECT_EQ(child<QLabel>(*w, "Label11")->text(), QStringLiteral("Hemlo软件有限责任公司实时考勤管理系统"));
    EXPECT_TRUE(child<QRadioButton>(*w, "RadioButton1")->isChecked());
    EXPECT_EQ(w->readerKind(), QStringLiteral("RS485"));
    EXPECT_EQ(child<QTimeEdit>(*w, "ATime")->time(), QTime(8, 35));
    EXPECT_EQ(child<QTimeEdit>(*w, "SysTime")->time(), QTime(0, 0));
    EXPECT_TRUE(child<QCheckBox>(*w, "CheckBox5")->isChecked()); // CallName "Y"
    EXPECT_FALSE(child<QCheckBox>(*w, "CheckBox3")->isChecked());
    EXPECT_FALSE(w->readingActive());
    // Neither e-mail nor SMS: the scheduler stays off and its panel empty.
    EXPECT_FALSE(w->Timer2->isActive());
    EXPECT_EQ(w->statusPanels().panelText(5), QString());
    EXPECT_EQ(w->statusPanels().panelText(0), QStringLiteral("刷卡提示："));
    EXPECT_EQ(w->statusPanels().panelText(2), QStringLiteral("总计人数："));
    EXPECT_EQ(w->statusPanels().panelText(4), QStringLiteral("系统状态："));
    EXPECT_EQ(w->statusPanels().panelText(3), QStringLiteral("0"));
    // SendWeeks "23456": Monday to Friday.
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(child<QCheckBox>(*w, qPrintable(QStringLiteral("RB%1").arg(n)))->isChecked(),
                  n >= 2 && n <= 6)
            << n;
    EXPECT_TRUE(w->Timer4->isActive());
    EXPECT_EQ(w->Timer1->interval(), 100);
    EXPECT_EQ(w->SenTimer->interval(), 300);
    EXPECT_EQ(w->Timer4->interval(), 1000);
}

// Keys compared upper-cased (MachType, AbMail) against those compared exactly (AutoBrush).
TEST_F(MainWindowTest, LowerCaseValuesAtStart) {
    home.set(kSys, QStringLiteral("MachType"), QStringLiteral("rs232"));
    home.set(kSys, QStringLiteral("AutoBrush"), QStringLiteral("y"));
    home.set(kSys, QStringLiteral("AbMail"), QStringLiteral("y"));
    auto w = openShown();
    EXPECT_TRUE(child<QRadioButton>(*w, "RadioButton2")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*w, "RadioButton1")->isChecked());
    EXPECT_EQ(w->readerKind(), QStringLiteral("RS232"));
    EXPECT_FALSE(child<QCheckBox>(*w, "CheckBox3")->isChecked());
    EXPECT_FALSE(w->readingActive());
    EXPECT_TRUE(child<QCheckBox>(*w, "CheckBox1")->isChecked());
    EXPECT_EQ(w->statusPanels().panelText(5), QStringLiteral("启动定时"));
    EXPECT_TRUE(w->Timer2->isActive());
}

TEST_F(MainWindowTest, UnnamedReaderKindKeepsTheFirstButton) {
    home.set(kSys, QStringLiteral("MachType"), QStringLiteral("NV620"));
    home.set(kSys, QStringLiteral("AbSms"), QStringLiteral("Y"));
    home.set(kSys, QStringLiteral("AutoBrush"), QStringLiteral("Y"));
    auto w = openShown();
    EXPECT_TRUE(child<QRadioButton>(*w, "RadioButton1")->isChecked());
    EXPECT_EQ(w->readerKind(), QStringLiteral("NV620"));
    EXPECT_TRUE(child<QCheckBox>(*w, "CheckBox4")->isChecked());
    EXPECT_EQ(w->statusPanels().panelText(5), QStringLiteral("启动定时"));
    EXPECT_TRUE(child<QCheckBox>(*w, "CheckBox3")->isChecked()); // exactly "Y"
}

TEST_F(MainWindowTest, TimesParseOrKeepTheBuiltInValue) {
    struct Case {
        const char* key;
        const char* text;
        QTime expected;
    };
    const Case cases[] = {
        {"ATime", "8:5", QTime(8, 5)},
        {"DTime", "no time", QTime(17, 0)},
        {"ADTime", "12:30:15", QTime(12, 30, 15)},
        {"AMTime", "25:00", QTime(10, 15)},
        {"DMTime", "", QTime(18, 0)},
        {"ASTime", "21:7:9", QTime(21, 7, 9)},
        {"ASATime", "9:60", QTime(10, 0)},
        {"SysTime", " 1:02 ", QTime(1, 2)},
    };
    for (const Case& c : cases)
        home.set(kSys, QString::fromLatin1(c.key), QString::fromLatin1(c.text));
    const QByteArray before = home.iniBytes();
    auto w = openShown();
    for (const Case& c : cases)
        EXPECT_EQ(child<QTimeEdit>(*w, c.key)->time(), c.expected) << c.key << " from '" << c.text << "'";
    // Setting the pickers at start is no change by the operator: nothing is written back.
    EXPECT_EQ(home.iniBytes(), before);
}

TEST_F(MainWindowTest, GarbageTimeKeepsTheDefault) {
    home.set(kSys, QStringLiteral("ATime"), QStringLiteral("garbage"));
    auto w = openShown();
    EXPECT_EQ(child<QTimeEdit>(*w, "ATime")->time(), QTime(8, 35));
}

TEST_F(MainWindowTest, WeekdayBoxesFollowSendWeeksAndWriteNothing) {
    struct Case {
        const char* weeks;
        QList<int> checked;
    };
    const Case cases[] = {{"17", {1, 7}}, {"23456", {2, 3, 4, 5, 6}}, {"", {}}, {"9x71", {1, 7}}};
    for (const Case& c : cases) {
        home.set(kMail, QStringLiteral("SendWeeks"), QString::fromLatin1(c.weeks));
        const QByteArray before = home.iniBytes();
        auto w = openShown();
        for (int n = 1; n <= 7; ++n)
            EXPECT_EQ(child<QCheckBox>(*w, qPrintable(QStringLiteral("RB%1").arg(n)))->isChecked(),
                      c.checked.contains(n))
                << "SendWeeks '" << c.weeks << "', RB" << n;
        EXPECT_EQ(w->sendWeeks(), QString::fromLatin1(c.weeks));
        EXPECT_EQ(home.iniBytes(), before) << c.weeks;
    }
}

TEST_F(MainWindowTest, MailFieldsAndSwitchesAreReadAtShow) {
    home.set(kMail, QStringLiteral("EMail"), QStringLiteral("desk@example.org"));
    home.set(kMail, QStringLiteral("Smtp"), QStringLiteral("mail.example.org"));
    home.set(kMail, QStringLiteral("OutTime"), QStringLiteral("5000"));
    home.set(kMail, QStringLiteral("AbSdLate"), QStringLiteral("y")); // exactly "Y" only
    home.set(kMail, QStringLiteral("AbSdAttend"), QStringLiteral("Y"));
    auto w = openShown();
    EXPECT_EQ(child<QLineEdit>(*w, "Edit4")->text(), QStringLiteral("desk@example.org"));
    EXPECT_EQ(child<QLineEdit>(*w, "Edit5")->text(), QStringLiteral("mail.example.org"));
    EXPECT_EQ(child<QLineEdit>(*w, "Edit9")->text(), QStringLiteral("5000"));
    EXPECT_EQ(child<QLineEdit>(*w, "Edit7")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(child<QCheckBox>(*w, "AbSdLate")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*w, "AbSdEarly")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*w, "AbSdAbsence")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*w, "AbSdAttend")->isChecked());
}

TEST_F(MainWindowTest, MissingSettingsFileEndsTheProgram) {
    ASSERT_TRUE(QFile::remove(home.iniPath()));
    auto w = open();
    EXPECT_TRUE(w->terminateRequested());
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("系统设置文件不存在，无法使用！")});
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].title, QStringLiteral("提示"));
    EXPECT_FALSE(QFile::exists(home.iniPath())); // nothing was written on the way out
}

TEST_F(MainWindowTest, DatabaseThatCannotBeOpenedEndsTheProgram) {
    struct Case {
        const char* what;
        std::function<void(TestHome&)> spoil;
    };
    const Case cases[] = {
        {"database file missing", [](TestHome& h) { QFile::remove(h.home().databasePath()); }},
        {"not a database",
         [](TestHome& h) {
             QFile f(h.home().databasePath());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write(
                 QByteArray("This is no database, only some text that happens to be here.\n").repeated(40));
         }},
        {"data-link file missing", [](TestHome& h) { QFile::remove(h.home().udlPath()); }},
    };
    for (const Case& c : cases) {
        TestHome h;
        c.spoil(h);
        ScriptedPrompter p;
        TfrmMain w(h.home(), p, clock);
        EXPECT_TRUE(w.terminateRequested()) << c.what;
        EXPECT_EQ(p.texts(), (QStringList{QStringLiteral("连接数据库时出错，不能使用！"),
                                          QStringLiteral("无法连接数据库，不能使用！")}))
            << c.what;
    }
}

TEST_F(MainWindowTest, SettingsFileMissingAtShowClosesWithoutAsking) {
    auto w = open();
    ASSERT_FALSE(w->terminateRequested());
    ASSERT_TRUE(QFile::remove(home.iniPath()));
    w->show();
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("系统设置文件不存在，不能启动本系统！")});
    EXPECT_TRUE(w->closeWithoutAsking());
    EXPECT_TRUE(waitFor([&] { return !w->isVisible(); }));
    EXPECT_EQ(prompter.entries.size(), 1u); // no exit question
}

TEST_F(MainWindowTest, ExitQuestionRefusedKeepsTheWindow) {
    auto w = openShown();
    prompter.queue(Prompter::Answer::No);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, QStringLiteral("您确定真的要退出本系统吗？"));
    EXPECT_EQ(prompter.entries[0].title, QStringLiteral("提示"));
    EXPECT_TRUE(prompter.entries[0].question);
    EXPECT_EQ(prompter.entries[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(prompter.entries[0].icon, Prompter::Icon::Question);

    // The exit menu item and the round label ask the same question.
    prompter.queue(Prompter::Answer::No);
    w->X1->trigger();
    EXPECT_TRUE(w->isVisible());
    prompter.queue(Prompter::Answer::No);
    QTest::mouseClick(child<QLabel>(*w, "Label12"), Qt::LeftButton);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(prompter.entries.size(), 3u);

    prompter.queue(Prompter::Answer::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, ExitLabelShowsTheBlackEllipseWhileHovered) {
    auto w = openShown();
    QLabel* exit = child<QLabel>(*w, "Label12");
    QWidget* hover = child<QWidget>(*w, "ExitHoverShape");
    EXPECT_EQ(exit->toolTip(), QStringLiteral("退出系统"));
    EXPECT_FALSE(hover->isVisible());
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(exit, &enter);
    EXPECT_TRUE(hover->isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(exit, &leave);
    EXPECT_FALSE(hover->isVisible());
}

TEST_F(MainWindowTest, TimePickerChangeWritesItsOwnKey) {
    auto w = openShown();
    child<QTimeEdit>(*w, "ATime")->setTime(QTime(9, 5, 7));
    EXPECT_EQ(home.get(kSys, QStringLiteral("ATime")), QStringLiteral("09:05:07"));
    child<QTimeEdit>(*w, "ASATime")->setTime(QTime(10, 30));
    EXPECT_EQ(home.get(kSys, QStringLiteral("ASATime")), QStringLiteral("10:30:00"));
    child<QTimeEdit>(*w, "SysTime")->setTime(QTime(0, 5));
    EXPECT_EQ(home.get(kSys, QStringLiteral("SysTime")), QStringLiteral("00:05:00"));
    EXPECT_EQ(home.get(kSys, QStringLiteral("DTime")), QStringLiteral("17:00:00")); // untouched
}

TEST_F(MainWindowTest, SettingsHandlersWriteTheirKeys) {
    auto w = openShown();
    child<QRadioButton>(*w, "RadioButton3")->click();
    EXPECT_EQ(home.get(kSys, QStringLiteral("MachType")), QStringLiteral("RS232B"));
    EXPECT_EQ(w->readerKind(), QStringLiteral("RS232B"));
    child<QRadioButton>(*w, "RadioButton4")->click();
    EXPECT_EQ(home.get(kSys, QStringLiteral("MachType")), QStringLiteral("NV820"));
    EXPECT_EQ(w->readerKind(), QStringLiteral("NV820"));

    child<QCheckBox>(*w, "CheckBox3")->click();
    EXPECT_EQ(home.get(kSys, QStringLiteral("AutoBrush")), QStringLiteral("Y"));
    child<QCheckBox>(*w, "CheckBox3")->click();
    EXPECT_EQ(home.get(kSys, QStringLiteral("AutoBrush")), QStringLiteral("N"));
    child<QCheckBox>(*w, "CheckBox5")->click(); // was checked (CallName "Y")
    EXPECT_EQ(home.get(kSys, QStringLiteral("CallName")), QStringLiteral("N"));

    // The video item toggles its mark and writes it.
    EXPECT_FALSE(w->V1->isChecked());
    w->V1->trigger();
    EXPECT_TRUE(w->V1->isChecked());
    EXPECT_EQ(home.get(kVideo, QStringLiteral("VideoEnb")), QStringLiteral("Y"));
    w->V1->trigger();
    EXPECT_FALSE(w->V1->isChecked());
    EXPECT_EQ(home.get(kVideo, QStringLiteral("VideoEnb")), QStringLiteral("N"));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(MainWindowTest, VideoSwitchedOnAtStartKeepsItsMark) {
    home.set(kVideo, QStringLiteral("VideoEnb"), QStringLiteral("Y"));
    auto w = openShown();
    EXPECT_TRUE(w->V1->isChecked());
    EXPECT_EQ(home.get(kVideo, QStringLiteral("VideoEnb")), QStringLiteral("Y"));
}

TEST_F(MainWindowTest, VideoMarkIsNotWrittenWithoutSettingsFile) {
    auto w = openShown();
    ASSERT_TRUE(QFile::remove(home.iniPath()));
    w->V1->trigger();
    EXPECT_TRUE(w->V1->isChecked());
    EXPECT_FALSE(QFile::exists(home.iniPath()));
}

// A settings file that cannot be written is reported once; the desk goes on and keeps the change.
TEST_F(MainWindowTest, UnwritableSettingsFileIsReportedOnce) {
    auto w = openShown();
    // A folder in place of the file: it exists, but no write can replace it (whoever runs the test).
    ASSERT_TRUE(QFile::remove(home.iniPath()));
    ASSERT_TRUE(QDir().mkdir(home.iniPath()));
    child<QRadioButton>(*w, "RadioButton2")->click();
    child<QTimeEdit>(*w, "ATime")->setTime(QTime(9, 0));
    child<QCheckBox>(*w, "CheckBox3")->click();
    EXPECT_EQ(prompter.entries.size(), 1u) << prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w->readerKind(), QStringLiteral("RS232"));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, PortListIsBackAtCom1AfterARestart) {
    {
        auto w = openShown();
        auto* ports = child<QComboBox>(*w, "ComboBox4");
        ASSERT_EQ(ports->count(), 6);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
        ports->setCurrentIndex(3);
        prompter.queue(Prompter::Answer::Yes);
        w->close();
    }
    auto w = openShown();
    EXPECT_EQ(child<QComboBox>(*w, "ComboBox4")->currentText(), QStringLiteral("COM1"));
}

TEST_F(MainWindowTest, ClockShowsTheDateTimeAndWeekday) {
    auto w = openShown();
    clock.set(QDateTime(QDate(2006, 1, 8), QTime(7, 5, 3))); // a Sunday
    w->Timer4Timer();
    EXPECT_EQ(child<QLabel>(*w, "YearLabel")->text(), QStringLiteral("2006"));
    EXPECT_EQ(child<QLabel>(*w, "MonthLabel")->text(), QStringLiteral("01"));
    EXPECT_EQ(child<QLabel>(*w, "DayLabel")->text(), QStringLiteral("08"));
    EXPECT_EQ(child<QLabel>(*w, "HourLabel")->text(), QStringLiteral("07"));
    EXPECT_EQ(child<QLabel>(*w, "MinuteLabel")->text(), QStringLiteral("05"));
    EXPECT_EQ(child<QLabel>(*w, "SecondLabel")->text(), QStringLiteral("03"));
    EXPECT_EQ(child<QLabel>(*w, "WeekLabel")->text(), QStringLiteral("日"));
}

TEST_F(MainWindowTest, SplashIsFreedOnceTheWindowIsShown) {
    auto w = open();
    QPointer<QWidget> splash = new TfrmShape;
    static_cast<TfrmShape*>(splash.data())->showNow();
    EXPECT_TRUE(splash->isVisible());
    w->setSplash(static_cast<TfrmShape*>(splash.data()));
    w->show();
    EXPECT_FALSE(splash.isNull() ? false : splash->isVisible());
    EXPECT_TRUE(waitFor([&] { return splash.isNull(); }));
}

} // namespace
