// The standard-frame commands against the simulated terminal: the request bytes each one sends, what
// it decodes from the reply, and what the terminal did.

#include "TerminalFixture.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <tuple>
#include <unistd.h>

using nv820::FaultKind;
using nv820::TerminalState;

namespace {

class CommandTest : public TerminalTest {};

// Day count of a civil date and time (days since 1899-12-30), for expectations.
double dayCount(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    long long days = static_cast<long long>(::timegm(&t)) / 86400 + 25569;
    return static_cast<double>(days) + (hh * 3600 + mm * 60 + ss) / 86400.0;
}

TEST_F(CommandTest, CallSendsTheKnownFrameAndDecodesTheVersion) {
    sim.update([](TerminalState& s) { s.version = {0xAB, 2, 15}; });
    int32_t a = 0, b = 0, c = 0;
    ASSERT_EQ(Call(1, &a, &b, &c), 1);
    const Bytes expected = {0x94, 0x3B, 0x00, 0x01, 0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7E};
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(a, 0xAB);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 15);
}

TEST_F(CommandTest, OnlyTheLowEightBitsOfTheAddressTravel) {
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(257, &a, &b, &c), 1);
    EXPECT_EQ(sent()[3], 1);
    EXPECT_EQ(Call(2, &a, &b, &c), 0); // no terminal 2 on the line
}

TEST_F(CommandTest, SetAddressGoesToTheOldAddressAndGetAddressAsksTheOneGiven) {
    ASSERT_EQ(SetAddress(1, 0x105), 1);
    EXPECT_EQ(sent(), request(1, 0xD1, {0x05}));
    EXPECT_EQ(sim.state().address, 5);

    int32_t address = 5;
    ASSERT_EQ(GetAddress(&address), 1);
    EXPECT_EQ(sent(2), request(5, 0xD2));
    EXPECT_EQ(address, 5);

    address = 1; // the old address no longer answers; the variable keeps its value
    EXPECT_EQ(GetAddress(&address), 0);
    EXPECT_EQ(address, 1);
    EXPECT_EQ(GetAddress(nullptr), -1);
}

TEST_F(CommandTest, SetMachineModeSendsTheModeByte) {
    const std::pair<int32_t, uint8_t> cases[] = {{0, 0x00}, {1, 0x01}, {2, 0x10}, {5, 0x00}, {-1, 0x00}};
    std::size_t n = 0;
    for (auto [mode, byte] : cases) {
        SCOPED_TRACE(mode);
        sim.update([](TerminalState& s) { s.modeByte = 0x77; });
        ASSERT_EQ(SetMachineMode(1, mode), 1);
        EXPECT_EQ(sent(++n), request(1, 0xD9, {byte}));
        EXPECT_EQ(sim.state().modeByte, byte);
    }
}

TEST_F(CommandTest, GetMachineModeDecodesKnownBytesAndLeavesUnknownOnes) {
    const std::pair<uint8_t, int32_t> cases[] = {{0x00, 0}, {0x01, 1}, {0x10, 2}, {0x02, 42}, {0xFF, 42}};
    for (auto [byte, mode] : cases) {
        SCOPED_TRACE(byte);
        sim.update([b = byte](TerminalState& s) { s.modeByte = b; });
        int32_t out = 42;
        EXPECT_EQ(GetMachineMode(1, &out), 1);
        EXPECT_EQ(out, mode);
    }
    EXPECT_EQ(sim.lastRequest(), request(1, 0xDA));
}

TEST_F(CommandTest, SetDateTimeSendsBcdFieldsAndTheWeekday) {
    struct Case {
        double when;
        Bytes fields;
    } cases[] = {
        // 2024-03-10 was a Sunday: weekday 7; the next day Monday: 1.
        {dayCount(2024, 3, 10, 8, 5, 9), {0x24, 7, 0x03, 0x10, 0x08, 0x05, 0x09}},
        {dayCount(2024, 3, 11, 23, 59, 58), {0x24, 1, 0x03, 0x11, 0x23, 0x59, 0x58}},
        {dayCount(2009, 12, 31, 12, 0, 0), {0x09, 4, 0x12, 0x31, 0x12, 0x00, 0x00}},
        // A century other than 2000 loses its century.
        {dayCount(1999, 1, 2, 3, 4, 5), {0x99, 6, 0x01, 0x02, 0x03, 0x04, 0x05}},
    };
    std::size_t n = 0;
    for (const auto& c : cases) {
        ASSERT_EQ(SetDateTime(1, c.when), 1);
        EXPECT_EQ(sent(++n), request(1, 0xDD, c.fields));
    }
    EXPECT_EQ(sim.state().lastWeekday, 6);
    // The terminal keeps two year digits: the last setting, 1999, reads 2099 on its clock.
    EXPECT_EQ(sim.clock().year, 2099);
}

