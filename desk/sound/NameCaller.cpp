#include "desk/sound/NameCaller.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

// A RIFF/WAVE header: anything else never loads, and the effect would not say so.
bool looksLikeWave(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

} // namespace

NameCaller::NameCaller(std::function<bool()> outputPresent) : outputPresent_(std::move(outputPresent)) {
    if (!outputPresent_) outputPresent_ = [] { return !QMediaDevices::audioOutputs().isEmpty(); };
}

NameCaller::~NameCaller() {
    if (!effect_) return;
    QObject::disconnect(effect_.get(), nullptr, nullptr, nullptr);
    effect_->stop();
}

QString NameCaller::soundFile(const QString& homeDir, const QString& name) {
    return QDir(homeDir).filePath(QStringLiteral("EmpSound/") + name + QStringLiteral(".wav"));
}

QString NameCaller::call(const QString& homeDir, const QString& name, const StatusSink& status) {
    auto say = [&status](const QString& text) {
        if (status) status(text);
        return text;
    };
    const QString trimmed = name.trimmed();
    // A name with a path separator would reach outside EmpSound: it counts as having no recording.
    const bool plainName = !trimmed.isEmpty() && !trimmed.contains(QLatin1Char('/'));
    const QString path = soundFile(homeDir, trimmed);
    if (!plainName || !QFileInfo(path).isFile()) return say(kNoRecording);

    say(kCalling);
    stop();
    if (!looksLikeWave(path) || !outputPresent_()) return say(kFailed);

    effect_ = std::make_unique<QSoundEffect>();
    QSoundEffect* effect = effect_.get();
    // Loading is asynchronous; a file that cannot be decoded turns up here afterwards. The connection
    // dies with the effect, so a newer call silences this one's late report.
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect, status] {
        if (effect->status() == QSoundEffect::Error && status) status(kFailed);
    });
    effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    effect->play();
    return say(kCalled);
}

void NameCaller::stop() {
    if (!effect_) return;
    QObject::disconnect(effect_.get(), nullptr, nullptr, nullptr);
    effect_->stop();
    // The effect may be inside one of its own signals when a status callback starts a new call.
    effect_.release()->deleteLater();
}

bool NameCaller::playing() const {
    return effect_ && effect_->isPlaying();
}
