#include "qt_platform.h"

#include <unistd.h>

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "control/command_line.h"
#include "platform/linux/files/file_name_text.h"
#include "platform/linux/files/posix_directory.h"
#include "platform/pixel_geometry.h"
#include "platform/qt/control_widgets.h"
#include "platform/qt/design_style.h"
#include "platform/qt/leak_check.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/window_system.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

Text joinArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return fromUtf8(line);
}

// What the arguments and the environment ask for; a settings request never runs hosted.
std::optional<HostRequest> requestedHost(int argc, char** argv, TextView commandLine) {
    if (isSettingsMode(commandLine)) return std::nullopt;
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    return hostRequest(std::getenv("XSCREENSAVER_WINDOW"), arguments);
}

// The host ends a hosted show with SIGTERM (or a user with ^C): nothing needs cleaning up,
// and the host expects a clean status, so end at once with 0.
extern "C" void endOnSignal(int) {
    _exit(0);
}

void endOnTermination() {
    struct sigaction action {};
    action.sa_handler = endOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

QtPlatform::QtPlatform(int& argc, char** argv)
    : commandLine_(joinArguments(argc, argv)),  // before Qt takes its own options out
      settings_(IniSettings::defaultFile()),
      lockFile_(InstanceLock::defaultPath()),
      decoder_([this](PictureDecoder::Job job, std::optional<RuntimeError> failure,
                      DecodedPixels pixels) {
          const auto finished = pictures_.finished(job, std::move(failure), std::move(pixels));
          if (!finished) return;
          if (FormWindow* window = this->window(finished->form)) {
              window->pictureFinished(finished->control);
          }
      }) {
    const auto host = requestedHost(argc, argv, commandLine_);
    if (host && host->kind == HostRequest::Kind::NotAWindow) {
        // A locker on Wayland hands over a token that no X window answers to; a show
        // started full screen instead would cover the locker.
        printError(u"pelandra-saver: XSCREENSAVER_WINDOW is not an X window id; not starting");
        endProcess(1);
    }
    if (host && host->kind == HostRequest::Kind::BadWindowId) {
        printError(
            u"pelandra-saver: -window-id needs an X window id (decimal or 0x hex); "
            u"not starting");
        endProcess(1);
    }
    if (QApplication::instance() == nullptr) {
        // A host window is an X window, even in a session that also offers Wayland.
        if (host && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
        ownApp_ = std::make_unique<QApplication>(argc, argv);
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        destroyWatch_ = std::make_unique<X11DestroyWatch>(
            [this](uintptr_t id, bool destroyed) { windowGone(id, destroyed); });
    }
    if (host) attachToHost(*host);
}

void QtPlatform::windowGone(uintptr_t id, bool destroyed) {
    for (const auto& [name, window] : windows_) {
        const QWindow* backdrop = window->backdrop();
        if (window->internalWinId() != id && (backdrop == nullptr || backdrop->winId() != id)) {
            continue;
        }
        // The show unmapped while the program still shows it: another client took it away.
        // A dialog may be unmapped by a window manager that minimises it.
        const bool show = window->style() == WindowStyle::FullScreen && window->isVisible();
        if (!destroyed && !show) continue;
        closeAndEnd(*window);  // nothing of the window is left to close
    }
}

void QtPlatform::closeAndEnd(FormWindow& window) {
    window.raiseOwnEvent(EventKind::QueryUnload);
    window.raiseOwnEvent(EventKind::Unload);
    endProcess(0);
}

void QtPlatform::endWithDesktopLock() {
    if (isSettingsMode(commandLine_) || hosting_) return;
    desktopLock_ = std::make_unique<DesktopLock>([this](bool locked) {
        if (!locked) return;
        for (const auto& [name, window] : windows_) {
            if (window->style() == WindowStyle::FullScreen) closeAndEnd(*window);
        }
        endProcess(0);  // locked before the show's window was made
    });
}

void QtPlatform::attachToHost(const HostRequest& request) {
    x11Host_ = X11Host::attach(request);
    if (!x11Host_) {
        printError(u"pelandra-saver: no such X window to run in; running full screen");
        return;
    }
    hostWindow_.reset(QWindow::fromWinId(WId(x11Host_->window())));
    x11Host_->onResized([this](QSize size) { followHost(size); });
    x11Host_->onGone([this] { endProcess(0); });
    endOnTermination();
    hostIn(hostWindow_.get(), x11Host_->size());
}

void QtPlatform::hostIn(QWindow* host, QSize hostSize) {
    hosting_ = Hosting{host, hostSize};
}

void QtPlatform::followHost(QSize size) {
    if (!hosting_) return;
    hosting_->size = size;
    for (const auto& [name, window] : windows_) {
        if (window->hosted()) window->hostResized();
    }
}

std::optional<HostSize> QtPlatform::hostWindow() {
    if (!hosting_) return std::nullopt;
    return HostSize{hosting_->size.width(), hosting_->size.height()};
}

HostSize QtPlatform::largestScreen() {
    HostSize largest;
    for (const QScreen* screen : QGuiApplication::screens()) {
        largest.width = std::max(largest.width, int32_t(screen->geometry().width()));
        largest.height = std::max(largest.height, int32_t(screen->geometry().height()));
    }
    return largest;
}

void QtPlatform::fitToHost(std::string_view form, HostFit fit) {
    FormWindow& window = windowFor(form);
    if (!hosting_ || !window.hosted()) throw RuntimeError::invalidArgument();
    window.fitTo(QSize(fit.area.width, fit.area.height), projectionOf(fit));
    if (x11Host_ && window.isVisible()) x11Host_->fill(window.winId(), window.size());
}

void QtPlatform::showNotice(std::string_view form, TextView text, Twips where) {
    const QString shown = toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    windowFor(form).setNotice(shown, where);
}

QtPlatform::~QtPlatform() {
    covers_.reset();
    windows_.clear();
    if (cursorHidden_) QGuiApplication::restoreOverrideCursor();
}

int QtPlatform::run() {
    return QApplication::exec();
}

FormWindow* QtPlatform::window(std::string_view form) const {
    const auto found = windows_.find(form);
    return found == windows_.end() ? nullptr : found->second.get();
}

FormWindow& QtPlatform::windowFor(std::string_view form) const {
    FormWindow* found = window(form);
    if (found == nullptr) throw RuntimeError::invalidArgument();
    return *found;
}

QWidget& QtPlatform::widgetFor(std::string_view form, std::string_view control) const {
    FormWindow& window = windowFor(form);
    if (control == window.name()) return window;
    QWidget* widget = window.control(control);
    if (widget == nullptr) throw RuntimeError::invalidArgument();
    return *widget;
}

// --- Process ---------------------------------------------------------------------------

bool QtPlatform::previousInstance() {
    const InstanceLock::Outcome outcome = lock_.acquire(lockFile_);
    if (outcome == InstanceLock::Outcome::Unsafe) {
        // Another user's file in the way is no reason to refuse the show.
        printError(u"pelandra-saver: running without the single-instance lock (" +
                   fromFileName(lock_.problem()) + u")");
    }
    return outcome == InstanceLock::Outcome::Taken;
}

int32_t QtPlatform::showCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    const bool hide = cursorCount_ < 0;
    if (hide && !cursorHidden_) {
        QGuiApplication::setOverrideCursor(hiddenPointer());
    } else if (!hide && cursorHidden_) {
        QGuiApplication::restoreOverrideCursor();
    }
    cursorHidden_ = hide;
    return cursorCount_;
}

void QtPlatform::endProcess(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    checkForLeaks();
    std::_Exit(status);
}

void QtPlatform::printError(TextView line) {
    std::fprintf(stderr, "%s\n", toUtf8(line).c_str());
    std::fflush(stderr);
}

// --- Windows ---------------------------------------------------------------------------

void QtPlatform::createForm(const FormDesign& design, EventSink& sink) {
    auto window = std::make_unique<FormWindow>(design, sink);
    if (hosting_ && design.style == WindowStyle::FullScreen) {
        window->embed(hosting_->parent);
    }
    windows_[std::string(design.name)] = std::move(window);
}

void QtPlatform::showForm(std::string_view form) {
    FormWindow& window = windowFor(form);
    window.present();
    if (x11Host_ && window.hosted()) x11Host_->fill(window.winId(), window.size());
}

void QtPlatform::coverOtherScreens(std::string_view form) {
    FormWindow& window = windowFor(form);
    // Input on a cover is input on the show's own surface.
    covers_ = std::make_unique<ScreenCovers>(
        window, [&window](EventKind kind) { window.raiseOwnEvent(kind); });
}

ScreenSize QtPlatform::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QSize size = screen->geometry().size();
    return twipsOf({size.width(), size.height()}, 1);
}

