// Reading cards into the card-number box: start, stop, the poll and the swipe prompt. The reading
// session (desk/reader) does the work; this file wires it to the window's controls and timers.

#include "desk/ui/TfrmMain.h"

#include "common/Prompter.h"
#include "desk/reader/MainReader.h"
#include "desk/reader/TervoxLink.h"
#include "desk/settings/SettingsRules.h"
#include "desk/settings/SettingsStore.h"

#include <QCoreApplication>
#include <QTimer>

struct TfrmMain::ReadingState {
    reader::TervoxLink link;
    std::unique_ptr<reader::MainReader> reader;
};

void TfrmMain::ReadingStateFree::operator()(ReadingState* state) const {
    delete state;
}

reader::MainReader* TfrmMain::cardReader() const {
    return Reading ? Reading->reader.get() : nullptr;
}

TfrmMain::ReadingState& TfrmMain::reading() {
    if (Reading) return *Reading;
    Reading.reset(new ReadingState);
    reader::MainReader::Hooks hooks;
    // The radio buttons may change while reading: the session asks at every step.
    hooks.kind = [this] { return ReaderKind; };
    hooks.deliver = [this](const QString& card) { return deliverCard(card); };
    hooks.status = [this](const QString& text) {
        Panels->setPanelText(1, text);
        Panels->repaint();
    };
    hooks.clearCard = [this] {
        Edit3->clear();
        Edit3->setFocus();
    };
    hooks.setClockAddress = [this](int address) { setClockAddress(address); };
    hooks.processEvents = [] { QCoreApplication::processEvents(); };
    hooks.readingChanged = [this](bool on) {
        if (on) {
            SenTimer->start();
            Timer1->start();
            BitBtn5->show();
            Edit3->setFocus();
        } else {
            SenTimer->stop();
            Timer1->stop();
            BitBtn5->hide();
        }
        renderPrompt();
    };
    Reading->reader = std::make_unique<reader::MainReader>(prompter_, &Reading->link, std::move(hooks));
    // A sign-in from an RS485 reader acknowledges the frame as its last step.
    onSignInAck = [this] { Reading->reader->sendAck(); };
    return *Reading;
}

void TfrmMain::ReadCardClick() {
    // The position in the port list names the port, for the serial readers and the NV820 alike.
    const QString port = QStringLiteral("COM") + QString::number(ComboBox4->currentIndex() + 1);
    reading().reader->start(settings::portDevice(Settings->ini(), port));
}

void TfrmMain::BitBtn5Click() {
    if (Reading) {
        Reading->reader->stop();
        return;
    }
    // Never started: the prompt and the timers are put into their stopped state all the same.
    SenTimer->stop();
    Timer1->stop();
    BitBtn5->hide();
    for (QWidget* shape : {Shape1, Shape2, Shape3, Shape4})
        shape->hide();
    SenTrackBar->setValue(1);
    SenTrackBar->hide();
    SenProBar->setValue(1);
    SenProBar->hide();
    HitLab->hide();
}

void TfrmMain::Timer1Timer() {
    if (Reading) Reading->reader->tick();
}

void TfrmMain::SenTimerTimer() {
    if (!Reading) return;
    Reading->reader->promptTick();
    renderPrompt();
}

void TfrmMain::renderPrompt() {
    const reader::SwipePrompt& p = Reading->reader->prompt();
    HitLab->setText(p.labelText());
    HitLab->setVisible(p.labelVisible());
    EllipseShape* shapes[] = {Shape1, Shape2, Shape3, Shape4};
    for (int i = 0; i < 4; ++i)
        shapes[i]->setVisible(p.shapeVisible(i + 1));
    SenTrackBar->setValue(p.barValue());
    SenProBar->setValue(p.barValue());
    SenTrackBar->setVisible(p.barsVisible());
    SenProBar->setVisible(p.barsVisible());
}

bool TfrmMain::deliverCard(const QString& card) {
    Edit3->setText(card);
    Edit3->setFocus();
    Edit3->end(false);
    runSignInFromReader();
    return lastSignInStored();
}

void TfrmMain::runSignInFromReader() {
    Edit3KeyPress(nullptr, 13);
}
