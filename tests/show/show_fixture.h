// A show started on the fake platform, with a photo folder the test fills.
#pragma once

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "program/program.h"
#include "show/show_window.h"

namespace pelandra::testing {

class ShowTest : public ::testing::Test {
  protected:
    static constexpr const char16_t* kFolder = u"/media/cdrom/pyrnox/";

    void addPhoto(const Text& name) {
        fake.folders[kFolder].push_back(name);
        fake.pictures.insert(Text(kFolder) + name);
    }
    void start() {
        fake.stored[u"PelandrasDir"] = kFolder;
        ASSERT_EQ(fake.run(program), std::nullopt);
    }
    Text photo() { return fake.loadedPictures["Form1.Image1"]; }
    Text caption() { return fake.captions["Form1.panYear"]; }

    FakePlatform fake;
    Program program{fake};
};

}  // namespace pelandra::testing
