// The show's pictures decoded on the picture worker's thread while the window's thread goes
// on delivering input, the next one decoded ahead and kept while its file is unchanged.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "message_pump.h"
#include "platform/conformance.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "show/show_design.h"
#include "test_files.h"

namespace pelandra::win32 {
namespace {

using Event = pelandra::testing::conformance::Raised;
using testing::pumpFor;
using testing::pumpUntil;

const Text kTitle = fromWide(PELANDRA_ASSETS_DIR L"title.bmp");
const Text kLogo = fromWide(PELANDRA_ASSETS_DIR L"dialog-logo.jpg");
constexpr auto kForm = show::kForm;
constexpr auto kPhoto = show::kPhoto;

// A show window on a platform whose decoder a test can hold back and watch.
class ShowPictures : public ::testing::Test {
  protected:
    ShowPictures()
        : release_(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
          entered_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          platform_(GetModuleHandleW(nullptr), [this](TextView path, Fit fit) {
              SetEvent(entered_);
              WaitForSingleObject(release_, 10000);
              {
                  const std::lock_guard lock(mutex_);
                  decoded_.emplace_back(path);
              }
              auto picture = decodePictureFile(path, fit);
              const std::lock_guard lock(mutex_);
              bitmaps_.push_back(picture->bitmap());
              return picture;
          }) {
        platform_.createForm(show::form1Design(), sink_);
    }
    ~ShowPictures() override { SetEvent(release_); }

    void holdDecoding() { ResetEvent(release_); }
    void releaseDecoding() { SetEvent(release_); }
    std::vector<Text> decoded() {
        const std::lock_guard lock(mutex_);
        return decoded_;
    }
    std::vector<HBITMAP> bitmaps() {
        const std::lock_guard lock(mutex_);
        return bitmaps_;
    }
    bool ready() { return platform_.pictureReady(kForm, kPhoto); }
    HWND window() { return platform_.form(kForm)->hwnd(); }
    int failureOfShowing() {
        try {
            platform_.showPreparedPicture(kForm, kPhoto);
        } catch (const RuntimeError& error) {
            return error.number;
        }
        return 0;
    }

    // Handles for the life of the test program: the worker may still be on its way out.
    HANDLE release_;
    HANDLE entered_;  // set as each decode starts
    std::mutex mutex_;
    std::vector<Text> decoded_;
    std::vector<HBITMAP> bitmaps_;
    pelandra::testing::conformance::Recorder sink_;
    Win32Platform platform_;  // last: its worker stops before the rest goes
};

TEST_F(ShowPictures, InputIsDeliveredWhileAPictureDecodes) {
    holdDecoding();
    platform_.preparePicture(kForm, kPhoto, kTitle);
    EXPECT_FALSE(ready());
    PostMessageW(window(), WM_KEYDOWN, 'A', 0);
    PostMessageW(window(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_TRUE(pumpUntil([&] { return sink_.raised.size() == 2; }));
    EXPECT_EQ(sink_.raised,
              (std::vector<Event>{{"Form1", EventKind::KeyDown}, {"Form1", EventKind::MouseDown}}));
    EXPECT_FALSE(ready());

    releaseDecoding();
    ASSERT_TRUE(pumpUntil([&] { return sink_.raised.size() == 3; }));
    EXPECT_EQ(sink_.raised.back(), (Event{"Image1", EventKind::PictureReady}));
    EXPECT_TRUE(ready());
    EXPECT_EQ(failureOfShowing(), 0);
}

TEST_F(ShowPictures, ASupersededPictureIsDroppedAndFreed) {
    holdDecoding();
    platform_.preparePicture(kForm, kPhoto, kTitle);
    ASSERT_EQ(WaitForSingleObject(entered_, 10000), WAIT_OBJECT_0);  // decoding, held back
    platform_.preparePicture(kForm, kPhoto, kLogo);                  // queued behind it
    platform_.preparePicture(kForm, kPhoto, kTitle);  // the first file again: a new job
    releaseDecoding();
    ASSERT_TRUE(pumpUntil([&] { return ready(); }));
    pumpFor(300);  // nothing more arrives
    EXPECT_EQ(sink_.raised, (std::vector<Event>{{"Image1", EventKind::PictureReady}}));
    const auto names = decoded();
    ASSERT_EQ(names.size(), 2u);  // the queued one never ran
    EXPECT_EQ(names[0], kTitle);
    EXPECT_EQ(names[1], kTitle);
    const auto made = bitmaps();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(GetObjectType(made[0]), 0u);  // the superseded picture is gone
    EXPECT_EQ(GetObjectType(made[1]), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(failureOfShowing(), 0);
}

}  // namespace
}  // namespace pelandra::win32
