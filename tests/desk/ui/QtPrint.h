#pragma once
// Readable Qt values in GoogleTest failure messages.

#include <QString>
#include <QStringList>
#include <QTime>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}
inline void PrintTo(const QTime& t, std::ostream* os) {
    *os << t.toString(QStringLiteral("hh:mm:ss.zzz")).toStdString();
}
