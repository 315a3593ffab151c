#include "SettingsStore.h"

#include "common/Formats.h"
#include "common/Prompter.h"
#include "desk/settings/SettingsRules.h"

namespace settings {

SettingsStore::SettingsStore(QString iniPath, Reporter report)
    : ini_(std::move(iniPath)), report_(std::move(report)) {}

SettingsStore::SettingsStore(QString iniPath, Prompter& prompter)
    : SettingsStore(std::move(iniPath), [&prompter](const QString& message) {
          prompter.message(message, QStringLiteral("提示"), Prompter::Icon::Warning);
      }) {}

QString SettingsStore::read(const Key& key) const {
    return settings::read(ini_, key);
}
bool SettingsStore::readFlag(const Key& key) const {
    return settings::readFlag(ini_, key);
}
int SettingsStore::readInteger(const Key& key) const {
    return settings::readInteger(ini_, key);
}
QTime SettingsStore::readTime(const TimeSetting& setting) const {
    return settings::readTime(ini_, setting);
}

bool SettingsStore::write(const QString& section, const QString& key, const QString& value) {
    if (ini_.writeString(section, key, value)) return true;
    if (!reported_) {
        reported_ = true;
        if (report_) report_(failureMessage(ini_.lastError()));
    }
    return false;
}

bool SettingsStore::write(const Key& key, const QString& value) {
    return write(key.sectionName(), key.keyName(), value);
}

bool SettingsStore::writeFlag(const Key& key, bool on) {
    return write(key, flagText(on));
}

bool SettingsStore::writeInteger(const Key& key, int value) {
    return write(key, QString::number(value));
}

bool SettingsStore::writeTime(const Key& key, const QTime& time) {
    return write(key, fmt::time(time));
}

QString SettingsStore::failureMessage(const QString& detail) {
    return QStringLiteral("设置文件无法写入，更改的设置没有保存（本次运行不再提示）。\n%1").arg(detail);
}

} // namespace settings
