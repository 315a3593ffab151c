#pragma once
// The hourglass for the length of a scope (or until restore()).

#include <QGuiApplication>

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void restore() {
        if (!active_) return;
        active_ = false;
        QGuiApplication::restoreOverrideCursor();
    }

private:
    bool active_ = true;
};
