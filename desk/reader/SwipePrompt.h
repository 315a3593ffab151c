#pragma once
// The animated swipe prompt shown while a reader is read: the label "请刷卡" with one to five dots, four
// concentric ellipses lit from the smallest (Shape4) outwards, and a counter from 1 to 25 on the track
// bar and the progress bar. A window renders this state after every change.

#include <QString>
#include <array>

namespace reader {

class SwipePrompt {
public:
    // The main window counts round and round; the card window ends a read attempt at 25.
    enum class Mode { Repeat, TimeOut };
    static constexpr int kTicks = 25;

    explicit SwipePrompt(Mode mode) : mode_(mode) {}

    // Start of reading: bars shown, the label toggled.
    void begin();
    // One 300 ms tick. Returns true when the card window's attempt timed out (counter reached 25).
    bool tick();
    // Stop of reading: phase 1, ellipses hidden, counter 0, bars at 1 and hidden, label hidden.
    void end();
    // A card arrived: the prompt counts again from the start.
    void resetCounter() { counter_ = 0; }

    int phase() const { return phase_; }
    int counter() const { return counter_; }
    int barValue() const { return barValue_; }
    bool barsVisible() const { return barsVisible_; }
    bool labelVisible() const { return labelVisible_; }
    const QString& labelText() const { return labelText_; }
    // Shape1 (largest) to Shape4 (smallest).
    bool shapeVisible(int shape) const { return shape >= 1 && shape <= 4 && shapes_[shape - 1]; }

private:
    Mode mode_;
    int phase_ = 1;
    int counter_ = 0;
    int barValue_ = 1;
    bool barsVisible_ = false;
    bool labelVisible_ = false;
    QString labelText_ = QStringLiteral("请刷卡");
    std::array<bool, 4> shapes_{};
};

} // namespace reader
