// The oravik program itself: laying out a home, a headless run with a screenshot, and a home that
// cannot be used.

#include "QtPrint.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome oravik(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("ORAVIK_HOME"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORAVIK_EXE), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ProgramTest, InitHomeThenRunHeadlessWithAScreenshot) {
    QTemporaryDir tmp;
    const QString home = tmp.path() + QStringLiteral("/home");
    const Outcome init = oravik({QStringLiteral("--init-home"), home});
    ASSERT_EQ(init.code, 0) << init.err.toStdString();
    EXPECT_TRUE(init.out.contains(QStringLiteral("created: ") + home + QStringLiteral("/Oravik.ini")));
    EXPECT_TRUE(init.out.contains(QStringLiteral("created: ") + home + QStringLiteral("/mdb/Oravik.mdb")));

    const Outcome again = oravik({QStringLiteral("--init-home"), home});
    EXPECT_EQ(again.code, 0);
    EXPECT_FALSE(again.out.contains(QStringLiteral("created:"))) << again.out.toStdString();

    const QString shot = tmp.path() + QStringLiteral("/desk.png");
    const Outcome run = oravik({QStringLiteral("--home"), home, QStringLiteral("--screenshot"), shot,
                                QStringLiteral("--quit-after"), QStringLiteral("800")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("screenshot: ") + shot)) << run.out.toStdString();
    const QImage picture(shot);
    EXPECT_EQ(picture.size(), QSize(1280, 800));
}

TEST(ProgramTest, HomeWithoutSettingsEndsWithTheMessage) {
    QTemporaryDir tmp;
    const Outcome run = oravik(
        {QStringLiteral("--home"), tmp.path(), QStringLiteral("--quit-after"), QStringLiteral("5000")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("系统设置文件不存在，无法使用！"))) << run.err.toStdString();
}
