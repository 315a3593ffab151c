#include "common/AppHome.h"
#include "common/IniFile.h"
#include "common/Prompter.h"
#include "desk/settings/SettingsKeys.h"
#include "desk/settings/SettingsRules.h"
#include "desk/settings/SettingsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace settings;

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Oravik.ini"));

    void put(const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(SettingsTest, NewFileHoldsEveryDefault) {
    const QString text = defaultIniText();
    put(text.toUtf8());
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));

    const IniFile ini(path);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"SysSet", "MachType", "RS485"},
        {"SysSet", "ATime", "08:35:00"},
        {"SysSet", "DTime", "17:00:00"},
        {"SysSet", "ADTime", "12:00:00"},
        {"SysSet", "AMTime", "10:15:00"},
        {"SysSet", "DMTime", "18:00:00"},
        {"SysSet", "ASTime", "22:00:00"},
        {"SysSet", "ASATime", "10:00:00"},
        {"SysSet", "SysTime", "00:00:00"},
        {"SysSet", "CoApellation", "Hemlo软件有限责任公司"},
        {"SysSet", "AbMail", "N"},
        {"SysSet", "MailInit", "N"},
        {"SysSet", "AbSms", "N"},
        {"SysSet", "CallName", "Y"},
        {"SysSet", "AutoBrush", "N"},
        {"SysSet", "Provider", ""},
        {"Comm", "PORT", "1"},
        {"Comm", "BANDRATE", "9600"},
        {"EMailSet", "Password", "3141502729"},
        {"EMailSet", "AttMent", ""},
        {"EMailSet", "OutTime", "3000"},
        {"EMailSet", "SendWeeks", "23456"},
        {"EMailSet", "AbSdLate", "Y"},
        {"EMailSet", "AbSdEarly", "Y"},
        {"EMailSet", "AbSdAbsence", "Y"},
        {"EMailSet", "AbSdAttend", "N"},
        {"VideoSet", "SaveType", "3"},
        {"VideoSet", "ViewNo", "0"},
        {"VideoSet", "ChannelNo", "0"},
        {"VideoSet", "PictureType", "1"},
        {"VideoSet", "PicQuality", "30"},
        {"VideoSet", "TimerNum", "3"},
        {"VideoSet", "VideoEnb", "N"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, QStringLiteral("<missing>")), QString::fromUtf8(c.value))
            << c.section << "/" << c.key;

    // Every key, read through its own default, gives what a missing file gives.
    const IniFile none(dir.filePath(QStringLiteral("none.ini")));
    for (const Key* k : fileKeys()) {
        EXPECT_TRUE(ini.readSection(k->sectionName()).contains(k->keyName())) << k->name;
        if (!findTimeSetting(k->keyName())) {
            EXPECT_EQ(read(ini, *k), read(none, *k)) << k->name;
        }
        EXPECT_EQ(readFlag(ini, *k), readFlag(none, *k)) << k->name;
    }
    for (const TimeSetting& t : timeSettings())
        EXPECT_EQ(readTime(ini, t), readTime(none, t)) << t.key->name;
    for (const char* s : {"SysSet", "Comm", "Ports", "EMailSet", "VideoSet", "About_Info"})
        EXPECT_TRUE(ini.sectionExists(s)) << s;
    EXPECT_FALSE(ini.readSection(QStringLiteral("SysSet")).contains(QStringLiteral("BackPath")));
    EXPECT_EQ(backPathDefault(AppHome(QStringLiteral("/srv/h"))), QStringLiteral("/srv/h/Backup/Oravik.mdb"));
}

TEST_F(SettingsTest, TimeSettingsKeepTheBuiltInValueWhenNoTime) {
    const auto& table = timeSettings();
    QStringList order;
    for (const TimeSetting& t : table)
        order << t.key->keyName();
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("ATime DTime ADTime AMTime DMTime ASTime ASATime SysTime"));
    EXPECT_EQ(QString::fromUtf8(table[0].caption), QStringLiteral("上班时间："));
    EXPECT_EQ(findTimeSetting(QStringLiteral("asatime")), &table[6]);
    EXPECT_EQ(findTimeSetting(QStringLiteral("MachType")), nullptr);

    const TimeSetting& aTime = *findTimeSetting(QStringLiteral("ATime"));
    struct Case {
        const char* text;
        QTime expected;
    };
    const Case cases[] = {
        {"8:5", QTime(8, 5)},      {"08:35:00", QTime(8, 35)}, {"9:00", QTime(9, 0)},
        {"garbage", QTime(8, 35)}, {"25:00", QTime(8, 35)},    {"", QTime(8, 35)},
    };
    for (const auto& c : cases) {
        put(QByteArray("[SysSet]\r\nATime=") + c.text + "\r\n");
        EXPECT_EQ(readTime(IniFile(path), aTime), c.expected) << c.text;
    }
    QFile::remove(path);
    EXPECT_EQ(readTime(IniFile(path), *findTimeSetting(QStringLiteral("SysTime"))), QTime(0, 0));

    SettingsStore store(path, [](const QString&) {});
    ASSERT_TRUE(store.writeTime(SysSet::ATime, QTime(8, 5)));
    EXPECT_EQ(bytes(), QByteArray("[SysSet]\r\nATime=08:05:00\r\n"));
    EXPECT_EQ(store.readTime(aTime), QTime(8, 5));
}

