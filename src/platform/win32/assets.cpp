#include "platform/win32/assets.h"

#include "platform/win32/resource_ids.h"

namespace pelandra::win32 {

std::wstring assetResourceName(std::string_view asset) {
    std::wstring name;
    for (const char c : asset) {
        if (c >= 'a' && c <= 'z') {
            name += static_cast<wchar_t>(c - 'a' + 'A');
        } else if (c == '-') {
            name += L'_';
        } else {
            name += static_cast<wchar_t>(c);
        }
    }
    return name;
}

std::span<const BYTE> pictureAsset(HINSTANCE module, std::string_view asset) {
    const std::wstring name = assetResourceName(asset);
    HRSRC found = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const BYTE*>(bytes), SizeofResource(module, found)};
}

int iconAsset(std::string_view asset) {
    if (asset == "show-icon") return PELANDRA_ICON_SHOW;
    if (asset == "dialog-icon") return PELANDRA_ICON_DIALOG;
    return 0;
}

}  // namespace pelandra::win32
