// The design tables as real Windows controls, and their events as the core receives them.
#include "platform/win32/form_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_design.h"
#include "message_pump.h"
#include "platform/runtime_error.h"
#include "platform/win32/dpi.h"
#include "show/show_design.h"

namespace pelandra::win32 {
namespace {

struct Event {
    std::string control;
    EventKind kind;
    bool operator==(const Event&) const = default;
};

class RecordingSink : public EventSink {
  public:
    void handle(std::string_view, std::string_view control, EventKind kind) override {
        events.push_back({std::string(control), kind});
    }
    std::vector<Event> events;
};

std::wstring classOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring textOf(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

RECT placeOf(HWND hwnd) {  // relative to the parent's client area
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LPARAM clientPoint(HWND hwnd, POINT screen) {
    ScreenToClient(hwnd, &screen);
    return MAKELPARAM(screen.x, screen.y);
}

class Forms : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { FormWindow::registerClasses(GetModuleHandleW(nullptr)); }
    void SetUp() override {
        // Wine asks the X server where the pointer is only now and then; put it where Wine
        // thinks it is, so that a still pointer reads the same all through a test.
        POINT at{};
        GetCursorPos(&at);
        SetCursorPos(at.x, at.y);
    }
    std::unique_ptr<FormWindow> build(const FormDesign& design, HWND preview = nullptr) {
        return std::make_unique<FormWindow>(design, sink, GetModuleHandleW(nullptr), preview,
                                            [this] { ++destroyed; });
    }
    RecordingSink sink;
    int destroyed = 0;
};

TEST_F(Forms, TheDialogsControlsAreRealWindowsWithTheirTexts) {
    auto form = build(dialog::settingsDesign());
    const struct {
        const char* control;
        const wchar_t* windowClass;
        const wchar_t* text;
        RECT place;  // pixels in the parent
    } cases[] = {
        {"pnlSSaver", L"Static", L"", {0, 0, 417, 297}},
        {"Label7", L"Static", L"The Pelandra Omnarium", {120, 16, 353, 41}},
        {"Label9", L"Static", L"Select the photo delay:", {40, 216, 201, 241}},
        {"panInterval", L"Static", L"1 Second", {272, 216, 366, 233}},
        {"SpinInterval", UPDOWN_CLASSW, L"", {208, 216, 273, 233}},
        {"SSCommand4", L"Button", L"Set", {24, 248, 145, 273}},
        {"SSCommand6", L"Button", L"Exit", {144, 248, 265, 273}},
        {"SSCommand5", L"Button", L"Help", {264, 248, 385, 273}},
    };
    for (const auto& c : cases) {
        const HWND hwnd = form->controlWindow(c.control);
        ASSERT_NE(hwnd, nullptr) << c.control;
        EXPECT_EQ(classOf(hwnd), c.windowClass) << c.control;
        EXPECT_EQ(textOf(hwnd), c.text) << c.control;
        const RECT place = placeOf(hwnd);
        EXPECT_EQ(place.left, c.place.left) << c.control;
        EXPECT_EQ(place.top, c.place.top) << c.control;
        EXPECT_EQ(place.right, c.place.right) << c.control;
        EXPECT_EQ(place.bottom, c.place.bottom) << c.control;
    }
    EXPECT_TRUE(GetWindowLongW(form->controlWindow("SpinInterval"), GWL_STYLE) & UDS_HORZ);
    RECT client{};
    GetClientRect(form->hwnd(), &client);
    EXPECT_EQ(client.right, 415);
    EXPECT_EQ(client.bottom, 296);
}

TEST_F(Forms, FontsByTheirOwnNamesAtTheirPointSizes) {
    auto form = build(dialog::settingsDesign());
    const struct {
        const char* control;
        const wchar_t* face;
        LONG height;  // pixels at 96 dots an inch, as a character height
        LONG weight;
    } cases[] = {
        {"Label7", L"MS Sans Serif", -16, FW_BOLD},       // 12 points
        {"Label9", L"MS Sans Serif", -13, FW_BOLD},       // 9.75 points
        {"panInterval", L"MS Sans Serif", -11, FW_BOLD},  // 8.25 points
        {"SSCommand4", L"System", -13, FW_BOLD},
    };
    for (const auto& c : cases) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(form->controlWindow(c.control), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << c.control;
        LOGFONTW logFont{};
        GetObjectW(font, sizeof(logFont), &logFont);
        EXPECT_STREQ(logFont.lfFaceName, c.face) << c.control;
        EXPECT_EQ(logFont.lfHeight, c.height) << c.control;
        EXPECT_EQ(logFont.lfWeight, c.weight) << c.control;
    }
}

TEST_F(Forms, MovedToAMonitorOfAnotherDpiTheDialogIsLaidOutAgainAtIt) {
    // What Windows sends as a window moves between monitors: first the size it wants at the
    // new DPI, then the DPI with the rectangle to take.
    const struct {
        UINT dpi;
        SIZE client;
        RECT help;          // SSCommand5 in the panel
        LONG label7Height;  // 12 points
    } cases[] = {
        // Small enough for the 800 x 600 test screen, which a larger window may not pass.
        {144, {623, 444}, {396, 372, 578, 410}, -24},
        {120, {519, 370}, {330, 310, 481, 341}, -20},
        {96, {415, 296}, {264, 248, 385, 273}, -16},
    };
    auto dialog = build(dialog::settingsDesign());
    const auto style = DWORD(GetWindowLongPtrW(dialog->hwnd(), GWL_STYLE));
    const auto exStyle = DWORD(GetWindowLongPtrW(dialog->hwnd(), GWL_EXSTYLE));
    for (const auto& c : cases) {
        SIZE asked{};
        ASSERT_TRUE(SendMessageW(dialog->hwnd(), kGetDpiScaledSizeMessage, c.dpi,
                                 reinterpret_cast<LPARAM>(&asked)));
        RECT designed{0, 0, c.client.cx, c.client.cy};
        adjustFrameForDpi(designed, style, exStyle, c.dpi);
        EXPECT_EQ(asked.cx, designed.right - designed.left) << c.dpi;
        EXPECT_EQ(asked.cy, designed.bottom - designed.top) << c.dpi;
        // Wine draws the title bar at its own DPI whatever the message says: the rectangle
        // suggested has the client area asked for inside that title bar.
        RECT suggested{0, 0, c.client.cx, c.client.cy};
        adjustFrameForDpi(suggested, style, exStyle, dpiOf(dialog->hwnd()));
        OffsetRect(&suggested, 40 - suggested.left, 30 - suggested.top);
        SendMessageW(dialog->hwnd(), kDpiChangedMessage, MAKEWPARAM(c.dpi, c.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT window{};
        GetWindowRect(dialog->hwnd(), &window);
        EXPECT_TRUE(EqualRect(&window, &suggested)) << c.dpi;
        RECT client{};
        GetClientRect(dialog->hwnd(), &client);
        EXPECT_EQ(client.right, c.client.cx) << c.dpi;
        EXPECT_EQ(client.bottom, c.client.cy) << c.dpi;
        const RECT help = placeOf(dialog->controlWindow("SSCommand5"));
        EXPECT_TRUE(EqualRect(&help, &c.help)) << c.dpi << ": " << help.left << ", " << help.top
                                               << ", " << help.right << ", " << help.bottom;
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(
                       SendMessageW(dialog->controlWindow("Label7"), WM_GETFONT, 0, 0)),
                   sizeof(font), &font);
        EXPECT_EQ(font.lfHeight, c.label7Height) << c.dpi;
    }
}

TEST_F(Forms, ButtonsAndSpinArrowsReportByName) {
    auto form = build(dialog::settingsDesign());
    const HWND spin = form->controlWindow("SpinInterval");
    RECT arrows{};
    GetClientRect(spin, &arrows);
    const LPARAM left = MAKELPARAM(arrows.right / 4, arrows.bottom / 2);
    const LPARAM right = MAKELPARAM(arrows.right * 3 / 4, arrows.bottom / 2);
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, left);
    SendMessageW(spin, WM_LBUTTONUP, 0, left);
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, right);
    SendMessageW(spin, WM_LBUTTONUP, 0, right);
    SendMessageW(spin, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(spin, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(form->controlWindow("SSCommand4"), BM_CLICK, 0, 0);
    SendMessageW(form->controlWindow("SSCommand5"), BM_CLICK, 0, 0);
    EXPECT_EQ(sink.events, (std::vector<Event>{
                               {"SpinInterval", EventKind::SpinDown},
                               {"SpinInterval", EventKind::SpinUp},
                               {"SpinInterval", EventKind::SpinDown},
                               {"SpinInterval", EventKind::SpinUp},
                               {"SSCommand4", EventKind::Click},
                               {"SSCommand5", EventKind::Click},
                           }));
}

TEST_F(Forms, OnlyRealPointerMovementCounts) {
    auto form = build(show::form1Design());
    const HWND photo = form->controlWindow("Image1");
    POINT still{};
    GetCursorPos(&still);
    const POINT moved{still.x + 5, still.y + 3};
    SendMessageW(form->hwnd(), WM_MOUSEMOVE, 0, clientPoint(form->hwnd(), still));  // appeared
    SendMessageW(photo, WM_MOUSEMOVE, 0, clientPoint(photo, still));
    SendMessageW(form->hwnd(), WM_MOUSEMOVE, 0, clientPoint(form->hwnd(), moved));
    SendMessageW(form->hwnd(), WM_MOUSEMOVE, 0, clientPoint(form->hwnd(), moved));  // shown
    SendMessageW(photo, WM_MOUSEMOVE, 0, clientPoint(photo, moved));
    EXPECT_EQ(sink.events, (std::vector<Event>{{"Form1", EventKind::MouseMove},
                                               {"Image1", EventKind::MouseMove}}));
}

TEST_F(Forms, InputFromACoverIsTheWindowSurfaces) {
    auto form = build(show::form1Design());
    POINT still{};
    GetCursorPos(&still);
    form->raiseOwnEvent(EventKind::MouseMove, still);  // a cover appeared under the pointer
    form->raiseOwnEvent(EventKind::MouseMove, {still.x + 900, still.y});
    form->raiseOwnEvent(EventKind::MouseDown, {});
    form->raiseOwnEvent(EventKind::KeyDown, {});
    // The surface itself saw the pointer last where the cover did: no second move there.
    SendMessageW(form->hwnd(), WM_MOUSEMOVE, 0,
                 clientPoint(form->hwnd(), {still.x + 900, still.y}));
    EXPECT_EQ(sink.events, (std::vector<Event>{{"Form1", EventKind::MouseMove},
                                               {"Form1", EventKind::MouseDown},
                                               {"Form1", EventKind::KeyDown}}));
}

TEST_F(Forms, PanelsKeepThePointerFromTheWindowBeneath) {
    auto form = build(show::form1Design());
    for (const char* control : {"SSPanel1", "panYear", "Image2", "Image1"}) {
        const HWND hwnd = form->controlWindow(control);
        RECT area{};
        GetWindowRect(hwnd, &area);
        const LPARAM centre =
            MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
        EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, centre), HTCLIENT) << control;
    }
    SendMessageW(form->controlWindow("panYear"), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(form->controlWindow("Image1"), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(form->controlWindow("Image1"), WM_LBUTTONUP, 0, 0);
    SendMessageW(form->hwnd(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(sink.events, (std::vector<Event>{{"Image1", EventKind::MouseDown},
                                               {"Image1", EventKind::Click},
                                               {"Form1", EventKind::KeyDown}}));
}

TEST_F(Forms, ClosingReportsQueryUnloadThenUnload) {
    auto form = build(show::form1Design());
    SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(sink.events, (std::vector<Event>{{"Form1", EventKind::QueryUnload},
                                               {"Form1", EventKind::Unload}}));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(form->hwnd(), nullptr);
}

TEST_F(Forms, TheTimerTicksByName) {
    auto form = build(show::form1Design());
    form->setTimerInterval("Timer1", 10);
    ASSERT_TRUE(testing::pumpUntil([&] { return !sink.events.empty(); }, 5000));
    EXPECT_EQ(sink.events[0], (Event{"Timer1", EventKind::Timer}));
}

TEST_F(Forms, PicturesMeetOnlyPictureControls) {
    auto form = build(show::form1Design());
    const Fit photo = form->pictureFit("Image1");
    EXPECT_EQ(photo.width, 777);
    EXPECT_EQ(photo.height, 473);
    EXPECT_TRUE(photo.stretch);
    EXPECT_FALSE(form->pictureFit("Image2").stretch);
    EXPECT_THROW(form->pictureFit("panYear"), RuntimeError);
    EXPECT_THROW(form->setPicture("NoSuchControl", nullptr), RuntimeError);
    EXPECT_THROW(form->setCaption("NoSuchControl", u"x"), RuntimeError);
}

TEST_F(Forms, APreviewFillsItsHostThroughTheFitAndEndsWithIt) {
    HWND host = CreateWindowW(L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    RECT hostClient{0, 0, 200, 150};
    AdjustWindowRect(&hostClient, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(host, nullptr, 0, 0, hostClient.right - hostClient.left,
                 hostClient.bottom - hostClient.top, SWP_NOMOVE | SWP_NOZORDER);
    auto form = build(show::form1Design(), host);
    form->fitToHost({0.25, 0, 0});
    EXPECT_EQ(GetParent(form->hwnd()), host);
    EXPECT_TRUE(GetWindowLongW(form->hwnd(), GWL_STYLE) & WS_CHILD);
    RECT client{};
    GetClientRect(form->hwnd(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    const RECT frame = placeOf(form->controlWindow("SSPanel1"));
    EXPECT_EQ(frame.right - frame.left, 198);  // 793 pixels at a quarter
    const auto font =
        reinterpret_cast<HFONT>(SendMessageW(form->controlWindow("panYear"), WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    GetObjectW(font, sizeof(logFont), &logFont);
    EXPECT_EQ(logFont.lfHeight, -3);  // 13 pixels at a quarter
    // Input is passed on as ever: leaving it to the host is the core's rule.
    SendMessageW(form->hwnd(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(sink.events, (std::vector<Event>{{"Form1", EventKind::KeyDown}}));
    DestroyWindow(host);  // the preview goes with its host
    EXPECT_EQ(destroyed, 1);
}

TEST_F(Forms, ANoticeIsDrawnAboveThePhotoAndTakenAway) {
    auto form = build(show::form1Design());
    form->showNotice(u"Unable to find photographs!\r\n\r\nInsert the disc.",
                     {1500, 1500, 6000, 1500});
    const HWND notice = form->noticeWindow();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(textOf(notice), L"Unable to find photographs!\r\n\r\nInsert the disc.");
    EXPECT_TRUE(GetWindowLongW(notice, GWL_STYLE) & WS_VISIBLE);
    const RECT place = placeOf(notice);
    EXPECT_EQ(place.left, 100);
    EXPECT_EQ(place.top, 100);
    EXPECT_EQ(place.right, 500);
    EXPECT_EQ(place.bottom, 200);
    EXPECT_EQ(GetWindow(form->hwnd(), GW_CHILD), notice);  // first in z-order: above all
    form->showNotice(u"", {});
    EXPECT_EQ(form->noticeWindow(), nullptr);
    EXPECT_FALSE(IsWindow(notice));
}

}  // namespace
}  // namespace pelandra::win32
