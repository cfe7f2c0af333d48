// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/fileformats/BitmapWriter.h"

#include "tools/fileformats/ByteWriter.h"

#include <QHash>

#include <algorithm>
#include <stdexcept>

namespace bitmapfile {
namespace {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

void infoHeader(ByteWriter &w, int width, int height, int bitCount, quint32 compression, int imageBytes, int colours)
{
    w.u32(40);
    w.i32(width);
    w.i32(height);
    w.u16(1);
    w.u16(quint16(bitCount));
    w.u32(compression);
    w.u32(quint32(imageBytes));
    w.i32(3780); // 96 dpi in pixels per metre
    w.i32(3780);
    w.u32(quint32(colours));
    w.u32(0);
}

QByteArray fileWith(int width, int height, int bitCount, quint32 compression, const QVector<QRgb> &palette,
                    const QByteArray &bits)
{
    const int offset = 14 + 40 + 4 * palette.size();
    ByteWriter w;
    w.u8('B');
    w.u8('M');
    w.u32(quint32(offset + bits.size()));
    w.u32(0);
    w.u32(quint32(offset));
    infoHeader(w, width, height, bitCount, compression, int(bits.size()), int(palette.size()));
    for (QRgb c : palette) {
        w.u8(quint8(qBlue(c)));
        w.u8(quint8(qGreen(c)));
        w.u8(quint8(qRed(c)));
        w.u8(0);
    }
    w.bytes(bits);
    return w.data();
}

// Encodes one row of 8-bit pixels: runs of a repeated value as (count, value), other stretches
// as literal groups of three or more, padded to a word.
void rle8Row(ByteWriter &w, const uchar *px, int n)
{
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 255 && px[i + run] == px[i])
            ++run;
        if (run >= 2) {
            w.u8(quint8(run));
            w.u8(px[i]);
            i += run;
            continue;
        }
        int lit = 1;
        while (i + lit < n && lit < 255 && !(i + lit + 1 < n && px[i + lit] == px[i + lit + 1]))
            ++lit;
        if (lit < 3) {
            for (int k = 0; k < lit; ++k) {
                w.u8(1);
                w.u8(px[i + k]);
            }
        } else {
            w.u8(0);
            w.u8(quint8(lit));
            for (int k = 0; k < lit; ++k)
                w.u8(px[i + k]);
            if (lit % 2)
                w.u8(0);
        }
        i += lit;
    }
}

// The same for 4-bit pixels; a run repeats one nibble, a literal group packs two per byte.
void rle4Row(ByteWriter &w, const uchar *px, int n)
{
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 255 && px[i + run] == px[i])
            ++run;
        if (run >= 2) {
            w.u8(quint8(run));
            w.u8(quint8((px[i] << 4) | px[i]));
            i += run;
            continue;
        }
        int lit = 1;
        while (i + lit < n && lit < 255 && !(i + lit + 1 < n && px[i + lit] == px[i + lit + 1]))
            ++lit;
        if (lit < 3) {
            for (int k = 0; k < lit; ++k) {
                w.u8(1);
                w.u8(quint8(px[i + k] << 4));
            }
        } else {
            w.u8(0);
            w.u8(quint8(lit));
            const int start = w.size();
            for (int k = 0; k < lit; k += 2)
                w.u8(quint8((px[i + k] << 4) | (k + 1 < lit ? px[i + k + 1] : 0)));
            if ((w.size() - start) % 2)
                w.u8(0);
        }
        i += lit;
    }
}

QVector<QRgb> paletteOf(const QImage &indexed, int maxColours)
{
    if (indexed.format() != QImage::Format_Indexed8 || indexed.colorCount() > maxColours)
        throw std::invalid_argument("run-length bitmaps need an 8-bit indexed image with few enough colours");
    return indexed.colorTable();
}

