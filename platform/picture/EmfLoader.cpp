// Enhanced metafiles: the records are checked here, libemf2svg turns them into SVG, and
// QSvgRenderer draws that.
//
// Worked around in libemf2svg 1.1:
// - its SVG is sized to the header's device bounds, not to the frame: the frame, converted to
//   device units with the reference device the header names, becomes the view box;
// - an ordinary pen wider than a pixel is drawn one pixel wide, and a geometric pen's width is
//   taken in device units without the mapping mode's scale: wide ordinary pens are handed to
//   it as the geometric pens they are, with their width scaled by the mapping in force when the
//   pen is created;
// - 8-bit text comes out as blanks at a position of "nan": it is handed over as wide text,
//   decoded by the selected font's character set;
// - text and face names are copied into the SVG unchecked, so that a control character or "]]>"
//   makes it unreadable: such characters are replaced first;
// - text given as glyph indices makes it look the font up through fontconfig and then call
//   FcFini(), which aborts the process once Qt holds fontconfig's caches: such text is left out
//   (without the font the indices were made for it could not be shown anyway).
#include "platform/picture/Bytes.h"
#include "platform/picture/PictureData.h"
#include "platform/picture/Text.h"

#include <QHash>
#include <QRegularExpression>
#include <QVector>

#include <emf2svg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace picture::detail {

namespace {

enum Type : quint32 {
    Header = 1,
    PolyBezier = 2, Polygon = 3, Polyline = 4, PolyBezierTo = 5, PolylineTo = 6,
    PolyPolyline = 7, PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetViewportExtEx = 11,
    Eof = 14,
    SetMapMode = 17,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SelectObject = 37,
    CreatePen = 38,
    DeleteObject = 40,
    BitBlt = 76, StretchBlt = 77, MaskBlt = 78, PlgBlt = 79, SetDiBitsToDevice = 80, StretchDiBits = 81,
    ExtTextOutA = 83, ExtTextOutW = 84,
    PolyTextOutA = 96, PolyTextOutW = 97,
    SmallTextOut = 108,
    PolyBezier16 = 85, Polygon16 = 86, Polyline16 = 87, PolyBezierTo16 = 88, PolylineTo16 = 89,
    PolyPolyline16 = 90, PolyPolygon16 = 91,
    ExtCreateFontIndirectW = 82,
    CreateMonoBrush = 93, CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
    AlphaBlend = 114, TransparentBlt = 116,
};

constexpr quint32 PenGeometric = 0x00010000;
constexpr quint32 PenNull = 5;

// What SaveDC keeps and RestoreDC brings back, as far as the rewriting needs it: the mapping
// a pen's width is scaled by, and the selected font.
struct DcState
{
    quint32 mode = 1;
    double windowX = 1;
    double viewportX = 1;
    quint32 font = 0;
};

class EmfWalk
{
public:
    EmfWalk(const Bytes &b, double pixelsPerMm) : b_(b), pixelsPerMm_(pixelsPerMm) {}

    // The records from `from` to `end`, checked, with pens rewritten; raises 481 on a record
    // that does not fit or the lack of an end record.
    QByteArray run(qint64 from, qint64 end)
    {
        QByteArray out;
        out.reserve(end - from + 64);
        qint64 pos = from;
        for (;;) {
            if (pos + 8 > end)
                damaged();
            const quint32 type = b_.u32(pos);
            const qint64 size = b_.u32(pos + 4);
            if (size < 8 || size % 4 != 0 || size > end - pos)
                damaged();
            check(type, pos, size);
            track(type, pos, size);
            // Glyph-index text is left out; pens and text may be rewritten; the rest is kept.
            if (!glyphIndices(type, pos, size) && !rewritePen(out, type, pos, size)
                && !rewriteText(out, type, pos, size))
                out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            pos += size;
            if (type == Eof)
                return out;
        }
    }

private:
    void need(bool ok) const
    {
        if (!ok)
            damaged();
    }

