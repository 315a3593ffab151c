#pragma once
// A simulated NV820 terminal on the master side of a pseudo-terminal. The code under test opens
// devicePath() like a serial port; a thread of the simulator reads request frames, keeps the
// terminal's state and answers as the terminal would, optionally paced at 9600 baud and with scripted
// faults. No Qt: plain C++ over platform/serial.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace serial {
class PtyPair;
}

namespace nv820 {

enum class FaultKind {
    None,
    NoAnswer,      // the request is taken, no reply is sent
    Late,          // the reply is sent param ms late
    Short,         // only the first param bytes of the reply (param outside 2..n-1: n-1)
    WrongHeader,   // byte 0 of the reply is wrong, its checksum right
    WrongChecksum, // the last byte of the reply is wrong
    OneByte,       // only the first byte of the reply
    Garbage,       // as many noise bytes as the reply would have
    Flood,         // the reply, then param noise bytes at the line's byte rate: a reply that goes on
    HangUp,        // the terminal's side of the line goes away instead of replying
};

struct Fault {
    FaultKind kind = FaultKind::None;
    int param = 0;
};

// Parses "no-answer", "late:300", "short:7", "wrong-header", "wrong-checksum", "one-byte", "garbage",
// "flood:500", "hang-up"; nullopt for anything else.
std::optional<Fault> parseFault(const std::string& text);

struct StoredRecord {
    uint32_t card = 0;
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0;
};

struct NameEntry {
    uint32_t card = 0;
    std::string name; // up to 8 bytes, as the terminal shows them
};

struct Message {
    std::string text;             // the bytes received, trailing 0x00 removed
    std::array<uint8_t, 4> start; // month, day, hour, minute as BCD
    std::array<uint8_t, 4> end;
};

struct TerminalState {
    int address = 1;
    std::array<uint8_t, 3> version = {0x20, 1, 3}; // Call's A, B, C; the version reads B.C
    uint8_t modeByte = 0x00;                       // 0x00, 0x01 or 0x10
    bool service = true;
    bool voice = true;
    bool realtime = false; // realtime swipe reporting
    std::vector<uint32_t> redList;
    std::vector<StoredRecord> records;
    std::vector<NameEntry> nameCodes;
    std::vector<NameEntry> tempNameCodes;
    std::optional<Message> publicMessage;
    std::map<uint32_t, Message> personalMessages;
    std::array<uint8_t, 8> password = {1, 3, 5, 7, 2, 4, 6, 8};         // read by MachinePassword 2
    std::array<uint8_t, 8> originalPassword = {1, 3, 5, 7, 2, 4, 6, 8}; // what an initialisation restores
    std::array<uint8_t, 8> userPassword = {0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A};
    std::deque<uint32_t> realtimeQueue; // swipes not yet reported
    long long clockOffset = 0;          // terminal clock minus the computer's local time, seconds
    uint8_t lastWeekday = 0;            // weekday byte of the last clock setting
    int beeps = 0;
    int restarts = 0;
    int initialisations = 0;
};

struct Options {
    int address = 1;
    bool pace9600 = false; // requests take their line time to arrive, replies go out byte by byte
    int turnaroundMs = 0;  // the terminal's own delay before replying
};

// A local date and time of the terminal's clock.
struct ClockTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Nv820Simulator {
public:
    explicit Nv820Simulator(Options options = {});
    ~Nv820Simulator();
    Nv820Simulator(const Nv820Simulator&) = delete;
    Nv820Simulator& operator=(const Nv820Simulator&) = delete;

    // Opens the pseudo-terminal and starts answering; false when no pseudo-terminal could be had.
    bool start();
    void stop();
    // The device the code under test opens (the slave side).
    std::string devicePath() const;

    TerminalState state() const;
    void update(const std::function<void(TerminalState&)>& change);

    ClockTime clock() const;
    void setClock(const ClockTime& t);
    // A card held to the terminal: a stored record at the terminal's clock, and a realtime report
    // while realtime reporting is on.
    void swipe(uint32_t card);

    // The next `times` replies carry the fault (they are taken before the standing fault).
    void injectFault(Fault fault, int times = 1);
    // Every reply carries the fault until clearFaults.
    void setFault(Fault fault);
    void clearFaults();
    // The next reply passes through `edit` before its checksum is made: a test's way to send exact
    // reply bytes (a date that is no date, noise in bytes 2..4, a record page with a gap).
    void editNextReply(std::function<void(std::vector<uint8_t>&)> edit);

    // Complete request frames received (good checksum, any address), oldest first.
    std::vector<std::vector<uint8_t>> requests() const;
    std::vector<uint8_t> lastRequest() const;
    std::size_t requestCount() const;
    void clearRequests();
    bool waitForRequests(std::size_t count, int timeoutMs) const;
    // Received bytes that belonged to no good request frame.
    std::size_t discardedBytes() const;

    // Where the simulator logs each request and reply (one line each); none by default.
    void setLog(std::function<void(const std::string&)> log);

private:
    using Clock = std::chrono::steady_clock;
    struct Out {
        Clock::time_point due;
        uint8_t byte;
    };

    void run();
    void takeInput(Clock::time_point now);
    void parseFrames(Clock::time_point now);
    void handle(const std::vector<uint8_t>& frame, Clock::time_point lineEnd);
    // Builds the reply to a request for this terminal; empty for commands that have none.
    std::vector<uint8_t> answer(const std::vector<uint8_t>& frame);
    void schedule(std::vector<uint8_t> reply, Clock::time_point at, bool paced);
    void flushDue(Clock::time_point now);
    Fault takeFault();
    ClockTime clockLocked() const;
    void log(const std::string& line);

    Options options_;
    std::unique_ptr<serial::PtyPair> pty_;
    std::string path_;
    std::thread thread_;
    bool stopping_ = false;
    int wakeRead_ = -1, wakeWrite_ = -1;

    mutable std::mutex mutex_;
    mutable std::condition_variable requestArrived_;
    TerminalState state_;
    std::deque<Fault> injected_;
    std::deque<std::function<void(std::vector<uint8_t>&)>> edits_;
    Fault standing_;
    std::vector<std::vector<uint8_t>> requests_;
    std::size_t discarded_ = 0;
    std::function<void(const std::string&)> log_;

    // Thread-only.
    std::vector<uint8_t> in_;
    Clock::time_point frameStart_{};
    Clock::time_point lastInput_{};
    std::deque<Out> out_;
    bool blocked_ = false; // the last write met a full line
    uint32_t noise_ = 0x2545F491;
};

} // namespace nv820