TEST_F(SettingsTest, FlagsCompareAsEachKeyDoes) {
    struct Case {
        const Key& key;
        const char* value; // nullptr: key missing
        bool expected;
    };
    const Case cases[] = {
        {SysSet::AutoBrush, "y", false},
        {SysSet::AutoBrush, "Y", true},
        {SysSet::AbMail, "y", true},
        {SysSet::MailInit, "y", true},
        {SysSet::AbSms, "n", false},
        {SysSet::CallName, "y", true},
        {SysSet::CallName, nullptr, true},
        {SysSet::CallName, "yes", false},
        {EMailSet::AbSdLate, "y", false},
        {EMailSet::AbSdLate, nullptr, true},
        {EMailSet::AbSdAttend, nullptr, false},
        {VideoSet::VideoEnb, "y", false},
        {VideoSet::VideoEnb, "Y", true},
    };
    for (const auto& c : cases) {
        put(c.value ? QByteArray("[") + c.key.section + "]\n" + c.key.name + "=" + c.value + "\n"
                    : QByteArray());
        EXPECT_EQ(readFlag(IniFile(path), c.key), c.expected)
            << c.key.name << "=" << (c.value ? c.value : "-");
    }

    struct Kind {
        const char* machType;
        const char* kind;
    };
    for (const Kind& k : {Kind{"rs232", "RS232"}, Kind{"Rs232b", "RS232B"}, Kind{"NV620", "NV620"}}) {
        put(QByteArray("[SysSet]\nMachType=") + k.machType + "\n");
        EXPECT_EQ(readReaderKind(IniFile(path)), QString::fromLatin1(k.kind)) << k.machType;
    }
    QFile::remove(path);
    EXPECT_EQ(readReaderKind(IniFile(path)), QStringLiteral("RS485"));
}

TEST(SettingsRules, WeekdayBoxes) {
    using Boxes = std::array<bool, 7>; // RB1 (Sunday) ... RB7 (Saturday)
    struct Case {
        const char* sendWeeks;
        Boxes boxes;
        const char* rewritten;
    };
    const Case cases[] = {
        {"17", {true, false, false, false, false, false, true}, "17"},
        {"23456", {false, true, true, true, true, true, false}, "23456"},
        {"7321", {true, true, true, false, false, false, true}, "1237"},
        {"", {}, ""},
        {"0 8 9x", {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(weekdayBoxes(QString::fromLatin1(c.sendWeeks)), c.boxes) << c.sendWeeks;
        EXPECT_EQ(sendWeeksText(c.boxes), QString::fromLatin1(c.rewritten)) << c.sendWeeks;
    }
}

TEST_F(SettingsTest, PortNamesResolveThroughThePortsSection) {
    put("[Ports]\r\ncom2 = /dev/ttyUSB0\r\nCOM4=\r\n");
    const IniFile ini(path);
    struct Case {
        const char* name;
        const char* device;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},       {"COM2", "/dev/ttyUSB0"}, {"com2", "/dev/ttyUSB0"},
        {"COM4", "/dev/ttyS3"},       {"COM6", "/dev/ttyS5"},   {"COM12", "/dev/ttyS11"},
        {"/dev/pts/7", "/dev/pts/7"}, {"COM0", "COM0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(portDevice(ini, QString::fromLatin1(c.name)), QString::fromLatin1(c.device)) << c.name;
    EXPECT_EQ(portDevice(IniFile(dir.filePath(QStringLiteral("none.ini"))), QStringLiteral("COM2")),
              QStringLiteral("/dev/ttyS1"));
}

TEST_F(SettingsTest, FailedWritesAreReportedOncePerRun) {
    put("[SysSet]\r\nAutoBrush=N\r\n");
    QStringList reports;
    SettingsStore store(path, [&reports](const QString& m) { reports << m; });
    EXPECT_TRUE(store.writeFlag(SysSet::AutoBrush, true));
    EXPECT_TRUE(reports.isEmpty());

    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_FALSE(store.writeFlag(SysSet::CallName, false));
    EXPECT_FALSE(store.writeTime(SysSet::ATime, QTime(9, 0)));
    EXPECT_FALSE(store.write(QStringLiteral("EMailSet"), QStringLiteral("SendWeeks"), QStringLiteral("17")));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(QStringLiteral("设置文件无法写入")));
    EXPECT_TRUE(reports[0].contains(path));
    EXPECT_TRUE(store.writeFailed());
    EXPECT_EQ(bytes(), QByteArray("[SysSet]\r\nAutoBrush=Y\r\n"));
    EXPECT_TRUE(store.readFlag(SysSet::AutoBrush));

    ScriptedPrompter prompter;
    SettingsStore boxed(path, prompter);
    boxed.writeFlag(SysSet::AbMail, true);
    boxed.writeFlag(SysSet::AbSms, true);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].title, QStringLiteral("提示"));
    EXPECT_EQ(prompter.entries[0].icon, Prompter::Icon::Warning);
}

} // namespace
