#pragma once
// Lays out a new home for the desk: the settings file with every default, the data-link file, the
// database with its schema and the desk's folders. What is already there is left as it is.

#include <QString>
#include <QStringList>

namespace home {

struct InitReport {
    bool ok = true;
    QStringList created; // paths made by this run, in the order they were made
    QString error;       // what failed, when ok is false
};

InitReport initHome(const QString& dir);

} // namespace home