QByteArray rle(const QImage &indexed, int bitCount)
{
    const QVector<QRgb> palette = paletteOf(indexed, bitCount == 8 ? 256 : 16);
    ByteWriter bits;
    for (int y = indexed.height() - 1; y >= 0; --y) {
        if (bitCount == 8)
            rle8Row(bits, indexed.constScanLine(y), indexed.width());
        else
            rle4Row(bits, indexed.constScanLine(y), indexed.width());
        bits.u8(0);
        bits.u8(y == 0 ? 1 : 0); // end of line, or end of the bitmap after the top row
    }
    return fileWith(indexed.width(), indexed.height(), bitCount, bitCount == 8 ? Rle8 : Rle4, palette, bits.data());
}

int stride(int width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

// An icon's image: its header (height counting both masks), palette, colour bits and AND mask.
QByteArray iconResource(const IconImage &icon)
{
    const QImage img = icon.image.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width();
    const int h = img.height();
    const int bpp = icon.bitCount;
    QVector<QRgb> palette;
    QHash<QRgb, int> index;
    if (bpp <= 8) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = img.pixel(x, y) | 0xFF000000u;
                if (qAlpha(img.pixel(x, y)) != 0 && !index.contains(c)) {
                    index.insert(c, int(palette.size()));
                    palette.append(c);
                }
            }
        }
        if (palette.isEmpty())
            palette.append(0xFF000000u);
        if (palette.size() > (1 << bpp))
            throw std::invalid_argument("icon image has more colours than its bit count allows");
        while (palette.size() < (1 << bpp))
            palette.append(0xFF000000u);
    }
    const int colourStride = stride(w, bpp);
    const int maskStride = stride(w, 1);
    ByteWriter w32;
    infoHeader(w32, w, h * 2, bpp, Rgb, (colourStride + maskStride) * h, 0);
    for (QRgb c : palette) {
        w32.u8(quint8(qBlue(c)));
        w32.u8(quint8(qGreen(c)));
        w32.u8(quint8(qRed(c)));
        w32.u8(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(colourStride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb px = img.pixel(x, y);
            if (bpp == 32) {
                row[x * 4] = char(qBlue(px));
                row[x * 4 + 1] = char(qGreen(px));
                row[x * 4 + 2] = char(qRed(px));
                row[x * 4 + 3] = char(qAlpha(px));
                continue;
            }
            const int v = qAlpha(px) ? index.value(px | 0xFF000000u) : 0;
            const int bit = x * bpp;
            row[bit / 8] = char(uchar(row[bit / 8]) | (v << (8 - bpp - bit % 8)));
        }
        w32.bytes(row);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(img.pixel(x, y)) == 0)
                row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        }
        w32.bytes(row);
    }
    return w32.data();
}

QByteArray iconFile(const QVector<IconImage> &images, int type, QPoint hotspot)
{
    ByteWriter w;
    w.u16(0);
    w.u16(quint16(type));
    w.u16(quint16(images.size()));
    QVector<QByteArray> res;
    for (const IconImage &i : images)
        res.append(iconResource(i));
    int offset = 6 + 16 * int(images.size());
    for (int k = 0; k < images.size(); ++k) {
        const IconImage &i = images[k];
        w.u8(quint8(i.image.width() & 0xFF)); // 256 is written as 0
        w.u8(quint8(i.image.height() & 0xFF));
        w.u8(i.bitCount < 8 ? quint8(1 << i.bitCount) : 0);
        w.u8(0);
        if (type == 2) {
            w.u16(quint16(hotspot.x()));
            w.u16(quint16(hotspot.y()));
        } else {
            w.u16(1);
            w.u16(quint16(i.bitCount));
        }
        w.u32(quint32(res[k].size()));
        w.u32(quint32(offset));
        offset += int(res[k].size());
    }
    for (const QByteArray &r : res)
        w.bytes(r);
    return w.data();
}

} // namespace

