#include "Frames.h"

#include <cstring>

namespace reader {

namespace {

void dropFirst(AssemblyBuffer& buf) {
    if (buf.count <= 0) return;
    std::memmove(buf.bytes.data(), buf.bytes.data() + 1, static_cast<std::size_t>(buf.count - 1));
    --buf.count;
    buf.bytes[static_cast<std::size_t>(buf.count)] = 0;
}

// A start byte whose neighbours already show it cannot begin a frame. Bytes not yet received are not
// judged: the start waits for them.
bool badStart(const AssemblyBuffer& buf) {
    if (buf.count >= 2 && buf.bytes[1] != kFirstAddress) return true;
    if (buf.count >= 6 && (buf.bytes[5] > kMaxFrame || buf.bytes[5] < kMinFrame)) return true;
    return false;
}

bool lettersOk(const AssemblyBuffer& buf, FrameLetters letters) {
    const auto& b = buf.bytes;
    if (b[9] == 'C' && b[10] == 'N') return true;
    return letters == FrameLetters::CardOrNv620 && b[9] == 'R' && b[10] == 'F' && b[11] == 'N';
}

std::uint32_t bigEndian(const std::uint8_t* p, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

bool append(AssemblyBuffer& buf, const std::uint8_t* data, std::size_t n, bool stopAtOverflow) {
    bool ok = true;
    for (std::size_t i = 0; i < n; ++i) {
        buf.bytes[static_cast<std::size_t>(buf.count++)] = data[i];
        if (buf.count >= kAssemblySize) {
            buf.clear();
            ok = false;
            if (stopAtOverflow) break;
        }
    }
    return ok;
}

std::uint32_t Frame::card() const {
    return bigEndian(bytes.data() + 12, 4);
}

std::optional<Frame> assemble(AssemblyBuffer& buf, FrameLetters letters) {
    for (;;) {
        if (buf.count == 0) return std::nullopt;
        if (buf.bytes[0] == kStart && !badStart(buf)) break;
        dropFirst(buf);
    }
    if (buf.count < 6) return std::nullopt;
    const int len = buf.bytes[5];
    if (buf.count < len) return std::nullopt;
    auto& b = buf.bytes;
    if (b[4] != kFrameMark || b[static_cast<std::size_t>(len - 1)] != kEnd) {
        b[0] = 0;
        return std::nullopt;
    }
    const std::uint8_t sum = sum8(b.data(), static_cast<std::size_t>(len - 2));
    Frame frame;
    std::memcpy(frame.bytes.data(), b.data(), static_cast<std::size_t>(len));
    frame.length = len;
    // From here the frame is used, whatever follows.
    b[0] = 0;
    if (sum != b[static_cast<std::size_t>(len - 2)]) return std::nullopt;
    if (!lettersOk(buf, letters)) return std::nullopt;
    return frame;
}

std::array<std::uint8_t, kAckSize> ackFrame(const Frame& frame, bool nv620Letters) {
    std::array<std::uint8_t, kAckSize> a{};
    const auto& f = frame.bytes;
    a[0] = kStart;
    a[1] = f[6];
    a[2] = f[7];
    a[3] = f[8];
    a[4] = kAckMark;
    a[5] = kAckSize;
    a[6] = f[1];
    a[7] = f[2];
    a[8] = f[3];
    if (nv620Letters) {
        a[9] = 'R';
        a[10] = 'F';
        a[11] = 'A';
    } else {
        a[9] = 'A';
        a[10] = 'K';
        a[11] = '1';
    }
    a[12] = sum8(a.data(), 12);
    a[13] = kEnd;
    return a;
}

std::uint8_t sum8(const std::uint8_t* data, std::size_t n) {
    unsigned s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += data[i];
    return static_cast<std::uint8_t>(s & 0xFF);
}

namespace {
bool rs232Valid(const std::uint8_t* data, std::size_t n) {
    if (n < 2 || n > 6) return false;
    return sum8(data, n - 1) == data[n - 1];
}
} // namespace

std::optional<std::uint32_t> decodeRs232(const std::uint8_t* data, std::size_t n) {
    if (!rs232Valid(data, n)) return std::nullopt;
    return bigEndian(data + 1, n - 2);
}

std::optional<std::uint32_t> decodeRs232Short(const std::uint8_t* data, std::size_t n) {
    if (!rs232Valid(data, n)) return std::nullopt;
    if (n < 5) return 0u;
    return bigEndian(data + 3, n - 4);
}

std::optional<std::uint64_t> decodeRs232B(const std::uint8_t* data, std::size_t n) {
    if (n < 11) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 1; i <= 10; ++i) {
        if (data[i] < '0' || data[i] > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(data[i] - '0');
    }
    return v;
}

std::string cardDisplay(std::uint64_t value, int digits) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return s;
}

} // namespace reader
