#pragma once
// Every message box and question goes through a Prompter, so tests can read the texts and answer.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class Prompter {
public:
    enum class Icon { None, Information, Warning, Question, Error };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void message(const QString& text, const QString& title, Icon icon = Icon::Information) = 0;
    // A question; the answer the user gave (Cancel or No when the box was closed).
    virtual Answer ask(const QString& text, const QString& title, Buttons buttons,
                       Icon icon = Icon::Question) = 0;

    // Shorthands for the common forms.
    void info(const QString& text) { message(text, QStringLiteral("提示"), Icon::Information); }
    bool yes(const QString& text, const QString& title = QStringLiteral("提示")) {
        return ask(text, title, Buttons::YesNo) == Answer::Yes;
    }
};

// Records every message and question; answers questions from a queue. When the queue is empty it gives
// the answer of a closed box: Cancel for OK/Cancel, No for Yes/No.
class ScriptedPrompter : public Prompter {
public:
    struct Entry {
        QString text;
        QString title;
        bool question = false;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
    };
    void message(const QString& text, const QString& title, Icon icon = Icon::Information) override;
    Answer ask(const QString& text, const QString& title, Buttons buttons,
               Icon icon = Icon::Question) override;

    void queue(Answer a) { answers.push_back(a); }
    QStringList texts() const;

    std::deque<Answer> answers;
    std::vector<Entry> entries;
};
