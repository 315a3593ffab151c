// Construction, creation, showing and closing of the main window, and the settings handlers.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "common/Formats.h"
#include "common/Prompter.h"
#include "desk/board/ClockLabels.h"
#include "desk/board/DayBoard.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"
#include "desk/db/DatasetModel.h"
#include "desk/settings/SettingsKeys.h"
#include "desk/settings/SettingsRules.h"
#include "desk/settings/SettingsStore.h"
#include "desk/ui/TfrmShape.h"
#include "desk/ui/WaitCursor.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>

TfrmMain::TfrmMain(AppHome home, Prompter& prompter, Clock& clock, QWidget* parent)
    : QMainWindow(parent), home_(std::move(home)), prompter_(prompter), clock_(clock),
      Settings(std::make_unique<settings::SettingsStore>(home_.iniPath(), prompter)),
      ADOConnection1(std::make_unique<Database>()), Roster(std::make_unique<EmployeeRoster>()),
      Board(std::make_unique<DayBoard>()) {
    setupUi(this);
    Panels = std::make_unique<StatusPanels>(StatusBar1, QList<int>{80, 300, 80, 60, 80, 0});
    Panels->setPanelText(0, QStringLiteral("刷卡提示："));
    Panels->setPanelText(2, QStringLiteral("总计人数："));
    Panels->setPanelText(4, QStringLiteral("系统状态："));

    // The pickers' built-in values and the mail fields' built-in texts are the settings' defaults.
    for (const auto& t : settings::timeSettings())
        timePicker(t.key->keyName())->setTime(t.defaultTime());
    Edit4->setText(settings::EMailSet::EMail.defaultValue());
    Edit5->setText(settings::EMailSet::Smtp.defaultValue());
    Edit6->setText(settings::EMailSet::UserName.defaultValue());
    Edit7->setText(settings::EMailSet::Password.defaultValue());
    Edit8->setText(settings::EMailSet::AttMent.defaultValue());
    Edit9->setText(settings::EMailSet::OutTime.defaultValue());

    // The log grids take most of their row, the detail memo the rest.
    for (QSplitter* split : {MailLogSplitterTop, SmsLogSplitterTop}) {
        split->setStretchFactor(0, 3);
        split->setStretchFactor(1, 1);
    }

    setupTimers();
    setupMenus();
    setupConnections();
    // The clock shows the time from the start, not only after its first tick.
    const ClockLabels now = clockLabels(clock_.now());
    showClockDate(now);
    WeekLabel->setText(now.weekday);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // The grids' models refer to the datasets, the datasets to the connection: let go in that order.
    for (auto* view : {DBGrid1, DBGrid2, DBGrid3, DBGrid4, DBGrid5, DBGrid6})
        view->setModel(nullptr);
    HistoryModel.reset();
    ExceptionModel.reset();
    TripModel.reset();
    ReceiversModel.reset();
    MailLogModel.reset();
    SmsLogModel.reset();
    ADOAttResRec.reset();
    ADOAttResRec2.reset();
    ADOEvection.reset();
    ADOEMail.reset();
    ADOSendMail.reset();
    ADOSendMobile.reset();
    if (splash_) delete splash_;
}

void TfrmMain::setSplash(TfrmShape* splash) {
    splash_ = splash;
}

bool TfrmMain::readingActive() const {
    return Timer1->isActive();
}

void TfrmMain::setupTimers() {
    auto make = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = make("Timer1", 100);
    SenTimer = make("SenTimer", 300);
    Timer2 = make("Timer2", 1000);
    Timer3 = make("Timer3", 1000);
    Timer4 = make("Timer4", 1000);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    connect(SenTimer, &QTimer::timeout, this, &TfrmMain::SenTimerTimer);
    connect(Timer4, &QTimer::timeout, this, &TfrmMain::Timer4Timer);
    // The clock runs from the start and is never stopped.
    Timer4->start();
}

void TfrmMain::setupMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({N1, R1});
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addActions({S1, L1});
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    PopupMenu3->addActions({I1, V1, B1, X1});

    auto popupOn = [this](QWidget* w, QMenu* menu) {
        connect(w, &QWidget::customContextMenuRequested, this,
                [w, menu](const QPoint& at) { menu->popup(w->mapToGlobal(at)); });
    };
    popupOn(EmployeeList, PopupMenu1);
    popupOn(RadioButton4, PopupMenu2);
    popupOn(SignInPane, PopupMenu3);
    popupOn(ExceptionPane, PopupMenu3);
}

