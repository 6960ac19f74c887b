// The screens a full-screen show does not use, covered in black while it runs.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/platform.h"

class QScreen;

namespace pelandra::qt {

// A plain black, borderless, top-most window over one screen, without a pointer; its input
// is passed on to `onInput`.
class CoverWindow : public QWidget {
  public:
    CoverWindow(QScreen* screen, std::function<void(EventKind)> onInput);
    void fill(QScreen* screen);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::function<void(EventKind)> raise_;
};

// Every screen but the primary one, covered for as long as this lives, following screens
// that appear, vanish or become the primary one.
class ScreenCovers : public QObject {
  public:
    explicit ScreenCovers(std::function<void(EventKind)> onInput);
    ~ScreenCovers() override;
    size_t count() const { return covers_.size(); }
    CoverWindow* coverOf(QScreen* screen) const;

  private:
    void update();

    std::function<void(EventKind)> raise_;
    std::map<QScreen*, std::unique_ptr<CoverWindow>> covers_;
};

}  // namespace pelandra::qt
