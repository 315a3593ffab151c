#pragma once
// The main window's status bar as a row of numbered panels (labels), each addressed by its index.

#include <QList>
#include <QString>

class QLabel;
class QStatusBar;

class StatusPanels {
public:
    // Adds one label per width to the bar, in order; a width of 0 makes that panel take the free room.
    StatusPanels(QStatusBar* bar, const QList<int>& widths);

    int count() const { return int(labels_.size()); }
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    QLabel* panel(int index) const;
    // Paints the bar now, for messages shown in the middle of a long step.
    void repaint();

private:
    QStatusBar* bar_;
    QList<QLabel*> labels_;
};
