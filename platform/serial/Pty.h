#pragma once
// A pseudo-terminal pair for the simulators and the tests: the simulator owns the master side, the code
// under test opens slavePath() like any serial device.

#include <cstddef>
#include <string>

namespace serial {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Master-side I/O: what the device sends and receives.
    long write(const void* data, std::size_t n);
    long readAvailable(void* buf, std::size_t n);
    long readFor(void* buf, std::size_t n, int timeoutMs);
    // Waits up to timeoutMs for something to read on the master; true when there is.
    bool waitReadable(int timeoutMs);

private:
    int master_ = -1;
    int holdSlave_ = -1; // keeps the slave side alive so the master never sees a hang-up
    std::string slavePath_;
};

} // namespace serial
