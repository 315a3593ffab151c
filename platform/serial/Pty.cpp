#include "Pty.h"

#include "io.h"

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace serial {

PtyPair::PtyPair() {
    int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m < 0) return;
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0) {
        ::close(m);
        return;
    }
    char name[128] = {};
    if (::ptsname_r(m, name, sizeof name) != 0) {
        ::close(m);
        return;
    }
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        ::close(m);
        return;
    }
    // Raw from the start: a fresh slave echoes and translates, which would corrupt binary frames.
    detail::makeRaw(s, 0);
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
    master_ = m;
    holdSlave_ = s;
    slavePath_ = name;
}

PtyPair::~PtyPair() {
    if (holdSlave_ >= 0) ::close(holdSlave_);
    if (master_ >= 0) ::close(master_);
}

long PtyPair::write(const void* data, std::size_t n) { return detail::writeAll(master_, data, n); }
long PtyPair::readAvailable(void* buf, std::size_t n) { return detail::readAvailable(master_, buf, n); }
long PtyPair::readFor(void* buf, std::size_t n, int timeoutMs) {
    return detail::readFor(master_, buf, n, timeoutMs);
}
bool PtyPair::waitReadable(int timeoutMs) { return detail::waitReadable(master_, timeoutMs); }

} // namespace serial
