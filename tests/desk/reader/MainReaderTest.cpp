// The main window's reading over a real pseudo-terminal: the simulated reader writes on the master side,
// the reader opens the slave with its own serial port, and the test drives the poll by hand.

#include "desk/reader/MainReader.h"
#include "ReaderSim.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reader;
using readersim::Bytes;
using readertest::waitFor;

namespace {

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class MainReaderTest : public ::testing::Test {
protected:
    MainReaderTest() : reader(prompter, nullptr, hooks()) {}

    MainReader::Hooks hooks() {
        MainReader::Hooks h;
        h.kind = [this] { return kind; };
        h.deliver = [this](const QString& card) {
            cards.push_back(card);
            if (onDeliver) onDeliver();
            return signInSucceeds;
        };
        h.status = [this](const QString& s) { statuses.push_back(s); };
        h.clearCard = [this] { ++cleared; };
        h.setClockAddress = [this](int a) { clockAddress = a; };
        h.readingChanged = [this](bool on) { readingEvents.push_back(on); };
        return h;
    }

    void SetUp() override {
        ASSERT_TRUE(sim.ok());
        ASSERT_TRUE(reader.start(QString::fromStdString(sim.slavePath())));
    }

    // Sends bytes and waits until the reader's port holds them all.
    void feed(const Bytes& bytes) {
        const int before = std::max(reader.bytesWaiting(), 0);
        sim.send(bytes);
        ASSERT_TRUE(waitFor([&] { return reader.bytesWaiting() >= before + static_cast<int>(bytes.size()); }))
            << "bytes did not reach the reader";
    }

    Bytes ackOf(const Bytes& frame) {
        AssemblyBuffer buf;
        append(buf, frame.data(), frame.size(), true);
        auto f = assemble(buf, FrameLetters::CardOnly);
        EXPECT_TRUE(f);
        auto a = ackFrame(*f, false);
        return Bytes(a.begin(), a.end());
    }

    // Nothing more comes back within a short wait.
    void expectSilence() {
        const auto before = sim.received().size();
        sim.listen(150);
        EXPECT_EQ(sim.received().size(), before) << readersim::hex(sim.received());
    }

    readersim::ReaderSim sim;
    readertest::RecordingPrompter prompter;
    QString kind = QStringLiteral("RS485");
    bool signInSucceeds = true;
    std::function<void()> onDeliver;
    QStringList cards;
    QStringList statuses;
    int cleared = 0;
    int clockAddress = -1;
    std::vector<bool> readingEvents;
    MainReader reader;
};

TEST_F(MainReaderTest, SplitFrameIsSignedInAtTheSecondPollAndAcknowledged) {
    const Bytes frame = {0xAA, 0x1F, 0x22, 0x33, 0xB8, 0x12, 0x44, 0x03, 0x55,
                         0x43, 0x4E, 0x00, 0x00, 0x00, 0x30, 0x39, 0x7E, 0xAB};
    feed(Bytes(frame.begin(), frame.begin() + 7));
    reader.tick();
    EXPECT_TRUE(cards.isEmpty());
    feed(Bytes(frame.begin() + 7, frame.end()));
    reader.tick();
    ASSERT_EQ(cards, QStringList{"0000012345"});
    EXPECT_EQ(clockAddress, 3);
    EXPECT_EQ(statuses, QStringList{"读卡正确！"});
    auto ack = sim.waitAck(2000);
    ASSERT_TRUE(ack);
    const Bytes expected = {0xAA, 0x44, 0x03, 0x55, 0xB7, 0x0E, 0x1F,
                            0x22, 0x33, 0x41, 0x4B, 0x31, 0x3C, 0xAB};
    EXPECT_EQ(Bytes(ack->bytes.begin(), ack->bytes.end()), expected);
    EXPECT_EQ(sim.strayBytes(), 0u);
}

TEST_F(MainReaderTest, SecondFrameOfOneReadIsSignedInOnePollLater) {
    const Bytes a = readersim::rs485Frame(1001, 4), b = readersim::rs485Frame(1002, 5);
    feed(cat({a, b}));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000001001"});
    EXPECT_EQ(clockAddress, 4);
    auto first = sim.waitAck(2000);
    ASSERT_TRUE(first);
    EXPECT_EQ(Bytes(first->bytes.begin(), first->bytes.end()), ackOf(a));
    // No new bytes: the poll still works through what the buffer holds.
    EXPECT_EQ(reader.bytesWaiting(), 0);
    reader.tick();
    EXPECT_EQ(cards, (QStringList{"0000001001", "0000001002"}));
    EXPECT_EQ(clockAddress, 5);
    auto second = sim.waitAck(2000);
    ASSERT_TRUE(second);
    EXPECT_EQ(Bytes(second->bytes.begin(), second->bytes.end()), ackOf(b));
    reader.tick();
    EXPECT_EQ(cards.size(), 2);
    EXPECT_TRUE(reader.assembly().empty());
}

TEST_F(MainReaderTest, CorruptFramesAreDroppedWithoutAcknowledgement) {
    using readersim::Fault;
    for (Fault fault : {Fault::Checksum, Fault::Byte4, Fault::EndByte, Fault::Letters}) {
        feed(readersim::rs485Frame(77, 2, fault));
        for (int i = 0; i < 3; ++i)
            reader.tick();
    }
    EXPECT_TRUE(cards.isEmpty());
    EXPECT_TRUE(statuses.isEmpty()) << "a corrupt frame is dropped silently";
    EXPECT_EQ(clockAddress, -1);
    expectSilence();
    // The line is not stuck: the next good frame goes through.
    feed(readersim::rs485Frame(78, 2));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000078"});
    EXPECT_TRUE(sim.waitAck(2000));
}

TEST_F(MainReaderTest, JunkBeforeTheStartByteIsDropped) {
    const Bytes junk = {0x01, 0x02, 0xAB, 0xAA, 0x00, 0xAA, 0x1F, 0x00, 0x00, 0xB8, 0x80, 0xFF};
    feed(cat({junk, readersim::rs485Frame(4242, 6)}));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000004242"});
    auto ack = sim.waitAck(2000);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->address(), 6);
}

