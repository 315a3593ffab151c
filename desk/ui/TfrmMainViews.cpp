// The record views' date ranges and refreshes, and the windows opened from the main window.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "desk/board/BoardQueries.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"
#include "desk/db/DatasetModel.h"
#include "desk/ui/TfrmMainParts.h"
#include "desk/ui/WaitCursor.h"
#include "desk/views/ViewQueries.h"

#include <QHeaderView>
#include <QMenu>
#include <QTime>
#include <algorithm>
#include <tuple>

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

namespace {

view_sql::ExceptionKind exceptionKind(const TfrmMain& w) {
    if (w.RadioLate->isChecked()) return view_sql::ExceptionKind::Late;
    if (w.RadioEarly->isChecked()) return view_sql::ExceptionKind::Early;
    return view_sql::ExceptionKind::All;
}

} // namespace

void TfrmMain::SpeedButton3Click() {
    if (!Parts) return;
    WaitCursor wait;
    const QString error = Parts->views->refreshMailLog(
        {bound(DateTimePicker5, DateTimePicker6), bound(DateTimePicker7, DateTimePicker8)});
    wait.restore();
    if (!error.isEmpty()) reportError(error);
}

void TfrmMain::SpeedButton7Click() {
    if (!Parts) return;
    WaitCursor wait;
    const QString error = Parts->views->refreshSmsLog(
        {bound(DateTimePicker14, DateTimePicker15), bound(DateTimePicker16, DateTimePicker17)});
    wait.restore();
    if (!error.isEmpty()) reportError(error);
}

void TfrmMain::SpeedButton4Click() {
    if (!Parts) return;
    WaitCursor wait;
    const QString error = Parts->views->refreshExceptions(
        {bound(DateTimePicker9, DateTimePicker10), bound(DateTimePicker11, DateTimePicker12)},
        exceptionKind(*this));
    wait.restore();
    if (!error.isEmpty()) reportError(error);
}

void TfrmMain::SpeedButton5Click() {
    if (!Parts) return;
    WaitCursor wait;
    const QString error = Parts->views->refreshTrips(DateTimePicker13->date());
    wait.restore();
    if (!error.isEmpty()) reportError(error);
}

// A bound is read from its date picker and its time picker at every refresh, so a changed time is the
// bound's time from then on and the date picker keeps only the date.
void TfrmMain::DateTimePicker2Change() {}
void TfrmMain::DateTimePicker4Change() {}
void TfrmMain::DateTimePicker6Change() {}
void TfrmMain::DateTimePicker8Change() {}
void TfrmMain::DateTimePicker10Change() {}
void TfrmMain::DateTimePicker12Change() {}
void TfrmMain::DateTimePicker15Change() {}
void TfrmMain::DateTimePicker17Change() {}

// ---- clear commands ------------------------------------------------------------------------------

void TfrmMain::E1Click() {
    if (!Parts) return;
    const views::Cleared c = Parts->views->clearHistory(
        {bound(DateTimePicker9, DateTimePicker10), bound(DateTimePicker11, DateTimePicker12)},
        exceptionKind(*this));
    if (!c.error.isEmpty()) reportError(c.error);
}

void TfrmMain::E2Click() {
    if (!Parts) return;
    const views::Cleared c = Parts->views->clearMailLog(
        {bound(DateTimePicker5, DateTimePicker6), bound(DateTimePicker7, DateTimePicker8)});
    if (!c.error.isEmpty()) reportError(c.error);
}

void TfrmMain::E3Click() {
    if (!Parts) return;
    const views::Cleared c = Parts->views->clearTrips(DateTimePicker13->date());
    if (!c.error.isEmpty()) reportError(c.error);
}

void TfrmMain::E4Click() {
    if (!Parts) return;
    const views::Cleared c = Parts->views->clearReceivers();
    if (!c.error.isEmpty()) reportError(c.error);
}

void TfrmMain::N2Click() {
    if (!Parts) return;
    const views::Cleared c = Parts->views->clearSmsLog(
        {bound(DateTimePicker14, DateTimePicker15), bound(DateTimePicker16, DateTimePicker17)});
    if (!c.error.isEmpty()) reportError(c.error);
}

// ---- navigators ----------------------------------------------------------------------------------

void TfrmMain::navigate(Dataset& ds, DBNavigator::Button button) {
    using B = DBNavigator::Button;
    bool ok = true;
    switch (button) {
    case B::First:
        ds.first();
        break;
    case B::Prior:
        ds.prior();
        break;
    case B::Next:
        ds.next();
        break;
    case B::Last:
        ds.last();
        break;
    case B::Insert:
        ok = ds.append();
        break;
    case B::Delete:
        // The dataset asks first; a No leaves the row and says nothing.
        if (!ds.isEmpty()) ok = ds.remove();
        break;
    case B::Post:
        ok = ds.post();
        break;
    case B::Cancel:
        ds.cancel();
        break;
    }
    if (!ok && !ds.error().isEmpty()) reportError(ds.error());
}

