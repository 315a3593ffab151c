#pragma once
// A simulated terminal on a real pseudo-terminal, with the library's port open on it.

#include "Nv820Simulator.h"
#include "tervox.h"

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A 15-byte request as the terminal must receive it: header, address, code, data, XOR.
inline Bytes request(uint8_t address, uint8_t code, Bytes data = {}) {
    Bytes f(15, 0);
    f[0] = 0x94;
    f[1] = 0x3B;
    f[3] = address;
    f[4] = code;
    for (std::size_t i = 0; i < data.size(); ++i)
        f[5 + i] = data[i];
    for (std::size_t i = 0; i < 14; ++i)
        f[14] ^= f[i];
    return f;
}

template <class F> double elapsedMs(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

class TerminalTest : public ::testing::Test {
protected:
    explicit TerminalTest(nv820::Options options = {}) : sim(options) {}
    void SetUp() override {
        ASSERT_TRUE(sim.start());
        ASSERT_EQ(OpenPort(sim.devicePath().c_str()), 1);
    }
    void TearDown() override {
        ClosePort();
        sim.stop();
    }
    // The last request the terminal received; waits a little for write-only commands.
    Bytes sent(std::size_t count = 1) {
        sim.waitForRequests(count, 1000);
        return sim.lastRequest();
    }

    nv820::Nv820Simulator sim;
};
