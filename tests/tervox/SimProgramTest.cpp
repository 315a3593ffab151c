// The nv820-sim program as the demo and other tests start it: its device line, preloads, timed swipes,
// faults and its ending.

#include "tervox.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A started nv820-sim with its standard output on a pipe.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv{const_cast<char*>(NV820_SIM)};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(NV820_SIM, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            wait();
        }
        if (out_) std::fclose(out_);
    }
    std::string line() {
        char buf[512];
        if (!out_ || !std::fgets(buf, sizeof buf, out_)) return {};
        std::string s = buf;
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        return s;
    }
    std::string rest() {
        std::string s;
        char buf[512];
        while (out_ && std::fgets(buf, sizeof buf, out_))
            s += buf;
        return s;
    }
    // The device from the "nv820-sim: /dev/pts/N" line.
    std::string device() {
        std::string l = line();
        const std::string prefix = "nv820-sim: ";
        return l.rfind(prefix, 0) == 0 ? l.substr(prefix.size()) : std::string{};
    }
    int terminate() {
        ::kill(pid_, SIGTERM);
        return wait();
    }
    int wait() {
        int status = 0;
        if (pid_ > 0) ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

TEST(SimProgram, HelpNamesTheOptions) {
    SimProcess p({"--help"});
    std::string text = p.rest();
    EXPECT_EQ(p.wait(), 0);
    for (const char* option : {"--swipe-every", "--cards", "--records", "--red-names", "--pace", "--fault"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}

TEST(SimProgram, RefusesBadOptions) {
    EXPECT_EQ(SimProcess({"--bogus"}).wait(), 2);
    EXPECT_EQ(SimProcess({"--cards", "12x"}).wait(), 2);
    EXPECT_EQ(SimProcess({"--swipe-every", "1"}).wait(), 2); // no cards to swipe
    EXPECT_EQ(SimProcess({"--fault", "sometimes"}).wait(), 2);
}

TEST(SimProgram, ServesPreloadedListsUntilTerminated) {
    SimProcess p({"--records", "100,4000000000@2010-05-06T07:08", "--red-names", "5,6,7", "--name-codes",
                  "42=Bob,43=LongerThanEight"});
    std::string dev = p.device();
    ASSERT_FALSE(dev.empty());
    ASSERT_EQ(OpenPort(dev.c_str()), 1);
    int32_t count = 0;
    EXPECT_EQ(GetRecordCount(1, &count), 1);
    EXPECT_EQ(count, 2);
    TerminalRecord recs[6] = {};
    ASSERT_EQ(GetRecord(1, 1, recs, 5), 1);
    EXPECT_EQ(recs[0].card, 100u);
    EXPECT_EQ(recs[1].card, 4000000000u);
    EXPECT_NEAR(recs[1].dateTime, 40304.0 + (7 * 60 + 8) / 1440.0, 1e-9); // 2010-05-06 07:08
    EXPECT_EQ(recs[2].card, 0u);
    EXPECT_EQ(GetRedNamesCount(1, &count), 1);
    EXPECT_EQ(count, 3);
    int32_t lead = 0;
    uint32_t card = 0;
    char name[10] = {};
    char* pn = name;
    ASSERT_EQ(GetNameCode(1, 3, 2, &lead, &card, &pn), 1);
    EXPECT_EQ(card, 43u);
    EXPECT_STREQ(name, "LongerTh");
    EXPECT_EQ(ClosePort(), 1);
    EXPECT_EQ(p.terminate(), 0);
}

TEST(SimProgram, SwipesEveryFewTenthsWhileReportingIsOn) {
    const std::string link = ::testing::TempDir() + "nv820-link-" + std::to_string(::getpid());
    SimProcess p({"--address", "3", "--link", link, "--cards", "0000012345,777", "--swipe-every", "0.15"});
    ASSERT_FALSE(p.device().empty());
    ASSERT_EQ(OpenPort(link.c_str()), 1);
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), 0);
    ASSERT_EQ(Call(3, &a, &b, &c), 1);
    ASSERT_EQ(ScoutInfoOnOff(3, 1), 1);
    std::vector<uint32_t> cards;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (cards.size() < 3 && std::chrono::steady_clock::now() < until) {
        uint32_t card = 0;
        if (ScoutInfo(3, &card) == 1 && card != 0) cards.push_back(card);
    }
    ASSERT_GE(cards.size(), 3u);
    // Consecutive reports alternate between the two cards, whichever came first.
    EXPECT_NE(cards[0], cards[1]);
    EXPECT_EQ(cards[0], cards[2]);
    for (uint32_t card : cards)
        EXPECT_TRUE(card == 12345u || card == 777u) << card;
    EXPECT_EQ(ClosePort(), 1);
    EXPECT_EQ(p.terminate(), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0); // the link went with it
}

TEST(SimProgram, StandingFaultFromTheCommandLine) {
    SimProcess p({"--fault", "no-answer", "--pace"});
    std::string dev = p.device();
    ASSERT_EQ(OpenPort(dev.c_str()), 1);
    int32_t a = 0, b = 0, c = 0;
    EXPECT_EQ(Call(1, &a, &b, &c), 0);
    EXPECT_EQ(ClosePort(), 1);
}

} // namespace
