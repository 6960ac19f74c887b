#include "qt_platform.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/qt/control_widgets.h"
#include "platform/qt/design_style.h"
#include "platform/qt/picture_loader.h"
#include "platform/qt/posix_directory.h"
#include "platform/qt/qt_text.h"
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

}  // namespace

QtPlatform::QtPlatform(int& argc, char** argv)
    : commandLine_(joinArguments(argc, argv)),  // before Qt takes its own options out
      settings_(IniSettings::defaultFile()),
      lockFile_(InstanceLock::defaultPath()) {
    if (QApplication::instance() == nullptr) ownApp_ = std::make_unique<QApplication>(argc, argv);
}

QtPlatform::~QtPlatform() {
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
    return !lock_.acquire(lockFile_);
}

int32_t QtPlatform::showCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    const bool hide = cursorCount_ < 0;
    if (hide && !cursorHidden_) {
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    } else if (!hide && cursorHidden_) {
        QGuiApplication::restoreOverrideCursor();
    }
    cursorHidden_ = hide;
    return cursorCount_;
}

void QtPlatform::endProcess(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

void QtPlatform::printError(TextView line) {
    std::fprintf(stderr, "%s\n", toUtf8(line).c_str());
    std::fflush(stderr);
}

// --- Windows ---------------------------------------------------------------------------

void QtPlatform::createForm(const FormDesign& design, EventSink& sink) {
    windows_[std::string(design.name)] = std::make_unique<FormWindow>(design, sink);
}

void QtPlatform::showForm(std::string_view form) {
    windowFor(form).present();
}

ScreenSize QtPlatform::screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QSize size = screen->geometry().size();
    return {float(size.width() * kTwipsPerPixel), float(size.height() * kTwipsPerPixel)};
}

void QtPlatform::maximiseForm(std::string_view form) {
    windowFor(form).maximise();
}

void QtPlatform::setGeometry(std::string_view form, std::string_view control, Twips where) {
    widgetFor(form, control).setGeometry(pixelRect(where));
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

void QtPlatform::loadPicture(std::string_view form, std::string_view control, TextView path) {
    auto* picture = dynamic_cast<PictureWidget*>(&widgetFor(form, control));
    if (picture == nullptr) throw RuntimeError::invalidArgument();
    picture->setPicture(loadPictureAtSize(toUtf8(path), picture->size()));
}

void QtPlatform::messageBox(TextView prompt, TextView title) {
    QWidget* owner = QApplication::activeWindow();
    for (const auto& [name, window] : windows_) {
        if (owner == nullptr && window->isVisible()) owner = window.get();
    }
    QMessageBox box(owner);
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
    return openPosixDirectory(toUtf8(folder));
}

}  // namespace pelandra::qt
