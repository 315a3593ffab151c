#include "MainReader.h"
#include "BusyScope.h"

#include "TerminalLink.h"
#include "common/Prompter.h"

#include <QFile>

namespace reader {

namespace {

const QString kNv820 = QStringLiteral("NV820");
const QString kRs485 = QStringLiteral("RS485");
const QString kRs232B = QStringLiteral("RS232B");
constexpr int kTerminal = 1;

} // namespace

MainReader::MainReader(Prompter& prompter, TerminalLink* link, Hooks hooks)
    : prompter_(prompter), link_(link), hooks_(std::move(hooks)) {}

MainReader::~MainReader() {
    if (linkOpen_ && link_) {
        link_->scoutInfoOnOff(kTerminal, 2);
        link_->closePort();
    }
}

QString MainReader::kind() const {
    return hooks_.kind ? hooks_.kind() : QString();
}

bool MainReader::start(const QString& devicePath) {
    return kind() == kNv820 ? startTerminal(devicePath) : startSerial(devicePath);
}

bool MainReader::startSerial(const QString& path) {
    if (hasPort()) {
        prompter_.info(QStringLiteral("通信端口正在使用，不能打开!"));
        return false;
    }
    if (!port_.open(QFile::encodeName(path).toStdString())) {
        prompter_.message(QStringLiteral("打开通信端口错误!!"), QString(), Prompter::Icon::None);
        return false;
    }
    if (!port_.configure(9600)) {
        port_.close();
        prompter_.message(QStringLiteral("通信端口设置错误!!!"), QString(), Prompter::Icon::None);
        return false;
    }
    prompt_.begin();
    if (port_.bytesWaiting() > 0) port_.purgeInput();
    assembly_.clear();
    ackPending_ = false;
    setReading(true);
    return true;
}

bool MainReader::startTerminal(const QString& path) {
    const QString cannotOpen = QStringLiteral("串口打开失败！不能读取！");
    // Only 1 (opened) and 2 (already open) leave the library holding a port; a device that could not
    // be opened is told as such rather than as a terminal that does not answer.
    const int opened = link_ ? link_->openPort(QFile::encodeName(path).toStdString()) : -1;
    if (opened != 1 && opened != 2) {
        prompter_.info(cannotOpen);
        return false;
    }
    if (link_->comHandle() <= 0) {
        prompter_.info(cannotOpen);
        link_->closePort();
        return false;
    }
    int a = 0, b = 0, c = 0;
    if (link_->call(kTerminal, a, b, c) != 1) {
        link_->closePort();
        prompter_.info(QStringLiteral("找不到NV-820感应机！不能签到！"));
        return false;
    }
    link_->scoutInfoOnOff(kTerminal, 1);
    linkOpen_ = true;
    prompt_.begin();
    setReading(true);
    return true;
}

void MainReader::stop() {
    // Whatever the kind says now, the port that reading opened is the one to close: a kind changed
    // while reading must not leave the library's port open behind it.
    if (linkOpen_ && link_) {
        link_->scoutInfoOnOff(kTerminal, 2);
        link_->closePort();
    }
    linkOpen_ = false;
    prompt_.end();
    port_.close();
    ackPending_ = false;
    setReading(false);
}

void MainReader::tick() {
    if (!reading_ || busy_) return;
    BusyScope busy(busy_);
    if (hooks_.processEvents) hooks_.processEvents();
    if (!reading_) return;
    const QString k = kind();
    if (k == kNv820)
        pollTerminal();
    else
        pollSerial(k);
}

void MainReader::pollTerminal() {
    // A kind switched to NV820 while a serial port is read has no terminal to ask: no card.
    if (!linkOpen_ || !link_) return;
    link_->purgeInput();
    std::uint32_t card = 0;
    if (link_->scoutInfo(kTerminal, card) != 1) card = 0;
    if (card == 0) return;
    deliver(QString::fromStdString(cardDisplay(card, 10)), true);
    if (reading_ && linkOpen_) link_->beef(kTerminal, 1);
}

void MainReader::pollSerial(const QString& k) {
    int q = port_.bytesWaiting();
    if (q < 0) q = 0;
    const bool rs485 = k == kRs485;
    if (q == 0 && !(rs485 && !assembly_.empty())) return;
    if (q > kReadBufferSize) {
        port_.purgeInput();
        return;
    }
    long n = q > 0 ? port_.readAvailable(readBuf_.data(), static_cast<std::size_t>(q)) : 0;
    if (n < 0) n = 0;
    const auto* data = readBuf_.data();
    const auto len = static_cast<std::size_t>(n);

    if (rs485) {
        if (!append(assembly_, data, len, true)) return;
        auto frame = assemble(assembly_, FrameLetters::CardOnly);
        if (!frame) return;
        if (hooks_.setClockAddress) hooks_.setClockAddress(frame->address());
        ack_ = ackFrame(*frame, false);
        ackPending_ = true;
        deliver(QString::fromStdString(cardDisplay(frame->card(), 10)), false);
        return;
    }
    if (n == 0) return;
    if (k == kRs232B) {
        auto v = decodeRs232B(data, len);
        if (!v)
            badData();
        else
            deliver(QString::fromStdString(cardDisplay(*v, 10)), false);
        return;
    }
    auto v = decodeRs232(data, len);
    if (!v)
        badData();
    else
        deliver(QString::fromStdString(cardDisplay(*v, 10)), false);
}

void MainReader::badData() {
    if (hooks_.status) hooks_.status(QStringLiteral("收到的数据不正确！"));
    if (hooks_.clearCard) hooks_.clearCard();
}

void MainReader::deliver(const QString& card, bool absorbErrors) {
    prompt_.resetCounter();
    if (hooks_.status) hooks_.status(QStringLiteral("读卡正确！"));
    bool signedIn = false;
    try {
        signedIn = hooks_.deliver && hooks_.deliver(card);
    } catch (...) {
        ackPending_ = false;
        if (!absorbErrors) throw;
    }
    // The acknowledgement belongs to this card only: a failed sign-in leaves the reader without one.
    if (signedIn && ackPending_ && kind() == kRs485) sendAck();
    ackPending_ = false;
}

bool MainReader::sendAck() {
    if (!ackPending_ || !port_.isOpen()) return false;
    ackPending_ = false;
    return port_.write(ack_.data(), ack_.size()) == static_cast<long>(ack_.size());
}

void MainReader::promptTick() {
    if (!reading_) return;
    if (hooks_.processEvents) hooks_.processEvents();
    if (!reading_) return;
    prompt_.tick();
    if (!hasPort()) stop();
}

void MainReader::setReading(bool on) {
    reading_ = on;
    if (hooks_.readingChanged) hooks_.readingChanged(on);
}

} // namespace reader
