// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/mksamples/EmfWriter.h"

#include "platform/picture/MetafileRecords.h"

#include <QSize>

#include <algorithm>

namespace {
using namespace picture::emf;

QByteArray pairBody(qint32 a, qint32 b)
{
    ByteWriter w;
    w.i32(a);
    w.i32(b);
    return w.data();
}

QByteArray oneBody(quint32 a)
{
    ByteWriter w;
    w.u32(a);
    return w.data();
}

void rectl(ByteWriter &w, const QRect &r)
{
    // Inclusive corners, as the format stores them.
    w.i32(r.left());
    w.i32(r.top());
    w.i32(r.right());
    w.i32(r.bottom());
}

QRect boundsOf(const QVector<QPoint> &pts)
{
    QRect b;
    for (const QPoint &p : pts)
        b = b.united(QRect(p, QSize(1, 1)));
    return b;
}
} // namespace

void EmfWriter::record(quint32 type, const QByteArray &body)
{
    records_.u32(type);
    records_.u32(static_cast<quint32>(8 + body.size()));
    records_.bytes(body);
    ++count_;
}

void EmfWriter::setMapMode(int mode) { record(SetMapMode, oneBody(quint32(mode))); }
void EmfWriter::setWindowOrg(int x, int y) { record(SetWindowOrgEx, pairBody(x, y)); }
void EmfWriter::setWindowExt(int w, int h) { record(SetWindowExtEx, pairBody(w, h)); }
void EmfWriter::setViewportOrg(int x, int y) { record(SetViewportOrgEx, pairBody(x, y)); }
void EmfWriter::setViewportExt(int w, int h) { record(SetViewportExtEx, pairBody(w, h)); }
void EmfWriter::setBkMode(int mode) { record(SetBkMode, oneBody(quint32(mode))); }
void EmfWriter::setTextColor(quint32 rgb) { record(SetTextColor, oneBody(colorRef(rgb))); }
void EmfWriter::setTextAlign(int align) { record(SetTextAlign, oneBody(quint32(align))); }
void EmfWriter::setBkColor(quint32 rgb) { record(SetBkColor, oneBody(colorRef(rgb))); }
void EmfWriter::saveDc() { record(SaveDc, QByteArray()); }
void EmfWriter::restoreDc(int relative) { record(RestoreDc, oneBody(quint32(relative))); }

void EmfWriter::intersectClipRect(const QRect &r)
{
    ByteWriter w;
    w.i32(r.left());
    w.i32(r.top());
    w.i32(r.left() + r.width());
    w.i32(r.top() + r.height());
    record(IntersectClipRect, w.data());
}

int EmfWriter::createPen(int style, int width, quint32 rgb)
{
    const int h = newHandle();
    ByteWriter w;
    w.u32(quint32(h));
    w.u32(quint32(style));
    w.i32(width);
    w.i32(0);
    w.u32(colorRef(rgb));
    record(CreatePen, w.data());
    return h;
}

int EmfWriter::createExtPen(int style, int width, quint32 rgb)
{
    const int h = newHandle();
    ByteWriter w;
    w.u32(quint32(h));
    w.u32(0); // no brush bitmap: offsets and sizes
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.u32(quint32(style));
    w.u32(quint32(width));
    w.u32(BrushSolid);
    w.u32(colorRef(rgb));
    w.u32(0); // hatch
    w.u32(0); // no style entries
    record(ExtCreatePen, w.data());
    return h;
}

int EmfWriter::createBrush(int style, quint32 rgb, int hatch)
{
    const int h = newHandle();
    ByteWriter w;
    w.u32(quint32(h));
    w.u32(quint32(style));
    w.u32(colorRef(rgb));
    w.u32(quint32(hatch));
    record(CreateBrushIndirect, w.data());
    return h;
}

int EmfWriter::createFont(int height, int weight, int charset, const QString &face, int escapement)
{
    const int h = newHandle();
    ByteWriter w;
    w.u32(quint32(h));
    w.i32(height);
    w.i32(0); // width
    w.i32(escapement);
    w.i32(escapement); // orientation
    w.i32(weight);
    w.u8(0); // italic
    w.u8(0); // underline
    w.u8(0); // strike out
    w.u8(quint8(charset));
    w.u8(0); // out precision
    w.u8(0); // clip precision
    w.u8(0); // quality
    w.u8(0); // pitch and family
    const QString name = face.left(31);
    for (int i = 0; i < 32; ++i)
        w.u16(i < name.size() ? name.at(i).unicode() : 0);
    record(ExtCreateFontIndirectW, w.data());
    return h;
}