void QtPlatform::maximiseForm(std::string_view form) {
    windowFor(form).maximise();
}

void QtPlatform::setGeometry(std::string_view form, std::string_view control, Twips where) {
    widgetFor(form, control);  // an unknown name is an invalid argument
    windowFor(form).place(control, where);
}

void QtPlatform::setVisible(std::string_view form, std::string_view control, bool visible) {
    widgetFor(form, control).setVisible(visible);
}

void QtPlatform::setCaption(std::string_view form, std::string_view control, TextView caption) {
    QWidget& widget = widgetFor(form, control);
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(toQString(caption));
    } else if (auto* button = qobject_cast<QPushButton*>(&widget)) {
        button->setText(toQString(caption));
    } else {
        widget.setWindowTitle(toQString(caption));
    }
}

void QtPlatform::setTimerInterval(std::string_view form, std::string_view control,
                                  int32_t milliseconds) {
    QTimer* timer = windowFor(form).timer(control);
    if (timer == nullptr) throw RuntimeError::invalidArgument();
    timer->start(std::max(0, int(milliseconds)));
}

void QtPlatform::preparePicture(std::string_view form, std::string_view control, TextView path) {
    auto* picture = dynamic_cast<PictureWidget*>(
        window(form) != nullptr ? window(form)->control(control) : nullptr);
    if (picture == nullptr) {
        pictures_.refuse(form, control, RuntimeError::invalidArgument());
        return;
    }
    const QSize size = picture->deviceSize();
    pictures_.prepare(form, control, path, {size.width(), size.height()});
}