    // A block of a record given by its offset and length from the record's start.
    void block(qint64 pos, qint64 size, qint64 offsetAt, qint64 lengthAt) const
    {
        need(offsetAt + 4 <= size && lengthAt + 4 <= size);
        const qint64 off = b_.u32(pos + offsetAt);
        const qint64 len = b_.u32(pos + lengthAt);
        need(len == 0 || (off >= 8 && off <= size && len <= size - off));
    }

    // A bitmap given as header block and bits block.
    void bitmap(qint64 pos, qint64 size, qint64 at) const
    {
        block(pos, size, at, at + 4);
        block(pos, size, at + 8, at + 12);
        const qint64 cbBmi = b_.u32(pos + at + 4);
        if (cbBmi == 0)
            return;
        DibSize d;
        const qint64 bmi = pos + b_.u32(pos + at);
        need(dibSize(b_, bmi, bmi + cbBmi, false, &d) || dibSize(b_, bmi, bmi + cbBmi, true, &d));
        need(d.bits <= qint64(b_.u32(pos + at + 12)));
    }

    void check(quint32 type, qint64 pos, qint64 size) const
    {
        switch (type) {
        case PolyBezier16: case Polygon16: case Polyline16: case PolyBezierTo16: case PolylineTo16:
            need(size >= 28 && 28 + 4 * qint64(b_.u32(pos + 24)) <= size);
            break;
        case PolyBezier: case Polygon: case Polyline: case PolyBezierTo: case PolylineTo:
            need(size >= 28 && 28 + 8 * qint64(b_.u32(pos + 24)) <= size);
            break;
        case PolyPolyline16: case PolyPolygon16: case PolyPolyline: case PolyPolygon: {
            need(size >= 32);
            const qint64 polys = b_.u32(pos + 24);
            const qint64 points = b_.u32(pos + 28);
            const qint64 pointBytes = (type == PolyPolyline16 || type == PolyPolygon16) ? 4 : 8;
            need(32 + 4 * polys + pointBytes * points <= size);
            qint64 sum = 0;
            for (qint64 i = 0; i < polys; ++i)
                sum += b_.u32(pos + 32 + 4 * i);
            need(sum <= points);
            break;
        }
        case ExtTextOutA: case ExtTextOutW: {
            need(size >= 76);
            const qint64 chars = b_.u32(pos + 44);
            const qint64 offString = b_.u32(pos + 48);
            const qint64 offDx = b_.u32(pos + 72);
            const qint64 options = b_.u32(pos + 52);
            need(chars <= size && offString <= size && chars * (type == ExtTextOutW ? 2 : 1) <= size - offString);
            need(offDx == 0 || (offDx <= size && chars * ((options & 0x2000) ? 8 : 4) <= size - offDx));
            break;
        }
        case BitBlt: case StretchBlt: case TransparentBlt: case AlphaBlend:
            need(size >= 100);
            bitmap(pos, size, 84);
            break;
        case MaskBlt:
            need(size >= 128);
            bitmap(pos, size, 84);
            break;
        case PlgBlt:
            need(size >= 140);
            bitmap(pos, size, 92);
            break;
        case SetDiBitsToDevice: case StretchDiBits:
            need(size >= 64);
            bitmap(pos, size, 48);
            break;
        case CreateMonoBrush: case CreateDibPatternBrushPt:
            need(size >= 32);
            bitmap(pos, size, 16);
            break;
        case CreatePen:
            need(size >= 28);
            break;
        case ExtCreateFontIndirectW:
            need(size >= 104);
            break;
        case SelectObject:
        case DeleteObject:
            need(size >= 12);
            break;
        case ExtCreatePen:
            need(size >= 52 && 52 + 4 * qint64(b_.u32(pos + 48)) <= size);
            bitmap(pos, size, 12);
            break;
        default:
            break;
        }
    }