void TfrmMain::DBNavigator4Click(DBNavigator::Button Button) {
    if (Button != DBNavigator::Button::Insert) {
        navigate(*ADOEvection, Button);
        return;
    }
    // New trips always go after the existing rows.
    const QString error = Parts->views->insertTripAtEnd();
    if (!error.isEmpty()) reportError(error);
}

// The grid's selected row and the dataset's cursor follow each other, so the navigator acts on the row
// the operator sees selected.
void TfrmMain::followCursor(QTableView* grid, Dataset& ds) {
    connect(&ds, &Dataset::currentChanged, grid, [grid](int row) {
        if (row < 0 || !grid->model() || row >= grid->model()->rowCount()) return;
        if (grid->currentIndex().row() == row) return;
        const int column = std::max(grid->currentIndex().column(), 0);
        grid->setCurrentIndex(grid->model()->index(row, column));
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, &ds,
            [&ds](const QModelIndex& now) {
                if (now.isValid() && now.row() != ds.currentRow()) ds.setRecNo(now.row() + 1);
            });
}

void TfrmMain::setupRecordViews() {
    Parts->views = std::make_unique<views::RecordViews>(
        views::RecordViews::Datasets{*ADOAttResRec, *ADOAttResRec2, *ADOEvection, *ADOSendMail,
                                     *ADOSendMobile, *ADOEMail},
        prompter_);

    // The clear command in each grid's pop-up menu.
    auto popup = [this](QTableView* grid, const char* menuName, const char* actionName, const QString& text) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(menuName));
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(actionName));
        menu->addAction(action);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, this,
                [grid, menu](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
        return std::pair{menu, action};
    };
    const QString clear = QStringLiteral("清空数据(&E)");
    std::tie(HistoryPopup, E1) = popup(DBGrid1, "HistoryPopup", "E1", clear);
    std::tie(MailLogPopup, E2) = popup(DBGrid3, "MailLogPopup", "E2", clear);
    std::tie(TripPopup, E3) = popup(DBGrid4, "TripPopup", "E3", clear);
    std::tie(ReceiverPopup, E4) = popup(DBGrid5, "ReceiverPopup", "E4", clear);
    std::tie(SmsLogPopup, N2) = popup(DBGrid6, "SmsLogPopup", "N2", QStringLiteral("清空数据"));
    connect(E1, &QAction::triggered, this, &TfrmMain::E1Click);
    connect(E2, &QAction::triggered, this, &TfrmMain::E2Click);
    connect(E3, &QAction::triggered, this, &TfrmMain::E3Click);
    connect(E4, &QAction::triggered, this, &TfrmMain::E4Click);
    connect(N2, &QAction::triggered, this, &TfrmMain::N2Click);

    const std::pair<QTimeEdit*, void (TfrmMain::*)()> timePickers[] = {
        {DateTimePicker2, &TfrmMain::DateTimePicker2Change},
        {DateTimePicker4, &TfrmMain::DateTimePicker4Change},
        {DateTimePicker6, &TfrmMain::DateTimePicker6Change},
        {DateTimePicker8, &TfrmMain::DateTimePicker8Change},
        {DateTimePicker10, &TfrmMain::DateTimePicker10Change},
        {DateTimePicker12, &TfrmMain::DateTimePicker12Change},
        {DateTimePicker15, &TfrmMain::DateTimePicker15Change},
        {DateTimePicker17, &TfrmMain::DateTimePicker17Change},
    };
    for (const auto& [picker, handler] : timePickers)
        connect(picker, &QTimeEdit::timeChanged, this, handler);

    const std::pair<DBNavigator*, Dataset*> navigators[] = {
        {DBNavigator1, ADOAttResRec.get()},  {DBNavigator2, ADOAttResRec2.get()},
        {DBNavigator3, ADOSendMail.get()},   {DBNavigator5, ADOEMail.get()},
        {DBNavigator6, ADOSendMobile.get()},
    };
    for (const auto& [nav, ds] : navigators)
        connect(nav, &DBNavigator::clicked, this, [this, ds](DBNavigator::Button b) { navigate(*ds, b); });
    connect(DBNavigator4, &DBNavigator::clicked, this, &TfrmMain::DBNavigator4Click);
}

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
    // The running numbers, the delete questions and the window's sign-in come with these.
    Parts.reset(new SignInParts);
    setupRecordViews();
    setupSignIn();

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
    followCursor(DBGrid1, *ADOAttResRec);
    followCursor(DBGrid2, *ADOAttResRec2);
    followCursor(DBGrid3, *ADOSendMail);
    followCursor(DBGrid4, *ADOEvection);
    followCursor(DBGrid5, *ADOEMail);
    followCursor(DBGrid6, *ADOSendMobile);
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
