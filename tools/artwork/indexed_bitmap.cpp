#include "indexed_bitmap.h"

#include <QBuffer>
#include <QDataStream>
#include <algorithm>
#include <cstdint>

namespace artwork {

namespace {

constexpr int kMaxRun = 255;
constexpr int kPaletteSize = 256;
constexpr quint32 kInfoHeaderSize = 40;
constexpr quint32 kFileHeaderSize = 14;
constexpr quint32 kBiRle8 = 1;
constexpr quint32 kBiRgb = 0;

int runLength(const uchar* row, int from, int width) {
    int length = 1;
    while (from + length < width && length < kMaxRun && row[from + length] == row[from]) ++length;
    return length;
}

void encodeRow(const uchar* row, int width, QByteArray& out) {
    int x = 0;
    while (x < width) {
        const int run = runLength(row, x, width);
        if (run >= 2) {
            out.append(char(run)).append(char(row[x]));
            x += run;
            continue;
        }
        // Gather single pixels up to the next run of two or more.
        int end = x + 1;
        while (end < width && end - x < kMaxRun && runLength(row, end, width) < 2) ++end;
        const int count = end - x;
        if (count < 3) {  // absolute mode needs at least three pixels
            for (int i = x; i < end; ++i) out.append(char(1)).append(char(row[i]));
        } else {
            out.append(char(0)).append(char(count));
            out.append(reinterpret_cast<const char*>(row + x), count);
            if (count % 2 != 0) out.append(char(0));  // keep the next mark word-aligned
        }
        x = end;
    }
}

// Palette as BGRX quads, padded to 256 entries.
void writePalette(QDataStream& out, const QImage& indexed) {
    const auto table = indexed.colorTable();
    for (int i = 0; i < kPaletteSize; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    }
}

void writeInfoHeader(QDataStream& out, const QImage& indexed, qint32 height, quint32 compression,
                     quint32 imageSize) {
    out << kInfoHeaderSize << qint32(indexed.width()) << height << quint16(1) << quint16(8)
        << compression << imageSize << qint32(3780) << qint32(3780)  // 96 dpi
        << quint32(kPaletteSize) << quint32(0);
}

}  // namespace

QImage toIndexed8(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_RGB32)
        .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::PreferDither);
}

QByteArray encodeRle8(const QImage& indexed) {
    QByteArray out;
    for (int y = indexed.height() - 1; y >= 0; --y) {
        encodeRow(indexed.constScanLine(y), indexed.width(), out);
        out.append(char(0)).append(char(y == 0 ? 1 : 0));
    }
    return out;
}

QByteArray rle8BitmapFile(const QImage& picture) {
    const QImage indexed =
        picture.format() == QImage::Format_Indexed8 ? picture : toIndexed8(picture);
    const QByteArray pixels = encodeRle8(indexed);
    const quint32 offset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize * 4;

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(offset + quint32(pixels.size())) << quint32(0)
        << offset;
    writeInfoHeader(out, indexed, indexed.height(), kBiRle8, quint32(pixels.size()));
    writePalette(out, indexed);
    out.writeRawData(pixels.constData(), int(pixels.size()));
    return file;
}

QByteArray iconFile(const QImage& picture) {
    const QImage indexed = toIndexed8(picture);
    const int width = indexed.width();
    const int height = indexed.height();
    const int pixelRow = (width + 3) / 4 * 4;
    const int maskRow = ((width + 31) / 32) * 4;
    const quint32 imageSize = quint32(pixelRow * height + maskRow * height);
    const quint32 bytes = kInfoHeaderSize + kPaletteSize * 4 + imageSize;

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(1);  // ICONDIR: reserved, icon, one image
    out << quint8(width % 256) << quint8(height % 256) << quint8(0) << quint8(0) << quint16(1)
        << quint16(8) << bytes << quint32(6 + 16);
    writeInfoHeader(out, indexed, height * 2, kBiRgb, imageSize);  // height counts the mask
    writePalette(out, indexed);
    for (int y = height - 1; y >= 0; --y) {
        out.writeRawData(reinterpret_cast<const char*>(indexed.constScanLine(y)), width);
        for (int pad = width; pad < pixelRow; ++pad) out << quint8(0);
    }
    for (int i = 0; i < maskRow * height; ++i) out << quint8(0);  // every pixel opaque
    return file;
}

}  // namespace artwork
