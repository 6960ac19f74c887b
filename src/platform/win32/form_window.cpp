#include "platform/win32/form_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/runtime_error.h"
#include "platform/win32/assets.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"PelandraForm";
constexpr wchar_t kPictureClass[] = L"PelandraPicture";
constexpr UINT_PTR kFirstControlId = 100;
constexpr UINT_PTR kParentWatchTimer = 1;  // a preview ends with its host window
constexpr UINT kParentWatchMilliseconds = 250;
constexpr double kDesignWidthPixels = 800;
constexpr double kDesignHeightPixels = 600;

COLORREF colourRef(Colour colour) {
    return colour == kSystemButtonText ? GetSysColor(COLOR_BTNTEXT) : COLORREF{colour};
}

bool reportsPointer(ControlKind kind) {
    return kind == ControlKind::Panel || kind == ControlKind::Label || kind == ControlKind::Picture;
}

RECT clientOf(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return rect;
}

}  // namespace

void FormWindow::registerClasses(HINSTANCE instance) {
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = formProc;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);

    WNDCLASSEXW picture = form;
    picture.lpfnWndProc = pictureProc;
    picture.lpszClassName = kPictureClass;
    RegisterClassExW(&picture);

    INITCOMMONCONTROLSEX common{sizeof(common), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);
}

FormWindow::FormWindow(const FormDesign& design, EventSink& sink, HINSTANCE instance,
                       HWND previewParent, std::function<void()> destroyed)
    : design_(design),
      sink_(&sink),
      instance_(instance),
      previewParent_(previewParent),
      destroyed_(std::move(destroyed)) {
    backBrush_ = CreateSolidBrush(colourRef(design.backColour));
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = 0;
    RECT frame{0, 0, pixelsX(design.clientWidth), pixelsY(design.clientHeight)};
    if (previewParent_) {
        const RECT host = clientOf(previewParent_);
        scaleX_ = (host.right - host.left) / kDesignWidthPixels;
        scaleY_ = (host.bottom - host.top) / kDesignHeightPixels;
        style |= WS_CHILD;
        frame = host;
    } else if (design.style == WindowStyle::FullScreen) {
        style |= WS_POPUP;
        exStyle |= WS_EX_TOPMOST;
    } else {
        style |= WS_OVERLAPPEDWINDOW;
        exStyle |= WS_EX_CONTROLPARENT;
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const LONG width = frame.right - frame.left;
        const LONG height = frame.bottom - frame.top;
        frame.left = work.left + (work.right - work.left - width) / 2;
        frame.top = work.top + (work.bottom - work.top - height) / 2;
        frame.right = frame.left + width;
        frame.bottom = frame.top + height;
    }
    const std::wstring caption = wide(design.caption);
    CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, frame.left, frame.top,
                    frame.right - frame.left, frame.bottom - frame.top, previewParent_, nullptr,
                    instance_, this);
    if (!hwnd_) throw RuntimeError::outOfMemory();
    GetCursorPos(&lastPointer_);
    try {
        createControls();
        addTooltips();
        if (const int icon = iconAsset(design.icon)) {
            bigIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(icon), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), 0));
            smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(icon),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
            SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
            SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
        }
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
    for (HFONT font : fonts_) DeleteObject(font);
    fonts_.clear();
    for (const auto& control : controls_) {
        if (control->brush) DeleteObject(control->brush);
    }
    controls_.clear();
    if (backBrush_) DeleteObject(backBrush_);
    backBrush_ = nullptr;
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = smallIcon_ = nullptr;
}

// --- Building -------------------------------------------------------------------------

void FormWindow::createControls() {
    for (const auto& design : design_.controls) {
        auto control = std::make_unique<Control>();
        control->form = this;
        control->design = &design;
        control->id = kFirstControlId + controls_.size();
        control->lastPointer = lastPointer_;
        controls_.push_back(std::move(control));
    }
    // Tab order is creation order; a container comes before what it holds.
    std::vector<Control*> order;
    for (const auto& control : controls_) order.push_back(control.get());
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        const int left = a->design->tabIndex < 0 ? INT_MAX : a->design->tabIndex;
        const int right = b->design->tabIndex < 0 ? INT_MAX : b->design->tabIndex;
        return left < right;
    });
    size_t created = 0;
    std::vector<bool> done(order.size(), false);
    for (size_t pass = 0; pass <= order.size() && created < order.size(); ++pass) {
        for (size_t i = 0; i < order.size(); ++i) {
            if (done[i]) continue;
            const auto& parent = order[i]->design->parent;
            const Control* holder = parent.empty() ? nullptr : find(parent);
            if (holder && !holder->hwnd) continue;
            createControl(*order[i]);
            done[i] = true;
            ++created;
        }
    }
}

