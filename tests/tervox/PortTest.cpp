// The port's life cycle, the exchange's result codes and its timing, and replies that are late, short,
// foreign or endless, all over a real pseudo-terminal.

#include "TerminalFixture.h"

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using nv820::Fault;
using nv820::FaultKind;

namespace {

class PortTest : public TerminalTest {};

TEST_F(PortTest, SecondOpenGivesTwoAndKeepsThePort) {
    const int32_t handle = GetComHandle();
    EXPECT_GT(handle, 2);
    EXPECT_EQ(OpenPort(sim.devicePath().c_str()), 2);
    EXPECT_EQ(OpenPort("/no/such/device"), 2); // not even looked at
    EXPECT_EQ(GetComHandle(), handle);
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), 1);
}

TEST_F(PortTest, CloseTwiceGivesOneThenTwoAndTheHandleStays) {
    const int32_t handle = GetComHandle();
    EXPECT_EQ(ClosePort(), 1);
    EXPECT_EQ(ClosePort(), 2);
    EXPECT_EQ(GetComHandle(), handle);
    // The port can be opened again afterwards.
    EXPECT_EQ(OpenPort(sim.devicePath().c_str()), 1);
}

TEST_F(PortTest, CommandsWithThePortClosedFailAtTheWrite) {
    ASSERT_EQ(ClosePort(), 1);
    const std::size_t before = sim.requestCount();
    int32_t a = -1, b = -1, c = -1, count = -1;
    uint32_t card = 99;
    TerminalRecord recs[6] = {};
    double ms = elapsedMs([&] {
        EXPECT_EQ(Call(1, &a, &b, &c), -12);
        EXPECT_EQ(GetRecordCount(1, &count), -12);
        EXPECT_EQ(ScoutInfo(1, &card), -12);
        EXPECT_EQ(Beef(1, 1), -12);
        EXPECT_EQ(RestartMachine(1), -12);
        EXPECT_EQ(GetRecord(1, 1, recs, 5), -12);
        // The long request frames report a failed write as 0.
        EXPECT_EQ(SendNameCode(1, 1, 5, "A"), 0);
        EXPECT_EQ(SendPublicWord(1, 40000.0, 40000.5, "hi"), 0);
        EXPECT_EQ(SendIndividualWord(1, 5, 40000.0, 40000.5, "hi"), 0);
    });
    EXPECT_LT(ms, 300.0); // nothing waited for a reply (nine waits would take 900 ms)
    EXPECT_EQ(a, -1);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(card, 99u);
    usleep(50000);
    EXPECT_EQ(sim.requestCount(), before);
}

TEST(PortOpen, MissingDeviceGivesZeroAndTheInvalidHandle) {
    EXPECT_EQ(OpenPort("/dev/no-such-tty"), 0);
    EXPECT_EQ(GetComHandle(), -1);
    EXPECT_EQ(OpenPort("COM250"), 0); // /dev/ttyS249
    EXPECT_EQ(OpenPort(""), 0);
    EXPECT_EQ(ClosePort(), 2);
}

TEST(PortOpen, DeviceWithoutLineSettingsGivesZeroAndStaysClosed) {
    EXPECT_EQ(OpenPort("/dev/null"), 0);
    EXPECT_EQ(ClosePort(), 2);
    // The failed attempt left nothing open: the next one opens a real line.
    nv820::Nv820Simulator sim;
    ASSERT_TRUE(sim.start());
    EXPECT_EQ(OpenPort(sim.devicePath().c_str()), 1);
    EXPECT_EQ(ClosePort(), 1);
}

TEST(PortOpen, HandleIsNeverAStandardStreamEvenWhenStdinIsClosed) {
    nv820::Nv820Simulator sim;
    ASSERT_TRUE(sim.start());
    int saved = ::dup(0);
    ::close(0); // the next descriptor handed out would be 0
    int32_t opened = OpenPort(sim.devicePath().c_str());
    int32_t handle = GetComHandle();
    ::dup2(saved, 0);
    ::close(saved);
    ASSERT_EQ(opened, 1);
    EXPECT_GT(handle, 2);
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), 1);
    EXPECT_EQ(ClosePort(), 1);
}

TEST(PortOpen, TheLineIsExclusiveWhileOpen) {
    nv820::Nv820Simulator sim;
    ASSERT_TRUE(sim.start());
    ASSERT_EQ(OpenPort(sim.devicePath().c_str()), 1);
    int fd = ::open(sim.devicePath().c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        ::close(fd);
        if (::geteuid() != 0) ADD_FAILURE() << "a second opener got the line";
    }
    EXPECT_EQ(ClosePort(), 1);
}

TEST_F(PortTest, UnansweredCommandReturnsZeroAfterAboutOneHundredFifteenMs) {
    sim.setFault({FaultKind::NoAnswer});
    int32_t a = 7, b = 7, c = 7;
    int32_t r = 99;
    double ms = elapsedMs([&] { r = Call(1, &a, &b, &c); });
    EXPECT_EQ(r, 0);
    EXPECT_GE(ms, 100.0);
    EXPECT_LE(ms, 300.0);
    EXPECT_EQ(a, 7);
    // A terminal that is not on the line at all is the same.
    sim.clearFaults();
    ms = elapsedMs([&] { r = Call(9, &a, &b, &c); });
    EXPECT_EQ(r, 0);
    EXPECT_GE(ms, 100.0);
    EXPECT_LE(ms, 300.0);
}

