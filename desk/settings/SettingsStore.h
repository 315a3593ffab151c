#pragma once
// The settings file as the desk writes it. A write that fails (a read-only file, a full disk) is told to
// the user once per run; the desk then goes on with the value in its controls, unsaved.

#include "common/IniFile.h"
#include "desk/settings/SettingsKeys.h"

#include <functional>

class Prompter;

namespace settings {

class SettingsStore {
public:
    using Reporter = std::function<void(const QString& message)>;

    SettingsStore(QString iniPath, Reporter report);
    // Reports through a message box titled "提示" with a warning icon.
    SettingsStore(QString iniPath, Prompter& prompter);

    const IniFile& ini() const { return ini_; }
    bool exists() const { return ini_.exists(); }

    QString read(const Key& key) const;
    bool readFlag(const Key& key) const;
    int readInteger(const Key& key) const;
    QTime readTime(const TimeSetting& setting) const;

    bool write(const Key& key, const QString& value);
    bool write(const QString& section, const QString& key, const QString& value);
    bool writeFlag(const Key& key, bool on);
    bool writeInteger(const Key& key, int value);
    bool writeTime(const Key& key, const QTime& time); // "hh:mm:ss"

    // Whether a write has failed in this run (and been reported).
    bool writeFailed() const { return reported_; }

    // The text the user is shown for a failed write.
    static QString failureMessage(const QString& detail);

private:
    IniFile ini_;
    Reporter report_;
    bool reported_ = false;
};

} // namespace settings
