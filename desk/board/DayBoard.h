#pragma once
// The picture of the current day: sign-in lines, exception lines, the late and early lists and the two
// absent lists. Every line has a fixed layout in CP936 bytes, because the reports take names out of
// fixed byte positions.
//
// Sign-in line (fields trimmed, then cut):
//   number "000", 2 blanks, Empl_Name right-aligned in 8, 2 blanks, Dept_Name right-aligned in 16,
//   2 blanks, Brush_Date "yyyy.MM.dd hh:mm:ss", 2 blanks, RE_Content right-aligned in 20.
// Exception line: the number of exception lines before it ("000", so the first is 000), then the
//   sign-in line from its name field on.
// Late and early line: the number of lines of that list before it plus one ("00"), a blank, Empl_Name
//   right-aligned in 8, a blank, RE_Content right-aligned in 12. From the hundredth line the number has
//   three digits and the later fields move one byte to the right.

#include "desk/board/AbsentList.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/board/SignInRecord.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class DayBoard {
public:
    // What one live sign-in changed, so the window can update its panes without refilling them.
    struct Change {
        QString signInLine;
        QString exceptionLine;     // empty when none was added
        QString lateLine;          // empty when none was added
        QString earlyLine;         // empty when none was added
        int onDutyAbsentRow = -1;  // row removed from OnDutyAbsentList, -1 when none
        int offDutyAbsentRow = -1; // row removed from OffDutyAbsentList, -1 when none
    };

    const QStringList& SignInLines() const { return signIns_; }
    const QStringList& ExceptionLines() const { return exceptions_; }
    const QStringList& LateList() const { return late_; }
    const QStringList& EarlyList() const { return early_; }
    const AbsentList& OnDutyAbsentList() const { return onDutyAbsent_; }
    const AbsentList& OffDutyAbsentList() const { return offDutyAbsent_; }

    // Line layouts.
    static QString signInLine(int number, const SignInRecord& r);
    static QString exceptionLine(int number, const SignInRecord& r);
    static QString listLine(int number, const SignInRecord& r); // late and early lines
    // The name field of a late or early line, trimmed: bytes 4 to 11 while the number has two digits,
    // one byte further right for each further digit.
    static QString nameOfListLine(const QString& line);

    // Live operations; each appends with the next number and returns the line.
    QString addSignIn(const SignInRecord& r);
    QString addException(const SignInRecord& r);
    QString addLate(const SignInRecord& r);
    QString addEarly(const SignInRecord& r);
    // Remove the first entry equal to the trimmed name (see AbsentList::remove); the row it had, or -1.
    int removeFromOnDutyAbsent(const QString& name);
    int removeFromOffDutyAbsent(const QString& name);

    // Whether the late or early list holds a line whose name field equals the trimmed name cut to 8
    // bytes.
    bool lateHoldsLineFor(const QString& name) const;
    bool earlyHoldsLineFor(const QString& name) const;

    // A completed sign-in, from the stored row: a sign-in line; for a flagged row an exception line, and a
    // late (early) line while the employee is still in the on-duty (off-duty) absent list; then the name
    // leaves the absent list of its duty.
    Change applySignIn(const SignInRecord& stored);

    // The daily reset: every roster name into both absent lists, then the day's rows (in Brush_Date
    // order) replayed. Sign-in lines are numbered by the row's position; a row adds a late (early) line
    // only when the list holds none for that employee yet.
    void rebuild(const EmployeeRoster& roster, const std::vector<SignInRecord>& day);

    void clear();

private:
    static QString nameKey(const QString& name); // the trimmed name cut to 8 bytes, trimmed

    QStringList signIns_;
    QStringList exceptions_;
    QStringList late_;
    QStringList early_;
    AbsentList onDutyAbsent_;
    AbsentList offDutyAbsent_;
    QSet<QString> lateNames_;  // name fields of LateList
    QSet<QString> earlyNames_; // name fields of EarlyList
};
