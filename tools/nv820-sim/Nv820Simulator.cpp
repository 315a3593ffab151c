#include "Nv820Simulator.h"

#include "serial/Pty.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace nv820 {

namespace {

using namespace std::chrono_literals;

// 10 bits a byte at 9600 baud (8N1).
constexpr auto kByteTime = std::chrono::nanoseconds(1'041'667);
constexpr auto kStaleInput = 300ms;

uint8_t bcd(int v) {
    v = ((v % 100) + 100) % 100;
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}
int unbcd(uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
void put32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
void put16(uint8_t* p, std::size_t v) {
    v = std::min<std::size_t>(v, 0xFFFF);
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

uint8_t xorOf(const std::vector<uint8_t>& f, std::size_t n) {
    uint8_t x = 0;
    for (std::size_t i = 0; i < n; ++i)
        x ^= f[i];
    return x;
}
void seal(std::vector<uint8_t>& f) {
    f.back() = xorOf(f, f.size() - 1);
}

// Request length by command code: the long requests are the name codes and the two messages.
std::size_t requestLength(uint8_t code) {
    switch (code) {
    case 0xF1:
    case 0xF2:
        return 19;
    case 0xF5:
        return 82;
    case 0xF6:
        return 78;
    default:
        return 15;
    }
}

std::string cString(const uint8_t* p, std::size_t n) {
    std::size_t len = 0;
    while (len < n && p[len] != 0)
        ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
}

std::string hex(const std::vector<uint8_t>& f) {
    std::string s;
    char b[4];
    for (uint8_t c : f) {
        std::snprintf(b, sizeof b, "%02X ", c);
        s += b;
    }
    if (!s.empty()) s.pop_back();
    return s;
}

// A terminal clock reading as seconds on the same scale as localNow().
long long secondsOf(const ClockTime& t) {
    std::tm g{};
    g.tm_year = t.year - 1900;
    g.tm_mon = t.month - 1;
    g.tm_mday = t.day;
    g.tm_hour = t.hour;
    g.tm_min = t.minute;
    g.tm_sec = t.second;
    return static_cast<long long>(::timegm(&g));
}

long long localNow() {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    ::localtime_r(&t, &lt);
    return static_cast<long long>(t) + lt.tm_gmtoff;
}

void eraseCard(std::vector<NameEntry>& list, uint32_t card) {
    std::erase_if(list, [card](const NameEntry& e) { return e.card == card; });
}

} // namespace

std::optional<Fault> parseFault(const std::string& text) {
    std::string name = text, arg;
    if (auto colon = text.find(':'); colon != std::string::npos) {
        name = text.substr(0, colon);
        arg = text.substr(colon + 1);
    }
    int param = 0;
    if (!arg.empty()) {
        char* end = nullptr;
        long v = std::strtol(arg.c_str(), &end, 10);
        if (*end != '\0' || v < 0 || v > 1000000) return std::nullopt;
        param = static_cast<int>(v);
    }
    static const std::pair<const char*, FaultKind> names[] = {
        {"none", FaultKind::None},
        {"no-answer", FaultKind::NoAnswer},
        {"late", FaultKind::Late},
        {"short", FaultKind::Short},
        {"wrong-header", FaultKind::WrongHeader},
        {"wrong-checksum", FaultKind::WrongChecksum},
        {"one-byte", FaultKind::OneByte},
        {"garbage", FaultKind::Garbage},
        {"flood", FaultKind::Flood},
        {"hang-up", FaultKind::HangUp},
    };
    for (const auto& [n, kind] : names)
        if (name == n) return Fault{kind, param};
    return std::nullopt;
}

Nv820Simulator::Nv820Simulator(Options options) : options_(options) {
    state_.address = options.address;
}

Nv820Simulator::~Nv820Simulator() {
    stop();
}

bool Nv820Simulator::start() {
    if (thread_.joinable()) return true;
    pty_ = std::make_unique<serial::PtyPair>();
    if (!pty_->ok()) {
        pty_.reset();
        return false;
    }
    path_ = pty_->slavePath();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pty_.reset();
        return false;
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void Nv820Simulator::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    char c = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
    pty_.reset();
}

std::string Nv820Simulator::devicePath() const {
    return path_;
}

TerminalState Nv820Simulator::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void Nv820Simulator::update(const std::function<void(TerminalState&)>& change) {
    std::lock_guard lock(mutex_);
    change(state_);
}

ClockTime Nv820Simulator::clockLocked() const {
    std::time_t t = static_cast<std::time_t>(localNow() + state_.clockOffset);
    std::tm g{};
    ::gmtime_r(&t, &g);
    return {g.tm_year + 1900, g.tm_mon + 1, g.tm_mday, g.tm_hour, g.tm_min, g.tm_sec};
}

ClockTime Nv820Simulator::clock() const {
    std::lock_guard lock(mutex_);
    return clockLocked();
}

void Nv820Simulator::setClock(const ClockTime& t) {
    const long long target = secondsOf(t);
    std::lock_guard lock(mutex_);
    state_.clockOffset = target - localNow();
}

void Nv820Simulator::swipe(uint32_t card) {
    std::lock_guard lock(mutex_);
    ClockTime t = clockLocked();
    state_.records.push_back({card, t.year, t.month, t.day, t.hour, t.minute});
    if (state_.realtime) state_.realtimeQueue.push_back(card);
}

void Nv820Simulator::injectFault(Fault fault, int times) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < times; ++i)
        injected_.push_back(fault);
}

