#include "desk/board/DayBoard.h"

#include "common/GbText.h"

namespace {

const QString kLate = QStringLiteral("迟到");
const QString kEarly = QStringLiteral("早退");
const QString kOnDuty = QStringLiteral("上");
const QString kOffDuty = QStringLiteral("下");

// Appends n >= 0 as at least `digits` decimal digits.
void appendNumber(QString& out, int n, int digits) {
    char buf[16];
    int len = 0;
    do {
        buf[len++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0 && len < 16);
    for (int k = len; k < digits; ++k)
        out += QLatin1Char('0');
    while (len > 0)
        out += QLatin1Char(buf[--len]);
}

// Appends the text trimmed, cut to n CP936 bytes and right-aligned in n, as gb::rightAlign lays it out
// (a two-byte character cut in half becomes a blank), without the intermediate strings: the board builds
// tens of thousands of lines at a rebuild.
void appendRightAligned(QString& out, const QString& text, int n) {
    const QStringView t = QStringView(text).trimmed();
    qsizetype units = 0;
    int width = 0;
    bool half = false;
    while (units < t.size()) {
        const char16_t u = t[units].unicode();
        const bool pair = QChar::isHighSurrogate(u) && units + 1 < t.size() && t[units + 1].isLowSurrogate();
        const int w = u < 0x80 ? 1 : 2;
        if (width + w > n) {
            half = width < n;
            break;
        }
        width += w;
        units += pair ? 2 : 1;
    }
    const int pad = n - width - (half ? 1 : 0);
    for (int k = 0; k < pad; ++k)
        out += QLatin1Char(' ');
    out += t.first(units);
    if (half) out += QLatin1Char(' ');
}

// "yyyy.MM.dd hh:mm:ss", put together by hand: QDateTime::toString with a format costs microseconds a
// call, which adds up over a day of swipes.
void appendStamp(QString& out, const QDateTime& dt) {
    if (!dt.isValid()) {
        out += QString(19, QLatin1Char(' '));
        return;
    }
    const QDate d = dt.date();
    const QTime t = dt.time();
    appendNumber(out, d.year(), 4);
    out += QLatin1Char('.');
    appendNumber(out, d.month(), 2);
    out += QLatin1Char('.');
    appendNumber(out, d.day(), 2);
    out += QLatin1Char(' ');
    appendNumber(out, t.hour(), 2);
    out += QLatin1Char(':');
    appendNumber(out, t.minute(), 2);
    out += QLatin1Char(':');
    appendNumber(out, t.second(), 2);
}

// The sign-in line from its name field on.
void appendSignInTail(QString& out, const SignInRecord& r) {
    const QLatin1String two("  ");
    appendRightAligned(out, r.Empl_Name, 8);
    out += two;
    appendRightAligned(out, r.Dept_Name, 16);
    out += two;
    appendStamp(out, r.Brush_Date);
    out += two;
    appendRightAligned(out, r.RE_Content, 20);
}

QString numberedTail(int n, const SignInRecord& r, QLatin1String gap) {
    QString out;
    out.reserve(80);
    appendNumber(out, n, 3);
    out += gap;
    appendSignInTail(out, r);
    return out;
}

bool flagged(const SignInRecord& r) {
    return QStringView(r.RE_Flag).trimmed().compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString DayBoard::signInLine(int n, const SignInRecord& r) {
    return numberedTail(n, r, QLatin1String("  "));
}

// Built from the fields rather than cut from the sign-in line at a fixed byte, so that the name field
// follows the number directly also once sign-in numbers have four digits.
QString DayBoard::exceptionLine(int n, const SignInRecord& r) {
    return numberedTail(n, r, QLatin1String(""));
}

QString DayBoard::listLine(int n, const SignInRecord& r) {
    QString out;
    out.reserve(28);
    appendNumber(out, n, 2);
    out += QLatin1Char(' ');
    appendRightAligned(out, r.Empl_Name, 8);
    out += QLatin1Char(' ');
    appendRightAligned(out, r.RE_Content, 12);
    return out;
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
