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
#include "desk/db/Sql.h"
#include "desk/ui/WaitCursor.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <vector>

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
// Reads the day's rows by position, without moving the cursor: a cursor walk would send a change
// signal to the history grid for every one of the day's rows.
std::vector<SignInRecord> swipesFrom(const Dataset& d, int firstRow, const QDate& today) {
    const auto col = [&](const char* name) { return d.fieldIndex(QLatin1String(name)); };
    const int name = col("Empl_Name"), dept = col("Dept_Name"), flag = col("RE_Flag"),
              content = col("RE_Content"), ad = col("ADFlag"), when = col("Brush_Date"),
              hour = col("Brush_Hour"), minute = col("Brush_Minute"), second = col("Brush_Second"),
              card = col("Card_Cord"), address = col("Clock_Address");
    const auto text = [&](int row, int c) {
        const QVariant v = d.value(row, c);
        return v.isNull() ? QString() : v.toString();
    };
    std::vector<SignInRecord> day;
    day.reserve(size_t(std::max(0, d.recordCount() - firstRow)));
    for (int row = firstRow; row < d.recordCount(); ++row) {
        SignInRecord r;
        r.Empl_Name = text(row, name);
        r.Dept_Name = text(row, dept);
        r.RE_Flag = text(row, flag);
        r.RE_Content = text(row, content);
        r.ADFlag = text(row, ad);
        const QVariant at = d.value(row, when);
        if (at.typeId() == QMetaType::QDateTime) {
            r.Brush_Date = at.toDateTime();
        } else {
            r.Brush_Date = sql::parseStored(at.toString()); // the stored form, parsed by hand
            if (!r.Brush_Date.isValid())
                if (const auto parsed = fmt::parseDateTime(at.toString(), today)) r.Brush_Date = *parsed;
        }
        r.Brush_Hour = d.value(row, hour).toInt();
        r.Brush_Minute = d.value(row, minute).toInt();
        r.Brush_Second = d.value(row, second).toInt();
        r.Card_Cord = text(row, card);
        r.Clock_Address = text(row, address);
        day.push_back(std::move(r));
    }
    return day;
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
            day = swipesFrom(*ADOAttResRec, std::max(0, ADOAttResRec->recNo() - 1), clock_.today());
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
