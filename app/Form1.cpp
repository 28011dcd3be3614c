#include "app/Form1.h"

#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QPushButton>

#include "app/ButtonArt.h"
#include "app/ListView1.h"
#include "app/PictureButton.h"
#include "filelist/FileListModel.h"

namespace vx {

namespace {

constexpr const char* kCaption = "Vellumax";
constexpr const char* kListTip =
    "Drag and drop files here. Double-click item to remove it. Move bar to right and out of "
    "window to reveal full names.";

// Layout in twips, as the window is designed; 15 twips to a logical pixel.
QRect Twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

}  // namespace

std::optional<QCursor> LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    QImageReader reader(path, "ico");
    const QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    int hotX = -1;
    int hotY = -1;
    // A cursor file (type 2) keeps the hot spot where an icon keeps planes and bit count.
    if (bytes.size() >= 22 && static_cast<unsigned char>(bytes[2]) == 2) {
        auto word = [&](int at) {
            return static_cast<unsigned char>(bytes[at]) |
                   (static_cast<unsigned char>(bytes[at + 1]) << 8);
        };
        hotX = word(10);
        hotY = word(12);
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

Form1::Form1(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      platform_(platform),
      logic_(platform, *this),
      model_(new FileListModel(logic_.list(), this)) {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(6630 / 15, 3015 / 15);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowIcon(QIcon(BlankIcon()));
    setMouseTracking(true);

    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips(-720, 2640, 615, 495));

    QFont buttonFont(QStringLiteral("Arial"));
    buttonFont.setPointSizeF(11.25);
    buttonFont.setBold(true);
    auto makeButton = [&](const char* name, const char* caption, const QPixmap& picture,
                          QRect geometry) {
        auto* b = new PictureButton(QString::fromUtf8(caption), picture, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setFont(buttonFont);
        QPalette bp = b->palette();
        bp.setColor(QPalette::Button, Qt::white);
        b->setPalette(bp);
        b->setMouseTracking(true);
        b->installEventFilter(this);
        return b;
    };
    Check1 =
        makeButton("Check1", "Add Text Files", TextPagePicture(), Twips(120, 1800, 2055, 1095));
    Check2 =
        makeButton("Check2", "Convert To PDF", PdfPagePicture(), Twips(4440, 1800, 2055, 1095));

    listView_ = new ListView1(model_, this);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setGeometry(Twips(120, 120, 6375, 1575));
    QFont listFont(QStringLiteral("Arial"));
    listFont.setPointSizeF(9);
    listFont.setBold(true);
    listView_->setFont(listFont);
    listView_->setToolTip(QString::fromLatin1(kListTip));

    Check4 = makeButton("Check4", "Add All Text Files In Folder", FolderPicture(),
                        Twips(2280, 1800, 2055, 1095));

    setTabOrder(Command1, Check1);
    setTabOrder(Check1, Check2);
    setTabOrder(Check2, listView_);
    setTabOrder(listView_, Check4);

    connect(Check1, &QAbstractButton::toggled, this,
            [this] { Latch(Check1, FormLogic::Command::AddPickedFiles); });
    connect(Check4, &QAbstractButton::toggled, this,
            [this] { Latch(Check4, FormLogic::Command::AddFolderFiles); });
    connect(Check2, &QAbstractButton::toggled, this,
            [this] { Latch(Check2, FormLogic::Command::RunConversion); });

    connect(listView_, &ListView1::DblClick, this, [this] { logic_.listDoubleClicked(); });
    connect(listView_, &ListView1::ItemClick, this,
            [this](std::size_t position) { logic_.listItemClicked(position); });
    connect(listView_, &ListView1::MouseDown, this, [this] { logic_.listPressed(); });
    connect(listView_, &ListView1::MouseMove, this, &Form1::ListView1_MouseMove);
    connect(listView_, &ListView1::MouseUp, this, [this] { logic_.listReleased(); });
    connect(listView_, &ListView1::FilesDropped, this,
            [this](const std::vector<std::string>& paths) { logic_.filesDropped(paths); });

    Form_Load();
}

Form1::~Form1() {
    // The view and its model read the list until they are gone; the list is a member and
    // would otherwise die first.
    delete listView_;
    delete model_;
}

void Form1::Form_Load() {
    CenterForm();
    if (const auto hand = logic_.startUp())
        handCursor_ = LoadCursorFile(QFile::decodeName(QByteArray::fromStdString(*hand)));
    setWindowTitle(QString::fromLatin1(kCaption));
    model_->setHeaderData(0, Qt::Horizontal, QStringLiteral("Text files"), Qt::DisplayRole);
    listView_->header()->resizeSection(0, 5300 / 15);
}

void Form1::CenterForm() {
    const QSize outer = frameGeometry().size();
    const TwipPoint at = logic_.centre(Size{outer.width(), outer.height()});
    move(qRound(at.left / kTwipsPerPixel), qRound(at.top / kTwipsPerPixel));
}

// The frame a window manager draws is known only once the window is shown or mapped; the
// first time it is, the window is placed again, frame included.
void Form1::centreOnceFramed() {
    if (!frameCentred_ && frameGeometry().size() != size()) {
        frameCentred_ = true;
        CenterForm();
    }
}

void Form1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) centreOnceFramed();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreOnceFramed();
    if (!shownOnce_) {
        shownOnce_ = true;
        Command1->setFocus(Qt::OtherFocusReason);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // Ending mid-run must not leave "PDF Printer" as the user's default.
    logic_.ending();
    event->accept();
    platform_.ui->terminate();
}

void Form1::Latch(QAbstractButton* button, FormLogic::Command command) {
    logic_.buttonClicked(command, button->isChecked(), [button] { button->setChecked(false); });
}

void Form1::showPointer(int setting) {
    std::optional<QCursor> cursor;
    if (setting == kPointerHourglass) {
        cursor = QCursor(Qt::WaitCursor);
    } else if (setting == kPointerHand) {
        cursor = handCursor_ ? *handCursor_ : QCursor(Qt::ArrowCursor);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{this, Command1, Check1, Check2, Check4}) {
        if (cursor) {
            w->setCursor(*cursor);
        } else {
            w->unsetCursor();
        }
    }
    listView_->applyWindowPointer(setting == kPointerHourglass);
}

void Form1::setListPicturePointer(const std::string& iconFile) {
    if (auto cursor = LoadCursorFile(QFile::decodeName(QByteArray::fromStdString(iconFile))))
        listView_->setOwnPointer(99, *cursor);
}

void Form1::setListArrowPointer() {
    listView_->setOwnPointer(1);
}

void Form1::ensureVisible(std::size_t position) {
    listView_->EnsureVisible(position);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        (watched == Check1 || watched == Check2 || watched == Check4)) {
        logic_.buttonMoved();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Moves a button ignores bubble up here; only the background counts.
    if (childAt(event->position().toPoint()) == nullptr) logic_.backgroundMoved();
    QWidget::mouseMoveEvent(event);
}

void Form1::ListView1_MouseMove(QPoint point) {
    logic_.listMoved(logic_.drag().DragActive ? listView_->HitTest(point) : std::nullopt);
}

void Form1::AddPickedFiles() {
    logic_.run(FormLogic::Command::AddPickedFiles);
}

void Form1::AddFolderFiles() {
    logic_.run(FormLogic::Command::AddFolderFiles);
}

void Form1::RunConversion() {
    logic_.run(FormLogic::Command::RunConversion);
}

}  // namespace vx
