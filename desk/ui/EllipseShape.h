#pragma once
// A filled ellipse over the whole widget, like the shapes of the swipe prompt and the exit button.

#include <QColor>
#include <QWidget>

class EllipseShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
    Q_PROPERTY(QColor penColor READ penColor WRITE setPenColor)
public:
    explicit EllipseShape(QWidget* parent = nullptr);

    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& c);
    QColor penColor() const { return pen_; }
    void setPenColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brush_{Qt::white};
    QColor pen_{Qt::black};
};
