#pragma once
// The current date and time. Sign-in, board, scheduler and logs read the time only through a Clock.

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

// A clock that stands still until set or advanced.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime t) : t_(std::move(t)) {}
    QDateTime now() const override { return t_; }
    void set(const QDateTime& t) { t_ = t; }
    void advance(qint64 ms) { t_ = t_.addMSecs(ms); }

private:
    QDateTime t_;
};
