#include "desk/reader/Frames.h"
#include "ReaderSim.h"
#include "desk/reader/SwipePrompt.h"

#include <gtest/gtest.h>

using namespace reader;
using readersim::Bytes;

namespace {

// A frame with distinct address fields, so the swap in the acknowledgement shows: card 12345,
// first field 1F 22 33, second field 44 03 55 (reader address 3).
const Bytes kKnownFrame = {0xAA, 0x1F, 0x22, 0x33, 0xB8, 0x12, 0x44, 0x03, 0x55,
                           0x43, 0x4E, 0x00, 0x00, 0x00, 0x30, 0x39, 0x7E, 0xAB};
const Bytes kKnownAck = {0xAA, 0x44, 0x03, 0x55, 0xB7, 0x0E, 0x1F, 0x22, 0x33, 0x41, 0x4B, 0x31, 0x3C, 0xAB};
const Bytes kKnownNv620Ack = {0xAA, 0x44, 0x03, 0x55, 0xB7, 0x0E, 0x1F,
                              0x22, 0x33, 0x52, 0x46, 0x41, 0x58, 0xAB};

void put(AssemblyBuffer& buf, const Bytes& b) {
    append(buf, b.data(), b.size(), true);
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(Frames, KnownFrameAcceptedAndAcknowledged) {
    AssemblyBuffer buf;
    put(buf, kKnownFrame);
    auto f = assemble(buf, FrameLetters::CardOnly);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->card(), 12345u);
    EXPECT_EQ(f->address(), 3);
    auto ack = ackFrame(*f, false);
    EXPECT_EQ(Bytes(ack.begin(), ack.end()), kKnownAck);
    auto ack620 = ackFrame(*f, true);
    EXPECT_EQ(Bytes(ack620.begin(), ack620.end()), kKnownNv620Ack);
    // The used frame stays with its first byte cleared; the next run drops it and finds nothing.
    EXPECT_EQ(buf.count, 18);
    EXPECT_EQ(buf.bytes[0], 0);
    EXPECT_FALSE(assemble(buf, FrameLetters::CardOnly));
    EXPECT_EQ(buf.count, 0);
}

TEST(Frames, SimulatorFramesMatchTheLayout) {
    // The simulator builds its frames independently; both sides must agree on every byte.
    Bytes sim = readersim::rs485Frame(12345, 3);
    AssemblyBuffer buf;
    put(buf, sim);
    auto f = assemble(buf, FrameLetters::CardOnly);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->card(), 12345u);
    EXPECT_EQ(f->address(), 3);
}

TEST(Frames, SplitFrameWaitsForTheRest) {
    AssemblyBuffer buf;
    for (std::size_t cut : {1u, 5u, 6u, 17u}) {
        buf.clear();
        append(buf, kKnownFrame.data(), cut, true);
        EXPECT_FALSE(assemble(buf, FrameLetters::CardOnly)) << cut;
        EXPECT_EQ(buf.count, static_cast<int>(cut)) << "a partial frame is kept whole, cut " << cut;
        append(buf, kKnownFrame.data() + cut, kKnownFrame.size() - cut, true);
        EXPECT_TRUE(assemble(buf, FrameLetters::CardOnly)) << cut;
    }
}

