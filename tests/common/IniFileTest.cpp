#include "common/IniFile.h"
#include "common/GbText.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
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

TEST_F(IniFileTest, ReadsLikeThePlatform) {
    put("Stray=1\r\n"
        "; comment=not a key\r\n"
        "[SysSet]\r\n"
        "MachType = rs232 \r\n"
        "this line is neither\r\n"
        "ATime=08:35\r\n"
        "Empty=\r\n"
        "ATime=09:00\r\n"
        "\r\n"
        "[ EMailSet ]\r\n"
        "atime=07:00\r\n"
        "[sysset]\r\n"
        "Late=second section of the same name\r\n");
    IniFile ini(path);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"SysSet", "MachType", "rs232"}, // trimmed
        {"SYSSET", "machtype", "rs232"}, // names without case
        {"SysSet", "ATime", "08:35"},    // the first of two
        {"EMailSet", "ATime", "07:00"},  // same key, other section
        {"SysSet", "Empty", ""},         // present but empty is not the default
        {"SysSet", "this line is neither", "<def>"},
        {"SysSet", "Stray", "<def>"}, // before any section
        {"SysSet", "; comment", "<def>"},
        {"SysSet", "Late", "<def>"}, // only the first section of a name counts
        {"Comm", "PORT", "<def>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, QStringLiteral("<def>")), QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    EXPECT_TRUE(ini.sectionExists(QStringLiteral("emailset")));
    EXPECT_FALSE(ini.sectionExists(QStringLiteral("Comm")));
    EXPECT_EQ(ini.readSection(QStringLiteral("sysset")),
              (QStringList{QStringLiteral("MachType"), QStringLiteral("ATime"), QStringLiteral("Empty"),
                           QStringLiteral("ATime")}));
}

TEST_F(IniFileTest, ReadsIntegers) {
    put("[Comm]\nPORT= 2 \nBANDRATE=fast\nHex=0x10\nNone=\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Comm"), QStringLiteral("PORT"), 1), 2);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Comm"), QStringLiteral("BANDRATE"), 9600), 9600);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Comm"), QStringLiteral("Hex"), 0), 16);
    EXPECT_EQ(ini.readInteger(QStringLiteral("Comm"), QStringLiteral("None"), 7), 7);
}

TEST_F(IniFileTest, WriteChangesOnlyItsLineAndKeepsLineEnds) {
    struct Case {
        const char* name;
        QByteArray before;
        const char* section;
        const char* key;
        const char* value;
        QByteArray after;
    };
    const Case cases[] = {
        {"existing key, other case", "; top\r\n[SysSet]\r\nATime = 08:35\r\nx y z\r\n", "sysset", "ATIME",
         "09:00:00", "; top\r\n[SysSet]\r\nATime=09:00:00\r\nx y z\r\n"},
        {"new key goes after the section's last line, before the blank", "[A]\nk=1\n\n[B]\nk=2\n", "A", "n",
         "v", "[A]\nk=1\nn=v\n\n[B]\nk=2\n"},
        {"same key in the next section is its own", "[A]\nk=1\n[B]\nk=2\n", "B", "K", "3",
         "[A]\nk=1\n[B]\nk=3\n"},
        {"new section at the end of a file without final line end", "[A]\r\nk=1", "B", "k", "2",
         "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n"},
        {"a line break in a value stays inside the line", "[A]\n", "A", "k", "a\r\n[B]\nx=1",
         "[A]\nk=a [B] x=1\n"},
    };
    for (const auto& c : cases) {
        put(c.before);
        IniFile ini(path);
        EXPECT_TRUE(ini.writeString(c.section, c.key, QString::fromUtf8(c.value))) << c.name;
        EXPECT_EQ(bytes(), c.after) << c.name;
    }
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsCreatedOnWrite) {
    IniFile ini(path);
    EXPECT_FALSE(ini.exists());
    EXPECT_EQ(ini.readString(QStringLiteral("SysSet"), QStringLiteral("ATime"), QStringLiteral("08:35")),
              QStringLiteral("08:35"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("Comm"), QStringLiteral("PORT"), 1), 1);
    EXPECT_TRUE(ini.readSection(QStringLiteral("SysSet")).isEmpty());

    ASSERT_TRUE(
        ini.writeString(QStringLiteral("SysSet"), QStringLiteral("CoApellation"), QStringLiteral("华东")));
    EXPECT_TRUE(ini.exists());
    EXPECT_EQ(bytes(), QByteArray("[SysSet]\r\nCoApellation=") + QStringLiteral("华东").toUtf8() + "\r\n");
}

TEST_F(IniFileTest, Cp936FileIsWrittenBackAsCp936) {
    const QString before = QStringLiteral("; 设置\r\n[SysSet]\r\nCoApellation=华东软件公司\r\n");
    put(gb::encode(before));
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("SysSet"), QStringLiteral("CoApellation"), {}),
              QStringLiteral("华东软件公司"));

    ASSERT_TRUE(ini.writeString(QStringLiteral("SysSet"), QStringLiteral("BackPath"),
                                QStringLiteral("备份/Oravik.mdb")));
    const QString after = before + QStringLiteral("BackPath=备份/Oravik.mdb\r\n");
    EXPECT_EQ(bytes(), gb::encode(after));

    // A UTF-8 file stays UTF-8.
    put(QStringLiteral("[SysSet]\nCoApellation=华东\n").toUtf8());
    ASSERT_TRUE(ini.writeString(QStringLiteral("SysSet"), QStringLiteral("CallName"), QStringLiteral("是")));
    EXPECT_EQ(bytes(), QStringLiteral("[SysSet]\nCoApellation=华东\nCallName=是\n").toUtf8());
}

TEST_F(IniFileTest, Cp936FileTakesUtf8RatherThanLoseACharacter) {
    put(gb::encode(QStringLiteral("[SysSet]\r\nCoApellation=华东\r\n")));
    IniFile ini(path);
    const QString path2 = QStringLiteral("/tmp/\u00e6\u00f8\u00e5/\U0001F600");
    ASSERT_TRUE(ini.writeString(QStringLiteral("SysSet"), QStringLiteral("BackPath"), path2));
    EXPECT_EQ(ini.readString(QStringLiteral("SysSet"), QStringLiteral("BackPath"), {}), path2);
    EXPECT_EQ(ini.readString(QStringLiteral("SysSet"), QStringLiteral("CoApellation"), {}),
              QStringLiteral("华东"));
}

TEST_F(IniFileTest, ReadOnlyFileIsNotWritten) {
    put("[SysSet]\r\nATime=08:35\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    IniFile ini(path);
    EXPECT_FALSE(
        ini.writeString(QStringLiteral("SysSet"), QStringLiteral("ATime"), QStringLiteral("09:00:00")));
    EXPECT_FALSE(ini.lastError().isEmpty());
    EXPECT_EQ(bytes(), QByteArray("[SysSet]\r\nATime=08:35\r\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("SysSet"), QStringLiteral("ATime"), {}), QStringLiteral("08:35"));

    IniFile nowhere(dir.filePath(QStringLiteral("no/such/dir/Oravik.ini")));
    EXPECT_FALSE(nowhere.writeString(QStringLiteral("SysSet"), QStringLiteral("ATime"), QStringLiteral("x")));
    EXPECT_FALSE(nowhere.lastError().isEmpty());

    // A later good write clears the error.
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_TRUE(
        ini.writeString(QStringLiteral("SysSet"), QStringLiteral("ATime"), QStringLiteral("09:00:00")));
    EXPECT_TRUE(ini.lastError().isEmpty());
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther),
              QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace
