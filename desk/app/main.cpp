// The desk program: sets the formats, shows the splash window, creates the main window and runs the
// event loop.
//
//   oravik [--home DIR]          run the desk on DIR (else $ORAVIK_HOME, else the executable's folder)
//   oravik --init-home DIR       lay out a new home in DIR and exit
//   --screenshot FILE            save a picture of the main window once it is up
//   --quit-after MS              end the program after MS milliseconds (without the exit question)

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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Oravik"));
    QApplication::setApplicationVersion(QStringLiteral("1.20"));
    // Dates and times are written by the fmt helpers ("yyyy-mm-dd", "HH:mm:ss"); the locale gives the
    // calendars and standard dialogs their Chinese texts.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    QCommandLineParser parser;
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

    const AppHome home = AppHome::fromArguments(app.arguments());
    MessageBoxPrompter prompter;
    SystemClock clock;
    TfrmMain window(home, prompter, clock);
    if (window.terminateRequested()) {
        delete splash;
        return 1;
    }
    window.setSplash(splash);

    // The offscreen platform has a small virtual screen: give the window a desk-sized frame there.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
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
