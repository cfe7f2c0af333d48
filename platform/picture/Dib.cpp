// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/Bytes.h"

#include "platform/picture/picture.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdlib>

namespace picture::detail {

bool dibSize(const Bytes &b, qint64 at, qint64 end, bool paletteIndices, DibSize *out)
{
    if (!b.has(at, 12) || at + 12 > end)
        return false;
    const quint32 size = b.u32(at);
    qint64 w, h;
    int bits;
    quint32 compression = 0;
    quint32 used = 0;
    if (size == 12) {
        w = b.u16(at + 4);
        h = b.u16(at + 6);
        bits = b.u16(at + 10);
    } else if (size >= 40 && size <= 124 && b.has(at, size) && at + size <= end) {
        w = b.i32(at + 4);
        h = std::llabs(qint64(b.i32(at + 8)));
        bits = b.u16(at + 14);
        compression = b.u32(at + 16);
        used = b.u32(at + 32);
    } else {
        return false;
    }
    if (w <= 0 || h <= 0 || w > MaxSide || h > MaxSide || w * h > MaxPixels)
        return false;
    // A JPEG or PNG file as the bits gives its own bit count.
    const bool embedded = (compression == DibJpeg || compression == DibPng) && size >= 40;
    if (embedded ? bits != 0 : bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (used > 256)
        return false;
    const qint64 colours = embedded    ? 0
                           : bits <= 8 ? (used ? used : (qint64(1) << bits))
                                       : (compression == 3 && size == 40 ? 3 : 0);
    out->header = size + colours * (paletteIndices ? 2 : (size == 12 ? 3 : 4));
    out->bits = compression == 0 ? (w * bits + 31) / 32 * 4 * h : 0;
    return true;
}

QSize embeddedImageSize(const Bytes &b, qint64 at, qint64 len, quint32 compression)
{
    if (!b.has(at, len) || len == 0)
        return QSize();
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(b.data() + at), qsizetype(len));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, compression == DibPng ? "png" : "jpeg");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > MaxSide || size.height() > MaxSide ||
        qint64(size.width()) * size.height() > MaxPixels)
        return QSize();
    return size;
}

} // namespace picture::detail
