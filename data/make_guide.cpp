// Makes the user guide, the program's home page, from the README's sections for users.
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_guide README.md OUT.html SECTION...\n");
        return 2;
    }
    QFile readme(QFile::decodeName(argv[1]));
    if (!readme.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_guide: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(readme.readAll());
    QString markdown = QStringLiteral("# Vellumax user guide\n\n");
    for (int i = 3; i < argc; ++i) {
        const QString heading = QStringLiteral("## ") + QString::fromUtf8(argv[i]) + u'\n';
        const qsizetype start = text.indexOf(heading);
        if (start < 0) {
            // A renamed section must not drop out of the guide unnoticed.
            std::fprintf(stderr, "make_guide: no section \"%s\" in %s\n", argv[i], argv[1]);
            return 1;
        }
        const qsizetype end = text.indexOf(QStringLiteral("\n## "), start + heading.size());
        markdown += text.mid(start, end < 0 ? -1 : end - start + 1) + u'\n';
    }
    QTextDocument doc;
    QFont font = doc.defaultFont();
    font.setPointSize(12);  // a page to read in the browser, not a widget's small print
    doc.setDefaultFont(font);
    doc.setMarkdown(markdown);
    doc.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Vellumax user guide"));
    QFile out(QFile::decodeName(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(doc.toHtml().toUtf8()) < 0 || !out.flush()) {
        std::fprintf(stderr, "make_guide: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
