#pragma once
// One swipe as a row of MH_AttendResourceRecord.

#include <QDateTime>
#include <QString>

struct SignInRecord {
    QString Empl_Name;
    QString Dept_Name;
    QString RE_Flag;
    QString RE_Content;
    QString ADFlag;
    QDateTime Brush_Date;
    int Brush_Hour = 0;
    int Brush_Minute = 0;
    int Brush_Second = 0;
    QString Card_Cord;
    QString Clock_Address;
};

// Sizes of the swipe table's text columns, in characters. The store cuts longer texts to them.
namespace swipe_columns {
inline constexpr int Empl_Name = 8;
inline constexpr int Dept_Name = 32;
inline constexpr int RE_Flag = 1;
inline constexpr int RE_Content = 20;
inline constexpr int ADFlag = 2;
inline constexpr int Card_Cord = 12;
inline constexpr int Clock_Address = 2;
} // namespace swipe_columns

// The record as it reads back from the table: texts cut to their columns, the moment to whole seconds
// (the table keeps "yyyy-mm-dd hh:mm:ss").
inline SignInRecord asStored(SignInRecord r) {
    r.Empl_Name.truncate(swipe_columns::Empl_Name);
    r.Dept_Name.truncate(swipe_columns::Dept_Name);
    r.RE_Flag.truncate(swipe_columns::RE_Flag);
    r.RE_Content.truncate(swipe_columns::RE_Content);
    r.ADFlag.truncate(swipe_columns::ADFlag);
    r.Card_Cord.truncate(swipe_columns::Card_Cord);
    r.Clock_Address.truncate(swipe_columns::Clock_Address);
    if (r.Brush_Date.isValid()) r.Brush_Date = r.Brush_Date.addMSecs(-r.Brush_Date.time().msec());
    return r;
}
