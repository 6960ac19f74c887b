#include "platform/directory_listing.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace pelandra {
namespace {

TEST(DirectoryListing, WalksOncePerStartAndStaysEmptyWhenExhausted) {
    testing::FakePlatform fake;
    fake.folders[u"/cd/"] = {u"A.JPG", u"B.JPG"};
    DirectoryListing listing(fake);
    EXPECT_EQ(listing.next(), u"");  // nothing started yet: empty, not a failure
    EXPECT_EQ(listing.first(u"/cd/"), u"A.JPG");
    EXPECT_EQ(listing.next(), u"B.JPG");
    EXPECT_EQ(listing.next(), u"");
    EXPECT_EQ(listing.next(), u"");
    EXPECT_EQ(listing.first(u"/cd/"), u"A.JPG");
}

TEST(DirectoryListing, MissingFolderIsEmptyButUnreadableMediumFails) {
    testing::FakePlatform fake;
    DirectoryListing listing(fake);
    EXPECT_EQ(listing.first(u"/nowhere/"), u"");
    fake.mediumUnreadable = true;
    EXPECT_THROW(listing.first(u"/cd/"), RuntimeError);
    EXPECT_EQ(listing.next(), u"");
}

}  // namespace
}  // namespace pelandra
