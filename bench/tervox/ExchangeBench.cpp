// tervox_bench: how long the library's exchanges take against a terminal answering at once, with the
// line paced at 9600 baud. Prints min / median / p90 / max per kind of exchange.
//
//   tervox_bench [--standard N] [--pages N] [--no-pace]

#include "Nv820Simulator.h"
#include "tervox.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Stats {
    double min, median, p90, max, mean;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
    };
    double sum = 0;
    for (double x : v)
        sum += x;
    return {v.front(), at(0.5), at(0.9), v.back(), sum / static_cast<double>(v.size())};
}

// Prints the distribution, and any result that was not the one expected.
void print(const char* what, const std::vector<double>& ms, const std::vector<int>& results, int expected) {
    Stats s = stats(ms);
    std::printf("%-34s n=%-4zu min %7.2f  median %7.2f  p90 %7.2f  max %7.2f  mean %7.2f ms", what, ms.size(),
                s.min, s.median, s.p90, s.max, s.mean);
    int other = 0;
    for (int r : results)
        other += r != expected;
    std::printf("  results other than %d: %d", expected, other);
    for (int r : results)
        if (r != expected) std::printf(" [%d]", r);
    std::printf("\n");
}

template <class F> double timeMs(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    int standard = 100, pages = 10;
    bool pace = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--standard") && i + 1 < argc)
            standard = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--pages") && i + 1 < argc)
            pages = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--no-pace"))
            pace = false;
        else {
            std::fprintf(stderr, "usage: tervox_bench [--standard N] [--pages N] [--no-pace]\n");
            return 2;
        }
    }
    if (standard < 1 || pages < 1) return 2;

    nv820::Options options;
    options.pace9600 = pace;
    nv820::Nv820Simulator sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "tervox_bench: no pseudo-terminal\n");
        return 1;
    }
    sim.update([&](nv820::TerminalState& s) {
        for (int i = 1; i <= pages * 6; ++i)
            s.records.push_back({100000u + i, 2024, 5, 6, 7, i % 60});
    });
    if (OpenPort(sim.devicePath().c_str()) != 1) {
        std::fprintf(stderr, "tervox_bench: cannot open %s\n", sim.devicePath().c_str());
        return 1;
    }
    std::printf("line: %s, %s\n", sim.devicePath().c_str(), pace ? "paced at 9600 baud" : "unpaced");

    int32_t a = 0, b = 0, c = 0;
    Call(1, &a, &b, &c); // warm-up

    std::vector<double> calls;
    std::vector<int> callResults;
    for (int i = 0; i < standard; ++i)
        calls.push_back(timeMs([&] { callResults.push_back(Call(1, &a, &b, &c)); }));
    print("standard exchange (Call)", calls, callResults, 1);

    std::vector<double> reads;
    std::vector<int> pageResults;
    TerminalRecord records[6];
    for (int i = 0; i < pages; ++i)
        reads.push_back(timeMs([&] { pageResults.push_back(GetRecord(1, 1 + 6 * i, records, 5)); }));
    print("record page (GetRecord, 60 bytes)", reads, pageResults, 1);

    sim.setFault({nv820::FaultKind::NoAnswer});
    std::vector<double> silent;
    std::vector<int> silentResults;
    for (int i = 0; i < 10; ++i)
        silent.push_back(timeMs([&] { silentResults.push_back(Call(1, &a, &b, &c)); }));
    print("unanswered standard exchange", silent, silentResults, 0);

    ClosePort();
    sim.stop();
    return 0;
}
