#pragma once
// The main window of the desk. It holds the controls (from TfrmMain.ui, as public members named like
// the controls), the timers and the handlers; the rules behind the handlers live in window-free classes
// (settings, roster and day board, sign-in, reading, record views) that the window owns.
//
// The slots are split by concern over several files:
//   TfrmMain.cpp         construction, creation, showing, closing, the settings handlers
//   TfrmMainBoard.cpp    roster reload, board rebuild, the clock
//   TfrmMainReading.cpp  start and stop reading, the poll and the swipe prompt
//   TfrmMainViews.cpp    the record views' ranges and refreshes, the windows opened from here

#include "common/AppHome.h"
#include "desk/ui/DBNavigator.h"
#include "desk/ui/StatusPanels.h"
#include "ui_TfrmMain.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Clock;
struct ClockLabels;
class Database;
class Dataset;
class EmployeeRoster;
class DatasetModel;
class DayBoard;
class Prompter;
class QMenu;
class QTimer;
class TfrmShape;
struct SignInParts;
namespace settings {
class SettingsStore;
}
namespace reader {
class MainReader;
}

class TfrmMain : public QMainWindow, public Ui::TfrmMain {
    Q_OBJECT
public:
    // Builds the window and runs its creation steps. When those find the desk unusable (no settings
    // file, no database) they say so through the prompter and terminateRequested() is true: the caller
    // ends the program instead of showing the window.
    TfrmMain(AppHome home, Prompter& prompter, Clock& clock, QWidget* parent = nullptr);
    ~TfrmMain() override;

    bool terminateRequested() const { return terminate_; }

    // The splash window that stays up until the window has been shown; the window frees it.
    void setSplash(TfrmShape* splash);

    // Reading is active exactly while the poll timer runs.
    bool readingActive() const;

    const AppHome& home() const { return home_; }
    const QString& readerKind() const { return ReaderKind; }
    const QString& companyName() const { return CompanyName; }
    const QString& sendWeeks() const { return SendWeeks; }
    bool sendBusy() const { return SendBusy; }
    bool closeWithoutAsking() const { return closeWithoutAsking_; }
    StatusPanels& statusPanels() { return *Panels; }
    Database& connection() { return *ADOConnection1; }
    const EmployeeRoster& roster() const { return *Roster; }
    const DayBoard& board() const { return *Board; }
    Dataset* swipeDataset() const { return ADOAttResRec.get(); }

    // Timers: reader poll, swipe prompt, scheduler, scheduler hold-off, clock.
    QTimer* Timer1 = nullptr;
    QTimer* SenTimer = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;

    // Pop-up menus: employee list, NV820 button, day board.
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;

    // ---- card reading (TfrmMainReading.cpp) ----
    // The reading session, created at the first start of reading; null before.
    reader::MainReader* cardReader() const;
    // ---- end of card reading ----

public slots:
    // Lifecycle.
    void FormCreate();
    void FormShow();

    // Settings.
    void RadioButton1Click(QObject* Sender);
    void ATimeChange(QObject* Sender);
    void CheckBox3Click();
    void CheckBox5Click();
    void V1Click(QObject* Sender);

    // Roster and day board.
    void R1Click(QObject* Sender = nullptr);
    void I1Click(QObject* Sender = nullptr);
    void Timer4Timer();
    void SpeedButton2Click();

    // Reading.
    void ReadCardClick();
    void BitBtn5Click();
    void Timer1Timer();
    void SenTimerTimer();

    // Record views.
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton7Click();

    // Windows opened from here, and the close requests.
    void N1Click(QObject* Sender = nullptr);
    void S1Click();
    void B1Click();
    void SpeedButton8Click();
    void X1Click();
    void Label12Click();

    // ---- Sign-in and record views (TfrmMainSignIn.cpp, TfrmMainViews.cpp) ----------------------------
public:
    // The key press of the card-number box: Enter (13) signs the box's card in. Sender is the box when
    // the operator typed; the reader poll calls it with no sender after putting a card into the box.
    void Edit3KeyPress(QObject* Sender, char Key);
    // Whether the last Enter stored a swipe (the reader acknowledges only those).
    bool lastSignInStored() const { return lastSignInStored_; }
    // The reader address stored with the next sign-in (0 at start, 90 after each sign-in).
    void setClockAddress(int address);
    int clockAddress() const;
    // Sends the acknowledgement frame to the RS485 reader; called after a sign-in that came from the
    // reader poll when the reader kind is RS485. The reading code sets it.
    std::function<void()> onSignInAck;

private:
    bool lastSignInStored_ = false;

public:

