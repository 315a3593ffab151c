#include "SettingsRules.h"

#include "common/AppHome.h"
#include "common/Formats.h"
#include "common/IniFile.h"

#include <QDir>
#include <QRegularExpression>

namespace settings {

bool isYes(const QString& value, Compare compare) {
    const QString y = QStringLiteral("Y");
    return compare == Compare::UpperCased ? value.toUpper() == y : value == y;
}

QString read(const IniFile& ini, const Key& key) {
    return ini.readString(key.sectionName(), key.keyName(), key.defaultValue());
}

int readInteger(const IniFile& ini, const Key& key) {
    return ini.readInteger(key.sectionName(), key.keyName(), key.defaultValue().toInt());
}

bool readFlag(const IniFile& ini, const Key& key) {
    return isYes(read(ini, key), key.compare);
}

QString readerKind(const QString& machType) {
    return machType.toUpper();
}

QString readReaderKind(const IniFile& ini) {
    return readerKind(read(ini, SysSet::MachType));
}

QTime timeFromText(const QString& text, const TimeSetting& setting) {
    return fmt::parseTime(text).value_or(setting.defaultTime());
}

QTime readTime(const IniFile& ini, const TimeSetting& setting) {
    return timeFromText(read(ini, *setting.key), setting);
}

std::array<bool, 7> weekdayBoxes(const QString& sendWeeks) {
    std::array<bool, 7> boxes{};
    for (int n = 1; n <= 7; ++n)
        boxes[n - 1] = sendWeeks.contains(QChar(u'0' + n));
    return boxes;
}

QString sendWeeksText(const std::array<bool, 7>& boxes) {
    QString out;
    for (int n = 1; n <= 7; ++n)
        if (boxes[n - 1]) out += QChar(u'0' + n);
    return out;
}

QString portDevice(const IniFile& ini, const QString& portName) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(portName.trimmed());
    if (!m.hasMatch()) return portName;
    const QString mapped = ini.readString(QString::fromLatin1(section::Ports), m.captured(0), QString());
    if (!mapped.isEmpty()) return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
}

QString backPathDefault(const AppHome& home) {
    return QDir(home.backupDir()).filePath(QStringLiteral("Oravik.mdb"));
}

} // namespace settings
