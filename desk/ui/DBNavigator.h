#pragma once
// The navigator bar of a record view: a row of small buttons (first, prior, next, last, insert, delete,
// post, cancel), of which each view shows the ones it offers. It only reports the button pressed; the
// window moves or edits the view's dataset.

#include <QList>
#include <QString>
#include <QWidget>

class QToolButton;

class DBNavigator : public QWidget {
    Q_OBJECT
    // Comma-separated button names in order, e.g. "first,prior,next,last,delete".
    Q_PROPERTY(QString buttons READ buttons WRITE setButtons)
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Post, Cancel };
    Q_ENUM(Button)

    explicit DBNavigator(QWidget* parent = nullptr);

    QString buttons() const;
    void setButtons(const QString& names);
    QList<Button> visibleButtons() const;
    // The tool button of b (nullptr when it is not shown).
    QToolButton* button(Button b) const;
    // Presses b as the operator would (tests, keyboard shortcuts).
    void click(Button b);

    static QString nameOf(Button b);

signals:
    void clicked(DBNavigator::Button button);

private:
    QList<Button> shown_;
    QList<QToolButton*> tools_;
};
