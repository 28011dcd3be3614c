#include "app/ButtonArt.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace vx {

namespace {

QPixmap Canvas() {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(32, 32) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QPainterPath Outline(std::initializer_list<QPointF> corners, bool closed = true) {
    QPainterPath path;
    path.moveTo(*corners.begin());
    for (auto it = corners.begin() + 1; it != corners.end(); ++it) path.lineTo(*it);
    if (closed) path.closeSubpath();
    return path;
}

void DrawPage(QPainter& p) {
    const QPainterPath page =
        Outline({{6.5, 1.5}, {21.5, 1.5}, {27.5, 7.5}, {27.5, 30.5}, {6.5, 30.5}});
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    const QPainterPath fold = Outline({{21.5, 1.5}, {21.5, 7.5}, {27.5, 7.5}}, false);
    p.setBrush(QColor(225, 225, 225));
    p.drawPath(fold);
}

}  // namespace

QPixmap TextPagePicture() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPage(p);
    p.setPen(QPen(QColor(170, 170, 170), 1));
    for (int y = 12; y <= 27; y += 3) p.drawLine(QPointF(9, y + 0.5), QPointF(25, y + 0.5));
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(20, 70, 200));
    p.drawText(QRectF(6, 6, 22, 24), Qt::AlignCenter, QStringLiteral("T"));
    return pm;
}

QPixmap FolderPicture() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 110, 0), 1));
    const QPainterPath back =
        Outline({{2.5, 8.5}, {11.5, 8.5}, {14.5, 11.5}, {26.5, 11.5}, {26.5, 27.5}, {2.5, 27.5}});
    p.setBrush(QColor(230, 180, 30));
    p.drawPath(back);
    // The open flap, tilted forward.
    const QPainterPath front = Outline({{7.5, 15.5}, {30.5, 15.5}, {26.5, 27.5}, {2.5, 27.5}});
    p.setBrush(QColor(255, 215, 70));
    p.drawPath(front);
    return pm;
}

QPixmap PdfPagePicture() {
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPage(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 20, 20));
    p.drawRect(QRectF(3, 15, 24, 11));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 15, 24, 11), Qt::AlignCenter, QStringLiteral("PDF"));
    return pm;
}

QPixmap BlankIcon() {
    return Canvas();
}

}  // namespace vx
