#include "AccessWaterAPI.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace tervox {

void InitPacket(uint8_t* frame, std::size_t length) {
    std::memset(frame, 0, length);
    frame[0] = 0x94;
    frame[1] = 0x3B;
    frame[2] = 0x00;
}

uint8_t Xor(const uint8_t* frame, std::size_t n) {
    uint8_t x = 0;
    for (std::size_t i = 0; i < n; ++i)
        x ^= frame[i];
    return x;
}

void SetChecksum(uint8_t* frame, std::size_t n) {
    frame[n] = Xor(frame, n);
}
bool VerifyChecksum(const uint8_t* frame, std::size_t n) {
    return frame[n] == Xor(frame, n);
}

int32_t CheckReply(const uint8_t* frame, std::size_t length) {
    if (length < 2 || frame[0] != 0xE0 || frame[1] != 0x7D) return kBadHeader;
    if (length < 3 || !VerifyChecksum(frame, length - 1)) return kBadChecksum;
    return 0;
}

int BcdToInt(uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

uint8_t IntToBcd(int v) {
    v %= 100;
    if (v < 0) v = -v;
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}

void putU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t getU32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void putU16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

namespace {

constexpr long long kMsPerDay = 86400000LL;
// Days from 1970-01-01 to 1899-12-30, the origin of the day count.
constexpr long long kOriginDays = -25569;
// Years 1..9999 as day counts.
constexpr double kMinDayCount = -693593.0;
constexpr double kMaxDayCount = 2958466.0;

// Proleptic Gregorian calendar, days relative to 1970-01-01.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

} // namespace

bool splitDayCount(double value, Civil& out) {
    if (!std::isfinite(value) || value < kMinDayCount || value >= kMaxDayCount) return false;
    // The whole part is the day (towards zero), the fraction's magnitude the time of day: -1.25 is
    // 1899-12-29 06:00. Time rounds to the millisecond and may carry into the next day.
    double whole = std::trunc(value);
    long long day = static_cast<long long>(whole);
    long long ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++day;
    }
    Civil c;
    civilFromDays(day + kOriginDays, c.year, c.month, c.day);
    c.hour = static_cast<int>(ms / 3600000);
    c.minute = static_cast<int>(ms / 60000 % 60);
    c.second = static_cast<int>(ms / 1000 % 60);
    c.msec = static_cast<int>(ms % 1000);
    out = c;
    return true;
}

bool makeDayCount(const Civil& c, double& out) {
    if (c.year < 1 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
        c.day > daysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59 ||
        c.second < 0 || c.second > 59 || c.msec < 0 || c.msec > 999)
        return false;
    const long long days =
        daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) - kOriginDays;
    const double t =
        static_cast<double>(((c.hour * 60LL + c.minute) * 60 + c.second) * 1000 + c.msec) / kMsPerDay;
    out = days >= 0 ? static_cast<double>(days) + t : static_cast<double>(days) - t;
    return true;
}

int isoWeekday(int year, int month, int day) {
    // 1970-01-01 was a Thursday (4).
    long long z = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    long long w = ((z % 7) + 7 + 3) % 7; // 0 = Monday
    return static_cast<int>(w) + 1;
}

void putText(uint8_t* field, std::size_t n, const char* text) {
    std::memset(field, 0, n);
    if (!text) return;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    const std::size_t len = ::strnlen(text, n + 1);
    if (len <= n) {
        std::memcpy(field, s, len);
        return;
    }
    std::size_t i = 0;
    while (i < n) {
        std::size_t w = (s[i] >= 0x81 && s[i] <= 0xFE && s[i + 1] != 0) ? 2 : 1;
        if (i + w > n) break;
        i += w;
    }
    std::memcpy(field, s, i);
}

int modeFromByte(uint8_t b) {
    switch (b) {
    case 0x00:
        return 0;
    case 0x01:
        return 1;
    case 0x10:
        return 2;
    default:
        return -1;
    }
}

uint8_t modeToByte(int32_t mode) {
    switch (mode) {
    case 1:
        return 0x01;
    case 2:
        return 0x10;
    default:
        return 0x00;
    }
}

bool decodeClock(const uint8_t* reply, double& out) {
    Civil c;
    c.year = 2000 + BcdToInt(reply[5]);
    c.month = BcdToInt(reply[7]);
    c.day = BcdToInt(reply[8]);
    c.hour = BcdToInt(reply[9]);
    c.minute = BcdToInt(reply[10]);
    c.second = BcdToInt(reply[11]);
    return makeDayCount(c, out);
}

bool encodeClock(double value, uint8_t* request) {
    Civil c;
    if (!splitDayCount(value, c)) return false;
    request[5] = IntToBcd(c.year % 100);
    request[6] = static_cast<uint8_t>(isoWeekday(c.year, c.month, c.day));
    request[7] = IntToBcd(c.month);
    request[8] = IntToBcd(c.day);
    request[9] = IntToBcd(c.hour);
    request[10] = IntToBcd(c.minute);
    request[11] = IntToBcd(c.second);
    return true;
}

bool encodeValidity(double value, uint8_t* p) {
    Civil c;
    if (!splitDayCount(value, c)) return false;
    p[0] = IntToBcd(c.month);
    p[1] = IntToBcd(c.day);
    p[2] = IntToBcd(c.hour);
    p[3] = IntToBcd(c.minute);
    return true;
}

void renderPassword(const uint8_t* reply, char* out) {
    std::string text;
    for (int i = 5; i <= 12; ++i)
        text += std::to_string(reply[i]);
    text.resize(std::min<std::size_t>(text.size(), 8));
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
}

void decodeNameCode(const uint8_t* reply, int32_t& lead, uint32_t& card, char* name) {
    lead = reply[5];
    card = getU32(reply + 6);
    std::size_t n = 0;
    while (n < kNameField && reply[10 + n] != 0) {
        name[n] = static_cast<char>(reply[10 + n]);
        ++n;
    }
    name[n] = '\0';
}

int32_t decodeRecordPage(const uint8_t* reply, TerminalRecord* out, int capacity) {
    if (capacity > kRecordsPerPage) capacity = kRecordsPerPage;
    TerminalRecord page[kRecordsPerPage] = {};
    int filled = 0;   // elements fully decoded
    bool end = false; // element `filled` gets only its card 0
    for (int i = 0; i < capacity; ++i) {
        const uint8_t* slot = reply + 5 + 9 * i;
        page[i].card = getU32(slot);
        if (page[i].card == 0) {
            end = true;
            break;
        }
        Civil c;
        c.year = 2000 + BcdToInt(slot[4]);
        c.month = BcdToInt(slot[5]);
        c.day = BcdToInt(slot[6]);
        c.hour = BcdToInt(slot[7]);
        c.minute = BcdToInt(slot[8]);
        if (!makeDayCount(c, page[i].dateTime)) return kBadChecksum;
        ++filled;
    }
    for (int i = 0; i < filled; ++i)
        out[i] = page[i];
    if (end) out[filled].card = 0;
    return kOk;
}

} // namespace tervox
