// nv820-sim: plays an NV820 terminal on a pseudo-terminal until interrupted.

#include "Nv820Simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage = R"(Usage: nv820-sim [options]

Plays an NV820 card terminal on a new pseudo-terminal. Prints one line with the device to open,
"nv820-sim: /dev/pts/N", then answers every request until SIGINT or SIGTERM.

Options:
  --address N           terminal address (machine number), 0..255; default 1
  --pace                pace the line at 9600 baud: requests take their line time to arrive and
                        replies go out byte by byte (about 1.04 ms a byte)
  --turnaround MS       the terminal's own delay before each reply; default 0
  --link PATH           also make PATH a symbolic link to the device (replaced if it is a link)
  --clock "YYYY-MM-DD HH:MM:SS"
                        start the terminal clock at this time; default the computer's local time
  --records LIST        preload stored swipes: CARD or CARD@YYYY-MM-DDTHH:MM, comma-separated;
                        without a time the record takes the terminal clock
  --red-names LIST      preload the red list: cards, comma-separated
  --name-codes LIST     preload the name-code list: CARD=NAME, comma-separated (NAME cut to 8 bytes)
  --cards LIST          cards for realtime swipes, comma-separated, used in turn
  --swipe-every SECONDS swipe the next card of --cards every SECONDS (fractions allowed); each swipe
                        is stored as a record and reported while realtime reporting is on
  --realtime            start with realtime reporting on (normally the desk switches it on)
  --fault KIND[:N]      give every reply this fault: no-answer, late:MS, short:BYTES, wrong-header,
                        wrong-checksum, one-byte, garbage, flood:BYTES, hang-up
  --die-with-parent     end when the process that started this one ends
  --verbose             log every request and reply on standard error
  -h, --help            show this text
)";

bool parseUnsigned(const std::string& text, unsigned long long max, unsigned long long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno || *end != '\0' || v > max || text[0] == '-') return false;
    out = v;
    return true;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, sep))
        if (!item.empty()) parts.push_back(item);
    return parts;
}

bool parseCard(const std::string& text, uint32_t& card) {
    unsigned long long v = 0;
    if (!parseUnsigned(text, 0xFFFFFFFFull, v)) return false;
    card = static_cast<uint32_t>(v);
    return true;
}

