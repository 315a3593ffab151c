// Frame helpers, BCD, day counts and text fields: the pure layer under the exports.

#include "AccessWaterAPI.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace tervox;

namespace {

TEST(Frames, RequestHeaderAndChecksum) {
    uint8_t f[15];
    std::memset(f, 0xAA, sizeof f);
    InitPacket(f, 15);
    EXPECT_EQ(f[0], 0x94);
    EXPECT_EQ(f[1], 0x3B);
    EXPECT_EQ(f[2], 0x00);
    for (int i = 3; i < 15; ++i)
        EXPECT_EQ(f[i], 0) << i;
    f[3] = 0x01;
    f[4] = 0xD0;
    SetChecksum(f, 14);
    EXPECT_EQ(f[14], 0x7E);
    EXPECT_TRUE(VerifyChecksum(f, 14));
    f[9] ^= 0x10;
    EXPECT_FALSE(VerifyChecksum(f, 14));
}

TEST(Frames, CheckReplyLooksAtTheHeaderFirst) {
    uint8_t r[15] = {0xE0, 0x7D, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0};
    SetChecksum(r, 14);
    EXPECT_EQ(CheckReply(r, 15), 0);
    r[2] ^= 0xFF; // bytes 2..4 are part of the checksum but not looked at otherwise
    SetChecksum(r, 14);
    EXPECT_EQ(CheckReply(r, 15), 0);
    r[14] ^= 1;
    EXPECT_EQ(CheckReply(r, 15), kBadChecksum);
    r[1] = 0x7E; // both wrong: the header wins
    EXPECT_EQ(CheckReply(r, 15), kBadHeader);
    SetChecksum(r, 14);
    EXPECT_EQ(CheckReply(r, 15), kBadHeader);
    EXPECT_EQ(CheckReply(r, 1), kBadHeader);
    EXPECT_EQ(CheckReply(r, 0), kBadHeader);
}

TEST(Frames, Bcd) {
    const std::pair<int, uint8_t> pairs[] = {{0, 0x00}, {9, 0x09}, {10, 0x10}, {59, 0x59}, {99, 0x99}};
    for (auto [v, b] : pairs) {
        EXPECT_EQ(IntToBcd(v), b);
        EXPECT_EQ(BcdToInt(b), v);
    }
    EXPECT_EQ(BcdToInt(0x1A), 20); // nibbles above 9 are taken as they are
    EXPECT_EQ(BcdToInt(0xFF), 165);
    for (int v = 0; v < 100; ++v)
        EXPECT_EQ(BcdToInt(IntToBcd(v)), v);
}

TEST(Frames, BigEndianFields) {
    uint8_t p[4];
    putU32(p, 0x01020304);
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[3], 4);
    EXPECT_EQ(getU32(p), 0x01020304u);
    putU32(p, 4294967295u);
    EXPECT_EQ(getU32(p), 4294967295u);
    putU16(p, 0x1FFFF); // the low 16 bits travel
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[1], 0xFF);
}

TEST(DayCount, KnownValues) {
    struct Case {
        double value;
        Civil c;
    } cases[] = {
        {0.0, {1899, 12, 30, 0, 0, 0, 0}},
        {2.5, {1900, 1, 1, 12, 0, 0, 0}},
        {-1.25, {1899, 12, 29, 6, 0, 0, 0}}, // before the origin the fraction is still the time of day
        {40178.0 + (23 * 3600 + 59 * 60 + 58) / 86400.0, {2009, 12, 31, 23, 59, 58, 0}},
        {45351.0, {2024, 2, 29, 0, 0, 0, 0}},
        {1.0 - 0.0004 / 86400, {1899, 12, 31, 0, 0, 0, 0}}, // rounding to the millisecond carries
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Civil got;
        ASSERT_TRUE(splitDayCount(c.value, got));
        EXPECT_EQ(got.year, c.c.year);
        EXPECT_EQ(got.month, c.c.month);
        EXPECT_EQ(got.day, c.c.day);
        EXPECT_EQ(got.hour, c.c.hour);
        EXPECT_EQ(got.minute, c.c.minute);
        EXPECT_EQ(got.second, c.c.second);
        double back = 0;
        ASSERT_TRUE(makeDayCount(got, back));
        EXPECT_NEAR(back, c.value, 1e-6);
    }
}

