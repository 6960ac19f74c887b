// Writers for the 256-colour picture files the program ships: run-length-encoded (RLE8)
// bitmaps and 32 x 32 icons. Qt writes neither form itself.
#pragma once

#include <QByteArray>
#include <QImage>

namespace artwork {

// Quantizes any picture to at most 256 colours.
QImage toIndexed8(const QImage& picture);

// The pixel rows of an Indexed8 picture as BI_RLE8 data, bottom row first, each row closed
// by an end-of-line mark and the last by the end-of-bitmap mark.
QByteArray encodeRle8(const QImage& indexed);

// A complete .bmp file (BITMAPINFOHEADER, 256-entry palette, BI_RLE8 pixels).
QByteArray rle8BitmapFile(const QImage& picture);

// A complete .ico file holding one 8-bit image of the picture's size (at most 256 x 256),
// with an all-opaque mask.
QByteArray iconFile(const QImage& picture);

}  // namespace artwork
