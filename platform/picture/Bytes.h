// SPDX-License-Identifier: GPL-2.0-or-later
// Bounds-checked little-endian reads over a file's bytes, and the one way a load fails on
// damaged content.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QtGlobal>

namespace picture::detail {

// Raises run-time error 481 (invalid picture).
[[noreturn]] void damaged();

class Bytes
{
public:
    explicit Bytes(const QByteArray &d) : p_(reinterpret_cast<const uchar *>(d.constData())), n_(d.size()) {}

    qsizetype size() const { return n_; }
    const uchar *data() const { return p_; }
    // Whether len bytes from at lie inside the data; safe for any values.
    bool has(qint64 at, qint64 len) const { return at >= 0 && len >= 0 && at <= n_ && len <= n_ - at; }

    // Reads at an offset that has() confirmed.
    quint8 u8(qsizetype at) const { return p_[at]; }
    quint16 u16(qsizetype at) const { return quint16(p_[at] | (p_[at + 1] << 8)); }
    qint16 i16(qsizetype at) const { return qint16(u16(at)); }
    quint32 u32(qsizetype at) const { return quint32(u16(at)) | (quint32(u16(at + 2)) << 16); }
    qint32 i32(qsizetype at) const { return qint32(u32(at)); }

private:
    const uchar *p_;
    qsizetype n_;
};

// The bytes a device-independent bitmap's header at `at` announces: header and colour table,
// and its pixel bits (0 when compressed). False when the header is not one or exceeds the bounds.
struct DibSize
{
    qint64 header = 0;
    qint64 bits = 0;
};
bool dibSize(const Bytes &b, qint64 at, qint64 end, bool paletteIndices, DibSize *out);

// Compressions of a device-independent bitmap whose bits are a whole JPEG or PNG file.
constexpr quint32 DibJpeg = 4, DibPng = 5;
// Offsets in a bitmap's header: its width, height and compression; in the older core header
// (of 12 bytes), its 16-bit width and height.
constexpr qint64 DibWidth = 4, DibHeight = 8, DibCompression = 16;
constexpr qint64 DibCoreHeaderSize = 12, DibCoreWidth = 4, DibCoreHeight = 6;
// The size in pixels of the JPEG or PNG file of len bytes at `at`, read from its own header;
// empty when it is not one of that kind or larger than a picture may be.
QSize embeddedImageSize(const Bytes &b, qint64 at, qint64 len, quint32 compression);

} // namespace picture::detail
