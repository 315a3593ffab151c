#include "desk/ui/EllipseShape.h"

#include <QPainter>

EllipseShape::EllipseShape(QWidget* parent) : QWidget(parent) {
    // Only a picture: mouse events go to whatever lies on top or behind.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EllipseShape::setBrushColor(const QColor& c) {
    brush_ = c;
    update();
}

void EllipseShape::setPenColor(const QColor& c) {
    pen_ = c;
    update();
}

void EllipseShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(pen_, 1));
    p.setBrush(brush_);
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
