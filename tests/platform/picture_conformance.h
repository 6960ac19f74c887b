// What every backend must do with the pictures prepared for a picture control
// (src/platform/README.md), as one table of cases that the fake, the Qt backend and the
// Windows backend each run, making the files with their own means.
#pragma once

#include <gtest/gtest.h>

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
    TruncatedJpeg,  // a JPEG cut short
    // Photos whose headers claim more than they hold (Baseline60000: a header bomb), priced
    // as each decoder decodes them.
    Baseline60000,
    Baseline12000,
    Progressive12000,
    MultiScan12000,  // a baseline JPEG of one scan per component
    Oriented1,       // a 64 x 48 JPEG, white with a red 16 x 12 block in its stored
    Oriented2,       // top-left corner, and an EXIF orientation of 1 to 8
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
    // Supersede: prepares without waiting, for the next step to take its place.
    enum class Act { Write, Lock, Unlock, Prepare, Supersede } act;
    Content content = Content::Photo;  // Write
    // Prepare: whether a decode starts (the picture is not ready at once), the error number
    // that showing it throws (0: shown), and where the red block is upright.
    Decodes decodes = Decodes::Yes;
    int32_t number = 0;
    std::optional<Corner> red;
    std::string_view control = "picture";
    int file = 0;  // which of two test files
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
inline PictureStep secondFile(PictureStep step) {
    step.file = 1;
    return step;
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
    {"Baseline60000", {write(Content::Baseline60000), prepare(Decodes::Yes, 481)}},
    {"Baseline12000", {write(Content::Baseline12000), prepare(Decodes::Yes, 481)}},
    {"Progressive12000", {write(Content::Progressive12000), prepare(Decodes::Yes, 481)}},
    {"MultiScan12000", {write(Content::MultiScan12000), prepare(Decodes::Yes, 481)}},
    {"TruncatedJpeg", {write(Content::TruncatedJpeg), prepare(Decodes::Yes, 481)}},
    {"UnchangedIsKeptChangedDecodedAgain",
     {write(Content::Photo), prepare(Decodes::Yes, 0), prepare(Decodes::No, 0),
      write(Content::OtherPhoto), prepare(Decodes::Yes, 0), prepare(Decodes::No, 0)}},
    {"NoPictureControl",
     {write(Content::Photo), {Act::Prepare, Content::Photo, Decodes::No, 5, {}, "button"}}},
    // Only the latest picture is shown and raises PictureReady.
    {"SupersededIsDropped",
     {secondFile(write(Content::Photo)), secondFile({Act::Supersede}),
      oriented(Content::Oriented1, Corner::TopLeft)}},
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
    // The full path of one of the two test files the table uses.
    virtual Text path(int file) = 0;
    virtual void write(Content content, int file) = 0;
    // False when this user cannot be kept from reading the first file.
    virtual bool lock(bool locked) = 0;
    // Lets the backend run until the control's picture is ready; false after a minute.
    virtual bool waitReady(std::string_view control) = 0;
    // How many PictureReady events the control has raised, once those on their way are in.
    virtual int readyEvents() = 0;
    // Checks what the last picture cost, where the backend can tell.
    virtual void checkCosts(const std::string& where) { (void)where; }
    // Which corners of the control's shown picture are red (redCornersOf); nullopt when the
    // backend shows no pixels (the fake).
    virtual std::optional<std::vector<Corner>> redCorners() = 0;
};

