#include "form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "platform/pixel_geometry.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/design_style.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/screen_covers.h"
#include "platform/qt/window_system.h"
#include "platform/tab_order.h"

namespace pelandra::qt {

namespace {

void paint(QWidget& widget, const ControlDesign& design) {
    QPalette palette = widget.palette();
    const QColor back = colourOf(design.backColour);
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::Base, back);
    if (design.foreColour != kSystemButtonText) {
        palette.setColor(QPalette::WindowText, colourOf(design.foreColour));
        palette.setColor(QPalette::ButtonText, colourOf(design.foreColour));
    }
    widget.setPalette(palette);
}

QImage designPicture(std::string_view asset) {
    if (asset.empty()) return {};
    QImageReader reader(assetPath(asset));
    return reader.read();
}

}  // namespace

FormWindow::FormWindow(const FormDesign& design, EventSink& sink)
    : sink_(sink), name_(design.name), style_(design.style) {
    setObjectName(QString::fromUtf8(design.name.data(), qsizetype(design.name.size())));
    setWindowTitle(toQString(design.caption));
    if (!design.icon.empty()) setWindowIcon(QIcon(assetPath(design.icon)));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colourOf(design.backColour));
    setPalette(palette);
    setAutoFillBackground(true);
    resize(pixelsOf(design.clientWidth, 1.0), pixelsOf(design.clientHeight, 1.0));

    if (style_ == WindowStyle::FullScreen) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setFocusPolicy(Qt::StrongFocus);  // keys reach the window whatever is under them
        setMouseTracking(true);
    }
    for (const ControlDesign& control : design.controls) build(control);
    orderTabs(design);
}

FormWindow::~FormWindow() {
    // The backdrop owns the window's native window as its child: that goes first.
    if (backdrop_) destroy();
}

QWindow* FormWindow::backdrop() const {
    return backdrop_.get();
}

void FormWindow::build(const ControlDesign& design) {
    const std::string name(design.name);
    if (design.kind == ControlKind::Timer) {
        auto* timer = new QTimer(this);
        timer->setInterval(std::max(0, int(design.interval)));
        connect(timer, &QTimer::timeout, this,
                [this, name] { raiseEvent(name, EventKind::Timer); });
        timer->start();
        timers_.emplace(name, timer);
        return;
    }
    QWidget* parent = design.parent.empty() ? this : control(design.parent);
    if (parent == nullptr) parent = this;
    Raise raise = [this, name](EventKind kind) { raiseEvent(name, kind); };

    QWidget* widget = nullptr;
    switch (design.kind) {
        case ControlKind::Panel:
        case ControlKind::Label: {
            auto* caption = new CaptionWidget(parent, design.kind == ControlKind::Panel);
            caption->setText(toQString(design.caption));
            // A panel inside another panel gets a thin edge so it stands out.
            if (design.kind == ControlKind::Panel && !design.parent.empty()) {
                caption->setFrameStyle(QFrame::Box | QFrame::Plain);
                caption->setLineWidth(1);
            }
            widget = caption;
            break;
        }
        case ControlKind::Picture: {
            auto* picture = new PictureWidget(parent, design.stretch, std::move(raise));
            picture->setPicture(designPicture(design.picture));
            widget = picture;
            break;
        }
        case ControlKind::Button: {
            auto* button = new ButtonWidget(parent, std::move(raise));
            button->setText(toQString(design.caption));
            widget = button;
            break;
        }
        case ControlKind::Spin:
            widget = new SpinWidget(parent, colourOf(design.foreColour),
                                    colourOf(design.backColour), std::move(raise));
            break;
        case ControlKind::Timer:
            return;
    }
    widget->setObjectName(QString::fromUtf8(design.name.data(), qsizetype(design.name.size())));
    paint(*widget, design);
    if (!design.tooltip.empty()) widget->setToolTip(toQString(design.tooltip));
    if (!takesFocus(design)) widget->setFocusPolicy(Qt::NoFocus);
    widget->setHidden(!design.visible);
    const Control& placed = controls_[name] = {widget, design.geometry, design.font};
    applyPlacement(placed);
}

void FormWindow::applyPlacement(const Control& control) {
    const QRect layout = pixelRect(control.where);
    control.widget->setGeometry(control.widget->parentWidget() == this
                                    ? projection_.onWindow(layout).translated(-origin_)
                                    : projection_.inside(layout));
    if (!control.font.name.empty()) {
        control.widget->setFont(fontOf(control.font, projection_.scale));
    }
    if (auto* picture = dynamic_cast<PictureWidget*>(control.widget)) {
        picture->setScale(projection_.scale);
    }
}

void FormWindow::place(std::string_view control, const Twips& where) {
    if (control == name_) {
        if (!hosted_) setGeometry(pixelRect(where));  // a hosted window fills its host
        return;
    }
    const auto found = controls_.find(control);
    if (found == controls_.end()) return;
    found->second.where = where;
    applyPlacement(found->second);
    fitToControls();
}

void FormWindow::fitToControls() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!onBackdrop() || screen == nullptr) return;
    QRect used;
    for (const auto& [name, control] : controls_) {
        if (control.widget->parentWidget() == this) {
            used |= projection_.onWindow(pixelRect(control.where));
        }
    }
    if (notice_ != nullptr) used |= projection_.onWindow(pixelRect(noticeWhere_));
    used &= QRect(QPoint(0, 0), screen->geometry().size());
    if (used.isEmpty()) used = QRect(0, 0, 1, 1);
    const bool moved = used.topLeft() != origin_;
    origin_ = used.topLeft();
    setGeometry(used);  // on the backdrop
    if (!moved) return;
    for (const auto& [name, control] : controls_) applyPlacement(control);
    if (notice_ != nullptr) placeNotice();
}

