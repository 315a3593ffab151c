#pragma once
// The SQL texts of the record views: exceptions and business trips, and the bounds of their pickers.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace view_sql {

// The items of the radio group "缺勤类型", in their order.
enum class ExceptionKind { Late = 0, Early = 1, All = 2 };

// The flagged swipes between the bounds (both included); for Late or Early only those whose exception
// text contains "迟到" or "早退". Ordered by Brush_Date.
QString exceptionView(const QDateTime& from, const QDateTime& to, ExceptionKind kind);

// The trips that cover the day at some moment, ordered by Start_Date.
QString tripView(const QDate& day);

inline const QString kTripsInitial = QStringLiteral("select * from MH_Evection order by Start_Date");

// A bound of a view: the date of its date picker at the time of day of its time picker.
inline QDateTime bound(const QDate& datePicker, const QTime& timePicker) {
    return QDateTime(datePicker, timePicker);
}
// The same from the pickers' full values: a date picker's time and a time picker's date do not count.
inline QDateTime bound(const QDateTime& datePicker, const QDateTime& timePicker) {
    return QDateTime(datePicker.date(), timePicker.time());
}

} // namespace view_sql