TEST(Frames, RejectedFramesAndStrayStarts) {
    struct Case {
        const char* name;
        Bytes bytes;
        FrameLetters letters;
        bool accepted;
    };
    using readersim::Fault;
    const Case cases[] = {
        {"checksum", readersim::rs485Frame(7, 1, Fault::Checksum), FrameLetters::CardOnly, false},
        {"byte 4", readersim::rs485Frame(7, 1, Fault::Byte4), FrameLetters::CardOnly, false},
        {"end byte", readersim::rs485Frame(7, 1, Fault::EndByte), FrameLetters::CardOnly, false},
        {"letters", readersim::rs485Frame(7, 1, Fault::Letters), FrameLetters::CardOnly, false},
        {"NV620 in the main window", readersim::nv620Frame(7, 1), FrameLetters::CardOnly, false},
        {"NV620 in the card window", readersim::nv620Frame(7, 1), FrameLetters::CardOrNv620, true},
        {"RS485 in the card window", readersim::rs485Frame(7, 1), FrameLetters::CardOrNv620, true},
        {"longest frame", readersim::rs485Frame(7, 1, Fault::None, 64), FrameLetters::CardOnly, true},
        {"junk first", cat({{0x00, 0x13, 0xAB, 0xFF}, readersim::rs485Frame(7, 1)}), FrameLetters::CardOnly,
         true},
        {"start without 1F", cat({{0xAA, 0x00, 0xAA}, readersim::rs485Frame(7, 1)}), FrameLetters::CardOnly,
         true},
        {"start with length 65", cat({{0xAA, 0x1F, 0x00, 0x00, 0xB8, 0x41}, readersim::rs485Frame(7, 1)}),
         FrameLetters::CardOnly, true},
        // A length too short to hold the card bytes would point the checksum and end byte into them.
        {"start with length 12", cat({{0xAA, 0x1F, 0x00, 0x00, 0xB8, 0x0C}, readersim::rs485Frame(7, 1)}),
         FrameLetters::CardOnly, true},
    };
    for (const auto& c : cases) {
        AssemblyBuffer buf;
        put(buf, c.bytes);
        // Rejections take one run each; the frame, when good, is found within a few runs.
        bool accepted = false;
        for (int run = 0; run < 4 && !accepted; ++run) {
            auto f = assemble(buf, c.letters);
            if (f) {
                accepted = true;
                EXPECT_EQ(f->card(), 7u) << c.name;
            }
        }
        EXPECT_EQ(accepted, c.accepted) << c.name;
    }
}

TEST(Frames, OneFramePerRun) {
    AssemblyBuffer buf;
    put(buf, cat({readersim::rs485Frame(1, 1), readersim::rs485Frame(2, 1)}));
    auto first = assemble(buf, FrameLetters::CardOnly);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->card(), 1u);
    auto second = assemble(buf, FrameLetters::CardOnly);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->card(), 2u);
    EXPECT_FALSE(assemble(buf, FrameLetters::CardOnly));
    EXPECT_TRUE(buf.empty());
}

TEST(Frames, BufferEmptiesAtCapacity) {
    AssemblyBuffer buf;
    Bytes junk(511, 0x55);
    Bytes frame = readersim::rs485Frame(9, 1);
    // The 512th byte empties the buffer and the rest of the read is dropped.
    EXPECT_FALSE(append(buf, cat({junk, frame}).data(), junk.size() + frame.size(), true));
    EXPECT_EQ(buf.count, 0);
    // The card window keeps appending into the emptied buffer.
    EXPECT_FALSE(append(buf, cat({junk, frame}).data(), junk.size() + frame.size(), false));
    EXPECT_EQ(buf.count, static_cast<int>(frame.size()) - 1);
    // Below the capacity nothing is lost.
    buf.clear();
    Bytes shortJunk(300, 0x55);
    EXPECT_TRUE(append(buf, cat({shortJunk, frame}).data(), shortJunk.size() + frame.size(), true));
    auto f = assemble(buf, FrameLetters::CardOnly);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->card(), 9u);
}

TEST(Frames, Rs232Decoding) {
    struct Case {
        Bytes bytes;
        std::optional<std::uint32_t> full;
        std::optional<std::uint32_t> shortForm;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x00, 0x30, 0x39, 0x69}, 12345u, 12345u},
        {{0x00, 0x00, 0x00, 0x30, 0x39, 0x68}, std::nullopt, std::nullopt}, // checksum
        {{0x05, 0x12, 0x34, 0x56, 0x78, 0x19}, 0x12345678u, 0x5678u},       // lead byte counts in the sum
        {{0x01, 0x01}, 0u, 0u},                                             // no card bytes
        {{0x01, 0x02, 0x03}, 2u, 0u},
        {{0x01, 0x02, 0x03, 0x06}, 0x0203u, 0u},
        {{0x01, 0x02, 0x03, 0x04, 0x0A}, 0x020304u, 0x04u},
        {{0x01}, std::nullopt, std::nullopt}, // a single byte
        {{}, std::nullopt, std::nullopt},
        {{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x0F}, std::nullopt, std::nullopt}, // five card bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeRs232(c.bytes.data(), c.bytes.size()), c.full) << readersim::hex(c.bytes);
        EXPECT_EQ(decodeRs232Short(c.bytes.data(), c.bytes.size()), c.shortForm) << readersim::hex(c.bytes);
    }
}

