// What a message box leaves behind: the dialog it was opened from must take the next click.
#include <gtest/gtest.h>
#include <windows.h>

#include "dialog/dialog_design.h"
#include "platform/win32/win32_platform.h"

namespace pelandra::win32 {
namespace {

class NullSink : public EventSink {
  public:
    void handle(std::string_view, std::string_view, EventKind) override {}
};

constexpr wchar_t kTitle[] = L"Message box test";

// Runs inside the box's own modal loop: closes it as a user pressing Enter would.
void CALLBACK pressEnterInBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND box = FindWindowW(L"#32770", kTitle)) {
        KillTimer(nullptr, timer);
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(box, WM_KEYUP, VK_RETURN, 0);
    }
}

TEST(ModalBox, GivesTheDialogBackItsFocusActivationAndMouse) {
    Win32Platform platform(GetModuleHandleW(nullptr));
    NullSink sink;
    platform.createForm(dialog::settingsDesign(), sink);
    platform.showForm("frmSSSettings");
    FormWindow* dialog = platform.form("frmSSSettings");
    ASSERT_NE(dialog, nullptr);
    const HWND help = dialog->controlWindow("SSCommand5");
    SetFocus(help);
    SetCapture(help);  // as a button holds the mouse while its click is delivered

    const UINT_PTR timer = SetTimer(nullptr, 0, 50, pressEnterInBox);
    platform.messageBox(u"Some help.", u"Message box test");
    KillTimer(nullptr, timer);

    EXPECT_EQ(FindWindowW(L"#32770", kTitle), nullptr);
    EXPECT_TRUE(IsWindowEnabled(dialog->hwnd()));
    EXPECT_EQ(GetActiveWindow(), dialog->hwnd());
    EXPECT_EQ(GetFocus(), help);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace pelandra::win32
