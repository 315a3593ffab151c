#include "SwipePrompt.h"

namespace reader {

void SwipePrompt::begin() {
    barsVisible_ = true;
    labelVisible_ = !labelVisible_;
}

bool SwipePrompt::tick() {
    if (mode_ == Mode::TimeOut) barsVisible_ = true;
    labelVisible_ = !labelVisible_;
    labelText_ = QStringLiteral("请刷卡") + QString(phase_, QLatin1Char('.'));
    if (phase_ >= 5) {
        shapes_.fill(false);
        phase_ = 1;
    } else {
        // Phase 1 lights Shape4, phase 4 Shape1: the rings grow outwards.
        shapes_[static_cast<std::size_t>(4 - phase_)] = true;
        ++phase_;
    }
    ++counter_;
    barValue_ = counter_;
    if (counter_ >= kTicks) {
        if (mode_ == Mode::TimeOut) return true;
        counter_ = 0;
    }
    return false;
}

void SwipePrompt::end() {
    phase_ = 1;
    shapes_.fill(false);
    counter_ = 0;
    barValue_ = 1;
    barsVisible_ = false;
    labelVisible_ = false;
}

} // namespace reader
