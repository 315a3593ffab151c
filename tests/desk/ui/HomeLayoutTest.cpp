// `oravik --init-home`: a complete new home, and nothing overwritten in an existing one.

#include "desk/app/HomeLayout.h"
#include "QtPrint.h"
#include "common/AppHome.h"
#include "common/IniFile.h"
#include "desk/db/Database.h"
#include "desk/settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(HomeLayoutTest, NewHomeHasEverything) {
    QTemporaryDir tmp;
    const AppHome home(tmp.path() + QStringLiteral("/a/b"));
    const home::InitReport r = home::initHome(home.dir());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(contents(home.iniPath()), settings::defaultIniText().toUtf8());
    for (const QString& dir : {home.mdbDir(), home.addShiftDir(), home.empSoundDir(), home.downDataDir(),
                               home.videoDir(), home.backupDir()})
        EXPECT_TRUE(QFileInfo(dir).isDir()) << dir.toStdString();
    EXPECT_TRUE(r.created.contains(home.databasePath()));
    EXPECT_TRUE(r.created.contains(home.udlPath()));
    EXPECT_EQ(IniFile(home.iniPath()).readString(QStringLiteral("SysSet"), QStringLiteral("ATime"), {}),
              QStringLiteral("08:35:00"));

    Database db;
    EXPECT_TRUE(db.open(home.udlPath(), home.dir())) << db.error().toStdString();
}

TEST(HomeLayoutTest, ExistingFilesAreKept) {
    QTemporaryDir tmp;
    const AppHome home(tmp.path());
    ASSERT_TRUE(home::initHome(home.dir()).ok);
    IniFile(home.iniPath())
        .writeString(QStringLiteral("SysSet"), QStringLiteral("MachType"), QStringLiteral("NV820"));
    const QByteArray ini = contents(home.iniPath());
    const QByteArray udl = contents(home.udlPath());
    const QByteArray mdb = contents(home.databasePath());
    ASSERT_TRUE(QDir(home.backupDir()).removeRecursively());

    const home::InitReport again = home::initHome(home.dir());
    ASSERT_TRUE(again.ok) << again.error.toStdString();
    EXPECT_EQ(again.created, QStringList{home.backupDir()});
    EXPECT_EQ(contents(home.iniPath()), ini);
    EXPECT_EQ(contents(home.udlPath()), udl);
    EXPECT_EQ(contents(home.databasePath()), mdb);
}

TEST(HomeLayoutTest, FileInTheWayOfAFolderFails) {
    QTemporaryDir tmp;
    QFile blocker(tmp.path() + QStringLiteral("/AddShift"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const home::InitReport r = home::initHome(tmp.path());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("AddShift"))) << r.error.toStdString();
}
