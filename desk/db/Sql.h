#pragma once
// Values written into SQL text go through here: one quoting rule for the whole program.

#include <QDateTime>
#include <QString>

namespace sql {

// 'text' with every single quote doubled, so a name like O'Neil is one literal.
QString quote(const QString& value);

// CDate('yyyy-mm-dd hh:mm:ss') for a bound of a date-time range.
QString cdate(const QDateTime& dt);

} // namespace sql
