// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/mksamples/WmfWriter.h"

#include "platform/picture/MetafileRecords.h"

using namespace picture::wmf;

void WmfWriter::begin(quint16 function, int paramWords)
{
    const int words = RecordHeaderWords + paramWords;
    maxRecordWords_ = qMax(maxRecordWords_, words);
    records_.u32(static_cast<quint32>(words));
    records_.u16(function);
}

void WmfWriter::record(quint16 function, const QVector<quint16> &params)
{
    begin(function, params.size());
    for (quint16 p : params)
        records_.u16(p);
}

void WmfWriter::setMapMode(int mode) { record(SetMapMode, {quint16(mode)}); }
void WmfWriter::setWindowOrg(int x, int y) { record(SetWindowOrg, {quint16(y), quint16(x)}); }
void WmfWriter::setWindowExt(int w, int h) { record(SetWindowExt, {quint16(h), quint16(w)}); }
void WmfWriter::setBkMode(int mode) { record(SetBkMode, {quint16(mode)}); }
void WmfWriter::setTextAlign(int align) { record(SetTextAlign, {quint16(align)}); }

void WmfWriter::intersectClipRect(const QRect &r)
{
    record(IntersectClipRect,
           {quint16(r.y() + r.height()), quint16(r.x() + r.width()), quint16(r.y()), quint16(r.x())});
}

void WmfWriter::setBkColor(quint32 rgb)
{
    const quint32 c = colorRef(rgb);
    record(SetBkColor, {quint16(c), quint16(c >> 16)});
}

void WmfWriter::setTextColor(quint32 rgb)
{
    const quint32 c = colorRef(rgb);
    record(SetTextColor, {quint16(c), quint16(c >> 16)});
}

int WmfWriter::addObject()
{
    // A new object takes the lowest free slot of the table, as the player expects.
    for (int i = 0; i < objects_.size(); ++i) {
        if (!objects_[i]) {
            objects_[i] = true;
            return i;
        }
    }
    objects_.append(true);
    return objects_.size() - 1;
}

int WmfWriter::createPen(int style, int width, quint32 rgb)
{
    const quint32 c = colorRef(rgb);
    record(CreatePenIndirect, {quint16(style), quint16(width), 0, quint16(c), quint16(c >> 16)});
    return addObject();
}

int WmfWriter::createBrush(int style, quint32 rgb, int hatch)
{
    const quint32 c = colorRef(rgb);
    record(CreateBrushIndirect, {quint16(style), quint16(c), quint16(c >> 16), quint16(hatch)});
    return addObject();
}

int WmfWriter::createFont(int height, int weight, int charset, const QByteArray &face)
{
    QByteArray name = face.left(31);
    name.append('\0');
    if (name.size() % 2)
        name.append('\0');
    begin(CreateFontIndirect, 9 + static_cast<int>(name.size()) / 2);
    records_.i16(static_cast<qint16>(height));
    records_.i16(0); // width
    records_.i16(0); // escapement
    records_.i16(0); // orientation
    records_.i16(static_cast<qint16>(weight));
    records_.u8(0); // italic
    records_.u8(0); // underline
    records_.u8(0); // strike out
    records_.u8(static_cast<quint8>(charset));
    records_.u8(0); // out precision
    records_.u8(0); // clip precision
    records_.u8(0); // quality
    records_.u8(0); // pitch and family
    records_.bytes(name);
    return addObject();
}

void WmfWriter::selectObject(int index) { record(SelectObject, {quint16(index)}); }

void WmfWriter::deleteObject(int index)
{
    record(DeleteObject, {quint16(index)});
    if (index >= 0 && index < objects_.size())
        objects_[index] = false;
}

// The rectangle records list their corners bottom-right first.
void WmfWriter::rectangle(const QRect &r)
{
    record(Rectangle, {quint16(r.y() + r.height()), quint16(r.x() + r.width()), quint16(r.y()), quint16(r.x())});
}

void WmfWriter::ellipse(const QRect &r)
{
    record(Ellipse, {quint16(r.y() + r.height()), quint16(r.x() + r.width()), quint16(r.y()), quint16(r.x())});
}

void WmfWriter::roundRect(const QRect &r, int cornerW, int cornerH)
{
    record(RoundRect, {quint16(cornerH), quint16(cornerW), quint16(r.y() + r.height()), quint16(r.x() + r.width()),
                       quint16(r.y()), quint16(r.x())});
}

void WmfWriter::polygon(const QVector<QPoint> &pts)
{
    QVector<quint16> p{quint16(pts.size())};
    for (const QPoint &pt : pts)
        p << quint16(pt.x()) << quint16(pt.y());
    record(Polygon, p);
}

