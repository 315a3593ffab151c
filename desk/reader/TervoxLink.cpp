#include "TervoxLink.h"

#include "tervox/tervox.h"

#include <termios.h>

namespace reader {

int TervoxLink::openPort(const std::string& path) {
    const int r = OpenPort(path.c_str());
    if (r == 1 || r == 2) open_ = true;
    return r;
}

std::intptr_t TervoxLink::comHandle() {
    return GetComHandle();
}

int TervoxLink::closePort() {
    const int r = ClosePort();
    if (r == 1 || r == 2) open_ = false;
    return r;
}

void TervoxLink::purgeInput() {
    const int fd = GetComHandle();
    if (open_ && fd > 0) ::tcflush(fd, TCIFLUSH);
}

int TervoxLink::call(int address, int& a, int& b, int& c) {
    int32_t va = a, vb = b, vc = c;
    const int r = Call(address, &va, &vb, &vc);
    a = va;
    b = vb;
    c = vc;
    return r;
}

int TervoxLink::scoutInfoOnOff(int address, int onOff) {
    return ScoutInfoOnOff(address, onOff);
}

int TervoxLink::scoutInfo(int address, std::uint32_t& card) {
    uint32_t v = card;
    const int r = ScoutInfo(address, &v);
    card = v;
    return r;
}

int TervoxLink::beef(int address, int count) {
    return Beef(address, count);
}

} // namespace reader
