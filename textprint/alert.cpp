// Shows one textprint failure in a box, for users who started it from a window.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    QApplication app(argc, argv);
    QMessageBox::critical(nullptr, QStringLiteral("textprint"), QString::fromLocal8Bit(argv[1]));
    return 0;
}
