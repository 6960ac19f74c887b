// The widgets that stand for the design tables' control kinds. Each reports its events
// through a callback and keeps its mouse events from reaching the window behind it.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "platform/platform.h"

namespace pelandra::qt {

using Raise = std::function<void(EventKind)>;

// Panel and Label: coloured surface with a centred (panels) or left-aligned (labels)
// caption; ignores the mouse.
class CaptionWidget : public QLabel {
  public:
    CaptionWidget(QWidget* parent, bool centred);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// Picture: draws its picture stretched to fill it or unscaled at its top-left corner;
// raises MouseDown, MouseMove and Click (press and release over it).
class PictureWidget : public QWidget {
  public:
    PictureWidget(QWidget* parent, bool stretch, Raise raise);
    void setPicture(QImage picture);
    const QImage& picture() const { return picture_; }
    // An unstretched picture is drawn at this fraction of its size (a scaled-down show).
    void setScale(double scale);
    // Its size in the screen's device pixels, twice its size on a screen scaled by 2: a photo
    // decoded at this size is as sharp as the screen allows.
    QSize deviceSize() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    bool stretch_;
    Raise raise_;
    QImage picture_;
    double scale_ = 1.0;
    bool pressed_ = false;
};

// Button: raises Click; Enter and Return press it like Space does.
class ButtonWidget : public QPushButton {
  public:
    ButtonWidget(QWidget* parent, Raise raise);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Spin: two arrows side by side; the left one raises SpinDown, the right one SpinUp.
// With the focus, Left/Down and Right/Up do the same.
class SpinWidget : public QWidget {
  public:
    SpinWidget(QWidget* parent, QColor arrows, QColor face, Raise raise);

    QRect downArrow() const;
    QRect upArrow() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class Arrow { None, Down, Up };
    void drawArrow(QPainter& painter, QRect box, Arrow arrow) const;

    QColor arrows_;
    QColor face_;
    Raise raise_;
    Arrow pressed_ = Arrow::None;
};

}  // namespace pelandra::qt
