// The commands with long frames against the simulated terminal: record pages, name codes, messages.

#include "TerminalFixture.h"

#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <unistd.h>

using nv820::FaultKind;
using nv820::TerminalState;

namespace {

class LongFrameTest : public TerminalTest {};

double dayCount(int y, int m, int d, int hh = 0, int mm = 0) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    long long days = static_cast<long long>(::timegm(&t)) / 86400 + 25569;
    return static_cast<double>(days) + (hh * 60 + mm) / 1440.0;
}

// Elements the caller set beforehand, so that untouched ones show.
void fillSentinels(TerminalRecord* r, int n) {
    for (int i = 0; i < n; ++i)
        r[i] = {0xDEAD0000u + static_cast<uint32_t>(i), -1.0 - i};
}

void loadRecords(nv820::Nv820Simulator& sim, int n) {
    sim.update([n](TerminalState& s) {
        s.records.clear();
        for (int i = 1; i <= n; ++i)
            s.records.push_back({1000u + i, 2009, 12, 31, 23, 50 + i});
    });
}

// --- GetRecord ---------------------------------------------------------------------------------------

TEST_F(LongFrameTest, RecordPagesOfEightRecords) {
    loadRecords(sim, 8);
    TerminalRecord r[8];
    fillSentinels(r, 8);
    double ms = elapsedMs([&] { ASSERT_EQ(GetRecord(1, 1, r, 5), 1); });
    EXPECT_GE(ms, 120.0);
    EXPECT_LE(ms, 400.0);
    EXPECT_EQ(sent(), request(1, 0xE8, {0, 1}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r[i].card, 1001u + i);
        EXPECT_DOUBLE_EQ(r[i].dateTime, dayCount(2009, 12, 31, 23, 51 + i));
    }
    EXPECT_EQ(r[6].card, 0xDEAD0006u); // past the page: never touched

    fillSentinels(r, 8);
    ASSERT_EQ(GetRecord(1, 7, r, 5), 1);
    EXPECT_EQ(r[0].card, 1007u);
    EXPECT_EQ(r[1].card, 1008u);
    // The end: the first empty slot gets card 0 and keeps its date; the rest stay as they were.
    EXPECT_EQ(r[2].card, 0u);
    EXPECT_EQ(r[2].dateTime, -3.0);
    EXPECT_EQ(r[3].card, 0xDEAD0003u);
    EXPECT_EQ(r[5].card, 0xDEAD0005u);
}

TEST_F(LongFrameTest, EmptyTerminalChangesOnlyTheFirstCard) {
    TerminalRecord r[6];
    fillSentinels(r, 6);
    ASSERT_EQ(GetRecord(1, 1, r, 5), 1);
    EXPECT_EQ(r[0].card, 0u);
    EXPECT_EQ(r[0].dateTime, -1.0);
    EXPECT_EQ(r[1].card, 0xDEAD0001u);
}

TEST_F(LongFrameTest, ZeroCardInTheMiddleEndsTheDecoding) {
    loadRecords(sim, 6);
    sim.editNextReply([](Bytes& f) { std::memset(&f[5 + 9 * 2], 0, 4); });
    TerminalRecord r[6];
    fillSentinels(r, 6);
    ASSERT_EQ(GetRecord(1, 1, r, 5), 1);
    EXPECT_EQ(r[1].card, 1002u);
    EXPECT_EQ(r[2].card, 0u);
    EXPECT_EQ(r[3].card, 0xDEAD0003u);
    EXPECT_EQ(r[4].card, 0xDEAD0004u);
}

TEST_F(LongFrameTest, RecordNumberTravelsInTwoBytes) {
    TerminalRecord r[6];
    ASSERT_EQ(GetRecord(1, 0x1234, r, 5), 1);
    EXPECT_EQ(sent(), request(1, 0xE8, {0x12, 0x34}));
}

