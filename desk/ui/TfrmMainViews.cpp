// The record views' date ranges and refreshes, and the windows opened from the main window.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "desk/board/BoardQueries.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"

#include <QTime>

void TfrmMain::setTodayRange(QDateEdit* fromDate, QTimeEdit* fromTime, QDateEdit* toDate, QTimeEdit* toTime) {
    const QDate today = clock_.today();
    fromDate->setDate(today);
    fromTime->setTime(QTime(0, 0, 0));
    toDate->setDate(today);
    toTime->setTime(QTime(23, 59, 0));
}

QDateTime TfrmMain::bound(const QDateEdit* date, const QTimeEdit* time) {
    return QDateTime(date->date(), time->time());
}

// The e-mail and SMS log tabs are refreshed by the report side of the desk.
void TfrmMain::SpeedButton3Click() {}
void TfrmMain::SpeedButton7Click() {}

// The exception and business-trip views are refreshed with the record views.
void TfrmMain::SpeedButton4Click() {}
void TfrmMain::SpeedButton5Click() {}

// The card window, the terminal console, the backup window and the about box open from these.
void TfrmMain::N1Click(QObject* Sender) {
    Q_UNUSED(Sender);
}
void TfrmMain::S1Click() {}
void TfrmMain::B1Click() {}
void TfrmMain::SpeedButton8Click() {}

void TfrmMain::X1Click() {
    close();
}
void TfrmMain::Label12Click() {
    close();
}

void TfrmMain::setupViews() {
    const QSqlDatabase db = ADOConnection1->connection();
    ADOAttResRec = std::make_unique<Dataset>(db, board_sql::kSwipeHistoryInitial);
    ADOAttResRec2 = std::make_unique<Dataset>(db, board_sql::kSwipeHistoryInitial);
    ADOEvection =
        std::make_unique<Dataset>(db, QStringLiteral("select * from MH_Evection order by Start_Date"));
    ADOEMail = std::make_unique<Dataset>(db, QStringLiteral("select * from MH_EMail"));
    ADOSendMail =
        std::make_unique<Dataset>(db, QStringLiteral("select * from MH_SendMail order by Send_Time"));
    ADOSendMobile =
        std::make_unique<Dataset>(db, QStringLiteral("select * from MH_SmsRecord order by Send_Time"));
}
