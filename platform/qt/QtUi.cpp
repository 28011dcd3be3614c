#include "platform/qt/QtUi.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace vx {

namespace {

// Paths cross the platform layer as the file system's bytes.
constexpr char kSeparator = '/';
QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

// The Open dialog with multiple selection that also takes a typed name of a file that does
// not exist yet: Qt's own accepts only existing files in that mode.
class OpenDialog : public QFileDialog {
  public:
    OpenDialog(QWidget* owner, const QString& title) : QFileDialog(owner, title) {
        setAcceptMode(AcceptOpen);
        setFileMode(ExistingFiles);
        setOption(HideNameFilterDetails, true);
        setOption(DontUseNativeDialog, true);
        auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        // Entering a folder by its typed path leaves that folder itself selected, out of
        // sight: Open would enter it again and drop the files picked there, and names typed
        // next would be lost.
        if (auto* view = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
            QItemSelectionModel* picked = view->selectionModel();
            connect(picked, &QItemSelectionModel::selectionChanged, this, [view, picked] {
                const QModelIndex shown = view->rootIndex();
                if (picked->isSelected(shown))
                    picked->select(shown,
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            });
        }
        if (edit != nullptr && buttons != nullptr) {
            // Runs after the dialog's own check, which disables Open for unknown names.
            connect(edit, &QLineEdit::textChanged, this, [edit, buttons] {
                if (QPushButton* open = buttons->button(QDialogButtonBox::Open))
                    open->setEnabled(!edit->text().trimmed().isEmpty());
            });
        }
    }

    void accept() override {
        const QStringList files = selectedFiles();
        for (const QString& f : files) {
            if (!QFileInfo::exists(f)) {
                // A typed name of a file that does not exist is taken as is.
                QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
                return;
            }
        }
        QFileDialog::accept();
    }
};

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = FromText(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

std::string DialogResultFromPaths(const std::vector<std::string>& paths, char separator) {
    if (paths.empty()) return {};
    if (paths.size() == 1) return paths.front();
    // The deepest folder holding every path: typed paths from different folders keep the
    // folders below it in their names, so each one comes back as it was meant.
    const std::string& first = paths.front();
    std::size_t cut = first.rfind(separator);
    auto holds = [&](const std::string& p) {
        return cut != std::string::npos && p.size() > cut + 1 &&
               p.compare(0, cut + 1, first, 0, cut + 1) == 0;
    };
    for (const std::string& p : paths)
        while (cut != std::string::npos && !holds(p))
            cut = cut == 0 ? std::string::npos : first.rfind(separator, cut - 1);
    std::string result = cut == std::string::npos ? std::string()
                         : cut == 0               ? std::string(1, separator)
                                                  : first.substr(0, cut);
    const std::size_t skip = cut == std::string::npos ? 0 : cut + 1;
    for (const std::string& p : paths) {
        result.push_back('\0');
        result.append(p.substr(skip));
    }
    return result;
}

void QtUi::messageBox(const std::string& text, BoxIcon icon, const std::string& caption) {
    QMessageBox box(owner_);
    box.setWindowTitle(FromText(caption));
    box.setText(FromText(text));
    box.setIcon(icon == BoxIcon::Critical  ? QMessageBox::Critical
                : icon == BoxIcon::Warning ? QMessageBox::Warning
                                           : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::string QtUi::openFileDialog(const OpenDialogSettings& settings) {
    OpenDialog dialog(owner_, FromText(settings.title));
    dialog.setNameFilters(QtNameFilters(settings.filter));
    if (!settings.fileName.empty()) dialog.selectFile(FromPath(settings.fileName));
    if (dialog.exec() != QDialog::Accepted) return {};
    std::vector<std::string> paths;
    for (const QString& p : dialog.selectedFiles()) paths.push_back(ToPath(p));
    return DialogResultFromPaths(paths, kSeparator);
}

std::string QtUi::browseForFolder(const std::string& prompt) {
    return ToPath(QFileDialog::getExistingDirectory(owner_, FromText(prompt), QString(),
                                                    QFileDialog::ShowDirsOnly));
}

void QtUi::yield() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ < std::chrono::milliseconds(15)) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastYield_ = std::chrono::steady_clock::now();
}

Point QtUi::cursorPos() {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

Size QtUi::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    return {screen->geometry().width(), screen->geometry().height()};
}

void QtUi::terminate() {
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace vx
