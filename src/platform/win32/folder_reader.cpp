#include "platform/win32/folder_reader.h"

#include <windows.h>

#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class FindReader : public DirectoryReader {
  public:
    FindReader(HANDLE find, const WIN32_FIND_DATAW& first)
        : find_(find), data_(first), pending_(find != INVALID_HANDLE_VALUE) {}
    FindReader(const FindReader&) = delete;
    FindReader& operator=(const FindReader&) = delete;
    ~FindReader() override {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }

    std::optional<Text> next() override {
        while (pending_) {
            const WIN32_FIND_DATAW entry = data_;
            pending_ = FindNextFileW(find_, &data_) != FALSE;
            if ((entry.dwFileAttributes & kSkipped) == 0) return fromWide(entry.cFileName);
        }
        return std::nullopt;
    }

  private:
    HANDLE find_;
    WIN32_FIND_DATAW data_;
    bool pending_;
};

}  // namespace

std::unique_ptr<DirectoryReader> openFolder(TextView folder) {
    const std::wstring pattern = wide(folder) + L"*.*";
    WIN32_FIND_DATAW first{};
    const HANDLE find = FindFirstFileW(pattern.c_str(), &first);
    if (find != INVALID_HANDLE_VALUE) return std::make_unique<FindReader>(find, first);
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
            return std::make_unique<FindReader>(INVALID_HANDLE_VALUE, first);  // no files
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return nullptr;
        case ERROR_NOT_READY:
            throw RuntimeError::diskNotReady();
        case ERROR_INVALID_DRIVE:
            throw RuntimeError::deviceUnavailable();
        case ERROR_ACCESS_DENIED:
            throw RuntimeError::permissionDenied();
        default:
            throw RuntimeError::pathFileAccess();
    }
}

}  // namespace pelandra::win32
