#pragma once
// The terminal link through the Tervox library: each call is the library export of the same name, on
// the library's one port. Input is purged on the port handle the library reports, and only while this
// link holds the port open, since the library keeps a closed port's old handle.

#include "TerminalLink.h"

namespace reader {

class TervoxLink : public TerminalLink {
public:
    int openPort(const std::string& path) override;
    std::intptr_t comHandle() override;
    int closePort() override;
    void purgeInput() override;
    int call(int address, int& a, int& b, int& c) override;
    int scoutInfoOnOff(int address, int onOff) override;
    int scoutInfo(int address, std::uint32_t& card) override;
    int beef(int address, int count) override;

private:
    bool open_ = false;
};

} // namespace reader
