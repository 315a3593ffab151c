#include "desk/views/ViewQueries.h"

namespace view_sql {

namespace {
// Dates and times are formatted here, so the literals cannot carry a quote.
QString stamp(const QDateTime& dt) {
    return dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
QString date(const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}
} // namespace

QString exceptionView(const QDateTime& from, const QDateTime& to, ExceptionKind kind) {
    QString sql = QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('") +
                  stamp(from) + QStringLiteral("') and Brush_Date<=CDate('") + stamp(to) +
                  QStringLiteral("') and RE_Flag='Y'");
    if (kind == ExceptionKind::Late) sql += QStringLiteral(" and InStr(1,RE_Content,'迟到',1)>0");
    if (kind == ExceptionKind::Early) sql += QStringLiteral(" and InStr(1,RE_Content,'早退',1)>0");
    return sql + QStringLiteral(" order by Brush_Date");
}

QString tripView(const QDate& day) {
    return QStringLiteral("select * from MH_Evection where Start_Date<=CDate('") + date(day) +
           QStringLiteral(" 23:59:00') and End_Date>=CDate('") + date(day) +
           QStringLiteral("') order by Start_Date");
}

} // namespace view_sql
