// The roster reload, the board rebuild (also the daily reset) and the clock.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "common/Formats.h"
#include "common/Prompter.h"
#include "desk/board/BoardQueries.h"
#include "desk/board/ClockLabels.h"
#include "desk/board/DayBoard.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"
#include "desk/ui/WaitCursor.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// Restarts reading at the end of a scope when it was running at its start, whatever way the scope ends.
class ReadingPause {
public:
    explicit ReadingPause(TfrmMain& w) : w_(w), was_(w.readingActive()) {
        if (was_) w_.BitBtn5Click();
    }
    ~ReadingPause() {
        if (was_) w_.ReadCardClick();
    }

private:
    TfrmMain& w_;
    bool was_;
};

// The swipe row at the dataset's cursor.
SignInRecord swipeAt(const Dataset& d, const QDate& today) {
    SignInRecord r;
    r.Empl_Name = d.text(QStringLiteral("Empl_Name"));
    r.Dept_Name = d.text(QStringLiteral("Dept_Name"));
    r.RE_Flag = d.text(QStringLiteral("RE_Flag"));
    r.RE_Content = d.text(QStringLiteral("RE_Content"));
    r.ADFlag = d.text(QStringLiteral("ADFlag"));
    const QVariant when = d.fieldByName(QStringLiteral("Brush_Date"));
    if (when.typeId() == QMetaType::QDateTime)
        r.Brush_Date = when.toDateTime();
    else if (const auto parsed = fmt::parseDateTime(when.toString(), today))
        r.Brush_Date = *parsed;
    r.Brush_Hour = d.fieldByName(QStringLiteral("Brush_Hour")).toInt();
    r.Brush_Minute = d.fieldByName(QStringLiteral("Brush_Minute")).toInt();
    r.Brush_Second = d.fieldByName(QStringLiteral("Brush_Second")).toInt();
    r.Card_Cord = d.text(QStringLiteral("Card_Cord"));
    r.Clock_Address = d.text(QStringLiteral("Clock_Address"));
    return r;
}

} // namespace

void TfrmMain::R1Click(QObject* Sender) {
    {
        ReadingPause pause(*this);
        WaitCursor wait;
        Dataset query(ADOConnection1->connection(), board_sql::kRegister);
        const bool rosterRead = query.open();
        Roster->clear();
        ReceiverDepts.clear();
        if (rosterRead) {
            std::vector<RegisterRow> rows;
            rows.reserve(size_t(query.recordCount()));
            for (query.first(); !query.eof(); query.next())
                rows.push_back({query.text(QStringLiteral("Empl_Name")),
                                query.text(QStringLiteral("Card_Code")),
                                query.text(QStringLiteral("Dept_Name"))});
            Roster->load(rows);
        }
        showRoster();
        if (!rosterRead) {
            wait.restore();
            reportError(query.error());
            return;
        }
        query.close();
        query.setSql(board_sql::kDepartments);
        if (!query.open()) {
            wait.restore();
            reportError(query.error());
            return;
        }
        std::vector<DepartmentRow> depts;
        for (query.first(); !query.eof(); query.next())
            depts.push_back(
                {query.text(QStringLiteral("Dept_Code")), query.text(QStringLiteral("Dept_Name"))});
        ReceiverDepts = receiverDepartments(depts);
    }
    if (Sender == R1) Edit3->setFocus();
}

void TfrmMain::showRoster() {
    EmployeeList->clear();
    EmployeeList->addItems(Roster->RosterLines());
}

void TfrmMain::I1Click(QObject* Sender) {
    Q_UNUSED(Sender);
    R1Click(nullptr);

    {
        WaitCursor wait;
        setTodayRange(DateTimePicker1, DateTimePicker2, DateTimePicker3, DateTimePicker4);
        const bool dayRead = runSwipeHistoryQuery(bound(DateTimePicker1, DateTimePicker2),
                                                  bound(DateTimePicker3, DateTimePicker4));
        std::vector<SignInRecord> day;
        if (dayRead) {
            // From the dataset's current row (the first, just after opening) to its last.
            for (; !ADOAttResRec->eof(); ADOAttResRec->next())
                day.push_back(swipeAt(*ADOAttResRec, clock_.today()));
            ADOAttResRec->first();
        }
        Board->rebuild(*Roster, day);
        showBoard();
    }

    setTodayRange(DateTimePicker9, DateTimePicker10, DateTimePicker11, DateTimePicker12);
    SpeedButton3Click();
    SpeedButton7Click();
    SpeedButton4Click();
    DateTimePicker13->setDate(clock_.today());
    SpeedButton5Click();
}

void TfrmMain::showBoard() {
    SignInPane->setPlainText(Board->SignInLines().join(QLatin1Char('\n')));
    ExceptionPane->setPlainText(Board->ExceptionLines().join(QLatin1Char('\n')));
    // The newest swipes are the ones the desk is watched for: show the end of both panes.
    SignInPane->moveCursor(QTextCursor::End);
    ExceptionPane->moveCursor(QTextCursor::End);
    auto fill = [](QListWidget* list, const QStringList& lines) {
        list->clear();
        list->addItems(lines);
    };
    fill(LateListBox, Board->LateList());
    fill(EarlyListBox, Board->EarlyList());
    fill(OnDutyAbsentBox, Board->OnDutyAbsentList().entries());
    fill(OffDutyAbsentBox, Board->OffDutyAbsentList().entries());
}

bool TfrmMain::runSwipeHistoryQuery(const QDateTime& from, const QDateTime& to) {
    WaitCursor wait;
    ADOAttResRec->close();
    ADOAttResRec->setSql(board_sql::swipeHistory(from, to));
    if (ADOAttResRec->open()) return true;
    wait.restore();
    reportError(ADOAttResRec->error());
    return false;
}

void TfrmMain::SpeedButton2Click() {
    runSwipeHistoryQuery(bound(DateTimePicker1, DateTimePicker2), bound(DateTimePicker3, DateTimePicker4));
}

void TfrmMain::showClockDate(const ClockLabels& t) {
    YearLabel->setText(t.year);
    MonthLabel->setText(t.month);
    DayLabel->setText(t.day);
    HourLabel->setText(t.hour);
    MinuteLabel->setText(t.minute);
    SecondLabel->setText(t.second);
}

void TfrmMain::Timer4Timer() {
    QCoreApplication::processEvents();
    const ClockLabels t = clockLabels(clock_.now());
    showClockDate(t);
    QCoreApplication::processEvents();
    WeekLabel->setText(t.weekday);
    QCoreApplication::processEvents();
}
