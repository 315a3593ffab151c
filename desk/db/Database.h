#pragma once
// The desk's connection: the data-link file names the database; CDate and InStr are there on every
// connection so the statements run as written.
//
// The file is SQLite with a write-ahead log and synchronous FULL: an acknowledged swipe is on disk after
// one sync (a rollback journal needs four or five, too slow for a swipe on an ordinary disk). A file
// copy is whole after checkpoint(). Opening never creates a file: a missing or foreign file fails with
// error() set.

#include <QSqlDatabase>
#include <QString>

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Reads the data-link file (UTF-16LE with BOM or UTF-8), resolves a relative Data Source against
    // homeDir, opens the SQLite file (which must exist and be a database) and creates missing tables.
    // False with error() set when any step fails; nothing is created when the file is missing.
    bool open(const QString& udlPath, const QString& homeDir);
    // Opens a database file directly (tests, the card window's second connection).
    bool openFile(const QString& dbPath);
    // Closes the connection. Datasets still holding it stop working, so close them first.
    void close();
    bool isOpen() const;

    QSqlDatabase connection() const;
    const QString& connectionName() const { return name_; }
    const QString& filePath() const { return path_; }
    const QString& error() const { return error_; }

    // Moves everything in the write-ahead log into the database file and empties the log, so that a
    // copy of the file alone holds every stored row (backups).
    bool checkpoint();

    // Runs one statement; false with error() set when the database refuses it.
    bool exec(const QString& statement);

    // The Data Source of a data-link file, resolved against homeDir; empty when none can be read.
    static QString dataSourceOf(const QString& udlPath, const QString& homeDir, QString* error = nullptr);
    // Writes a data-link file naming mdb\Oravik.mdb, UTF-16LE with a BOM as Windows writes it.
    // Replaces a file of that name.
    static bool writeDataLink(const QString& udlPath);
    // Creates an empty database file with the whole schema (and its folder). Refuses an existing file.
    static bool createFile(const QString& dbPath, QString* error = nullptr);
    // Registers CDate and InStr on a QSQLITE connection opened elsewhere.
    static bool installFunctions(const QSqlDatabase& db, QString* error = nullptr);

private:
    QString name_;
    QString path_;
    QString error_;
};