TEST_F(LongFrameTest, RecordPageIsNeverWrittenPastTheGivenHighestIndex) {
    loadRecords(sim, 6);
    TerminalRecord r[6];
    fillSentinels(r, 6);
    ASSERT_EQ(GetRecord(1, 1, r, 2), 1);
    EXPECT_EQ(r[2].card, 1003u);
    EXPECT_EQ(r[3].card, 0xDEAD0003u);
    fillSentinels(r, 6);
    ASSERT_EQ(GetRecord(1, 1, r, -1), 1);
    EXPECT_EQ(r[0].card, 0xDEAD0000u);
    EXPECT_EQ(GetRecord(1, 1, nullptr, 5), 1);
}

TEST_F(LongFrameTest, RecordPageWithAnImpossibleDateIsRefusedWhole) {
    loadRecords(sim, 3);
    sim.editNextReply([](Bytes& f) { f[5 + 9 * 1 + 5] = 0x13; }); // month 13 in the second slot
    TerminalRecord r[6];
    fillSentinels(r, 6);
    EXPECT_EQ(GetRecord(1, 1, r, 5), -8);
    EXPECT_EQ(r[0].card, 0xDEAD0000u);
}

TEST_F(LongFrameTest, RecordPageResultCodes) {
    loadRecords(sim, 6);
    struct Case {
        nv820::Fault fault;
        int32_t expected;
        double minMs, maxMs;
    } cases[] = {
        {{FaultKind::Short, 59}, 59, 120, 400},     {{FaultKind::Short, 20}, 20, 120, 400},
        {{FaultKind::NoAnswer}, 0, 170, 400}, // 120 ms wait and 60 ms time-out
        {{FaultKind::WrongChecksum}, -8, 120, 400}, {{FaultKind::WrongHeader}, -9, 120, 400},
        {{FaultKind::OneByte}, -9, 120, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        sim.injectFault(c.fault);
        TerminalRecord r[6];
        fillSentinels(r, 6);
        int32_t got = 99;
        double ms = elapsedMs([&] { got = GetRecord(1, 1, r, 5); });
        EXPECT_EQ(got, c.expected);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        EXPECT_EQ(r[0].card, 0xDEAD0000u);
    }
}

// --- Name codes --------------------------------------------------------------------------------------

Bytes nameFrame(uint8_t code, uint8_t list, uint32_t card, const std::string& name) {
    Bytes f(19, 0);
    f[0] = 0x94;
    f[1] = 0x3B;
    f[3] = 1;
    f[4] = code;
    f[5] = list;
    f[6] = static_cast<uint8_t>(card >> 24);
    f[7] = static_cast<uint8_t>(card >> 16);
    f[8] = static_cast<uint8_t>(card >> 8);
    f[9] = static_cast<uint8_t>(card);
    std::memcpy(&f[10], name.data(), name.size());
    for (int i = 0; i < 18; ++i)
        f[18] ^= f[i];
    return f;
}

const char kZhangSan[] = "\xD5\xC5\xC8\xFD";                           // two characters in CP936
const char kFourAndOne[] = "\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCE\xE5"; // five characters, 10 bytes

TEST_F(LongFrameTest, SendNameCodeFrames) {
    struct Case {
        int32_t list;
        uint32_t card;
        const char* name;
        uint8_t listByte;
        std::string field;
    } cases[] = {
        {1, 12345, kZhangSan, 1, kZhangSan},
        {2, 0xFFFFFFFF, "ABCDEFGH", 2, "ABCDEFGH"},
        {1, 7, "", 1, ""},                    // eight 0x00 bytes
        {7, 8, "x", 0, "x"},                  // an unknown list sends 0
        {1, 9, "ABCDEFGHIJK", 1, "ABCDEFGH"}, // cut to the field
        {1, 10, kFourAndOne, 1, std::string(kFourAndOne, 8)},
        {1, 11, "A\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4", 1, "A\xD5\xC5\xC8\xFD\xC0\xEE"}, // no half character
    };
    std::size_t n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.card);
        ASSERT_EQ(SendNameCode(1, c.list, c.card, c.name), 1);
        EXPECT_EQ(sent(++n), nameFrame(0xF1, c.listByte, c.card, c.field));
    }
    TerminalState s = sim.state();
    ASSERT_EQ(s.nameCodes.size(), 5u);
    EXPECT_EQ(s.nameCodes[0].name, kZhangSan);
    EXPECT_EQ(s.tempNameCodes.size(), 1u);
}

