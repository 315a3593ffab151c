#include "GbText.h"

#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <QStringEncoder>

namespace gb {

namespace {
// Width of one code point in CP936: ASCII one byte, every other character two.
inline int unitWidth(char32_t c) { return c < 0x80 ? 1 : 2; }

// Calls f(codePoint, index, length) for each code point, pairing surrogates.
template <typename F> void forEachCodePoint(const QString& text, F&& f) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(ch, text.at(i + 1)), i, 2);
            i += 2;
        } else {
            f(char32_t(ch.unicode()), i, 1);
            ++i;
        }
    }
}
} // namespace

QByteArray encode(const QString& text) {
    QStringEncoder enc("GBK", QStringConverter::Flag::Default);
    QByteArray out = enc.encode(text);
    return out;
}

QString decode(const QByteArray& bytes) {
    QStringDecoder dec("GBK", QStringConverter::Flag::Default);
    return dec.decode(bytes);
}

int width(const QString& text) {
    int w = 0;
    forEachCodePoint(text, [&](char32_t c, qsizetype, qsizetype) { w += unitWidth(c); });
    return w;
}

QString bytesMid(const QString& text, int from, int to) {
    QString out;
    if (to < from) return out;
    int pos = 1; // byte position of the current character's first byte
    forEachCodePoint(text, [&](char32_t c, qsizetype i, qsizetype len) {
        const int w = unitWidth(c);
        const int last = pos + w - 1;
        if (last >= from && pos <= to) {
            if (pos >= from && last <= to) {
                out += QStringView(text).mid(i, len);
            } else {
                // Only part of a two-byte character lies inside: a blank for each byte inside.
                const int inside = std::min(last, to) - std::max(pos, from) + 1;
                out += QString(inside, QLatin1Char(' '));
            }
        }
        pos += w;
    });
    return out;
}

QString cut(const QString& text, int n) {
    if (n <= 0) return {};
    return bytesMid(text, 1, n);
}

QString rightAlign(const QString& text, int n) {
    QString s = cut(text, n);
    const int w = width(s);
    return w < n ? QString(n - w, QLatin1Char(' ')) + s : s;
}

QString leftAlign(const QString& text, int n) {
    QString s = cut(text, n);
    const int w = width(s);
    return w < n ? s + QString(n - w, QLatin1Char(' ')) : s;
}

} // namespace gb
