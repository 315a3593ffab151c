#pragma once
// A serial line as the desk, the terminal library and the SMS driver use it: an existing device opened
// read-write, 9600 8N1 raw, reads of what is waiting or up to a deadline. No Qt, no exceptions.

#include <cstddef>
#include <string>

namespace serial {

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    SerialPort(SerialPort&& other) noexcept;
    SerialPort& operator=(SerialPort&& other) noexcept;

    // Opens an existing device for reading and writing, exclusively. Does not change its settings.
    bool open(const std::string& path);
    // Changes the line to the given speed, 8 data bits, no parity, 1 stop bit, raw bytes.
    bool configure(int baud = 9600);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // errno text of the last failure, for logs and messages.
    const std::string& lastError() const { return error_; }

    // Received bytes waiting to be read; -1 when the port is closed or the query fails.
    int bytesWaiting() const;
    bool purgeInput();
    // Discards written bytes not yet sent. On a pseudo-terminal everything written has been delivered,
    // so there is nothing to discard.
    bool purgeOutput();

    // Writes all bytes (waiting while the line is busy); returns the count written or -1.
    long write(const void* data, std::size_t n);
    // Reads at most n bytes that are waiting now, never blocks; 0 when none, -1 on error.
    long readAvailable(void* buf, std::size_t n);
    // Reads until n bytes arrived or timeoutMs passed (monotonic clock, EINTR-safe); returns the count
    // read (possibly short) or -1 on error.
    long readFor(void* buf, std::size_t n, int timeoutMs);

private:
    int fd_ = -1;
    bool pseudo_ = false;
    std::string path_;
    std::string error_;
};

// Maps a baud figure to its termios constant; 0 when the speed is not supported.
unsigned baudConstant(int baud);

} // namespace serial
