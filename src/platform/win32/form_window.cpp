#include "platform/win32/form_window.h"

#include "platform/pixel_geometry.h"
#include "platform/runtime_error.h"
#include "platform/win32/assets.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form_internals.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

using namespace form_internals;

namespace {

RECT fitted(const PixelRect& layout, const HostFit& fit, bool onWindow) {
    const PixelRect place = fitRect(layout, fit, onWindow);
    return {place.left, place.top, place.left + place.width, place.top + place.height};
}

}  // namespace

FormWindow::FormWindow(const FormDesign& design, EventSink& sink, HINSTANCE instance,
                       HWND previewParent, std::function<void()> destroyed)
    : design_(design),
      sink_(&sink),
      instance_(instance),
      previewParent_(previewParent),
      destroyed_(std::move(destroyed)) {
    backBrush_.reset(CreateSolidBrush(colourRef(design.backColour)));
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    // A preview draws at its host's DPI; a window of its own at its monitor's, known once
    // it exists: until then, the system's.
    dpi_ = previewParent_ ? dpiOf(previewParent_) : systemDpi();
    RECT frame{0, 0, pixelsOf(design.clientWidth, scale()), pixelsOf(design.clientHeight, scale())};
    if (previewParent_) {
        style |= WS_CHILD;
        frame = clientOf(previewParent_);
    } else if (design.style == WindowStyle::FullScreen) {
        style |= WS_POPUP;
        exStyle |= WS_EX_TOPMOST;
    } else {
        style |= WS_OVERLAPPEDWINDOW;
        exStyle |= WS_EX_CONTROLPARENT;
        frame = centredFrame(frame.right, frame.bottom);
    }
    const std::wstring caption = wide(design.caption);
    CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, frame.left, frame.top,
                    frame.right - frame.left, frame.bottom - frame.top, previewParent_, nullptr,
                    instance_, this);
    if (!hwnd_) throw RuntimeError::outOfMemory();
    if (!previewParent_ && dpiOf(hwnd_) != dpi_) {
        dpi_ = dpiOf(hwnd_);
        if (isDialog()) {
            frame = centredFrame(pixelsOf(design.clientWidth, scale()),
                                 pixelsOf(design.clientHeight, scale()));
            SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    GetCursorPos(&lastPointer_);
    try {
        createControls();
        addTooltips();
        loadIcons();
        if (previewParent_) SetTimer(hwnd_, kParentWatchTimer, kParentWatchMilliseconds, nullptr);
    } catch (...) {
        destroyed_ = nullptr;  // never counted as a window
        release();
        throw;
    }
}

FormWindow::~FormWindow() {
    release();
}

void FormWindow::release() {
    sink_ = nullptr;  // the core may be gone already: no Unload from here
    if (hwnd_) DestroyWindow(hwnd_);
    // Only once the windows are gone is nothing left drawing with these.
    notice_ = nullptr;  // went with the window
    controls_.clear();
    fonts_.clear();
    noticeFont_.reset();
    noticeBrush_.reset();
    backBrush_.reset();
    bigIcon_.reset();
    smallIcon_.reset();
}

RECT FormWindow::centredFrame(LONG clientWidth, LONG clientHeight) const {
    const DWORD style = WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, clientWidth, clientHeight};
    adjustFrameForDpi(frame, style, WS_EX_CONTROLPARENT, dpi_);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    const LONG left = work.left + (work.right - work.left - width) / 2;
    const LONG top = work.top + (work.bottom - work.top - height) / 2;
    return {left, top, left + width, top + height};
}

void FormWindow::loadIcons() {
    const int icon = iconAsset(design_.icon);
    if (!icon) return;
    // At the window's DPI; the icons replaced go once the window has let go of them.
    const auto load = [&](int width, int height) {
        return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(icon), IMAGE_ICON,
                                             systemMetricForDpi(width, dpi_),
                                             systemMetricForDpi(height, dpi_), 0));
    };
    const HICON big = load(SM_CXICON, SM_CYICON);
    const HICON little = load(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    bigIcon_.reset(big);
    smallIcon_.reset(little);
}