    void track(quint32 type, qint64 pos, qint64 size)
    {
        switch (type) {
        case SetMapMode:
            if (size >= 12)
                dc_.mode = b_.u32(pos + 8);
            break;
        case SetWindowExtEx:
            if (size >= 16 && b_.i32(pos + 8) != 0)
                dc_.windowX = b_.i32(pos + 8);
            break;
        case SetViewportExtEx:
            if (size >= 16 && b_.i32(pos + 8) != 0)
                dc_.viewportX = b_.i32(pos + 8);
            break;
        case ScaleViewportExtEx:
        case ScaleWindowExtEx:
            if (size >= 24 && b_.i32(pos + 8) != 0 && b_.i32(pos + 12) != 0) {
                double &ext = type == ScaleWindowExtEx ? dc_.windowX : dc_.viewportX;
                ext = ext * b_.i32(pos + 8) / b_.i32(pos + 12);
            }
            break;
        case SaveDc:
            saved_.append(dc_);
            break;
        case RestoreDc:
            if (size >= 12) {
                const qint64 back = b_.i32(pos + 8);
                const qint64 keep = back < 0 ? saved_.size() + back : back - 1;
                if (keep >= 0 && keep < saved_.size()) {
                    dc_ = saved_.at(keep);
                    saved_.resize(keep);
                }
            }
            break;
        case ExtCreateFontIndirectW:
            fontCharsets_.insert(b_.u32(pos + 8), b_.u8(pos + 35));
            break;
        case SelectObject:
            if (fontCharsets_.contains(b_.u32(pos + 8)))
                dc_.font = b_.u32(pos + 8);
            break;
        case DeleteObject:
            fontCharsets_.remove(b_.u32(pos + 8));
            break;
        default:
            break;
        }
    }

    // Device pixels per logical unit along x.
    double scale() const
    {
        switch (dc_.mode) {
        case 2: return pixelsPerMm_ * 0.1;
        case 3: return pixelsPerMm_ * 0.01;
        case 4: return pixelsPerMm_ * 0.254;
        case 5: return pixelsPerMm_ * 0.0254;
        case 6: return pixelsPerMm_ * 25.4 / 1440;
        case 7:
        case 8: return std::abs(dc_.viewportX / dc_.windowX);
        default: return 1;
        }
    }

    quint32 scaledWidth(qint64 width) const
    {
        return quint32(std::clamp<double>(std::round(width * scale()), 1, 1e6));
    }

    static void u32(QByteArray &out, quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    }

    bool rewritePen(QByteArray &out, quint32 type, qint64 pos, qint64 size) const
    {
        if (type == CreatePen) {
            const quint32 style = b_.u32(pos + 12);
            const qint64 width = b_.i32(pos + 16);
            if ((style & 0x0F) == PenNull || width <= 1)
                return false;
            u32(out, ExtCreatePen);
            u32(out, 52);
            u32(out, b_.u32(pos + 8)); // handle
            for (int i = 0; i < 4; ++i)
                u32(out, 0); // no bitmap
            u32(out, PenGeometric | (style & 0x0F));
            u32(out, scaledWidth(width));
            u32(out, 0); // solid brush
            u32(out, b_.u32(pos + 24));
            u32(out, 0); // hatch
            u32(out, 0); // no style entries
            return true;
        }
        if (type == ExtCreatePen && (b_.u32(pos + 28) & PenGeometric)) {
            const qsizetype at = out.size();
            out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            const quint32 w = scaledWidth(b_.u32(pos + 32));
            for (int i = 0; i < 4; ++i)
                out[at + 32 + i] = char((w >> (8 * i)) & 0xFF);
            return true;
        }
        return false;
    }

    // Whether a text record gives glyph indices instead of characters.
    bool glyphIndices(quint32 type, qint64 pos, qint64 size) const
    {
        constexpr quint32 GlyphIndex = 0x0010;
        switch (type) {
        case ExtTextOutA:
        case ExtTextOutW:
            return b_.u32(pos + 52) & GlyphIndex;
        case SmallTextOut:
            return size < 24 || (b_.u32(pos + 20) & GlyphIndex);
        case PolyTextOutA:
        case PolyTextOutW: {
            if (size < 40)
                return true;
            const qint64 strings = b_.u32(pos + 36);
            for (qint64 i = 0; i < strings; ++i) {
                const qint64 at = 40 + 40 * i;
                if (at + 40 > size || (b_.u32(pos + at + 16) & GlyphIndex))
                    return true;
            }
            return false;
        }
        default:
            return false;
        }
    }

