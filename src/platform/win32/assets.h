// The design tables name their pictures and icons; the executable carries them as
// resources (pictures as RCDATA named after the asset, icons by number).
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

namespace pelandra::win32 {

// "dialog-logo" -> "DIALOG_LOGO", the resource's name.
std::wstring assetResourceName(std::string_view asset);

// The picture's file bytes inside the module; empty when it carries no such picture.
std::span<const BYTE> pictureAsset(HINSTANCE module, std::string_view asset);

// The icon resource number for an icon asset; 0 when unknown.
int iconAsset(std::string_view asset);

}  // namespace pelandra::win32
