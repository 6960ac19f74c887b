#include "screen_changes.h"

#include <QGuiApplication>
#include <QScreen>

namespace pelandra::qt {

namespace {

// Long enough for one xrandr or output change to arrive whole, far below a second.
constexpr int kSettleMs = 100;

}  // namespace

ScreenChanges::ScreenChanges(std::function<void()> changed) : changed_(std::move(changed)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { changed_(); });
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        settle_.start();
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { settle_.start(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { settle_.start(); });
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
}

void ScreenChanges::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { settle_.start(); });
}

}  // namespace pelandra::qt
