#include "desk/ui/TfrmShape.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TfrmShape::TfrmShape(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmShape"));
    setFixedSize(445, 153);
}

void TfrmShape::showNow() {
    if (auto* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}

void TfrmShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The picture: a blue sky with a light band, stretched over the whole window.
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0.0, QColor(18, 58, 120));
    sky.setColorAt(0.55, QColor(52, 116, 196));
    sky.setColorAt(1.0, QColor(200, 224, 250));
    p.fillRect(rect(), sky);
    QLinearGradient band(0, 0, width(), 0);
    band.setColorAt(0.0, QColor(255, 255, 255, 0));
    band.setColorAt(0.5, QColor(255, 255, 255, 60));
    band.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 62, width(), 3), band);
    p.setPen(QColor(10, 30, 70));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont title = font();
    title.setPointSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(20, 12, width() - 40, 48), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Hemlo实时考勤系统"));

    QFont small = font();
    small.setPointSize(10);
    small.setBold(true);
    p.setFont(small);
    p.drawText(QRect(20, 12, width() - 40, 48), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Ver 1.20"));

    QFont note = font();
    note.setPointSize(11);
    p.setFont(note);
    p.setPen(QColor(10, 30, 70));
    p.drawText(QRect(20, height() - 44, width() - 40, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("正在初始化数据，请稍等......"));
}
