#include "ReaderSim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <thread>

namespace readersim {

namespace {

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::uint8_t sum(const std::uint8_t* p, std::size_t n) {
    unsigned s = 0;
    while (n--)
        s += *p++;
    return static_cast<std::uint8_t>(s);
}

Bytes addressedFrame(std::uint32_t card, std::uint8_t address, Fault fault, int length, bool nv620) {
    length = std::clamp(length, 18, 255);
    Bytes f(static_cast<std::size_t>(length), 0);
    f[0] = 0xAA;
    f[1] = 0x1F;
    f[4] = 0xB8;
    f[5] = static_cast<std::uint8_t>(length);
    f[7] = address;
    if (nv620) {
        f[9] = 'R';
        f[10] = 'F';
        f[11] = 'N';
    } else {
        f[9] = 'C';
        f[10] = 'N';
    }
    for (int i = 0; i < 4; ++i)
        f[12 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(card >> (24 - 8 * i));
    if (fault == Fault::Letters) f[9] = 'X';
    if (fault == Fault::Byte4) f[4] = 0xB9;
    const auto n = f.size();
    f[n - 2] = sum(f.data(), n - 2);
    f[n - 1] = 0xAB;
    if (fault == Fault::Checksum) f[n - 2] = static_cast<std::uint8_t>(f[n - 2] + 1);
    if (fault == Fault::EndByte) f[n - 1] = 0xAC;
    return f;
}

} // namespace

std::optional<Kind> parseKind(const std::string& text) {
    const std::string t = upper(text);
    if (t == "RS485") return Kind::RS485;
    if (t == "RS232") return Kind::RS232;
    if (t == "RS232B") return Kind::RS232B;
    if (t == "NV620") return Kind::NV620;
    return std::nullopt;
}

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::RS485:
        return "RS485";
    case Kind::RS232:
        return "RS232";
    case Kind::RS232B:
        return "RS232B";
    case Kind::NV620:
        return "NV620";
    }
    return "?";
}

std::optional<Fault> parseFault(const std::string& text) {
    const std::string t = upper(text);
    if (t == "NONE") return Fault::None;
    if (t == "CHECKSUM") return Fault::Checksum;
    if (t == "BYTE4") return Fault::Byte4;
    if (t == "END") return Fault::EndByte;
    if (t == "LETTERS") return Fault::Letters;
    return std::nullopt;
}

Bytes rs485Frame(std::uint32_t card, std::uint8_t address, Fault fault, int length) {
    return addressedFrame(card, address, fault, length, false);
}

Bytes nv620Frame(std::uint32_t card, std::uint8_t address, Fault fault) {
    return addressedFrame(card, address, fault, 18, true);
}

Bytes rs232Frame(std::uint64_t card, int cardBytes, std::uint8_t lead, Fault fault) {
    Bytes f;
    f.push_back(lead);
    for (int i = cardBytes - 1; i >= 0; --i)
        f.push_back(static_cast<std::uint8_t>(card >> (8 * i)));
    f.push_back(sum(f.data(), f.size()));
    if (fault == Fault::Checksum) f.back() = static_cast<std::uint8_t>(f.back() + 1);
    return f;
}

Bytes rs232bText(const std::string& tenChars, std::uint8_t lead) {
    Bytes f;
    f.push_back(lead);
    for (char c : tenChars)
        f.push_back(static_cast<std::uint8_t>(c));
    return f;
}

Bytes rs232bFrame(std::uint64_t card, std::uint8_t lead) {
    char text[32];
    std::snprintf(text, sizeof text, "%010llu", static_cast<unsigned long long>(card));
    return rs232bText(text, lead);
}

Bytes frameFor(Kind kind, std::uint64_t card, std::uint8_t address, Fault fault) {
    switch (kind) {
    case Kind::RS485:
        return rs485Frame(static_cast<std::uint32_t>(card), address, fault);
    case Kind::NV620:
        return nv620Frame(static_cast<std::uint32_t>(card), address, fault);
    case Kind::RS232:
        return rs232Frame(card, 4, 0, fault);
    case Kind::RS232B:
        return rs232bFrame(card);
    }
    return {};
}

Bytes randomBytes(std::size_t n, std::mt19937& rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(byte(rng));
    return b;
}

std::string hex(const std::uint8_t* data, std::size_t n) {
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", data[i]);
        s += buf;
    }
    return s;
}

TimePoint ReaderSim::send(const Bytes& bytes) {
    pty_.write(bytes.data(), bytes.size());
    return std::chrono::steady_clock::now();
}

TimePoint ReaderSim::sendSplit(const Bytes& bytes, std::size_t first, int pauseMs) {
    first = std::min(first, bytes.size());
    pty_.write(bytes.data(), first);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    pty_.write(bytes.data() + first, bytes.size() - first);
    return std::chrono::steady_clock::now();
}

void ReaderSim::pump(int timeoutMs) {
    if (!pty_.waitReadable(timeoutMs)) return;
    std::uint8_t buf[512];
    for (;;) {
        long n = pty_.readAvailable(buf, sizeof buf);
        if (n <= 0) break;
        const auto at = std::chrono::steady_clock::now();
        rx_.insert(rx_.end(), buf, buf + n);
        received_.insert(received_.end(), buf, buf + n);
        parse(at);
    }
}

void ReaderSim::parse(TimePoint at) {
    std::size_t i = 0;
    while (i < rx_.size()) {
        if (rx_[i] != 0xAA) {
            ++i;
            ++stray_;
            continue;
        }
        if (rx_.size() - i < 14) break;
        const std::uint8_t* p = rx_.data() + i;
        if (p[4] != 0xB7 || p[5] != 0x0E || p[13] != 0xAB) {
            ++i;
            ++stray_;
            continue;
        }
        Ack a;
        std::copy(p, p + 14, a.bytes.begin());
        a.checksumOk = sum(p, 12) == p[12];
        a.at = at;
        acks_.push_back(a);
        i += 14;
    }
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(i));
}

std::optional<Ack> ReaderSim::waitAck(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (acks_.empty()) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) break;
        pump(static_cast<int>(left));
    }
    if (acks_.empty()) return std::nullopt;
    Ack a = acks_.front();
    acks_.pop_front();
    return a;
}

void ReaderSim::listen(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) break;
        pump(static_cast<int>(left));
    }
}

std::vector<Ack> ReaderSim::takeAcks() {
    pump(0);
    std::vector<Ack> out(acks_.begin(), acks_.end());
    acks_.clear();
    return out;
}

} // namespace readersim
