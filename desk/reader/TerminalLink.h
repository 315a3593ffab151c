#pragma once
// The NV820 terminal as the reading sessions use it: the terminal library's one port and the few
// commands of realtime card reading. TervoxLink calls the library; tests may put a link over the
// simulated terminal the same way.

#include <cstdint>
#include <string>

namespace reader {

class TerminalLink {
public:
    virtual ~TerminalLink() = default;

    // The library's own results: OpenPort 1 opened, 2 already open, 0 or -1 failed.
    virtual int openPort(const std::string& path) = 0;
    // The library's port handle; 0 when it was never opened.
    virtual std::intptr_t comHandle() = 0;
    virtual int closePort() = 0;
    // Discards bytes waiting on the library's port.
    virtual void purgeInput() = 0;

    virtual int call(int address, int& a, int& b, int& c) = 0;
    virtual int scoutInfoOnOff(int address, int onOff) = 0;
    virtual int scoutInfo(int address, std::uint32_t& card) = 0;
    virtual int beef(int address, int count) = 0;
};

} // namespace reader
