// The card window's reading over a real pseudo-terminal, polls driven by hand.

#include "desk/reader/CardReadingSession.h"
#include "ReaderSim.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <memory>

using namespace reader;
using readersim::Bytes;
using readertest::waitFor;

namespace {

struct Window {
    QStringList delivered;
    int cleared = 0;
    int timerChanges = 0;
    QStringList registered;
};

struct Session {
    Session(const QString& kind, const QString& provider, readertest::RecordingPrompter& prompter,
            Window& w) {
        CardReadingSession::Hooks h;
        h.deliver = [&w](const QString& c) { w.delivered.push_back(c); };
        h.clearTarget = [&w] { ++w.cleared; };
        h.isRegistered = [&w](const QString& c) { return w.registered.contains(c.trimmed()); };
        h.timersChanged = [&w] { ++w.timerChanges; };
        s = std::make_unique<CardReadingSession>(kind, provider, prompter, nullptr, h);
    }
    CardReadingSession* operator->() { return s.get(); }
    std::unique_ptr<CardReadingSession> s;
};

class CardSessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()); }

    void feed(Session& s, const Bytes& bytes) {
        const int before = std::max(s->bytesWaiting(), 0);
        sim.send(bytes);
        ASSERT_TRUE(waitFor([&] { return s->bytesWaiting() >= before + static_cast<int>(bytes.size()); }));
    }
    QString path() const { return QString::fromStdString(sim.slavePath()); }

    readersim::ReaderSim sim;
    readertest::RecordingPrompter prompter;
    Window w;
};

TEST_F(CardSessionTest, SerialCardsByProvider) {
    struct Case {
        const char* kind;
        const char* provider;
        Bytes bytes;
        const char* card;
    };
    const Bytes rs232 = {0x00, 0x00, 0x00, 0x30, 0x39, 0x69};
    const Case cases[] = {
        {"RS232", "acme", rs232, "012345"},
        {"RS232", "Lorvane", rs232, "0000012345"},
        {"RS232", "QUENMAR", rs232, "0000012345"},
        {"RS232", "hemlo", rs232, "0000012345"},
        {"RS232", "", {0x05, 0x12, 0x34, 0x56, 0x78, 0x19}, "022136"}, // bytes 3..4 only: 0x5678
        {"RS232B", "acme", readersim::rs232bText("0000070000"), "004464"},
        {"RS232B", "hemlo", readersim::rs232bText("0000070000"), "0000070000"},
    };
    for (const auto& c : cases) {
        Window win;
        Session s(QString::fromLatin1(c.kind), QString::fromLatin1(c.provider), prompter, win);
        s->start(path());
        ASSERT_TRUE(s->pollActive());
        ASSERT_TRUE(s->promptActive());
        feed(s, c.bytes);
        s->tick();
        EXPECT_EQ(win.delivered, QStringList{QString::fromLatin1(c.card)}) << c.kind << " " << c.provider;
        EXPECT_FALSE(s->pollActive()) << "one card ends the attempt";
        EXPECT_FALSE(s->promptActive());
        EXPECT_FALSE(s->hasPort());
    }
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(CardSessionTest, BadSerialDataEndsTheAttemptWithAMessage) {
    for (const Bytes& bad : {Bytes{0x00, 0x00, 0x00, 0x30, 0x39, 0x70}, Bytes{0x01}}) {
        Session s(QStringLiteral("RS232"), QStringLiteral("acme"), prompter, w);
        s->start(path());
        feed(s, bad);
        s->tick();
        EXPECT_FALSE(s->pollActive());
        EXPECT_FALSE(s->hasPort());
    }
    Session b(QStringLiteral("RS232B"), QStringLiteral("acme"), prompter, w);
    b->start(path());
    feed(b, readersim::rs232bText("00007OOOO0"));
    b->tick();
    EXPECT_TRUE(w.delivered.isEmpty());
    EXPECT_EQ(w.cleared, 3);
    ASSERT_EQ(prompter.shown.size(), 3u);
    for (const auto& m : prompter.shown) {
        EXPECT_EQ(m.text, "收到的数据不正确！！！");
        EXPECT_EQ(m.title, "提示");
    }
}

TEST_F(CardSessionTest, FrameReadersSwitchToTheAssemblyPollAndAcknowledgeAtOnce) {
    struct Case {
        const char* kind;
        Bytes frame;
        const char* letters;
    };
    const Case cases[] = {
        {"RS485", readersim::rs485Frame(12345, 3), "AK1"},
        {"rs485", readersim::nv620Frame(12345, 3), "AK1"}, // either frame, letters by kind
        {"NV620", readersim::nv620Frame(12345, 3), "RFA"},
    };
    for (const auto& c : cases) {
        Window win;
        Session s(QString::fromLatin1(c.kind), QStringLiteral("acme"), prompter, win);
        s->start(path());
        // Split across the polls: the first part makes the slow poll hand over to the assembly poll.
        feed(s, Bytes(c.frame.begin(), c.frame.begin() + 10));
        s->tick();
        EXPECT_FALSE(s->pollActive());
        EXPECT_TRUE(s->assemblyActive());
        s->assemblyTick();
        EXPECT_TRUE(win.delivered.isEmpty());
        feed(s, Bytes(c.frame.begin() + 10, c.frame.end()));
        s->assemblyTick();
        EXPECT_EQ(win.delivered, QStringList{"0000012345"}) << c.kind; // 10 digits whatever the provider
        auto ack = sim.waitAck(2000);
        ASSERT_TRUE(ack) << c.kind;
        EXPECT_EQ(ack->letters(), c.letters);
        EXPECT_TRUE(ack->checksumOk);
        EXPECT_EQ(ack->address(), 3);
        EXPECT_FALSE(s->promptActive());
        EXPECT_FALSE(s->hasPort());
        EXPECT_TRUE(s->assemblyActive()) << "the assembly poll runs on until the window closes";
        s->close();
        EXPECT_FALSE(s->assemblyActive());
    }
    // The NV620 acknowledgement of a known frame, byte for byte.
    const Bytes expected = {0xAA, 0x00, 0x03, 0x00, 0xB7, 0x0E, 0x1F,
                            0x00, 0x00, 0x52, 0x46, 0x41, 0x6A, 0xAB};
    Session s(QStringLiteral("NV620"), QString(), prompter, w);
    s->start(path());
    feed(s, readersim::nv620Frame(1, 3));
    s->tick();
    s->assemblyTick();
    auto ack = sim.waitAck(2000);
    ASSERT_TRUE(ack);
    EXPECT_EQ(Bytes(ack->bytes.begin(), ack->bytes.end()), expected);
}

TEST_F(CardSessionTest, RegisteredCardIsRefused) {
    w.registered = {"0000004242"};
    Session s(QStringLiteral("RS485"), QString(), prompter, w);
    s->start(path());
    feed(s, readersim::rs485Frame(4242, 1));
    s->tick();
    s->assemblyTick();
    EXPECT_EQ(w.delivered, QStringList{"0000004242"});
    EXPECT_EQ(w.cleared, 1);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "该卡号已经存在，请重新刷卡！");
    EXPECT_EQ(prompter.shown[0].title, "提示");
    EXPECT_TRUE(sim.waitAck(2000)) << "the reader was acknowledged before the check";
}

