#pragma once
// A temporary home with a fresh database for the database tests.

#include "db/Database.h"

#include <QDir>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

class TempHome : public ::testing::Test {
protected:
    void SetUp() override;
    QString path(const QString& name) const { return dir.filePath(name); }
    // A database with the schema at mdb/Oravik.mdb, opened as db.
    void openFresh();
    // One value of a query on db.
    QVariant scalar(const QString& statement);
    void exec(const QString& statement);

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/oravik db XXXXXX")};
    Database db;
};
