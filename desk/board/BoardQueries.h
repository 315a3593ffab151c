#pragma once
// The statements the roster reload and the board rebuild run, and the receivers' department pick list.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace board_sql {

inline const QString kRegister = QStringLiteral("select * from MH_CardReg order by Empl_Code");
inline const QString kDepartments = QStringLiteral("select * from MH_AttendDept");
// The swipe-history dataset's text when the window is created.
inline const QString kSwipeHistoryInitial =
    QStringLiteral("select * from MH_AttendResourceRecord Order By Brush_Date");

// The day's swipes between two bounds, both included, ordered by Brush_Date.
QString swipeHistory(const QDateTime& from, const QDateTime& to);

// The rebuild's bounds: today 00:00:00 up to today 23:59:00.
QDateTime dayStart(const QDate& day);
QDateTime dayEnd(const QDate& day);

} // namespace board_sql

// The department columns the pick list takes from one row of MH_AttendDept.
struct DepartmentRow {
    QString Dept_Code;
    QString Dept_Name;
};

// The trimmed names of the departments whose trimmed name and code are both non-empty, in table order.
QStringList receiverDepartments(const std::vector<DepartmentRow>& rows);
