#include "DbTestSupport.h"

#include <QCoreApplication>
#include <QSqlError>

namespace {
// The SQL driver plugins load only with an application object.
int argc = 1;
char arg0[] = "desk_db_tests";
char* argv[] = {arg0, nullptr};
QCoreApplication app(argc, argv);
} // namespace

void TempHome::SetUp() {
    ASSERT_TRUE(dir.isValid());
}

void TempHome::openFresh() {
    QString err;
    ASSERT_TRUE(Database::createFile(path(QStringLiteral("mdb/Oravik.mdb")), &err)) << err.toStdString();
    ASSERT_TRUE(db.openFile(path(QStringLiteral("mdb/Oravik.mdb")))) << db.error().toStdString();
}

QVariant TempHome::scalar(const QString& statement) {
    QSqlQuery q(db.connection());
    EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString() << " in " << statement.toStdString();
    if (!q.next()) return QVariant(QStringLiteral("<no row>"));
    return q.value(0);
}

void TempHome::exec(const QString& statement) {
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(statement)) << q.lastError().text().toStdString() << " in " << statement.toStdString();
}
