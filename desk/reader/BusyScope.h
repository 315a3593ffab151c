#pragma once
// Marks a poll as running for the length of a scope, so a poll that re-enters through processed
// events returns at once.

namespace reader {

class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

} // namespace reader
