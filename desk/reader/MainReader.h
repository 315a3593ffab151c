#pragma once
// Card reading of the main window, without the window: starting and stopping, the 100 ms poll that
// reads only what the port holds, RS485 frame assembly and its acknowledgement, RS232 and RS232B
// decoding, the NV820 terminal through a TerminalLink, and the swipe prompt. The window calls start(),
// stop(), tick() from Timer1 and promptTick() from SenTimer, and renders prompt() and the callbacks.

#include "Frames.h"
#include "SwipePrompt.h"
#include "serial/SerialPort.h"

#include <QString>
#include <array>
#include <functional>

class Prompter;

namespace reader {

class TerminalLink;

class MainReader {
public:
    struct Hooks {
        // The reader kind in force, asked at every step: "RS485", "RS232", "RS232B" or "NV820".
        std::function<QString()> kind;
        // A card arrived: put it into the card-number box and run the sign-in as if Enter was pressed.
        // True when the sign-in completed; only then does an RS485 reader get its acknowledgement.
        std::function<bool(const QString& card)> deliver;
        // Status panel 1.
        std::function<void(const QString& text)> status;
        // Bad data: clear the card-number box and focus it.
        std::function<void()> clearCard;
        // The address of the reader whose frame was accepted, for the sign-in to store.
        std::function<void(int address)> setClockAddress;
        // Lets pending window messages be processed.
        std::function<void()> processEvents;
        // Reading started or stopped: the window starts or stops Timer1 and SenTimer, shows or hides the
        // stop button and renders the prompt.
        std::function<void(bool reading)> readingChanged;
    };

    // link may be null when no terminal library is available; NV820 reading then cannot start.
    MainReader(Prompter& prompter, TerminalLink* link, Hooks hooks);
    ~MainReader();
    MainReader(const MainReader&) = delete;
    MainReader& operator=(const MainReader&) = delete;

    // Starts reading on the device (the resolved path of the selected COM port). False when reading
    // did not start; the user has been told why.
    bool start(const QString& devicePath);
    void stop();
    // The 100 ms poll.
    void tick();
    // The 300 ms prompt tick.
    void promptTick();
    // Writes the acknowledgement of the frame being signed in to the reader, once. The sign-in may call
    // this itself; otherwise it is sent when deliver() reports success. False when there is nothing to
    // acknowledge or no port.
    bool sendAck();

    bool isReading() const { return reading_; }
    // A port is held: the serial device or the terminal library's port.
    bool hasPort() const { return port_.isOpen() || linkOpen_; }
    const SwipePrompt& prompt() const { return prompt_; }
    const AssemblyBuffer& assembly() const { return assembly_; }
    const std::array<std::uint8_t, kAckSize>& lastAck() const { return ack_; }
    // Bytes waiting on the serial port (-1 without one), for the window's diagnostics and the tests.
    int bytesWaiting() const { return port_.bytesWaiting(); }

private:
    QString kind() const;
    bool startSerial(const QString& path);
    bool startTerminal(const QString& path);
    void pollTerminal();
    void pollSerial(const QString& kind);
    void badData();
    void deliver(const QString& card, bool absorbErrors);
    void setReading(bool on);

    Prompter& prompter_;
    TerminalLink* link_;
    Hooks hooks_;
    serial::SerialPort port_;
    bool linkOpen_ = false;
    bool reading_ = false;
    bool busy_ = false; // inside a poll: a nested poll (through processEvents) returns at once
    std::array<std::uint8_t, kReadBufferSize> readBuf_{};
    AssemblyBuffer assembly_;
    std::array<std::uint8_t, kAckSize> ack_{};
    bool ackPending_ = false;
    SwipePrompt prompt_{SwipePrompt::Mode::Repeat};
};

} // namespace reader
