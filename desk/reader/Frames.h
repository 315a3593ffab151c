#pragma once
// Byte-level handling of what serial card readers send: RS485 and NV620 frames gathered across polls in
// an AssemblyBuffer, the 14-byte acknowledgement, RS232 frames with an additive checksum, RS232B decimal
// digits, and the zero-padded card text. No Qt here, so the fuzz target builds from this file alone.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace reader {

// What one poll reads at most; more waiting bytes than this are discarded unread.
constexpr int kReadBufferSize = 2048;
// Capacity of the assembly buffer; reaching it empties the buffer.
constexpr int kAssemblySize = 512;
// Frame length limits. A frame must reach past its card bytes (12..15) to its checksum and end byte.
constexpr int kMaxFrame = 64;
constexpr int kMinFrame = 18;
constexpr int kAckSize = 14;

constexpr std::uint8_t kStart = 0xAA;
constexpr std::uint8_t kEnd = 0xAB;
constexpr std::uint8_t kFirstAddress = 0x1F;
constexpr std::uint8_t kFrameMark = 0xB8;
constexpr std::uint8_t kAckMark = 0xB7;

// Bytes kept between polls until a frame is complete.
struct AssemblyBuffer {
    std::array<std::uint8_t, kAssemblySize> bytes{};
    int count = 0;

    void clear() {
        bytes.fill(0);
        count = 0;
    }
    bool empty() const { return count == 0; }
};

// Appends n bytes one by one. When the count reaches the capacity the buffer is emptied; with
// stopAtOverflow the rest of the data is then dropped, otherwise appending goes on into the emptied
// buffer. Returns false when the buffer overflowed at least once.
bool append(AssemblyBuffer& buf, const std::uint8_t* data, std::size_t n, bool stopAtOverflow);

// Which card letters a frame may carry: the main window takes only "CN" (RS485 reader); the card
// window also takes "RFN" (NV620 terminal).
enum class FrameLetters { CardOnly, CardOrNv620 };

// An accepted frame, copied out of the assembly buffer.
struct Frame {
    std::array<std::uint8_t, kMaxFrame> bytes{};
    int length = 0;

    std::uint8_t address() const { return bytes[7]; }
    std::uint32_t card() const;
    bool nv620() const { return bytes[9] == 'R'; }
};

// One run of the frame assembly over the buffer after new bytes were appended. Drops bytes before a
// start byte, waits while a frame is incomplete, and rejects at most one frame per run. A checked frame
// (accepted or not) keeps its place with its first byte cleared, so the next run drops it and a second
// frame that arrived with it is handled by that next run.
std::optional<Frame> assemble(AssemblyBuffer& buf, FrameLetters letters);

// The acknowledgement of an accepted frame: the two address fields swapped, letters "AK1", or "RFA"
// for an NV620 terminal, checksum and end byte.
std::array<std::uint8_t, kAckSize> ackFrame(const Frame& frame, bool nv620Letters);

// Sum of the bytes modulo 256.
std::uint8_t sum8(const std::uint8_t* data, std::size_t n);

// An RS232 frame: byte 0 any, card bytes 1..n-2 most significant first, byte n-1 the sum of bytes
// 0..n-2. Empty when the checksum is wrong, when fewer than 2 bytes came, or when more than 4 card
// bytes came (they would not fit a card number).
std::optional<std::uint32_t> decodeRs232(const std::uint8_t* data, std::size_t n);
// The card window's short form of an RS232 frame: the same checks, but only bytes 3..n-2 make the
// number (0 when fewer than 5 bytes came).
std::optional<std::uint32_t> decodeRs232Short(const std::uint8_t* data, std::size_t n);

// An RS232B frame: byte 0 any, bytes 1..10 ten ASCII decimal digits, the rest ignored. Empty when fewer
// than 11 bytes came or a character is not a digit.
std::optional<std::uint64_t> decodeRs232B(const std::uint8_t* data, std::size_t n);

// The number in decimal, zeros in front up to the given width; a longer number stays whole.
std::string cardDisplay(std::uint64_t value, int digits);

} // namespace reader
