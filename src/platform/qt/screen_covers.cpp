#include "screen_covers.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "platform/qt/window_system.h"

namespace pelandra::qt {

CoverWindow::CoverWindow(QScreen* screen, std::function<void(EventKind)> onInput)
    : raise_(std::move(onInput)) {
    setObjectName(QStringLiteral("screenCover"));
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setCursor(hiddenPointer());
    fill(screen);
}

void CoverWindow::present(QScreen* screen) {
    showFullScreen();
    fill(screen);  // set again: without a window manager nothing else places it
    raise();
}

void CoverWindow::fill(QScreen* screen) {
    placeOnScreen(*this, screen);
}

void CoverWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    raise_(EventKind::KeyDown);
}

void CoverWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    raise_(EventKind::MouseDown);
}

void CoverWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    raise_(EventKind::MouseMove);
}

ShowBackdrop::ShowBackdrop(QScreen* screen, QWidget& show, std::function<void(EventKind)> onInput)
    : CoverWindow(screen, std::move(onInput)), show_(show) {
    setObjectName(QStringLiteral("showBackdrop"));
    setTitle(show.windowTitle());
    setIcon(show.windowIcon());
}

void ShowBackdrop::closeEvent(QCloseEvent* event) {
    // A close from the window system is one of the show's: it asks the show, and goes with it.
    if (!show_.close()) event->ignore();
}

ScreenCovers::ScreenCovers(QWidget& show, std::function<void(EventKind)> onInput)
    : show_(show), raise_(std::move(onInput)) {
    // Covers are plain windows, which later Qt releases count among those that keep the
    // program running once its own window closed: they go as soon as that one is hidden.
    show_.installEventFilter(this);
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this] { update(); });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { update(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { update(); });
    if (compositorPlacesWindows()) app->installEventFilter(this);
    update();
}

bool ScreenCovers::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &show_ && type == QEvent::Hide) {
        showEnded_ = true;
        covers_.clear();
        return false;
    }
    if ((type != QEvent::Enter && type != QEvent::MouseMove) || !watched->isWindowType()) {
        return false;
    }
    const auto* pointer = static_cast<QSinglePointEvent*>(event);
    const QPointF where = pointer->globalPosition();
    if (type == QEvent::Enter && lastPointer_ && *lastPointer_ != where) {
        QWindow* show = show_.windowHandle();
        bool onShow = show != nullptr && (watched == show || watched == show->parent());
        for (const auto& [screen, cover] : covers_) onShow = onShow || cover.get() == watched;
        // The move the window missed, for whatever is under the pointer there to take.
        if (onShow) {
            QCoreApplication::postEvent(
                watched, new QMouseEvent(QEvent::MouseMove, pointer->position(), where,
                                         Qt::NoButton, pointer->buttons(), pointer->modifiers()));
        }
    }
    lastPointer_ = where;
    return false;
}

ScreenCovers::~ScreenCovers() = default;

CoverWindow* ScreenCovers::coverOf(QScreen* screen) const {
    const auto found = covers_.find(screen);
    return found == covers_.end() ? nullptr : found->second.get();
}

void ScreenCovers::update() {
    if (showEnded_) return;
    const QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    for (auto it = covers_.begin(); it != covers_.end();) {
        if (it->first == primary || !screens.contains(it->first)) {
            it = covers_.erase(it);
        } else {
            ++it;
        }
    }
    for (QScreen* screen : screens) {
        if (screen == primary || covers_.count(screen) != 0) continue;
        auto cover = std::make_unique<CoverWindow>(screen, raise_);
        cover->setProperty("_q_showWithoutActivating", true);  // the show keeps the keyboard
        cover->present(screen);
        // A screen that moves or changes size keeps its cover.
        connect(screen, &QScreen::geometryChanged, cover.get(),
                [cover = cover.get(), screen] { cover->fill(screen); });
        covers_.emplace(screen, std::move(cover));
    }
}

}  // namespace pelandra::qt
