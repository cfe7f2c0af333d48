// SPDX-License-Identifier: GPL-2.0-or-later
// Little-endian byte output for the file formats the tools write themselves.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstring>

class ByteWriter
{
public:
    void u8(quint8 v) { d_.append(static_cast<char>(v)); }
    void u16(quint16 v)
    {
        u8(static_cast<quint8>(v));
        u8(static_cast<quint8>(v >> 8));
    }
    void i16(qint16 v) { u16(static_cast<quint16>(v)); }
    void u32(quint32 v)
    {
        u16(static_cast<quint16>(v));
        u16(static_cast<quint16>(v >> 16));
    }
    void i32(qint32 v) { u32(static_cast<quint32>(v)); }
    void f32(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void bytes(const QByteArray &b) { d_.append(b); }
    void zeros(int n) { d_.append(n, '\0'); }
    // Zero bytes up to the next multiple of n.
    void align(int n)
    {
        while (d_.size() % n != 0)
            u8(0);
    }

    void setU16(int at, quint16 v)
    {
        d_[at] = static_cast<char>(v);
        d_[at + 1] = static_cast<char>(v >> 8);
    }
    void setU32(int at, quint32 v)
    {
        setU16(at, static_cast<quint16>(v));
        setU16(at + 2, static_cast<quint16>(v >> 16));
    }

    int size() const { return static_cast<int>(d_.size()); }
    const QByteArray &data() const { return d_; }

private:
    QByteArray d_;
};

// A colour as the metafile formats store it: 0x00BBGGRR.
inline quint32 colorRef(quint32 rgb) { return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16); }
