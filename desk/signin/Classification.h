#pragma once
// On or off duty, late or early by whole minutes, and overtime: the classification of one swipe.

#include <QString>
#include <QTime>

// The time pickers of the main window. Only hours and minutes count.
struct TimeSettings {
    QTime ATime{8, 35};   // on duty
    QTime DTime{17, 0};   // off duty
    QTime ADTime{12, 0};  // boundary between on- and off-duty swipes
    QTime ASTime{22, 0};  // from here an off-duty swipe is overtime
    QTime ASATime{10, 0}; // next day's grace for those who worked overtime
};

struct Classification {
    QString ADFlag;     // "上" or "下"
    QString RE_Flag;    // "Y" or ""
    QString RE_Content; // "迟到N分钟", "早退N分钟" or ""
    bool overtime = false;
};

// Minutes late of an on-duty swipe at n (may be 0 or negative); 0 for an off-duty one.
int minutesLate(const QTime& n, const TimeSettings& t);
bool isOnDuty(const QTime& n, const TimeSettings& t);

// Whether the result depends on yesterday's overtime file, that is, the swipe is on duty and late by
// ATime. Only then need the file be read.
inline bool needsOvertimeLookup(const QTime& n, const TimeSettings& t) {
    return minutesLate(n, t) > 0;
}

// The classification of a swipe at n; inYesterdaysOvertime tells whether the card is in yesterday's
// overtime file (only looked at when needsOvertimeLookup).
Classification classify(const QTime& n, const TimeSettings& t, bool inYesterdaysOvertime);
