// Pictures through the Windows Imaging Component: BMP (RLE8 included), JPEG, GIF, PNG,
// decoded straight to the size they are shown at, photos turned upright by their EXIF
// orientation. A header asking for more than a photo can need, or a JPEG cut short, is
// refused before the codec reads the file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "platform/prepared_pictures.h"
#include "platform/text.h"

namespace pelandra::win32 {

// A decoded picture as a 32-bit top-down DIB section.
class Picture {
  public:
    Picture(HBITMAP bitmap, int width, int height)
        : bitmap_(bitmap), width_(width), height_(height) {}
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { DeleteObject(bitmap_); }

    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    HBITMAP bitmap_;
    int width_;
    int height_;
};

// How the picture meets its control: scaled to exactly `width` x `height` (stretch), or
// kept at its own size and cut to the control.
struct Fit {
    int width = 0;
    int height = 0;
    bool stretch = false;
};

// What the file at `path` is now (volume, file index, size, last write), without reading
// it. Throws RuntimeError: 53 File not found, 76 Path not found, 70 Permission denied.
FileIdentity identifyPictureFile(TextView path);

// Throws RuntimeError: 53 File not found, 76 Path not found, 70 Permission denied,
// 481 Invalid picture (not a picture, corrupt, truncated, empty).
std::unique_ptr<Picture> decodePictureFile(TextView path, Fit fit);
std::unique_ptr<Picture> decodePictureBytes(const void* bytes, size_t size, Fit fit);

// COM set-up for the calling thread (a single-threaded apartment, as a window's thread
// needs); returns false when COM is unavailable. Each thread makes its own WIC factory.
bool startPictureDecoding();
// Releases the calling thread's WIC factory, before that thread leaves its apartment.
void releasePictureFactory();

}  // namespace pelandra::win32
