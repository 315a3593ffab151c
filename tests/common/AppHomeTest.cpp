#include "common/AppHome.h"
#include "common/Prompter.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(AppHome, HomeFromArgumentsThenEnvironmentThenExecutable) {
    ::unsetenv("ORAVIK_HOME");
    const QString exeDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    EXPECT_EQ(AppHome::fromArguments({QStringLiteral("oravik")}).dir(), exeDir);
    EXPECT_EQ(AppHome::fromArguments({QStringLiteral("oravik"), QStringLiteral("--home")}).dir(), exeDir);

    ::setenv("ORAVIK_HOME", "/srv/env-home", 1);
    EXPECT_EQ(AppHome::fromArguments({QStringLiteral("oravik")}).dir(), QStringLiteral("/srv/env-home"));
    EXPECT_EQ(
        AppHome::fromArguments({QStringLiteral("oravik"), QStringLiteral("--home"), QStringLiteral("/srv/a")})
            .dir(),
        QStringLiteral("/srv/a"));
    EXPECT_EQ(AppHome::fromArguments({QStringLiteral("--home=/srv/b")}).dir(), QStringLiteral("/srv/b"));
    // A relative home is taken from the current folder once, so later folder changes do not move it.
    EXPECT_EQ(AppHome::fromArguments({QStringLiteral("--home=rel")}).dir(), QDir::current().filePath("rel"));
    ::unsetenv("ORAVIK_HOME");

    const AppHome home(QStringLiteral("/srv/h"));
    EXPECT_EQ(home.iniPath(), QStringLiteral("/srv/h/Oravik.ini"));
    EXPECT_EQ(home.udlPath(), QStringLiteral("/srv/h/Oravikmdb.udl"));
    EXPECT_EQ(home.databasePath(), QStringLiteral("/srv/h/mdb/Oravik.mdb"));
    EXPECT_EQ(home.importLogPath(), QStringLiteral("/srv/h/NVImport.log"));
    EXPECT_EQ(home.backupDir(), QStringLiteral("/srv/h/Backup"));
}

TEST(ScriptedPrompter, RecordsAndAnswersFromTheQueue) {
    ScriptedPrompter p;
    p.info(QStringLiteral("保存成功！"));
    p.queue(Prompter::Answer::Yes);
    EXPECT_TRUE(p.yes(QStringLiteral("您确定真的要退出本系统吗？")));
    // Empty queue: the answer of a closed box.
    EXPECT_FALSE(p.yes(QStringLiteral("again?")));
    EXPECT_EQ(p.ask(QStringLiteral("go?"), QStringLiteral("警告"), Prompter::Buttons::OkCancel),
              Prompter::Answer::Cancel);

    ASSERT_EQ(p.entries.size(), 4u);
    EXPECT_EQ(p.texts().first(), QStringLiteral("保存成功！"));
    EXPECT_EQ(p.entries[0].title, QStringLiteral("提示"));
    EXPECT_FALSE(p.entries[0].question);
    EXPECT_TRUE(p.entries[1].question);
    EXPECT_EQ(p.entries[1].icon, Prompter::Icon::Question);
    EXPECT_EQ(p.entries[3].buttons, Prompter::Buttons::OkCancel);
}

} // namespace
