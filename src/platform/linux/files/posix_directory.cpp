#include "posix_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/linux/files/file_errors.h"
#include "platform/linux/files/file_name_text.h"
#include "platform/runtime_error.h"

namespace pelandra::qt {

namespace {

class PosixDirectoryReader : public DirectoryReader {
  public:
    explicit PosixDirectoryReader(DIR* dir) : dir_(dir) {}
    PosixDirectoryReader(const PosixDirectoryReader&) = delete;
    PosixDirectoryReader& operator=(const PosixDirectoryReader&) = delete;
    ~PosixDirectoryReader() override { ::closedir(dir_); }

    std::optional<Text> next() override {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir_);
            if (entry == nullptr) {
                if (errno != 0) throw fileError(errno);
                return std::nullopt;
            }
            if (entry->d_name[0] == '.') continue;  // hidden, and the . and .. entries
            if (isRegularFile(*entry)) return fromFileName(entry->d_name);
        }
    }

  private:
    bool isRegularFile(const dirent& entry) const {
        if (entry.d_type == DT_REG) return true;
        if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
        struct stat info {};
        // Follows symbolic links: a link to a file lists like the file.
        return ::fstatat(::dirfd(dir_), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
    }

    DIR* dir_;
};

}  // namespace

std::unique_ptr<DirectoryReader> openPosixDirectory(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        if (errno == ENOENT || errno == ENOTDIR) return nullptr;
        throw fileError(errno);
    }
    return std::make_unique<PosixDirectoryReader>(dir);
}

}  // namespace pelandra::qt
