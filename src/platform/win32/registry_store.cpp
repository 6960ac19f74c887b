#include "platform/win32/registry_store.h"

#include <windows.h>

#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

class KeyHandle {
  public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

RuntimeError writeFailure(LSTATUS status) {
    return status == ERROR_ACCESS_DENIED ? RuntimeError::permissionDenied()
                                         : RuntimeError::pathFileAccess();
}

}  // namespace

std::wstring settingsKeyPath(TextView app, TextView section) {
    return L"Software\\VB and VBA Program Settings\\" + wide(app) + L"\\" + wide(section);
}

Text readSetting(TextView app, TextView section, TextView key, TextView fallback) {
    KeyHandle handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, settingsKeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      handle.out()) != ERROR_SUCCESS) {
        return Text(fallback);
    }
    const std::wstring name = wide(key);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return Text(fallback);
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
        return Text(fallback);
    }
    size_t length = bytes / sizeof(wchar_t);
    while (length > 0 && buffer[length - 1] == L'\0') --length;  // stored terminators
    return fromWide({buffer.data(), length});
}

void writeSetting(TextView app, TextView section, TextView key, TextView value) {
    KeyHandle handle;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, settingsKeyPath(app, section).c_str(), 0,
                                     nullptr, 0, KEY_SET_VALUE, nullptr, handle.out(), nullptr);
    if (status != ERROR_SUCCESS) throw writeFailure(status);
    const std::wstring text = wide(value);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(handle.get(), wide(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) throw writeFailure(status);
    RegFlushKey(handle.get());
}

}  // namespace pelandra::win32
