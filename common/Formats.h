#pragma once
// The program-wide date and time formats: date "yyyy-mm-dd" with "-", time "HH:mm:ss" with ":".

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace fmt {

QString date(const QDate& d);          // 2006-01-09
QString time(const QTime& t);          // 08:05:00
QString dateTime(const QDateTime& dt); // 2006-01-09 08:05:00
QString hhmm(const QTime& t);          // 08:05

// A time of day as the platform's parser reads it: "h:m" or "h:m:s", one or two digits each, ":" only,
// blanks around allowed. nullopt when it is no time.
std::optional<QTime> parseTime(const QString& text);

// A date "yyyy-m-d" or "yy-m-d" (separator "-"); a two-digit year falls in the hundred years that begin
// 70 years before the year of `today`.
std::optional<QDate> parseDate(const QString& text, const QDate& today);

// A date-time: a date, optionally followed by a blank and a time; also the stored
// "yyyy-mm-dd hh:mm:ss" form.
std::optional<QDateTime> parseDateTime(const QString& text, const QDate& today);

// The four-digit year of a two-digit one: the window starts 70 years before currentYear.
int expandTwoDigitYear(int yy, int currentYear);

} // namespace fmt