TEST(DayCount, RefusesWhatIsNoDateTime) {
    Civil c;
    for (double v : {std::nan(""), std::numeric_limits<double>::infinity(), -1e9, 3e6, 1e300})
        EXPECT_FALSE(splitDayCount(v, c)) << v;
    const Civil bad[] = {
        {2023, 2, 29, 0, 0, 0, 0}, {2100, 2, 29, 0, 0, 0, 0}, {2009, 0, 1, 0, 0, 0, 0},
        {2009, 13, 1, 0, 0, 0, 0}, {2009, 4, 31, 0, 0, 0, 0}, {2009, 1, 1, 24, 0, 0, 0},
        {2009, 1, 1, 0, 60, 0, 0}, {2009, 1, 1, 0, 0, 60, 0}, {0, 1, 1, 0, 0, 0, 0},
    };
    double out = 7;
    for (const auto& b : bad)
        EXPECT_FALSE(makeDayCount(b, out));
    EXPECT_EQ(out, 7);
    EXPECT_TRUE(makeDayCount({2000, 2, 29, 23, 59, 59, 999}, out));
}

TEST(DayCount, IsoWeekday) {
    EXPECT_EQ(isoWeekday(2024, 3, 10), 7); // Sunday
    EXPECT_EQ(isoWeekday(2024, 3, 11), 1); // Monday
    EXPECT_EQ(isoWeekday(2009, 12, 31), 4);
    EXPECT_EQ(isoWeekday(1899, 12, 30), 6);
    EXPECT_EQ(isoWeekday(1970, 1, 1), 4);
}

TEST(Clock, EncodeAndDecode) {
    uint8_t f[15] = {};
    double v = 0;
    ASSERT_TRUE(makeDayCount({2009, 12, 31, 23, 59, 58, 0}, v));
    ASSERT_TRUE(encodeClock(v, f));
    const uint8_t expected[] = {0x09, 4, 0x12, 0x31, 0x23, 0x59, 0x58};
    EXPECT_EQ(0, std::memcmp(f + 5, expected, 7));
    f[6] = 0x99; // the weekday is not read back
    double back = 0;
    ASSERT_TRUE(decodeClock(f, back));
    EXPECT_DOUBLE_EQ(back, v);
    f[7] = 0x00;
    EXPECT_FALSE(decodeClock(f, back));

    uint8_t p[4];
    ASSERT_TRUE(makeDayCount({2010, 1, 1, 0, 30, 45, 0}, v));
    ASSERT_TRUE(encodeValidity(v, p));
    EXPECT_EQ(p[0], 0x01);
    EXPECT_EQ(p[1], 0x01);
    EXPECT_EQ(p[2], 0x00);
    EXPECT_EQ(p[3], 0x30);
}

TEST(Text, FieldsArePaddedAndCut) {
    struct Case {
        std::string text;
        std::string field; // the field's bytes up to its padding
    } cases[] = {
        {"", ""},
        {"ABC", "ABC"},
        {"ABCDEFGH", "ABCDEFGH"},
        {"ABCDEFGHI", "ABCDEFGH"},
        {"\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4\xCE\xE5", "\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4"},
        {"A\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4", "A\xD5\xC5\xC8\xFD\xC0\xEE"}, // the cut would split a character
        {"ABCDEFG\xD5", "ABCDEFG\xD5"},                                     // fits: kept as given
        {"ABCDEFG\xD5\xC5", "ABCDEFG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint8_t field[10];
        std::memset(field, 0xEE, sizeof field);
        putText(field + 1, 8, c.text.c_str());
        EXPECT_EQ(field[0], 0xEE);
        EXPECT_EQ(field[9], 0xEE); // never past the field
        std::string got(reinterpret_cast<char*>(field + 1), 8);
        EXPECT_EQ(got, c.field + std::string(8 - c.field.size(), '\0'));
    }
    uint8_t field[8];
    putText(field, 8, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 8), std::string(8, '\0'));
}

TEST(Decode, PasswordAndNameCode) {
    uint8_t r[19] = {0xE0, 0x7D};
    const uint8_t pw[] = {1, 23, 0, 255, 9, 9, 9, 9};
    std::memcpy(r + 5, pw, 8);
    char out[9];
    renderPassword(r, out);
    EXPECT_STREQ(out, "12302559");

    r[5] = 0x42;
    putU32(r + 6, 0xFEDCBA98);
    std::memcpy(r + 10, "ABCDEFGH", 8);
    int32_t lead = 0;
    uint32_t card = 0;
    char name[9];
    decodeNameCode(r, lead, card, name);
    EXPECT_EQ(lead, 0x42);
    EXPECT_EQ(card, 0xFEDCBA98u);
    EXPECT_STREQ(name, "ABCDEFGH");
    r[10] = 0;
    decodeNameCode(r, lead, card, name);
    EXPECT_STREQ(name, "");
}

TEST(Decode, Modes) {
    EXPECT_EQ(modeToByte(0), 0x00);
    EXPECT_EQ(modeToByte(1), 0x01);
    EXPECT_EQ(modeToByte(2), 0x10);
    EXPECT_EQ(modeToByte(3), 0x00);
    EXPECT_EQ(modeFromByte(0x10), 2);
    EXPECT_EQ(modeFromByte(0x02), -1);
}

} // namespace
