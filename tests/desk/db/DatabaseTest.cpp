#include "DbTestSupport.h"
#include "db/Schema.h"
#include "db/Sql.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringEncoder>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray utf16le(const QString& s) {
    return QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringEncoder::Utf16LE)(s);
}

QString dataLink(const QString& initString) {
    return QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n") +
           initString + QStringLiteral("\r\n");
}

} // namespace

using SchemaTest = TempHome;

TEST_F(SchemaTest, CreatesEveryTableColumnAndIndexAndRunsAgainWithoutChange) {
    openFresh();
    for (const schema::Table& t : schema::tables()) {
        const QSqlRecord rec = db.connection().record(t.name);
        ASSERT_EQ(rec.count(), int(t.columns.size())) << t.name.toStdString();
        for (const schema::Column& c : t.columns)
            EXPECT_GE(rec.indexOf(c.name), 0) << t.name.toStdString() << "." << c.name.toStdString();
        for (const QString& col : t.indexed)
            EXPECT_EQ(
                scalar(QStringLiteral(
                           "select count(*) from pragma_index_list('%1') l, pragma_index_info(l.name) i "
                           "where i.name='%2'")
                           .arg(t.name, col))
                    .toInt(),
                1)
                << t.name.toStdString() << "." << col.toStdString();
    }
    const int objects = scalar(QStringLiteral("select count(*) from sqlite_master")).toInt();
    exec(QStringLiteral("insert into MH_CardReg (Empl_Code, Empl_Name) values ('0001', 'x')"));

    db.close();
    ASSERT_TRUE(db.openFile(path(QStringLiteral("mdb/Oravik.mdb")))) << db.error().toStdString();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from sqlite_master")).toInt(), objects);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from MH_CardReg")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
}

TEST_F(SchemaTest, AnEmptyFileIsAnEmptyDatabaseAndGetsTheSchema) {
    QDir(dir.path()).mkpath(QStringLiteral("mdb"));
    writeFile(path(QStringLiteral("mdb/Oravik.mdb")), {});
    ASSERT_TRUE(db.openFile(path(QStringLiteral("mdb/Oravik.mdb")))) << db.error().toStdString();
    EXPECT_EQ(
        scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name like 'MH_%'"))
            .toInt(),
        int(schema::tables().size()));
}

