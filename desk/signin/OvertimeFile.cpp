#include "desk/signin/OvertimeFile.h"

#include "common/GbText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

OvertimeFile::OvertimeFile(QString homeDir) : home_(std::move(homeDir)) {}

QString OvertimeFile::fileName(const QDate& day) {
    return QStringLiteral("AS") + day.toString(QStringLiteral("yyMMdd")) + QStringLiteral(".txt");
}

QString OvertimeFile::dirPath() const {
    return QDir(home_).filePath(QStringLiteral("AddShift"));
}

QString OvertimeFile::filePath(const QDate& day) const {
    return QDir(dirPath()).filePath(fileName(day));
}

bool OvertimeFile::AppendLine(const QDate& day, const QString& text, QString* error) const {
    const QString dir = dirPath();
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("无法创建加班记录目录 %1").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    QFile file(filePath(day));
    const QByteArray line = gb::encode(text) + "\r\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush()) {
        if (error)
            *error = QStringLiteral("无法写入加班记录文件 %1：%2")
                         .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("无法写入加班记录文件 %1：%2")
                         .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        return false;
    }
    return true;
}

bool OvertimeFile::FindLine(const QDate& day, const QString& text, QString* error) const {
    QFile file(filePath(day));
    if (!file.exists()) return false;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取加班记录文件 %1：%2")
                         .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        return false;
    }
    const QByteArray wanted = gb::encode(text);
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n')) line.chop(1);
        if (line.endsWith('\r')) line.chop(1);
        if (line == wanted) return true;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("无法读取加班记录文件 %1：%2")
                         .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
    }
    return false;
}