    // Pop-up menus of the grids (the export commands join them).
    QMenu* HistoryPopup = nullptr;
    QMenu* MailLogPopup = nullptr;
    QMenu* TripPopup = nullptr;
    QMenu* ReceiverPopup = nullptr;
    QMenu* SmsLogPopup = nullptr;
    QAction* E1 = nullptr;
    QAction* E2 = nullptr;
    QAction* E3 = nullptr;
    QAction* E4 = nullptr;
    QAction* N2 = nullptr;

public slots:
    void DateTimePicker2Change();
    void DateTimePicker4Change();
    void DateTimePicker6Change();
    void DateTimePicker8Change();
    void DateTimePicker10Change();
    void DateTimePicker12Change();
    void DateTimePicker15Change();
    void DateTimePicker17Change();
    void E1Click();
    void E2Click();
    void E3Click();
    void E4Click();
    void N2Click();
    void DBNavigator4Click(DBNavigator::Button Button);

private:
    void setupSignIn();
    void setupRecordViews();
    void showSignIn(const QString& text);
    void navigate(Dataset& ds, DBNavigator::Button button);
    void followCursor(QTableView* grid, Dataset& ds);
    // The window-free pieces behind them (TfrmMainParts.h); freed where they are complete.
    struct FreeParts {
        void operator()(SignInParts* p) const;
    };
    std::unique_ptr<SignInParts, FreeParts> Parts;
    // ---- end of sign-in and record views ----------------------------------------------------------

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupTimers();
    void setupMenus();
    void setupConnections();
    void setupViews();
    void requestTerminate();
    // A database or file error that ends the current step; the desk goes on.
    void reportError(const QString& text);
    bool iniExists() const;
    QTimeEdit* timePicker(const QString& key) const;
    QRadioButton* readerButton(const QString& caption) const;
    QCheckBox* weekdayBox(int n) const;

    // Board helpers (TfrmMainBoard.cpp).
    void showBoard();
    void showClockDate(const ClockLabels& t);
    void showRoster();
    bool runSwipeHistoryQuery(const QDateTime& from, const QDateTime& to);

    // View helpers (TfrmMainViews.cpp).
    void setTodayRange(QDateEdit* fromDate, QTimeEdit* fromTime, QDateEdit* toDate, QTimeEdit* toTime);
    static QDateTime bound(const QDateEdit* date, const QTimeEdit* time);
    // Shows the dataset's fields in the grid, titled and sized from the schema.
    std::unique_ptr<DatasetModel> attachGrid(QTableView* grid, Dataset* dataset, const QStringList& columns);

    AppHome home_;
    Prompter& prompter_;
    Clock& clock_;
    std::unique_ptr<settings::SettingsStore> Settings;
    std::unique_ptr<Database> ADOConnection1;
    std::unique_ptr<EmployeeRoster> Roster;
    std::unique_ptr<DayBoard> Board;
    std::unique_ptr<StatusPanels> Panels;

    // Datasets of the views, all on ADOConnection1.
    std::unique_ptr<Dataset> ADOAttResRec;  // swipe history
    std::unique_ptr<Dataset> ADOAttResRec2; // exceptions
    std::unique_ptr<Dataset> ADOEvection;   // business trips
    std::unique_ptr<Dataset> ADOEMail;      // report receivers
    std::unique_ptr<Dataset> ADOSendMail;   // e-mail log
    std::unique_ptr<Dataset> ADOSendMobile; // SMS log
    std::unique_ptr<DatasetModel> HistoryModel;
    std::unique_ptr<DatasetModel> ExceptionModel;
    std::unique_ptr<DatasetModel> TripModel;
    std::unique_ptr<DatasetModel> ReceiversModel;
    std::unique_ptr<DatasetModel> MailLogModel;
    std::unique_ptr<DatasetModel> SmsLogModel;
    QStringList ReceiverDepts; // pick list of the receivers grid's department column

    TfrmShape* splash_ = nullptr;
    QString ReaderKind;
    QString CompanyName;
    QString SendWeeks;
    bool SendBusy = false;
    bool created_ = false;
    bool shown_ = false;
    bool terminate_ = false;
    bool closeWithoutAsking_ = false;
    bool closeQueued_ = false;

    // ---- card reading (TfrmMainReading.cpp) ----
    struct ReadingState;
    struct ReadingStateFree {
        void operator()(ReadingState* state) const;
    };
    ReadingState& reading();
    void renderPrompt();
    bool deliverCard(const QString& card);
    void runSignInFromReader();
    // Last member: the session goes first, while the window it reports to is still whole.
    std::unique_ptr<ReadingState, ReadingStateFree> Reading;
    // ---- end of card reading ----
};
