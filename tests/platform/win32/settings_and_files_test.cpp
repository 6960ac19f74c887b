// The registry store, the folder listing and the process services under Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/folder_reader.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings.h"

namespace pelandra::win32 {
namespace {

constexpr wchar_t kExactKey[] =
    L"Software\\VB and VBA Program Settings\\SCRNSAVE: The Pelandra Omnarium 2001\\Settings";

// What the registry holds at the exact path, read without the store's own code.
std::wstring rawValue(const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD bytes = sizeof(buffer);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kExactKey, name, RRF_RT_ANY, &type, buffer, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return L"<absent or not REG_SZ>";
    }
    return buffer;
}

TEST(RegistryStore, WritesReadableREG_SZValuesAtTheLibrarysKey) {
    const struct {
        TextView key;
        TextView value;
    } cases[] = {
        {settings::kIntervalKey, u"37"},
        {settings::kPhotoDirKey, u"D:\\Pelandra, Omnarium \u00e9t\u00e9\\pyrnox\\"},
        {u"Scratch", u""},
    };
    for (const auto& c : cases) {
        writeSetting(settings::kAppTitle, settings::kSection, c.key, c.value);
        EXPECT_EQ(rawValue(wide(c.key).c_str()), wide(c.value)) << toUtf8(c.key);
        EXPECT_EQ(readSetting(settings::kAppTitle, settings::kSection, c.key, u"fallback"),
                  c.value);
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kExactKey, L"Scratch");
}

TEST(RegistryStore, AbsentValuesAndKeysGiveTheFallback) {
    EXPECT_EQ(readSetting(settings::kAppTitle, settings::kSection, u"NeverWritten", u" "), u" ");
    EXPECT_EQ(readSetting(u"No Such Program", settings::kSection, u"Interval", u"2"), u"2");
    // A value of another type is no text.
    const DWORD number = 5;
    RegSetKeyValueW(HKEY_CURRENT_USER, kExactKey, L"Number", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(readSetting(settings::kAppTitle, settings::kSection, u"Number", u"2"), u"2");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kExactKey, L"Number");
}

class FolderListing : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ =
            std::wstring(temp) + L"pelandra-listing-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        folder_ += L"\\";
    }
    void TearDown() override {
        for (const auto& path : created_) {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
            RemoveDirectoryW(path.c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }
    void file(const std::wstring& name, DWORD attributes) {
        const std::wstring path = folder_ + name;
        HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(handle);
        SetFileAttributesW(path.c_str(), attributes);
        created_.insert(created_.begin(), path);
    }
    std::vector<Text> listAll() {
        auto reader = openFolder(fromWide(folder_));
        EXPECT_NE(reader, nullptr);
        std::vector<Text> names;
        while (reader) {
            auto name = reader->next();
            if (!name) break;
            names.push_back(*name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::wstring folder_;
    std::vector<std::wstring> created_;
};

TEST_F(FolderListing, ListsPlainFilesOnly) {
    file(L"58SEDAN.JPG", FILE_ATTRIBUTE_NORMAL);
    file(L"CMCOUPE.BMP", FILE_ATTRIBUTE_READONLY);
    file(L"ARCHIVED", FILE_ATTRIBUTE_ARCHIVE);
    file(L"caf\u00e9 \u00e0 la carte.gif", FILE_ATTRIBUTE_NORMAL);
    file(L"HIDDEN.JPG", FILE_ATTRIBUTE_HIDDEN);
    file(L"SYSTEM.JPG", FILE_ATTRIBUTE_SYSTEM);
    const std::wstring sub = folder_ + L"SUBFOLDER";
    CreateDirectoryW(sub.c_str(), nullptr);
    created_.push_back(sub);

    EXPECT_EQ(listAll(), (std::vector<Text>{u"58SEDAN.JPG", u"ARCHIVED", u"CMCOUPE.BMP",
                                            u"caf\u00e9 \u00e0 la carte.gif"}));
}

TEST_F(FolderListing, AnEmptyFolderListsNothingAndAMissingOneIsNoFolder) {
    EXPECT_TRUE(listAll().empty());
    EXPECT_EQ(openFolder(fromWide(folder_) + u"missing\\"), nullptr);
}

TEST(CommandLine, TheArgumentsFollowTheProgramsPath) {
    const struct {
        const wchar_t* line;
        Text arguments;
    } cases[] = {
        {L"C:\\WINDOWS\\PELAND~1.SCR /s", u"/s"},
        {L"\"C:\\Program Files\\Pelandra Omnarium.scr\" /c:1234", u"/c:1234"},
        {L"\"C:\\Program Files\\Pelandra Omnarium.scr\"   /p 4242", u"/p 4242"},
        {L"saver.scr", u""},
        {L"\"saver.scr\"", u""},
        {L"saver.scr /S extra", u"/S extra"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(argumentsOf(c.line), c.arguments) << toUtf8(fromWide(c.line));
    }
}

TEST(Process, TheSecondCopyFindsTheFirst) {
    Win32Platform first(GetModuleHandleW(nullptr));
    Win32Platform second(GetModuleHandleW(nullptr));
    EXPECT_FALSE(first.previousInstance());
    EXPECT_TRUE(second.previousInstance());
}

TEST(Text, UpperCasingCoversLettersBeyondASCII) {
    Win32Platform platform(GetModuleHandleW(nullptr));
    EXPECT_EQ(platform.upperCase(u"d:\\pyrnox\\cm caf\u00e9.jpg"), u"D:\\PYRNOX\\CM CAF\u00c9.JPG");
}

}  // namespace
}  // namespace pelandra::win32
