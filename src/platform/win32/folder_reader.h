// The photo folder's files through FindFirstFileW/FindNextFileW.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace pelandra::win32 {

// Lists `folder` followed by "*.*": files only, hidden and system files skipped.
// nullptr when the folder does not exist; throws RuntimeError when the drive cannot be
// read (no disc in it, access refused).
std::unique_ptr<DirectoryReader> openFolder(TextView folder);

}  // namespace pelandra::win32
