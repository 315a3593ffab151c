#include "desk/signin/SignInService.h"

#include <QDir>
#include <QFileInfo>

SignInService::SignInService(const EmployeeRoster& roster, DayBoard& board, const Clock& clock,
                             SwipeStore& store, QString homeDir, SignInCallbacks callbacks)
    : roster_(roster), board_(board), clock_(clock), store_(store), home_(std::move(homeDir)),
      overtime_(home_), cb_(std::move(callbacks)) {}

void SignInService::status(const QString& text) const {
    if (cb_.status) cb_.status(text);
}

void SignInService::processEvents() const {
    if (cb_.processEvents) cb_.processEvents();
}

QString SignInService::soundPath(const QString& name) const {
    return QDir(home_).filePath(QStringLiteral("EmpSound/") + name + QStringLiteral(".wav"));
}

SignInService::Outcome SignInService::signIn(const QString& boxText, bool fromReader) {
    Outcome out;
    processEvents();
    if (boxText.trimmed().isEmpty()) {
        status(QStringLiteral("卡号不能为空!"));
        out.result = Result::Empty;
        return out;
    }
    const int i = roster_.findCard(boxText);
    if (i < 0) {
        status(QStringLiteral("该卡号未开户!"));
        out.result = Result::Unknown;
        return out;
    }
    // Taken now: the roster may be reloaded while pending messages are processed below.
    const QString name = roster_.lineName(i);
    const QString dept = roster_.DeptList().at(i);

    const QDateTime now = clock_.now();
    const QTime n = now.time();
    processEvents();

    bool inYesterdaysOvertime = false;
    if (needsOvertimeLookup(n, times_)) {
        QString error;
        inYesterdaysOvertime = overtime_.FindLine(now.date().addDays(-1), boxText, &error);
        if (!error.isEmpty()) {
            out.result = Result::Failed;
            out.error = error;
            return out;
        }
    }
    const Classification c = classify(n, times_, inYesterdaysOvertime);
    if (c.overtime && !overtime_.AppendLine(now.date(), boxText, &out.error)) {
        out.result = Result::Failed;
        return out;
    }

    processEvents();
    SignInRecord r;
    r.Card_Cord = boxText;
    r.Empl_Name = name;
    r.Dept_Name = dept;
    r.Brush_Date = now;
    r.ADFlag = c.ADFlag;
    r.RE_Flag = c.RE_Flag;
    r.RE_Content = c.RE_Content;
    r.Brush_Hour = n.hour();
    r.Brush_Minute = n.minute();
    r.Brush_Second = n.second();
    r.Clock_Address = QString::number(clockAddress_);
    if (!store_.append(r, &out.error)) {
        if (out.error.isEmpty()) out.error = QStringLiteral("刷卡记录保存失败");
        out.result = Result::Failed;
        return out;
    }

    // The board shows the row as the table holds it (a name longer than the column is cut there).
    processEvents();
    out.record = asStored(r);
    out.board = board_.applySignIn(out.record);

    clockAddress_ = 90;
    status(QStringLiteral("员工刷卡签到成功！"));
    processEvents();

    if (fromReader && readerKind_ == QLatin1String("RS485") && cb_.acknowledge) cb_.acknowledge();
    // The recording is named after the employee's full roster name.
    if (callNames_) callName(name.trimmed());
    out.result = Result::Stored;
    return out;
}

void SignInService::callName(const QString& name) const {
    const QString path = soundPath(name);
    if (!QFileInfo(path).isFile()) {
        status(QStringLiteral("该员工没有录音，播叫失败！"));
        return;
    }
    status(QStringLiteral("正在播叫，请稍等..."));
    const bool started = cb_.playSound && cb_.playSound(path);
    status(started ? QStringLiteral("播叫成功！") : QStringLiteral("播叫失败！"));
}