TEST_F(CardSessionTest, ZeroCardIsAcknowledgedAndIgnored) {
    Session s(QStringLiteral("RS485"), QString(), prompter, w);
    s->start(path());
    feed(s, readersim::rs485Frame(0, 1));
    s->tick();
    s->assemblyTick();
    EXPECT_TRUE(sim.waitAck(2000));
    EXPECT_TRUE(w.delivered.isEmpty());
    EXPECT_TRUE(s->promptActive()) << "still reading";
    EXPECT_TRUE(s->hasPort());
}

TEST_F(CardSessionTest, AssemblyPollWorksThroughTheBufferAfterTheStop) {
    Session s(QStringLiteral("RS485"), QString(), prompter, w);
    s->start(path());
    Bytes two = readersim::rs485Frame(1, 1);
    Bytes second = readersim::rs485Frame(2, 1);
    two.insert(two.end(), second.begin(), second.end());
    feed(s, two);
    s->tick();
    s->assemblyTick();
    EXPECT_EQ(w.delivered, QStringList{"0000000001"});
    EXPECT_FALSE(s->hasPort());
    s->assemblyTick();
    EXPECT_EQ(w.delivered, (QStringList{"0000000001", "0000000002"}));
    sim.listen(150);
    EXPECT_EQ(sim.takeAcks().size(), 1u) << "a closed port sends nothing";
}

TEST_F(CardSessionTest, PromptTimesOutAfterTwentyFiveTicks) {
    Session s(QStringLiteral("RS232"), QString(), prompter, w);
    s->start(path());
    for (int i = 1; i < 25; ++i) {
        s->promptTick();
        ASSERT_TRUE(s->promptActive()) << i;
        EXPECT_TRUE(s->prompt().barsVisible());
        EXPECT_EQ(s->prompt().barValue(), i);
    }
    s->promptTick();
    EXPECT_FALSE(s->promptActive());
    EXPECT_FALSE(s->pollActive());
    EXPECT_FALSE(s->hasPort());
    EXPECT_FALSE(s->prompt().barsVisible());
    EXPECT_EQ(s->prompt().barValue(), 1);
    // A new attempt starts over.
    s->start(path());
    EXPECT_TRUE(s->pollActive());
    EXPECT_EQ(s->prompt().counter(), 0);
}

TEST_F(CardSessionTest, StartFailuresStopReading) {
    Session s(QStringLiteral("RS232"), QString(), prompter, w);
    s->start(QStringLiteral("/dev/does-not-exist-oravik"));
    EXPECT_FALSE(s->pollActive());
    EXPECT_FALSE(s->promptActive());
    Session t(QStringLiteral("NV820"), QString(), prompter, w);
    t->start(QStringLiteral("/dev/does-not-exist-oravik"));
    EXPECT_FALSE(t->pollActive());
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "打开通信端口错误!!");
    EXPECT_EQ(prompter.shown[0].title, "");
    EXPECT_EQ(prompter.shown[1].text, "串口打开失败！不能读取！");
    EXPECT_EQ(prompter.shown[1].title, "提示");
}

} // namespace