TEST_F(MainReaderTest, FullBufferWithoutFrameIsEmptied) {
    // 511 bytes of noise and a frame in one read: the buffer empties at 512 and the read is given up.
    feed(cat({Bytes(511, 0x5A), readersim::rs485Frame(31, 1)}));
    reader.tick();
    reader.tick();
    EXPECT_TRUE(cards.isEmpty());
    EXPECT_EQ(reader.assembly().count, 0);
    expectSilence();
    // Fewer bytes of noise do not hide a frame.
    feed(cat({Bytes(300, 0x5A), readersim::rs485Frame(32, 1)}));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000032"});
}

TEST_F(MainReaderTest, MoreThan2048WaitingBytesAreDiscarded) {
    feed(cat({Bytes(2100, 0x00), readersim::rs485Frame(55, 1)}));
    reader.tick();
    EXPECT_TRUE(cards.isEmpty());
    EXPECT_EQ(reader.bytesWaiting(), 0);
    reader.tick();
    EXPECT_TRUE(cards.isEmpty());
}

TEST_F(MainReaderTest, ZeroCardIsSignedInAsTenZeros) {
    feed(readersim::rs485Frame(0, 1));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000000"});
}

TEST_F(MainReaderTest, FailedSignInGetsNoAcknowledgement) {
    signInSucceeds = false; // an unknown card
    feed(readersim::rs485Frame(999, 3));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000999"});
    EXPECT_FALSE(reader.sendAck()) << "nothing left to acknowledge after the sign-in";
    expectSilence();

    signInSucceeds = true;
    feed(readersim::rs485Frame(1000, 3));
    reader.tick();
    EXPECT_TRUE(sim.waitAck(2000));
}

TEST_F(MainReaderTest, SignInSendingTheAckItselfSendsItOnce) {
    onDeliver = [this] { EXPECT_TRUE(reader.sendAck()); };
    feed(readersim::rs485Frame(1234, 9));
    reader.tick();
    sim.listen(200);
    auto acks = sim.takeAcks();
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].address(), 9);
    EXPECT_EQ(sim.received().size(), 14u);
}

TEST_F(MainReaderTest, PollEnteredAgainDuringASignInWaits) {
    // The sign-in lets window messages run, which can fire the poll timer again; that poll must not
    // deliver the next card into the middle of this one.
    onDeliver = [this] { reader.tick(); };
    feed(cat({readersim::rs485Frame(1, 1), readersim::rs485Frame(2, 1)}));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000001"});
    reader.tick();
    EXPECT_EQ(cards, (QStringList{"0000000001", "0000000002"}));
    sim.listen(200);
    EXPECT_EQ(sim.takeAcks().size(), 2u);
}

TEST_F(MainReaderTest, SerialKindsDecodeAndReportBadData) {
    struct Case {
        const char* kind;
        Bytes bytes;
        const char* card; // empty: bad data
    };
    const Case cases[] = {
        {"RS232", {0x00, 0x00, 0x00, 0x30, 0x39, 0x69}, "0000012345"},
        {"RS232", {0x00, 0x00, 0x00, 0x30, 0x39, 0x6A}, ""},
        {"RS232", {0x42}, ""},
        {"RS232", {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0F}, ""},
        {"OTHER", {0x00, 0x00, 0x00, 0x30, 0x39, 0x69}, "0000012345"}, // an unnamed kind reads as RS232
        {"RS232B", readersim::rs232bText("0000070000"), "0000070000"},
        {"RS232B", readersim::rs232bText("00000700x0"), ""},
        {"RS232B", readersim::rs232bText("000007000"), ""},
    };
    for (const auto& c : cases) {
        kind = QString::fromLatin1(c.kind);
        cards.clear();
        statuses.clear();
        cleared = 0;
        feed(c.bytes);
        reader.tick();
        const std::string what = std::string(c.kind) + " " + readersim::hex(c.bytes);
        if (*c.card) {
            EXPECT_EQ(cards, QStringList{QString::fromLatin1(c.card)}) << what;
            EXPECT_EQ(statuses, QStringList{"读卡正确！"}) << what;
            EXPECT_EQ(cleared, 0) << what;
        } else {
            EXPECT_TRUE(cards.isEmpty()) << what;
            EXPECT_EQ(statuses, QStringList{"收到的数据不正确！"}) << what;
            EXPECT_EQ(cleared, 1) << what;
        }
        EXPECT_EQ(reader.bytesWaiting(), 0) << what;
    }
    EXPECT_EQ(clockAddress, -1) << "only RS485 frames carry an address";
    expectSilence();
}