void WmfWriter::polyline(const QVector<QPoint> &pts)
{
    QVector<quint16> p{quint16(pts.size())};
    for (const QPoint &pt : pts)
        p << quint16(pt.x()) << quint16(pt.y());
    record(Polyline, p);
}

void WmfWriter::moveTo(int x, int y) { record(MoveTo, {quint16(y), quint16(x)}); }
void WmfWriter::lineTo(int x, int y) { record(LineTo, {quint16(y), quint16(x)}); }

void WmfWriter::pie(const QRect &box, QPoint start, QPoint end)
{
    record(Pie, {quint16(end.y()), quint16(end.x()), quint16(start.y()), quint16(start.x()),
                 quint16(box.y() + box.height()), quint16(box.x() + box.width()), quint16(box.y()), quint16(box.x())});
}

void WmfWriter::extTextOut(int x, int y, const QByteArray &text, const QVector<int> &advances)
{
    QByteArray padded = text;
    if (padded.size() % 2)
        padded.append('\0');
    begin(ExtTextOut, 4 + static_cast<int>(padded.size()) / 2 + static_cast<int>(advances.size()));
    records_.i16(static_cast<qint16>(y));
    records_.i16(static_cast<qint16>(x));
    records_.u16(static_cast<quint16>(text.size()));
    records_.u16(0); // no options, so no rectangle
    records_.bytes(padded);
    for (int a : advances)
        records_.i16(static_cast<qint16>(a));
}

void WmfWriter::textOut(int x, int y, const QByteArray &text)
{
    QByteArray padded = text;
    if (padded.size() % 2)
        padded.append('\0');
    begin(TextOut, 1 + static_cast<int>(padded.size()) / 2 + 2);
    records_.u16(static_cast<quint16>(text.size()));
    records_.bytes(padded);
    records_.i16(static_cast<qint16>(y));
    records_.i16(static_cast<qint16>(x));
}

void WmfWriter::stretchDib(const QRect &dest, const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int stride = (img.width() * 3 + 3) / 4 * 4;
    ByteWriter dib;
    dib.u32(40);
    dib.i32(img.width());
    dib.i32(img.height());
    dib.u16(1);
    dib.u16(24);
    dib.u32(0);
    dib.u32(quint32(stride * img.height()));
    dib.zeros(16);
    for (int y = img.height() - 1; y >= 0; --y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            dib.u8(quint8(qBlue(c)));
            dib.u8(quint8(qGreen(c)));
            dib.u8(quint8(qRed(c)));
        }
        dib.align(4);
    }
    stretchDib(dest, img.size(), dib.data());
}

void WmfWriter::stretchDib(const QRect &dest, const QSize &source, const QByteArray &dib)
{
    QByteArray padded = dib;
    if (padded.size() % 2)
        padded.append('\0');
    begin(StretchDib, 11 + static_cast<int>(padded.size()) / 2);
    records_.u32(picture::rop::SourceCopy);
    records_.u16(0); // colours are RGB
    records_.i16(qint16(source.height()));
    records_.i16(qint16(source.width()));
    records_.i16(0);
    records_.i16(0);
    records_.i16(qint16(dest.height()));
    records_.i16(qint16(dest.width()));
    records_.i16(qint16(dest.y()));
    records_.i16(qint16(dest.x()));
    records_.bytes(padded);
}

QByteArray WmfWriter::finish(const QRect &bbox, int inch) const
{
    ByteWriter out;
    if (inch > 0) {
        ByteWriter head;
        head.u32(placeable::KeyValue);
        head.u16(0); // handle
        head.i16(static_cast<qint16>(bbox.left()));
        head.i16(static_cast<qint16>(bbox.top()));
        head.i16(static_cast<qint16>(bbox.left() + bbox.width()));
        head.i16(static_cast<qint16>(bbox.top() + bbox.height()));
        head.u16(static_cast<quint16>(inch));
        head.u32(0);
        quint16 sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= static_cast<quint16>(static_cast<quint8>(head.data()[i]) |
                                        (static_cast<quint8>(head.data()[i + 1]) << 8));
        head.u16(sum);
        out.bytes(head.data());
    }
    const int eofWords = RecordHeaderWords;
    const int totalWords = header::Words + records_.size() / 2 + eofWords;
    out.u16(header::InMemory);
    out.u16(header::Words);
    out.u16(header::Version3);
    out.u32(static_cast<quint32>(totalWords));
    out.u16(static_cast<quint16>(objects_.size()));
    out.u32(static_cast<quint32>(maxRecordWords_));
    out.u16(0);
    out.bytes(records_.data());
    out.u32(eofWords);
    out.u16(0);
    return out.data();
}
