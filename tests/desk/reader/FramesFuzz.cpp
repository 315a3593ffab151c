// libFuzzer target over the reader frame code: the input is cut into reads of varying size that are
// appended to both kinds of assembly buffer and decoded as RS232 and RS232B reads. Every accepted frame
// and every acknowledgement must be well formed; the buffers must stay within their bounds.

#include "desk/reader/Frames.h"

#include <cstdlib>

using namespace reader;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkFrame(const Frame& f, FrameLetters letters) {
    const int n = f.length;
    check(n >= kMinFrame && n <= kMaxFrame);
    const auto& b = f.bytes;
    check(b[0] == kStart && b[1] == kFirstAddress && b[4] == kFrameMark && b[5] == n);
    check(b[static_cast<std::size_t>(n - 1)] == kEnd);
    check(sum8(b.data(), static_cast<std::size_t>(n - 2)) == b[static_cast<std::size_t>(n - 2)]);
    const bool cn = b[9] == 'C' && b[10] == 'N';
    const bool rfn = b[9] == 'R' && b[10] == 'F' && b[11] == 'N';
    check(cn || (letters == FrameLetters::CardOrNv620 && rfn));
    for (bool nv620 : {false, true}) {
        auto a = ackFrame(f, nv620);
        check(a[0] == kStart && a[4] == kAckMark && a[5] == kAckSize && a[13] == kEnd);
        check(a[2] == f.address() && sum8(a.data(), 12) == a[12]);
    }
    check(cardDisplay(f.card(), 10).size() == 10);
}

void checkDecoders(const std::uint8_t* p, std::size_t n) {
    if (auto v = decodeRs232(p, n)) {
        check(n >= 2 && n <= 6);
        if (n < 6) check(*v < (1ull << (8 * (n - 2))));
        check(cardDisplay(*v, 10).size() == 10);
    }
    if (auto v = decodeRs232Short(p, n)) check(n >= 2 && n <= 6 && *v <= 0xFFFFu);
    if (auto v = decodeRs232B(p, n)) {
        check(n >= 11 && *v <= 9999999999ull);
        check(cardDisplay(*v % 65536, 6).size() == 6);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AssemblyBuffer mainBuf;
    AssemblyBuffer cardBuf;
    std::size_t i = 0;
    while (i < size) {
        // Each read: one length byte, then that many bytes (up to the end of the input).
        std::size_t len = static_cast<std::size_t>(data[i++]) * 3;
        if (len > size - i) len = size - i;
        const std::uint8_t* p = data + i;
        i += len;
        checkDecoders(p, len);
        append(mainBuf, p, len, true);
        append(cardBuf, p, len, false);
        check(mainBuf.count >= 0 && mainBuf.count < kAssemblySize);
        check(cardBuf.count >= 0 && cardBuf.count < kAssemblySize);
        for (int run = 0; run < 3; ++run) {
            if (auto f = assemble(mainBuf, FrameLetters::CardOnly)) checkFrame(*f, FrameLetters::CardOnly);
            if (auto f = assemble(cardBuf, FrameLetters::CardOrNv620))
                checkFrame(*f, FrameLetters::CardOrNv620);
            check(mainBuf.count >= 0 && mainBuf.count < kAssemblySize);
            check(cardBuf.count >= 0 && cardBuf.count < kAssemblySize);
        }
    }
    return 0;
}
