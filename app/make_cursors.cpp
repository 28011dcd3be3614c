// Draws the hand cursor and the drag pointer and writes them as Windows cursor/icon files.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

QImage Hand() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(9, 2, 5, 16), 2.5, 2.5);     // pointing finger
    hand.addRoundedRect(QRectF(14, 9, 4.5, 10), 2.2, 2.2);  // folded fingers
    hand.addRoundedRect(QRectF(18.5, 10, 4.5, 10), 2.2, 2.2);
    hand.addRoundedRect(QRectF(23, 11.5, 4.5, 9), 2.2, 2.2);
    hand.addRoundedRect(QRectF(9, 13, 18.5, 15), 4, 4);  // palm
    hand.addRoundedRect(QRectF(4, 14, 7, 5), 2.5, 2.5);  // thumb
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand.simplified());
    return img;
}

QImage DragPointer() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    QPainterPath arrows;  // a double arrow, up and down
    arrows.moveTo(16, 2);
    arrows.lineTo(24, 11);
    arrows.lineTo(19, 11);
    arrows.lineTo(19, 21);
    arrows.lineTo(24, 21);
    arrows.lineTo(16, 30);
    arrows.lineTo(8, 21);
    arrows.lineTo(13, 21);
    arrows.lineTo(13, 11);
    arrows.lineTo(8, 11);
    arrows.closeSubpath();
    p.drawPath(arrows);
    return img;
}

QByteArray IcoBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image)) return {};
    return bytes;
}

bool Save(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return !bytes.isEmpty() && f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_cursors OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QByteArray cur = IcoBytes(Hand());
    if (cur.size() >= 22) {
        // An icon file becomes a cursor file: type 2, and the hot spot (the fingertip)
        // where the icon keeps planes and bit count.
        cur[2] = 2;
        cur[10] = 11;
        cur[11] = 0;
        cur[12] = 2;
        cur[13] = 0;
    }
    if (!Save(folder + QStringLiteral("/HAND-M.CUR"), cur) ||
        !Save(folder + QStringLiteral("/drag.ico"), IcoBytes(DragPointer()))) {
        std::fprintf(stderr, "make_cursors: cannot write the cursor files\n");
        return 1;
    }
    return 0;
}
