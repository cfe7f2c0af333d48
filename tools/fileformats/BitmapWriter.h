// SPDX-License-Identifier: GPL-2.0-or-later
// Writes the bitmap-based formats whose exact bytes Qt's writers do not give: 24-bit, 8-bit and
// run-length (RLE8, RLE4) bitmaps, icons and cursors. Bitmaps are stored bottom-up with a
// 40-byte header at 96 dpi, their rows padded to four bytes.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QVector>

namespace bitmapfile {

// A 24-bit bitmap of the image's colours (alpha is dropped, not blended).
QByteArray bmp24(const QImage &image);
// An 8-bit bitmap of an 8-bit indexed image, with its whole colour table, however long.
QByteArray bmp8(const QImage &indexed);
// A run-length bitmap of an 8-bit indexed image (RLE8) or of one with at most 16 colours (RLE4).
QByteArray bmpRle8(const QImage &indexed);
QByteArray bmpRle4(const QImage &indexed);

// The layout of a 16-bit bitmap.
struct Bits16
{
    quint32 red = 0x7C00, green = 0x03E0, blue = 0x001F, alpha = 0; // channel masks
    // Compression BI_BITFIELDS, with the masks after a 40-byte header or inside a larger one;
    // otherwise BI_RGB, whose masks are 5-5-5.
    bool bitFields = false;
    int headerSize = 40; // 40, 108 or 124
    int colours = 0;     // a colour table that 16-bit pixels do not use, as some writers add
    bool topDown = false;
};
// A 16-bit bitmap of the image: each channel keeps the high bits its mask has room for.
QByteArray bmp16(const QImage &image, const Bits16 &layout);

struct IconImage
{
    QImage image;      // ARGB32; fully transparent pixels go into the mask
    int bitCount = 32; // 32 (with alpha), 8, 4 or 1 (palette from the image's colours)
};
// An icon file holding the images in order.
QByteArray ico(const QVector<IconImage> &images);
// A cursor file with one image and its hotspot.
QByteArray cur(const IconImage &image, QPoint hotspot);

} // namespace bitmapfile
