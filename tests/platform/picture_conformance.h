// What every backend must do with the pictures prepared for a picture control
// (src/platform/README.md), as one table of cases that the fake, the Qt backend and the
// Windows backend each run, making the files with their own means.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/conformance.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace pelandra::testing::conformance {

// What a test file holds.
enum class Content {
    Photo,          // a JPEG
    OtherPhoto,     // another picture, of another size
    NotAPicture,    // text
    HeaderBomb,     // a bitmap header claiming 60000 x 60000 pixels (headerBomb())
    TruncatedJpeg,  // a JPEG cut short
    Oriented1,      // a 64 x 48 JPEG, white with a red 16 x 12 block in its stored
    Oriented2,      // top-left corner, and an EXIF orientation of 1 to 8
    Oriented3,
    Oriented4,
    Oriented5,
    Oriented6,
    Oriented7,
    Oriented8,
};

enum class Corner { TopLeft, TopRight, BottomRight, BottomLeft };

enum class Decodes { Yes, No, Either };

struct PictureStep {
    enum class Act { Write, Lock, Unlock, Prepare } act;
    Content content = Content::Photo;  // Write
    // Prepare: whether a decode starts (the picture is not ready at once), the error number
    // that showing it throws (0: shown), and where the red block is upright.
    Decodes decodes = Decodes::Yes;
    int32_t number = 0;
    std::optional<Corner> red;
    std::string_view control = "picture";
};

struct PictureCase {
    const char* name;
    std::vector<PictureStep> steps;
};

using Act = PictureStep::Act;

inline void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

inline PictureStep write(Content content) {
    return {Act::Write, content};
}
inline PictureStep prepare(Decodes decodes, int32_t number, std::optional<Corner> red = {}) {
    return {Act::Prepare, Content::Photo, decodes, number, red};
}
inline PictureStep oriented(Content content, Corner red) {
    return {Act::Prepare, content, Decodes::Yes, 0, red};  // written, then prepared
}

inline const PictureCase kPictureCases[] = {
    // A file missing or locked a moment ago is looked for again at the next prepare.
    {"NotFoundIsLookedForAgain",
     {prepare(Decodes::Either, 53), write(Content::Photo), prepare(Decodes::Yes, 0)}},
    {"PermissionDeniedIsTriedAgain",
     {write(Content::Photo),
      {Act::Lock},
      prepare(Decodes::Either, 70),
      {Act::Unlock},
      prepare(Decodes::Yes, 0)}},
    // A file that spoils its picture stays refused until it changes.
    {"InvalidStaysRefusedWhileUnchanged",
     {write(Content::NotAPicture), prepare(Decodes::Yes, 481), prepare(Decodes::No, 481),
      write(Content::Photo), prepare(Decodes::Yes, 0)}},
    {"HeaderBomb", {write(Content::HeaderBomb), prepare(Decodes::Yes, 481)}},
    {"TruncatedJpeg", {write(Content::TruncatedJpeg), prepare(Decodes::Yes, 481)}},
    {"UnchangedIsKeptChangedDecodedAgain",
     {write(Content::Photo), prepare(Decodes::Yes, 0), prepare(Decodes::No, 0),
      write(Content::OtherPhoto), prepare(Decodes::Yes, 0), prepare(Decodes::No, 0)}},
    {"NoPictureControl",
     {write(Content::Photo), {Act::Prepare, Content::Photo, Decodes::No, 5, {}, "button"}}},
    // Turned upright before it is stretched to the control.
    {"Orientation1", {oriented(Content::Oriented1, Corner::TopLeft)}},
    {"Orientation2", {oriented(Content::Oriented2, Corner::TopRight)}},
    {"Orientation3", {oriented(Content::Oriented3, Corner::BottomRight)}},
    {"Orientation4", {oriented(Content::Oriented4, Corner::BottomLeft)}},
    {"Orientation5", {oriented(Content::Oriented5, Corner::TopLeft)}},
    {"Orientation6", {oriented(Content::Oriented6, Corner::TopRight)}},
    {"Orientation7", {oriented(Content::Oriented7, Corner::BottomRight)}},
    {"Orientation8", {oriented(Content::Oriented8, Corner::BottomLeft)}},
};

