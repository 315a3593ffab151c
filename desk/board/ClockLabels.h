#pragma once
// The texts of the clock at the bottom of the main window.

#include <QDateTime>
#include <QString>

struct ClockLabels {
    QString year;  // four digits
    QString month; // two digits each from here
    QString day;
    QString hour;
    QString minute;
    QString second;
    QString weekday; // "日" for Sunday, "一" … "六" for Monday to Saturday
};

ClockLabels clockLabels(const QDateTime& now);