TEST_F(PortTest, AnsweredCommandTakesALittleOverOneHundredMs) {
    int32_t a = 0, b = 0, c = 0;
    double ms = elapsedMs([&] { EXPECT_EQ(Call(1, &a, &b, &c), 1); });
    EXPECT_GE(ms, 100.0);
    EXPECT_LE(ms, 300.0);
}

// Every result code a standard command can give, with the fault that causes it.
TEST_F(PortTest, EveryResultCodeOfTheStandardExchange) {
    struct Case {
        Fault fault;
        int32_t expected;
    } cases[] = {
        {{FaultKind::None}, 1},
        {{FaultKind::NoAnswer}, 0},
        {{FaultKind::Short, 2}, 2},
        {{FaultKind::Short, 7}, 7},
        {{FaultKind::Short, 14}, 14},
        {{FaultKind::WrongChecksum}, -8},
        {{FaultKind::WrongHeader}, -9},
        {{FaultKind::Garbage}, -9},
        // One byte would read as success; it is reported as a reply without its header.
        {{FaultKind::OneByte}, -9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault.kind));
        sim.injectFault(c.fault);
        int32_t count = -5;
        sim.update([](nv820::TerminalState& s) { s.records.assign(3, {}); });
        EXPECT_EQ(GetRecordCount(1, &count), c.expected);
        EXPECT_EQ(count, c.expected == 1 ? 3 : -5);
    }
}

TEST_F(PortTest, ReplyBytesTwoToFourDoNotMatter) {
    sim.editNextReply([](Bytes& r) {
        r[2] = 0xFF;
        r[3] = 0x13;
        r[4] = 0x00;
    });
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), 1);
    EXPECT_EQ(b, 1);
}

TEST_F(PortTest, ReadFailsWhenTheLineHangsUp) {
    sim.injectFault({FaultKind::HangUp});
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), -11);
    EXPECT_EQ(ClosePort(), 1);
}

TEST_F(PortTest, RawPrimitivesMoveBytesAsAsked) {
    Bytes frame = request(1, 0xD0);
    EXPECT_EQ(SendDataPacket(frame.data(), 14), 15);
    uint8_t reply[15] = {};
    EXPECT_EQ(ReadDataPacket(reply, 14), 15);
    EXPECT_EQ(reply[0], 0xE0);
    EXPECT_EQ(reply[1], 0x7D);
    EXPECT_EQ(sent(), frame);
    // Nothing more to read: the count is 0, not an error.
    EXPECT_EQ(ReadDataPacket(reply, 14), 0);
    ASSERT_EQ(ClosePort(), 1);
    EXPECT_EQ(SendDataPacket(frame.data(), 14), -12);
    EXPECT_EQ(ReadDataPacket(reply, 14), -11);
}

TEST_F(PortTest, LateReplyGivesZeroAndIsNotTakenForALaterOne) {
    sim.update([](nv820::TerminalState& s) {
        s.version = {9, 4, 2};
        s.records.assign(3, {});
    });
    const auto start = std::chrono::steady_clock::now();
    sim.injectFault({FaultKind::Late, 400});
    int32_t a = -1, b = -1, c = -1;
    EXPECT_EQ(Call(1, &a, &b, &c), 0);
    EXPECT_EQ(a, -1);
    // The late reply is waiting in the input queue when the next command starts. Read as that
    // command's reply it would count 9 * 256 + 4 records, and every later reply would be one behind.
    std::this_thread::sleep_until(start + std::chrono::milliseconds(600));
    for (int i = 0; i < 3; ++i) {
        int32_t count = -1;
        EXPECT_EQ(GetRecordCount(1, &count), 1);
        EXPECT_EQ(count, 3);
    }
}

TEST_F(PortTest, StrayBytesAfterAReplyDoNotShiftLaterReplies) {
    sim.update([](nv820::TerminalState& s) { s.records.assign(5, {}); });
    sim.injectFault({FaultKind::Flood, 7}); // the reply, then seven bytes nobody asked for
    int32_t a = 0, b = 0, c = 0, count = -1;
    EXPECT_EQ(Call(1, &a, &b, &c), 1);
    EXPECT_EQ(GetRecordCount(1, &count), 1);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(Call(1, &a, &b, &c), 1);
    EXPECT_EQ(b, 1);
}

TEST_F(PortTest, EndlessNoiseNeverHangsACommand) {
    // The reply goes on with noise for about 1.25 seconds at the line's byte rate.
    const auto start = std::chrono::steady_clock::now();
    sim.injectFault({FaultKind::Flood, 1200});
    sim.update([](nv820::TerminalState& s) { s.records.assign(4, {}); });
    int32_t count = -1;
    EXPECT_EQ(GetRecordCount(1, &count), 1);
    EXPECT_EQ(count, 4);
    TerminalRecord recs[6] = {};
    for (int i = 0; i < 5; ++i) {
        int32_t r = 1;
        uint32_t card = 0;
        double ms = elapsedMs([&] { r = i % 2 ? GetRecord(1, 1, recs, 5) : ScoutInfo(1, &card); });
        EXPECT_LE(ms, 400.0);
        EXPECT_NE(r, 1) << "noise taken for a reply";
    }
    // Once the noise ends the line works again.
    std::this_thread::sleep_until(start + std::chrono::milliseconds(1500));
    EXPECT_EQ(GetRecordCount(1, &count), 1);
    EXPECT_EQ(count, 4);
}

} // namespace
