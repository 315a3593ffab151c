#pragma once
// A simulated serial card reader on a pseudo-terminal. It owns the master side; the desk opens
// slavePath() like any serial device. It writes frames of every reader kind (RS485 with its address,
// RS232, RS232B, NV620), spoilt ones and noise, and parses the 14-byte acknowledgements it gets back.
// Frames are built here on their own, not with the desk's frame code, so the two check each other.

#include "serial/Pty.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace readersim {

using Bytes = std::vector<std::uint8_t>;
using TimePoint = std::chrono::steady_clock::time_point;

enum class Kind { RS485, RS232, RS232B, NV620 };
std::optional<Kind> parseKind(const std::string& text); // case-insensitive
const char* kindName(Kind kind);

// Spoilt frames for the error paths.
enum class Fault { None, Checksum, Byte4, EndByte, Letters };
std::optional<Fault> parseFault(const std::string& text);

// An RS485 reader frame: 0xAA, 0x1F 0x00 0x00, 0xB8, length, 0x00 address 0x00, "CN", 0x00, the card
// (4 bytes, most significant first), zero padding up to the length, checksum, 0xAB.
Bytes rs485Frame(std::uint32_t card, std::uint8_t address, Fault fault = Fault::None, int length = 18);
// The same layout with "RFN" in bytes 9..11, as an NV620 terminal sends it.
Bytes nv620Frame(std::uint32_t card, std::uint8_t address, Fault fault = Fault::None);
// An RS232 frame: a lead byte, cardBytes bytes of the card (most significant first), the sum.
Bytes rs232Frame(std::uint64_t card, int cardBytes = 4, std::uint8_t lead = 0, Fault fault = Fault::None);
// An RS232B frame: a lead byte, then ten ASCII characters (the number zero-padded to ten digits).
Bytes rs232bFrame(std::uint64_t card, std::uint8_t lead = 0x02);
Bytes rs232bText(const std::string& tenChars, std::uint8_t lead = 0x02);
// The frame of the given kind for a card (address only for RS485 and NV620).
Bytes frameFor(Kind kind, std::uint64_t card, std::uint8_t address, Fault fault = Fault::None);
Bytes randomBytes(std::size_t n, std::mt19937& rng);
std::string hex(const std::uint8_t* data, std::size_t n);
inline std::string hex(const Bytes& b) {
    return hex(b.data(), b.size());
}

// An acknowledgement as it came back.
struct Ack {
    std::array<std::uint8_t, 14> bytes{};
    bool checksumOk = false;
    TimePoint at{};
    int address() const { return bytes[2]; } // the frame's byte 7 comes back in byte 2
    std::string letters() const { return std::string(bytes.begin() + 9, bytes.begin() + 12); }
};

class ReaderSim {
public:
    ReaderSim() = default;
    ReaderSim(const ReaderSim&) = delete;
    ReaderSim& operator=(const ReaderSim&) = delete;

    bool ok() const { return pty_.ok(); }
    const std::string& slavePath() const { return pty_.slavePath(); }

    // Writes the bytes in one go; returns the moment the last byte was handed to the line.
    TimePoint send(const Bytes& bytes);
    // Writes the first `first` bytes, pauses, then the rest.
    TimePoint sendSplit(const Bytes& bytes, std::size_t first, int pauseMs);

    // Reads what the desk sent for up to timeoutMs, returning at the first complete acknowledgement.
    std::optional<Ack> waitAck(int timeoutMs);
    // Reads for the whole time; every acknowledgement found is kept for takeAcks().
    void listen(int ms);
    std::vector<Ack> takeAcks();
    // Bytes the desk sent that are not part of an acknowledgement.
    std::size_t strayBytes() const { return stray_; }
    // Everything the desk has sent, in order.
    const Bytes& received() const { return received_; }

private:
    void pump(int timeoutMs);
    void parse(TimePoint at);

    serial::PtyPair pty_;
    Bytes rx_;
    Bytes received_;
    std::deque<Ack> acks_;
    std::size_t stray_ = 0;
};

} // namespace readersim
