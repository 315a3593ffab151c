// Reading cards into the card-number box: start, stop, the poll and the swipe prompt.

#include "desk/ui/TfrmMain.h"

#include <QTimer>

void TfrmMain::ReadCardClick() {
    // Opening the reader and starting the poll come with the reading session.
}

void TfrmMain::BitBtn5Click() {
    // Resets the swipe prompt; closing the reader's port comes with the reading session.
    SenTimer->stop();
    for (QWidget* shape : {Shape1, Shape2, Shape3, Shape4})
        shape->hide();
    SenTrackBar->setValue(1);
    SenTrackBar->hide();
    SenProBar->setValue(1);
    SenProBar->hide();
    HitLab->hide();
    Timer1->stop();
    BitBtn5->hide();
}

void TfrmMain::Timer1Timer() {}

void TfrmMain::SenTimerTimer() {}