bool QtPlatform::pictureReady(std::string_view form, std::string_view control) {
    return pictures_.ready(form, control);
}

void QtPlatform::showPreparedPicture(std::string_view form, std::string_view control) {
    auto* picture = dynamic_cast<PictureWidget*>(&widgetFor(form, control));
    if (picture == nullptr) throw RuntimeError::invalidArgument();
    picture->setPicture(*std::static_pointer_cast<const QImage>(pictures_.picture(form, control)));
}

void QtPlatform::messageBox(TextView prompt, TextView title) {
    QWidget* owner = QApplication::activeWindow();
    for (const auto& [name, window] : windows_) {
        if (owner == nullptr && window->isVisible()) owner = window.get();
    }
    // A show on its backdrop lends the backdrop, its top-level window, to the box.
    auto* form = dynamic_cast<FormWindow*>(owner);
    QWindow* backdrop = form != nullptr ? form->backdrop() : nullptr;
    QMessageBox box(backdrop != nullptr ? nullptr : owner);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(toQString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    // The prompts break their own lines; a label as wide as the longest keeps the box
    // from breaking them again.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        const QFontMetrics metrics(label->font());
        int widest = 0;
        for (const QString& line : box.text().split(u'\n')) {
            widest = std::max(widest, metrics.horizontalAdvance(line));
        }
        label->setMinimumWidth(widest + metrics.averageCharWidth());
    }
    if (owner != nullptr && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    if (backdrop != nullptr) {
        box.winId();  // creates the box's native window to name its parent
        box.windowHandle()->setTransientParent(backdrop);
    }
    // The show holds the keyboard; lend it to the box while it is open.
    QWidget* grabber = QWidget::keyboardGrabber();
    if (grabber != nullptr) grabber->releaseKeyboard();
    // A box has to be answerable with the mouse too, even while the show hides the pointer.
    if (cursorHidden_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (cursorHidden_) QGuiApplication::restoreOverrideCursor();
    if (grabber != nullptr) grabber->grabKeyboard();
}

// --- Text ------------------------------------------------------------------------------

Text QtPlatform::upperCase(TextView text) {
    Text upper(text);
    for (char16_t& unit : upper) unit = QChar(unit).toUpper().unicode();  // keeps positions
    return upper;
}

// --- Settings --------------------------------------------------------------------------

Text QtPlatform::getSetting(TextView, TextView section, TextView key, TextView fallback) {
    return settings_.read(section, key, fallback);
}

void QtPlatform::saveSetting(TextView, TextView section, TextView key, TextView value) {
    settings_.write(section, key, value);
}

// --- Files -----------------------------------------------------------------------------

std::unique_ptr<DirectoryReader> QtPlatform::openDirectory(TextView folder) {
    return openPosixDirectory(toFileName(folder));
}

}  // namespace pelandra::qt