TEST_F(LongFrameTest, ModiNameCodeChangesTheEntry) {
    ASSERT_EQ(SendNameCode(1, 2, 500, "OLD"), 1);
    ASSERT_EQ(ModiNameCode(1, 2, 500, "NEW"), 1);
    EXPECT_EQ(sent(2), nameFrame(0xF2, 2, 500, "NEW"));
    TerminalState s = sim.state();
    ASSERT_EQ(s.tempNameCodes.size(), 1u);
    EXPECT_EQ(s.tempNameCodes[0].name, "NEW");
}

TEST_F(LongFrameTest, NameCodeFailuresUseTheLongFrameCodes) {
    sim.injectFault({FaultKind::NoAnswer});
    EXPECT_EQ(SendNameCode(1, 1, 1, "A"), 0);
    sim.injectFault({FaultKind::Short, 9});
    EXPECT_EQ(ModiNameCode(1, 1, 1, "A"), 9);
    sim.injectFault({FaultKind::WrongChecksum});
    EXPECT_EQ(SendNameCode(1, 1, 1, "A"), -8);
}

TEST_F(LongFrameTest, NameCodeCountsAndDeletes) {
    sim.update([](TerminalState& s) {
        s.nameCodes = {{1, "A"}, {2, "B"}, {3, "C"}};
        s.tempNameCodes = {{4, "D"}, {5, "E"}};
    });
    int32_t count = 0;
    ASSERT_EQ(GetNameCodeCount(1, 1, &count), 1);
    EXPECT_EQ(sent(1), request(1, 0xF4, {1}));
    EXPECT_EQ(count, 3);
    ASSERT_EQ(GetNameCodeCount(1, 2, &count), 1);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(GetNameCodeCount(1, 3, &count), 1);
    EXPECT_EQ(sent(3), request(1, 0xF4, {0}));

    const struct {
        int32_t kind;
        uint32_t card;
        Bytes data;
    } deletes[] = {
        {3, 0x00000002, {3, 0, 0, 0, 2}},
        {4, 0x00000005, {4, 0, 0, 0, 5}},
        {1, 0x12345678, {1}}, // the card travels only with kinds 3 and 4
        {2, 0x12345678, {2}},
        {6, 0x12345678, {0}},
    };
    std::size_t n = 3;
    std::size_t listSizes[][2] = {{2, 2}, {2, 1}, {0, 1}, {0, 0}, {0, 0}};
    for (std::size_t i = 0; i < std::size(deletes); ++i) {
        ASSERT_EQ(DeleteNameCode(1, deletes[i].kind, deletes[i].card), 1);
        EXPECT_EQ(sent(++n), request(1, 0xF3, deletes[i].data));
        TerminalState s = sim.state();
        EXPECT_EQ(s.nameCodes.size(), listSizes[i][0]);
        EXPECT_EQ(s.tempNameCodes.size(), listSizes[i][1]);
    }
}

