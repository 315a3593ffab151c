// Card reading in the main window: a simulated reader on a real pseudo-terminal, the window's own
// timers, and the swipes as they land in the home's database and on the board.

#include "QtPrint.h"
#include "TestHome.h"

#include "Nv820Simulator.h"
#include "ReaderSim.h"
#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/reader/MainReader.h"
#include "desk/ui/StatusPanels.h"
#include "desk/ui/TfrmMain.h"

#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

// Rows of the swipe table, as "card|address".
QStringList swipes(const TestHome& home) {
    QStringList out;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(home.home().databasePath());
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(
            QStringLiteral("select Card_Cord, Clock_Address from MH_AttendResourceRecord order by SDID")));
        while (q.next())
            out << q.value(0).toString().trimmed() + QLatin1Char('|') + q.value(1).toString().trimmed();
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

class ReadingWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.sql({
            QStringLiteral("insert into MH_AttendDept (Dept_Code,Dept_Name) values ('1001','行政部')"),
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0001','王小东','0000012345','1001','行政部')"),
            QStringLiteral(
                "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name) values "
                "('0002','李明','0000012346','1001','行政部')"),
        });
        home.set(QStringLiteral("SysSet"), QStringLiteral("AutoBrush"), QStringLiteral("N"));
        home.set(QStringLiteral("SysSet"), QStringLiteral("CallName"), QStringLiteral("N"));
    }

    // A window on the home with the reader kind and COM1 mapped to the device.
    std::unique_ptr<TfrmMain> open(const QString& kind, const std::string& device) {
        home.set(QStringLiteral("SysSet"), QStringLiteral("MachType"), kind);
        home.set(QStringLiteral("Ports"), QStringLiteral("COM1"), QString::fromStdString(device));
        auto w = std::make_unique<TfrmMain>(home.home(), prompter, clock);
        EXPECT_FALSE(w->terminateRequested());
        w->show();
        return w;
    }

    // Lets the window run until an acknowledgement reached the simulated reader or the time is up.
    std::vector<readersim::Ack> acksWithin(int ms) {
        std::vector<readersim::Ack> acks;
        waitFor(
            [&] {
                sim.listen(5);
                for (auto& a : sim.takeAcks())
                    acks.push_back(a);
                return !acks.empty();
            },
            ms);
        return acks;
    }

    static void expectStopped(const TfrmMain& w) {
        EXPECT_FALSE(w.readingActive());
        EXPECT_FALSE(w.SenTimer->isActive());
        EXPECT_FALSE(w.BitBtn5->isVisibleTo(&w));
        EXPECT_FALSE(w.HitLab->isVisibleTo(&w));
        EXPECT_FALSE(w.SenProBar->isVisibleTo(&w));
        for (const QWidget* s : {w.Shape1, w.Shape2, w.Shape3, w.Shape4})
            EXPECT_FALSE(s->isVisibleTo(&w));
    }

    TestHome home;
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2006, 1, 9), QTime(8, 10, 0))};
    readersim::ReaderSim sim;
};

