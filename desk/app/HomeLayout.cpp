#include "desk/app/HomeLayout.h"

#include "common/AppHome.h"
#include "desk/db/Database.h"
#include "desk/settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace home {

namespace {

bool makeDir(const QString& path, InitReport& r) {
    if (QFileInfo(path).isDir()) return true;
    if (QFileInfo::exists(path) || !QDir().mkpath(path)) {
        r.ok = false;
        r.error = QStringLiteral("cannot create the folder %1").arg(path);
        return false;
    }
    r.created << path;
    return true;
}

} // namespace

InitReport initHome(const QString& dir) {
    InitReport r;
    const AppHome home(QFileInfo(dir).absoluteFilePath());
    if (!makeDir(home.dir(), r)) return r;

    if (!QFileInfo::exists(home.iniPath())) {
        QSaveFile ini(home.iniPath());
        if (!ini.open(QIODevice::WriteOnly) || ini.write(settings::defaultIniText().toUtf8()) < 0 ||
            !ini.commit()) {
            r.ok = false;
            r.error = QStringLiteral("cannot write %1: %2").arg(home.iniPath(), ini.errorString());
            return r;
        }
        r.created << home.iniPath();
    }

    if (!QFileInfo::exists(home.udlPath())) {
        if (!Database::writeDataLink(home.udlPath())) {
            r.ok = false;
            r.error = QStringLiteral("cannot write %1").arg(home.udlPath());
            return r;
        }
        r.created << home.udlPath();
    }

    if (!makeDir(home.mdbDir(), r)) return r;
    if (!QFileInfo::exists(home.databasePath())) {
        QString error;
        if (!Database::createFile(home.databasePath(), &error)) {
            r.ok = false;
            r.error = QStringLiteral("cannot create %1: %2").arg(home.databasePath(), error);
            return r;
        }
        r.created << home.databasePath();
    }

    for (const QString& folder :
         {home.addShiftDir(), home.empSoundDir(), home.downDataDir(), home.videoDir(), home.backupDir()})
        if (!makeDir(folder, r)) return r;
    return r;
}

} // namespace home
