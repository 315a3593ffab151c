// The desk program: sets the formats, shows the splash window, creates the main window and runs the
// event loop.
//
//   oravik [--home DIR]          run the desk on DIR (else $ORAVIK_HOME, else the executable's folder)
//   oravik --init-home DIR       lay out a new home in DIR and exit
//   --screenshot FILE            save a picture of the main window once it is up
//   --quit-after MS              end the program after MS milliseconds (without the exit question)
//
// On the offscreen platform the window is 1280 x 800 and messages go to stderr instead of boxes.

#include "common/AppHome.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxPrompter.h"
#include "desk/app/HomeLayout.h"
#include "desk/ui/TfrmMain.h"
#include "desk/ui/TfrmShape.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QTimer>
#include <cstdio>

namespace {

// --init-home needs no display, so it is looked for before the GUI application exists.
QString initHomeArgument(int argc, char** argv, bool* given) {
    *given = false;
    const QByteArray opt("--init-home");
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == opt) {
            *given = true;
            return i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        }
        if (a.startsWith(opt + '=')) {
            *given = true;
            return QString::fromLocal8Bit(a.mid(opt.size() + 1));
        }
    }
    return {};
}

int initHome(int argc, char** argv, const QString& dir) {
    QCoreApplication app(argc, argv);
    if (dir.isEmpty()) {
        std::fprintf(stderr, "oravik: --init-home needs a folder\n");
        return 2;
    }
    const home::InitReport r = home::initHome(dir);
    for (const QString& path : r.created)
        std::printf("created: %s\n", qPrintable(path));
    if (r.created.isEmpty() && r.ok) std::printf("nothing to create in %s\n", qPrintable(dir));
    if (!r.ok) {
        std::fprintf(stderr, "oravik: %s\n", qPrintable(r.error));
        return 1;
    }
    return 0;
}

// Without a screen nobody can answer a message box: messages go to stderr and every question gets the
// answer of a closed box (No, Cancel), so a headless run never hangs on one.
class ConsolePrompter : public Prompter {
public:
    void message(const QString& text, const QString& title, Icon) override {
        std::fprintf(stderr, "oravik: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    Answer ask(const QString& text, const QString& title, Buttons buttons, Icon) override {
        const Answer a = buttons == Buttons::YesNo      ? Answer::No
                         : buttons == Buttons::OkCancel ? Answer::Cancel
                                                        : Answer::Ok;
        std::fprintf(stderr, "oravik: %s: %s (%s)\n", qPrintable(title), qPrintable(text),
                     a == Answer::No       ? "no"
                     : a == Answer::Cancel ? "cancel"
                                           : "ok");
        return a;
    }
};

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Oravik attendance desk"));
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("home"), QStringLiteral("Run on the home folder DIR."), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("init-home"), QStringLiteral("Lay out a new home in DIR and exit."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Save a picture of the main window to FILE."), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("quit-after"), QStringLiteral("End the program after MS milliseconds."),
                      QStringLiteral("MS")});
}

bool helpAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "-h" || a == "--help" || a == "-?" || a == "--help-all") return true;
    }
    return false;
}

void saveScreenshot(QWidget& window, const QString& file) {
    if (window.grab().save(file))
        std::printf("screenshot: %s\n", qPrintable(file));
    else
        std::fprintf(stderr, "oravik: cannot save the screenshot %s\n", qPrintable(file));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    bool initGiven = false;
    const QString initDir = initHomeArgument(argc, argv, &initGiven);
    if (initGiven) return initHome(argc, argv, initDir);
    if (helpAsked(argc, argv)) { // without a display too
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        addOptions(parser);
        parser.process(app);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Oravik"));
    QApplication::setApplicationVersion(QStringLiteral("1.20"));
    // Dates and times are written by the fmt helpers ("yyyy-mm-dd", "HH:mm:ss"); the locale gives the
    // calendars and standard dialogs their Chinese texts.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    int quitAfter = -1;
    if (parser.isSet(QStringLiteral("quit-after"))) {
        bool ok = false;
        quitAfter = parser.value(QStringLiteral("quit-after")).toInt(&ok);
        if (!ok || quitAfter < 0) {
            std::fprintf(stderr, "oravik: --quit-after needs a number of milliseconds\n");
            return 2;
        }
    }
    const QString screenshot = parser.value(QStringLiteral("screenshot"));

    auto* splash = new TfrmShape;
    splash->showNow();

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    const AppHome home = AppHome::fromArguments(app.arguments());
    MessageBoxPrompter boxes;
    ConsolePrompter console;
    Prompter& prompter = offscreen ? static_cast<Prompter&>(console) : boxes;
    SystemClock clock;
    TfrmMain window(home, prompter, clock);
    if (window.terminateRequested()) {
        delete splash;
        return 1;
    }
    window.setSplash(splash);

    // The offscreen platform has a small virtual screen: give the window a desk-sized frame there.
    if (offscreen) {
        window.resize(1280, 800);
        window.show();
    } else {
        window.showMaximized();
    }

    if (quitAfter >= 0) {
        // The picture is taken at the end, so it shows what happened meanwhile.
        QTimer::singleShot(quitAfter, &window, [&window, screenshot] {
            if (!screenshot.isEmpty()) saveScreenshot(window, screenshot);
            QCoreApplication::exit(0);
        });
    } else if (!screenshot.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, screenshot] { saveScreenshot(window, screenshot); });
    }
    return app.exec();
}
