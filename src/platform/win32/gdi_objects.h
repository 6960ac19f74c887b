// Owners for the GDI and USER handles the windows draw with, so that every exit path,
// an exception included, gives them back.
#pragma once

#include <windows.h>

#include <utility>

namespace pelandra::win32 {

// A font, brush, pen or bitmap, deleted with DeleteObject.
template <typename Handle>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;

// An icon loaded with LoadImage, destroyed with DestroyIcon.
class Icon {
  public:
    Icon() = default;
    explicit Icon(HICON handle) : handle_(handle) {}
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    ~Icon() { reset(); }

    HICON get() const { return handle_; }
    void reset(HICON handle = nullptr) {
        if (handle_) DestroyIcon(handle_);
        handle_ = handle;
    }

  private:
    HICON handle_ = nullptr;
};

// An object selected into a device context for one scope, the old one put back after.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { SelectObject(dc_, old_); }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory device context compatible with `dc`.
class MemoryDc {
  public:
    explicit MemoryDc(HDC dc) : dc_(CreateCompatibleDC(dc)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_) DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(hwnd_, &paint_); }
    HDC dc() const { return dc_; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace pelandra::win32