TEST_F(LongFrameTest, GetNameCodeDecodesLeadCardAndName) {
    sim.update([](TerminalState& s) {
        s.nameCodes = {{11, "ALPHA"}, {0xC0000001, "ABCDEFGH"}};
        s.tempNameCodes = {{33, kZhangSan}};
    });
    int32_t lead = -1;
    uint32_t card = 0;
    char buf[10];
    std::memset(buf, 'x', sizeof buf);
    char* p = buf;
    ASSERT_EQ(GetNameCode(1, 3, 2, &lead, &card, &p), 1);
    EXPECT_EQ(sent(1), request(1, 0xF4, {3, 0, 2}));
    EXPECT_EQ(lead, 1);
    EXPECT_EQ(card, 0xC0000001u);
    EXPECT_EQ(std::string(buf, 9), std::string("ABCDEFGH\0", 9)); // all eight bytes and a terminator
    EXPECT_EQ(buf[9], 'x');

    ASSERT_EQ(GetNameCode(1, 4, 1, &lead, &card, &p), 1);
    EXPECT_EQ(card, 33u);
    EXPECT_STREQ(buf, kZhangSan);

    ASSERT_EQ(GetNameCode(1, 3, 0x0105, &lead, &card, &p), 1); // no such entry: an empty name
    EXPECT_EQ(sent(3), request(1, 0xF4, {3, 0x01, 0x05}));
    EXPECT_EQ(card, 0u);
    EXPECT_STREQ(buf, "");

    // An unknown selector travels as 0, which asks for no entry: the terminal's short reply is a short read.
    EXPECT_EQ(GetNameCode(1, 9, 1, &lead, &card, &p), 15);
    EXPECT_EQ(sent(4)[5], 0);
    EXPECT_EQ(card, 0u);
}

TEST_F(LongFrameTest, GetNameCodeFailuresKeepTheOutputs) {
    struct Case {
        nv820::Fault fault;
        int32_t expected;
    } cases[] = {{{FaultKind::NoAnswer}, 0},
                 {{FaultKind::Short, 18}, 18},
                 {{FaultKind::WrongHeader}, -9},
                 {{FaultKind::WrongChecksum}, -8}};
    sim.update([](TerminalState& s) { s.nameCodes = {{11, "ALPHA"}}; });
    for (const auto& c : cases) {
        sim.injectFault(c.fault);
        int32_t lead = -1;
        uint32_t card = 5;
        char buf[10] = "keep";
        char* p = buf;
        EXPECT_EQ(GetNameCode(1, 3, 1, &lead, &card, &p), c.expected);
        EXPECT_EQ(lead, -1);
        EXPECT_EQ(card, 5u);
        EXPECT_STREQ(buf, "keep");
    }
}

// --- Messages ----------------------------------------------------------------------------------------

TEST_F(LongFrameTest, PublicMessageFrame) {
    const double from = dayCount(2009, 12, 31, 23, 30), to = dayCount(2010, 1, 1, 0, 30);
    ASSERT_EQ(SendPublicWord(1, from, to, "Hello\r\nWorld\r\n"), 1);
    Bytes f = sent();
    ASSERT_EQ(f.size(), 78u);
    uint8_t x = 0;
    for (uint8_t b : f)
        x ^= b;
    EXPECT_EQ(x, 0); // the last byte is the XOR of all before it
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 5), (Bytes{0x94, 0x3B, 0x00, 0x01, 0xF6}));
    EXPECT_EQ(std::string(f.begin() + 5, f.begin() + 19), "Hello\r\nWorld\r\n");
    EXPECT_EQ(f[19], 0);
    EXPECT_EQ(f[68], 0);
    EXPECT_EQ(Bytes(f.begin() + 69, f.begin() + 77), (Bytes{0x12, 0x31, 0x23, 0x30, 0x01, 0x01, 0x00, 0x30}));
    auto m = sim.state().publicMessage;
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->text, "Hello\r\nWorld\r\n");
}

