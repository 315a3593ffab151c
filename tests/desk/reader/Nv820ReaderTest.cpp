// NV820 reading through the real terminal library and the simulated terminal on a pseudo-terminal.
// Every library call waits for the terminal's reply, so each poll here takes a little over 100 ms.

#include "Nv820Simulator.h"
#include "TestSupport.h"
#include "desk/reader/CardReadingSession.h"
#include "desk/reader/MainReader.h"
#include "desk/reader/TervoxLink.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace reader;
using readertest::waitFor;

namespace {

constexpr std::uint8_t kScoutInfo = 0xF9;
constexpr std::uint8_t kBeef = 0xFA;
constexpr std::uint8_t kScoutOnOff = 0xF8;

class Nv820ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start()); }
    void TearDown() override { sim.stop(); }

    MainReader::Hooks hooks() {
        MainReader::Hooks h;
        h.kind = [this] { return kind; };
        h.deliver = [this](const QString& c) {
            cards.push_back(c);
            if (throwInSignIn) throw std::runtime_error("sign-in failed");
            return true;
        };
        h.status = [this](const QString& s) { statuses.push_back(s); };
        return h;
    }
    QString path() const { return QString::fromStdString(sim.devicePath()); }
    // The command codes the terminal received, in order.
    std::vector<std::uint8_t> commands() const {
        std::vector<std::uint8_t> out;
        for (const auto& r : sim.requests())
            out.push_back(r[4]);
        return out;
    }
    // The library's port is closed: a new open is a fresh one.
    void expectLibraryPortClosed() {
        EXPECT_EQ(link.openPort(sim.devicePath()), 1);
        link.closePort();
    }

    nv820::Nv820Simulator sim;
    TervoxLink link;
    readertest::RecordingPrompter prompter;
    QString kind = QStringLiteral("NV820");
    bool throwInSignIn = false;
    QStringList cards;
    QStringList statuses;
};

TEST_F(Nv820ReaderTest, SwipeIsDeliveredAndBeepedAfterTheSignIn) {
    MainReader reader(prompter, &link, hooks());
    ASSERT_TRUE(reader.start(path())) << (prompter.shown.empty() ? "" : prompter.shown[0].text.toStdString());
    EXPECT_TRUE(sim.state().realtime) << "realtime reporting switched on";

    reader.tick();
    EXPECT_TRUE(cards.isEmpty()) << "no swipe yet";

    sim.clearRequests();
    sim.swipe(12345);
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000012345"});
    EXPECT_EQ(statuses, QStringList{"读卡正确！"});
    ASSERT_TRUE(sim.waitForRequests(2, 2000));
    EXPECT_TRUE(waitFor([&] { return sim.state().beeps == 1; }));
    const auto cmds = commands();
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0], kScoutInfo);
    EXPECT_EQ(cmds[1], kBeef);
    EXPECT_EQ(sim.lastRequest()[5], 1) << "one beep";

    reader.tick();
    EXPECT_EQ(cards.size(), 1) << "the swipe is reported once";

    reader.stop();
    EXPECT_FALSE(sim.state().realtime) << "realtime reporting switched off";
    EXPECT_EQ(commands().back(), kScoutOnOff);
    expectLibraryPortClosed();
}

TEST_F(Nv820ReaderTest, SignInErrorIsAbsorbedAndThePollGoesOn) {
    MainReader reader(prompter, &link, hooks());
    ASSERT_TRUE(reader.start(path()));
    throwInSignIn = true;
    sim.swipe(7);
    EXPECT_NO_THROW(reader.tick());
    EXPECT_TRUE(waitFor([&] { return sim.state().beeps == 1; }));
    throwInSignIn = false;
    sim.swipe(8);
    reader.tick();
    EXPECT_EQ(cards, (QStringList{"0000000007", "0000000008"}));
    reader.stop();
}

TEST_F(Nv820ReaderTest, KindChangedWhileReadingStillClosesTheLibraryPort) {
    MainReader reader(prompter, &link, hooks());
    ASSERT_TRUE(reader.start(path()));
    kind = QStringLiteral("RS485");
    sim.swipe(99);
    reader.tick(); // decodes as RS485 now: no serial port of its own, nothing read
    EXPECT_TRUE(cards.isEmpty());
    reader.stop();
    EXPECT_FALSE(sim.state().realtime);
    expectLibraryPortClosed();
}

TEST_F(Nv820ReaderTest, TerminalThatDoesNotAnswer) {
    sim.setFault({nv820::FaultKind::NoAnswer, 0});
    MainReader reader(prompter, &link, hooks());
    EXPECT_FALSE(reader.start(path()));
    EXPECT_FALSE(reader.isReading());
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "找不到NV-820感应机！不能签到！");
    EXPECT_EQ(prompter.shown[0].title, "提示");
    sim.clearFaults();
    expectLibraryPortClosed();

    EXPECT_FALSE(reader.start(QStringLiteral("/dev/does-not-exist-oravik")));
    EXPECT_EQ(prompter.shown.back().text, "串口打开失败！不能读取！");
}

TEST_F(Nv820ReaderTest, CardWindowReadsOneSwipe) {
    QStringList delivered;
    CardReadingSession::Hooks h;
    h.deliver = [&](const QString& c) { delivered.push_back(c); };
    CardReadingSession session(QStringLiteral("NV820"), QStringLiteral("acme"), prompter, &link, h);
    session.start(path());
    ASSERT_TRUE(session.pollActive());
    EXPECT_TRUE(sim.state().realtime);
    session.tick();
    EXPECT_TRUE(delivered.isEmpty());
    sim.swipe(65536 + 5);
    session.tick();
    EXPECT_EQ(delivered, QStringList{"0000065541"}) << "10 digits whatever the provider";
    EXPECT_TRUE(waitFor([&] { return sim.state().beeps == 1; }));
    EXPECT_FALSE(session.pollActive());
    EXPECT_FALSE(sim.state().realtime);
    expectLibraryPortClosed();

    sim.setFault({nv820::FaultKind::NoAnswer, 0});
    session.start(path());
    EXPECT_FALSE(session.pollActive());
    EXPECT_EQ(prompter.shown.back().text, "找不到NV-820感应机！不能读取！");
}

} // namespace
