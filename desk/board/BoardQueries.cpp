#include "desk/board/BoardQueries.h"

namespace board_sql {

// The bounds are formatted by the program itself, so they cannot carry a quote.
QString swipeHistory(const QDateTime& from, const QDateTime& to) {
    const QString f = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    return QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('") +
           from.toString(f) + QStringLiteral("') and Brush_Date<=CDate('") + to.toString(f) +
           QStringLiteral("') order by Brush_Date");
}

QDateTime dayStart(const QDate& day) {
    return QDateTime(day, QTime(0, 0, 0));
}
QDateTime dayEnd(const QDate& day) {
    return QDateTime(day, QTime(23, 59, 0));
}

} // namespace board_sql

QStringList receiverDepartments(const std::vector<DepartmentRow>& rows) {
    QStringList out;
    for (const DepartmentRow& r : rows) {
        const QString name = r.Dept_Name.trimmed();
        if (!name.isEmpty() && !r.Dept_Code.trimmed().isEmpty()) out.append(name);
    }
    return out;
}
