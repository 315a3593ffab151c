#include "Formats.h"

#include <QRegularExpression>

namespace fmt {

QString date(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}
QString time(const QTime& t) {
    return t.toString(QStringLiteral("hh:mm:ss"));
}
QString dateTime(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
QString hhmm(const QTime& t) {
    return t.toString(QStringLiteral("hh:mm"));
}

std::optional<QTime> parseTime(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    const int h = m.captured(1).toInt();
    const int min = m.captured(2).toInt();
    const int s = m.hasCaptured(3) ? m.captured(3).toInt() : 0;
    if (h > 23 || min > 59 || s > 59) return std::nullopt;
    return QTime(h, min, s);
}

int expandTwoDigitYear(int yy, int currentYear) {
    const int base = currentYear - 70;
    int year = base / 100 * 100 + yy;
    if (year < base) year += 100;
    return year;
}

std::optional<QDate> parseDate(const QString& text, const QDate& today) {
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,4})-([0-9]{1,2})-([0-9]{1,2})$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    int y = m.captured(1).toInt();
    if (m.capturedLength(1) <= 2) y = expandTwoDigitYear(y, today.year());
    const QDate d(y, m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid()) return std::nullopt;
    return d;
}

std::optional<QDateTime> parseDateTime(const QString& text, const QDate& today) {
    const QString t = text.trimmed();
    const qsizetype blank = t.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const auto d = parseDate(blank < 0 ? t : t.left(blank), today);
    if (!d) return std::nullopt;
    if (blank < 0) return QDateTime(*d, QTime(0, 0));
    const auto tm = parseTime(t.mid(blank + 1));
    if (!tm) return std::nullopt;
    return QDateTime(*d, *tm);
}

} // namespace fmt
