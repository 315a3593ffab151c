#include "io.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace serial::detail {

namespace {
using Clock = std::chrono::steady_clock;
}

long writeAll(int fd, const void* data, std::size_t n) {
    if (fd < 0) return -1;
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd, p + done, n - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd pfd{fd, POLLOUT, 0};
            if (::poll(&pfd, 1, 1000) <= 0) return done ? static_cast<long>(done) : -1;
            continue;
        }
        return done ? static_cast<long>(done) : -1;
    }
    return static_cast<long>(done);
}

long readAvailable(int fd, void* buf, std::size_t n) {
    if (fd < 0) return -1;
    if (n == 0) return 0;
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        int r = ::poll(&pfd, 1, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0 || !(pfd.revents & POLLIN)) return (pfd.revents & (POLLERR | POLLNVAL)) ? -1 : 0;
        ssize_t got = ::read(fd, buf, n);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return got < 0 ? -1 : static_cast<long>(got);
    }
}

long readFor(int fd, void* buf, std::size_t n, int timeoutMs) {
    if (fd < 0) return -1;
    auto* p = static_cast<unsigned char*>(buf);
    std::size_t done = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (done < n) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) left = 0;
        pollfd pfd{fd, POLLIN, 0};
        int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return done ? static_cast<long>(done) : -1;
        if (r == 0) break; // deadline
        if (!(pfd.revents & POLLIN)) {
            if (pfd.revents & (POLLERR | POLLNVAL)) return done ? static_cast<long>(done) : -1;
            if (Clock::now() >= deadline) break;
            // A hang-up without data: wait out the deadline rather than spin.
            ::usleep(1000);
            continue;
        }
        ssize_t got = ::read(fd, p + done, n - done);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (got < 0) return done ? static_cast<long>(done) : -1;
        if (got == 0) {
            // End of file with a hang-up: the other side of the line is gone, and the read failed.
            if (pfd.revents & (POLLHUP | POLLERR)) return done ? static_cast<long>(done) : -1;
            if (Clock::now() >= deadline) break;
            ::usleep(1000);
            continue;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long>(done);
}

bool waitReadable(int fd, int timeoutMs) {
    if (fd < 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0) left = 0;
        pollfd pfd{fd, POLLIN, 0};
        int r = ::poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        return r > 0 && (pfd.revents & POLLIN);
    }
}

bool makeRaw(int fd, unsigned speed) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (speed != 0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace serial::detail