    // Text records as wide text that the SVG can hold; face names likewise.
    bool rewriteText(QByteArray &out, quint32 type, qint64 pos, qint64 size) const
    {
        if (type == ExtCreateFontIndirectW) {
            const qsizetype at = out.size();
            out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            for (int i = 0; i < 32; ++i) {
                const qsizetype c = at + 40 + 2 * i;
                const char16_t ch = char16_t(uchar(out[c]) | (uchar(out[c + 1]) << 8));
                if (ch == 0)
                    break;
                if (ch < 0x20 || ch == u'"' || ch == u'&' || ch == u'<' || ch == u'>') {
                    out[c] = ' ';
                    out[c + 1] = 0;
                }
            }
            return true;
        }
        if (type != ExtTextOutA && type != ExtTextOutW)
            return false;
        const qint64 chars = b_.u32(pos + 44);
        const qint64 offString = b_.u32(pos + 48);
        const quint32 options = b_.u32(pos + 52);
        const qint64 offDx = b_.u32(pos + 72);
        const int per = (options & 0x2000) ? 2 : 1;
        QString text;
        QVector<qint32> dx;
        if (type == ExtTextOutW) {
            for (qint64 i = 0; i < chars; ++i)
                text.append(QChar(b_.u16(pos + offString + 2 * i)));
            for (qint64 i = 0; offDx && i < chars * per; ++i)
                dx.append(b_.i32(pos + offDx + 4 * i));
        } else {
            QVector<qint32> byteDx;
            for (qint64 i = 0; offDx && i < chars * per; ++i)
                byteDx.append(b_.i32(pos + offDx + 4 * i));
            const QByteArray bytes(reinterpret_cast<const char *>(b_.data() + pos + offString), chars);
            decodeText(bytes, byteDx, per, fontCharsets_.value(dc_.font, 1), &text, &dx);
            if (!offDx)
                dx.clear();
        }
        text = svgSafe(text);
        const qint64 fixed = 76;
        const qint64 stringBytes = (text.size() * 2 + 3) / 4 * 4;
        QByteArray r(reinterpret_cast<const char *>(b_.data() + pos), fixed);
        auto put = [&r](qint64 at, quint32 v) {
            for (int i = 0; i < 4; ++i)
                r[at + i] = char((v >> (8 * i)) & 0xFF);
        };
        put(0, ExtTextOutW);
        put(44, quint32(text.size()));
        put(48, quint32(fixed));
        put(72, dx.isEmpty() ? 0 : quint32(fixed + stringBytes));
        for (QChar c : text) {
            r.append(char(c.unicode() & 0xFF));
            r.append(char(c.unicode() >> 8));
        }
        while (r.size() % 4)
            r.append('\0');
        for (qint32 v : dx)
            u32(r, quint32(v));
        put(4, quint32(r.size()));
        out.append(r);
        return true;
    }

    const Bytes &b_;
    double pixelsPerMm_;
    DcState dc_;
    QVector<DcState> saved_;
    QHash<quint32, int> fontCharsets_;
};

// The header's frame on the reference device, in its pixels.
QRectF deviceFrame(const Bytes &b, QPointF pixelsPerMm)
{
    const double left = b.i32(24), top = b.i32(28), right = b.i32(32), bottom = b.i32(36);
    return QRectF(QPointF(left * pixelsPerMm.x(), top * pixelsPerMm.y()) / 100,
                  QPointF(right * pixelsPerMm.x(), bottom * pixelsPerMm.y()) / 100)
        .normalized();
}

QByteArray toSvg(QByteArray &emf)
{
    generatorOptions options{};
    char nameSpace[] = "";
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    char *svg = nullptr;
    size_t length = 0;
    const int ok = emf2svg(emf.data(), size_t(emf.size()), &svg, &length, &options);
    QByteArray out;
    if (ok == 1 && svg)
        out = QByteArray(svg, qsizetype(length));
    std::free(svg);
    return out;
}

} // namespace

