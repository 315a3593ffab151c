// Any bytes as a reply: checking and decoding never read or write out of bounds, and what they hand
// back keeps to its fields.

#include "AccessWaterAPI.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

using namespace tervox;

namespace {

void require(bool ok) {
    if (!ok) __builtin_trap();
}

void frames(const uint8_t* data, std::size_t size) {
    for (std::size_t len : {kStandardFrame, kNameFrame, kRecordFrame}) {
        // Exactly the bytes that came, on the heap, so that a read past them is caught.
        const std::size_t got = size < len ? size : len;
        uint8_t* exact = new uint8_t[got ? got : 1];
        std::memcpy(exact, data, got);
        int32_t r = CheckReply(exact, got);
        require(r == 0 || r == kBadHeader || r == kBadChecksum);
        delete[] exact;

        uint8_t* frame = new uint8_t[len]();
        std::memcpy(frame, data, got);
        r = CheckReply(frame, len);
        require(r == 0 || r == kBadHeader || r == kBadChecksum);
        if (r == 0) require(frame[0] == 0xE0 && frame[1] == 0x7D && VerifyChecksum(frame, len - 1));

        if (len == kStandardFrame) {
            double dt = -7;
            if (decodeClock(frame, dt)) {
                Civil c;
                require(splitDayCount(dt, c) && c.year >= 2000 && c.month >= 1 && c.month <= 12);
            } else {
                require(dt == -7);
            }
            char pw[9];
            std::memset(pw, 'x', sizeof pw);
            renderPassword(frame, pw);
            require(std::strlen(pw) <= 8);
            int m = modeFromByte(frame[5]);
            require(m >= -1 && m <= 2);
        } else if (len == kNameFrame) {
            int32_t lead = 0;
            uint32_t card = 0;
            char name[9];
            decodeNameCode(frame, lead, card, name);
            require(lead >= 0 && lead <= 255 && std::strlen(name) <= 8);
        } else {
            // The caller's array holds `capacity` elements; nothing beyond them may change.
            const int capacity = size > 60 ? data[60] % 9 : 6;
            TerminalRecord* out = new TerminalRecord[capacity ? capacity : 1];
            for (int i = 0; i < capacity; ++i)
                out[i] = {0xABCDEF00u + static_cast<uint32_t>(i), -1.0};
            r = decodeRecordPage(frame, out, capacity);
            require(r == kOk || r == kBadChecksum);
            if (r == kBadChecksum)
                for (int i = 0; i < capacity; ++i)
                    require(out[i].card == 0xABCDEF00u + static_cast<uint32_t>(i));
            delete[] out;
        }
        delete[] frame;
    }
}

void text(const uint8_t* data, std::size_t size) {
    char* s = new char[size + 1];
    std::memcpy(s, data, size);
    s[size] = '\0';
    for (std::size_t n : {kNameField, kTextField}) {
        uint8_t* field = new uint8_t[n];
        putText(field, n, s);
        const std::size_t len = std::strlen(s);
        std::size_t used = 0;
        while (used < n && field[used] != 0)
            ++used;
        // The field holds a prefix of the text, all of it when it fits, and at most one byte short.
        require(std::memcmp(field, s, used) == 0);
        if (len <= n)
            require(used == len);
        else
            require(used + 1 >= n);
        for (std::size_t i = used; i < n; ++i)
            require(field[i] == 0);
        delete[] field;
    }
    delete[] s;
}

void dayCounts(const uint8_t* data, std::size_t size) {
    if (size < 8) return;
    double v;
    std::memcpy(&v, data, sizeof v);
    Civil c;
    uint8_t req[15] = {};
    uint8_t validity[4] = {};
    const bool ok = splitDayCount(v, c);
    require(encodeClock(v, req) == ok);
    require(encodeValidity(v, validity) == ok);
    if (!ok) return;
    double back = 0;
    require(makeDayCount(c, back));
    // Before the origin the day count is not monotonic (-0.5 and 0.5 are the same noon), so the fields
    // are what must survive; from the origin on, the value itself to the millisecond.
    Civil again;
    require(splitDayCount(back, again));
    require(again.year == c.year && again.month == c.month && again.day == c.day && again.hour == c.hour &&
            again.minute == c.minute && again.second == c.second && again.msec == c.msec);
    if (v >= 0) require(std::fabs(back - v) <= 0.6 / 86400000.0 + v * 1e-15);
    require(req[6] >= 1 && req[6] <= 7);
    for (int i : {7, 8, 9, 10, 11})
        require((req[i] >> 4) <= 9 && (req[i] & 0x0F) <= 9);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    frames(data, size);
    text(data, size);
    dayCounts(data, size);
    return 0;
}
