// One window built from its design table, with its controls and timers by name.
#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pelandra::qt {

class FormWindow : public QWidget {
  public:
    // Builds the window and every control, hidden; timers start at once.
    FormWindow(const FormDesign& design, EventSink& sink);

    const std::string& name() const { return name_; }
    WindowStyle style() const { return style_; }
    // nullptr when the window has no such control (or it is a timer).
    QWidget* control(std::string_view control) const;
    QTimer* timer(std::string_view control) const;

    // Left and top 0 and the whole primary screen (applied when shown).
    void maximise();
    // Shows the window: full screen and holding the keyboard, or centred as a dialog.
    void present();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build(const ControlDesign& design);
    void orderTabs(const FormDesign& design);
    void raiseEvent(const std::string& control, EventKind kind);
    void coverScreen();

    EventSink& sink_;
    std::string name_;
    WindowStyle style_;
    bool maximised_ = false;
    QWidget* firstFocus_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> controls_;
    std::map<std::string, QTimer*, std::less<>> timers_;
};

}  // namespace pelandra::qt