TEST_F(CommandTest, SetDateTimeRefusesValuesThatAreNoDateTime) {
    EXPECT_EQ(SetDateTime(1, std::nan("")), -1);
    EXPECT_EQ(SetDateTime(1, 1e12), -1);
    usleep(30000);
    EXPECT_EQ(sim.requestCount(), 0u);
}

TEST_F(CommandTest, GetDateTimeReadsTheTerminalClock) {
    sim.setClock({2031, 7, 4, 10, 20, 30});
    double dt = 0;
    ASSERT_EQ(GetDateTime(1, &dt), 1);
    EXPECT_EQ(sent(), request(1, 0xDE));
    EXPECT_NEAR(dt, dayCount(2031, 7, 4, 10, 20, 30), 3.0 / 86400);
}

TEST_F(CommandTest, GetDateTimeDecodesExactFieldsAndIgnoresTheWeekday) {
    sim.editNextReply([](Bytes& r) {
        const uint8_t f[] = {0x09, 0xEE, 0x12, 0x31, 0x23, 0x59, 0x58};
        std::memcpy(&r[5], f, sizeof f);
    });
    double dt = 0;
    ASSERT_EQ(GetDateTime(1, &dt), 1);
    EXPECT_DOUBLE_EQ(dt, dayCount(2009, 12, 31, 23, 59, 58));
}

TEST_F(CommandTest, GetDateTimeTreatsFieldsThatAreNoDateAsACorruptReply) {
    const Bytes bad[] = {
        {0x09, 1, 0x00, 0x10, 0, 0, 0}, // month 0
        {0x09, 1, 0x13, 0x10, 0, 0, 0}, // month 13
        {0x09, 1, 0x02, 0x30, 0, 0, 0}, // 30 February
        {0x09, 1, 0x01, 0x32, 0, 0, 0}, // day 32
        {0x09, 1, 0x01, 0x01, 0x25, 0, 0}, {0x09, 1, 0x01, 0x01, 0, 0x60, 0},
    };
    for (const auto& f : bad) {
        sim.editNextReply([f](Bytes& r) { std::copy(f.begin(), f.end(), r.begin() + 5); });
        double dt = 123.0;
        EXPECT_EQ(GetDateTime(1, &dt), -8);
        EXPECT_EQ(dt, 123.0);
    }
}

TEST_F(CommandTest, ServiceSwitches) {
    ASSERT_EQ(CloseMachine(1), 1);
    EXPECT_EQ(sent(1), request(1, 0xE0));
    EXPECT_FALSE(sim.state().service);
    ASSERT_EQ(OpenMachine(1), 1);
    EXPECT_EQ(sent(2), request(1, 0xDF));
    EXPECT_TRUE(sim.state().service);
}

TEST_F(CommandTest, RestartAndBeepAreWriteOnly) {
    double ms = elapsedMs([&] {
        EXPECT_EQ(RestartMachine(1), 1);
        EXPECT_EQ(Beef(1, 3), 1);
        // A terminal that is not there: the bytes still left the port.
        EXPECT_EQ(RestartMachine(7), 1);
        EXPECT_EQ(Beef(7, 0x102), 1);
    });
    EXPECT_LT(ms, 200.0); // no reply was waited for (four waits would take 400 ms)
    ASSERT_TRUE(sim.waitForRequests(4, 1000));
    auto reqs = sim.requests();
    EXPECT_EQ(reqs[0], request(1, 0xE1));
    EXPECT_EQ(reqs[1], request(1, 0xFA, {3}));
    EXPECT_EQ(reqs[3], request(7, 0xFA, {0x02}));
    EXPECT_EQ(sim.state().restarts, 1);
    EXPECT_EQ(sim.state().beeps, 3);
}

