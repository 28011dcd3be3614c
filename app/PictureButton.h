#pragma once

#include <QPushButton>

namespace vx {

// A two-state button with a push-button face: a 32x32 picture above a caption that
// wraps to the button's width.
class PictureButton : public QPushButton {
    Q_OBJECT
  public:
    PictureButton(const QString& caption, const QPixmap& picture, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap picture_;
};

}  // namespace vx
