// What a picture file's header promises, read before any decoder sees the file, so that a
// file claiming an enormous picture is refused without the decoder allocating for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace pelandra {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Icon };

struct PictureHeader {
    PictureFormat format = PictureFormat::Unknown;
    uint32_t width = 0;
    uint32_t height = 0;
    // JPEG: a progressive picture keeps every coefficient until its last scan, and so does a
    // baseline one whose first scan holds fewer than all of its components (multi-scan).
    bool progressive = false;
    bool multiScan = false;
    int components = 0;
    // Bytes of one pixel as the format's decoder holds the picture at full size, at least
    // four (a 16-bit PNG takes up to eight).
    uint32_t bytesPerPixel = 4;
    // The memory a decoder that scales while it decodes needs for the whole picture, in bytes.
    uint64_t decoderBytes = 0;
};

// The most memory one picture's decode may take. With the show beside it (about 35 MiB) and
// the decoder's own working memory, the two stay well under 300 MiB.
inline constexpr uint64_t kMaxDecoderBytes = uint64_t(192) << 20;

// Whether the decoder reads the picture at the size it is shown (libjpeg scales a JPEG by
// up to 1/8 while decoding) or always at its full size, scaling afterwards (the Windows
// Imaging Component's codecs under its scaler).
enum class DecoderScaling { WhileDecoding, AfterDecoding };

// Reads up to `buffer.size()` bytes at `offset`; returns how many it read (fewer at the
// end of the file). The picture files are read, never mapped: a disc taken out while a
// mapped file is read ends the process.
using ReadAt = std::function<size_t(uint64_t offset, std::span<uint8_t> buffer)>;

// The header of the picture read through `read`. Formats it does not know give
// PictureFormat::Unknown with no sizes (the decoder then decides); a known format whose
// header is cut short or contradicts itself throws RuntimeError 481 (Invalid picture).
PictureHeader readPictureHeader(const ReadAt& read);

// Throws RuntimeError 481 (Invalid picture) when the header asks for more than a photo of
// this library can: over 150 million pixels for a JPEG, over 40 million for the others, or
// over kMaxDecoderBytes of decoder memory. A decoder scaling afterwards holds the full-size picture
// and about as much again for its working copies. A 24-megapixel photo passes either way.
void checkPictureLimits(const PictureHeader& header,
                        DecoderScaling scaling = DecoderScaling::WhileDecoding);

// The header of a picture whose format has no header rule, from the size its decoder found,
// to be held to the same limits.
PictureHeader decodedPictureHeader(uint32_t width, uint32_t height);

// A JPEG's image data ends with its end-of-image marker; a file cut short does not, and
// decoders then show it half grey. Marker segments before the data are skipped by their
// lengths, so an embedded thumbnail's end marker cannot stand in for it; anything after
// the marker (some cameras append data there) is allowed.
bool jpegIsComplete(const ReadAt& read);

// The check every decoder makes before its codec sees a byte: the header held to the limits
// as `scaling` decodes it, and a JPEG whole. Returns the format the header names; throws
// RuntimeError 481 (Invalid picture).
PictureFormat checkPictureFile(const ReadAt& read, DecoderScaling scaling);

// Where a JPEG keeps its EXIF data: the TIFF structure inside its "Exif" APP1 segment.
struct ExifBlock {
    uint64_t offset = 0;  // of the TIFF header, in the file
    uint32_t size = 0;    // of the TIFF structure, header included
    bool bigEndian = false;
    uint32_t firstDirectory = 0;  // the first directory's offset inside the structure
};

// The JPEG's EXIF block, from the segments before its image data; nullopt when there is
// none or its TIFF header is damaged (the picture is then shown as stored).
std::optional<ExifBlock> jpegExifBlock(const ReadAt& read);

}  // namespace pelandra
