// Decodes a picture file at the size it will be shown, never at its full size, upright as
// its EXIF orientation says. Runs in the decoder program.
#pragma once

#include <QImage>
#include <QSize>

namespace pelandra::decoder {

// The picture in the open regular file `fd` decoded to exactly `target`. Throws RuntimeError
// 481 Invalid picture (empty, truncated, corrupt, not a picture, a header promising more
// than a photo of the library can be).
QImage loadPictureAtSize(int fd, QSize target);

}  // namespace pelandra::decoder
