// Draws the application icon: hicolor/scalable/apps/vellumax.svg and the PNG sizes, all from
// one set of shapes so the pictures cannot drift apart.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cstdio>
#include <vector>

namespace {

// On a 64 x 64 grid: a stack of pages, the front one with text lines and a red PDF band.
struct Shape {
    std::vector<QPointF> points;  // two points make a rectangle, more a polygon
    double radius;
    const char* fill;
    const char* stroke;
};

const std::vector<Shape> kShapes = {
    {{{16, 4}, {52, 50}}, 3, "#dfe6ee", "#5a6b7d"},
    {{{10, 10}, {40, 10}, {50, 20}, {50, 60}, {10, 60}}, 0, "#ffffff", "#35475a"},
    {{{40, 10}, {40, 20}, {50, 20}}, 0, "#c9d3de", "#35475a"},
    {{{16, 25}, {42, 28}}, 0, "#8a98a8", nullptr},
    {{{16, 32}, {44, 35}}, 0, "#8a98a8", nullptr},
    {{{16, 39}, {36, 42}}, 0, "#8a98a8", nullptr},
    {{{4, 46}, {40, 58}}, 2, "#c8202a", "#8e1016"},
};

QString Svg() {
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
        "viewBox=\"0 0 64 64\">\n");
    for (const Shape& s : kShapes) {
        const QString paint =
            QStringLiteral(
                " fill=\"%1\" stroke=\"%2\" stroke-width=\"1.5\" stroke-linejoin=\"round\"/>\n")
                .arg(QLatin1String(s.fill), QLatin1String(s.stroke ? s.stroke : "none"));
        if (s.points.size() == 2) {
            const QRectF r(s.points[0], s.points[1]);
            svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\"")
                       .arg(r.x())
                       .arg(r.y())
                       .arg(r.width())
                       .arg(r.height())
                       .arg(s.radius) +
                   paint;
        } else {
            QString points;
            for (const QPointF& p : s.points)
                points += QStringLiteral("%1,%2 ").arg(p.x()).arg(p.y());
            svg += QStringLiteral("  <polygon points=\"%1\"").arg(points.trimmed()) + paint;
        }
    }
    return svg + QStringLiteral("</svg>\n");
}

QImage Png(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    for (const Shape& s : kShapes) {
        p.setBrush(QColor(QLatin1String(s.fill)));
        p.setPen(s.stroke ? QPen(QColor(QLatin1String(s.stroke)), 1.5, Qt::SolidLine, Qt::FlatCap,
                                 Qt::RoundJoin)
                          : QPen(Qt::NoPen));
        if (s.points.size() == 2)
            p.drawRoundedRect(QRectF(s.points[0], s.points[1]), s.radius, s.radius);
        else
            p.drawPolygon(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end())));
    }
    return img;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons HICOLOR_FOLDER\n");
        return 2;
    }
    const QString root = QFile::decodeName(argv[1]);
    bool ok = QDir().mkpath(root + QStringLiteral("/scalable/apps"));
    QFile svg(root + QStringLiteral("/scalable/apps/vellumax.svg"));
    ok = ok && svg.open(QIODevice::WriteOnly) && svg.write(Svg().toUtf8()) > 0 && svg.flush();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
        ok = ok && QDir().mkpath(dir) && Png(size).save(dir + QStringLiteral("/vellumax.png"));
    }
    if (!ok) {
        std::fprintf(stderr, "make_icons: cannot write the icons under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
