// Speed of the desk's sign-in through the real main window (offscreen): from the Enter key in the
// card-number box to the row stored and the board updated; and the history view of the day opening.
//
// usage: signin_bench HOME_DIR [SIGN_INS]
// Build the home with bench/desk/make-home.sh first (10,000 employees, 1,000,000 swipes, 20,000 today).
// Every run adds its sign-ins to the home's swipes.

#include "common/AppHome.h"
#include "common/Clock.h"
#include "common/Prompter.h"
#include "desk/board/EmployeeRoster.h"
#include "desk/db/Dataset.h"
#include "desk/ui/TfrmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double median = 0;
    double p90 = 0;
    double max = 0;
};

Figures figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return {};
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 9 / 10)], ms.back()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s HOME_DIR [SIGN_INS]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Oravik"));
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;

    ScriptedPrompter prompter;
    SystemClock clock;
    QElapsedTimer t;
    t.start();
    TfrmMain w(AppHome(QString::fromLocal8Bit(argv[1])), prompter, clock);
    if (w.terminateRequested()) {
        std::fprintf(stderr, "the desk did not start: %s\n",
                     qPrintable(prompter.texts().join(QLatin1Char('|'))));
        return 1;
    }
    w.show();
    QCoreApplication::processEvents();
    const double startMs = double(t.nsecsElapsed()) / 1e6;
    w.CheckBox5->setChecked(false); // no name calls: the figure is the sign-in's own
    const int employees = w.roster().size();
    const int swipesBefore = w.swipeDataset()->recordCount();
    std::printf("start-up (roster %d, today's swipes %d): %.0f ms\n", employees, swipesBefore, startMs);
    if (employees == 0) return 1;

    std::vector<double> signIns;
    int stored = 0;
    for (int i = 0; i < count; ++i) {
        const QString card = w.roster().CardList().at((i * 7919) % employees);
        w.Edit3->setText(card);
        const int paneBlocks = w.SignInPane->blockCount();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        t.restart();
        QCoreApplication::sendEvent(w.Edit3, &enter);
        signIns.push_back(double(t.nsecsElapsed()) / 1e6);
        if (w.SignInPane->blockCount() == paneBlocks + 1) ++stored;
    }
    const Figures s = figures(signIns);
    std::printf("sign-in, Enter to row stored and board updated (%d of %d on the board): median %.2f ms, "
                "p90 %.2f ms, max %.2f ms\n",
                stored, count, s.median, s.p90, s.max);

    std::vector<double> history;
    for (int i = 0; i < 7; ++i) {
        t.restart();
        w.SpeedButton2Click();
        history.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const Figures h = figures(history);
    std::printf("history view of the day (%d swipes), SpeedButton2Click: median %.0f ms, max %.0f ms\n",
                w.swipeDataset()->recordCount(), h.median, h.max);

    // The board rebuild of the menu item, which is also the daily reset: roster, the day's swipes, board.
    std::vector<double> rebuilds;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        w.I1Click();
        rebuilds.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const Figures r = figures(rebuilds);
    std::printf("board rebuild I1Click (%d employees, %d swipes today): median %.0f ms, max %.0f ms\n",
                w.roster().size(), w.swipeDataset()->recordCount(), r.median, r.max);
    if (!prompter.entries.empty())
        std::printf("messages: %s\n", qPrintable(prompter.texts().join(QLatin1Char('|'))));
    return stored == count ? 0 : 1;
}
