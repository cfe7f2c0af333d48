// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/BitFields.h"

#include "platform/picture/Bytes.h"

#include <QIODevice>

#include <array>
#include <cstdlib>

namespace picture::detail {

namespace {

// Offsets in the file: the info header, and in it the masks that follow its first 40 bytes
// (in the header itself when it is long enough, else right after it).
constexpr qint64 FileHeader = 14;
constexpr qint64 InfoWidth = 4, InfoHeight = 8, InfoBitCount = 14, InfoCompression = 16;
constexpr qint64 InfoMasks = 40, InfoAlphaMask = 52;
constexpr qint64 InfoWithAlphaMask = 56;
constexpr quint32 Rgb = 0, BitFields = 3;

// One channel's mask: where its field starts and how many bits it has.
struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;
    std::array<quint8, 256> widened{}; // for fields of up to 8 bits

    explicit Channel(quint32 m) : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1))
            ++bits;
        for (quint32 v = 0; bits <= 8 && v < (1u << bits); ++v) {
            // The value's bits repeated from the top down until the byte is full.
            quint32 out = 0;
            for (int at = 8 - bits;; at -= bits) {
                out |= at >= 0 ? v << at : v >> -at;
                if (at <= 0)
                    break;
            }
            widened[v] = quint8(out);
        }
    }
    quint8 of(quint32 pixel) const
    {
        if (!mask)
            return 0;
        const quint32 v = (pixel >> shift) & ((bits >= 32 ? 0 : (1u << bits)) - 1);
        return bits <= 8 ? widened[v] : quint8(v >> (bits - 8));
    }
};

} // namespace

QImage decodeBitFields(QIODevice &file)
{
    const QByteArray head = file.peek(FileHeader + InfoWithAlphaMask);
    const Bytes b(head);
    if (!b.has(0, FileHeader + 4))
        return QImage();
    const qint64 info = FileHeader;
    const quint32 headerSize = b.u32(info);
    if (headerSize < 40 || !b.has(info, 40))
        return QImage(); // the core header knows no bit fields
    const int bitCount = b.u16(info + InfoBitCount);
    const quint32 compression = b.u32(info + InfoCompression);
    if (!((bitCount == 16 && (compression == Rgb || compression == BitFields)) ||
          (bitCount == 32 && compression == BitFields)))
        return QImage();
    quint32 red = 0x7C00, green = 0x03E0, blue = 0x001F, alpha = 0;
    if (compression == BitFields) {
        if (!b.has(info + InfoMasks, 12))
            damaged();
        red = b.u32(info + InfoMasks);
        green = b.u32(info + InfoMasks + 4);
        blue = b.u32(info + InfoMasks + 8);
        if (headerSize >= InfoWithAlphaMask)
            alpha = b.u32(info + InfoAlphaMask);
    }
    const Channel r(red), g(green), bl(blue), a(alpha);
    // Qt's reader is exact for 8-bit fields.
    if (bitCount == 32 && (r.bits == 8 || !red) && (g.bits == 8 || !green) && (bl.bits == 8 || !blue) &&
        (a.bits == 8 || !alpha))
        return QImage();

    const qint64 width = b.i32(info + InfoWidth);
    const qint64 signedHeight = b.i32(info + InfoHeight);
    const bool topDown = signedHeight < 0;
    const qint64 height = std::llabs(signedHeight);
    const qint64 offBits = b.u32(10);
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const QByteArray all = file.read(file.size());
    const Bytes pixels(all);
    if (!pixels.has(offBits, stride * height))
        damaged();
    QImage image(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        damaged();
    for (qint64 row = 0; row < height; ++row) {
        const qint64 at = offBits + row * stride;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(topDown ? row : height - 1 - row)));
        for (qint64 x = 0; x < width; ++x) {
            const quint32 px = bitCount == 16 ? pixels.u16(at + 2 * x) : pixels.u32(at + 4 * x);
            out[x] = qRgba(r.of(px), g.of(px), bl.of(px), alpha ? a.of(px) : 255);
        }
    }
    return image;
}

} // namespace picture::detail
