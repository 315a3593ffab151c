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
#include "desk/ui/StatusPanels.h"
#include "ui_TfrmMain.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
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
    // The reader address the next sign-in stores, as the last accepted RS485 frame set it.
    int readerClockAddress() const { return ClockAddress; }
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
    // The sign-in of the card-number box; with no sender it was the reader that filled the box.
    void Edit3KeyPress(QObject* Sender, int Key);

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
    void passClockAddress(int address);
    int ClockAddress = 0;
    // Last member: the session goes first, while the window it reports to is still whole.
    std::unique_ptr<ReadingState, ReadingStateFree> Reading;
    // ---- end of card reading ----
};
