// The screens a full-screen show does not use, covered in black while it runs.
#pragma once

#include <QPointF>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "platform/qt/black_window.h"

class QScreen;
class QWidget;

namespace pelandra::qt {

// A plain black, borderless, top-most window full screen on one screen, without a pointer;
// its input is passed on to `onInput`.
class CoverWindow : public BlackWindow {
  public:
    CoverWindow(QScreen* screen, std::function<void(EventKind)> onInput);
    // Shows it full screen on `screen`.
    void present(QScreen* screen);
    void fill(QScreen* screen);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::function<void(EventKind)> raise_;
};

// The primary screen's cover, under the full-screen show's window, which then needs to be
// no larger than its controls. Closing it closes the show.
class ShowBackdrop : public CoverWindow {
  public:
    ShowBackdrop(QScreen* screen, QWidget& show, std::function<void(EventKind)> onInput);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget& show_;
};

// Every screen but the primary one, covered for as long as this lives and `show` is not
// hidden, following screens that appear, vanish or become the primary one. On Wayland the
// move that takes the pointer onto a cover or the show's window from another window brings
// it only an enter event, where X11 brings a move too: there it counts as a move.
class ScreenCovers : public QObject {
  public:
    ScreenCovers(QWidget& show, std::function<void(EventKind)> onInput);
    ~ScreenCovers() override;
    size_t count() const { return covers_.size(); }
    CoverWindow* coverOf(QScreen* screen) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void update();

    QWidget& show_;
    bool showEnded_ = false;
    std::function<void(EventKind)> raise_;
    std::optional<QPointF> lastPointer_;  // where the program last saw the pointer
    std::map<QScreen*, std::unique_ptr<CoverWindow>> covers_;
};

}  // namespace pelandra::qt
