#include "Link.h"

#include "serial/SerialPort.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace tervox::link {

namespace {

// One per process, created zeroed when the library is loaded. The stored handle is what
// GetComHandle reports; the port object is what commands use, so a command after ClosePort fails at
// the write instead of writing to whatever file later reused the descriptor number.
struct State {
    serial::SerialPort port;
    bool open = false;
    int32_t handle = 0;
    uint8_t request[kStandardFrame] = {};
    uint8_t reply[kStandardFrame] = {};
};

State& state() {
    static State s;
    return s;
}

constexpr int32_t kInvalidHandle = -1;

} // namespace

std::string devicePath(const char* portName) {
    std::string name = portName ? portName : "";
    if (name.size() > 3 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(name[2])) == 'M' && name.size() <= 6) {
        bool digits = true;
        for (std::size_t i = 3; i < name.size(); ++i)
            digits = digits && std::isdigit(static_cast<unsigned char>(name[i]));
        int n = digits ? std::atoi(name.c_str() + 3) : 0;
        if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
    }
    return name;
}

int32_t openPort(const char* portName) {
    State& s = state();
    if (s.open) return 2;
    if (!s.port.open(devicePath(portName))) {
        s.handle = kInvalidHandle;
        return 0;
    }
    s.handle = s.port.fd();
    // 9600 8N1, raw bytes. Read time-outs are applied per read (1 ms per wanted byte), so there is no
    // separate time-out setting that could fail here.
    if (!s.port.configure(9600)) {
        // Leaving the device open would lock it against the next attempt.
        s.port.close();
        return 0;
    }
    s.open = true;
    return 1;
}

int32_t closePort() {
    State& s = state();
    if (!s.open) return 2;
    s.port.close();
    s.open = false;
    return 1;
}

int32_t handle() {
    return state().handle;
}

long send(const uint8_t* frame, std::size_t n) {
    serial::SerialPort& port = state().port;
    if (!port.isOpen()) return -1;
    // Whatever waits in the input queue now is the rest of an earlier reply or noise. Read as the start
    // of this reply it would shift every later reply by the same bytes, so that each command decoded
    // its predecessor's reply, or failed, from then on.
    port.purgeInput();
    port.purgeOutput();
    return port.write(frame, n);
}

long receive(uint8_t* buffer, std::size_t n, int waitMs) {
    if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
    serial::SerialPort& port = state().port;
    if (!port.isOpen()) return -1;
    return port.readFor(buffer, n, static_cast<int>(n));
}

int32_t sendResult(long written, std::size_t n, int32_t failCode) {
    if (written == static_cast<long>(n)) return kOk;
    if (written < 0 || written == 1) return failCode;
    return static_cast<int32_t>(written);
}

int32_t receiveResult(long got, std::size_t n) {
    if (got == static_cast<long>(n)) return kOk;
    if (got < 0) return kReadFailed;
    if (got == 1) return kBadHeader;
    return static_cast<int32_t>(got);
}

uint8_t* beginRequest(int32_t address, uint8_t code) {
    State& s = state();
    InitPacket(s.request, kStandardFrame);
    std::memset(s.reply, 0, kStandardFrame);
    s.request[3] = static_cast<uint8_t>(address & 0xFF);
    s.request[4] = code;
    return s.request;
}

uint8_t* reply() {
    return state().reply;
}

namespace {

int32_t readStandardReply(int waitMs) {
    State& s = state();
    int32_t r = receiveResult(receive(s.reply, kStandardFrame, waitMs), kStandardFrame);
    if (r != kOk) return r;
    int32_t check = CheckReply(s.reply, kStandardFrame);
    return check != 0 ? check : kOk;
}

} // namespace

int32_t exchange(int waitMs, bool writeOnly) {
    State& s = state();
    SetChecksum(s.request, kStandardFrame - 1);
    int32_t r = sendResult(send(s.request, kStandardFrame), kStandardFrame, kWriteFailed);
    if (r != kOk || writeOnly) return r;
    return readStandardReply(waitMs);
}

int32_t longRequest(uint8_t* frame, std::size_t n) {
    std::memset(state().reply, 0, kStandardFrame);
    SetChecksum(frame, n - 1);
    int32_t r = sendResult(send(frame, n), n, kNothingMoved);
    if (r != kOk) return r;
    return readStandardReply(100);
}

int32_t longReply(uint8_t* into, std::size_t n, int waitMs) {
    State& s = state();
    SetChecksum(s.request, kStandardFrame - 1);
    int32_t r = sendResult(send(s.request, kStandardFrame), kStandardFrame, kWriteFailed);
    if (r != kOk) return r;
    r = receiveResult(receive(into, n, waitMs), n);
    if (r != kOk) return r;
    int32_t check = CheckReply(into, n);
    return check != 0 ? check : kOk;
}

} // namespace tervox::link