void TfrmMain::setupConnections() {
    for (auto* b : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(b, &QRadioButton::clicked, this, [this, b] { RadioButton1Click(b); });
    for (const auto& t : settings::timeSettings()) {
        QTimeEdit* picker = timePicker(t.key->keyName());
        connect(picker, &QTimeEdit::timeChanged, this, [this, picker] { ATimeChange(picker); });
    }
    connect(CheckBox3, &QCheckBox::clicked, this, &TfrmMain::CheckBox3Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &TfrmMain::CheckBox5Click);
    // V1 is checkable: Qt toggles its mark before the handler runs.
    connect(V1, &QAction::triggered, this, [this] { V1Click(V1); });

    connect(N1, &QAction::triggered, this, [this] { N1Click(N1); });
    connect(R1, &QAction::triggered, this, [this] { R1Click(R1); });
    connect(S1, &QAction::triggered, this, &TfrmMain::S1Click);
    connect(I1, &QAction::triggered, this, [this] { I1Click(I1); });
    connect(B1, &QAction::triggered, this, &TfrmMain::B1Click);
    connect(X1, &QAction::triggered, this, &TfrmMain::X1Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &TfrmMain::SpeedButton8Click);

    connect(ReadCard, &QPushButton::clicked, this, &TfrmMain::ReadCardClick);
    connect(BitBtn5, &QPushButton::clicked, this, &TfrmMain::BitBtn5Click);

    connect(SpeedButton2, &QToolButton::clicked, this, &TfrmMain::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfrmMain::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TfrmMain::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfrmMain::SpeedButton5Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TfrmMain::SpeedButton7Click);

    // The round exit label: hover shows the black ellipse, a click asks to close.
    Label12->installEventFilter(this);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label12) {
        switch (event->type()) {
        case QEvent::Enter:
            ExitHoverShape->show();
            break;
        case QEvent::Leave:
            ExitHoverShape->hide();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                Label12Click();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- creation -------------------------------------------------------------------------------------

void TfrmMain::requestTerminate() {
    terminate_ = true;
    // Only takes effect when the event loop already runs; otherwise the caller sees terminateRequested().
    QCoreApplication::exit(1);
}

void TfrmMain::reportError(const QString& text) {
    prompter_.message(text, QCoreApplication::applicationName(), Prompter::Icon::Error);
}

bool TfrmMain::iniExists() const {
    return Settings->exists();
}

QTimeEdit* TfrmMain::timePicker(const QString& key) const {
    for (QTimeEdit* p : {ATime, DTime, ADTime, AMTime, DMTime, ASTime, ASATime, SysTime})
        if (p->objectName().compare(key, Qt::CaseInsensitive) == 0) return p;
    return nullptr;
}

QRadioButton* TfrmMain::readerButton(const QString& caption) const {
    for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        if (b->text() == caption) return b;
    return nullptr;
}

QCheckBox* TfrmMain::weekdayBox(int n) const {
    QCheckBox* boxes[] = {RB1, RB2, RB3, RB4, RB5, RB6, RB7};
    return n >= 1 && n <= 7 ? boxes[n - 1] : nullptr;
}

void TfrmMain::FormCreate() {
    using namespace settings;

    if (!iniExists()) {
        prompter_.info(QStringLiteral("系统设置文件不存在，无法使用！"));
        requestTerminate();
        return;
    }

    WaitCursor wait;
    if (!ADOConnection1->open(home_.udlPath(), home_.dir())) {
        wait.restore();
        prompter_.info(QStringLiteral("连接数据库时出错，不能使用！"));
    }
    if (!ADOConnection1->isOpen()) {
        wait.restore();
        prompter_.info(QStringLiteral("无法连接数据库，不能使用！"));
        requestTerminate();
        return;
    }
    setupViews();

    // The send logs show today.
    setTodayRange(DateTimePicker5, DateTimePicker6, DateTimePicker7, DateTimePicker8);
    SpeedButton3Click();
    setTodayRange(DateTimePicker14, DateTimePicker15, DateTimePicker16, DateTimePicker17);
    SpeedButton7Click();

    I1Click(nullptr);

    if (!ADOEvection->isOpen()) ADOEvection->open();
    ADOEMail->open();

    Panels->setPanelText(3, QString::number(EmployeeList->count()));

    ReaderKind = settings::readerKind(Settings->read(SysSet::MachType));
    if (QRadioButton* b = readerButton(ReaderKind)) b->setChecked(true);

    for (const TimeSetting& t : timeSettings()) {
        const auto parsed = fmt::parseTime(Settings->read(*t.key));
        if (!parsed) continue; // a value that is no time keeps the picker's
        QTimeEdit* picker = timePicker(t.key->keyName());
        const QSignalBlocker quiet(picker);
        picker->setTime(*parsed);
    }

    CompanyName = Settings->read(SysSet::CoApellation);
    Label11->setText(CompanyName + QStringLiteral("实时考勤管理系统"));

    CheckBox1->setChecked(Settings->readFlag(SysSet::AbMail));
    CheckBox2->setChecked(Settings->readFlag(SysSet::MailInit));
    CheckBox4->setChecked(Settings->readFlag(SysSet::AbSms));
    if (CheckBox1->isChecked() || CheckBox4->isChecked()) {
        Panels->setPanelText(5, QStringLiteral("启动定时"));
        Timer2->start();
    } else {
        Panels->setPanelText(5, QString());
        Timer2->stop();
    }

    CheckBox5->setChecked(Settings->readFlag(SysSet::CallName));
    created_ = true;
}

// ---- showing --------------------------------------------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_ || event->spontaneous()) return;
    shown_ = true;
    FormShow();
}

void TfrmMain::FormShow() {
    using namespace settings;

    if (!iniExists()) {
        prompter_.info(QStringLiteral("系统设置文件不存在，不能启动本系统！"));
        closeWithoutAsking_ = true;
        update(); // the close happens at the next paint
        return;
    }

    CheckBox3->setChecked(Settings->readFlag(SysSet::AutoBrush));
    if (CheckBox3->isChecked())
        ReadCardClick();
    else
        BitBtn5Click();

    // Each mail field keeps its text when its key is missing.
    const IniFile& ini = Settings->ini();
    const std::pair<QLineEdit*, const Key*> fields[] = {
        {Edit4, &EMailSet::EMail},    {Edit5, &EMailSet::Smtp},    {Edit6, &EMailSet::UserName},
        {Edit7, &EMailSet::Password}, {Edit8, &EMailSet::AttMent}, {Edit9, &EMailSet::OutTime},
    };
    for (const auto& [edit, key] : fields)
        edit->setText(ini.readString(key->sectionName(), key->keyName(), edit->text()));
    SendWeeks = Settings->read(EMailSet::SendWeeks);
    V1->setChecked(Settings->readFlag(VideoSet::VideoEnb));
    const std::pair<QCheckBox*, const Key*> switches[] = {
        {AbSdLate, &EMailSet::AbSdLate},
        {AbSdEarly, &EMailSet::AbSdEarly},
        {AbSdAbsence, &EMailSet::AbSdAbsence},
        {AbSdAttend, &EMailSet::AbSdAttend},
    };
    for (const auto& [box, key] : switches)
        box->setChecked(Settings->readFlag(*key));

    Edit3->setFocus();

    // setChecked does not run the boxes' click handler, so nothing is written back.
    const auto weekdays = weekdayBoxes(SendWeeks);
    for (int n = 1; n <= 7; ++n)
        if (weekdays[size_t(n - 1)]) weekdayBox(n)->setChecked(true);

    SendBusy = false;

    if (V1->isChecked()) V1Click(nullptr);

    if (splash_) {
        splash_->hide();
        splash_->deleteLater();
        splash_ = nullptr;
    }
}

void TfrmMain::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    // A window marked at show time closes at its first paint, without the exit question.
    if (closeWithoutAsking_ && !closeQueued_) {
        closeQueued_ = true;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

// ---- closing --------------------------------------------------------------------------------------

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!closeWithoutAsking_ &&
        prompter_.ask(QStringLiteral("您确定真的要退出本系统吗？"), QStringLiteral("提示"),
                      Prompter::Buttons::YesNo, Prompter::Icon::Question) != Prompter::Answer::Yes) {
        event->ignore();
        return;
    }
    if (readingActive()) BitBtn5Click();
    event->accept();
}

// ---- settings handlers ----------------------------------------------------------------------------

void TfrmMain::RadioButton1Click(QObject* Sender) {
    auto* button = qobject_cast<QRadioButton*>(Sender);
    if (!button) return;
    Settings->write(settings::SysSet::MachType, button->text());
    ReaderKind = button->text();
}

void TfrmMain::ATimeChange(QObject* Sender) {
    auto* picker = qobject_cast<QTimeEdit*>(Sender);
    if (!picker) return;
    // The key is the picker's own name.
    Settings->write(QString::fromLatin1(settings::section::SysSet), picker->objectName(),
                    fmt::time(picker->time()));
}

void TfrmMain::CheckBox3Click() {
    Settings->writeFlag(settings::SysSet::AutoBrush, CheckBox3->isChecked());
}

void TfrmMain::CheckBox5Click() {
    Settings->writeFlag(settings::SysSet::CallName, CheckBox5->isChecked());
}

void TfrmMain::V1Click(QObject* Sender) {
    // From the menu Qt has already toggled the check mark; run with no sender it stays.
    Q_UNUSED(Sender);
    if (iniExists()) Settings->writeFlag(settings::VideoSet::VideoEnb, V1->isChecked());
    if (!V1->isEnabled()) return;
    // The video window is opened and closed here once it exists in the desk.
}
