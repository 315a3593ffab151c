// reader-sim: a serial card reader on a pseudo-terminal, for the demo and for trying the desk by hand.
// Prints the device the desk should open, sends card frames and reports the acknowledgements it gets.

#include "ReaderSim.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

const char* kUsage = R"(usage: reader-sim [options]

Opens a pseudo-terminal and plays a serial card reader on it. The first line printed is
"reader-sim: /dev/pts/N", the device the desk opens (map a COM port to it in [Ports]).

  --kind KIND      frame kind: RS485 (default), RS232, RS232B or NV620
  --address N      reader address sent in byte 7 of RS485 and NV620 frames (default 1)
  --cards LIST     card numbers to send, comma separated, used in turn
  --every SECONDS  send the next card every SECONDS (fractions allowed) until stopped;
                   without it every card of the list is sent once, one second apart
  --count N        stop after N cards
  --fault F        spoil every frame: checksum, byte4, end, letters (RS485 and NV620),
                   split (sent in two halves 150 ms apart) or double (each frame twice in one write)
  --noise N        send N random bytes before every frame
  --wait SECONDS   how long to listen for acknowledgements after the last card (default 2)
  --seed N         seed of the noise generator (default 1)
  --help           this text

Without --cards, card numbers are read from standard input, one per line.
Every frame sent is printed as "sent KIND card N: bytes", every acknowledgement received as
"ack address A LETTERS: bytes" (with "bad checksum" when its sum is wrong).
)";

struct Options {
    readersim::Kind kind = readersim::Kind::RS485;
    int address = 1;
    std::vector<std::uint64_t> cards;
    double every = 0;
    long count = -1;
    readersim::Fault fault = readersim::Fault::None;
    bool split = false;
    bool doubled = false;
    std::size_t noise = 0;
    double wait = 2;
    unsigned seed = 1;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "reader-sim: %s (see --help)\n", message.c_str());
    std::exit(2);
}

std::uint64_t parseCard(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        fail("not a card number: " + text);
    return std::stoull(text);
}

double parseNumber(const std::string& text, const char* what) {
    try {
        std::size_t used = 0;
        double v = std::stod(text, &used);
        if (used != text.size() || v < 0) throw std::invalid_argument(what);
        return v;
    } catch (const std::exception&) {
        fail(std::string("bad ") + what + ": " + text);
    }
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--kind") {
            auto k = readersim::parseKind(value());
            if (!k) fail("unknown kind " + std::string(argv[i]));
            o.kind = *k;
        } else if (arg == "--address") {
            o.address = static_cast<int>(parseNumber(value(), "address"));
            if (o.address > 255) fail("address above 255");
        } else if (arg == "--cards") {
            // A list taken from a database may hold codes that are no card numbers: skip those.
            std::stringstream ss(value());
            for (std::string item; std::getline(ss, item, ',');) {
                item.erase(0, item.find_first_not_of(" \t\r"));
                item.erase(item.find_last_not_of(" \t\r") + 1);
                if (item.empty()) continue;
                if (item.size() > 10 || item.find_first_not_of("0123456789") != std::string::npos)
                    std::fprintf(stderr, "reader-sim: skipping %s, not a card number\n", item.c_str());
                else
                    o.cards.push_back(std::stoull(item));
            }
        } else if (arg == "--every") {
            o.every = parseNumber(value(), "interval");
        } else if (arg == "--count") {
            o.count = static_cast<long>(parseNumber(value(), "count"));
        } else if (arg == "--fault") {
            const std::string f = value();
            if (f == "split")
                o.split = true;
            else if (f == "double")
                o.doubled = true;
            else if (auto ff = readersim::parseFault(f))
                o.fault = *ff;
            else
                fail("unknown fault " + f);
        } else if (arg == "--noise") {
            o.noise = static_cast<std::size_t>(parseNumber(value(), "noise"));
        } else if (arg == "--wait") {
            o.wait = parseNumber(value(), "wait");
        } else if (arg == "--seed") {
            o.seed = static_cast<unsigned>(parseNumber(value(), "seed"));
        } else {
            fail("unknown option " + arg);
        }
    }
    if (o.every > 0 && o.cards.empty()) fail("--every needs --cards");
    if (o.kind == readersim::Kind::RS485 || o.kind == readersim::Kind::NV620) {
        std::vector<std::uint64_t> fit;
        for (auto c : o.cards) {
            if (c > 0xFFFFFFFFull)
                std::fprintf(stderr, "reader-sim: skipping %llu, above 4294967295 for a frame reader\n",
                             static_cast<unsigned long long>(c));
            else
                fit.push_back(c);
        }
        o.cards = fit;
    }
    if (o.every > 0 && o.cards.empty()) fail("no card to send");
    return o;
}

void report(readersim::ReaderSim& sim) {
    for (const auto& a : sim.takeAcks())
        std::printf("ack address %d %s: %s%s\n", a.address(), a.letters().c_str(),
                    readersim::hex(a.bytes.data(), 14).c_str(), a.checksumOk ? "" : " bad checksum");
    std::fflush(stdout);
}

// Listens for acknowledgements until the given time, or until asked to stop.
void listenUntil(readersim::ReaderSim& sim, std::chrono::steady_clock::time_point until) {
    while (!stopRequested) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) break;
        sim.listen(static_cast<int>(std::min<long long>(left, 200)));
        report(sim);
    }
}

void sendCard(readersim::ReaderSim& sim, const Options& o, std::uint64_t card, std::mt19937& rng) {
    if (o.noise) sim.send(readersim::randomBytes(o.noise, rng));
    readersim::Bytes frame = readersim::frameFor(o.kind, card, static_cast<std::uint8_t>(o.address), o.fault);
    if (o.doubled) {
        readersim::Bytes two = frame;
        two.insert(two.end(), frame.begin(), frame.end());
        sim.send(two);
    } else if (o.split) {
        sim.sendSplit(frame, frame.size() / 2, 150);
    } else {
        sim.send(frame);
    }
    std::printf("sent %s card %010llu: %s\n", readersim::kindName(o.kind),
                static_cast<unsigned long long>(card), readersim::hex(frame).c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    readersim::ReaderSim sim;
    if (!sim.ok()) {
        std::fprintf(stderr, "reader-sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    std::printf("reader-sim: %s\n", sim.slavePath().c_str());
    std::fflush(stdout);

    std::mt19937 rng(o.seed);
    using clock = std::chrono::steady_clock;
    long sent = 0;
    auto more = [&] { return !stopRequested && (o.count < 0 || sent < o.count); };

    if (!o.cards.empty()) {
        const double gap = o.every > 0 ? o.every : 1.0;
        auto next = clock::now();
        for (std::size_t i = 0; more(); ++i) {
            if (o.every <= 0 && i >= o.cards.size()) break;
            listenUntil(sim, next);
            if (stopRequested) break;
            sendCard(sim, o, o.cards[i % o.cards.size()], rng);
            ++sent;
            next += std::chrono::microseconds(static_cast<long long>(gap * 1e6));
        }
    } else {
        for (std::string line; more() && std::getline(std::cin, line);) {
            line.erase(0, line.find_first_not_of(" \t\r"));
            line.erase(line.find_last_not_of(" \t\r") + 1);
            if (line.empty()) continue;
            sendCard(sim, o, parseCard(line), rng);
            ++sent;
            listenUntil(sim, clock::now() + std::chrono::milliseconds(300));
        }
    }
    listenUntil(sim, clock::now() + std::chrono::microseconds(static_cast<long long>(o.wait * 1e6)));
    return 0;
}
