// The reader-sim program as the demo runs it: it names its device on the first line, sends cards in
// turn, and reports the acknowledgements the desk writes back.

#include "TestSupport.h"
#include "desk/reader/Frames.h"
#include "serial/SerialPort.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(ReaderSimProgram, SendsCardsAndReportsAcknowledgements) {
    QProcess sim;
    sim.start(QStringLiteral(READER_SIM_PATH),
              {"--kind", "RS485", "--address", "3", "--every", "0.2", "--cards", "0000012345,12346",
               "--count", "2", "--wait", "1"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString first = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(first.startsWith("reader-sim: /dev/")) << first.toStdString();
    const std::string device = first.mid(12).toStdString();

    serial::SerialPort port;
    ASSERT_TRUE(port.open(device));
    ASSERT_TRUE(port.configure(9600));
    reader::AssemblyBuffer buf;
    std::vector<std::uint32_t> cards;
    std::uint8_t bytes[256];
    ASSERT_TRUE(readertest::waitFor(
        [&] {
            long n = port.readAvailable(bytes, sizeof bytes);
            if (n > 0) reader::append(buf, bytes, static_cast<std::size_t>(n), true);
            if (auto f = reader::assemble(buf, reader::FrameLetters::CardOnly)) {
                EXPECT_EQ(f->address(), 3);
                cards.push_back(f->card());
                auto ack = reader::ackFrame(*f, false);
                port.write(ack.data(), ack.size());
            }
            return cards.size() == 2;
        },
        5000));
    EXPECT_EQ(cards, (std::vector<std::uint32_t>{12345, 12346}));

    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(sim.readAll());
    EXPECT_EQ(out.count("sent RS485 card "), 2) << out.toStdString();
    EXPECT_EQ(out.count("ack address 3 AK1: "), 2) << out.toStdString();
    EXPECT_FALSE(out.contains("bad checksum"));
}

TEST(ReaderSimProgram, HelpAndBadOptions) {
    QProcess help;
    help.start(QStringLiteral(READER_SIM_PATH), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* option : {"--kind", "--address", "--cards", "--every", "--count", "--fault", "--noise"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;

    QProcess bad;
    bad.start(QStringLiteral(READER_SIM_PATH), {"--kind", "RS999"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);
}

} // namespace
