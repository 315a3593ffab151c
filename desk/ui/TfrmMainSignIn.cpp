// The sign-in: Enter in the card-number box, the row through the swipe-history dataset, the live board.

#include "desk/ui/TfrmMain.h"
#include "desk/ui/TfrmMainParts.h"

#include "common/Prompter.h"
#include "desk/board/DayBoard.h"
#include "desk/db/Dataset.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>

namespace {

// Runs the sign-in on Enter in the card-number box; every other key goes to the box.
class EnterKeyFilter : public QObject {
public:
    explicit EnterKeyFilter(TfrmMain* w) : QObject(w), w_(w) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        w_->Edit3KeyPress(watched, 13);
        return true;
    }

private:
    TfrmMain* w_;
};

void removeRow(QListWidget* list, int row) {
    if (row >= 0 && row < list->count()) delete list->takeItem(row);
}

} // namespace

bool DatasetSwipeStore::append(const SignInRecord& r, QString* error) {
    // A view whose last query failed is closed; the sign-in still needs somewhere to put its row.
    if (!ds_.isOpen() && !ds_.open()) {
        if (error) *error = ds_.error();
        return false;
    }
    if (!ds_.append()) {
        if (error) *error = ds_.error();
        return false;
    }
    const std::pair<const char*, QVariant> fields[] = {
        {"Card_Cord", r.Card_Cord},
        {"Empl_Name", r.Empl_Name},
        {"Dept_Name", r.Dept_Name},
        {"Brush_Date", r.Brush_Date},
        {"ADFlag", r.ADFlag},
        {"RE_Flag", r.RE_Flag},
        {"RE_Content", r.RE_Content},
        {"Brush_Hour", r.Brush_Hour},
        {"Brush_Minute", r.Brush_Minute},
        {"Brush_Second", r.Brush_Second},
        {"Clock_Address", r.Clock_Address},
    };
    for (const auto& [name, value] : fields) {
        if (!ds_.setField(QString::fromLatin1(name), value)) {
            if (error) *error = ds_.error();
            ds_.cancel();
            return false;
        }
    }
    if (ds_.post()) return true;
    if (error) *error = ds_.error();
    // The refused row leaves the grid again.
    ds_.cancel();
    return false;
}

void TfrmMain::FreeParts::operator()(SignInParts* p) const {
    delete p;
}

void TfrmMain::setupSignIn() {
    Parts->store = std::make_unique<DatasetSwipeStore>(*ADOAttResRec);
    Parts->caller = std::make_unique<NameCaller>();

    SignInCallbacks cb;
    cb.status = [this](const QString& text) { showSignIn(text); };
    cb.processEvents = [] { QCoreApplication::processEvents(); };
    cb.acknowledge = [this] {
        if (onSignInAck) onSignInAck();
    };
    cb.playSound = [this](const QString& path) {
        // The service names the file; the caller wants the name back (EmpSound/<name>.wav).
        const QString name = QFileInfo(path).fileName().chopped(4);
        // Only a failure found later, once the recording has loaded, goes to the panel: the service
        // writes the texts of the call itself.
        auto late = std::make_shared<bool>(false);
        const QString result = Parts->caller->call(home_.dir(), name, [this, late](const QString& text) {
            if (*late) showSignIn(text);
        });
        *late = true;
        return result == NameCaller::kCalled;
    };
    const int address = Parts->service ? Parts->service->clockAddress() : 0;
    Parts->service =
        std::make_unique<SignInService>(*Roster, *Board, clock_, *Parts->store, home_.dir(), std::move(cb));
    Parts->service->setClockAddress(address);

    Edit3->installEventFilter(new EnterKeyFilter(this));
}

void TfrmMain::showSignIn(const QString& text) {
    Panels->setPanelText(1, text);
    Panels->repaint();
}

void TfrmMain::setClockAddress(int address) {
    if (Parts && Parts->service) Parts->service->setClockAddress(address);
}

int TfrmMain::clockAddress() const {
    return Parts && Parts->service ? Parts->service->clockAddress() : 0;
}

void TfrmMain::Edit3KeyPress(QObject* Sender, char Key) {
    if (Key != 13 || !Parts || !Parts->service) return;
    SignInService& s = *Parts->service;
    // The settings as the window shows them at this swipe.
    s.setTimes({ATime->time(), DTime->time(), ADTime->time(), ASTime->time(), ASATime->time()});
    s.setReaderKind(ReaderKind);
    s.setCallNames(CheckBox5->isChecked());

    lastSignInStored_ = false;
    const SignInService::Outcome out = s.signIn(Edit3->text(), Sender != Edit3);
    lastSignInStored_ = out.result == SignInService::Result::Stored;
    if (out.result == SignInService::Result::Failed) {
        reportError(out.error);
    } else if (out.result == SignInService::Result::Stored) {
        // Only what the swipe changed: the panes and lists are not refilled.
        const DayBoard::Change& c = out.board;
        SignInPane->appendPlainText(c.signInLine);
        SignInPane->moveCursor(QTextCursor::End);
        if (!c.exceptionLine.isEmpty()) {
            ExceptionPane->appendPlainText(c.exceptionLine);
            ExceptionPane->moveCursor(QTextCursor::End);
        }
        if (!c.lateLine.isEmpty()) LateListBox->addItem(c.lateLine);
        if (!c.earlyLine.isEmpty()) EarlyListBox->addItem(c.earlyLine);
        removeRow(OnDutyAbsentBox, c.onDutyAbsentRow);
        removeRow(OffDutyAbsentBox, c.offDutyAbsentRow);
    }
    Edit3->setFocus();
}
