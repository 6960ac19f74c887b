// The backend contract's event cases against the in-memory platform the core's tests use,
// so that what the core is tested with is what the real backends do.
#include "platform/conformance.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "platform/picture_conformance.h"

namespace pelandra::testing {
namespace {

using conformance::kDesign;
using conformance::Recorder;

TEST(Conformance, TheFakeRaisesWhatEveryBackendRaises) {
    for (const auto& c : conformance::kEventCases) {
        FakePlatform fake;
        Recorder recorder;
        fake.createForm(kDesign, recorder);
        fake.act(kDesign.name, c.control, c.gesture);
        EXPECT_EQ(recorder.raised, c.raised) << c.name;
    }
}

// The fake tells pictures from other files by the sets it is given; it shows no pixels.
class FakePictures : public conformance::PictureDriver {
  public:
    FakePictures() {
        fake.decodeInBackground = true;
        fake.createForm(kDesign, recorder);
    }
    Platform& platform() override { return fake; }
    Text path(int file) override { return kPath + Text(size_t(file), u'2'); }
    void write(conformance::Content content, int file) override {
        const Text at = path(file);
        using conformance::Content;
        const bool picture = content == Content::Photo || content == Content::OtherPhoto ||
                             conformance::orientationOf(content) != 0;
        fake.pictures.erase(at);
        fake.otherFiles.erase(at);
        (picture ? fake.pictures : fake.otherFiles).insert(at);
        ++fake.fileVersions[at];
    }
    bool lock(bool locked) override {
        locked ? void(fake.lockedFiles.insert(kPath)) : void(fake.lockedFiles.erase(kPath));
        return true;
    }
    bool waitReady(std::string_view control) override {
        fake.finishDecoding();
        return fake.pictureReady(kDesign.name, control);
    }
    int readyEvents() override { return recorder.pictureReadyCount(); }
    std::optional<std::vector<conformance::Corner>> redCorners() override { return std::nullopt; }

  private:
    const Text kPath = u"/photos/57CHEVY.JPG";
    FakePlatform fake;
    Recorder recorder;
};

PELANDRA_PICTURE_TABLE(FakePictureCase, FakePictures);

}  // namespace
}  // namespace pelandra::testing