void FormWindow::createControl(Control& control) {
    const ControlDesign& design = *control.design;
    if (design.kind == ControlKind::Timer) {
        if (design.interval > 0) {
            SetTimer(hwnd_, control.id, static_cast<UINT>(design.interval), nullptr);
        }
        return;
    }
    const Control* holder = design.parent.empty() ? nullptr : find(design.parent);
    const HWND parent = holder ? holder->hwnd : hwnd_;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    const wchar_t* windowClass = L"Static";
    switch (design.kind) {
        case ControlKind::Panel:
            // A static control keeps the caption readable by accessibility tools; with
            // SS_NOTIFY it takes its own mouse input instead of passing it through.
            style |= SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | WS_CLIPCHILDREN;
            exStyle |= WS_EX_CONTROLPARENT;
            break;
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOTIFY;
            break;
        case ControlKind::Picture:
            windowClass = kPictureClass;
            break;
        case ControlKind::Button:
            windowClass = L"Button";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Spin:
            windowClass = UPDOWN_CLASSW;
            style |= UDS_HORZ | WS_TABSTOP;
            break;
        case ControlKind::Timer:
            return;
    }
    const std::wstring caption = wide(design.caption);
    control.hwnd =
        CreateWindowExW(exStyle, windowClass, caption.c_str(), style, pixelsX(design.geometry.left),
                        pixelsY(design.geometry.top), pixelsX(design.geometry.width),
                        pixelsY(design.geometry.height), parent,
                        reinterpret_cast<HMENU>(control.id), instance_, &control);
    if (!control.hwnd) throw RuntimeError::outOfMemory();
    control.brush = CreateSolidBrush(colourRef(design.backColour));
    SetWindowSubclass(control.hwnd, controlProc, control.id, reinterpret_cast<DWORD_PTR>(&control));
    if (design.font.points > 0) {
        control.font = fontFor(design.font);
        SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(control.font), FALSE);
    }
    if (design.kind == ControlKind::Spin) {
        // The position never moves, so both arrows always report a step.
        SendMessageW(control.hwnd, UDM_SETRANGE32, 0, 2);
        SendMessageW(control.hwnd, UDM_SETPOS32, 0, 1);
    }
    if (!design.picture.empty()) {
        const auto bytes = pictureAsset(instance_, design.picture);
        if (!bytes.empty())
            control.picture = decodePictureBytes(bytes.data(), bytes.size(), fitFor(control));
    }
}