EmfDrawing drawEmf(const QByteArray &file)
{
    const Bytes b(file);
    if (!b.has(0, 88))
        damaged();
    const qint64 headerSize = b.u32(4);
    const qint64 total = b.u32(48);
    if (b.u32(0) != Header || b.u32(40) != 0x464D4520 || headerSize < 88 || headerSize % 4 != 0
        || total < headerSize || !b.has(0, total))
        damaged();

    // The reference device: pixels per millimetre, finest from micrometres.
    const double devW = b.i32(72), devH = b.i32(76);
    double mmW = b.i32(80), mmH = b.i32(84);
    if (headerSize >= 108 && b.i32(100) > 0 && b.i32(104) > 0) {
        mmW = b.i32(100) / 1000.0;
        mmH = b.i32(104) / 1000.0;
    }
    EmfDrawing d;
    // A device of less than 2.54 or more than 25400 dots to the inch is taken as a mistake.
    auto sane = [](double ppm) { return ppm >= 0.1 && ppm <= 1000; };
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && sane(devW / mmW) && sane(devH / mmH))
        d.pixelsPerMm = QPointF(devW / mmW, devH / mmH);

    QByteArray emf = file.left(headerSize);
    emf.append(EmfWalk(b, d.pixelsPerMm.x()).run(headerSize, total));
    auto put = [&emf](int at, double v) {
        const quint32 u = quint32(qint32(std::clamp(v, -2147483648.0, 2147483647.0)));
        for (int i = 0; i < 4; ++i)
            emf[at + i] = char((u >> (8 * i)) & 0xFF);
    };
    put(48, double(emf.size()));
    // The device bounds size the SVG, and empty ones make it all "nan": the frame's place on the
    // device stands in for them.
    d.frame = deviceFrame(b, d.pixelsPerMm);
    const QRectF &frame = d.frame;
    put(8, std::floor(frame.left()));
    put(12, std::floor(frame.top()));
    put(16, std::max(std::ceil(frame.right()), std::floor(frame.left()) + 1));
    put(20, std::max(std::ceil(frame.bottom()), std::floor(frame.top()) + 1));

    d.svg = toSvg(emf);
    if (d.svg.isEmpty())
        damaged();
    // The drawing is shifted by the device bounds' corner.
    static const QRegularExpression shift(QStringLiteral("<g transform=\"translate\\(([-0-9.]+), *([-0-9.]+)\\)\""));
    const QRegularExpressionMatch m = shift.match(QString::fromUtf8(d.svg.left(1024)));
    if (m.hasMatch())
        d.shift = QPointF(m.captured(1).toDouble(), m.captured(2).toDouble());
    return d;
}

std::shared_ptr<PictureData> loadEmf(const QByteArray &file)
{
    const Bytes b(file);
    if (!b.has(0, 88))
        damaged();
    // The frame, in hundredths of a millimetre.
    const qint64 left = b.i32(24), top = b.i32(28), right = b.i32(32), bottom = b.i32(36);
    const qint64 frameW = right - left;
    const qint64 frameH = bottom - top;
    if (frameW <= 0 || frameH <= 0)
        damaged();
    const QSizeF twips(frameW * 1440.0 / 2540.0, frameH * 1440.0 / 2540.0);
    const QSize pixels(std::max(1, int(std::lround(std::min(twips.width() / 15.0, 1e9)))),
                       std::max(1, int(std::lround(std::min(twips.height() / 15.0, 1e9)))));
    checkPixelCount(pixels.width(), pixels.height());
    const EmfDrawing d = drawEmf(file);
    const QRectF viewBox = d.frame.translated(d.shift);
    return metafileData(Kind::EnhMetafile, twips, d.svg, viewBox);
}

} // namespace picture::detail
