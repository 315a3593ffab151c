#include "db/Database.h"

#include "db/Schema.h"
#include "db/Sql.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace {

// Stands for a command time-out of 60 seconds while another program holds the file.
constexpr const char* kConnectOptions = "QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=60000";

QString valueText(sqlite3_value* v) {
    const void* p = sqlite3_value_text16(v);
    const int bytes = sqlite3_value_bytes16(v);
    return p ? QString(static_cast<const QChar*>(p), bytes / 2) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s) {
    sqlite3_result_text16(ctx, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
}

// CDate(text): the stored date-time form, or NULL when the text is no date-time. A number is a day
// count from 1899-12-30 with the time of day as its fraction.
void cdateFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
        const double days = sqlite3_value_double(argv[0]);
        if (!(days > -657435.0 && days < 2958466.0)) { // years 100 to 9999
            sqlite3_result_null(ctx);
            return;
        }
        const qint64 secs = qint64(days * 86400.0 + (days < 0 ? -0.5 : 0.5));
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        resultText(ctx, sql::dateTimeText(base.addSecs(secs)));
        return;
    }
    case SQLITE_TEXT: {
        const QString n = sql::normalizeDateTime(valueText(argv[0]));
        if (n.isNull())
            sqlite3_result_null(ctx);
        else
            resultText(ctx, n);
        return;
    }
    default:
        sqlite3_result_null(ctx);
    }
}

