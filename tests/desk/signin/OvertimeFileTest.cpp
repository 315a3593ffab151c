#include "desk/signin/OvertimeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(OvertimeFile, AppendsCrLfLinesAndFindsWholeLinesOnly) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const OvertimeFile file(home.path());
    const QDate day(2006, 1, 9);
    EXPECT_EQ(OvertimeFile::fileName(day), QStringLiteral("AS060109.txt"));
    EXPECT_EQ(file.filePath(day), home.path() + QStringLiteral("/AddShift/AS060109.txt"));

    QString error;
    EXPECT_FALSE(file.FindLine(day, QStringLiteral("0001"), &error)); // no file yet
    EXPECT_TRUE(error.isEmpty());
    ASSERT_TRUE(file.AppendLine(day, QStringLiteral("0001"), &error)) << error.toStdString();
    ASSERT_TRUE(file.AppendLine(day, QStringLiteral("00ab"), &error));
    ASSERT_TRUE(file.AppendLine(day, QStringLiteral("0001"), &error));
    EXPECT_EQ(readAll(file.filePath(day)), QByteArray("0001\r\n00ab\r\n0001\r\n"));

    const struct {
        const char* text;
        bool found;
    } cases[] = {{"0001", true}, {"00ab", true},   {"00AB", false},
                 {"000", false}, {" 0001", false}, {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(file.FindLine(day, QString::fromUtf8(c.text), &error), c.found) << c.text;
    EXPECT_FALSE(file.FindLine(day.addDays(-1), QStringLiteral("0001"), &error));
    EXPECT_TRUE(error.isEmpty());
}

TEST(OvertimeFile, ReadsLinesWrittenByOthers) {
    QTemporaryDir home;
    const OvertimeFile file(home.path());
    const QDate day(2006, 1, 9);
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("AddShift")));
    QFile f(file.filePath(day));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0002\n0003"); // LF only, no end of the last line
    f.close();
    EXPECT_TRUE(file.FindLine(day, QStringLiteral("0002"), nullptr));
    EXPECT_TRUE(file.FindLine(day, QStringLiteral("0003"), nullptr));
}

TEST(OvertimeFile, ReportsFailures) {
    QTemporaryDir home;
    const OvertimeFile file(home.path());
    const QDate day(2006, 1, 9);
    QString error;

    // A file where the folder should be.
    QFile blocker(file.dirPath());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(file.AppendLine(day, QStringLiteral("0001"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("AddShift"))) << error.toStdString();
    ASSERT_TRUE(QFile::remove(file.dirPath()));

    // A folder where the day's file should be: it can be neither written nor read.
    ASSERT_TRUE(QDir().mkpath(file.filePath(day)));
    error.clear();
    EXPECT_FALSE(file.AppendLine(day, QStringLiteral("0001"), &error));
    EXPECT_TRUE(error.contains(OvertimeFile::fileName(day))) << error.toStdString();
    error.clear();
    EXPECT_FALSE(file.FindLine(day, QStringLiteral("0001"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