TEST(Frames, Rs232BDecoding) {
    struct Case {
        Bytes bytes;
        std::optional<std::uint64_t> value;
    };
    const Case cases[] = {
        {readersim::rs232bText("0000070000"), 70000u},
        {readersim::rs232bText("4294967295"), 4294967295u},
        {readersim::rs232bText("9999999999"), 9999999999u},
        {cat({readersim::rs232bText("0000000001"), {0x0D, 0x0A}}), 1u}, // further bytes ignored
        {readersim::rs232bText("00000 0001"), std::nullopt},
        {readersim::rs232bText("-000070000"), std::nullopt},
        {readersim::rs232bText("000007000"), std::nullopt}, // one character short
        {{0x02}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeRs232B(c.bytes.data(), c.bytes.size()), c.value) << readersim::hex(c.bytes);
}

TEST(Frames, CardDisplay) {
    EXPECT_EQ(cardDisplay(12345, 10), "0000012345");
    EXPECT_EQ(cardDisplay(12345, 6), "012345");
    EXPECT_EQ(cardDisplay(0, 10), "0000000000");
    EXPECT_EQ(cardDisplay(4464, 6), "004464");
    EXPECT_EQ(cardDisplay(4294967295u, 6), "4294967295");
    EXPECT_EQ(cardDisplay(9999999999ull, 10), "9999999999");
}

TEST(SwipePrompt, PhasesDotsAndCounter) {
    SwipePrompt p(SwipePrompt::Mode::Repeat);
    p.begin();
    EXPECT_TRUE(p.barsVisible());
    EXPECT_TRUE(p.labelVisible());
    struct Step {
        const char* label;
        std::array<bool, 4> shapes; // Shape1..Shape4
        int next;
    };
    const Step steps[] = {
        {"请刷卡.", {false, false, false, true}, 2},      {"请刷卡..", {false, false, true, true}, 3},
        {"请刷卡...", {false, true, true, true}, 4},      {"请刷卡....", {true, true, true, true}, 5},
        {"请刷卡.....", {false, false, false, false}, 1}, {"请刷卡.", {false, false, false, true}, 2},
    };
    bool visible = p.labelVisible();
    int n = 0;
    for (const auto& s : steps) {
        EXPECT_FALSE(p.tick());
        ++n;
        visible = !visible;
        EXPECT_EQ(p.labelText(), QString::fromUtf8(s.label));
        EXPECT_EQ(p.labelVisible(), visible);
        for (int shape = 1; shape <= 4; ++shape)
            EXPECT_EQ(p.shapeVisible(shape), s.shapes[static_cast<std::size_t>(shape - 1)])
                << n << " " << shape;
        EXPECT_EQ(p.phase(), s.next);
        EXPECT_EQ(p.counter(), n);
        EXPECT_EQ(p.barValue(), n);
    }
    // The main window's counter goes round: 25 shows on the bars, then it starts again.
    while (p.counter() < 24)
        p.tick();
    EXPECT_FALSE(p.tick());
    EXPECT_EQ(p.barValue(), 25);
    EXPECT_EQ(p.counter(), 0);
    p.tick();
    EXPECT_EQ(p.barValue(), 1);

    p.end();
    EXPECT_FALSE(p.barsVisible());
    EXPECT_FALSE(p.labelVisible());
    EXPECT_EQ(p.phase(), 1);
    EXPECT_EQ(p.barValue(), 1);
    for (int shape = 1; shape <= 4; ++shape)
        EXPECT_FALSE(p.shapeVisible(shape));
}

TEST(SwipePrompt, CardWindowTimesOutAtTwentyFive) {
    SwipePrompt p(SwipePrompt::Mode::TimeOut);
    for (int i = 1; i < 25; ++i)
        ASSERT_FALSE(p.tick()) << i;
    EXPECT_TRUE(p.barsVisible());
    EXPECT_TRUE(p.tick());
}

} // namespace
