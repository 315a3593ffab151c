#include "AppHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

AppHome::AppHome(QString dir) : dir_(std::move(dir)) {}

AppHome AppHome::fromArguments(const QStringList& args) {
    const QString opt = QStringLiteral("--home");
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == opt && i + 1 < args.size()) return AppHome(QFileInfo(args.at(i + 1)).absoluteFilePath());
        if (a.startsWith(opt + QLatin1Char('=')))
            return AppHome(QFileInfo(a.mid(opt.size() + 1)).absoluteFilePath());
    }
    const QString env = qEnvironmentVariable("ORAVIK_HOME");
    if (!env.isEmpty()) return AppHome(QFileInfo(env).absoluteFilePath());
    if (QCoreApplication::instance()) return AppHome(QCoreApplication::applicationDirPath());
    return AppHome(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
}

QString AppHome::file(const QString& name) const {
    return QDir(dir_).filePath(name);
}

QString AppHome::iniPath() const {
    return file(QStringLiteral("Oravik.ini"));
}
QString AppHome::udlPath() const {
    return file(QStringLiteral("Oravikmdb.udl"));
}
QString AppHome::mdbDir() const {
    return file(QStringLiteral("mdb"));
}
QString AppHome::databasePath() const {
    return file(QStringLiteral("mdb/Oravik.mdb"));
}
QString AppHome::addShiftDir() const {
    return file(QStringLiteral("AddShift"));
}
QString AppHome::empSoundDir() const {
    return file(QStringLiteral("EmpSound"));
}
QString AppHome::downDataDir() const {
    return file(QStringLiteral("DownData"));
}
QString AppHome::videoDir() const {
    return file(QStringLiteral("Video"));
}
QString AppHome::backupDir() const {
    return file(QStringLiteral("Backup"));
}
QString AppHome::importLogPath() const {
    return file(QStringLiteral("NVImport.log"));
}