// A backend's means of running the table: it has built kDesign on platform().
class PictureDriver {
  public:
    virtual ~PictureDriver() = default;
    virtual Platform& platform() = 0;
    // The full path of the one test file the table uses.
    virtual Text path() = 0;
    virtual void write(Content content) = 0;
    // False when this user cannot be kept from reading a file.
    virtual bool lock(bool locked) = 0;
    // Lets the backend run until the control's picture is ready; false after a minute.
    virtual bool waitReady(std::string_view control) = 0;
    // Which corners of the control's shown picture are red; nullopt when the backend shows
    // no pixels (the fake).
    virtual std::optional<std::vector<Corner>> redCorners() = 0;
};

// The EXIF block of `orientation` spliced in front of a JPEG's segments, in either byte order.
inline std::vector<uint8_t> withOrientation(const std::vector<uint8_t>& jpeg, int orientation,
                                            bool bigEndian) {
    std::vector<uint8_t> exif;
    const auto u16 = [&](uint16_t value) {
        exif.push_back(uint8_t(bigEndian ? value >> 8 : value));
        exif.push_back(uint8_t(bigEndian ? value : value >> 8));
    };
    const auto u32 = [&](uint32_t value) {
        u16(uint16_t(bigEndian ? value >> 16 : value));
        u16(uint16_t(bigEndian ? value : value >> 16));
    };
    for (const char c : {'E', 'x', 'i', 'f', '\0', '\0'}) exif.push_back(uint8_t(c));
    exif.push_back(bigEndian ? 'M' : 'I');
    exif.push_back(bigEndian ? 'M' : 'I');
    u16(42);
    u32(8);    // the first directory follows the header
    u16(1);    // one entry:
    u16(274);  // Orientation,
    u16(3);    // a SHORT,
    u32(1);    // one of them,
    u16(uint16_t(orientation));
    u16(0);
    u32(0);  // no further directory
    const size_t length = exif.size() + 2;
    exif.insert(exif.begin(), {0xFF, 0xD8, 0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
    if (jpeg.size() > 2) exif.insert(exif.end(), jpeg.begin() + 2, jpeg.end());
    return exif;
}

// A 24-bit bitmap's header claiming 60000 x 60000 pixels, followed by a few bytes of them.
inline std::vector<uint8_t> headerBomb() {
    std::vector<uint8_t> bytes(54 + 16, 0x7F);
    const auto put32 = [&](size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
    };
    std::fill(bytes.begin(), bytes.begin() + 54, uint8_t{0});
    bytes[0] = 'B', bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, 54);  // where the pixels start
    put32(14, 40);  // the header's own size
    put32(18, 60000);
    put32(22, 60000);
    bytes[26] = 1;   // planes
    bytes[28] = 24;  // bits a pixel
    return bytes;
}

inline int orientationOf(Content content) {
    return content >= Content::Oriented1 ? int(content) - int(Content::Oriented1) + 1 : 0;
}

inline void runPictureCase(PictureDriver& driver, const PictureCase& c) {
    Platform& platform = driver.platform();
    EXPECT_FALSE(platform.pictureReady(kForm, "picture")) << "nothing prepared yet";
    int stepNumber = 0;
    for (const PictureStep& step : c.steps) {
        const std::string where = std::string(c.name) + ", step " + std::to_string(++stepNumber);
        switch (step.act) {
            case Act::Write:
                driver.write(step.content);
                break;
            case Act::Lock:
            case Act::Unlock:
                if (!driver.lock(step.act == Act::Lock)) GTEST_SKIP() << "not as this user";
                break;
            case Act::Prepare: {
                if (orientationOf(step.content) != 0) driver.write(step.content);
                platform.preparePicture(kForm, step.control, driver.path());
                const bool decoding = !platform.pictureReady(kForm, step.control);
                if (step.decodes != Decodes::Either) {
                    EXPECT_EQ(decoding, step.decodes == Decodes::Yes) << where;
                }
                ASSERT_TRUE(driver.waitReady(step.control)) << where;
                int32_t number = 0;
                try {
                    platform.showPreparedPicture(kForm, step.control);
                } catch (const RuntimeError& error) {
                    number = error.number;
                }
                EXPECT_EQ(number, step.number) << where;
                if (!step.red) break;
                if (const auto red = driver.redCorners()) {
                    EXPECT_EQ(*red, std::vector<Corner>{*step.red}) << where;
                }
                break;
            }
        }
    }
}

}  // namespace pelandra::testing::conformance
