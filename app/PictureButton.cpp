#include "app/PictureButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace vx {

PictureButton::PictureButton(const QString& caption, const QPixmap& picture, QWidget* parent)
    : QPushButton(caption, parent), picture_(picture) {
    setCheckable(true);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    const int shift = isChecked() || isDown() ? 1 : 0;
    const QRect face = rect().adjusted(4 + shift, 4 + shift, -4 + shift, -4 + shift);
    const QSize pic(32, 32);
    p.drawPixmap(QRect(QPoint(face.center().x() - pic.width() / 2 + 1, face.top()), pic), picture_);
    const QRect caption = face.adjusted(0, pic.height() + 1, 0, 0);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(caption, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace vx
