#include "form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "platform/qt/control_widgets.h"
#include "platform/qt/design_style.h"
#include "platform/qt/qt_text.h"

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
    if (!design.font.name.empty()) widget.setFont(fontOf(design.font));
}

QImage designPicture(std::string_view asset) {
    if (asset.empty()) return {};
    QImageReader reader(assetPath(asset));
    return reader.read();
}

bool takesFocus(const ControlDesign& design) {
    return design.tabIndex >= 0 &&
           (design.kind == ControlKind::Button || design.kind == ControlKind::Spin);
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
    resize(pixels(design.clientWidth), pixels(design.clientHeight));

    if (style_ == WindowStyle::FullScreen) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setFocusPolicy(Qt::StrongFocus);  // keys reach the window whatever is under them
        setMouseTracking(true);
    }
    for (const ControlDesign& control : design.controls) build(control);
    orderTabs(design);
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
    widget->setGeometry(pixelRect(design.geometry));
    if (!design.tooltip.empty()) widget->setToolTip(toQString(design.tooltip));
    if (!takesFocus(design)) widget->setFocusPolicy(Qt::NoFocus);
    widget->setHidden(!design.visible);
    controls_.emplace(name, widget);
}

void FormWindow::orderTabs(const FormDesign& design) {
    std::vector<const ControlDesign*> focusable;
    for (const ControlDesign& control : design.controls) {
        if (takesFocus(control)) focusable.push_back(&control);
    }
    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const ControlDesign* control : focusable) {
        QWidget* widget = this->control(control->name);
        if (previous != nullptr) setTabOrder(previous, widget);
        previous = widget;
    }
    if (!focusable.empty()) firstFocus_ = this->control(focusable.front()->name);
}

QWidget* FormWindow::control(std::string_view control) const {
    const auto found = controls_.find(control);
    return found == controls_.end() ? nullptr : found->second;
}

QTimer* FormWindow::timer(std::string_view control) const {
    const auto found = timers_.find(control);
    return found == timers_.end() ? nullptr : found->second;
}

void FormWindow::coverScreen() {
    // Set explicitly: without a window manager nothing else would size the window.
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
}

void FormWindow::maximise() {
    maximised_ = true;
    move(0, 0);
    if (isVisible()) coverScreen();
}

void FormWindow::present() {
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
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    activateWindow();
    if (firstFocus_ != nullptr) firstFocus_->setFocus(Qt::ActiveWindowFocusReason);
}

void FormWindow::raiseEvent(const std::string& control, EventKind kind) {
    sink_.handle(name_, control, kind);
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
