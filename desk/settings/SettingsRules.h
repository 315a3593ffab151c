#pragma once
// How the desk turns the texts of Oravik.ini into its settings: flags, the reader kind, times of day,
// the report weekdays and serial port names.

#include "desk/settings/SettingsKeys.h"

#include <QString>
#include <QTime>

#include <array>

class AppHome;
class IniFile;

namespace settings {

// A flag value as the key's own comparison reads it; a key that is no flag is compared exactly.
bool isYes(const QString& value, Compare compare);
inline QString flagText(bool on) {
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

QString read(const IniFile& ini, const Key& key); // the key's default when missing
int readInteger(const IniFile& ini, const Key& key);
bool readFlag(const IniFile& ini, const Key& key);

// The reader kind of a MachType value: upper-cased, kept even when no button has that caption.
QString readerKind(const QString& machType);
QString readReaderKind(const IniFile& ini);

// A time setting from the file; the picker's built-in value when the text is no time.
QTime timeFromText(const QString& text, const TimeSetting& setting);
QTime readTime(const IniFile& ini, const TimeSetting& setting);

// The weekday boxes RB1 (Sunday) ... RB7 (Saturday) for a SendWeeks string: box n is checked when the
// digit n occurs in it. Index 0 is RB1.
std::array<bool, 7> weekdayBoxes(const QString& sendWeeks);
// The SendWeeks string of the boxes, visited RB1 to RB7.
QString sendWeeksText(const std::array<bool, 7>& boxes);

// The device of a port name: COMn as mapped in [Ports], else /dev/ttyS<n-1>; any other name (a device
// path) is returned as it is.
QString portDevice(const IniFile& ini, const QString& portName);

// The backup target when BackPath is missing: Oravik.mdb in the home's Backup folder.
QString backPathDefault(const AppHome& home);

} // namespace settings
