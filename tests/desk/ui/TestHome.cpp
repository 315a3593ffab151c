#include "TestHome.h"

#include "common/IniFile.h"
#include "desk/app/HomeLayout.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <gtest/gtest.h>

TestHome::TestHome() : dir_(tmp_.path() + QStringLiteral("/home")) {
    const home::InitReport r = home::initHome(dir_);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
}

QString TestHome::iniPath() const {
    return home().iniPath();
}

void TestHome::set(const QString& section, const QString& key, const QString& value) {
    IniFile ini(iniPath());
    ASSERT_TRUE(ini.writeString(section, key, value)) << ini.lastError().toStdString();
}

QString TestHome::get(const QString& section, const QString& key) const {
    return IniFile(iniPath()).readString(section, key, QStringLiteral("<none>"));
}

QByteArray TestHome::iniBytes() const {
    QFile f(iniPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void TestHome::sql(const QStringList& statements) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(home().databasePath());
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& s : statements) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QTest::qWait(10);
    }
    return true;
}
