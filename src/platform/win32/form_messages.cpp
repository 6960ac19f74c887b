// Translating the window's and its controls' messages into the core's events.
#include "platform/win32/form_window.h"
// The common controls' headers need windows.h before them.
#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/dpi.h"
#include "platform/win32/form_internals.h"

namespace pelandra::win32 {

using namespace form_internals;

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
    switch (message) {
        case WM_ERASEBKGND:
            paintBackground(reinterpret_cast<HDC>(w));
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (const Control* control = find(reinterpret_cast<HWND>(l))) {
                return colour(*control, reinterpret_cast<HDC>(w));
            }
            if (notice_ && reinterpret_cast<HWND>(l) == notice_) {
                return noticeColour(reinterpret_cast<HDC>(w));
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
            deliver(name(), EventKind::KeyDown);
            if (message == WM_KEYDOWN) return 0;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            deliver(name(), EventKind::MouseDown);
            return 0;
        case WM_MOUSEMOVE:
            if (pointerMoved(hwnd_, lastPointer_, l)) {
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
        case kDpiChangedMessage:
            if (previewParent_) break;
            dpiChanged(HIWORD(w), *reinterpret_cast<const RECT*>(l));
            return 0;
        case kGetDpiScaledSizeMessage:
            if (!isDialog()) break;
            *reinterpret_cast<SIZE*>(l) = frameSizeAt(UINT(w));
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
                if (kind == ControlKind::Picture) deliver(controlName, EventKind::MouseDown);
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
                if (control.buttonDown && kind == ControlKind::Picture) {
                    deliver(controlName, EventKind::Click);
                }
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
                if (pointerMoved(hwnd, control.lastPointer, l) && kind == ControlKind::Picture) {
                    deliver(controlName, EventKind::MouseMove);
                }
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            if (kind == ControlKind::Spin) return DLGC_WANTARROWS;
            break;
        case WM_KEYDOWN:
            if (kind == ControlKind::Spin) {
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

void FormWindow::deliver(std::string_view control, EventKind kind) {
    if (sink_) sink_->handle(name(), control, kind);
}

bool FormWindow::pointerMoved(HWND surface, POINT& last, LPARAM l) const {
    POINT at{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    ClientToScreen(surface, &at);
    return pointerMovedTo(at, last);
}

bool FormWindow::pointerMovedTo(POINT at, POINT& last) {
    // Windows sends a move when a window appears under a still pointer (and when the
    // pointer is shown or hidden): only a real change of position counts.
    if (at.x == last.x && at.y == last.y) return false;
    last = at;
    return true;
}

void FormWindow::raiseOwnEvent(EventKind kind, POINT at) {
    if (kind != EventKind::MouseMove || pointerMovedTo(at, lastPointer_)) deliver(name(), kind);
}

}  // namespace pelandra::win32
