// The backend contract's cases (tests/platform/conformance.h) against the Windows backend.
#include "platform/conformance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "message_pump.h"
#include "platform/picture_conformance.h"
#include "platform/win32/form_window.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "test_files.h"

namespace pelandra::win32 {
namespace {

using namespace pelandra::testing::conformance;

class Conformance : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { FormWindow::registerClasses(GetModuleHandleW(nullptr)); }
    std::unique_ptr<FormWindow> build() {
        return std::make_unique<FormWindow>(kDesign, recorder, GetModuleHandleW(nullptr), nullptr,
                                            [] {});
    }
    Recorder recorder;
};

void click(HWND target, LONG x, LONG y) {
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void perform(FormWindow& form, std::string_view control, Gesture gesture) {
    const HWND target = control == kForm ? form.hwnd() : form.controlWindow(control);
    ASSERT_NE(target, nullptr) << control;
    RECT client{};
    GetClientRect(target, &client);
    const LONG x = client.right / 2;
    const LONG y = client.bottom / 2;
    switch (gesture) {
        case Gesture::Press:
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            break;
        case Gesture::Click:
            if (control != kForm && form.controlWindow(control) &&
                SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) {
                SendMessageW(target, BM_CLICK, 0, 0);  // a button clicks on its own terms
                break;
            }
            click(target, x, y);
            break;
        case Gesture::Move: {
            // Somewhere the pointer has not been: only real movement counts.
            POINT pointer{};
            GetCursorPos(&pointer);
            POINT inside{x, y};
            ClientToScreen(target, &inside);
            const LONG shift = inside.x == pointer.x && inside.y == pointer.y ? 1 : 0;
            SendMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(x + shift, y));
            break;
        }
        case Gesture::Key:
            SendMessageW(target, WM_KEYDOWN, 'A', 0);
            break;
        case Gesture::ClickLeftHalf:
            click(target, client.right / 4, y);
            break;
        case Gesture::ClickRightHalf:
            click(target, client.right * 3 / 4, y);
            break;
        case Gesture::ArrowLeft:
            SendMessageW(target, WM_KEYDOWN, VK_LEFT, 0);
            break;
        case Gesture::ArrowRight:
            SendMessageW(target, WM_KEYDOWN, VK_RIGHT, 0);
            break;
    }
}

TEST_F(Conformance, EachKindRaisesItsEvents) {
    for (const auto& c : kEventCases) {
        recorder.raised.clear();
        auto form = build();
        perform(*form, c.control, c.gesture);
        EXPECT_EQ(recorder.raised, c.raised) << c.name;
    }
}

TEST_F(Conformance, TwipsArePixelsAtFifteenEachRounded) {
    auto form = build();
    for (const auto& c : kPlaceCases) {
        const HWND control = form->controlWindow(c.control);
        RECT place{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, c.place.left) << c.control;
        EXPECT_EQ(place.top, c.place.top) << c.control;
        EXPECT_EQ(place.right - place.left, c.place.width) << c.control;
        EXPECT_EQ(place.bottom - place.top, c.place.height) << c.control;
    }
}

TEST_F(Conformance, FontsAtTheirPointSizes) {
    auto form = build();
    for (const auto& c : kFontCases) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(form->controlWindow(c.control), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << c.control;
        LOGFONTW logFont{};
        GetObjectW(font, sizeof(logFont), &logFont);
        EXPECT_EQ(logFont.lfHeight, -c.pixels) << c.control;
        EXPECT_EQ(logFont.lfWeight, c.bold ? FW_BOLD : FW_NORMAL) << c.control;
    }
}

TEST_F(Conformance, FocusMovesByTabIndex) {
    auto form = build();
    std::vector<std::string> order;
    const HWND first = GetNextDlgTabItem(form->hwnd(), nullptr, FALSE);
    for (HWND hwnd = first; hwnd && order.size() < 10;) {
        for (const auto& control : kControls) {
            if (form->controlWindow(control.name) == hwnd) order.emplace_back(control.name);
        }
        hwnd = GetNextDlgTabItem(form->hwnd(), hwnd, FALSE);
        if (hwnd == first) break;
    }
    EXPECT_EQ(order, kTabOrder);
}

class Win32Pictures : public PictureDriver {
  public:
    Win32Pictures() {
        DeleteFileW(nameOf(0).c_str());
        DeleteFileW(nameOf(1).c_str());
        platform_.createForm(kDesign, recorder_);
    }
    ~Win32Pictures() override { lock(false); }
    Platform& platform() override { return platform_; }
    Text path(int file) override { return fromWide(nameOf(file)); }
    void write(Content content, int file) override {
        using testing::readBytes;
        ASSERT_TRUE(testing::writeBytes(
            nameOf(file),
            contentBytes(content, {readBytes(PELANDRA_ASSETS_DIR L"dialog-logo.jpg"),
                                   readBytes(PELANDRA_TEST_DATA_DIR L"progressive.jpg"),
                                   readBytes(PELANDRA_TEST_DATA_DIR L"multi-scan.jpg"),
                                   readBytes(PELANDRA_ASSETS_DIR L"title.bmp"),
                                   readBytes(PELANDRA_TEST_DATA_DIR L"corner.jpg")})));
    }
    // Held open by another without sharing, as a program writing it would.
    bool lock(bool locked) override {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(held_, INVALID_HANDLE_VALUE));
        if (locked) {
            held_ = CreateFileW(nameOf(0).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        }
        return !locked || held_ != INVALID_HANDLE_VALUE;
    }
    bool waitReady(std::string_view control) override {
        return testing::pumpUntil([&] { return platform_.pictureReady(kForm, control); }, 60000);
    }
    int readyEvents() override {
        testing::pumpFor(200);
        return recorder_.pictureReadyCount();
    }
    std::optional<std::vector<Corner>> redCorners() override {
        const auto shown = platform_.form(kForm)->picture("picture");
        if (!shown) return std::vector<Corner>{};
        BITMAP info{};
        GetObjectW(shown->bitmap(), sizeof(info), &info);
        const auto* bits = static_cast<const uint32_t*>(info.bmBits);
        return redCornersOf(shown->width(), shown->height(),
                            [&](int x, int y) { return bits[y * shown->width() + x]; });
    }

  private:
    static std::wstring nameOf(int file) {
        return PELANDRA_TEST_DATA_DIR L"conformance" + std::to_wstring(file) + L".jpg";
    }
    Recorder recorder_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
    Win32Platform platform_{GetModuleHandleW(nullptr)};  // last: its worker stops first
};

PELANDRA_PICTURE_TABLE(Pictures, Win32Pictures);

}  // namespace
}  // namespace pelandra::win32
