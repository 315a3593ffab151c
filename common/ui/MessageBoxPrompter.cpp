#include "MessageBoxPrompter.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void MessageBoxPrompter::message(const QString& text, const QString& title, Icon icon) {
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent_);
    box.exec();
}

Prompter::Answer MessageBoxPrompter::ask(const QString& text, const QString& title, Buttons buttons,
                                         Icon icon) {
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    QMessageBox::StandardButton closed = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        closed = QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        closed = QMessageBox::No;
        break;
    }
    QMessageBox box(boxIcon(icon), title, text, set, parent_);
    box.setEscapeButton(closed);
    // The first button is the default, as the platform's boxes have it.
    box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Buttons::OkCancel ? Answer::Cancel
               : buttons == Buttons::YesNo  ? Answer::No
                                            : Answer::Ok;
    }
}