TEST_F(SchemaTest, CreateFileRefusesAnExistingFile) {
    writeFile(path(QStringLiteral("Oravik.mdb")), "keep me");
    QString err;
    EXPECT_FALSE(Database::createFile(path(QStringLiteral("Oravik.mdb")), &err));
    EXPECT_FALSE(err.isEmpty());
    QFile f(path(QStringLiteral("Oravik.mdb")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

using DataLinkTest = TempHome;

TEST_F(DataLinkTest, ReadsTheDataSourceInEitherEncodingAndResolvesIt) {
    const QString abs = path(QStringLiteral("elsewhere/x.mdb"));
    struct Case {
        const char* what;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"UTF-16LE, backslash, relative",
         utf16le(dataLink(QStringLiteral("Provider=SQLite;Data Source=mdb\\Oravik.mdb"))),
         path(QStringLiteral("mdb/Oravik.mdb"))},
        {"UTF-8, slash, relative",
         dataLink(QStringLiteral("Provider=SQLite;Data Source=mdb/Oravik.mdb")).toUtf8(),
         path(QStringLiteral("mdb/Oravik.mdb"))},
        {"UTF-8 with BOM, dot segments",
         "\xEF\xBB\xBF" + dataLink(QStringLiteral("Data Source=.\\mdb\\..\\mdb\\Oravik.mdb")).toUtf8(),
         path(QStringLiteral("mdb/Oravik.mdb"))},
        {"absolute, quoted, more properties",
         utf16le(dataLink(
             QStringLiteral(
                 "Provider=SQLite;Persist Security Info=False;data source=\"%1\";Mode=Share Deny None")
                 .arg(abs))),
         abs},
        {"absolute with backslashes",
         dataLink(QString(abs)
                      .replace(QLatin1Char('/'), QLatin1Char('\\'))
                      .prepend(QStringLiteral("Data Source=")))
             .toUtf8(),
         abs},
        {"Chinese folder name", utf16le(dataLink(QStringLiteral("Data Source=数据\\考勤.mdb"))),
         path(QStringLiteral("数据/考勤.mdb"))},
    };
    for (const Case& c : cases) {
        writeFile(path(QStringLiteral("Oravikmdb.udl")), c.bytes);
        QString err;
        EXPECT_EQ(Database::dataSourceOf(path(QStringLiteral("Oravikmdb.udl")), dir.path(), &err), c.expected)
            << c.what;
    }
}

TEST_F(DataLinkTest, WrittenFileIsUtf16WithBomAndNamesTheHomeDatabase) {
    ASSERT_TRUE(Database::writeDataLink(path(QStringLiteral("Oravikmdb.udl"))));
    QFile f(path(QStringLiteral("Oravikmdb.udl")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    EXPECT_EQ(raw, utf16le(dataLink(QStringLiteral("Provider=SQLite;Data Source=mdb\\Oravik.mdb"))));
    EXPECT_EQ(Database::dataSourceOf(path(QStringLiteral("Oravikmdb.udl")), dir.path()),
              path(QStringLiteral("mdb/Oravik.mdb")));
}

TEST_F(DataLinkTest, OpenThroughTheDataLink) {
    ASSERT_TRUE(Database::createFile(path(QStringLiteral("mdb/Oravik.mdb"))));
    ASSERT_TRUE(Database::writeDataLink(path(QStringLiteral("Oravikmdb.udl"))));
    ASSERT_TRUE(db.open(path(QStringLiteral("Oravikmdb.udl")), dir.path())) << db.error().toStdString();
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(db.filePath(), path(QStringLiteral("mdb/Oravik.mdb")));
}

using OpenFailureTest = TempHome;

TEST_F(OpenFailureTest, EveryBadInputFailsCleanlyAndCreatesNothing) {
    const QString udl = path(QStringLiteral("Oravikmdb.udl"));
    const QString mdb = path(QStringLiteral("mdb/Oravik.mdb"));
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no data-link file", [] {}},
        {"data-link path is a folder", [&] { QDir().mkpath(udl); }},
        {"data-link without Data Source",
         [&] { writeFile(udl, utf16le(dataLink(QStringLiteral("Provider=SQLite")))); }},
        {"empty data-link file", [&] { writeFile(udl, {}); }},
        {"unreadable data-link file",
         [&] {
             Database::writeDataLink(udl);
             QFile::setPermissions(udl, QFileDevice::Permissions());
         }},
        {"database missing", [&] { Database::writeDataLink(udl); }},
        {"database path is a folder",
         [&] {
             Database::writeDataLink(udl);
             QDir().mkpath(mdb);
         }},
        {"not an SQLite file",
         [&] {
             Database::writeDataLink(udl);
             QDir().mkpath(path(QStringLiteral("mdb")));
             writeFile(mdb, QByteArray("Standard Jet DB\0\0\0 this is no SQLite file at all, just bytes", 60)
                                .repeated(50));
         }},
    };
    for (const Case& c : cases) {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        c.arrange();
        const bool existed = QFileInfo::exists(mdb);
        Database d;
        EXPECT_FALSE(d.open(udl, dir.path())) << c.what;
        EXPECT_FALSE(d.error().isEmpty()) << c.what;
        EXPECT_FALSE(d.isOpen()) << c.what;
        EXPECT_EQ(QFileInfo::exists(mdb), existed) << c.what;
        EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty()) << c.what;
    }
    EXPECT_FALSE(db.openFile(path(QStringLiteral("nowhere.mdb"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("nowhere.mdb"))));
}

using SqlDialectTest = TempHome;

TEST_F(SqlDialectTest, CDateAndInStrAnswerAsTheStatementsExpect) {
    openFresh();
    const int days = QDate(1899, 12, 30).daysTo(QDate(2006, 1, 9));
    struct Case {
        QString expr;
        QVariant expected; // null QVariant: SQL NULL
    } cases[] = {
        {"CDate('2006-01-09 08:05:00')", "2006-01-09 08:05:00"},
        {"CDate('2006-01-09')", "2006-01-09 00:00:00"},
        {"CDate('2006-1-9 8:5')", "2006-01-09 08:05:00"},
        {"CDate(' 2006/01/09 23:59:59 ')", "2006-01-09 23:59:59"},
        {"CDate('2006-02-30')", {}},
        {"CDate('2006-01-09 24:00:00')", {}},
        {"CDate('迟到')", {}},
        {"CDate('')", {}},
        {"CDate(NULL)", {}},
        {QStringLiteral("CDate(%1.5)").arg(days), "2006-01-09 12:00:00"},
        {"InStr(1,'迟到12分钟','迟到',1)", 1},
        {"InStr(1,'早退3分钟','迟到',1)", 0},
        {"InStr(1,'xx迟到','迟到',1)", 3},
        {"InStr(1,'abcABC','C',1)", 3},
        {"InStr(1,'abcABC','C',0)", 6},
        {"InStr(4,'abcabc','a',1)", 4},
        {"InStr(9,'abc','a',1)", 0},
        {"InStr(1,'abc','',1)", 1},
        {"InStr('abc','c')", 3},
        {"InStr(1,NULL,'a',1)", {}},
    };
    for (const Case& c : cases) {
        const QVariant v = scalar(QStringLiteral("select ") + c.expr);
        if (c.expected.isNull())
            EXPECT_TRUE(v.isNull()) << c.expr.toStdString() << " gave " << v.toString().toStdString();
        else
            EXPECT_EQ(v.toString(), c.expected.toString()) << c.expr.toStdString();
    }
}

TEST_F(SqlDialectTest, SwipeHistoryAndExceptionQueriesSelectTheDay) {
    openFresh();
    struct Swipe {
        const char* name;
        const char* at;
        const char* flag;
        const char* content;
    } swipes[] = {
        {"d", "2006-01-09 12:00:00", "Y", "迟到205分钟"},
        {"a", "2006-01-08 23:59:59", "", ""},
        {"b", "2006-01-09 00:00:00", "", ""},
        {"e", "2006-01-09 23:59:00", "Y", "早退1分钟"},
        {"f", "2006-01-09 23:59:30", "Y", "早退0分钟"},
        {"g", "2006-01-10 00:00:00", "Y", "迟到1分钟"},
        {"c", "2006-01-09 08:36:00", "Y", "迟到1分钟"},
    };
    for (const Swipe& s : swipes)
        exec(
            QStringLiteral("insert into MH_AttendResourceRecord (Empl_Name, Brush_Date, RE_Flag, RE_Content) "
                           "values (%1, %2, %3, %4)")
                .arg(sql::quote(QString::fromUtf8(s.name)), sql::quote(QString::fromUtf8(s.at)),
                     sql::quote(QString::fromUtf8(s.flag)), sql::quote(QString::fromUtf8(s.content))));
    const auto names = [&](const QString& statement) {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
        QString out;
        while (q.next())
            out += q.value(q.record().indexOf(QStringLiteral("Empl_Name"))).toString();
        return out;
    };
    const QString day =
        QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                       "00:00:00') and Brush_Date<=CDate('2006-01-09 23:59:00') order by Brush_Date");
    EXPECT_EQ(names(day), QStringLiteral("bcde"));
    const QString flagged =
        QStringLiteral("select * from MH_AttendResourceRecord where Brush_Date>=CDate('2006-01-09 "
                       "00:00:00') and Brush_Date<=CDate('2006-01-09 23:59:00') and RE_Flag='Y'");
    EXPECT_EQ(names(flagged + QStringLiteral(" order by Brush_Date")), QStringLiteral("cde"));
    EXPECT_EQ(names(flagged + QStringLiteral(" and InStr(1,RE_Content,'迟到',1)>0 order by Brush_Date")),
              QStringLiteral("cd"));
    EXPECT_EQ(names(flagged + QStringLiteral(" and InStr(1,RE_Content,'早退',1)>0 order by Brush_Date")),
              QStringLiteral("e"));
    // The bound the program builds itself.
    EXPECT_EQ(sql::cdate(QDateTime(QDate(2006, 1, 9), QTime(23, 59))),
              QStringLiteral("CDate('2006-01-09 23:59:00')"));
}

TEST_F(SqlDialectTest, TripAndDepartmentStatementsRunAsWritten) {
    openFresh();
    exec(QStringLiteral("insert into MH_Evection (Empl_Name, Start_Date, End_Date) values "
                        "('t', '2006-01-09 09:00:00', '2006-01-09 18:00:00')"));
    const auto trips = [&](const QString& d) {
        return scalar(QStringLiteral(
                          "select count(*) from MH_Evection where Start_Date<=CDate('%1 23:59:00') and "
                          "End_Date>=CDate('%1') order by Start_Date")
                          .arg(d))
            .toInt();
    };
    EXPECT_EQ(trips(QStringLiteral("2006-01-09")), 1);
    EXPECT_EQ(trips(QStringLiteral("2006-01-10")), 0);
    EXPECT_EQ(trips(QStringLiteral("2006-01-08")), 0);

    exec(QStringLiteral("insert into MH_AttendDept (Dept_Code, Dept_Name) values ('10', '总部')"));
    for (const char* row :
         {"('1', 'a', '1001', '研发')", "('2', 'b', '1001', '研发部')", "('3', 'c', '10', '总部')"})
        exec(QStringLiteral("insert into MH_CardReg (Empl_Code, Empl_Name, Dept_Code, Dept_Name) values ") +
             QString::fromUtf8(row));
    exec(QStringLiteral(
        "insert into MH_AttendDept (Dept_Code,Dept_Name,Fact_Number) select Dept_Code,Max(Dept_Name) "
        "Dept_Name,Count(*) EmplNo from MH_CardReg where Dept_Code not in (Select Dept_Code from "
        "MH_AttendDept) group by Dept_Code order by Dept_Code"));
    EXPECT_EQ(scalar(QStringLiteral(
                         "select Dept_Name || '/' || Fact_Number from MH_AttendDept where Dept_Code='1001'"))
                  .toString(),
              QStringLiteral("研发部/2"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from MH_CardReg where Dept_Code like '10%'")).toInt(),
              3);
}

TEST_F(SqlDialectTest, QuotedNamesRoundTrip) {
    openFresh();
    for (const QString& name : {QStringLiteral("O'Neil"), QStringLiteral("''"),
                                QStringLiteral("x'); drop table "
                                               "MH_CardReg; --")}) {
        exec(QStringLiteral("insert into MH_CardReg (Empl_Code, Empl_Name) values ('1', %1)")
                 .arg(sql::quote(name)));
        EXPECT_EQ(
            scalar(QStringLiteral("select count(*) from MH_CardReg where Empl_Name=%1").arg(sql::quote(name)))
                .toInt(),
            1);
        EXPECT_EQ(
            scalar(
                QStringLiteral("select Empl_Name from MH_CardReg where Empl_Name=%1").arg(sql::quote(name)))
                .toString(),
            name);
    }
    EXPECT_EQ(sql::quote(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
    EXPECT_EQ(sql::quote(QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b")),
              QStringLiteral("'ab'"));
}

TEST_F(SchemaTest, AfterACheckpointACopyOfTheFileAloneHoldsEveryRow) {
    openFresh();
    exec(QStringLiteral("insert into MH_CardReg (Empl_Code, Empl_Name) values ('0001', 'x')"));
    ASSERT_TRUE(db.checkpoint()) << db.error().toStdString();
    const QString copy = path(QStringLiteral("copy.mdb"));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("mdb/Oravik.mdb")), copy));
    Database other;
    ASSERT_TRUE(other.openFile(copy)) << other.error().toStdString();
    QSqlQuery q(other.connection());
    ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from MH_CardReg")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
}
