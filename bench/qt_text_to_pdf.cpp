// The anchor the benchmarks compare textprint with: Qt's own way from plain text to PDF,
// QTextDocument printed on a QPdfWriter. "qt_text_to_pdf IN OUT".
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) return 1;
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    doc.setPlainText(QString::fromUtf8(in.readAll()));
    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    doc.print(&pdf);
    return 0;
}
