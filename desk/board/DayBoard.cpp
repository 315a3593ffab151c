#include "desk/board/DayBoard.h"

#include "common/GbText.h"

namespace {

const QString kLate = QStringLiteral("迟到");
const QString kEarly = QStringLiteral("早退");
const QString kOnDuty = QStringLiteral("上");
const QString kOffDuty = QStringLiteral("下");

QString number(int n, int digits) {
    return QStringLiteral("%1").arg(n, digits, 10, QLatin1Char('0'));
}

// The sign-in line from its name field on.
QString signInTail(const SignInRecord& r) {
    const QString two(2, QLatin1Char(' '));
    return gb::rightAlign(r.Empl_Name.trimmed(), 8) + two + gb::rightAlign(r.Dept_Name.trimmed(), 16) + two +
           r.Brush_Date.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss")) + two +
           gb::rightAlign(r.RE_Content.trimmed(), 20);
}

bool flagged(const SignInRecord& r) {
    return r.RE_Flag.trimmed().toUpper() == QLatin1String("Y");
}

} // namespace

QString DayBoard::signInLine(int n, const SignInRecord& r) {
    return number(n, 3) + QLatin1String("  ") + signInTail(r);
}

// Built from the fields rather than cut from the sign-in line at a fixed byte, so that the name field
// follows the number directly also once sign-in numbers have four digits.
QString DayBoard::exceptionLine(int n, const SignInRecord& r) {
    return number(n, 3) + signInTail(r);
}

QString DayBoard::listLine(int n, const SignInRecord& r) {
    return number(n, 2) + QLatin1Char(' ') + gb::rightAlign(r.Empl_Name.trimmed(), 8) + QLatin1Char(' ') +
           gb::rightAlign(r.RE_Content.trimmed(), 12);
}

QString DayBoard::nameOfListLine(const QString& line) {
    int digits = 0;
    while (digits < line.size() && line.at(digits).isDigit() && line.at(digits).unicode() < 0x80)
        ++digits;
    if (digits < 2) digits = 2;
    return gb::bytesMid(line, digits + 2, digits + 9).trimmed();
}

QString DayBoard::nameKey(const QString& name) {
    return gb::cut(name.trimmed(), 8).trimmed();
}

QString DayBoard::addSignIn(const SignInRecord& r) {
    signIns_.append(signInLine(int(signIns_.size()) + 1, r));
    return signIns_.constLast();
}

QString DayBoard::addException(const SignInRecord& r) {
    exceptions_.append(exceptionLine(int(exceptions_.size()), r));
    return exceptions_.constLast();
}

QString DayBoard::addLate(const SignInRecord& r) {
    late_.append(listLine(int(late_.size()) + 1, r));
    lateNames_.insert(nameKey(r.Empl_Name));
    return late_.constLast();
}

QString DayBoard::addEarly(const SignInRecord& r) {
    early_.append(listLine(int(early_.size()) + 1, r));
    earlyNames_.insert(nameKey(r.Empl_Name));
    return early_.constLast();
}

int DayBoard::removeFromOnDutyAbsent(const QString& name) {
    return onDutyAbsent_.remove(name.trimmed());
}
int DayBoard::removeFromOffDutyAbsent(const QString& name) {
    return offDutyAbsent_.remove(name.trimmed());
}

bool DayBoard::lateHoldsLineFor(const QString& name) const {
    return lateNames_.contains(nameKey(name));
}
bool DayBoard::earlyHoldsLineFor(const QString& name) const {
    return earlyNames_.contains(nameKey(name));
}

DayBoard::Change DayBoard::applySignIn(const SignInRecord& r) {
    Change c;
    c.signInLine = addSignIn(r);
    const QString name = r.Empl_Name.trimmed();
    if (flagged(r)) {
        c.exceptionLine = addException(r);
        if (r.RE_Content.contains(kLate) && onDutyAbsent_.contains(name)) c.lateLine = addLate(r);
        if (r.RE_Content.contains(kEarly) && offDutyAbsent_.contains(name)) c.earlyLine = addEarly(r);
    }
    const QString duty = r.ADFlag.trimmed();
    if (duty == kOnDuty)
        c.onDutyAbsentRow = onDutyAbsent_.remove(name);
    else if (duty == kOffDuty)
        c.offDutyAbsentRow = offDutyAbsent_.remove(name);
    return c;
}

void DayBoard::rebuild(const EmployeeRoster& roster, const std::vector<SignInRecord>& day) {
    clear();
    for (int i = 0; i < roster.size(); ++i) {
        const QString name = roster.lineName(i);
        onDutyAbsent_.append(name);
        offDutyAbsent_.append(name);
    }
    signIns_.reserve(qsizetype(day.size()));
    for (size_t k = 0; k < day.size(); ++k) {
        const SignInRecord& r = day[k];
        signIns_.append(signInLine(int(k) + 1, r));
        if (flagged(r)) {
            addException(r);
            const QString content = r.RE_Content.trimmed();
            if (content.contains(kLate) && !lateHoldsLineFor(r.Empl_Name)) addLate(r);
            if (content.contains(kEarly) && !earlyHoldsLineFor(r.Empl_Name)) addEarly(r);
        }
        const QString duty = r.ADFlag.trimmed().toUpper();
        const QString name = r.Empl_Name.trimmed();
        if (duty == kOnDuty)
            onDutyAbsent_.remove(name);
        else if (duty == kOffDuty)
            offDutyAbsent_.remove(name);
    }
}

void DayBoard::clear() {
    signIns_.clear();
    exceptions_.clear();
    late_.clear();
    early_.clear();
    onDutyAbsent_.clear();
    offDutyAbsent_.clear();
    lateNames_.clear();
    earlyNames_.clear();
}
