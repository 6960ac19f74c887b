// Decodes a picture file at the size it will be shown, never at its full size.
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace pelandra::qt {

// The picture at `path` (the file name's own bytes) decoded to exactly `target`. Throws
// RuntimeError: 53 File not found, 70 Permission denied, 75 Path/File access error (a folder, a
// device, ...), 481 Invalid picture (empty, truncated, corrupt, not a picture, enormous
// dimensions).
QImage loadPictureAtSize(const std::string& path, QSize target);

}  // namespace pelandra::qt
