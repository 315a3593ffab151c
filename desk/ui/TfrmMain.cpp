// Construction, creation, showing and closing of the main window, and the settings handlers.

#include "desk/ui/TfrmMain.h"

#include "common/Clock.h"
#include "common/Formats.h"
#include "common/Prompter.h"
#include "desk/board/DayBoard.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/db/Database.h"
#include "desk/db/Dataset.h"
#include "desk/dbmodel/DatasetModel.h"
#include "desk/settings/Settings.h"
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
      Settings(std::make_unique<SettingsStore>(home_.iniPath(), prompter)),
      ADOConnection1(std::make_unique<Database>()), Roster(std::make_unique<EmployeeRoster>()),
      Board(std::make_unique<DayBoard>()) {
    setupUi(this);
    StatusBar = std::make_unique<StatusPanels>(StatusBar1, QList<int>{80, 300, 80, 60, 80, 0});
    StatusBar->setPanelText(0, QStringLiteral("刷卡提示："));
    StatusBar->setPanelText(2, QStringLiteral("总计人数："));
    StatusBar->setPanelText(4, QStringLiteral("系统状态："));

    // The pickers' built-in values and the mail fields' built-in texts are the settings' defaults.
    for (const auto& t : settings::timeSettings()) timePicker(t.key)->setTime(t.defaultTime);
    Edit4->setText(settings::defaults::EMail);
    Edit5->setText(settings::defaults::Smtp);
    Edit6->setText(settings::defaults::UserName);
    Edit7->setText(settings::defaults::Password);
    Edit8->setText(settings::defaults::AttMent);
    Edit9->setText(settings::defaults::OutTime);

    setupTimers();
    setupMenus();
    setupConnections();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // The models refer to the datasets, the datasets to the connection: let go in that order.
    for (auto* view : {DBGrid1, DBGrid2, DBGrid3, DBGrid4, DBGrid5, DBGrid6}) view->setModel(nullptr);
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

void TfrmMain::setSplash(TfrmShape* splash) { splash_ = splash; }

bool TfrmMain::readingActive() const { return Timer1->isActive(); }

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
        QTimeEdit* picker = timePicker(t.key);
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

bool TfrmMain::iniExists() const { return QFileInfo::exists(home_.iniPath()); }

QString TfrmMain::readIni(const QString& section, const QString& key, const QString& def) const {
    return Settings->read(section, key, def);
}

void TfrmMain::writeIni(const QString& section, const QString& key, const QString& value) {
    Settings->write(section, key, value);
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
    namespace keys = settings::keys;
    const QString sys = settings::sections::SysSet;

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

    StatusBar->setPanelText(3, QString::number(EmployeeList->count()));

    ReaderKind = readIni(sys, keys::MachType, settings::defaults::MachType).toUpper();
    if (QRadioButton* b = readerButton(ReaderKind)) b->setChecked(true);

    for (const auto& t : settings::timeSettings()) {
        const auto parsed = fmt::parseTime(readIni(sys, t.key, fmt::time(t.defaultTime)));
        if (!parsed) continue; // garbage keeps the picker's value
        QTimeEdit* picker = timePicker(t.key);
        const QSignalBlocker quiet(picker);
        picker->setTime(*parsed);
    }

    CompanyName = readIni(sys, keys::CoApellation, settings::defaults::CoApellation);
    Label11->setText(CompanyName + QStringLiteral("实时考勤管理系统"));

    CheckBox1->setChecked(settings::isYes(readIni(sys, keys::AbMail, settings::defaults::AbMail)));
    CheckBox2->setChecked(settings::isYes(readIni(sys, keys::MailInit, settings::defaults::MailInit)));
    CheckBox4->setChecked(settings::isYes(readIni(sys, keys::AbSms, settings::defaults::AbSms)));
    if (CheckBox1->isChecked() || CheckBox4->isChecked()) {
        StatusBar->setPanelText(5, QStringLiteral("启动定时"));
        Timer2->start();
    } else {
        StatusBar->setPanelText(5, QString());
        Timer2->stop();
    }

    CheckBox5->setChecked(settings::isYes(readIni(sys, keys::CallName, settings::defaults::CallName)));
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
    namespace keys = settings::keys;
    const QString mail = settings::sections::EMailSet;

    if (!iniExists()) {
        prompter_.info(QStringLiteral("系统设置文件不存在，不能启动本系统！"));
        closeWithoutAsking_ = true;
        update(); // the close happens at the next paint
        return;
    }

    CheckBox3->setChecked(settings::isExactlyYes(
        readIni(settings::sections::SysSet, keys::AutoBrush, settings::defaults::AutoBrush)));
    if (CheckBox3->isChecked())
        ReadCardClick();
    else
        BitBtn5Click();

    Edit4->setText(readIni(mail, keys::EMail, Edit4->text()));
    Edit5->setText(readIni(mail, keys::Smtp, Edit5->text()));
    Edit6->setText(readIni(mail, keys::UserName, Edit6->text()));
    Edit7->setText(readIni(mail, keys::Password, Edit7->text()));
    Edit8->setText(readIni(mail, keys::AttMent, Edit8->text()));
    Edit9->setText(readIni(mail, keys::OutTime, Edit9->text()));
    SendWeeks = readIni(mail, keys::SendWeeks, settings::defaults::SendWeeks);
    V1->setChecked(settings::isExactlyYes(
        readIni(settings::sections::VideoSet, keys::VideoEnb, settings::defaults::VideoEnb)));
    for (QCheckBox* box : {AbSdLate, AbSdEarly, AbSdAbsence, AbSdAttend})
        box->setChecked(settings::isExactlyYes(readIni(mail, box->objectName(), settings::contentDefault(box->objectName()))));

    Edit3->setFocus();

    // setChecked does not run the boxes' click handler, so nothing is written back.
    for (int n : settings::weekdayBoxes(SendWeeks))
        if (QCheckBox* box = weekdayBox(n)) box->setChecked(true);

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
    if (closeWithoutAsking_) QTimer::singleShot(0, this, &QWidget::close);
}

// ---- closing --------------------------------------------------------------------------------------

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!closeWithoutAsking_ &&
        prompter_.ask(QStringLiteral("您确定真的要退出本系统吗？"), QStringLiteral("提示"), Prompter::Buttons::YesNo,
                      Prompter::Icon::Question) != Prompter::Answer::Yes) {
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
    writeIni(settings::sections::SysSet, settings::keys::MachType, button->text());
    ReaderKind = button->text();
}

void TfrmMain::ATimeChange(QObject* Sender) {
    auto* picker = qobject_cast<QTimeEdit*>(Sender);
    if (!picker) return;
    writeIni(settings::sections::SysSet, picker->objectName(), fmt::time(picker->time()));
}

void TfrmMain::CheckBox3Click() {
    writeIni(settings::sections::SysSet, settings::keys::AutoBrush, settings::flag(CheckBox3->isChecked()));
}

void TfrmMain::CheckBox5Click() {
    writeIni(settings::sections::SysSet, settings::keys::CallName, settings::flag(CheckBox5->isChecked()));
}

void TfrmMain::V1Click(QObject* Sender) {
    // From the menu Qt has already toggled the check mark; run with no sender it stays.
    Q_UNUSED(Sender);
    if (iniExists())
        writeIni(settings::sections::VideoSet, settings::keys::VideoEnb, settings::flag(V1->isChecked()));
    if (!V1->isEnabled()) return;
    // The video window is opened and closed here once it exists in the desk.
}
