#include "CardReadingSession.h"
#include "BusyScope.h"

#include "TerminalLink.h"
#include "common/Prompter.h"

#include <QFile>

namespace reader {

namespace {

const QString kNv820 = QStringLiteral("NV820");
const QString kNv620 = QStringLiteral("NV620");
const QString kRs485 = QStringLiteral("RS485");
const QString kRs232B = QStringLiteral("RS232B");
constexpr int kTerminal = 1;

bool isTenDigitProvider(const QString& provider) {
    const QString p = provider.toLower();
    return p == QLatin1String("lorvane") || p == QLatin1String("quenmar") || p == QLatin1String("hemlo");
}

} // namespace

CardReadingSession::CardReadingSession(QString kind, QString provider, Prompter& prompter, TerminalLink* link,
                                       Hooks hooks)
    : kind_(kind.trimmed().toUpper()), tenDigits_(isTenDigitProvider(provider)), prompter_(prompter),
      link_(link), hooks_(std::move(hooks)) {}

CardReadingSession::~CardReadingSession() {
    if (linkOpen_ && link_) {
        link_->scoutInfoOnOff(kTerminal, 2);
        link_->closePort();
    }
}

void CardReadingSession::start(const QString& devicePath) {
    if (kind_ == kNv820)
        startTerminal(devicePath);
    else
        startSerial(devicePath);
}

void CardReadingSession::startTerminal(const QString& path) {
    const QString cannotOpen = QStringLiteral("串口打开失败！不能读取！");
    const int opened = link_ ? link_->openPort(QFile::encodeName(path).toStdString()) : -1;
    if (opened != 1 && opened != 2) {
        prompter_.info(cannotOpen);
        return;
    }
    if (link_->comHandle() <= 0) {
        prompter_.info(cannotOpen);
        link_->closePort();
        return;
    }
    int a = 0, b = 0, c = 0;
    if (link_->call(kTerminal, a, b, c) != 1) {
        link_->closePort();
        prompter_.info(QStringLiteral("找不到NV-820感应机！不能读取！"));
        return;
    }
    link_->scoutInfoOnOff(kTerminal, 1);
    linkOpen_ = true;
    setTimers(true, assemblyPoll_, true);
}

void CardReadingSession::startSerial(const QString& path) {
    setTimers(poll_, assemblyPoll_, true);
    port_.close();
    if (!port_.open(QFile::encodeName(path).toStdString())) {
        prompter_.message(QStringLiteral("打开通信端口错误!!"), QString(), Prompter::Icon::None);
        stop();
        return;
    }
    if (!port_.configure(9600)) {
        port_.close();
        prompter_.message(QStringLiteral("通信端口设置错误!!!"), QString(), Prompter::Icon::None);
        stop();
        return;
    }
    setTimers(true, assemblyPoll_, true);
}

void CardReadingSession::stop() {
    prompt_.end();
    releasePort();
    setTimers(false, assemblyPoll_, false);
}

void CardReadingSession::close() {
    releasePort();
    setTimers(false, false, false);
}

void CardReadingSession::releasePort() {
    // The library's port is closed when this session opened it, which only an NV820 attempt does.
    if (linkOpen_ && link_) {
        link_->scoutInfoOnOff(kTerminal, 2);
        link_->closePort();
    }
    linkOpen_ = false;
    port_.close();
}

void CardReadingSession::tick() {
    if (!poll_ || busy_) return;
    BusyScope busy(busy_);
    if (kind_ == kNv820)
        pollTerminal();
    else
        pollSerial();
}

void CardReadingSession::pollTerminal() {
    if (!linkOpen_ || !link_) return;
    link_->purgeInput();
    std::uint32_t card = 0;
    if (link_->scoutInfo(kTerminal, card) != 1) card = 0;
    if (card == 0) return;
    link_->beef(kTerminal, 1);
    if (hooks_.deliver) hooks_.deliver(QString::fromStdString(cardDisplay(card, 10)));
    stop();
}

void CardReadingSession::pollSerial() {
    const int q = port_.bytesWaiting();
    if (q <= 0) return;
    if (q > kReadBufferSize) {
        port_.purgeInput();
        return;
    }
    if (kind_ == kRs485 || kind_ == kNv620) {
        setTimers(false, true, promptRunning_);
        return;
    }
    long n = port_.readAvailable(readBuf_.data(), static_cast<std::size_t>(q));
    if (n <= 0) return;
    const auto* data = readBuf_.data();
    const auto len = static_cast<std::size_t>(n);

    std::optional<std::string> text;
    if (kind_ == kRs232B) {
        if (auto v = decodeRs232B(data, len))
            text = tenDigits_ ? cardDisplay(*v, 10) : cardDisplay(*v % 65536, 6);
    } else if (tenDigits_) {
        if (auto v = decodeRs232(data, len)) text = cardDisplay(*v, 10);
    } else {
        if (auto v = decodeRs232Short(data, len)) text = cardDisplay(*v, 6);
    }
    if (!text) {
        prompter_.info(QStringLiteral("收到的数据不正确！！！"));
        if (hooks_.clearTarget) hooks_.clearTarget();
        stop();
        return;
    }
    if (hooks_.deliver) hooks_.deliver(QString::fromStdString(*text));
    stop();
}

void CardReadingSession::assemblyTick() {
    if (!assemblyPoll_ || busy_) return;
    BusyScope busy(busy_);
    int q = port_.bytesWaiting();
    if (q < 0) q = 0;
    if (q == 0 && assembly_.empty()) return;
    if (q > kReadBufferSize) {
        port_.purgeInput();
        return;
    }
    long n = q > 0 ? port_.readAvailable(readBuf_.data(), static_cast<std::size_t>(q)) : 0;
    if (n < 0) n = 0;
    append(assembly_, readBuf_.data(), static_cast<std::size_t>(n), false);
    if (auto frame = assemble(assembly_, FrameLetters::CardOrNv620)) acceptFrame(*frame);
}

void CardReadingSession::acceptFrame(const Frame& frame) {
    // The reader hears back at once, whatever is done with the card.
    const auto ack = ackFrame(frame, kind_ == kNv620);
    if (port_.isOpen()) port_.write(ack.data(), ack.size());
    const std::uint32_t card = frame.card();
    if (card == 0) return;
    stop();
    const QString text = QString::fromStdString(cardDisplay(card, 10));
    if (hooks_.deliver) hooks_.deliver(text);
    if (hooks_.isRegistered && hooks_.isRegistered(text)) {
        prompter_.info(QStringLiteral("该卡号已经存在，请重新刷卡！"));
        if (hooks_.clearTarget) hooks_.clearTarget();
    }
}

void CardReadingSession::promptTick() {
    if (!promptRunning_) return;
    if (prompt_.tick()) stop();
}

void CardReadingSession::setTimers(bool poll, bool assembly, bool prompt) {
    const bool changed = poll != poll_ || assembly != assemblyPoll_ || prompt != promptRunning_;
    poll_ = poll;
    assemblyPoll_ = assembly;
    promptRunning_ = prompt;
    if (changed && hooks_.timersChanged) hooks_.timersChanged();
}

} // namespace reader
