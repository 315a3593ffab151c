// The record views' date ranges and refreshes, and the windows opened from the main window.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "desk/board/BoardQueries.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"
#include "desk/db/DatasetModel.h"
#include "desk/views/ViewQueries.h"

#include <QHeaderView>
#include <algorithm>

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
    ADOEvection = std::make_unique<Dataset>(db, view_sql::kTripsInitial);
    ADOEMail = std::make_unique<Dataset>(db, QStringLiteral("select * from MH_EMail"));
    ADOSendMail =
        std::make_unique<Dataset>(db, QStringLiteral("select * from MH_SendMail order by Send_Time"));
    ADOSendMobile =
        std::make_unique<Dataset>(db, QStringLiteral("select * from MH_SmsRecord order by Send_Time"));
    for (Dataset* d : {ADOAttResRec.get(), ADOAttResRec2.get(), ADOSendMail.get(), ADOSendMobile.get()})
        d->addRecordNumberField();

    const QStringList swipes{"No",           "Empl_Name",  "Dept_Name",  "RE_Flag",
                             "RE_Content",   "Brush_Date", "Brush_Hour", "Brush_Minute",
                             "Brush_Second", "ADFlag",     "Card_Cord",  "Clock_Address"};
    HistoryModel = attachGrid(DBGrid1, ADOAttResRec.get(), swipes);
    ExceptionModel = attachGrid(DBGrid2, ADOAttResRec2.get(), swipes);
    TripModel =
        attachGrid(DBGrid4, ADOEvection.get(),
                   {"Empl_Code", "Empl_Name", "Card_Code", "Start_Date", "End_Date", "Evection_Reason"});
    ReceiversModel = attachGrid(DBGrid5, ADOEMail.get(),
                                {"Empl_Name", "Dept_Name", "Duty", "Mobile", "EMail", "Smtp_Server",
                                 "Mail_User", "Mail_Password", "Other"});
    MailLogModel = attachGrid(
        DBGrid3, ADOSendMail.get(),
        {"No", "Rec_Man", "Rec_Mail", "Subject", "Body", "Send_Flag", "Send_Time", "Send_Man", "Other"});
    SmsLogModel = attachGrid(
        DBGrid6, ADOSendMobile.get(),
        {"No", "Rec_Man", "Mobile", "Subject", "Sms_Content", "Send_Flag", "Send_Time", "Send_Man", "Other"});
}

std::unique_ptr<DatasetModel> TfrmMain::attachGrid(QTableView* grid, Dataset* dataset,
                                                   const QStringList& columns) {
    auto model = std::make_unique<DatasetModel>(dataset, columns);
    model->setReadOnly(QStringLiteral("No"));
    grid->setModel(model.get());
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    // Widths are given in characters; a column is never narrower than its title.
    const int charWidth = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        const int byWidth = model->displayWidth(c) * charWidth + 12;
        const int byTitle = grid->horizontalHeader()->fontMetrics().horizontalAdvance(title) + 16;
        grid->setColumnWidth(c, std::max(byWidth, byTitle));
    }
    return model;
}
