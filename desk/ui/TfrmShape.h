#pragma once
// The splash window shown while the main window is created: borderless, centred, 445 x 153.

#include <QWidget>

class TfrmShape : public QWidget {
    Q_OBJECT
public:
    explicit TfrmShape(QWidget* parent = nullptr);

    // Shows the window centred on the primary screen and paints it before returning, so it is on the
    // screen while the main window's creation keeps the event loop busy.
    void showNow();

protected:
    void paintEvent(QPaintEvent* event) override;
};
