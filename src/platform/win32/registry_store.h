// The per-user settings store: REG_SZ values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, where the photo
// library's own software also keeps them.
#pragma once

#include <string>

#include "platform/text.h"

namespace pelandra::win32 {

// The key path below HKEY_CURRENT_USER.
std::wstring settingsKeyPath(TextView app, TextView section);

// The stored text, or `fallback` when the value (or its key) is absent or not a text.
Text readSetting(TextView app, TextView section, TextView key, TextView fallback);

// Creates the key when needed; throws RuntimeError when the store refuses the write.
void writeSetting(TextView app, TextView section, TextView key, TextView value);

}  // namespace pelandra::win32