// The EXIF block of `orientation` spliced in front of a JPEG's segments, in either byte order:
// a TIFF header and one directory entry, Orientation (274) as one SHORT, and no further one.
inline std::vector<uint8_t> withOrientation(const std::vector<uint8_t>& jpeg, int orientation,
                                            bool bigEndian) {
    const auto o = uint8_t(orientation);
    std::vector<uint8_t> exif{'E', 'x', 'i', 'f', 0, 0};
    if (bigEndian) {
        exif.insert(exif.end(), {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 1, 18, 0,
                                 3,   0,   0, 0,  1, 0, o, 0, 0, 0, 0, 0,  0});
    } else {
        exif.insert(exif.end(), {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 18, 1, 3,
                                 0,   1,   0,  0, 0, o, 0, 0, 0, 0, 0,  0, 0});
    }
    const size_t length = exif.size() + 2;
    exif.insert(exif.begin(), {0xFF, 0xD8, 0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
    if (jpeg.size() > 2) exif.insert(exif.end(), jpeg.begin() + 2, jpeg.end());
    return exif;
}

inline int orientationOf(Content content) {
    return content >= Content::Oriented1 ? int(content) - int(Content::Oriented1) + 1 : 0;
}

// A real JPEG whose frame header (its first FF Cn segment) is made to claim `size` x `size`.
inline std::vector<uint8_t> claimingSize(std::vector<uint8_t> jpeg, uint16_t size) {
    for (size_t at = 2; at + 9 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;
         at += 2 + ((size_t(jpeg[at + 2]) << 8) | jpeg[at + 3])) {
        const uint8_t marker = jpeg[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            jpeg[at + 5] = jpeg[at + 7] = uint8_t(size >> 8);
            jpeg[at + 6] = jpeg[at + 8] = uint8_t(size);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// The backend's own pictures the files are made of: JPEGs of a photo (baseline, progressive
// and one scan per component), another picture, and the 64 x 48 white one with its red
// corner.
struct Sources {
    std::vector<uint8_t> photo;
    std::vector<uint8_t> progressive;
    std::vector<uint8_t> multiScan;
    std::vector<uint8_t> other;
    std::vector<uint8_t> corner;
};

// The file's bytes. Even orientations get a big-endian EXIF block.
inline std::vector<uint8_t> contentBytes(Content content, Sources sources) {
    if (const int orientation = orientationOf(content)) {
        return withOrientation(sources.corner, orientation, orientation % 2 == 0);
    }
    switch (content) {
        case Content::Photo:
            return sources.photo;
        case Content::TruncatedJpeg:
            sources.photo.resize(sources.photo.size() * 9 / 10);
            return sources.photo;
        case Content::OtherPhoto:
            return sources.other;
        case Content::Baseline60000:
            return claimingSize(sources.photo, 60000);
        case Content::Baseline12000:
            return claimingSize(sources.photo, 12000);
        case Content::Progressive12000:
            return claimingSize(sources.progressive, 12000);
        case Content::MultiScan12000:
            return claimingSize(sources.multiScan, 12000);
        default:
            return {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', '\n'};
    }
}

// Which corners of a picture are red, four pixels in from each; rgbAt(x, y) gives 0xRRGGBB.
template <typename RgbAt>
std::vector<Corner> redCornersOf(int width, int height, RgbAt rgbAt) {
    const int right = width - 5, bottom = height - 5;
    const struct {
        Corner corner;
        int x, y;
    } probes[] = {{Corner::TopLeft, 4, 4},
                  {Corner::TopRight, right, 4},
                  {Corner::BottomRight, right, bottom},
                  {Corner::BottomLeft, 4, bottom}};
    std::vector<Corner> red;
    for (const auto& probe : probes) {
        const uint32_t rgb = rgbAt(probe.x, probe.y);
        if (((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) < 80 && (rgb & 0xFF) < 80) {
            red.push_back(probe.corner);
        }
    }
    return red;
}

inline void runPictureCase(PictureDriver& driver, const PictureCase& c) {
    Platform& platform = driver.platform();
    EXPECT_FALSE(platform.pictureReady(kForm, "picture")) << "nothing prepared yet";
    int stepNumber = 0;
    int decodes = 0;  // each raises PictureReady once, unless superseded
    for (const PictureStep& step : c.steps) {
        const std::string where = std::string(c.name) + ", step " + std::to_string(++stepNumber);
        switch (step.act) {
            case Act::Write:
                driver.write(step.content, step.file);
                break;
            case Act::Lock:
            case Act::Unlock:
                if (!driver.lock(step.act == Act::Lock)) GTEST_SKIP() << "not as this user";
                break;
            case Act::Supersede:
                platform.preparePicture(kForm, step.control, driver.path(step.file));
                break;
            case Act::Prepare: {
                if (orientationOf(step.content) != 0) driver.write(step.content, step.file);
                platform.preparePicture(kForm, step.control, driver.path(step.file));
                const bool decoding = !platform.pictureReady(kForm, step.control);
                decodes += decoding ? 1 : 0;
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
                driver.checkCosts(where);
                if (!step.red) break;
                if (const auto red = driver.redCorners()) {
                    EXPECT_EQ(*red, std::vector<Corner>{*step.red}) << where;
                }
                break;
            }
        }
    }
    EXPECT_EQ(driver.readyEvents(), decodes) << c.name;
}

}  // namespace pelandra::testing::conformance

// Runs every case of the table as Conformance/Suite.PreparesAsEveryBackendDoes/<case>, each on
// a Driver of its own.
#define PELANDRA_PICTURE_TABLE(Suite, Driver)                                                      \
    class Suite : public ::testing::TestWithParam<::pelandra::testing::conformance::PictureCase> { \
    };                                                                                             \
    TEST_P(Suite, PreparesAsEveryBackendDoes) {                                                    \
        Driver driver;                                                                             \
        ::pelandra::testing::conformance::runPictureCase(driver, GetParam());                      \
    }                                                                                              \
    INSTANTIATE_TEST_SUITE_P(Conformance, Suite,                                                   \
                             ::testing::ValuesIn(::pelandra::testing::conformance::kPictureCases), \
                             [](const auto& row) { return std::string(row.param.name); })
