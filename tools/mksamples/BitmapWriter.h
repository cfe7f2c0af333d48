// Writes the bitmap-based formats whose exact bytes Qt's writers do not give: 24-bit and
// run-length (RLE8, RLE4) bitmaps, icons and cursors.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QVector>

namespace bitmapfile {

// A 24-bit bitmap of the image's colours.
QByteArray bmp24(const QImage &image);
// A run-length bitmap of an 8-bit indexed image (RLE8) or of one with at most 16 colours (RLE4).
QByteArray bmpRle8(const QImage &indexed);
QByteArray bmpRle4(const QImage &indexed);

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
