// What Windows reads from PelandraOmnarium.scr itself: the version record, the name the
// screen saver is listed under, its icons and pictures, its manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/assets.h"
#include "platform/win32/resource_ids.h"

namespace pelandra::win32 {
namespace {

class Executable : public ::testing::Test {
  protected:
    static constexpr const wchar_t* kPath = PELANDRA_SCREEN_SAVER;
    void SetUp() override {
        module_ = LoadLibraryExW(kPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }
    HMODULE module_ = nullptr;
};

TEST_F(Executable, TheVersionRecordNamesTheProduct) {
    DWORD ignored = 0;
    std::vector<BYTE> record(GetFileVersionInfoSizeW(kPath, &ignored));
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(GetFileVersionInfoW(kPath, 0, static_cast<DWORD>(record.size()), record.data()));
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"ProductName", L"SCRNSAVE: The Pelandra Omnarium 2001"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
    };
    for (const auto& c : cases) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + c.name;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(record.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                   &length));
        EXPECT_STREQ(value, c.value);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
}

TEST_F(Executable, WindowsListsItUnderItsName) {
    wchar_t name[64] = {};
    ASSERT_GT(LoadStringW(module_, PELANDRA_STRING_DESCRIPTION, name, 64), 0);
    EXPECT_STREQ(name, L"The Pelandra Omnarium");
}

TEST_F(Executable, CarriesTheIconsAndPicturesOfTheDesign) {
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(PELANDRA_ICON_SHOW), MAKEINTRESOURCEW(14)),
              nullptr);  // RT_GROUP_ICON; the first one is the file's own icon
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(PELANDRA_ICON_DIALOG), MAKEINTRESOURCEW(14)),
              nullptr);
    for (const char* asset : {"title", "logo", "dialog-logo"}) {
        EXPECT_FALSE(pictureAsset(module_, asset).empty()) << asset;
    }
}

TEST_F(Executable, ItsManifestMakesItDpiAwarePerMonitorElseSystemWide) {
    // Wine ignores the manifest, so only here is it seen to be there.
    const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);  // RT_MANIFEST, the one Windows reads when it starts a program
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    const std::string manifest(bytes, SizeofResource(module_, found));
    EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

}  // namespace
}  // namespace pelandra::win32
