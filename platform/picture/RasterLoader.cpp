// SPDX-License-Identifier: GPL-2.0-or-later
// Bitmaps, JPEG files, icons and cursors: the headers are checked here against the file's real
// length, then Qt's image readers decode them once.
#include "platform/picture/BitFields.h"
#include "platform/picture/Bytes.h"
#include "platform/picture/PictureData.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace picture::detail {

namespace {

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// Whether a run-length stream of h rows is complete within its n bytes: it must reach its
// end-of-bitmap code, or the end of its last row, before its data ends.
bool rleComplete(const uchar *p, qint64 n, qint64 h, bool fourBit)
{
    qint64 x = 0;
    qint64 y = 0;
    qint64 i = 0;
    while (i + 2 <= n) {
        const uchar count = p[i];
        const uchar code = p[i + 1];
        i += 2;
        if (count > 0) {
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (i + 2 > n)
                return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {
            qint64 bytes = fourBit ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (i + bytes > n)
                return false;
            i += bytes;
            x += code;
        }
        if (y >= h)
            return true;
    }
    return false;
}

// Natural size and decoded image of a raster picture.
std::shared_ptr<PictureData> rasterData(Kind kind, QImage image)
{
    if (image.isNull())
        damaged();
    checkPixelCount(image.width(), image.height());
    auto d = std::make_shared<PictureData>();
    d->kind = kind;
    d->pixels = image.size();
    d->twips = QSizeF(image.width() * 15.0, image.height() * 15.0);
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied: d->image = std::move(image); break;
    default:
        // Palette, grey and 24-bit images are converted once here so that painting them never is.
        d->image =
            image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        break;
    }
    return d;
}

// Decodes with Qt's reader for format, image number index, within the allocation bound.
QImage decode(QIODevice *device, const char *format, int index = 0)
{
    QImageReader reader(device, format);
    reader.setAllocationLimit(int(MaxPixels * 4 / (1024 * 1024)) + 1);
    // Cameras and phones store a photo as the sensor saw it and say in a tag how to turn it:
    // it is shown upright, as every viewer of today shows it.
    reader.setAutoTransform(true);
    if (index > 0 && !reader.jumpToImage(index))
        damaged();
    QImage image;
    if (!reader.read(&image))
        damaged();
    return image;
}

QImage decode(const QByteArray &file, const char *format, int index = 0)
{
    QByteArray bytes = file; // shares, no copy
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(&buffer, format, index);
}

int stride(qint64 width, int bitCount) { return int((width * bitCount + 31) / 32 * 4); }

} // namespace

std::shared_ptr<PictureData> loadBitmap(QIODevice &file)
{
    // Only the headers are read here: the pixels are read once, by the decoder.
    const qint64 fileSize = file.size();
    const QByteArray head = file.peek(14 + 124);
    const Bytes b(head);
    if (!b.has(0, 14 + 12))
        damaged();
    const quint32 offBits = b.u32(10);
    const quint32 headerSize = b.u32(14);
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = Rgb;
    if (headerSize == 12) {
        width = b.u16(18);
        height = b.u16(20);
        bitCount = b.u16(24);
    } else if (headerSize >= 40 && headerSize <= 124 && b.has(14, headerSize)) {
        width = b.i32(18);
        height = b.i32(22);
        bitCount = b.u16(28);
        compression = b.u32(30);
    } else {
        damaged();
    }
    if (height == std::numeric_limits<qint32>::min())
        damaged();
    const bool topDown = height < 0;
    height = std::llabs(height);
    checkPixelCount(width, height);

    switch (compression) {
    case Rgb:
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
            damaged();
        break;
    case Rle8:
    case Rle4:
        if (topDown || bitCount != (compression == Rle8 ? 8 : 4))
            damaged();
        break;
    case BitFields:
        if (bitCount != 16 && bitCount != 32)
            damaged();
        break;
    default: damaged();
    }
    if (offBits < 14 + headerSize || offBits >= quint64(fileSize))
        damaged();
    const qint64 body = fileSize - offBits;
    if (compression == Rle8 || compression == Rle4) {
        // The stream is checked whole before it is decoded: a run-length bitmap is read whole,
        // and no stream of the admitted pixels needs more than two bytes for each of them.
        if (fileSize > offBits + 2 * MaxPixels + 64 * 1024)
            damaged();
        const QByteArray all = file.read(fileSize);
        if (all.size() != fileSize ||
            !rleComplete(reinterpret_cast<const uchar *>(all.constData()) + offBits, body, height, compression == Rle4))
            damaged();
        return rasterData(Kind::Bitmap, decode(all, "bmp"));
    }
    if (qint64(stride(width, bitCount)) * height > body)
        damaged();
    QImage fields = decodeBitFields(file);
    if (!fields.isNull())
        return rasterData(Kind::Bitmap, std::move(fields));
    return rasterData(Kind::Bitmap, decode(&file, "bmp"));
}

