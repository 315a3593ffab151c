#pragma once
// Every key of Oravik.ini that the desk and its windows read or write, with its section and the value
// that holds when the key is missing. Handlers name keys only through these constants.

#include <QString>
#include <QTime>

#include <vector>

namespace settings {

// How a yes/no key is tested against "Y".
enum class Compare {
    Text,       // not a flag
    Exact,      // only "Y"
    UpperCased, // "Y" or "y"
};

struct Key {
    const char* section; // ASCII
    const char* name;    // ASCII
    const char* def;     // UTF-8
    Compare compare = Compare::Text;

    QString sectionName() const { return QString::fromLatin1(section); }
    QString keyName() const { return QString::fromLatin1(name); }
    QString defaultValue() const { return QString::fromUtf8(def); }
};

namespace section {
inline constexpr char SysSet[] = "SysSet";
inline constexpr char Comm[] = "Comm";
inline constexpr char Ports[] = "Ports";
inline constexpr char EMailSet[] = "EMailSet";
inline constexpr char VideoSet[] = "VideoSet";
inline constexpr char About_Info[] = "About_Info";
} // namespace section

namespace SysSet {
inline constexpr Key MachType{section::SysSet, "MachType", "RS485"};
inline constexpr Key ATime{section::SysSet, "ATime", "08:35"};
inline constexpr Key DTime{section::SysSet, "DTime", "17:00"};
inline constexpr Key ADTime{section::SysSet, "ADTime", "12:00"};
inline constexpr Key AMTime{section::SysSet, "AMTime", "10:15"};
inline constexpr Key DMTime{section::SysSet, "DMTime", "18:00"};
inline constexpr Key ASTime{section::SysSet, "ASTime", "22:00"};
inline constexpr Key ASATime{section::SysSet, "ASATime", "10:00"};
inline constexpr Key SysTime{section::SysSet, "SysTime", "00:00"};
inline constexpr Key CoApellation{section::SysSet, "CoApellation", "Hemlo软件有限责任公司"};
inline constexpr Key AbMail{section::SysSet, "AbMail", "N", Compare::UpperCased};
inline constexpr Key MailInit{section::SysSet, "MailInit", "N", Compare::UpperCased};
inline constexpr Key AbSms{section::SysSet, "AbSms", "N", Compare::UpperCased};
inline constexpr Key CallName{section::SysSet, "CallName", "Y", Compare::UpperCased};
inline constexpr Key AutoBrush{section::SysSet, "AutoBrush", "N", Compare::Exact};
inline constexpr Key Provider{section::SysSet, "Provider", ""};
// Its default is a full path inside the home folder: backPathDefault().
inline constexpr Key BackPath{section::SysSet, "BackPath", ""};
} // namespace SysSet

namespace Comm {
inline constexpr Key PORT{section::Comm, "PORT", "1"};
inline constexpr Key BANDRATE{section::Comm, "BANDRATE", "9600"};
} // namespace Comm

namespace EMailSet {
inline constexpr Key EMail{section::EMailSet, "EMail", "oravik@hemlo.example"};
inline constexpr Key Smtp{section::EMailSet, "Smtp", "smtp.hemlo.example"};
inline constexpr Key UserName{section::EMailSet, "UserName", "oravik"};
inline constexpr Key Password{section::EMailSet, "Password", "3141502729"};
inline constexpr Key AttMent{section::EMailSet, "AttMent", ""};
inline constexpr Key OutTime{section::EMailSet, "OutTime", "3000"};
inline constexpr Key SendWeeks{section::EMailSet, "SendWeeks", "23456"};
inline constexpr Key AbSdLate{section::EMailSet, "AbSdLate", "Y", Compare::Exact};
inline constexpr Key AbSdEarly{section::EMailSet, "AbSdEarly", "Y", Compare::Exact};
inline constexpr Key AbSdAbsence{section::EMailSet, "AbSdAbsence", "Y", Compare::Exact};
inline constexpr Key AbSdAttend{section::EMailSet, "AbSdAttend", "N", Compare::Exact};
} // namespace EMailSet

namespace VideoSet {
inline constexpr Key SaveType{section::VideoSet, "SaveType", "3"};
inline constexpr Key ViewNo{section::VideoSet, "ViewNo", "0"};
inline constexpr Key ChannelNo{section::VideoSet, "ChannelNo", "0"};
inline constexpr Key PictureType{section::VideoSet, "PictureType", "1"};
inline constexpr Key PicQuality{section::VideoSet, "PicQuality", "30"};
// 0 leaves the board's own luminance in force.
inline constexpr Key Luminance{section::VideoSet, "Luminance", "0"};
inline constexpr Key TimerNum{section::VideoSet, "TimerNum", "3"};
inline constexpr Key VideoEnb{section::VideoSet, "VideoEnb", "N", Compare::Exact};
} // namespace VideoSet

namespace About_Info {
inline constexpr Key Apellation{section::About_Info, "Apellation", "Hemlo软件有限责任公司"};
inline constexpr Key Telephone{section::About_Info, "Telephone", "010-00000000"};
inline constexpr Key WebSite{section::About_Info, "WebSite", "www.hemlo.example"};
inline constexpr Key Fax{section::About_Info, "Fax", "800-000-0000"}; // the service hotline
inline constexpr Key EMail{section::About_Info, "EMail", "support@hemlo.example"};
} // namespace About_Info

// The captions of the reader-kind buttons, which are also the values written to MachType.
inline constexpr const char* kReaderKinds[] = {"RS485", "RS232", "RS232B", "NV820"};

// One of the eight time-of-day settings; the key is also the name of its picker.
struct TimeSetting {
    const Key* key;
    const char* caption; // UTF-8, the label before the picker
    const char* trailer; // UTF-8, a label after the picker, or ""

    QTime defaultTime() const; // the picker's built-in value
};

// In the order the main window reads them at creation.
const std::vector<TimeSetting>& timeSettings();
// The time setting of a picker name (ATime ... SysTime, any letter case), or nullptr.
const TimeSetting* findTimeSetting(const QString& pickerName);

// Every key of a new settings file, section by section in file order. BackPath is not among them: its
// default follows the home folder, so a copied or moved home keeps backing up into its own Backup folder.
const std::vector<const Key*>& fileKeys();

// The text of a new Oravik.ini: every key of fileKeys() at its default, times as "hh:mm:ss", and an
// empty [Ports] section that explains how to map COMn to a device. CR LF line ends.
QString defaultIniText();

} // namespace settings
