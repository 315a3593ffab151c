// Reader latency and soak benchmark. The main window's reading polls an RS485 line every 100 ms from a
// QTimer, as the window's Timer1 does; the sign-in succeeds at once. A simulated reader on a
// pseudo-terminal, in a thread of its own, stamps each frame's last byte and the arrival of its
// acknowledgement.
//
//   bench_readers [--frames N]        latency: N frames at random moments (default 200)
//   bench_readers --soak SECONDS      soak: random noise with frames mixed in (default 60 s)

#include "ReaderSim.h"
#include "common/Prompter.h"
#include "desk/reader/MainReader.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class SilentPrompter : public Prompter {
public:
    void message(const QString& text, const QString&, Icon) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    Answer ask(const QString&, const QString&, Buttons, Icon) override { return Answer::No; }
};

long rssKb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

struct Result {
    std::vector<double> latencies;
    int sent = 0;
    int acked = 0;
    int wrongAddress = 0;
    long noiseBytes = 0;
};

// One frame at a time at a random moment, then its acknowledgement.
void latencyRun(readersim::ReaderSim& sim, int frames, Result& r) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> gap(120, 380);
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(gap(rng)));
        const auto address = static_cast<std::uint8_t>(1 + i % 200);
        const auto sentAt = sim.send(readersim::rs485Frame(static_cast<std::uint32_t>(100000 + i), address));
        ++r.sent;
        auto ack = sim.waitAck(1000);
        if (!ack) continue;
        ++r.acked;
        if (ack->address() != address) ++r.wrongAddress;
        r.latencies.push_back(ms(ack->at - sentAt));
    }
}

// Noise in small bursts every 20 ms (about 750 bytes a second, under the 960 a 9600-baud line carries)
// with a frame every 300 ms or so; acknowledgements are matched to frames in order.
void soakRun(readersim::ReaderSim& sim, int seconds, Result& r) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> burst(0, 30);
    std::uniform_int_distribution<int> frameEvery(12, 18);
    std::vector<std::pair<std::uint8_t, Clock::time_point>> pending;
    pending.reserve(static_cast<std::size_t>(seconds) * 5 + 100);
    std::size_t matched = 0;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    int untilFrame = frameEvery(rng);
    auto collect = [&] {
        for (const auto& a : sim.takeAcks()) {
            if (matched >= pending.size()) {
                ++r.wrongAddress; // an acknowledgement of nothing sent
                continue;
            }
            if (a.address() != pending[matched].first) ++r.wrongAddress;
            r.latencies.push_back(ms(a.at - pending[matched].second));
            ++matched;
            ++r.acked;
        }
    };
    while (Clock::now() < end) {
        auto noise = readersim::randomBytes(static_cast<std::size_t>(burst(rng)), rng);
        sim.send(noise);
        r.noiseBytes += static_cast<long>(noise.size());
        if (--untilFrame <= 0) {
            untilFrame = frameEvery(rng);
            const auto address = static_cast<std::uint8_t>(1 + r.sent % 200);
            pending.emplace_back(
                address, sim.send(readersim::rs485Frame(static_cast<std::uint32_t>(r.sent), address)));
            ++r.sent;
        }
        sim.listen(20);
        collect();
    }
    sim.listen(1500);
    collect();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int frames = 200;
    int soakSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--soak")) {
            soakSeconds = (i + 1 < argc && argv[i + 1][0] != '-') ? std::atoi(argv[++i]) : 60;
        } else {
            std::fprintf(stderr, "usage: bench_readers [--frames N] [--soak [SECONDS]]\n");
            return 2;
        }
    }

    readersim::ReaderSim sim;
    if (!sim.ok()) {
        std::fprintf(stderr, "bench_readers: no pseudo-terminal\n");
        return 1;
    }
    SilentPrompter prompter;
    int delivered = 0;
    int maxAssembly = 0;
    reader::MainReader::Hooks hooks;
    hooks.kind = [] { return QStringLiteral("RS485"); };
    hooks.deliver = [&](const QString&) {
        ++delivered;
        return true;
    };
    reader::MainReader mainReader(prompter, nullptr, hooks);
    if (!mainReader.start(QString::fromStdString(sim.slavePath()))) return 1;

    QTimer timer1;
    timer1.setInterval(100);
    Clock::time_point lastTick{};
    std::vector<double> tickGaps;
    // Room for every figure up front, so the memory figures show the reader and not the bench.
    tickGaps.reserve(static_cast<std::size_t>(soakSeconds > 0 ? soakSeconds * 12 : frames * 5) + 100);
    int partialTicks = 0;
    QObject::connect(&timer1, &QTimer::timeout, &app, [&] {
        const auto now = Clock::now();
        if (lastTick != Clock::time_point{}) tickGaps.push_back(ms(now - lastTick));
        lastTick = now;
        const int before = delivered;
        mainReader.tick();
        if (delivered == before && mainReader.assembly().count > 0) ++partialTicks;
        maxAssembly = std::max(maxAssembly, mainReader.assembly().count);
    });
    timer1.start();

    Result r;
    r.latencies.reserve(static_cast<std::size_t>(soakSeconds > 0 ? soakSeconds * 5 : frames) + 100);
    long rssStart = 0;
    std::vector<long> rssSamples;
    rssSamples.reserve(1000);
    std::atomic<bool> done{false};
    std::thread device([&] {
        if (soakSeconds > 0) {
            // Memory is compared from a point where everything has been allocated once.
            std::this_thread::sleep_for(std::chrono::seconds(1));
            rssStart = rssKb();
            soakRun(sim, soakSeconds, r);
        } else {
            rssStart = rssKb();
            latencyRun(sim, frames, r);
        }
        done = true;
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &app, [&] { rssSamples.push_back(rssKb()); });
    sampler.start(10000);
    app.exec();
    device.join();
    const long rssEnd = rssKb();

    std::printf("%s: frames sent %d, acknowledged %d, signed in %d, wrong address %d\n",
                soakSeconds > 0 ? "soak" : "latency", r.sent, r.acked, delivered, r.wrongAddress);
    std::printf("last byte to acknowledgement: median %.1f ms, p99 %.1f ms, max %.1f ms\n",
                percentile(r.latencies, 0.5), percentile(r.latencies, 0.99), percentile(r.latencies, 1.0));
    std::printf(
        "poll interval: median %.1f ms, p99 %.1f ms, max %.1f ms; polls that left a partial frame %d\n",
        percentile(tickGaps, 0.5), percentile(tickGaps, 0.99), percentile(tickGaps, 1.0), partialTicks);
    if (soakSeconds > 0) {
        std::printf("noise %ld bytes over %d s; assembly buffer at most %d bytes\n", r.noiseBytes,
                    soakSeconds, maxAssembly);
        std::printf("RSS kB at the start, every 10 s, at the end: %ld", rssStart);
        for (long v : rssSamples)
            std::printf(" %ld", v);
        std::printf(" %ld\n", rssEnd);
    }
    const bool ok = r.acked == r.sent && r.wrongAddress == 0 && delivered == r.sent &&
                    percentile(r.latencies, 0.5) < 150 && percentile(r.latencies, 0.99) < 150;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