TEST_F(ReadingWindowTest, Rs485SwipeIsStoredShownAndAcknowledgedUnknownCardIsNot) {
    ASSERT_TRUE(sim.ok());
    // Reading starts at show with AutoBrush.
    home.set(QStringLiteral("SysSet"), QStringLiteral("AutoBrush"), QStringLiteral("Y"));
    auto w = open(QStringLiteral("RS485"), sim.slavePath());
    ASSERT_TRUE(w->readingActive()) << prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(w->SenTimer->isActive());
    EXPECT_TRUE(w->BitBtn5->isVisibleTo(w.get()));
    EXPECT_TRUE(w->SenProBar->isVisibleTo(w.get()));

    // The prompt runs: dots grow and the ellipses light from the smallest.
    EXPECT_TRUE(waitFor([&] { return w->HitLab->text() == QStringLiteral("请刷卡.."); }, 2000));
    EXPECT_TRUE(w->Shape3->isVisibleTo(w.get()) || w->Shape4->isVisibleTo(w.get()));

    sim.send(readersim::rs485Frame(12345, 7));
    const auto acks = acksWithin(3000);
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_TRUE(acks[0].checksumOk);
    EXPECT_EQ(acks[0].address(), 7);
    EXPECT_EQ(acks[0].letters(), "AK1");
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000012345"));
    EXPECT_EQ(swipes(home), QStringList{QStringLiteral("0000012345|7")});
    EXPECT_TRUE(w->SignInPane->toPlainText().contains(QStringLiteral("王小东")));
    EXPECT_EQ(w->statusPanels().panelText(1), QStringLiteral("员工刷卡签到成功！"));

    // A card nobody holds is read but not signed in, and the reader hears nothing back.
    sim.send(readersim::rs485Frame(99999, 7));
    EXPECT_TRUE(acksWithin(800).empty());
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000099999"));
    EXPECT_EQ(w->statusPanels().panelText(1), QStringLiteral("该卡号未开户!"));
    EXPECT_EQ(swipes(home).size(), 1);

    // Closing the window stops reading and lets the port go.
    prompter.queue(Prompter::Answer::Yes);
    w->close();
    expectStopped(*w);
    ASSERT_NE(w->cardReader(), nullptr);
    EXPECT_FALSE(w->cardReader()->hasPort());
    EXPECT_TRUE(prompter.texts() == QStringList{QStringLiteral("您确定真的要退出本系统吗？")})
        << prompter.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(ReadingWindowTest, SerialFramesFollowTheKindChosenWhileReading) {
    ASSERT_TRUE(sim.ok());
    // The list position names the port: the third entry is COM3.
    home.set(QStringLiteral("Ports"), QStringLiteral("COM3"), QString::fromStdString(sim.slavePath()));
    auto w = open(QStringLiteral("RS232"), "/dev/null/not-this-one");
    expectStopped(*w);
    w->ComboBox4->setCurrentIndex(2);
    w->ReadCard->click();
    ASSERT_TRUE(w->readingActive()) << prompter.texts().join(QLatin1Char('|')).toStdString();

    sim.send({0x00, 0x00, 0x00, 0x30, 0x39, 0x69});
    ASSERT_TRUE(waitFor([&] { return swipes(home).size() == 1; }));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000012345"));

    // A wrong checksum is bad data: said in the status bar, the box cleared.
    sim.send({0x00, 0x00, 0x00, 0x30, 0x39, 0x6A});
    ASSERT_TRUE(
        waitFor([&] { return w->statusPanels().panelText(1) == QStringLiteral("收到的数据不正确！"); }));
    EXPECT_TRUE(w->Edit3->text().isEmpty());

    // Switching to RS232B while reading: the next frame is read as ten digits.
    for (QRadioButton* b : w->findChildren<QRadioButton*>())
        if (b->text() == QStringLiteral("RS232B")) b->click();
    ASSERT_EQ(w->readerKind(), QStringLiteral("RS232B"));
    sim.send(readersim::rs232bText("0000012346"));
    ASSERT_TRUE(waitFor([&] { return swipes(home).size() == 2; }));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000012346"));
    EXPECT_TRUE(w->SignInPane->toPlainText().contains(QStringLiteral("李明")));

    w->BitBtn5->click();
    expectStopped(*w);
    // Serial readers other than RS485 are never acknowledged.
    sim.listen(50);
    EXPECT_TRUE(sim.takeAcks().empty());
}

TEST_F(ReadingWindowTest, PortProblemsKeepReadingStopped) {
    auto w = open(QStringLiteral("RS485"), "/nonexistent/ttyS9");
    w->ReadCardClick();
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("打开通信端口错误!!")});
    expectStopped(*w);

    // A second start while a port is held is refused.
    ASSERT_TRUE(sim.ok());
    home.set(QStringLiteral("Ports"), QStringLiteral("COM1"), QString::fromStdString(sim.slavePath()));
    w->ReadCardClick();
    ASSERT_TRUE(w->readingActive());
    w->ReadCardClick();
    EXPECT_EQ(prompter.texts().value(1), QStringLiteral("通信端口正在使用，不能打开!"));
    EXPECT_TRUE(w->readingActive());
    w->BitBtn5Click();
    expectStopped(*w);
}

TEST_F(ReadingWindowTest, Nv820SwipeIsSignedInAndBeeped) {
    nv820::Nv820Simulator terminal;
    ASSERT_TRUE(terminal.start());
    auto w = open(QStringLiteral("NV820"), terminal.devicePath());
    w->ReadCardClick();
    ASSERT_TRUE(w->readingActive()) << prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(terminal.state().realtime);

    terminal.swipe(12346);
    ASSERT_TRUE(waitFor([&] { return swipes(home).size() == 1; }, 5000));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0000012346"));
    EXPECT_TRUE(w->SignInPane->toPlainText().contains(QStringLiteral("李明")));
    EXPECT_TRUE(waitFor([&] { return terminal.state().beeps == 1; }, 2000));
    EXPECT_TRUE(w->readingActive()) << "the poll goes on after the sign-in";

    w->BitBtn5Click();
    expectStopped(*w);
    EXPECT_FALSE(terminal.state().realtime);
    terminal.stop();
}

} // namespace