void FormWindow::addTooltips() {
    HWND tips = nullptr;
    for (const auto& control : controls_) {
        if (control->design->tooltip.empty() || !control->hwnd) continue;
        if (!tips) {
            tips = CreateWindowExW(
                WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
            if (!tips) return;
        }
        std::wstring text = wide(control->design->tooltip);
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(control->hwnd);
        tool.lpszText = text.data();
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

HFONT FormWindow::fontFor(const FontSpec& font) {
    // Points at 96 pixels an inch, the screen the design's 15 twips a pixel stand for.
    const int height = -static_cast<int>(std::lround(font.points * 96 / 72 * scaleY_));
    const std::wstring face = wideAscii(font.name);
    HFONT created = CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (created) fonts_.push_back(created);
    return created;
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
    const Control* target = find(control);
    if (!target) throw RuntimeError::invalidArgument();
    if (!target->hwnd) return;
    MoveWindow(target->hwnd, pixelsX(where.left), pixelsY(where.top), pixelsX(where.width),
               pixelsY(where.height), TRUE);
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
    InvalidateRect(target->hwnd, nullptr, FALSE);
}

HWND FormWindow::controlWindow(std::string_view control) const {
    const Control* found = find(control);
    return found ? found->hwnd : nullptr;
}

// --- Messages ---------------------------------------------------------------------------

LRESULT CALLBACK FormWindow::formProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        if (self->destroyed_) self->destroyed_();
        return DefWindowProcW(hwnd, message, w, l);
    }
    return self ? self->onMessage(message, w, l) : DefWindowProcW(hwnd, message, w, l);
}

LRESULT FormWindow::onMessage(UINT message, WPARAM w, LPARAM l) {
    const bool input = previewParent_ == nullptr;
    switch (message) {
        case WM_ERASEBKGND: {
            const RECT client = clientOf(hwnd_);
            FillRect(reinterpret_cast<HDC>(w), &client, backBrush_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (const Control* control = find(reinterpret_cast<HWND>(l))) {
                return colour(*control, reinterpret_cast<HDC>(w));
            }
            break;
        case WM_COMMAND:
            if (HIWORD(w) == BN_CLICKED) {
                const Control* control = find(reinterpret_cast<HWND>(l));
                if (!control) control = findId(LOWORD(w));  // Enter through the dialog keys
                if (control && control->design->kind == ControlKind::Button) {
                    deliver(control->design->name, EventKind::Click);
                }
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->code == UDN_DELTAPOS) {
                const auto* step = reinterpret_cast<const NMUPDOWN*>(l);
                if (const Control* control = find(header->hwndFrom)) {
                    deliver(control->design->name,
                            step->iDelta < 0 ? EventKind::SpinDown : EventKind::SpinUp);
                }
                return 1;  // keep the position, so both arrows stay live
            }
            break;
        }
        case WM_TIMER:
            if (w == kParentWatchTimer) {
                if (!IsWindow(previewParent_)) DestroyWindow(hwnd_);
            } else if (const Control* timer = findId(w)) {
                deliver(timer->design->name, EventKind::Timer);
            }
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (input) deliver(name(), EventKind::KeyDown);
            if (message == WM_KEYDOWN) return 0;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (input) deliver(name(), EventKind::MouseDown);
            return 0;
        case WM_MOUSEMOVE:
            if (input && pointerMoved(hwnd_, lastPointer_, l)) {
                deliver(name(), EventKind::MouseMove);
            }
            return 0;
        case WM_CLOSE:
            deliver(name(), EventKind::QueryUnload);
            DestroyWindow(hwnd_);
            return 0;
        case WM_QUERYENDSESSION:
            deliver(name(), EventKind::QueryUnload);
            deliver(name(), EventKind::Unload);
            return TRUE;
        case kPictureDecodedMessage:
            if (pictureDecoded_) {
                const std::string control = pictureDecoded_(w);
                if (!control.empty()) deliver(control, EventKind::PictureReady);
            }
            return 0;
        case WM_DESTROY:
            for (const auto& control : controls_) KillTimer(hwnd_, control->id);
            KillTimer(hwnd_, kParentWatchTimer);
            deliver(name(), EventKind::Unload);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, w, l);
}

LRESULT CALLBACK FormWindow::pictureProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    }
    const auto* control = reinterpret_cast<const Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (control && message == WM_PAINT) {
        control->form->paintPicture(*control);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;  // WM_PAINT covers every pixel
    return DefWindowProcW(hwnd, message, w, l);
}

LRESULT CALLBACK FormWindow::controlProc(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                         UINT_PTR subclass, DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, controlProc, subclass);
    auto* control = reinterpret_cast<Control*>(data);
    return control->form->onControlMessage(*control, message, w, l);
}