void Nv820Simulator::setFault(Fault fault) {
    std::lock_guard lock(mutex_);
    standing_ = fault;
}

void Nv820Simulator::editNextReply(std::function<void(std::vector<uint8_t>&)> edit) {
    std::lock_guard lock(mutex_);
    edits_.push_back(std::move(edit));
}

void Nv820Simulator::clearFaults() {
    std::lock_guard lock(mutex_);
    injected_.clear();
    edits_.clear();
    standing_ = {};
}

Fault Nv820Simulator::takeFault() {
    if (!injected_.empty()) {
        Fault f = injected_.front();
        injected_.pop_front();
        return f;
    }
    return standing_;
}

std::vector<std::vector<uint8_t>> Nv820Simulator::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<uint8_t> Nv820Simulator::lastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::vector<uint8_t>{} : requests_.back();
}

std::size_t Nv820Simulator::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void Nv820Simulator::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    discarded_ = 0;
}

bool Nv820Simulator::waitForRequests(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return requestArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return requests_.size() >= count; });
}

std::size_t Nv820Simulator::discardedBytes() const {
    std::lock_guard lock(mutex_);
    return discarded_;
}

void Nv820Simulator::setLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void Nv820Simulator::log(const std::string& line) {
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard lock(mutex_);
        sink = log_;
    }
    if (sink) sink(line);
}