// --- Operations the core asks for -----------------------------------------------------

void FormWindow::show() {
    ShowWindow(hwnd_, previewParent_ ? SW_SHOWNA : SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    if (previewParent_) return;
    SetForegroundWindow(hwnd_);
    HWND first = isDialog() ? GetNextDlgTabItem(hwnd_, nullptr, FALSE) : nullptr;
    SetFocus(first ? first : hwnd_);
}

void FormWindow::maximise() {
    if (previewParent_) {
        const RECT host = clientOf(previewParent_);
        SetWindowPos(hwnd_, nullptr, 0, 0, host.right, host.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    // The primary screen, above everything.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                 GetSystemMetrics(SM_CYSCREEN), SWP_NOACTIVATE);
}

void FormWindow::setGeometry(std::string_view control, Twips where) {
    Control* target = find(control);
    if (!target) throw RuntimeError::invalidArgument();
    target->where = where;
    if (!target->hwnd) return;
    const RECT place = placeOf(*target);
    MoveWindow(target->hwnd, place.left, place.top, place.right - place.left,
               place.bottom - place.top, TRUE);
}

void FormWindow::fitToHost(const HostFit& fit) {
    if (!previewParent_) throw RuntimeError::invalidArgument();
    fit_ = fit;
    const RECT host = clientOf(previewParent_);
    SetWindowPos(hwnd_, nullptr, 0, 0, host.right, host.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    relayout();
}

void FormWindow::dpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    if (design_.style == WindowStyle::FullScreen) {
        maximise();  // still the whole screen, in its new pixels
    } else {
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    loadIcons();
    relayout();
    for (const auto& control : controls_) loadDesignPicture(*control);
}

SIZE FormWindow::frameSizeAt(UINT dpi) const {
    // The client area as designed, at the new DPI; one resized by the user keeps its size
    // in design pixels.
    const RECT client = clientOf(hwnd_);
    const bool asDesigned = client.right == pixelsOf(design_.clientWidth, scale()) &&
                            client.bottom == pixelsOf(design_.clientHeight, scale());
    const double newScale = scaleForDpi(dpi);
    RECT frame{0, 0,
               asDesigned ? pixelsOf(design_.clientWidth, newScale)
                          : LONG(MulDiv(client.right, int(dpi), int(dpi_))),
               asDesigned ? pixelsOf(design_.clientHeight, newScale)
                          : LONG(MulDiv(client.bottom, int(dpi), int(dpi_)))};
    adjustFrameForDpi(frame, DWORD(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                      DWORD(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void FormWindow::relayout() {
    for (const auto& control : controls_) {
        if (!control->hwnd) continue;
        const RECT place = placeOf(*control);
        MoveWindow(control->hwnd, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, TRUE);
    }
    applyFonts();
    if (notice_) {
        const Text text = noticeText_;
        showNotice(u"", {});  // made again in the new font
        showNotice(text, noticeWhere_);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormWindow::showNotice(TextView text, const Twips& where) {
    if (text.empty()) {
        if (notice_) DestroyWindow(notice_);
        notice_ = nullptr;
        return;
    }
    const RECT place = fitted(pixelsOf(where, scale()), atScale(fit_, scale()), true);
    if (!notice_) {
        notice_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 0, 0,
                                  hwnd_, nullptr, instance_, nullptr);
        if (!notice_) throw RuntimeError::outOfMemory();
        noticeBrush_.reset(CreateSolidBrush(colourRef(kNoticeBack)));
        noticeFont_.reset(CreateFontW(-fontPixelHeight(kNoticeFont.points, fontScale()), 0, 0, 0,
                                      kNoticeFont.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                      wideAscii(kNoticeFont.name).c_str()));
        SendMessageW(notice_, WM_SETFONT, reinterpret_cast<WPARAM>(noticeFont_.get()), FALSE);
    }
    noticeText_ = Text(text);
    noticeWhere_ = where;
    SetWindowTextW(notice_, wide(text).c_str());
    SetWindowPos(notice_, HWND_TOP, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void FormWindow::setVisible(std::string_view control, bool visible) {
    const HWND target = control == name() ? hwnd_ : controlWindow(control);
    if (!target) throw RuntimeError::invalidArgument();
    ShowWindow(target, visible ? SW_SHOWNA : SW_HIDE);
}

void FormWindow::setCaption(std::string_view control, TextView caption) {
    const HWND target = control == name() ? hwnd_ : controlWindow(control);
    if (!target) throw RuntimeError::invalidArgument();
    SetWindowTextW(target, wide(caption).c_str());
}

void FormWindow::setTimerInterval(std::string_view control, int32_t milliseconds) {
    const Control* timer = find(control);
    if (!timer || timer->design->kind != ControlKind::Timer) {
        throw RuntimeError::invalidArgument();
    }
    if (milliseconds <= 0) {
        KillTimer(hwnd_, timer->id);
    } else {
        SetTimer(hwnd_, timer->id, static_cast<UINT>(milliseconds), nullptr);
    }
}

// --- The pictures shown (painted by paintPicture) ----------------------------------------

void FormWindow::onPictureDecoded(std::function<std::string(WPARAM job)> decoded) {
    pictureDecoded_ = std::move(decoded);
}

Fit FormWindow::pictureFit(std::string_view control) const {
    const Control* target = find(control);
    if (!target || !target->hwnd || target->design->kind != ControlKind::Picture) {
        throw RuntimeError::invalidArgument();
    }
    return fitFor(*target);
}

void FormWindow::setPicture(std::string_view control, std::shared_ptr<const Picture> picture) {
    Control* target = find(control);
    if (!target || !target->hwnd) throw RuntimeError::invalidArgument();
    target->picture = std::move(picture);
    target->pictureFromCore = true;
    InvalidateRect(target->hwnd, nullptr, FALSE);
}

std::shared_ptr<const Picture> FormWindow::picture(std::string_view control) const {
    const Control* target = find(control);
    return target ? target->picture : nullptr;
}

Fit FormWindow::fitFor(const Control& control) const {
    const RECT client = clientOf(control.hwnd);
    return {client.right, client.bottom, stretches(control)};
}

bool FormWindow::stretches(const Control& control) const {
    // A fitted preview shrinks the whole design, and a screen of another DPI grows it, its
    // unscaled pictures included.
    return control.design->stretch || fit_.scale != 1 || dpi_ != kDefaultDpi;
}

// --- Lookup and units -----------------------------------------------------------------

HWND FormWindow::controlWindow(std::string_view control) const {
    const Control* found = find(control);
    return found ? found->hwnd : nullptr;
}

FormWindow::Control* FormWindow::find(std::string_view control) {
    for (const auto& c : controls_) {
        if (c->design->name == control) return c.get();
    }
    return nullptr;
}

const FormWindow::Control* FormWindow::find(std::string_view control) const {
    for (const auto& c : controls_) {
        if (c->design->name == control) return c.get();
    }
    return nullptr;
}

FormWindow::Control* FormWindow::find(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (const auto& c : controls_) {
        if (c->hwnd == hwnd) return c.get();
    }
    return nullptr;
}

FormWindow::Control* FormWindow::findId(UINT_PTR id) {
    for (const auto& c : controls_) {
        if (c->id == id) return c.get();
    }
    return nullptr;
}

RECT FormWindow::placeOf(const Control& control) const {
    return fitted(pixelsOf(control.where, scale()), atScale(fit_, scale()), control.onWindow);
}

}  // namespace pelandra::win32
