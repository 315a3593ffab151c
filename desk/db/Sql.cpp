#include "db/Sql.h"

namespace sql {

QString quote(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    out += QLatin1Char('\'');
    for (QChar c : value) {
        if (c == QLatin1Char('\'')) out += QLatin1Char('\'');
        if (c.unicode() != 0) out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString dateTimeText(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString cdate(const QDateTime& dt) {
    return QStringLiteral("CDate(") + quote(dateTimeText(dt)) + QLatin1Char(')');
}

namespace {

// Reads 1 to maxDigits decimal digits at pos; -1 when there are none.
int readNumber(const QString& s, qsizetype& pos, int maxDigits) {
    int value = 0;
    int digits = 0;
    while (pos < s.size() && digits < maxDigits && s[pos].unicode() >= '0' && s[pos].unicode() <= '9') {
        value = value * 10 + (s[pos].unicode() - '0');
        ++pos;
        ++digits;
    }
    if (pos < s.size() && s[pos].isDigit()) return -1; // too many digits
    return digits == 0 ? -1 : value;
}

} // namespace

QString normalizeDateTime(const QString& input) {
    const QString s = input.trimmed();
    qsizetype pos = 0;
    const int y = readNumber(s, pos, 4);
    if (y < 0 || pos != 4 || pos >= s.size()) return {};
    const QChar sep = s[pos];
    if (sep != QLatin1Char('-') && sep != QLatin1Char('/')) return {};
    ++pos;
    const int mo = readNumber(s, pos, 2);
    if (mo < 0 || pos >= s.size() || s[pos] != sep) return {};
    ++pos;
    const int d = readNumber(s, pos, 2);
    if (d < 0) return {};
    const QDate date(y, mo, d);
    if (!date.isValid()) return {};
    int h = 0, mi = 0, se = 0;
    if (pos < s.size()) {
        if (s[pos] != QLatin1Char(' ')) return {};
        while (pos < s.size() && s[pos] == QLatin1Char(' '))
            ++pos;
        h = readNumber(s, pos, 2);
        if (h < 0 || pos >= s.size() || s[pos] != QLatin1Char(':')) return {};
        ++pos;
        mi = readNumber(s, pos, 2);
        if (mi < 0) return {};
        if (pos < s.size()) {
            if (s[pos] != QLatin1Char(':')) return {};
            ++pos;
            se = readNumber(s, pos, 2);
            if (se < 0) return {};
        }
        if (pos != s.size() || h > 23 || mi > 59 || se > 59) return {};
    }
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, se);
}

QDateTime parseStored(const QString& text) {
    const QString n = normalizeDateTime(text);
    if (n.isNull()) return {};
    const auto num = [&](int from, int len) { return QStringView(n).mid(from, len).toInt(); };
    return QDateTime(QDate(num(0, 4), num(5, 2), num(8, 2)), QTime(num(11, 2), num(14, 2), num(17, 2)));
}

} // namespace sql
