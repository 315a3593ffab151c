#include "desk/signin/Classification.h"

namespace {
// Minutes since midnight of the hour and minute; comparing them is comparing the "hh:mm" texts.
int minuteOfDay(const QTime& t) {
    return t.hour() * 60 + t.minute();
}
} // namespace

bool isOnDuty(const QTime& n, const TimeSettings& t) {
    return minuteOfDay(n) <= minuteOfDay(t.ADTime);
}

int minutesLate(const QTime& n, const TimeSettings& t) {
    return isOnDuty(n, t) ? minuteOfDay(n) - minuteOfDay(t.ATime) : 0;
}

Classification classify(const QTime& n, const TimeSettings& t, bool inYesterdaysOvertime) {
    Classification c;
    if (isOnDuty(n, t)) {
        c.ADFlag = QStringLiteral("上");
        int late = minutesLate(n, t);
        if (late > 0 && inYesterdaysOvertime) late = minuteOfDay(n) - minuteOfDay(t.ASATime);
        if (late > 0) {
            c.RE_Flag = QStringLiteral("Y");
            c.RE_Content = QStringLiteral("迟到") + QString::number(late) + QStringLiteral("分钟");
        }
    } else {
        c.ADFlag = QStringLiteral("下");
        const int early = minuteOfDay(t.DTime) - minuteOfDay(n);
        if (early > 0) {
            c.RE_Flag = QStringLiteral("Y");
            c.RE_Content = QStringLiteral("早退") + QString::number(early) + QStringLiteral("分钟");
        } else {
            c.overtime = minuteOfDay(n) >= minuteOfDay(t.ASTime);
        }
    }
    return c;
}
