#include "desk/sound/NameCaller.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// 0.1 s of 8 kHz mono 16-bit silence with a hand-written RIFF header.
QByteArray smallWave() {
    const int samples = 800;
    QByteArray w;
    auto u32 = [&w](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        w.append(b, 4);
    };
    auto u16 = [&w](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        w.append(b, 2);
    };
    w.append("RIFF");
    u32(36 + samples * 2);
    w.append("WAVEfmt ");
    u32(16);
    u16(1);     // PCM
    u16(1);     // mono
    u32(8000);  // sample rate
    u32(16000); // bytes per second
    u16(2);     // block align
    u16(16);    // bits per sample
    w.append("data");
    u32(samples * 2);
    w.append(QByteArray(samples * 2, '\0'));
    return w;
}

class NameCallerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "desk_sound_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("EmpSound")));
    }
    void writeRecording(const QString& name, const QByteArray& bytes) {
        QFile f(NameCaller::soundFile(home.path(), name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList callAndSettle(NameCaller& caller, const QString& name) {
        QStringList texts;
        caller.call(home.path(), name, [&texts](const QString& t) { texts << t; });
        QTest::qWait(300); // a late failure from the asynchronous load would arrive here
        return texts;
    }

    QTemporaryDir home;
};

TEST_F(NameCallerTest, SoundFileIsInEmpSound) {
    EXPECT_EQ(NameCaller::soundFile(QStringLiteral("/h"), QStringLiteral("王小东")),
              QStringLiteral("/h/EmpSound/王小东.wav"));
}

TEST_F(NameCallerTest, MissingRecordingSaysSoAndNothingElse) {
    NameCaller caller;
    EXPECT_EQ(callAndSettle(caller, QStringLiteral("王小东")), QStringList{NameCaller::kNoRecording});
    // A name that would lead out of EmpSound has no recording either, even when such a file exists.
    writeRecording(QStringLiteral("王小东"), smallWave());
    EXPECT_EQ(callAndSettle(caller, QStringLiteral("../EmpSound/王小东")),
              QStringList{NameCaller::kNoRecording});
}

TEST_F(NameCallerTest, ExistingRecordingIsCalledWithoutWaiting) {
    writeRecording(QStringLiteral("王小东"), smallWave());
    NameCaller caller;
    QStringList texts;
    QElapsedTimer t;
    t.start();
    const QString result =
        caller.call(home.path(), QStringLiteral(" 王小东 "), [&texts](const QString& s) { texts << s; });
    EXPECT_LT(t.elapsed(), 1000); // no waiting for the sound to finish
    ASSERT_GE(texts.size(), 2);
    EXPECT_EQ(texts[0], NameCaller::kCalling);
    EXPECT_EQ(texts[1], result);
    if (QMediaDevices::audioOutputs().isEmpty()) {
        // Without an audio output nothing can be heard: that is a failed call, not a success.
        EXPECT_EQ(result, NameCaller::kFailed);
    } else {
        EXPECT_TRUE(result == NameCaller::kCalled || result == NameCaller::kFailed) << result.toStdString();
    }
    QTest::qWait(300);
    for (int i = 2; i < texts.size(); ++i)
        EXPECT_EQ(texts[i], NameCaller::kFailed);
}

TEST_F(NameCallerTest, FileThatIsNoWaveFailsAtOnce) {
    writeRecording(QStringLiteral("李四"), QByteArray("not a recording at all"));
    NameCaller caller([] { return true; });
    EXPECT_EQ(callAndSettle(caller, QStringLiteral("李四")),
              (QStringList{NameCaller::kCalling, NameCaller::kFailed}));
}

// With an output assumed present, play is issued; a wave header over junk only fails once loaded.
TEST_F(NameCallerTest, LateLoadFailureCorrectsTheStatus) {
    writeRecording(QStringLiteral("王小东"), smallWave());
    writeRecording(QStringLiteral("李四"), smallWave().left(12) + QByteArray("junkjunkjunkjunk"));
    NameCaller caller([] { return true; });
    EXPECT_EQ(callAndSettle(caller, QStringLiteral("王小东")),
              (QStringList{NameCaller::kCalling, NameCaller::kCalled}));
    EXPECT_EQ(callAndSettle(caller, QStringLiteral("李四")),
              (QStringList{NameCaller::kCalling, NameCaller::kCalled, NameCaller::kFailed}));
}

TEST_F(NameCallerTest, NextCallStopsTheFirstAndSilencesItsLateReport) {
    writeRecording(QStringLiteral("李四"), smallWave().left(12) + QByteArray("junkjunkjunkjunk"));
    writeRecording(QStringLiteral("王小东"), smallWave());
    NameCaller caller([] { return true; });
    QStringList first;
    caller.call(home.path(), QStringLiteral("李四"), [&first](const QString& s) { first << s; });
    QStringList second;
    caller.call(home.path(), QStringLiteral("王小东"), [&second](const QString& s) { second << s; });
    QTest::qWait(300);
    EXPECT_EQ(first, (QStringList{NameCaller::kCalling, NameCaller::kCalled}));
    EXPECT_EQ(second, (QStringList{NameCaller::kCalling, NameCaller::kCalled}));
    caller.stop();
    EXPECT_FALSE(caller.playing());
}

} // namespace
