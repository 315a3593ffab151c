#pragma once
// Frames, checksum, BCD, date-times and text fields of the terminal protocol: pure functions, no I/O.
// The exports build on these; tests and the fuzz target drive them directly.

#include "tervox.h"

#include <cstddef>
#include <cstdint>

namespace tervox {

constexpr std::size_t kStandardFrame = 15;
constexpr std::size_t kNameFrame = 19;
constexpr std::size_t kRecordFrame = 60;
constexpr std::size_t kPublicWordFrame = 78;
constexpr std::size_t kPersonalWordFrame = 82;
constexpr std::size_t kNameField = 8;
constexpr std::size_t kTextField = 64;
constexpr int kRecordsPerPage = 6;

// Result codes shared by every command.
enum Result : int32_t {
    kOk = 1,
    kNothingMoved = 0,
    kRefused = -1,
    kBadChecksum = -8,
    kBadHeader = -9,
    kReadFailed = -11,
    kWriteFailed = -12,
};

// Zeroes the frame and writes the request header 0x94 0x3B 0x00.
void InitPacket(uint8_t* frame, std::size_t length);
// XOR of bytes 0..n-1; SetChecksum stores it into byte n, VerifyChecksum compares with byte n.
uint8_t Xor(const uint8_t* frame, std::size_t n);
void SetChecksum(uint8_t* frame, std::size_t n);
bool VerifyChecksum(const uint8_t* frame, std::size_t n);
// 0 for a good reply of the given length, kBadHeader when bytes 0..1 are not 0xE0 0x7D (checked first),
// kBadChecksum when only the last byte is wrong. Lengths below 2 are a bad header.
int32_t CheckReply(const uint8_t* frame, std::size_t length);

// (b >> 4) * 10 + (b & 0x0F); nibbles above 9 are not rejected.
int BcdToInt(uint8_t b);
// The decimal digits of v (0..99) read as hexadecimal digits.
uint8_t IntToBcd(int v);

void putU32(uint8_t* p, uint32_t v);
uint32_t getU32(const uint8_t* p);
void putU16(uint8_t* p, uint32_t v);

// A civil date and time, as the day-count date-time splits into.
struct Civil {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};
// Splits a day count (days since 1899-12-30, time of day as the fraction). False for NaN, infinities
// and values outside years 1..9999.
bool splitDayCount(double value, Civil& out);
// Builds a day count; false when the fields do not form a valid date and time.
bool makeDayCount(const Civil& c, double& out);
// Monday 1 .. Sunday 7.
int isoWeekday(int year, int month, int day);

// Writes the NUL-terminated text into a zero-padded field of n bytes. A text longer than the field is
// cut at the field's end; a two-byte CP936 character that would lose its second half is left out whole.
void putText(uint8_t* field, std::size_t n, const char* text);

// Reply decoders. Each takes a frame that already passed CheckReply.

// Working-mode byte to mode argument: 0x00 -> 0, 0x01 -> 1, 0x10 -> 2; -1 for any other byte.
int modeFromByte(uint8_t b);
uint8_t modeToByte(int32_t mode);
// Bytes 5..11 of a clock reply (year, weekday, month, day, hour, minute, second) to a day count; false
// when the fields are no valid date and time.
bool decodeClock(const uint8_t* reply, double& out);
// Bytes 5..11 of a clock request for the given day count; false when the value is no date-time.
bool encodeClock(double value, uint8_t* request);
// Month, day, hour and minute of a day count as BCD into p[0..3]; false when the value is no date-time.
bool encodeValidity(double value, uint8_t* p);
// Bytes 5..12 of a password reply rendered in decimal, cut to 8 characters, NUL-terminated into out[9].
void renderPassword(const uint8_t* reply, char* out);
// A 19-byte name-code reply: lead byte, card, and up to 8 name bytes NUL-terminated into name[9].
void decodeNameCode(const uint8_t* reply, int32_t& lead, uint32_t& card, char* name);
// A 60-byte record page into out[0..capacity-1] (capacity at most 6 is used). Slots are decoded in
// order up to the first card 0, whose element only gets the card. Nothing is written and kBadChecksum
// returned when a slot before that holds no valid date and time; otherwise kOk.
int32_t decodeRecordPage(const uint8_t* reply, TerminalRecord* out, int capacity);

} // namespace tervox
