#include "desk/ui/StatusPanels.h"

#include <QLabel>
#include <QStatusBar>

StatusPanels::StatusPanels(QStatusBar* bar, const QList<int>& widths) : bar_(bar) {
    for (int i = 0; i < widths.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (widths[i] > 0) label->setMinimumWidth(widths[i]);
        bar->addWidget(label, widths[i] > 0 ? 0 : 1);
        labels_ << label;
    }
}

void StatusPanels::setPanelText(int index, const QString& text) {
    if (auto* label = panel(index)) label->setText(text);
}

QString StatusPanels::panelText(int index) const {
    auto* label = panel(index);
    return label ? label->text() : QString();
}

QLabel* StatusPanels::panel(int index) const {
    return index >= 0 && index < labels_.size() ? labels_[index] : nullptr;
}

void StatusPanels::repaint() {
    bar_->repaint();
}
