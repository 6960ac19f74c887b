#include "control_widgets.h"

#include <qdrawutil.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionFocusRect>

namespace pelandra::qt {

// --- CaptionWidget -----------------------------------------------------------------------

CaptionWidget::CaptionWidget(QWidget* parent, bool centred) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoMousePropagation);
    setMouseTracking(true);
}

void CaptionWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void CaptionWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void CaptionWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

// --- PictureWidget -----------------------------------------------------------------------

PictureWidget::PictureWidget(QWidget* parent, bool stretch, Raise raise)
    : QWidget(parent), stretch_(stretch), raise_(std::move(raise)) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoMousePropagation);
    setMouseTracking(true);
}

void PictureWidget::setPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void PictureWidget::setScale(double scale) {
    scale_ = scale;
    update();
}

QSize PictureWidget::deviceSize() const {
    const double ratio = devicePixelRatioF();
    return {qRound(width() * ratio), qRound(height() * ratio)};
}

void PictureWidget::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretch_) {
        painter.drawImage(rect(), picture_);
    } else if (scale_ != 1.0) {
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(picture_.size()) * scale_), picture_);
    } else {
        painter.drawImage(QPoint(0, 0), picture_);
    }
}

void PictureWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = true;
    raise_(EventKind::MouseDown);
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) raise_(EventKind::Click);
}

void PictureWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    raise_(EventKind::MouseMove);
}

// --- ButtonWidget ------------------------------------------------------------------------

ButtonWidget::ButtonWidget(QWidget* parent, Raise raise) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    setAttribute(Qt::WA_NoMousePropagation);
    connect(this, &QPushButton::clicked, this,
            [raise = std::move(raise)] { raise(EventKind::Click); });
}

void ButtonWidget::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// --- SpinWidget --------------------------------------------------------------------------

SpinWidget::SpinWidget(QWidget* parent, QColor arrows, QColor face, Raise raise)
    : QWidget(parent), arrows_(arrows), face_(face), raise_(std::move(raise)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_NoMousePropagation);
}

QRect SpinWidget::downArrow() const {
    return {0, 0, width() / 2, height()};
}

QRect SpinWidget::upArrow() const {
    return {width() / 2, 0, width() - width() / 2, height()};
}

void SpinWidget::drawArrow(QPainter& painter, QRect box, Arrow arrow) const {
    qDrawShadePanel(&painter, box, palette(), pressed_ == arrow, 1, nullptr);
    painter.fillRect(box.adjusted(1, 1, -1, -1), face_);
    const int half = qMax(2, qMin(box.height(), box.width()) / 3);
    const QPoint centre = box.center() + (pressed_ == arrow ? QPoint(1, 1) : QPoint(0, 0));
    const int tip = arrow == Arrow::Down ? -half / 2 - 1 : half / 2 + 1;
    const int back = -tip;
    QPolygon triangle;
    triangle << QPoint(centre.x() + tip, centre.y()) << QPoint(centre.x() + back, centre.y() - half)
             << QPoint(centre.x() + back, centre.y() + half);
    painter.setPen(Qt::NoPen);
    painter.setBrush(arrows_);
    painter.drawPolygon(triangle);
}

void SpinWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawArrow(painter, downArrow(), Arrow::Down);
    drawArrow(painter, upArrow(), Arrow::Up);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void SpinWidget::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const bool down = downArrow().contains(event->position().toPoint());
    pressed_ = down ? Arrow::Down : Arrow::Up;
    update();
    raise_(down ? EventKind::SpinDown : EventKind::SpinUp);
}

void SpinWidget::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = Arrow::None;
    update();
}

void SpinWidget::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void SpinWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            raise_(EventKind::SpinDown);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            raise_(EventKind::SpinUp);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace pelandra::qt
