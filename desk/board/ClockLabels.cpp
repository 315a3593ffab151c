#include "desk/board/ClockLabels.h"

namespace {
QString two(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
} // namespace

ClockLabels clockLabels(const QDateTime& now) {
    static const QString days[] = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                   QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                   QStringLiteral("日")};
    const QDate d = now.date();
    const QTime t = now.time();
    ClockLabels c;
    c.year = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    c.month = two(d.month());
    c.day = two(d.day());
    c.hour = two(t.hour());
    c.minute = two(t.minute());
    c.second = two(t.second());
    const int dow = d.dayOfWeek(); // 1 = Monday … 7 = Sunday
    c.weekday = dow >= 1 && dow <= 7 ? days[dow - 1] : QString();
    return c;
}
