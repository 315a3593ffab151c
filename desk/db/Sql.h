#pragma once
// Values written into SQL text go through here: one quoting rule for the whole program.

#include <QDateTime>
#include <QString>

namespace sql {

// 'text' with every single quote doubled, so a name like O'Neil is one literal. NUL characters, which
// would end the statement text early, are dropped.
QString quote(const QString& value);

// CDate('yyyy-mm-dd hh:mm:ss') for a bound of a date-time range.
QString cdate(const QDateTime& dt);

// The stored form of a date-time: 'yyyy-mm-dd hh:mm:ss' (no quotes).
QString dateTimeText(const QDateTime& dt);

// A date-time text in the stored form, or a null QString when the text is no date-time. Accepts
// "yyyy-m-d" (or "/" between the parts), optionally followed by blanks and "h:m" or "h:m:s"; the
// date and the time must exist. What CDate returns inside SQL.
QString normalizeDateTime(const QString& text);

// The stored form read back as a QDateTime (invalid when the text is none).
QDateTime parseStored(const QString& text);

} // namespace sql
