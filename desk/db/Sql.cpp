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
    // The stored form has its digits at fixed places; anything else goes through the full parser.
    QString canonical;
    const QString* s = &text;
    const auto at = [&](int i) { return int((*s)[i].unicode()) - '0'; };
    const auto digitsOk = [&] {
        static constexpr int places[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
        for (int i : places)
            if (unsigned(at(i)) > 9) return false;
        return (*s)[4] == QLatin1Char('-') && (*s)[7] == QLatin1Char('-') && (*s)[10] == QLatin1Char(' ') &&
               (*s)[13] == QLatin1Char(':') && (*s)[16] == QLatin1Char(':');
    };
    if (s->size() != 19 || !digitsOk()) {
        canonical = normalizeDateTime(text);
        if (canonical.isNull()) return {};
        s = &canonical;
    }
    const QDate d(at(0) * 1000 + at(1) * 100 + at(2) * 10 + at(3), at(5) * 10 + at(6), at(8) * 10 + at(9));
    const QTime t(at(11) * 10 + at(12), at(14) * 10 + at(15), at(17) * 10 + at(18));
    if (!d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t);
}

} // namespace sql
