#pragma once
// A desk home in a temporary folder, laid out by the same code as `oravik --init-home`, with helpers to
// change the settings file and fill the database.

#include "common/AppHome.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

class TestHome {
public:
    TestHome();

    const QString& dir() const { return dir_; }
    AppHome home() const { return AppHome(dir_); }
    QString iniPath() const;

    void set(const QString& section, const QString& key, const QString& value);
    // The key's value, or "<none>" when it is missing.
    QString get(const QString& section, const QString& key) const;
    QByteArray iniBytes() const;

    // Runs statements on the home's database (through its own connection); fails the test on an error.
    void sql(const QStringList& statements);

private:
    QTemporaryDir tmp_;
    QString dir_;
};

// Lets events run until the condition holds or the time is up; whether it came true.
bool waitFor(const std::function<bool()>& condition, int ms = 3000);
