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
#include "app/Main.h"
#include "app/PictureButton.h"
#include "filelist/AddFolder.h"
#include "filelist/AddPicked.h"
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
      model_(new FileListModel(list_, this)) {
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
            [this] { Latch(Check1, &Form1::AddPickedFiles); });
    connect(Check4, &QAbstractButton::toggled, this,
            [this] { Latch(Check4, &Form1::AddFolderFiles); });
    connect(Check2, &QAbstractButton::toggled, this,
            [this] { Latch(Check2, &Form1::RunConversion); });

    connect(listView_, &ListView1::DblClick, this, &Form1::ListView1_DblClick);
    connect(listView_, &ListView1::ItemClick, this, &Form1::ListView1_ItemClick);
    connect(listView_, &ListView1::MouseDown, this, &Form1::ListView1_MouseDown);
    connect(listView_, &ListView1::MouseMove, this, &Form1::ListView1_MouseMove);
    connect(listView_, &ListView1::MouseUp, this, &Form1::ListView1_MouseUp);
    connect(listView_, &ListView1::FilesDropped, this, &Form1::ListView1_OLEDragDrop);

    Form_Load();
}

Form1::~Form1() {
    // The view and its model read the list until they are gone; the list is a member and
    // would otherwise die first.
    delete listView_;
    delete model_;
}

std::string Form1::programFile(const char* name) const {
    return platform_.programFolder + platform_.fileSystem->separator() + name;
}

void Form1::Form_Load() {
    CenterForm();
    const std::string hand = programFile("HAND-M.CUR");
    if (FileExists(*platform_.fileSystem, hand)) {
        handCursor_ = LoadCursorFile(QFile::decodeName(QByteArray::fromStdString(hand)));
    }
    OpenHomePageByChance(platform_.random ? platform_.random() : 0.5, platform_.homePage,
                         *platform_.launcher);
    setWindowTitle(QString::fromLatin1(kCaption));
    model_->setHeaderData(0, Qt::Horizontal, QStringLiteral("Text files"), Qt::DisplayRole);
    listView_->header()->resizeSection(0, 5300 / 15);
}

void Form1::CenterForm() {
    const QSize outer = frameGeometry().size();
    const TwipPoint at =
        CenteredPosition(platform_.ui->screenSize(), Size{outer.width(), outer.height()});
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
    conversions_.restoreOnExit(*platform_.printers);
    event->accept();
    platform_.ui->terminate();
}

// A press turns the button's state to 1; releasing it reports a second, nested click
// that finds 0 and stops, so the command runs once and never with the button held in.
void Form1::Latch(QAbstractButton* button, void (Form1::*command)()) {
    if (!button->isChecked()) return;
    button->setChecked(false);
    (this->*command)();
}

void Form1::SetMousePointer(int setting) {
    mousePointer_ = setting;
    applyPointer();
}

void Form1::applyPointer() {
    std::optional<QCursor> cursor;
    if (mousePointer_ == 11) {
        cursor = QCursor(Qt::WaitCursor);
    } else if (mousePointer_ == 99) {
        cursor = handCursor_ ? *handCursor_ : QCursor(Qt::ArrowCursor);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{this, Command1, Check1, Check2, Check4}) {
        if (cursor) {
            w->setCursor(*cursor);
        } else {
            w->unsetCursor();
        }
    }
    listView_->applyWindowPointer(mousePointer_ == 11);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove &&
        (watched == Check1 || watched == Check2 || watched == Check4)) {
        Check_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Moves a button ignores bubble up here; only the background counts.
    if (childAt(event->position().toPoint()) == nullptr) Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::Check_MouseMove() {
    if (mousePointer_ != 11) SetMousePointer(99);
}

void Form1::Form_MouseMove() {
    if (mousePointer_ != 11) SetMousePointer(0);
}

void Form1::ListView1_DblClick() {
    try {
        const auto selected = list_.selected();
        if (!selected) return;
        if (const auto position = list_.position(*selected)) list_.remove(*position);
    } catch (...) {
        // A failed removal leaves the list as it was; the double-click just has no effect.
    }
}

void Form1::ListView1_ItemClick(std::size_t position) {
    list_.select(position);  // the list selects what is clicked, as list controls do
    const std::string dragIcon = programFile("drag.ico");
    if (auto cursor = LoadCursorFile(QFile::decodeName(QByteArray::fromStdString(dragIcon)))) {
        listView_->setOwnPointer(99, *cursor);
    }
    ReorderItemClick(drag_, list_);
}

void Form1::ListView1_MouseDown() {
    ReorderMouseDown(drag_);
}

void Form1::ListView1_MouseMove(QPoint point) {
    Form_MouseMove();
    if (!drag_.DragActive) return;
    const auto target = listView_->HitTest(point);
    const auto show =
        ReorderMouseMove(drag_, list_, target, [this] { return platform_.ui->cursorPos().y; });
    if (show) listView_->EnsureVisible(*show);
}

void Form1::ListView1_MouseUp() {
    ReorderMouseUp(drag_);
    listView_->setOwnPointer(1);
}

void Form1::ListView1_OLEDragDrop(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) list_.append(p);
}

void Form1::AddPickedFiles() {
    vx::AddPickedFiles(list_, *platform_.ui, platform_.fileSystem->separator());
}

void Form1::AddFolderFiles() {
    vx::AddFolderFiles(list_, *platform_.fileSystem, *platform_.ui,
                       [this](int setting) { SetMousePointer(setting); });
}

void Form1::RunConversion() {
    vx::RunConversion(ConversionContext{list_, *platform_.printers, *platform_.registry,
                                        *platform_.launcher, *platform_.ui, conversions_,
                                        [this](int setting) { SetMousePointer(setting); }});
}

}  // namespace vx
