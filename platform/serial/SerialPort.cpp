#include "SerialPort.h"

#include "io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace serial {

unsigned baudConstant(int baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
    }
}

SerialPort::~SerialPort() { close(); }

SerialPort::SerialPort(SerialPort&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), pseudo_(other.pseudo_), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        pseudo_ = other.pseudo_;
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool SerialPort::open(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    // A process started with its standard streams closed would get the device as descriptor 0..2:
    // then anything printed would go down the line, and a handle of 0 reads as "no port".
    if (fd <= 2) {
        int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        ::close(fd);
        if (moved < 0) {
            error_ = std::strerror(errno);
            return false;
        }
        fd = moved;
    }
    // Not shared: a second opener gets EBUSY, as a Windows COM port refuses a second handle.
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        error_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    struct stat st {};
    // Unix98 pseudo-terminal slaves have majors 136..143.
    pseudo_ = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
              major(st.st_rdev) <= 143;
    fd_ = fd;
    path_ = path;
    error_.clear();
    return true;
}

bool SerialPort::configure(int baud) {
    if (fd_ < 0) return false;
    unsigned speed = baudConstant(baud);
    if (speed == 0 || !detail::makeRaw(fd_, speed)) {
        error_ = speed == 0 ? "unsupported speed" : std::strerror(errno);
        return false;
    }
    return true;
}

void SerialPort::close() {
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
    path_.clear();
}

int SerialPort::bytesWaiting() const {
    if (fd_ < 0) return -1;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return -1;
    return n;
}

bool SerialPort::purgeInput() { return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0; }
bool SerialPort::purgeOutput() {
    if (fd_ < 0) return false;
    // A pseudo-terminal has no transmit queue: what was written is already on the other side, and a
    // flush there would throw away bytes the peer has not read yet.
    if (pseudo_) return true;
    return ::tcflush(fd_, TCOFLUSH) == 0;
}

long SerialPort::write(const void* data, std::size_t n) { return detail::writeAll(fd_, data, n); }
long SerialPort::readAvailable(void* buf, std::size_t n) { return detail::readAvailable(fd_, buf, n); }
long SerialPort::readFor(void* buf, std::size_t n, int timeoutMs) {
    return detail::readFor(fd_, buf, n, timeoutMs);
}

} // namespace serial
