// Decodes a picture file at the size it will be shown, never at its full size, upright as
// its EXIF orientation says. Runs in the decoder process (decoder_main.h).
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace pelandra::qt {

// The picture at `path` (the file name's own bytes) decoded to exactly `target`. Throws
// RuntimeError: 53 File not found, 70 Permission denied, 75 Path/File access error (a folder, a
// device, ...), 481 Invalid picture (empty, truncated, corrupt, not a picture, a header promising
// more than a photo of the library can be).
QImage loadPictureAtSize(const std::string& path, QSize target);

}  // namespace pelandra::qt
