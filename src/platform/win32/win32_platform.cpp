#include "platform/win32/win32_platform.h"

#include <cmath>

#include "platform/pixel_geometry.h"
#include "platform/runtime_error.h"
#include "platform/win32/dpi.h"
#include "platform/win32/folder_reader.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

// Per session, so that each signed-in user runs their own show.
constexpr wchar_t kInstanceLockName[] = L"Local\\PelandraOmnariumScreenSaver";

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

}  // namespace

Text argumentsOf(std::wstring_view line) {
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        at = line.find(L'"', 1);
        at = at == std::wstring_view::npos ? line.size() : at + 1;
    }
    while (at < line.size() && !isBlank(line[at])) ++at;
    while (at < line.size() && isBlank(line[at])) ++at;
    return fromWide(line.substr(at));
}

Win32Platform::Win32Platform(HINSTANCE instance, PictureWorker::Decode decode)
    : instance_(instance), decoder_(std::move(decode), [this](std::string_view name) {
          FormWindow* built = form(name);
          return built ? built->hwnd() : nullptr;
      }) {
    startPictureDecoding();
    FormWindow::registerClasses(instance_);
    ScreenCovers::registerClass(instance_);
}

Win32Platform::~Win32Platform() {
    covers_.reset();
    forms_.clear();
    if (instanceLock_) CloseHandle(instanceLock_);
}

int Win32Platform::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        bool handled = false;
        for (const auto& form : forms_) {
            // Tab, Enter and Space work in the dialog as users expect of one.
            if (form->hwnd() && form->isDialog() && IsDialogMessageW(form->hwnd(), &message)) {
                handled = true;
                break;
            }
        }
        if (handled) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

FormWindow* Win32Platform::form(std::string_view name) {
    for (const auto& form : forms_) {
        if (form->name() == name) return form.get();
    }
    return nullptr;
}

FormWindow& Win32Platform::formNamed(std::string_view name) {
    FormWindow* found = form(name);
    if (!found || !found->hwnd()) throw RuntimeError::invalidArgument();
    return *found;
}

// --- Process ----------------------------------------------------------------------------

Text Win32Platform::commandLine() {
    return argumentsOf(GetCommandLineW());
}

bool Win32Platform::enterPreview(uint64_t parentWindow) {
    if (parentWindow == 0 || parentWindow > UINTPTR_MAX) return false;
    const HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(parentWindow));
    if (!IsWindow(parent)) return false;
    previewParent_ = parent;
    return true;
}

std::optional<HostSize> Win32Platform::hostWindow() {
    if (!previewParent_ || !IsWindow(previewParent_)) return std::nullopt;
    RECT client{};
    GetClientRect(previewParent_, &client);
    // In design pixels, as the core lays out in them; the preview draws at the host's DPI.
    const double scale = scaleForDpi(dpiOf(previewParent_));
    const auto unscaled = [scale](LONG pixels) { return int32_t(std::lround(pixels / scale)); };
    return HostSize{unscaled(client.right - client.left), unscaled(client.bottom - client.top)};
}

