#pragma once
// The sign-in of one card number, without the window: lookup in the roster, classification, the
// overtime files, the stored row, the day board, the reader's acknowledgement and the name call. The
// window passes the card-number box's text and shows what the callbacks report.

#include "common/Clock.h"
#include "desk/board/DayBoard.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/board/SignInRecord.h"
#include "desk/signin/Classification.h"
#include "desk/signin/OvertimeFile.h"

#include <QString>
#include <functional>

// Where a completed sign-in's row goes (the window: the swipe-history dataset).
class SwipeStore {
public:
    virtual ~SwipeStore() = default;
    // False with *error set when the row was not stored.
    virtual bool append(const SignInRecord& record, QString* error) = 0;
};

struct SignInCallbacks {
    std::function<void(const QString&)> status;         // status panel 1
    std::function<void()> processEvents;                // let pending window messages be processed
    std::function<void()> acknowledge;                  // send the acknowledgement frame to the RS485 reader
    std::function<bool(const QString& path)> playSound; // start playing; false when it could not start
};

class SignInService {
public:
    enum class Result { Empty, Unknown, Stored, Failed };
    struct Outcome {
        Result result = Result::Empty;
        QString error;          // for Failed
        SignInRecord record;    // for Stored: the row as stored, which the board lines were built from
        DayBoard::Change board; // for Stored
    };

    SignInService(const EmployeeRoster& roster, DayBoard& board, const Clock& clock, SwipeStore& store,
                  QString homeDir, SignInCallbacks callbacks = {});

    void setTimes(const TimeSettings& t) { times_ = t; }
    const TimeSettings& times() const { return times_; }
    void setReaderKind(const QString& kind) { readerKind_ = kind; }
    const QString& readerKind() const { return readerKind_; }
    // The check box "刷卡成功呼叫持卡人姓名".
    void setCallNames(bool on) { callNames_ = on; }
    bool callNames() const { return callNames_; }

    // The reader address stored with the next sign-in: 0 at start, the address of the last accepted
    // RS485 frame, 90 after every completed sign-in.
    void setClockAddress(int address) { clockAddress_ = address; }
    int clockAddress() const { return clockAddress_; }

    // The sign-in for the box text as it stands (not trimmed, except to test emptiness). fromReader is
    // true when the reader poll put the card into the box rather than the operator typing it.
    //
    // Empty and Unknown store nothing and change nothing. Failed (an overtime file or the store
    // failed) stores nothing more, leaves the board and the clock address as they were, and carries the
    // error for the window's error report.
    Outcome signIn(const QString& boxText, bool fromReader);

    // home/EmpSound/<name>.wav
    QString soundPath(const QString& name) const;

private:
    void status(const QString& text) const;
    void processEvents() const;
    void callName(const QString& name) const;

    const EmployeeRoster& roster_;
    DayBoard& board_;
    const Clock& clock_;
    SwipeStore& store_;
    QString home_;
    OvertimeFile overtime_;
    SignInCallbacks cb_;
    TimeSettings times_;
    QString readerKind_;
    bool callNames_ = false;
    int clockAddress_ = 0;
};
