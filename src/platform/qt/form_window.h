// One window built from its design table, with its controls and timers by name.
#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/qt/host_fit.h"
#include "platform/qt/screen_changes.h"

class QLabel;
class QWindow;

namespace pelandra::qt {

class ShowBackdrop;

class FormWindow : public QWidget {
  public:
    // Builds the window and every control, hidden; timers start at once.
    FormWindow(const FormDesign& design, EventSink& sink);
    ~FormWindow() override;

    const std::string& name() const { return name_; }
    WindowStyle style() const { return style_; }
    // nullptr when the window has no such control (or it is a timer).
    QWidget* control(std::string_view control) const;
    QTimer* timer(std::string_view control) const;

    // Left and top 0 and the whole primary screen (applied when shown); from then on the
    // window raises ScreensChanged after each change of the screens. A full-screen window
    // that is not hosted is then shown on a black backdrop filling the screen, itself only
    // as large as its controls need: the black costs no buffer of the screen's size.
    void maximise();
    // That backdrop once shown, else null.
    QWindow* backdrop() const;
    // Shows the window: full screen and holding the keyboard, or centred as a dialog; a
    // hosted window just appears inside its host.
    void present();
    // Places a control (or, for the window's own name, the window) in twips.
    void place(std::string_view control, const Twips& where);

    // Runs the window inside another program's window (`host`, or none in tests): no
    // frame, not top-most, never taking the keyboard.
    void embed(QWindow* host);
    bool hosted() const { return hosted_; }
    // Covers `area` pixels from the host's top-left corner and draws the layout through
    // `projection`.
    void fitTo(QSize area, const Projection& projection);
    const Projection& projection() const { return projection_; }
    // A message drawn at `where` (twips on the window, fitted like a control); an empty
    // text removes it.
    void setNotice(const QString& text, const Twips& where);
    QLabel* notice() const { return notice_; }
    // Tells the core that the host changed size.
    void hostResized() { raiseEvent(name_, EventKind::HostResized); }
    // Raises an event of the window's own surface (input on the screens' covers).
    void raiseOwnEvent(EventKind kind) { raiseEvent(name_, kind); }
    // A picture the control was waiting for has finished decoding.
    void pictureFinished(std::string_view control) {
        raiseEvent(std::string(control), EventKind::PictureReady);
    }

  protected:
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Control {
        QWidget* widget = nullptr;
        Twips where;
        FontSpec font;
    };

    void build(const ControlDesign& design);
    void applyPlacement(const Control& control);
    bool onBackdrop() const { return maximised_ && !hosted_ && style_ == WindowStyle::FullScreen; }
    // Shrinks the window to its controls (on a backdrop) and moves them to match.
    void fitToControls();
    void placeNotice();
    void orderTabs(const FormDesign& design);
    void raiseEvent(const std::string& control, EventKind kind);
    void coverScreen();
    void presentOnBackdrop();

    EventSink& sink_;
    std::string name_;
    WindowStyle style_;
    bool maximised_ = false;
    bool hosted_ = false;
    Projection projection_;
    QPoint origin_;  // where the window's own top-left corner is on its backdrop
    std::unique_ptr<ShowBackdrop> backdrop_;
    Twips noticeWhere_;
    QLabel* notice_ = nullptr;
    QWidget* firstFocus_ = nullptr;
    std::map<std::string, Control, std::less<>> controls_;
    std::map<std::string, QTimer*, std::less<>> timers_;
    std::unique_ptr<ScreenChanges> screenChanges_;
};

}  // namespace pelandra::qt
