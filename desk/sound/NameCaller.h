#pragma once
// Plays an employee's name recording after a sign-in. The call returns at once: the recording loads and
// plays in the background while the desk goes on.
//
// A recording still playing when the next call starts is stopped, so the newest swipe is the one heard
// (a queue of names would lag ever further behind a busy reader).

#include <QString>
#include <functional>
#include <memory>

class QSoundEffect;

class NameCaller {
public:
    using StatusSink = std::function<void(const QString&)>;

    inline static const QString kNoRecording = QStringLiteral("该员工没有录音，播叫失败！");
    inline static const QString kCalling = QStringLiteral("正在播叫，请稍等...");
    inline static const QString kCalled = QStringLiteral("播叫成功！");
    inline static const QString kFailed = QStringLiteral("播叫失败！");

    // outputPresent says whether the machine has an audio output; by default the system is asked.
    explicit NameCaller(std::function<bool()> outputPresent = {});
    ~NameCaller();
    NameCaller(const NameCaller&) = delete;
    NameCaller& operator=(const NameCaller&) = delete;

    // homeDir/EmpSound/<name>.wav
    static QString soundFile(const QString& homeDir, const QString& name);

    // Calls the employee: every status text goes to `status` in order, and the last one given before the
    // return is also returned. Missing file: kNoRecording. Otherwise kCalling, then kCalled when play was
    // started on a readable wave file with an audio output present, else kFailed. When the recording
    // later turns out unplayable, `status` receives kFailed once more, unless a newer call has started.
    QString call(const QString& homeDir, const QString& name, const StatusSink& status);

    // Stops the recording being played, if any.
    void stop();
    bool playing() const;

private:
    std::function<bool()> outputPresent_;
    std::unique_ptr<QSoundEffect> effect_;
};