void Nv820Simulator::run() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
        }
        auto now = Clock::now();
        auto wait = std::chrono::nanoseconds(50ms);
        if (!out_.empty())
            wait = std::max(std::chrono::nanoseconds(blocked_ ? 1ms : 0ms), out_.front().due - now);
        else if (!in_.empty())
            wait = std::chrono::nanoseconds(kStaleInput);
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {pty_ ? pty_->masterFd() : -1, POLLIN, 0}};
        timespec ts{static_cast<time_t>(wait.count() / 1'000'000'000),
                    static_cast<long>(wait.count() % 1'000'000'000)};
        ::ppoll(fds, 2, &ts, nullptr);
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        now = Clock::now();
        takeInput(now);
        parseFrames(now);
        flushDue(Clock::now());
    }
}

void Nv820Simulator::takeInput(Clock::time_point now) {
    if (!pty_) return;
    uint8_t buf[512];
    for (;;) {
        ssize_t n = ::read(pty_->masterFd(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (in_.empty()) frameStart_ = now;
        in_.insert(in_.end(), buf, buf + n);
        lastInput_ = now;
    }
    if (!in_.empty() && now - lastInput_ > kStaleInput) {
        // A fragment that never became a frame.
        std::lock_guard lock(mutex_);
        discarded_ += in_.size();
        in_.clear();
    }
}

void Nv820Simulator::parseFrames(Clock::time_point now) {
    for (;;) {
        // Resynchronise on the request header 0x94 0x3B 0x00.
        std::size_t skip = 0;
        while (skip < in_.size()) {
            bool h0 = in_[skip] == 0x94;
            bool h1 = skip + 1 >= in_.size() || in_[skip + 1] == 0x3B;
            bool h2 = skip + 2 >= in_.size() || in_[skip + 2] == 0x00;
            if (h0 && h1 && h2) break;
            ++skip;
        }
        if (skip) {
            std::lock_guard lock(mutex_);
            discarded_ += skip;
            in_.erase(in_.begin(), in_.begin() + static_cast<long>(skip));
            frameStart_ = now;
        }
        if (in_.size() < 5) return;
        const std::size_t len = requestLength(in_[4]);
        if (in_.size() < len) return;
        std::vector<uint8_t> frame(in_.begin(), in_.begin() + static_cast<long>(len));
        if (xorOf(frame, len - 1) != frame[len - 1]) {
            std::lock_guard lock(mutex_);
            ++discarded_;
            in_.erase(in_.begin());
            continue;
        }
        in_.erase(in_.begin(), in_.begin() + static_cast<long>(len));
        // Paced, the frame is complete only when its last byte would have crossed the line.
        Clock::time_point lineEnd = options_.pace9600 ? std::max(now, frameStart_ + kByteTime * static_cast<long>(len)) : now;
        frameStart_ = now;
        handle(frame, lineEnd);
    }
}

void Nv820Simulator::handle(const std::vector<uint8_t>& frame, Clock::time_point lineEnd) {
    std::vector<uint8_t> reply;
    Fault fault;
    bool mine = false;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(frame);
        mine = frame[3] == static_cast<uint8_t>(state_.address);
        if (mine) {
            reply = answer(frame);
            if (!reply.empty()) {
                if (!edits_.empty()) {
                    edits_.front()(reply);
                    edits_.pop_front();
                    seal(reply);
                }
                fault = takeFault();
            }
        }
    }
    requestArrived_.notify_all();
    log("<- " + hex(frame) + (mine ? "" : " (other address)"));
    if (reply.empty()) return;

    Clock::time_point at = lineEnd + std::chrono::milliseconds(options_.turnaroundMs);
    switch (fault.kind) {
    case FaultKind::None:
        break;
    case FaultKind::NoAnswer:
        log("-> (no answer)");
        return;
    case FaultKind::Late:
        at += std::chrono::milliseconds(fault.param);
        break;
    case FaultKind::Short: {
        std::size_t k = static_cast<std::size_t>(fault.param);
        if (k < 2 || k >= reply.size()) k = reply.size() - 1;
        reply.resize(k);
        break;
    }
    case FaultKind::WrongHeader:
        reply[0] = 0xE1;
        seal(reply);
        break;
    case FaultKind::WrongChecksum:
        reply.back() ^= 0x5A;
        break;
    case FaultKind::OneByte:
        reply.resize(1);
        break;
    case FaultKind::Garbage:
        for (auto& b : reply) {
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            b = static_cast<uint8_t>(noise_);
        }
        reply[0] = 0x55; // never a reply header by chance
        break;
    case FaultKind::Flood:
        break;
    case FaultKind::HangUp:
        log("-> (hang-up)");
        pty_.reset();
        in_.clear();
        out_.clear();
        return;
    }
    log("-> " + hex(reply));
    schedule(reply, at, options_.pace9600);
    if (fault.kind == FaultKind::Flood) {
        std::vector<uint8_t> noise(static_cast<std::size_t>(fault.param));
        for (auto& b : noise) {
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            b = static_cast<uint8_t>(noise_);
        }
        schedule(std::move(noise), at, true);
    }
}

std::vector<uint8_t> Nv820Simulator::answer(const std::vector<uint8_t>& q) {
    TerminalState& s = state_;
    const uint8_t code = q[4];
    auto frame = [&](std::size_t n) {
        std::vector<uint8_t> r(n, 0);
        r[0] = 0xE0;
        r[1] = 0x7D;
        r[3] = static_cast<uint8_t>(s.address);
        r[4] = code;
        return r;
    };
    auto done = [](std::vector<uint8_t> r) {
        seal(r);
        return r;
    };
    std::vector<uint8_t> r = frame(15);
    const uint16_t k = static_cast<uint16_t>(q[5] << 8 | q[6]);
    switch (code) {
    case 0xD0: // Call
        r[5] = s.version[0];
        r[6] = s.version[1];
        r[7] = s.version[2];
        return done(r);
    case 0xD1: // SetAddress: answered from the old address
        r = done(r);
        s.address = q[5];
        return r;
    case 0xD2:
        r[5] = static_cast<uint8_t>(s.address);
        return done(r);
    case 0xD5:
        s.records.clear();
        return done(r);
    case 0xD6:
        s.redList.clear();
        return done(r);
    case 0xD7:
        put16(&r[5], s.redList.size());
        return done(r);
    case 0xD8:
        put16(&r[5], s.records.size());
        return done(r);
    case 0xD9:
        s.modeByte = q[5];
        return done(r);
    case 0xDA:
        r[5] = s.modeByte;
        return done(r);
    case 0xDD: { // SetDateTime
        ClockTime t{2000 + unbcd(q[5]), unbcd(q[7]), unbcd(q[8]), unbcd(q[9]), unbcd(q[10]), unbcd(q[11])};
        s.lastWeekday = q[6];
        if (t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 && t.minute < 60 &&
            t.second < 60) {
            s.clockOffset = secondsOf(t) - localNow();
        }
        return done(r);
    }
    case 0xDE: { // GetDateTime
        ClockTime t = clockLocked();
        std::tm g{};
        g.tm_year = t.year - 1900;
        g.tm_mon = t.month - 1;
        g.tm_mday = t.day;
        std::time_t tt = ::timegm(&g);
        ::gmtime_r(&tt, &g);
        r[5] = bcd(t.year % 100);
        r[6] = static_cast<uint8_t>(g.tm_wday == 0 ? 7 : g.tm_wday);
        r[7] = bcd(t.month);
        r[8] = bcd(t.day);
        r[9] = bcd(t.hour);
        r[10] = bcd(t.minute);
        r[11] = bcd(t.second);
        return done(r);
    }
    case 0xDF:
        s.service = true;
        return done(r);
    case 0xE0:
        s.service = false;
        return done(r);
    case 0xE1:
        ++s.restarts;
        return {}; // no reply
    case 0xE2:     // InitMachine; the clock stays as it is
        ++s.initialisations;
        s.address = 1;
        s.redList.clear();
        s.records.clear();
        s.modeByte = 0x00;
        s.password = s.originalPassword;
        s.userPassword.fill(0x5A);
        return done(r);
    case 0xE3: // MachinePassword
        if (q[5] == 1) std::copy(q.begin() + 6, q.begin() + 14, s.password.begin());
        if (q[5] == 2) std::copy(s.password.begin(), s.password.end(), r.begin() + 5);
        return done(r);
    case 0xE6: // SetRedNames: two places; a 0 pads an odd list and is not stored
        for (uint32_t card : {be32(&q[5]), be32(&q[9])})
            if (card != 0) s.redList.push_back(card);
        return done(r);
    case 0xE7: { // GetRedNames: cards k and k+1
        auto at = [&](std::size_t i) { return i >= 1 && i <= s.redList.size() ? s.redList[i - 1] : 0u; };
        put32(&r[5], at(k));
        put32(&r[9], at(std::size_t{k} + 1));
        return done(r);
    }
    case 0xE8: { // GetRecord: records k..k+5
        r = frame(60);
        for (std::size_t i = 0; i < 6; ++i) {
            std::size_t n = std::size_t{k} + i;
            if (n < 1 || n > s.records.size()) continue;
            const StoredRecord& rec = s.records[n - 1];
            uint8_t* slot = &r[5 + 9 * i];
            put32(slot, rec.card);
            slot[4] = bcd(rec.year % 100);
            slot[5] = bcd(rec.month);
            slot[6] = bcd(rec.day);
            slot[7] = bcd(rec.hour);
            slot[8] = bcd(rec.minute);
        }
        return done(r);
    }
    case 0xF1:   // SendNameCode: adds, or replaces the card's entry
    case 0xF2: { // ModiNameCode: changes the card's entry
        std::vector<NameEntry>* list = q[5] == 1 ? &s.nameCodes : q[5] == 2 ? &s.tempNameCodes : nullptr;
        if (list) {
            NameEntry e{be32(&q[6]), cString(&q[10], 8)};
            auto it = std::find_if(list->begin(), list->end(),
                                   [&](const NameEntry& x) { return x.card == e.card; });
            if (it != list->end())
                *it = e;
            else if (code == 0xF1)
                list->push_back(e);
        }
        return done(r);
    }
    case 0xF3: // DeleteNameCode
        switch (q[5]) {
        case 1:
            s.nameCodes.clear();
            break;
        case 2:
            s.tempNameCodes.clear();
            break;
        case 3:
            eraseCard(s.nameCodes, be32(&q[6]));
            break;
        case 4:
            eraseCard(s.tempNameCodes, be32(&q[6]));
            break;
        default:
            break;
        }
        return done(r);
    case 0xF4: { // name-code count (1, 2) or entry (3, 4)
        if (q[5] == 1 || q[5] == 2) {
            put16(&r[5], (q[5] == 1 ? s.nameCodes : s.tempNameCodes).size());
            return done(r);
        }
        if (q[5] == 3 || q[5] == 4) {
            const auto& list = q[5] == 3 ? s.nameCodes : s.tempNameCodes;
            const std::size_t n = std::size_t{static_cast<uint16_t>(q[6] << 8 | q[7])};
            r = frame(19);
            if (n >= 1 && n <= list.size()) {
                r[5] = 0x01;
                put32(&r[6], list[n - 1].card);
                std::copy_n(list[n - 1].name.begin(), std::min<std::size_t>(8, list[n - 1].name.size()),
                            r.begin() + 10);
            }
            return done(r);
        }
        return done(r);
    }
    case 0xF5: { // personal message
        Message m{cString(&q[9], 64), {q[73], q[74], q[75], q[76]}, {q[77], q[78], q[79], q[80]}};
        s.personalMessages[be32(&q[5])] = m;
        return done(r);
    }
    case 0xF6: // public message
        s.publicMessage =
            Message{cString(&q[5], 64), {q[69], q[70], q[71], q[72]}, {q[73], q[74], q[75], q[76]}};
        return done(r);
    case 0xF7: // DeleteWord
        if (q[5] == 1) {
            s.publicMessage.reset();
            s.personalMessages.clear();
        } else if (q[5] == 2) {
            uint32_t card = be32(&q[6]);
            if (card == 0)
                s.publicMessage.reset();
            else
                s.personalMessages.erase(card);
        }
        return done(r);
    case 0xF8: // realtime reporting
        if (q[5] == 1) s.realtime = true;
        if (q[5] == 2) {
            s.realtime = false;
            s.realtimeQueue.clear();
        }
        return done(r);
    case 0xF9: // realtime poll: the oldest unreported swipe, or 0
        if (s.realtime && !s.realtimeQueue.empty()) {
            put32(&r[5], s.realtimeQueue.front());
            s.realtimeQueue.pop_front();
        }
        return done(r);
    case 0xFA:
        s.beeps += q[5];
        return {}; // no reply
    case 0xFB:
        if (q[5] == 1) s.voice = true;
        if (q[5] == 2) s.voice = false;
        return done(r);
    default:
        return {}; // unknown commands are ignored
    }
}

void Nv820Simulator::schedule(std::vector<uint8_t> bytes, Clock::time_point at, bool paced) {
    Clock::time_point due = at;
    if (!out_.empty()) due = std::max(due, out_.back().due + (paced ? kByteTime : Clock::duration{0}));
    for (uint8_t b : bytes) {
        out_.push_back({due, b});
        if (paced) due += kByteTime;
    }
}

void Nv820Simulator::flushDue(Clock::time_point now) {
    if (!pty_) {
        out_.clear();
        return;
    }
    std::vector<uint8_t> chunk;
    for (const Out& o : out_) {
        if (o.due > now) break;
        chunk.push_back(o.byte);
    }
    if (chunk.empty()) return;
    ssize_t n = ::write(pty_->masterFd(), chunk.data(), chunk.size());
    if (n > 0) out_.erase(out_.begin(), out_.begin() + n);
    blocked_ = n < static_cast<ssize_t>(chunk.size());
    // On EAGAIN (the line is full) the bytes stay queued and go at the next turn.
}

} // namespace nv820
