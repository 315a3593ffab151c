#pragma once
// Card reading of the card window, without the window: one read attempt that ends after one card, after
// bad data, or when the prompt times out after 25 ticks. Serial readers are polled every 500 ms
// (tick(), the window's Timer1); RS485 readers and NV620 terminals switch over to the 100 ms assembly
// poll (assemblyTick(), Timer2), which acknowledges a frame as soon as it is accepted. The NV820
// terminal is read through a TerminalLink. The window starts and stops its timers as pollActive(),
// assemblyActive() and promptActive() say, each time timersChanged is called.

#include "Frames.h"
#include "SwipePrompt.h"
#include "serial/SerialPort.h"

#include <QString>
#include <array>
#include <functional>

class Prompter;

namespace reader {

class TerminalLink;

class CardReadingSession {
public:
    struct Hooks {
        // A card was read: put it into the target field (or the card-change panel's field) and focus it.
        std::function<void(const QString& card)> deliver;
        // Clear the target field (and the panel's field while the panel is shown) and focus it.
        std::function<void()> clearTarget;
        // The card window's list of registered cards contains this number.
        std::function<bool(const QString& card)> isRegistered;
        // One of the three timers has to start or stop.
        std::function<void()> timersChanged;
    };

    // kind is [SysSet] MachType (compared upper-cased) and provider [SysSet] Provider, both as read when the
    // card window was created. link may be null when no terminal library is available.
    CardReadingSession(QString kind, QString provider, Prompter& prompter, TerminalLink* link, Hooks hooks);
    ~CardReadingSession();
    CardReadingSession(const CardReadingSession&) = delete;
    CardReadingSession& operator=(const CardReadingSession&) = delete;

    // Starts a read attempt on the device (the resolved path of the window's port).
    void start(const QString& devicePath);
    void stop();
    // The 500 ms poll.
    void tick();
    // The 100 ms assembly poll; keeps running after a stop and works through what the buffer holds.
    void assemblyTick();
    // The 300 ms prompt tick; the 25th tick ends the attempt.
    void promptTick();
    // The window closes: release the port.
    void close();

    bool pollActive() const { return poll_; }
    bool assemblyActive() const { return assemblyPoll_; }
    bool promptActive() const { return promptRunning_; }
    bool hasPort() const { return port_.isOpen() || linkOpen_; }
    const SwipePrompt& prompt() const { return prompt_; }
    const AssemblyBuffer& assembly() const { return assembly_; }
    // Providers whose readers give the whole number; the others give the short 6-digit form.
    bool tenDigitProvider() const { return tenDigits_; }
    int bytesWaiting() const { return port_.bytesWaiting(); }

private:
    void startSerial(const QString& path);
    void startTerminal(const QString& path);
    void pollTerminal();
    void pollSerial();
    void acceptFrame(const Frame& frame);
    void releasePort();
    void setTimers(bool poll, bool assembly, bool prompt);

    QString kind_;
    bool tenDigits_;
    Prompter& prompter_;
    TerminalLink* link_;
    Hooks hooks_;
    serial::SerialPort port_;
    bool linkOpen_ = false;
    bool poll_ = false;
    bool assemblyPoll_ = false;
    bool promptRunning_ = false;
    bool busy_ = false; // inside a poll: a nested one (a message box's event loop) returns at once
    std::array<std::uint8_t, kReadBufferSize> readBuf_{};
    AssemblyBuffer assembly_;
    SwipePrompt prompt_{SwipePrompt::Mode::TimeOut};
};

} // namespace reader
