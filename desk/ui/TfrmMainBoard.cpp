// The roster reload, the board rebuild (also the daily reset) and the clock.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/board/BoardTexts.h"
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

} // namespace

void TfrmMain::R1Click(QObject* Sender) {
    {
        ReadingPause pause(*this);
        WaitCursor wait;
        Dataset query(ADOConnection1->connection(), QStringLiteral("select * from MH_CardReg order by Empl_Code"));
        const bool rosterRead = query.open();
        Roster->clear();
        ReceiverDepts.clear();
        if (rosterRead) Roster->load(query);
        showRoster();
        if (!rosterRead) {
            wait.restore();
            prompter_.message(query.error(), QStringLiteral("Oravik"), Prompter::Icon::Error);
            return;
        }
        query.setSql(QStringLiteral("select * from MH_AttendDept"));
        if (!query.open()) {
            wait.restore();
            prompter_.message(query.error(), QStringLiteral("Oravik"), Prompter::Icon::Error);
            return;
        }
        ReceiverDepts = board::receiverPickList(query);
    }
    if (Sender == R1) Edit3->setFocus();
}

void TfrmMain::showRoster() {
    EmployeeList->clear();
    EmployeeList->addItems(Roster->rosterLines());
}

void TfrmMain::I1Click(QObject* Sender) {
    Q_UNUSED(Sender);
    R1Click(nullptr);

    {
        WaitCursor wait;
        Board->startDay(*Roster);
        setTodayRange(DateTimePicker1, DateTimePicker2, DateTimePicker3, DateTimePicker4);
        if (!runSwipeHistoryQuery(bound(DateTimePicker1, DateTimePicker2), bound(DateTimePicker3, DateTimePicker4))) {
            showBoard();
            return;
        }
        Board->clearLines();
        for (; !ADOAttResRec->eof(); ADOAttResRec->next()) Board->addStoredRow(*ADOAttResRec);
        ADOAttResRec->first();
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
    SignInPane->setPlainText(Board->signInLines().join(QLatin1Char('\n')));
    ExceptionPane->setPlainText(Board->exceptionLines().join(QLatin1Char('\n')));
    auto fill = [](QListWidget* list, const QStringList& lines) {
        list->clear();
        list->addItems(lines);
    };
    fill(LateListBox, Board->lateList());
    fill(EarlyListBox, Board->earlyList());
    fill(OnDutyAbsentBox, Board->onDutyAbsentList());
    fill(OffDutyAbsentBox, Board->offDutyAbsentList());
}

bool TfrmMain::runSwipeHistoryQuery(const QDateTime& from, const QDateTime& to) {
    WaitCursor wait;
    ADOAttResRec->close();
    ADOAttResRec->setSql(board::swipeHistorySql(from, to));
    if (ADOAttResRec->open()) return true;
    wait.restore();
    prompter_.message(ADOAttResRec->error(), QStringLiteral("Oravik"), Prompter::Icon::Error);
    return false;
}

void TfrmMain::SpeedButton2Click() {
    runSwipeHistoryQuery(bound(DateTimePicker1, DateTimePicker2), bound(DateTimePicker3, DateTimePicker4));
}

void TfrmMain::Timer4Timer() {
    QCoreApplication::processEvents();
    const board::ClockTexts t = board::clockTexts(clock_.now());
    YearLabel->setText(t.year);
    MonthLabel->setText(t.month);
    DayLabel->setText(t.day);
    HourLabel->setText(t.hour);
    MinuteLabel->setText(t.minute);
    SecondLabel->setText(t.second);
    QCoreApplication::processEvents();
    WeekLabel->setText(t.weekday);
    QCoreApplication::processEvents();
}