TEST_F(MainReaderTest, KindChangedWhileReadingTakesEffectAtTheNextPoll) {
    feed(readersim::rs485Frame(500, 2));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000500"});
    ASSERT_TRUE(sim.waitAck(2000));

    kind = QStringLiteral("RS232");
    feed({0x00, 0x00, 0x00, 0x30, 0x39, 0x69});
    reader.tick();
    EXPECT_EQ(cards, (QStringList{"0000000500", "0000012345"}));
    expectSilence(); // RS232 readers are not acknowledged

    kind = QStringLiteral("RS232B");
    feed(readersim::rs232bText("0000000077"));
    reader.tick();
    EXPECT_EQ(cards.last(), "0000000077");

    // NV820 without a terminal opened: the poll finds no card; stopping closes the serial port.
    kind = QStringLiteral("NV820");
    feed(readersim::rs485Frame(501, 2));
    reader.tick();
    EXPECT_EQ(cards.size(), 3);
    reader.stop();
    EXPECT_FALSE(reader.isReading());
    EXPECT_FALSE(reader.hasPort());
    EXPECT_EQ(reader.bytesWaiting(), -1);
    EXPECT_EQ(readingEvents, (std::vector<bool>{true, false}));
}

TEST_F(MainReaderTest, PromptFollowsReadingAndRestartsAfterACard) {
    EXPECT_TRUE(reader.prompt().barsVisible());
    for (int i = 0; i < 7; ++i)
        reader.promptTick();
    EXPECT_EQ(reader.prompt().counter(), 7);
    feed(readersim::rs485Frame(8, 1));
    reader.tick();
    EXPECT_EQ(reader.prompt().counter(), 0);
    for (int i = 0; i < 30; ++i)
        reader.promptTick();
    EXPECT_TRUE(reader.isReading()) << "the main window has no time-out";
    EXPECT_EQ(reader.prompt().counter(), 5);
    reader.stop();
    EXPECT_FALSE(reader.prompt().barsVisible());
    EXPECT_FALSE(reader.prompt().labelVisible());
    EXPECT_EQ(reader.prompt().barValue(), 1);
    reader.promptTick();
    EXPECT_EQ(reader.prompt().counter(), 0);
}

TEST_F(MainReaderTest, StartRefusesASecondPortAndDiscardsOldBytes) {
    ASSERT_FALSE(reader.start(QString::fromStdString(sim.slavePath())));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "通信端口正在使用，不能打开!");
    EXPECT_EQ(prompter.shown[0].title, "提示");
    reader.stop();

    // A frame that was waiting before reading started is not taken.
    sim.send(readersim::rs485Frame(66, 1));
    {
        serial::SerialPort probe;
        ASSERT_TRUE(probe.open(sim.slavePath()));
        ASSERT_TRUE(waitFor([&] { return probe.bytesWaiting() >= 18; }));
    }
    ASSERT_TRUE(reader.start(QString::fromStdString(sim.slavePath())));
    reader.tick();
    EXPECT_TRUE(cards.isEmpty());
    feed(readersim::rs485Frame(67, 1));
    reader.tick();
    EXPECT_EQ(cards, QStringList{"0000000067"});
}

TEST(MainReaderStart, OpenAndSettingFailures) {
    readertest::RecordingPrompter prompter;
    MainReader::Hooks h;
    h.kind = [] { return QStringLiteral("RS485"); };
    MainReader reader(prompter, nullptr, h);

    EXPECT_FALSE(reader.start(QStringLiteral("/dev/does-not-exist-oravik")));
    // A plain file opens but takes no serial settings.
    QTemporaryDir dir;
    QFile f(dir.filePath("not-a-port"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(reader.start(f.fileName()));
    EXPECT_FALSE(reader.isReading());
    EXPECT_FALSE(reader.hasPort());
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "打开通信端口错误!!");
    EXPECT_EQ(prompter.shown[0].title, "");
    EXPECT_EQ(prompter.shown[1].text, "通信端口设置错误!!!");
    EXPECT_EQ(prompter.shown[1].title, "");

    // NV820 without a terminal library cannot open its port.
    h.kind = [] { return QStringLiteral("NV820"); };
    MainReader terminal(prompter, nullptr, h);
    EXPECT_FALSE(terminal.start(QStringLiteral("/dev/does-not-exist-oravik")));
    EXPECT_EQ(prompter.shown.back().text, "串口打开失败！不能读取！");
    EXPECT_EQ(prompter.shown.back().title, "提示");
}

} // namespace