TEST_F(LongFrameTest, PersonalMessageFrame) {
    const double from = dayCount(2024, 2, 29, 8, 0), to = dayCount(2024, 3, 1, 17, 45);
    ASSERT_EQ(SendIndividualWord(1, 0x00BC614E, from, to, kZhangSan), 1);
    Bytes f = sent();
    ASSERT_EQ(f.size(), 82u);
    uint8_t x = 0;
    for (uint8_t b : f)
        x ^= b;
    EXPECT_EQ(x, 0);
    EXPECT_EQ(f[4], 0xF5);
    EXPECT_EQ(Bytes(f.begin() + 5, f.begin() + 9), (Bytes{0x00, 0xBC, 0x61, 0x4E}));
    EXPECT_EQ(std::string(f.begin() + 9, f.begin() + 13), kZhangSan);
    EXPECT_EQ(f[13], 0);
    EXPECT_EQ(Bytes(f.begin() + 73, f.begin() + 81), (Bytes{0x02, 0x29, 0x08, 0x00, 0x03, 0x01, 0x17, 0x45}));
    auto s = sim.state();
    ASSERT_EQ(s.personalMessages.count(12345678u), 1u);
}

TEST_F(LongFrameTest, LongMessagesAreCutToTheirField) {
    std::string wide; // 33 two-byte characters, 66 bytes
    for (int i = 0; i < 33; ++i)
        wide += "\xC0\xEE";
    ASSERT_EQ(SendPublicWord(1, 40000, 40001, wide.c_str()), 1);
    Bytes f = sent(1);
    EXPECT_EQ(std::string(f.begin() + 5, f.begin() + 69), wide.substr(0, 64));
    EXPECT_EQ(f[69], 0x07); // then the start month, untouched: day 40000 is 2009-07-06

    // One byte ahead of the characters: the 32nd would lose its half, so it is left out.
    std::string odd = "a" + wide.substr(0, 64);
    ASSERT_EQ(SendIndividualWord(1, 1, 40000, 40001, odd.c_str()), 1);
    f = sent(2);
    EXPECT_EQ(std::string(f.begin() + 9, f.begin() + 72), odd.substr(0, 63));
    EXPECT_EQ(f[72], 0);

    std::string plain(200, 'M');
    ASSERT_EQ(SendIndividualWord(1, 1, 40000, 40001, plain.c_str()), 1);
    f = sent(3);
    EXPECT_EQ(std::string(f.begin() + 9, f.begin() + 73), plain.substr(0, 64));
    EXPECT_EQ(f[73], 0x07);
}

TEST_F(LongFrameTest, MessagesRefuseValidityThatIsNoDateTime) {
    EXPECT_EQ(SendPublicWord(1, std::numeric_limits<double>::infinity(), 40000, "x"), -1);
    EXPECT_EQ(SendIndividualWord(1, 1, 40000, std::numeric_limits<double>::quiet_NaN(), "x"), -1);
    usleep(30000);
    EXPECT_EQ(sim.requestCount(), 0u);
}

TEST_F(LongFrameTest, DeleteWordKinds) {
    sim.update([](TerminalState& s) {
        s.publicMessage = nv820::Message{"pub", {}, {}};
        s.personalMessages[5] = nv820::Message{"five", {}, {}};
        s.personalMessages[6] = nv820::Message{"six", {}, {}};
    });
    ASSERT_EQ(DeleteWord(1, 2, 5), 1);
    EXPECT_EQ(sent(1), request(1, 0xF7, {2, 0, 0, 0, 5}));
    EXPECT_EQ(sim.state().personalMessages.count(5), 0u);
    ASSERT_EQ(DeleteWord(1, 2, 0), 1);
    EXPECT_FALSE(sim.state().publicMessage.has_value());
    EXPECT_EQ(sim.state().personalMessages.size(), 1u);
    // Kind 1 deletes everything and still carries the card given.
    ASSERT_EQ(DeleteWord(1, 1, 0x01020304), 1);
    EXPECT_EQ(sent(3), request(1, 0xF7, {1, 1, 2, 3, 4}));
    EXPECT_TRUE(sim.state().personalMessages.empty());
    ASSERT_EQ(DeleteWord(1, 4, 9), 1);
    EXPECT_EQ(sent(4), request(1, 0xF7, {0, 0, 0, 0, 9}));
}

} // namespace
