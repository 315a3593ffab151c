#include "Prompter.h"

void ScriptedPrompter::message(const QString& text, const QString& title, Icon icon) {
    entries.push_back(Entry{text, title, false, icon, Buttons::Ok});
}

Prompter::Answer ScriptedPrompter::ask(const QString& text, const QString& title, Buttons buttons,
                                       Icon icon) {
    entries.push_back(Entry{text, title, true, icon, buttons});
    if (answers.empty()) {
        // As if the box were closed: the negative answer of its buttons.
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
        }
        return Answer::No;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const Entry& e : entries)
        out << e.text;
    return out;
}
