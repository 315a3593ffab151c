#pragma once
// The folder that holds the settings file, the data-link file and the desk's folders.

#include <QString>

class AppHome {
public:
    explicit AppHome(QString dir);
    // --home DIR, else ORAVIK_HOME, else the executable's folder.
    static AppHome fromArguments(const QStringList& args);

    const QString& dir() const { return dir_; }
    QString file(const QString& name) const; // dir/name

    QString iniPath() const;     // Oravik.ini
    QString udlPath() const;     // Oravikmdb.udl
    QString mdbDir() const;      // mdb
    QString databasePath() const; // mdb/Oravik.mdb
    QString addShiftDir() const; // AddShift
    QString empSoundDir() const; // EmpSound
    QString downDataDir() const; // DownData
    QString videoDir() const;    // Video
    QString backupDir() const;   // Backup
    QString importLogPath() const; // NVImport.log

private:
    QString dir_;
};