void FormWindow::orderTabs(const FormDesign& design) {
    QWidget* previous = nullptr;
    for (const ControlDesign* control : tabOrder(design.controls)) {
        if (!takesFocus(*control)) continue;
        QWidget* widget = this->control(control->name);
        if (previous != nullptr) setTabOrder(previous, widget);
        if (previous == nullptr) firstFocus_ = widget;
        previous = widget;
    }
}

QWidget* FormWindow::control(std::string_view control) const {
    const auto found = controls_.find(control);
    return found == controls_.end() ? nullptr : found->second.widget;
}

QTimer* FormWindow::timer(std::string_view control) const {
    const auto found = timers_.find(control);
    return found == timers_.end() ? nullptr : found->second;
}

void FormWindow::coverScreen() {
    if (backdrop_) {
        placeOnScreen(*backdrop_, QGuiApplication::primaryScreen());
    } else {
        placeOnScreen(*this, QGuiApplication::primaryScreen());
    }
}

void FormWindow::maximise() {
    maximised_ = true;
    if (hosted_) return;  // the host's client area is the whole screen there
    if (!screenChanges_) {
        screenChanges_ =
            std::make_unique<ScreenChanges>([this] { raiseOwnEvent(EventKind::ScreensChanged); });
    }
    if (onBackdrop()) {
        fitToControls();
    } else {
        move(0, 0);
    }
    if (isVisible()) coverScreen();
}

void FormWindow::embed(QWindow* host) {
    hosted_ = true;
    // No frame, no stacking above others; inside the root window (a show started with
    // "-root" by hand) no window manager takes it either.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    setFocusPolicy(Qt::NoFocus);
    if (host != nullptr) {
        setAttribute(Qt::WA_NativeWindow);
        winId();  // creates the native window so it can be given its parent
        windowHandle()->setParent(host);
    }
}

void FormWindow::fitTo(QSize area, const Projection& projection) {
    setGeometry(QRect(QPoint(0, 0), area));
    projection_ = projection;
    for (const auto& [name, control] : controls_) applyPlacement(control);
    if (notice_ != nullptr) placeNotice();
}

void FormWindow::setNotice(const QString& text, const Twips& where) {
    if (text.isEmpty()) {
        delete notice_;
        notice_ = nullptr;
        return;
    }
    if (notice_ == nullptr) {
        notice_ = new QLabel(this);
        notice_->setObjectName(QStringLiteral("notice"));
        notice_->setTextFormat(Qt::PlainText);
        notice_->setAlignment(Qt::AlignCenter);
        notice_->setWordWrap(true);
        notice_->setAutoFillBackground(true);
        QPalette palette = notice_->palette();
        palette.setColor(QPalette::Window, colourOf(kNoticeBack));
        palette.setColor(QPalette::WindowText, colourOf(kNoticeText));
        notice_->setPalette(palette);
    }
    notice_->setText(text);
    noticeWhere_ = where;
    placeNotice();
    fitToControls();
    notice_->show();
    notice_->raise();
}

void FormWindow::placeNotice() {
    notice_->setFont(fontOf(kNoticeFont, projection_.scale));
    const int margin = projection_.length(12);
    notice_->setContentsMargins(margin, margin, margin, margin);
    notice_->setGeometry(projection_.onWindow(pixelRect(noticeWhere_)).translated(-origin_));
}

void FormWindow::present() {
    if (hosted_) {
        show();  // never activated, raised or holding the keyboard: the host owns input
        return;
    }
    if (onBackdrop()) {
        presentOnBackdrop();
        setFocus(Qt::ActiveWindowFocusReason);
        grabKeyboard();  // held until the process ends
        return;
    }
    if (style_ == WindowStyle::FullScreen) {
        if (maximised_) {
            coverScreen();
            showFullScreen();
            coverScreen();
        } else {
            show();
        }
        activateWindow();
        raise();
        setFocus(Qt::ActiveWindowFocusReason);
        grabKeyboard();  // held until the process ends
        return;
    }
    // A Wayland compositor places a new window where it sees fit; elsewhere it is centred.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr && !compositorPlacesWindows()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    activateWindow();
    if (firstFocus_ != nullptr) firstFocus_->setFocus(Qt::ActiveWindowFocusReason);
}

void FormWindow::presentOnBackdrop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!backdrop_) {
        backdrop_ = std::make_unique<ShowBackdrop>(screen, *this,
                                                   [this](EventKind kind) { raiseOwnEvent(kind); });
        backdrop_->unsetCursor();  // the show hides the pointer itself, and shows it at the end
        backdrop_->present(screen);
        setAttribute(Qt::WA_NativeWindow);
        winId();  // creates the native window so it can be given its parent
        windowHandle()->setParent(backdrop_.get());
    }
    fitToControls();
    show();
    backdrop_->requestActivate();
}

void FormWindow::raiseEvent(const std::string& control, EventKind kind) {
    sink_.handle(name_, control, kind);
}

void FormWindow::hideEvent(QHideEvent*) {
    if (backdrop_) backdrop_->hide();
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    raiseEvent(name_, EventKind::KeyDown);
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    raiseEvent(name_, EventKind::MouseDown);
}

void FormWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    raiseEvent(name_, EventKind::MouseMove);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    raiseEvent(name_, EventKind::QueryUnload);
    raiseEvent(name_, EventKind::Unload);
    event->accept();
}

}  // namespace pelandra::qt