QByteArray bmp24(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int s = stride(img.width(), 24);
    QByteArray bits;
    bits.reserve(s * img.height());
    for (int y = img.height() - 1; y >= 0; --y) {
        QByteArray row(s, '\0');
        const QRgb *px = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            row[x * 3] = char(qBlue(px[x]));
            row[x * 3 + 1] = char(qGreen(px[x]));
            row[x * 3 + 2] = char(qRed(px[x]));
        }
        bits.append(row);
    }
    return fileWith(img.width(), img.height(), 24, Rgb, {}, bits);
}

QByteArray bmp8(const QImage &indexed)
{
    if (indexed.format() != QImage::Format_Indexed8)
        throw std::invalid_argument("an 8-bit bitmap needs an 8-bit indexed image");
    const int s = stride(indexed.width(), 8);
    QByteArray bits;
    bits.reserve(s * indexed.height());
    for (int y = indexed.height() - 1; y >= 0; --y) {
        QByteArray row(s, '\0');
        std::copy_n(indexed.constScanLine(y), indexed.width(), row.begin());
        bits.append(row);
    }
    return fileWith(indexed.width(), indexed.height(), 8, Rgb, indexed.colorTable(), bits);
}

// An 8-bit channel value put into the bits of mask, keeping its high bits.
quint32 channel(int value, quint32 mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    int bits = 0;
    while ((mask >> (shift + bits)) & 1)
        ++bits;
    const quint32 v = bits >= 8 ? quint32(value) << (bits - 8) : quint32(value) >> (8 - bits);
    return (v << shift) & mask;
}

QByteArray bmp16(const QImage &image, const Bits16 &layout)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const int s = stride(w, 16);
    const bool masksAfter = layout.bitFields && layout.headerSize == 40;
    const int offset = 14 + layout.headerSize + (masksAfter ? 12 : 0) + 4 * layout.colours;
    ByteWriter out;
    out.u8('B');
    out.u8('M');
    out.u32(quint32(offset + s * h));
    out.u32(0);
    out.u32(quint32(offset));
    const int headerStart = out.size();
    out.u32(quint32(layout.headerSize));
    out.i32(w);
    out.i32(layout.topDown ? -h : h);
    out.u16(1);
    out.u16(16);
    out.u32(layout.bitFields ? BitFields : Rgb);
    out.u32(quint32(s * h));
    out.i32(3780);
    out.i32(3780);
    out.u32(quint32(layout.colours));
    out.u32(0);
    if (layout.headerSize > 40) {
        out.u32(layout.red);
        out.u32(layout.green);
        out.u32(layout.blue);
        out.u32(layout.alpha);
        out.u32(0x73524742); // sRGB
        while (out.size() < headerStart + layout.headerSize)
            out.u8(0);
    } else if (masksAfter) {
        out.u32(layout.red);
        out.u32(layout.green);
        out.u32(layout.blue);
    }
    for (int i = 0; i < layout.colours; ++i)
        out.u32(quint32(i * 0x010101));
    const quint32 red = layout.bitFields ? layout.red : 0x7C00;
    const quint32 green = layout.bitFields ? layout.green : 0x03E0;
    const quint32 blue = layout.bitFields ? layout.blue : 0x001F;
    const quint32 alpha = layout.bitFields ? layout.alpha : 0;
    for (int row = 0; row < h; ++row) {
        const int y = layout.topDown ? row : h - 1 - row;
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            out.u16(quint16(channel(qRed(c), red) | channel(qGreen(c), green) | channel(qBlue(c), blue) |
                            channel(qAlpha(c), alpha)));
        }
        out.zeros(s - 2 * w);
    }
    return out.data();
}

QByteArray bmpRle8(const QImage &indexed) { return rle(indexed, 8); }
QByteArray bmpRle4(const QImage &indexed) { return rle(indexed, 4); }

QByteArray ico(const QVector<IconImage> &images) { return iconFile(images, 1, QPoint()); }
QByteArray cur(const IconImage &image, QPoint hotspot) { return iconFile({image}, 2, hotspot); }

} // namespace bitmapfile