void EmfWriter::selectObject(int handle) { record(SelectObject, oneBody(quint32(handle))); }
void EmfWriter::deleteObject(int handle) { record(DeleteObject, oneBody(quint32(handle))); }

void EmfWriter::rectangle(const QRect &r)
{
    ByteWriter w;
    rectl(w, r);
    record(Rectangle, w.data());
    bounds_ = bounds_.united(r);
}

void EmfWriter::ellipse(const QRect &r)
{
    ByteWriter w;
    rectl(w, r);
    record(Ellipse, w.data());
    bounds_ = bounds_.united(r);
}

void EmfWriter::roundRect(const QRect &r, int cornerW, int cornerH)
{
    ByteWriter w;
    rectl(w, r);
    w.i32(cornerW);
    w.i32(cornerH);
    record(RoundRect, w.data());
    bounds_ = bounds_.united(r);
}

void EmfWriter::polygon(const QVector<QPoint> &pts)
{
    ByteWriter w;
    rectl(w, boundsOf(pts));
    w.u32(quint32(pts.size()));
    for (const QPoint &p : pts) {
        w.i16(qint16(p.x()));
        w.i16(qint16(p.y()));
    }
    w.align(4);
    record(Polygon16, w.data());
    bounds_ = bounds_.united(boundsOf(pts));
}

void EmfWriter::polyline(const QVector<QPoint> &pts)
{
    ByteWriter w;
    rectl(w, boundsOf(pts));
    w.u32(quint32(pts.size()));
    for (const QPoint &p : pts) {
        w.i16(qint16(p.x()));
        w.i16(qint16(p.y()));
    }
    w.align(4);
    record(Polyline16, w.data());
    bounds_ = bounds_.united(boundsOf(pts));
}

void EmfWriter::moveTo(int x, int y) { record(MoveToEx, pairBody(x, y)); }
void EmfWriter::lineTo(int x, int y) { record(LineTo, pairBody(x, y)); }

namespace {
QByteArray arcBody(const QRect &box, QPoint start, QPoint end)
{
    ByteWriter w;
    rectl(w, box);
    w.i32(start.x());
    w.i32(start.y());
    w.i32(end.x());
    w.i32(end.y());
    return w.data();
}
} // namespace

void EmfWriter::pie(const QRect &box, QPoint start, QPoint end)
{
    record(Pie, arcBody(box, start, end));
    bounds_ = bounds_.united(box);
}

void EmfWriter::chord(const QRect &box, QPoint start, QPoint end)
{
    record(Chord, arcBody(box, start, end));
    bounds_ = bounds_.united(box);
}

void EmfWriter::gradientRect(const QRect &r, quint32 fromRgb, quint32 toRgb, bool vertical)
{
    ByteWriter w;
    rectl(w, r);
    w.u32(2); // vertices
    w.u32(1); // one rectangle
    w.u32(vertical ? 1 : 0);
    auto vertex = [&w](QPoint p, quint32 rgb) {
        w.i32(p.x());
        w.i32(p.y());
        // 16-bit channels, red first
        w.u16(quint16(((rgb >> 16) & 0xFF) << 8));
        w.u16(quint16(((rgb >> 8) & 0xFF) << 8));
        w.u16(quint16((rgb & 0xFF) << 8));
        w.u16(0);
    };
    vertex(r.topLeft(), fromRgb);
    vertex(QPoint(r.left() + r.width(), r.top() + r.height()), toRgb);
    w.u32(0); // the rectangle's corners: vertex 0 and 1
    w.u32(1);
    record(GradientFill, w.data());
    bounds_ = bounds_.united(r);
}

void EmfWriter::stretchDib(const QRect &dest, const QRect &source, const QByteArray &bitmapInfo, const QByteArray &bits)
{
    const int fixed = int(dibits::StretchSize);
    ByteWriter w;
    rectl(w, dest.normalized());
    w.i32(dest.x());
    w.i32(dest.y());
    w.i32(source.x());
    w.i32(source.y());
    w.i32(source.width());
    w.i32(source.height());
    w.u32(quint32(fixed));
    w.u32(quint32(bitmapInfo.size()));
    w.u32(quint32(fixed + bitmapInfo.size()));
    w.u32(quint32(bits.size()));
    w.u32(0); // colours are RGB
    w.u32(picture::rop::SourceCopy);
    w.i32(dest.width());
    w.i32(dest.height());
    w.bytes(bitmapInfo);
    w.bytes(bits);
    w.align(4);
    record(StretchDiBits, w.data());
    bounds_ = bounds_.united(dest.normalized());
}