TEST_F(CommandTest, InitMachineResetsTheTerminalButNotItsClock) {
    sim.setClock({2030, 1, 2, 3, 4, 5});
    sim.update([](TerminalState& s) {
        s.address = 1;
        s.redList = {1, 2, 3};
        s.records.assign(5, {});
        s.modeByte = 0x01;
        s.password = {9, 9, 9, 9, 9, 9, 9, 9};
        s.userPassword.fill(1);
    });
    ASSERT_EQ(InitMachine(1), 1);
    EXPECT_EQ(sent(), request(1, 0xE2));
    TerminalState s = sim.state();
    EXPECT_EQ(s.address, 1);
    EXPECT_TRUE(s.redList.empty());
    EXPECT_TRUE(s.records.empty());
    EXPECT_EQ(s.modeByte, 0x00);
    EXPECT_EQ(s.password, s.originalPassword);
    EXPECT_EQ(s.userPassword[0], 0x5A);
    EXPECT_EQ(sim.clock().year, 2030);
}

TEST_F(CommandTest, PasswordSetSendsDigitValues) {
    char text[10] = "87654321";
    char* buf = text;
    ASSERT_EQ(MachinePassword(1, 1, &buf), 1);
    EXPECT_EQ(sent(), request(1, 0xE3, {1, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(sim.state().password, (std::array<uint8_t, 8>{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST_F(CommandTest, PasswordRefusalsSendNothing) {
    char seven[] = "1234567", nine[] = "123456789", letters[] = "1234567a";
    char* p = seven;
    EXPECT_EQ(MachinePassword(1, 1, &p), -1);
    p = nine;
    EXPECT_EQ(MachinePassword(1, 1, &p), -1);
    p = letters;
    EXPECT_EQ(MachinePassword(1, 1, &p), -1);
    EXPECT_EQ(MachinePassword(1, 1, nullptr), -1);
    char out[10] = "keep";
    p = out;
    EXPECT_EQ(MachinePassword(1, 3, &p), 0);
    EXPECT_EQ(MachinePassword(1, 0, &p), 0);
    EXPECT_STREQ(out, "keep");
    usleep(30000);
    EXPECT_EQ(sim.requestCount(), 0u);
}

TEST_F(CommandTest, PasswordReadRendersEachByteInDecimal) {
    struct Case {
        std::array<uint8_t, 8> bytes;
        const char* text;
    } cases[] = {
        {{1, 3, 5, 7, 2, 4, 6, 8}, "13572468"},
        {{10, 11, 12, 13, 14, 15, 16, 17}, "10111213"}, // two digits each: four bytes fill it
        {{200, 5, 0, 99, 1, 1, 1, 1}, "20050991"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "00000000"},
    };
    for (const auto& c : cases) {
        sim.update([&](TerminalState& s) { s.password = c.bytes; });
        char out[10];
        std::memset(out, 'x', sizeof out);
        char* p = out;
        ASSERT_EQ(MachinePassword(1, 2, &p), 1);
        EXPECT_STREQ(out, c.text);
    }
    EXPECT_EQ(sim.lastRequest(), request(1, 0xE3, {2}));
}

TEST_F(CommandTest, PasswordReadFailureKeepsTheBuffer) {
    sim.injectFault({FaultKind::WrongChecksum});
    char out[10] = "old";
    char* p = out;
    EXPECT_EQ(MachinePassword(1, 2, &p), -8);
    EXPECT_STREQ(out, "old");
}

TEST_F(CommandTest, RealtimeReportingAndPolling) {
    uint32_t card = 77;
    ASSERT_EQ(ScoutInfo(1, &card), 1);
    EXPECT_EQ(card, 0u); // reporting off: nothing to report
    sim.swipe(111);      // stored, but not reported

    ASSERT_EQ(ScoutInfoOnOff(1, 1), 1);
    EXPECT_EQ(sent(2), request(1, 0xF8, {1}));
    EXPECT_TRUE(sim.state().realtime);
    sim.swipe(4000000000u);
    sim.swipe(12345);
    ASSERT_EQ(ScoutInfo(1, &card), 1);
    EXPECT_EQ(sent(3), request(1, 0xF9));
    EXPECT_EQ(card, 4000000000u);
    double ms = elapsedMs([&] { ASSERT_EQ(ScoutInfo2(1, 60, &card), 1); });
    EXPECT_EQ(card, 12345u);
    EXPECT_EQ(sent(4), request(1, 0xF9));
    EXPECT_GE(ms, 160.0);
    EXPECT_LE(ms, 400.0);
    ASSERT_EQ(ScoutInfo(1, &card), 1);
    EXPECT_EQ(card, 0u);

    ASSERT_EQ(ScoutInfoOnOff(1, 2), 1);
    EXPECT_FALSE(sim.state().realtime);
    EXPECT_EQ(ScoutInfoOnOff(1, 3), 1);
    EXPECT_EQ(sent(7), request(1, 0xF8, {0}));
    EXPECT_EQ(sim.state().records.size(), 3u);
}

TEST_F(CommandTest, VoiceSwitch) {
    ASSERT_EQ(VoiceOnOff(1, 2), 1);
    EXPECT_EQ(sent(1), request(1, 0xFB, {2}));
    EXPECT_FALSE(sim.state().voice);
    ASSERT_EQ(VoiceOnOff(1, 1), 1);
    EXPECT_TRUE(sim.state().voice);
    ASSERT_EQ(VoiceOnOff(1, 9), 1);
    EXPECT_EQ(sent(3), request(1, 0xFB, {0}));
}

TEST_F(CommandTest, RedListPairsCountsAndRecords) {
    ASSERT_EQ(SetRedNames(1, 0x01020304, 0xA0B0C0D0), 1);
    EXPECT_EQ(sent(1), request(1, 0xE6, {1, 2, 3, 4, 0xA0, 0xB0, 0xC0, 0xD0}));
    ASSERT_EQ(SetRedNames(1, 30, 40), 1);
    ASSERT_EQ(SetRedNames(1, 50, 0), 1); // an odd list is padded with 0

    int32_t count = 0;
    ASSERT_EQ(GetRedNamesCount(1, &count), 1);
    EXPECT_EQ(sent(4), request(1, 0xD7));
    EXPECT_EQ(count, 5);

    uint32_t c1 = 0, c2 = 0;
    ASSERT_EQ(GetRedNames(1, 1, &c1, &c2), 1);
    EXPECT_EQ(sent(5), request(1, 0xE7, {0, 1}));
    EXPECT_EQ(c1, 0x01020304u);
    EXPECT_EQ(c2, 0xA0B0C0D0u);
    ASSERT_EQ(GetRedNames(1, 5, &c1, &c2), 1);
    EXPECT_EQ(c1, 50u);
    EXPECT_EQ(c2, 0u);
    ASSERT_EQ(GetRedNames(1, 0x0102, &c1, &c2), 1);
    EXPECT_EQ(sent(7), request(1, 0xE7, {1, 2}));

    ASSERT_EQ(DeleteRedNames(1), 1);
    EXPECT_EQ(sent(8), request(1, 0xD6));
    EXPECT_TRUE(sim.state().redList.empty());
}

TEST_F(CommandTest, CountsUseTwoBytesBigEndian) {
    sim.update([](TerminalState& s) { s.redList.assign(258, 9); });
    int32_t count = 0;
    ASSERT_EQ(GetRedNamesCount(1, &count), 1);
    EXPECT_EQ(count, 258);
    sim.update([](TerminalState& s) { s.records.assign(0x1234, {1}); });
    ASSERT_EQ(GetRecordCount(1, &count), 1);
    EXPECT_EQ(sent(2), request(1, 0xD8));
    EXPECT_EQ(count, 0x1234);
    ASSERT_EQ(DeleteRecord(1), 1);
    EXPECT_EQ(sent(3), request(1, 0xD5));
    EXPECT_TRUE(sim.state().records.empty());
}

TEST_F(CommandTest, FailedCommandsLeaveEveryOutput) {
    sim.setFault({FaultKind::WrongHeader});
    int32_t a = 1, b = 2, c = 3, n = 4, mode = 5, address = 1;
    uint32_t c1 = 6, c2 = 7, card = 8;
    double dt = 9.5;
    EXPECT_EQ(Call(1, &a, &b, &c), -9);
    EXPECT_EQ(GetRecordCount(1, &n), -9);
    EXPECT_EQ(GetMachineMode(1, &mode), -9);
    EXPECT_EQ(GetAddress(&address), -9);
    EXPECT_EQ(GetRedNames(1, 1, &c1, &c2), -9);
    EXPECT_EQ(ScoutInfo(1, &card), -9);
    EXPECT_EQ(GetDateTime(1, &dt), -9);
    EXPECT_EQ(GetNameCodeCount(1, 1, &n), -9);
    EXPECT_EQ(std::tie(a, b, c, n, mode, address), std::make_tuple(1, 2, 3, 4, 5, 1));
    EXPECT_EQ(std::tie(c1, c2, card), std::make_tuple(6u, 7u, 8u));
    EXPECT_EQ(dt, 9.5);
}

} // namespace
