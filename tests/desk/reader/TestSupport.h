#pragma once
// Shared pieces of the reader tests: a prompter that records what it was asked to show, and bounded
// waits for bytes to cross the pseudo-terminal.

#include "common/Prompter.h"

#include <chrono>
#include <functional>
#include <thread>

namespace readertest {

struct Shown {
    QString text;
    QString title;
};

class RecordingPrompter : public Prompter {
public:
    void message(const QString& text, const QString& title, Icon = Icon::Information) override {
        shown.push_back({text, title});
    }
    Answer ask(const QString& text, const QString& title, Buttons, Icon = Icon::Question) override {
        shown.push_back({text, title});
        return Answer::No;
    }
    std::vector<Shown> shown;
};

// Waits until the condition holds, at most timeoutMs; the bytes a pty master writes reach the slave
// after a short delay, longer on a loaded machine.
inline bool waitFor(const std::function<bool()>& cond, int timeoutMs = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace readertest
