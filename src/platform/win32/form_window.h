// One window built from its design table: real child controls, their fonts and colours,
// its timers, and its events sent to the core by name. The work is split by job:
// form_window.cpp the window and the core's operations (the pictures shown included),
// form_controls.cpp building the controls, form_messages.cpp translating messages into
// events, form_painting.cpp drawing what the common controls cannot.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pixel_geometry.h"
#include "platform/platform.h"
#include "platform/win32/gdi_objects.h"
#include "platform/win32/picture_decoder.h"

namespace pelandra::win32 {

class FormWindow {
  public:
    // `previewParent`: run as a child filling that window (drawn through the fit the core
    // gives with fitToHost); nullptr for an ordinary window. `destroyed` runs once the
    // window is gone.
    FormWindow(const FormDesign& design, EventSink& sink, HINSTANCE instance, HWND previewParent,
               std::function<void()> destroyed);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    ~FormWindow();

    static void registerClasses(HINSTANCE instance);

    std::string_view name() const { return design_.name; }
    HWND hwnd() const { return hwnd_; }
    bool isDialog() const { return design_.style == WindowStyle::Dialog && !previewParent_; }
    bool isFullScreen() const {
        return design_.style == WindowStyle::FullScreen && !previewParent_;
    }
    // The dots an inch the window is drawn at: its monitor's (a preview: its host's).
    UINT dpi() const { return dpi_; }
    // The control's own window (nullptr for timers and unknown names).
    HWND controlWindow(std::string_view control) const;

    void show();
    void maximise();
    void setGeometry(std::string_view control, Twips where);
    void setVisible(std::string_view control, bool visible);
    void setCaption(std::string_view control, TextView caption);
    void setTimerInterval(std::string_view control, int32_t milliseconds);
    // An event of the window's own surface from elsewhere (a cover of another monitor);
    // a move counts only when the pointer left `at`, the last place the surface saw it.
    void raiseOwnEvent(EventKind kind, POINT at);
    // A preview: fills the host and draws the layout through `fit`.
    void fitToHost(const HostFit& fit);
    // The window's monitor now has `dpi` (WM_DPICHANGED): it takes `suggested` (a
    // full-screen window the whole screen) and lays itself out again at that DPI.
    void dpiChanged(UINT dpi, const RECT& suggested);
    // The window's size at `dpi` (WM_GETDPISCALEDSIZE): its client area as designed (one
    // the user resized: the same size in design pixels).
    SIZE frameSizeAt(UINT dpi) const;
    // A message over the window at `where`; empty removes it.
    void showNotice(TextView text, const Twips& where);
    HWND noticeWindow() const { return notice_; }

    // The picture worker posts this to the window when a picture it decoded is done
    // (WPARAM: the job); `decoded` names the control it was for, which then reports
    // EventKind::PictureReady, or gives "" when nobody waits for it any more.
    static constexpr UINT kPictureDecodedMessage = WM_APP + 1;
    void onPictureDecoded(std::function<std::string(WPARAM job)> decoded);
    // How a picture meets the control: the size to decode it at.
    Fit pictureFit(std::string_view control) const;
    // Makes `picture` the control's picture and redraws it.
    void setPicture(std::string_view control, std::shared_ptr<const Picture> picture);
    // The control's picture, nullptr when it has none.
    std::shared_ptr<const Picture> picture(std::string_view control) const;

  private:
    struct Control {
        FormWindow* form = nullptr;
        const ControlDesign* design = nullptr;
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        Twips where;           // the layout's place, before any fit
        bool onWindow = true;  // placed on the window itself, not inside another control
        HFONT font = nullptr;  // one of the window's fonts_
        Brush brush;
        std::shared_ptr<const Picture> picture;
        bool pictureFromCore = false;  // the core has shown a picture here: not the design's
        POINT lastPointer{};           // where the pointer was at the last counted move
        bool buttonDown = false;
        int pressedArrow = -1;  // spin: 0 left, 1 right, -1 none
    };

    static LRESULT CALLBACK formProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK pictureProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                        UINT_PTR subclass, DWORD_PTR data);

    // Destroys the window (without telling the core) and frees what it drew with.
    void release();
    void loadIcons();
    // A dialog's frame for a client area of that many pixels, centred on the work area.
    RECT centredFrame(LONG clientWidth, LONG clientHeight) const;
    // Every control placed and its font made again.
    void relayout();

    // Building (form_controls.cpp).
    void createControls();
    void createControl(Control& control);
    void addTooltips();
    HFONT fontFor(const FontSpec& font);
    void loadDesignPicture(Control& control);

    // Messages into events (form_messages.cpp).
    LRESULT onMessage(UINT message, WPARAM w, LPARAM l);
    LRESULT onControlMessage(Control& control, UINT message, WPARAM w, LPARAM l);
    void deliver(std::string_view control, EventKind kind);
    bool pointerMoved(HWND surface, POINT& last, LPARAM l) const;
    static bool pointerMovedTo(POINT at, POINT& last);

    // Painting (form_painting.cpp).
    void paintBackground(HDC dc) const;
    void paintPicture(const Control& control) const;
    void paintSpin(const Control& control) const;
    LRESULT colour(const Control& control, HDC dc) const;
    LRESULT noticeColour(HDC dc) const;

    Control* find(std::string_view control);
    const Control* find(std::string_view control) const;
    Control* find(HWND hwnd);
    Control* findId(UINT_PTR id);
    Fit fitFor(const Control& control) const;
    bool stretches(const Control& control) const;
    // The window's pixels per design pixel, and its fonts' (the fit's shrink included).
    double scale() const { return scaleForDpi(dpi_); }
    double fontScale() const { return fit_.scale * scale(); }
    // Where a control is drawn: its layout place at the window's DPI, through the fit.
    RECT placeOf(const Control& control) const;
    void applyFonts();

    const FormDesign& design_;
    EventSink* sink_;
    HINSTANCE instance_;
    HWND previewParent_;
    std::function<void()> destroyed_;
    std::function<std::string(WPARAM)> pictureDecoded_;
    HWND hwnd_ = nullptr;
    Brush backBrush_;
    Icon bigIcon_;
    Icon smallIcon_;
    HostFit fit_;
    UINT dpi_ = 96;
    HWND notice_ = nullptr;
    Text noticeText_;
    Twips noticeWhere_;
    Font noticeFont_;
    Brush noticeBrush_;
    POINT lastPointer_{};
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<Font> fonts_;
};

}  // namespace pelandra::win32
