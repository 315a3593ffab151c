#pragma once
// The record views of the main window without the window: the swipe history, the exceptions, the
// business trips, the two send logs and the receivers. The window keeps the datasets, the grids and the
// pickers; it hands the bounds it reads from the pickers to these calls and shows what they return.
//
// Every refresh returns an empty text on success, or the database's error text, which the window shows
// as its error report; a failed view stays closed.

#include "desk/views/ViewQueries.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

class Dataset;
class Prompter;

namespace views {

inline const QString kDeleteQuestion = QStringLiteral("记录删除后将无法恢复，继续吗？");
inline const QString kClearQuestion = QStringLiteral("您确定真的要清空下表数据吗？");
inline const QString kClearAgainQuestion = QStringLiteral("数据清空后无法恢复，继续吗？");
inline const QString kTitle = QStringLiteral("提示");

// A view's range: both bounds included.
struct Range {
    QDateTime from;
    QDateTime to;
};

// The question before a row is deleted; true only for Yes.
bool confirmDelete(Prompter& prompter);
// Installs that question as the dataset's before-delete hook.
void installDeleteConfirmation(Dataset& ds, Prompter& prompter);

// The outcome of a clear command.
struct Cleared {
    bool done = false; // both questions answered Yes and every row deleted
    int rows = 0;      // rows deleted
    QString error;     // the database's text when a delete or the refresh afterwards failed
};

// Asks the two questions of a clear command; true when both were answered Yes.
bool confirmClear(Prompter& prompter);

// Deletes every row the dataset holds (only those: the view's range, not the table) without the
// per-row question, in one transaction: all or none.
Cleared deleteAllRows(Dataset& ds);

// The add-line operations of a send log's text pane; the window formats and shows the lines.
struct LogPane {
    std::function<void()> clear;
    std::function<void(const Dataset&)> addCurrentRow; // the dataset's current row
};

class RecordViews {
public:
    struct Datasets {
        Dataset& history;    // ADOAttResRec
        Dataset& exceptions; // ADOAttResRec2
        Dataset& trips;      // ADOEvection
        Dataset& mailLog;    // ADOSendMail
        Dataset& smsLog;     // ADOSendMobile
        Dataset& receivers;  // ADOEMail
    };

    // Adds the running number No to the history, exception and log datasets (1 for a row being
    // inserted) and the delete question to all six.
    RecordViews(Datasets ds, Prompter& prompter, LogPane mailPane = {}, LogPane smsPane = {});

    // SpeedButton2Click: the swipe-history query.
    QString refreshHistory(const Range& r);
    // SpeedButton4Click: the flagged swipes of the range, narrowed by the radio group's choice.
    QString refreshExceptions(const Range& r, view_sql::ExceptionKind kind);
    // SpeedButton5Click: the trips that cover the day.
    QString refreshTrips(const QDate& day);
    // SpeedButton3Click / SpeedButton7Click: the log rows of the range; the pane is emptied and gets one
    // line per row, and the dataset is left on its first row.
    QString refreshMailLog(const Range& r);
    QString refreshSmsLog(const Range& r);

    // The clear commands. Each asks twice and stops unless both answers are Yes.
    // E1Click: the swipe history, then the exception view with its current range and choice.
    Cleared clearHistory(const Range& exceptionRange, view_sql::ExceptionKind kind);
    // E2Click: the e-mail log, its pane, then the e-mail log view again.
    Cleared clearMailLog(const Range& mailRange);
    // E3Click: the trips, then the trip view for its date.
    Cleared clearTrips(const QDate& tripDay);
    // E4Click: the receivers.
    Cleared clearReceivers();
    // N2Click: the SMS log, its pane, then the SMS log view again.
    Cleared clearSmsLog(const Range& smsRange);

    // DBNavigator4Click with the insert button: the new trip row goes after the existing rows, wherever
    // the cursor stood. A changed row is stored first, as leaving it would; an untouched new row is
    // dropped. Empty text on success, else the database's error (no new row is begun then).
    QString insertTripAtEnd();

private:
    QString refreshLog(Dataset& ds, const QString& sql, const LogPane& pane);
    Cleared clear(Dataset& ds, const std::function<QString()>& afterwards);

    Datasets ds_;
    Prompter& prompter_;
    LogPane mailPane_;
    LogPane smsPane_;
};

} // namespace views