[[noreturn]] void fail(const std::string& message) {
    std::cerr << "nv820-sim: " << message << "\n"
              << "Try 'nv820-sim --help'.\n";
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    nv820::Options options;
    std::string linkPath, clockText, recordsText, redText, namesText, cardsText, faultText;
    double swipeEvery = 0;
    bool realtime = false, verbose = false, dieWithParent = false;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail("option " + a + " needs a value");
            return argv[++i];
        };
        unsigned long long n = 0;
        if (a == "-h" || a == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--address") {
            if (!parseUnsigned(value(), 255, n)) fail("--address takes 0..255");
            options.address = static_cast<int>(n);
        } else if (a == "--pace") {
            options.pace9600 = true;
        } else if (a == "--turnaround") {
            if (!parseUnsigned(value(), 60000, n)) fail("--turnaround takes milliseconds");
            options.turnaroundMs = static_cast<int>(n);
        } else if (a == "--link") {
            linkPath = value();
        } else if (a == "--clock") {
            clockText = value();
        } else if (a == "--records") {
            recordsText = value();
        } else if (a == "--red-names") {
            redText = value();
        } else if (a == "--name-codes") {
            namesText = value();
        } else if (a == "--cards") {
            cardsText = value();
        } else if (a == "--swipe-every") {
            std::string v = value();
            char* end = nullptr;
            swipeEvery = std::strtod(v.c_str(), &end);
            if (*end != '\0' || !(swipeEvery > 0) || swipeEvery > 86400) fail("--swipe-every takes seconds");
        } else if (a == "--realtime") {
            realtime = true;
        } else if (a == "--fault") {
            faultText = value();
        } else if (a == "--die-with-parent") {
            dieWithParent = true;
        } else if (a == "--verbose") {
            verbose = true;
        } else {
            fail("unknown option " + a);
        }
    }

    std::optional<nv820::Fault> fault;
    if (!faultText.empty() && !(fault = nv820::parseFault(faultText))) fail("unknown fault " + faultText);
    std::optional<nv820::ClockTime> startClock;
    if (!clockText.empty()) {
        nv820::ClockTime t;
        if (std::sscanf(clockText.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                        &t.second) != 6)
            fail("--clock takes \"YYYY-MM-DD HH:MM:SS\"");
        startClock = t;
    }
    std::vector<uint32_t> swipeCards;
    for (const auto& c : split(cardsText, ',')) {
        uint32_t card = 0;
        if (!parseCard(c, card)) fail("bad card in --cards: " + c);
        swipeCards.push_back(card);
    }
    if (swipeEvery > 0 && swipeCards.empty()) fail("--swipe-every needs --cards");

    // Signals are taken by sigtimedwait below; block them before the simulator's thread exists.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    // A shell starting us in the background may have set them to be ignored, and an ignored signal
    // never becomes pending.
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, SIG_DFL);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    if (dieWithParent) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1) return 0;
    }

    nv820::Nv820Simulator sim(options);
    if (verbose) sim.setLog([](const std::string& line) { std::cerr << "nv820-sim: " << line << "\n"; });
    if (startClock) sim.setClock(*startClock);
    if (!sim.start()) {
        std::cerr << "nv820-sim: no pseudo-terminal: " << std::strerror(errno) << "\n";
        return 1;
    }
    const nv820::ClockTime now = sim.clock();
    std::string error;
    sim.update([&](nv820::TerminalState& s) {
        s.realtime = realtime;
        for (const auto& item : split(recordsText, ',')) {
            nv820::StoredRecord r{0, now.year, now.month, now.day, now.hour, now.minute};
            std::string cardText = item;
            if (auto at = item.find('@'); at != std::string::npos) {
                cardText = item.substr(0, at);
                if (std::sscanf(item.c_str() + at + 1, "%d-%d-%d%*[T ]%d:%d", &r.year, &r.month, &r.day,
                                &r.hour, &r.minute) != 5)
                    error = "bad time in --records: " + item;
            }
            if (!parseCard(cardText, r.card)) error = "bad card in --records: " + item;
            s.records.push_back(r);
        }
        for (const auto& item : split(redText, ',')) {
            uint32_t card = 0;
            if (!parseCard(item, card)) error = "bad card in --red-names: " + item;
            s.redList.push_back(card);
        }
        for (const auto& item : split(namesText, ',')) {
            auto eq = item.find('=');
            nv820::NameEntry e;
            if (eq == std::string::npos || !parseCard(item.substr(0, eq), e.card))
                error = "bad entry in --name-codes: " + item;
            else
                e.name = item.substr(eq + 1, 8);
            s.nameCodes.push_back(e);
        }
    });
    if (!error.empty()) fail(error);
    if (fault) sim.setFault(*fault);

    if (!linkPath.empty()) {
        struct stat st {};
        if (::lstat(linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(linkPath.c_str());
        if (::symlink(sim.devicePath().c_str(), linkPath.c_str()) != 0)
            std::cerr << "nv820-sim: cannot link " << linkPath << ": " << std::strerror(errno) << "\n";
    }
    std::cout << "nv820-sim: " << sim.devicePath() << std::endl;

    std::size_t next = 0;
    for (;;) {
        timespec wait{3600, 0};
        if (swipeEvery > 0) {
            wait.tv_sec = static_cast<time_t>(swipeEvery);
            wait.tv_nsec = static_cast<long>((swipeEvery - static_cast<double>(wait.tv_sec)) * 1e9);
        }
        int sig = ::sigtimedwait(&stopSignals, nullptr, &wait);
        if (sig > 0) break;
        if (sig < 0 && errno == EAGAIN && swipeEvery > 0) {
            uint32_t card = swipeCards[next++ % swipeCards.size()];
            sim.swipe(card);
            if (verbose) std::cerr << "nv820-sim: swipe " << card << "\n";
        }
    }
    sim.stop();
    if (!linkPath.empty()) ::unlink(linkPath.c_str());
    return 0;
}