bool Win32Platform::previousInstance() {
    if (!instanceLock_) instanceLock_ = CreateMutexW(nullptr, FALSE, kInstanceLockName);
    return instanceLock_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

int32_t Win32Platform::showCursor(bool show) {
    return ShowCursor(show ? TRUE : FALSE);
}

void Win32Platform::endProcess(int status) {
    ExitProcess(static_cast<UINT>(status));
}

void Win32Platform::printError(TextView line) {
    const std::wstring text = wide(line) + L"\r\n";
    OutputDebugStringW(text.c_str());
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE) return;
    const std::string utf8 = toUtf8(line) + "\n";
    DWORD written = 0;
    WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// --- Windows ----------------------------------------------------------------------------

void Win32Platform::createForm(const FormDesign& design, EventSink& sink) {
    auto built = std::make_unique<FormWindow>(design, sink, instance_, previewParent_, [this] {
        if (--liveForms_ == 0) PostQuitMessage(0);
    });
    ++liveForms_;
    built->onPictureDecoded([this](WPARAM job) -> std::string {
        auto outcome = decoder_.take(job);
        if (!outcome) return {};
        const auto finished =
            pictures_.finished(job, std::move(outcome->failure),
                               std::shared_ptr<const Picture>(std::move(outcome->picture)));
        return finished ? finished->control : std::string();
    });
    forms_.push_back(std::move(built));
}

void Win32Platform::showForm(std::string_view form) {
    formNamed(form).show();
}

ScreenSize Win32Platform::screenSize() {
    // The primary screen, in twips at its DPI: that of the show's window, which is on it.
    UINT dpi = systemDpi();
    for (const auto& built : forms_) {
        if (built->isFullScreen() && built->hwnd()) dpi = built->dpi();
    }
    return twipsOf({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                   scaleForDpi(dpi));
}

void Win32Platform::maximiseForm(std::string_view form) {
    formNamed(form).maximise();
}

void Win32Platform::setGeometry(std::string_view form, std::string_view control, Twips where) {
    formNamed(form).setGeometry(control, where);
}

void Win32Platform::setVisible(std::string_view form, std::string_view control, bool visible) {
    formNamed(form).setVisible(control, visible);
}

void Win32Platform::setCaption(std::string_view form, std::string_view control, TextView caption) {
    formNamed(form).setCaption(control, caption);
}

void Win32Platform::setTimerInterval(std::string_view form, std::string_view control,
                                     int32_t milliseconds) {
    formNamed(form).setTimerInterval(control, milliseconds);
}

void Win32Platform::preparePicture(std::string_view form, std::string_view control, TextView path) {
    FormWindow* built = this->form(form);
    if (!built || !built->hwnd())
        return pictures_.refuse(form, control, RuntimeError::invalidArgument());
    try {
        const Fit fit = built->pictureFit(control);
        pictures_.prepare(form, control, path, {fit.width, fit.height, fit.stretch});
    } catch (const RuntimeError& error) {
        pictures_.refuse(form, control, error);
    }
}

bool Win32Platform::pictureReady(std::string_view form, std::string_view control) {
    return pictures_.ready(form, control);
}

void Win32Platform::showPreparedPicture(std::string_view form, std::string_view control) {
    FormWindow& built = formNamed(form);
    built.setPicture(control,
                     std::static_pointer_cast<const Picture>(pictures_.picture(form, control)));
}

void Win32Platform::messageBox(TextView prompt, TextView title) {
    HWND owner = nullptr;
    for (auto form = forms_.rbegin(); form != forms_.rend() && !owner; ++form) {
        owner = (*form)->hwnd();
    }
    // Once the box is closed its owner gets activation and the keyboard focus back (on the
    // control that had it) and no window keeps the mouse captured, whatever the box's own
    // Enter or click left behind: the next click on the owner must reach its buttons.
    const HWND focus = GetFocus();
    MessageBoxW(owner, wide(prompt).c_str(), wide(title).c_str(), MB_OK);
    if (GetCapture()) ReleaseCapture();
    if (!owner || !IsWindow(owner)) return;
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
    SetFocus(focus && IsWindow(focus) && IsChild(owner, focus) ? focus : owner);
}

void Win32Platform::coverOtherScreens(std::string_view form) {
    FormWindow& window = formNamed(form);
    // Input on a cover is input on the show's own surface.
    covers_ = std::make_unique<ScreenCovers>(
        instance_, [&window](EventKind kind, POINT at) { window.raiseOwnEvent(kind, at); });
}

void Win32Platform::fitToHost(std::string_view form, HostFit fit) {
    formNamed(form).fitToHost(fit);
}

void Win32Platform::showNotice(std::string_view form, TextView text, Twips where) {
    formNamed(form).showNotice(text, where);
}

// --- Text, settings, files --------------------------------------------------------------

Text Win32Platform::upperCase(TextView text) {
    std::wstring upper = wide(text);
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return fromWide(upper);
}

Text Win32Platform::getSetting(TextView app, TextView section, TextView key, TextView fallback) {
    return readSetting(app, section, key, fallback);
}

void Win32Platform::saveSetting(TextView app, TextView section, TextView key, TextView value) {
    writeSetting(app, section, key, value);
}

std::unique_ptr<DirectoryReader> Win32Platform::openDirectory(TextView folder) {
    return openFolder(folder);
}

}  // namespace pelandra::win32