void EmfWriter::stretchImage(const QRect &dest, const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int stride = (img.width() * 3 + 3) / 4 * 4;
    ByteWriter info;
    info.u32(40);
    info.i32(img.width());
    info.i32(img.height());
    info.u16(1);
    info.u16(24);
    info.u32(0);
    info.u32(quint32(stride * img.height()));
    info.zeros(16);
    ByteWriter bits;
    for (int y = img.height() - 1; y >= 0; --y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            bits.u8(quint8(qBlue(c)));
            bits.u8(quint8(qGreen(c)));
            bits.u8(quint8(qRed(c)));
        }
        bits.align(4);
    }
    stretchDib(dest, QRect(0, 0, img.width(), img.height()), info.data(), bits.data());
}

void EmfWriter::textOut(int x, int y, const QString &text, int advance, quint32 options)
{
    textOut(x, y, text, QVector<int>(text.size(), advance), options);
}

void EmfWriter::textOut(int x, int y, const QString &text, const QVector<int> &advances, quint32 options,
                        const QRect &clip)
{
    const int n = static_cast<int>(text.size());
    int width = 0;
    for (int a : advances)
        width += a;
    const QRect box(x, y, std::max(1, width), advances.isEmpty() ? 1 : advances.first());
    // Offsets count from the start of the record, type and size included.
    const int fixed = int(text::Size);
    const int stringBytes = ((n * 2) + 3) / 4 * 4;
    ByteWriter w;
    rectl(w, box);
    w.u32(1);   // compatible graphics mode
    w.f32(0.f); // scales, unused in that mode
    w.f32(0.f);
    w.i32(x);
    w.i32(y);
    w.u32(quint32(n));
    w.u32(quint32(fixed));
    w.u32(options);
    rectl(w, clip);
    w.u32(advances.isEmpty() ? 0 : quint32(fixed + stringBytes));
    for (QChar c : text)
        w.u16(c.unicode());
    w.align(4);
    for (int a : advances)
        w.i32(a);
    record(ExtTextOutW, w.data());
    bounds_ = bounds_.united(box);
}

void EmfWriter::textOutAnsi(int x, int y, const QByteArray &text, int advance)
{
    const int n = static_cast<int>(text.size());
    const QRect box(x, y, advance * n, advance);
    const int fixed = int(text::Size);
    const int stringBytes = (n + 3) / 4 * 4;
    ByteWriter w;
    rectl(w, box);
    w.u32(1);
    w.f32(0.f);
    w.f32(0.f);
    w.i32(x);
    w.i32(y);
    w.u32(quint32(n));
    w.u32(quint32(fixed));
    w.u32(0);
    rectl(w, QRect());
    w.u32(quint32(fixed + stringBytes));
    w.bytes(text);
    w.align(4);
    for (int i = 0; i < n; ++i)
        w.u32(quint32(advance / 2));
    record(ExtTextOutA, w.data());
    bounds_ = bounds_.united(box);
}

QByteArray EmfWriter::finish(const QRect &frame, const QSize &devicePixels, const QSize &deviceMillimetres,
                             const QSize &deviceMicrometres) const
{
    const QSize micrometres = deviceMicrometres.isValid() ? deviceMicrometres : deviceMillimetres * 1000;
    const QRect bounds = boundsSet_.isValid() ? boundsSet_ : bounds_.isValid() ? bounds_ : QRect(0, 0, 1, 1);
    const int headerSize = int(header::WithMicrometres);
    const int eofSize = int(eof::Size);
    const int total = headerSize + records_.size() + eofSize;
    ByteWriter out;
    out.u32(Header);
    out.u32(headerSize);
    rectl(out, bounds);
    out.i32(frame.left());
    out.i32(frame.top());
    out.i32(frame.left() + frame.width());
    out.i32(frame.top() + frame.height());
    out.u32(header::SignatureValue);
    out.u32(header::VersionValue);
    out.u32(quint32(total));
    out.u32(quint32(count_ + 2));
    out.u16(quint16(handles_ + 1));
    out.u16(0);
    out.u32(0); // no description
    out.u32(0);
    out.u32(0); // no palette
    out.i32(devicePixels.width());
    out.i32(devicePixels.height());
    out.i32(deviceMillimetres.width());
    out.i32(deviceMillimetres.height());
    out.u32(0); // no pixel format
    out.u32(0);
    out.u32(0); // not OpenGL
    out.i32(micrometres.width());
    out.i32(micrometres.height());
    out.bytes(records_.data());
    out.u32(Eof);
    out.u32(eofSize);
    out.u32(0);  // no palette entries
    out.u32(16); // offset of the (empty) palette
    out.u32(eofSize);
    return out.data();
}
