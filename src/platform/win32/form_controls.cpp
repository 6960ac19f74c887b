// Building a window's controls from its design table: classes, styles, fonts, colours,
// tab order and tooltips.
#include "platform/win32/form_window.h"
// The common controls' headers need windows.h before them.
#include <commctrl.h>

#include "platform/pixel_geometry.h"
#include "platform/runtime_error.h"
#include "platform/tab_order.h"
#include "platform/win32/assets.h"
#include "platform/win32/form_internals.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

using namespace form_internals;

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

void FormWindow::createControls() {
    for (const auto& design : design_.controls) {
        auto control = std::make_unique<Control>();
        control->form = this;
        control->design = &design;
        control->id = kFirstControlId + controls_.size();
        control->lastPointer = lastPointer_;
        control->where = design.geometry;
        control->onWindow = design.parent.empty();
        controls_.push_back(std::move(control));
    }
    // Tab order is creation order; a container comes before what it holds.
    std::vector<Control*> order;
    for (const ControlDesign* design : tabOrder(design_.controls))
        order.push_back(find(design->name));
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
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0) |
                  (takesFocus(design) ? WS_TABSTOP : 0);
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
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::Spin:
            windowClass = UPDOWN_CLASSW;
            style |= UDS_HORZ;
            break;
        case ControlKind::Timer:
            return;
    }
    const std::wstring caption = wide(design.caption);
    const RECT place = placeOf(control);
    control.hwnd =
        CreateWindowExW(exStyle, windowClass, caption.c_str(), style, place.left, place.top,
                        place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(control.id), instance_, &control);
    if (!control.hwnd) throw RuntimeError::outOfMemory();
    control.brush.reset(CreateSolidBrush(colourRef(design.backColour)));
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
    if (!design.picture.empty()) loadDesignPicture(control);
}

void FormWindow::loadDesignPicture(Control& control) {
    // Decoded for the control's size in pixels (again when the DPI changes), unless the
    // core has shown another picture there.
    if (!control.hwnd || control.design->picture.empty() || control.pictureFromCore) return;
    const auto bytes = pictureAsset(instance_, control.design->picture);
    if (bytes.empty()) return;
    control.picture = decodePictureBytes(bytes.data(), bytes.size(), fitFor(control));
    InvalidateRect(control.hwnd, nullptr, FALSE);
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

void FormWindow::applyFonts() {
    // New fonts at the window's DPI and the fit's scale; the old ones go once no control
    // uses them.
    std::vector<Font> old = std::move(fonts_);
    fonts_.clear();
    for (const auto& control : controls_) {
        if (!control->hwnd || control->design->font.points <= 0) continue;
        control->font = fontFor(control->design->font);
        SendMessageW(control->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(control->font), TRUE);
    }
}

HFONT FormWindow::fontFor(const FontSpec& font) {
    const int height = -fontPixelHeight(font.points, fontScale());
    const std::wstring face = wideAscii(font.name);
    Font created(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    const HFONT handle = created.get();
    if (created) fonts_.push_back(std::move(created));
    return handle;
}

}  // namespace pelandra::win32