LRESULT FormWindow::onControlMessage(Control& control, UINT message, WPARAM w, LPARAM l) {
    const HWND hwnd = control.hwnd;
    const ControlKind kind = control.design->kind;
    const bool input = previewParent_ == nullptr;
    const std::string_view controlName = control.design->name;
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            // What a panel's children report belongs to the window.
            if (kind == ControlKind::Panel) return SendMessageW(hwnd_, message, w, l);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (reportsPointer(kind)) {
                control.buttonDown = true;
                if (input) deliver(controlName, EventKind::MouseDown);
                return 0;  // never passed on to the window beneath
            }
            if (kind == ControlKind::Spin && message == WM_LBUTTONDOWN) {
                SetFocus(hwnd);
                control.pressedArrow = GET_X_LPARAM(l) < clientOf(hwnd).right / 2 ? 0 : 1;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (reportsPointer(kind)) {
                if (control.buttonDown && input) deliver(controlName, EventKind::Click);
                control.buttonDown = false;
                return 0;
            }
            if (kind == ControlKind::Spin) {
                control.pressedArrow = -1;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            break;
        case WM_PAINT:
            if (kind == ControlKind::Spin) {
                paintSpin(control);
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
            if (reportsPointer(kind)) {
                if (input && pointerMoved(hwnd, control.lastPointer, l)) {
                    deliver(controlName, EventKind::MouseMove);
                }
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            if (kind == ControlKind::Spin) return DLGC_WANTARROWS;
            break;
        case WM_KEYDOWN:
            if (kind == ControlKind::Spin && input) {
                if (w == VK_LEFT || w == VK_DOWN) {
                    deliver(controlName, EventKind::SpinDown);
                    return 0;
                }
                if (w == VK_RIGHT || w == VK_UP) {
                    deliver(controlName, EventKind::SpinUp);
                    return 0;
                }
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, w, l);
}

void FormWindow::paintPicture(const Control& control) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(control.hwnd, &paint);
    const RECT client = clientOf(control.hwnd);
    FillRect(dc, &client, control.brush);
    if (control.picture) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, control.picture->bitmap());
        const int width = control.picture->width();
        const int height = control.picture->height();
        if (stretches(control) && (width != client.right || height != client.bottom)) {
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, width, height, SRCCOPY);
        } else {
            BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        }
        SelectObject(source, old);
        DeleteDC(source);
    }
    EndPaint(control.hwnd, &paint);
}

void FormWindow::paintSpin(const Control& control) {
    // The arrows in the design's colours (blue on light grey), which the common control
    // cannot take.
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(control.hwnd, &paint);
    const RECT client = clientOf(control.hwnd);
    const LONG middle = client.right / 2;
    HBRUSH arrowBrush = CreateSolidBrush(colourRef(control.design->foreColour));
    HPEN arrowPen = CreatePen(PS_SOLID, 1, colourRef(control.design->foreColour));
    HGDIOBJ oldBrush = SelectObject(dc, arrowBrush);
    HGDIOBJ oldPen = SelectObject(dc, arrowPen);
    for (int arrow = 0; arrow < 2; ++arrow) {
        RECT half = client;
        (arrow == 0 ? half.right : half.left) = middle;
        FillRect(dc, &half, control.brush);
        DrawEdge(dc, &half, control.pressedArrow == arrow ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const LONG size = std::max<LONG>(2, std::min(half.right - half.left, half.bottom) / 4);
        const LONG x = (half.left + half.right) / 2;
        const LONG y = half.bottom / 2;
        const LONG tip = arrow == 0 ? x - size : x + size;
        const LONG base = arrow == 0 ? x + size / 2 : x - size / 2;
        const POINT points[] = {{tip, y}, {base, y - size}, {base, y + size}};
        Polygon(dc, points, 3);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(arrowBrush);
    DeleteObject(arrowPen);
    EndPaint(control.hwnd, &paint);
}

LRESULT FormWindow::colour(const Control& control, HDC dc) const {
    SetTextColor(dc, colourRef(control.design->foreColour));
    SetBkColor(dc, colourRef(control.design->backColour));
    return reinterpret_cast<LRESULT>(control.brush);
}

void FormWindow::deliver(std::string_view control, EventKind kind) {
    if (sink_) sink_->handle(name(), control, kind);
}

bool FormWindow::pointerMoved(HWND surface, POINT& last, LPARAM l) const {
    // Windows sends a move when a window appears under a still pointer (and when the
    // pointer is shown or hidden): only a real change of position counts.
    POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    ClientToScreen(surface, &at);
    if (at.x == last.x && at.y == last.y) return false;
    last = at;
    return true;
}

// --- Lookup and units -----------------------------------------------------------------

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

Fit FormWindow::fitFor(const Control& control) const {
    const RECT client = clientOf(control.hwnd);
    return {client.right, client.bottom, stretches(control)};
}

bool FormWindow::stretches(const Control& control) const {
    // A preview shrinks the whole design, its unscaled pictures included.
    return control.design->stretch || previewParent_ != nullptr;
}

int FormWindow::pixelsX(float twips) const {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel * scaleX_));
}

int FormWindow::pixelsY(float twips) const {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel * scaleY_));
}

}  // namespace pelandra::win32