// InStr([start,] text, sub [, mode]): 1-based position of sub in text from start, 0 when absent;
// mode 1 compares as text (letter case ignored), 0 binary.
void instrFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    int start = 1;
    int at = 0;
    if (argc >= 3) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        start = sqlite3_value_int(argv[0]);
        at = 1;
    }
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    if (argc == 4) {
        if (sqlite3_value_type(argv[3]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        if (sqlite3_value_int(argv[3]) == 1) cs = Qt::CaseInsensitive;
    }
    if (start < 1) {
        sqlite3_result_error(ctx, "InStr: start must be 1 or more", -1);
        return;
    }
    if (sqlite3_value_type(argv[at]) == SQLITE_NULL || sqlite3_value_type(argv[at + 1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString text = valueText(argv[at]);
    const QString sub = valueText(argv[at + 1]);
    if (start > text.size()) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    if (sub.isEmpty()) {
        sqlite3_result_int(ctx, start);
        return;
    }
    const qsizetype i = text.indexOf(sub, start - 1, cs);
    sqlite3_result_int(ctx, i < 0 ? 0 : int(i + 1));
}

sqlite3* handleOf(const QSqlDatabase& db) {
    if (!db.driver()) return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

bool execAll(QSqlDatabase& db, const std::vector<QString>& statements, QString* error) {
    if (!db.transaction()) {
        if (error) *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    for (const QString& s : statements) {
        if (!q.exec(s)) {
            if (error) *error = q.lastError().text();
            q.finish();
            db.rollback();
            return false;
        }
    }
    q.finish();
    if (!db.commit()) {
        if (error) *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

void setPragmas(QSqlDatabase& db) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous=FULL"));
}

QString nextConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("oravik-db-%1").arg(++counter);
}

QString decodeDataLink(const QByteArray& raw) {
    if (raw.startsWith("\xFF\xFE")) return QStringDecoder(QStringDecoder::Utf16LE).decode(raw.mid(2));
    if (raw.startsWith("\xFE\xFF")) return QStringDecoder(QStringDecoder::Utf16BE).decode(raw.mid(2));
    if (raw.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(raw.mid(3));
    if (raw.size() >= 2 && raw.size() % 2 == 0 && raw.contains('\0')) // UTF-16LE written without a BOM
        return QStringDecoder(QStringDecoder::Utf16LE).decode(raw);
    return QString::fromUtf8(raw);
}

// The value of `key` in an initialisation string "A=b;Data Source=x;...". Values may be quoted.
QString propertyOf(const QString& init, const QString& key) {
    qsizetype i = 0;
    while (i < init.size()) {
        const qsizetype eq = init.indexOf(QLatin1Char('='), i);
        if (eq < 0) break;
        const QString name = init.mid(i, eq - i).trimmed();
        qsizetype p = eq + 1;
        while (p < init.size() && init[p] == QLatin1Char(' '))
            ++p;
        QString value;
        if (p < init.size() && (init[p] == QLatin1Char('"') || init[p] == QLatin1Char('\''))) {
            const QChar q = init[p];
            const qsizetype close = init.indexOf(q, p + 1);
            const qsizetype end = close < 0 ? init.size() : close;
            value = init.mid(p + 1, end - p - 1);
            const qsizetype semi = init.indexOf(QLatin1Char(';'), end);
            i = semi < 0 ? init.size() : semi + 1;
        } else {
            const qsizetype semi = init.indexOf(QLatin1Char(';'), p);
            const qsizetype end = semi < 0 ? init.size() : semi;
            value = init.mid(p, end - p).trimmed();
            i = end + 1;
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) return value;
    }
    return {};
}

} // namespace

Database::~Database() {
    close();
}

QString Database::dataSourceOf(const QString& udlPath, const QString& homeDir, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return QString();
    };
    const QFileInfo fi(udlPath);
    if (!fi.exists()) return fail(QStringLiteral("data-link file %1 does not exist").arg(udlPath));
    if (!fi.isFile()) return fail(QStringLiteral("data-link file %1 is not a file").arg(udlPath));
    QFile f(udlPath);
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read data-link file %1: %2").arg(udlPath, f.errorString()));
    const QByteArray raw = f.read(64 * 1024);
    if (f.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read data-link file %1: %2").arg(udlPath, f.errorString()));

    const QString text = decodeDataLink(raw);
    QString source;
    bool found = false;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('[')))
            continue;
        source = propertyOf(line, QStringLiteral("Data Source"));
        found = true;
        break;
    }
    if (!found || source.isEmpty())
        return fail(QStringLiteral("data-link file %1 names no Data Source").arg(udlPath));

    source.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(source)) return QDir::cleanPath(source);
    return QDir::cleanPath(QDir(homeDir.isEmpty() ? QDir::currentPath() : homeDir).absoluteFilePath(source));
}

bool Database::writeDataLink(const QString& udlPath) {
    const QString text = QStringLiteral("[oledb]\r\n"
                                        "; Everything after this line is an OLE DB initstring\r\n"
                                        "Provider=SQLite;Data Source=mdb\\Oravik.mdb\r\n");
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    QFile f(udlPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(out) == out.size() && f.flush();
}

bool Database::installFunctions(const QSqlDatabase& db, QString* error) {
    sqlite3* h = handleOf(db);
    if (!h) {
        if (error) *error = QStringLiteral("the connection has no SQLite handle");
        return false;
    }
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(h, "CDate", 1, flags, nullptr, cdateFunction, nullptr, nullptr);
    for (int argc = 2; argc <= 4 && rc == SQLITE_OK; ++argc)
        rc = sqlite3_create_function(h, "InStr", argc, flags, nullptr, instrFunction, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (error) *error = QString::fromUtf8(sqlite3_errmsg(h));
        return false;
    }
    return true;
}

bool Database::openFile(const QString& dbPath) {
    close();
    error_.clear();
    const QFileInfo fi(dbPath);
    if (!fi.exists()) {
        error_ = QStringLiteral("database file %1 does not exist").arg(dbPath);
        return false;
    }
    if (!fi.isFile() || !fi.isReadable()) {
        error_ = QStringLiteral("database file %1 cannot be read").arg(dbPath);
        return false;
    }
    const QString path = fi.absoluteFilePath();

    const QString name = nextConnectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // mode=rw: SQLite itself refuses to create the file should it vanish meanwhile.
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        db.setConnectOptions(QString::fromLatin1(kConnectOptions));
        const auto fail = [&](const QString& why) {
            error_ = why;
            db.close();
        };
        if (!db.isValid())
            fail(QStringLiteral("the SQLite driver is not available"));
        else if (!db.open())
            fail(QStringLiteral("cannot open %1: %2").arg(path, db.lastError().text()));
        else if (QString why; !installFunctions(db, &why))
            fail(why);
        else if (sqlite3_db_readonly(handleOf(db), "main") == 1)
            fail(QStringLiteral("database file %1 is read-only").arg(path));
        else {
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")) || !probe.next()) {
                fail(QStringLiteral("%1 is not a database: %2").arg(path, probe.lastError().text()));
            } else {
                probe.finish();
                setPragmas(db);
                if (QString why; !execAll(db, schema::createStatements(), &why))
                    fail(QStringLiteral("cannot create the tables: %1").arg(why));
                else
                    ok = true;
            }
        }
    }
    if (!ok) {
        QSqlDatabase::removeDatabase(name);
        return false;
    }
    name_ = name;
    path_ = path;
    return true;
}

bool Database::open(const QString& udlPath, const QString& homeDir) {
    close();
    error_.clear();
    const QString source = dataSourceOf(udlPath, homeDir, &error_);
    if (source.isEmpty()) return false;
    return openFile(source);
}

void Database::close() {
    if (name_.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(name_);
    name_.clear();
    path_.clear();
}

bool Database::isOpen() const {
    return !name_.isEmpty() && connection().isOpen();
}

QSqlDatabase Database::connection() const {
    return name_.isEmpty() ? QSqlDatabase() : QSqlDatabase::database(name_, false);
}

bool Database::exec(const QString& statement) {
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        error_ = QStringLiteral("the database is not open");
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec(statement)) {
        error_ = q.lastError().text();
        return false;
    }
    error_.clear();
    return true;
}

bool Database::createFile(const QString& dbPath, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo fi(dbPath);
    if (fi.exists()) return fail(QStringLiteral("%1 already exists").arg(dbPath));
    if (!QDir().mkpath(fi.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(fi.absolutePath()));

    const QString name = nextConnectionName();
    bool ok = false;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fi.absoluteFilePath());
        if (!db.open()) {
            why = db.lastError().text();
        } else {
            setPragmas(db);
            ok = execAll(db, schema::createStatements(), &why);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) {
        QFile::remove(fi.absoluteFilePath());
        return fail(QStringLiteral("cannot create %1: %2").arg(dbPath, why));
    }
    return true;
}

bool Database::checkpoint() {
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        error_ = QStringLiteral("the database is not open");
        return false;
    }
    QSqlQuery q(db);
    // The first column is 1 when a reader or writer kept the checkpoint from finishing.
    if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) || !q.next() || q.value(0).toInt() != 0) {
        error_ =
            q.lastError().isValid() ? q.lastError().text() : QStringLiteral("the checkpoint was blocked");
        return false;
    }
    error_.clear();
    return true;
}