// Walks the marker segments to the end-of-image marker: a file cut short anywhere, which the
// decoder would fill with grey and accept, is refused here.
static bool jpegComplete(const Bytes &b)
{
    qint64 i = 2;
    bool scanned = false;
    const qint64 n = b.size();
    while (i < n) {
        // Stray bytes before a marker are skipped, as the decoder does.
        const void *found = memchr(b.data() + i, 0xFF, size_t(n - i));
        if (!found)
            return false;
        i = static_cast<const uchar *>(found) - b.data();
        while (i < n && b.u8(i) == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const uchar marker = b.u8(i++);
        if (marker == 0xD9)
            return scanned;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (!b.has(i, 2))
            return false;
        const quint16 length = quint16((b.u8(i) << 8) | b.u8(i + 1));
        if (length < 2 || !b.has(i, length))
            return false;
        i += length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data: a 0xFF in it is followed by 0x00 or a restart marker.
        scanned = true;
        for (;;) {
            const void *ff = memchr(b.data() + i, 0xFF, size_t(n - i));
            if (!ff)
                return false;
            i = static_cast<const uchar *>(ff) - b.data();
            if (i + 1 >= n)
                return false;
            const uchar next = b.u8(i + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                i += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
    return false;
}

std::shared_ptr<PictureData> loadJpeg(const QByteArray &file)
{
    if (!jpegComplete(Bytes(file)))
        damaged();
    return rasterData(Kind::Bitmap, decode(file, "jpeg"));
}

// An icon file shows the image closest to 32 x 32, as the system shows icons: the least
// difference in width plus height; on a tie the larger image (shrinking looks better than
// enlarging), then the deeper colour, then the first.
std::shared_ptr<PictureData> loadIcon(const QByteArray &file)
{
    const Bytes b(file);
    const int count = b.u16(4);
    const bool cursor = b.u16(2) == 2;
    if (count < 1 || !b.has(6, qint64(count) * 16))
        damaged();
    int best = -1;
    int bestDistance = 0;
    int bestSide = 0;
    int bestDepth = 0;
    for (int k = 0; k < count; ++k) {
        const qint64 e = 6 + qint64(k) * 16;
        const int w = b.u8(e) ? b.u8(e) : 256;
        const int h = b.u8(e + 1) ? b.u8(e + 1) : 256;
        const int depth = cursor ? 0 : b.u16(e + 6);
        const quint32 bytes = b.u32(e + 8);
        const quint32 offset = b.u32(e + 12);
        if (!b.has(offset, bytes) || bytes < 40)
            continue;
        // The image's own header decides what is allocated; its height counts both masks.
        if (b.u32(offset) == 40) {
            const qint64 iw = b.i32(offset + 4);
            const qint64 ih = b.i32(offset + 8);
            if (iw <= 0 || ih <= 0 || iw > 1024 || ih / 2 > 1024)
                continue;
        }
        const int distance = std::abs(w - 32) + std::abs(h - 32);
        const int side = w + h;
        if (best < 0 || distance < bestDistance || (distance == bestDistance && side > bestSide) ||
            (distance == bestDistance && side == bestSide && depth > bestDepth)) {
            best = k;
            bestDistance = distance;
            bestSide = side;
            bestDepth = depth;
        }
    }
    if (best < 0)
        damaged();
    return rasterData(Kind::Icon, decode(file, "ico", best));
}

} // namespace picture::detail
