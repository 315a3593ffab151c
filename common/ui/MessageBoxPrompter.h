#pragma once
// The Prompter of the running desk: a modal QMessageBox with the given title, buttons and icon.

#include "common/Prompter.h"

class QWidget;

class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    void message(const QString& text, const QString& title, Icon icon = Icon::Information) override;
    Answer ask(const QString& text, const QString& title, Buttons buttons,
               Icon icon = Icon::Question) override;

private:
    QWidget* parent_;
};
