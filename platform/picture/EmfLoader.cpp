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
#include "platform/picture/DrawingWork.h"
#include "platform/picture/MetafileRecords.h"
#include "platform/picture/PictureData.h"
#include "platform/picture/SvgCleaner.h"
#include "platform/picture/Text.h"

#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <QVector>

#include <emf2svg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace picture::detail {

namespace {

using namespace picture::emf;

// Offsets in the bitmap records: the block transfers (BitBlt, StretchBlt, AlphaBlend) and
// StretchDIBits.
constexpr qint64 BltDestX = 24, BltDestY = 28, BltDestWidth = 32, BltDestHeight = 36, BltBitmapInfoSize = 88;
constexpr qint64 StretchDibDestX = 24, StretchDibDestY = 28, StretchDibBitmapInfoSize = 52;
constexpr qint64 StretchDibDestWidth = 72, StretchDibDestHeight = 76;

// Offsets in the header.
constexpr qint64 HeaderBounds = 8, HeaderFrame = 24, HeaderDevicePixels = 72, HeaderDeviceMillimetres = 80;
constexpr qint64 HeaderDeviceMicrometres = 100, HeaderWithMicrometres = 108;

// Offsets in the gradient fill record, and its vertices of 16 bytes (x, y, four colours).
constexpr qint64 GradientVertexCount = 24, GradientShapeCount = 28, GradientMode = 32, GradientVertices = 36;
constexpr qint64 GradientVertexSize = 16;
constexpr quint32 GradientTriangles = 2;

constexpr quint32 PenGeometric = 0x00010000;
// More drawing than the work bound admits never makes this much SVG; a guard all the same.
constexpr qsizetype MaxSvgBytes = 64 * 1024 * 1024;
constexpr quint32 PenNull = 5;

// What SaveDC keeps and RestoreDC brings back, as far as the rewriting and the estimate of the
// drawing work need it: the mapping, the selected pen and font, the current position.
struct DcState
{
    quint32 mode = 1;
    double windowX = 1, windowY = 1;
    double viewportX = 1, viewportY = 1;
    double worldX = 1, worldY = 1; // how much the world transform enlarges along each axis
    quint32 font = 0;
    double penWidth = 0; // logical units; 0 for a pen of one pixel
    double fontHeight = 0; // logical units; 0 for the default font
    double x = 0, y = 0;
    quint32 textAlign = 0;
    quint32 brush = 0; // the selected brush's handle; 0 for a stock one
    bool opaque = true; // the background mode
    quint32 background = 0xFFFFFF; // as a colour reference
};

class EmfWalk
{
public:
    // naturalPerDevice: the picture's pixels at its natural size per reference device pixel;
    // frame: the natural size.
    // spareHandle: an object handle that the file does not use, for the brushes that draw
    // its gradients (0 for none).
    EmfWalk(const Bytes &b, QPointF pixelsPerMm, QPointF naturalPerDevice, const QSizeF &frame, quint32 spareHandle)
        : b_(b), pixelsPerMm_(pixelsPerMm), natural_(naturalPerDevice), work_(frame), spareHandle_(spareHandle)
    {
    }

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
            if (size < minimumSize(type) || size % 4 != 0 || size > end - pos)
                damaged();
            check(type, pos, size);
            estimate(type, pos);
            track(type, pos);
            // Past the bound the picture would hold the window too long or take too much memory.
            if (work_.exceeded())
                damaged();
            // Glyph-index text is left out; pens and text may be rewritten; the rest is kept.
            bitmapBox(out, type, pos);
            const bool hatch = hatchBefore(out, type);
            if (!glyphIndices(type, pos, size) && !rewritePen(out, type, pos, size)
                && !rewriteText(out, type, pos, size) && !rewriteGradient(out, type, pos))
                out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            if (hatch)
                hatchAfter(out);
            if (work_.exceeded())
                damaged();
            pos += size;
            if (type == Eof)
                return out;
        }
    }

    // The hatches that shapes filled with their marker colours stand for (SvgCleaner.h).
    const Hatches &hatches() const { return hatchMarkers_; }

    // The estimated work of drawing the records walked, in nanoseconds.
    double work() const { return work_.spent(); }

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
        // A JPEG or PNG file as the bits must be one, of a size that a picture may have.
        const quint32 compression = b_.u32(bmi + DibCompression);
        if (compression == DibJpeg || compression == DibPng)
            need(embeddedImageSize(b_, pos + b_.u32(pos + at + 8), b_.u32(pos + at + 12), compression).isValid());
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
            bitmap(pos, size, 84);
            break;
        case MaskBlt:
            bitmap(pos, size, 84);
            bitmap(pos, size, 112);
            break;
        case PlgBlt:
            bitmap(pos, size, 96);
            break;
        case SetDiBitsToDevice: case StretchDiBits:
            bitmap(pos, size, 48);
            break;
        case CreateMonoBrush: case CreateDibPatternBrushPt:
            bitmap(pos, size, 16);
            break;
        case ExtCreatePen:
            need(52 + 4 * qint64(b_.u32(pos + 48)) <= size);
            bitmap(pos, size, 12);
            break;
        case PolyDraw:
            need(28 + 9 * qint64(b_.u32(pos + 24)) <= size);
            break;
        case PolyDraw16:
            need(28 + 5 * qint64(b_.u32(pos + 24)) <= size);
            break;
        case CreatePalette:
            need(16 + 4 * qint64(b_.u16(pos + 14)) <= size);
            break;
        case SetPaletteEntries:
            need(20 + 4 * qint64(b_.u32(pos + 16)) <= size);
            break;
        case GdiComment:
            need(12 + qint64(b_.u32(pos + 8)) <= size);
            break;
        case FillRgn: case FrameRgn: case InvertRgn: case PaintRgn:
            region(pos, size, 24, minimumSize(type) - 32);
            break;
        case ExtSelectClipRgn:
            if (b_.u32(pos + 8) != 0)
                region(pos, size, 8, 16);
            break;
        case DrawEscape: case ExtEscape:
            need(16 + qint64(b_.u32(pos + 12)) <= size);
            break;
        case NamedEscape:
            need(20 + qint64(b_.u32(pos + 12)) + qint64(b_.u32(pos + 16)) <= size);
            break;
        case SetIcmProfileA: case SetIcmProfileW:
            need(20 + qint64(b_.u32(pos + 12)) + qint64(b_.u32(pos + 16)) <= size);
            break;
        case ColorMatchToTargetW:
            need(24 + qint64(b_.u32(pos + 16)) + qint64(b_.u32(pos + 20)) <= size);
            break;
        case CreateColorSpaceW:
            need(12 + 592 + qint64(b_.u32(pos + 600)) <= size);
            break;
        case GradientFill: {
            const qint64 vertices = b_.u32(pos + GradientVertexCount);
            const qint64 shapes = b_.u32(pos + GradientShapeCount);
            const quint32 mode = b_.u32(pos + GradientMode);
            need(mode <= GradientTriangles
                 && GradientVertices + GradientVertexSize * vertices + (mode == GradientTriangles ? 12 : 8) * shapes <= size);
            break;
        }
        case SmallTextOut: {
            const qint64 chars = b_.u32(pos + 16);
            const quint32 options = b_.u32(pos + 20);
            const qint64 fixed = 36 + ((options & 0x0100) ? 0 : 16);
            need(fixed <= size && chars * ((options & 0x0200) ? 1 : 2) <= size - fixed);
            break;
        }
        case PolyTextOutA: case PolyTextOutW: {
            const qint64 strings = b_.u32(pos + 36);
            need(40 + 40 * strings <= size);
            for (qint64 i = 0; i < strings; ++i) {
                const qint64 at = pos + 40 + 40 * i;
                const qint64 chars = b_.u32(at + 8);
                const qint64 offString = b_.u32(at + 12);
                const qint64 offDx = b_.u32(at + 36);
                need(chars <= size && offString <= size && chars * (type == PolyTextOutW ? 2 : 1) <= size - offString);
                need(offDx == 0 || (offDx <= size && chars * 4 <= size - offDx));
            }
            break;
        }
        default:
            break;
        }
    }

    // A region given by its length at lengthAt from the record's start, its data at dataAt:
    // the header and the rectangles it counts must lie in the record.
    void region(qint64 pos, qint64 size, qint64 lengthAt, qint64 dataAt) const
    {
        const qint64 length = b_.u32(pos + lengthAt);
        need(length >= 32 && dataAt + length <= size);
        const qint64 rects = b_.u32(pos + dataAt + 8);
        need(rects <= (length - 32) / 16);
    }

    void track(quint32 type, qint64 pos)
    {
        switch (type) {
        case SetMapMode:
            dc_.mode = b_.u32(pos + 8);
            break;
        case SetWindowExtEx:
            if (b_.i32(pos + 8) != 0)
                dc_.windowX = b_.i32(pos + 8);
            if (b_.i32(pos + 12) != 0)
                dc_.windowY = b_.i32(pos + 12);
            break;
        case SetViewportExtEx:
            if (b_.i32(pos + 8) != 0)
                dc_.viewportX = b_.i32(pos + 8);
            if (b_.i32(pos + 12) != 0)
                dc_.viewportY = b_.i32(pos + 12);
            break;
        case ScaleViewportExtEx:
        case ScaleWindowExtEx: {
            double &extX = type == ScaleWindowExtEx ? dc_.windowX : dc_.viewportX;
            double &extY = type == ScaleWindowExtEx ? dc_.windowY : dc_.viewportY;
            if (b_.i32(pos + 8) != 0 && b_.i32(pos + 12) != 0)
                extX = bounded(extX * b_.i32(pos + 8) / b_.i32(pos + 12));
            if (b_.i32(pos + 16) != 0 && b_.i32(pos + 20) != 0)
                extY = bounded(extY * b_.i32(pos + 16) / b_.i32(pos + 20));
            break;
        }
        case SetWorldTransform:
            dc_.worldX = stretch(pos + 8, pos + 12);
            dc_.worldY = stretch(pos + 16, pos + 20);
            break;
        case ModifyWorldTransform:
            switch (b_.u32(pos + 32)) {
            case 1: // identity
                dc_.worldX = dc_.worldY = 1;
                break;
            case 2: // left multiply
            case 3: // right multiply
                dc_.worldX = bounded(dc_.worldX * std::max(stretch(pos + 8, pos + 12), stretch(pos + 16, pos + 20)));
                dc_.worldY = bounded(dc_.worldY * std::max(stretch(pos + 8, pos + 12), stretch(pos + 16, pos + 20)));
                break;
            case 4: // set
                dc_.worldX = stretch(pos + 8, pos + 12);
                dc_.worldY = stretch(pos + 16, pos + 20);
                break;
            default:
                break;
            }
            break;
        case SaveDc:
            saved_.append(dc_);
            break;
        case RestoreDc: {
            const qint64 back = b_.i32(pos + 8);
            const qint64 keep = back < 0 ? saved_.size() + back : back - 1;
            if (keep >= 0 && keep < saved_.size()) {
                dc_ = saved_.at(keep);
                saved_.resize(keep);
            }
            break;
        }
        case SetTextAlign:
            dc_.textAlign = b_.u32(pos + 8);
            break;
        case ExtCreateFontIndirectW:
            fontCharsets_.insert(b_.u32(pos + 8), b_.u8(pos + 35));
            fontFaces_.insert(b_.u32(pos + 8), faceName(pos));
            fontTurned_.insert(b_.u32(pos + 8), b_.i32(pos + 20) % 3600 != 0);
            fontHeights_.insert(b_.u32(pos + 8), std::abs(double(b_.i32(pos + 12))));
            break;
        case CreatePen:
            penWidths_.insert(b_.u32(pos + 8), std::abs(double(b_.i32(pos + 16))));
            break;
        case ExtCreatePen:
            penWidths_.insert(b_.u32(pos + 8), (b_.u32(pos + 28) & PenGeometric) ? double(b_.u32(pos + 32)) : 0.0);
            break;
        case SetBkMode:
            dc_.opaque = b_.u32(pos + 8) == 2;
            break;
        case SetBkColor:
            dc_.background = b_.u32(pos + 8) & 0xFFFFFF;
            break;
        case CreateBrushIndirect:
        case CreateMonoBrush:
        case CreateDibPatternBrushPt: {
            const quint32 handle = b_.u32(pos + 8);
            brushes_.insert(handle);
            constexpr quint32 BrushHatched = 2;
            if (type == CreateBrushIndirect && b_.u32(pos + 12) == BrushHatched && b_.u32(pos + 20) <= 5)
                hatchBrushes_.insert(handle, Hatch{int(b_.u32(pos + 20)), rgbOf(b_.u32(pos + 16)), false, 0});
            else
                hatchBrushes_.remove(handle);
            break;
        }
        case SelectObject: {
            const quint32 handle = b_.u32(pos + 8);
            if (brushes_.contains(handle))
                dc_.brush = handle;
            else if (handle >= 0x80000000 && handle <= 0x80000005) // stock brushes
                dc_.brush = 0;
            if (fontCharsets_.contains(handle)) {
                dc_.font = handle;
                dc_.fontHeight = fontHeights_.value(handle);
            }
            if (penWidths_.contains(handle))
                dc_.penWidth = penWidths_.value(handle);
            else if (handle >= 0x80000006 && handle <= 0x80000008) // stock pens
                dc_.penWidth = 0;
            break;
        }
        case DeleteObject:
            fontCharsets_.remove(b_.u32(pos + 8));
            fontFaces_.remove(b_.u32(pos + 8));
            fontTurned_.remove(b_.u32(pos + 8));
            fontHeights_.remove(b_.u32(pos + 8));
            penWidths_.remove(b_.u32(pos + 8));
            brushes_.remove(b_.u32(pos + 8));
            hatchBrushes_.remove(b_.u32(pos + 8));
            break;
        case MoveToEx:
        case LineTo:
            dc_.x = b_.i32(pos + 8);
            dc_.y = b_.i32(pos + 12);
            break;
        default:
            break;
        }
    }

    static double bounded(double v) { return std::isfinite(v) ? std::clamp(v, -1e12, 1e12) : 1e12; }

    // How much a world transform of the four 32-bit floats at a, b (a row of the matrix)
    // enlarges along one axis.
    double stretch(qint64 a, qint64 b) const
    {
        float fa, fb;
        const quint32 ua = b_.u32(a), ub = b_.u32(b);
        std::memcpy(&fa, &ua, sizeof fa);
        std::memcpy(&fb, &ub, sizeof fb);
        return bounded(std::hypot(double(fa), double(fb)));
    }

    // Device pixels per logical unit along each axis.
    double scale(bool vertical) const
    {
        const double ppm = vertical ? pixelsPerMm_.y() : pixelsPerMm_.x();
        switch (dc_.mode) {
        case 2: return ppm * 0.1;
        case 3: return ppm * 0.01;
        case 4: return ppm * 0.254;
        case 5: return ppm * 0.0254;
        case 6: return ppm * 25.4 / 1440;
        case 7:
        case 8: return vertical ? std::abs(dc_.viewportY / dc_.windowY) : std::abs(dc_.viewportX / dc_.windowX);
        default: return 1;
        }
    }
    double scale() const { return scale(false); }

    // Natural pixels per logical unit along each axis, as far as the estimate needs them.
    double naturalX() const { return bounded(scale(false) * dc_.worldX * natural_.x()); }
    double naturalY() const { return bounded(scale(true) * dc_.worldY * natural_.y()); }

    // What the points of a line or shape cover, in natural pixels: their box, the rows their
    // edges cross (the closing edge of each closed figure included).
    struct Extent
    {
        double left = 0, top = 0, right = 0, bottom = 0, rows = 0, slantRows = 0, slantColumns = 0;
        qint64 points = 0;
        bool any = false;
        void add(double x, double y)
        {
            if (!any) {
                left = right = x;
                top = bottom = y;
                any = true;
            }
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            ++points;
        }
        void unite(const Extent &o)
        {
            if (!o.any)
                return;
            add(o.left, o.top);
            add(o.right, o.bottom);
            points += o.points - 2;
            rows += o.rows;
            slantRows += o.slantRows;
            slantColumns += o.slantColumns;
        }
        // An edge of dx by dy pixels.
        void edge(double dx, double dy)
        {
            dx = std::abs(dx);
            dy = std::abs(dy);
            rows += dy;
            if (dx > 0 && dy > 0) {
                slantRows += dy;
                slantColumns += dx;
            }
        }
        QSizeF box() const { return QSizeF(right - left, bottom - top); }
    };

    // The points of a record: count of them from at, 16 or 32 bits each, in figures of the
    // given sizes (one figure of all when figures is empty); from the current position first
    // for the "To" records.
    Extent points(qint64 at, qint64 count, bool wide, const QVector<qint64> &figures, bool closed, bool fromCurrent)
    {
        Extent e;
        const double sx = naturalX(), sy = naturalY();
        double firstX = 0, firstY = 0, lastX = 0, lastY = 0;
        qint64 k = 0;
        auto point = [&](qint64 i, double *x, double *y) {
            *x = wide ? b_.i32(at + 8 * i) : b_.i16(at + 4 * i);
            *y = wide ? b_.i32(at + 8 * i + 4) : b_.i16(at + 4 * i + 2);
        };
        const QVector<qint64> sizes = figures.isEmpty() ? QVector<qint64>{count} : figures;
        for (qint64 figure : sizes) {
            for (qint64 j = 0; j < figure && k < count; ++j, ++k) {
                double x, y;
                point(k, &x, &y);
                x *= sx;
                y *= sy;
                if (j == 0 && fromCurrent) {
                    firstX = lastX = dc_.x * sx;
                    firstY = lastY = dc_.y * sy;
                    e.add(lastX, lastY);
                    e.edge(x - lastX, y - lastY);
                } else if (j == 0) {
                    firstX = x;
                    firstY = y;
                } else {
                    e.edge(x - lastX, y - lastY);
                }
                e.add(x, y);
                lastX = x;
                lastY = y;
                if (j + 1 == figure || k + 1 == count) {
                    if (closed)
                        e.edge(lastX - firstX, lastY - firstY);
                    if (fromCurrent && sx != 0 && sy != 0) {
                        dc_.x = x / sx;
                        dc_.y = y / sy;
                    }
                }
            }
        }
        return e;
    }

    // A box record at `at`: left, top, right, bottom; curved holds its outline curved (an
    // ellipse, an arc) rather than upright and level.
    Extent box(qint64 at, bool curved)
    {
        Extent e;
        e.add(b_.i32(at) * naturalX(), b_.i32(at + 4) * naturalY());
        e.add(b_.i32(at + 8) * naturalX(), b_.i32(at + 12) * naturalY());
        e.rows = 2 * (e.bottom - e.top);
        if (curved) {
            e.slantRows = e.rows;
            e.slantColumns = 2 * (e.right - e.left);
        }
        e.points = 0; // drawn as the shape it is, not as points
        return e;
    }

    // Draws a line or shape, or adds it to the path being built.
    void draw(const Extent &e, bool filled)
    {
        lastBox_ = e.box();
        if (inPath_) {
            path_.unite(e);
            work_.record();
            return;
        }
        work_.shape(e.box(), e.rows, e.slantRows, e.slantColumns, e.points, filled, dc_.penWidth * naturalX());
    }

    // The pixels of a bitmap whose header lies at the offset given at offsetAt.
    qint64 bitmapPixels(qint64 pos, qint64 offsetAt) const
    {
        if (b_.u32(pos + offsetAt + 4) == 0)
            return 0;
        const qint64 at = pos + b_.u32(pos + offsetAt);
        if (b_.u32(at) == 12)
            return qint64(b_.u16(at + 4)) * b_.u16(at + 6);
        const qint64 announced = std::abs(qint64(b_.i32(at + 4))) * std::abs(qint64(b_.i32(at + 8)));
        const quint32 compression = b_.u32(at + DibCompression);
        if (compression != DibJpeg && compression != DibPng)
            return announced;
        // The file inside is decoded at its own size, whatever the header announces.
        const QSize real = embeddedImageSize(b_, pos + b_.u32(pos + offsetAt + 8), b_.u32(pos + offsetAt + 12), compression);
        return std::max(announced, qint64(real.width()) * real.height());
    }

    // A bitmap record: its source, and the box it is shown in (logical width and height at
    // widthAt; the whole frame where the record gives none).
    void blit(qint64 pos, qint64 offsetAt, qint64 widthAt)
    {
        const qint64 source = bitmapPixels(pos, offsetAt);
        const QSizeF dest = widthAt > 0 ? QSizeF(b_.i32(pos + widthAt) * naturalX(), b_.i32(pos + widthAt + 4) * naturalY())
                                        : QSizeF(1e12, 1e12);
        if (source == 0) {
            // A pattern or colour fill of the box.
            Extent e;
            e.add(0, 0);
            e.add(std::abs(dest.width()), std::abs(dest.height()));
            e.rows = 2 * e.bottom;
            work_.shape(e.box(), e.rows, 0, 0, 4, true, 0);
            return;
        }
        work_.bitmap(source, dest);
    }

    // A gradient fill: each rectangle or triangle fills the box of its corners, which are
    // vertices the record lists; a corner that names no vertex adds nothing.
    void gradient(qint64 pos)
    {
        const qint64 vertices = b_.u32(pos + GradientVertexCount);
        const qint64 shapes = b_.u32(pos + GradientShapeCount);
        const bool triangles = b_.u32(pos + GradientMode) == GradientTriangles;
        const int corners = triangles ? 3 : 2;
        const qint64 shapesAt = pos + GradientVertices + GradientVertexSize * vertices;
        Extent all;
        for (qint64 i = 0; i < shapes; ++i) {
            Extent shape;
            for (int k = 0; k < corners; ++k) {
                const qint64 v = b_.u32(shapesAt + 4 * (corners * i + k));
                if (v < vertices) {
                    const qint64 at = pos + GradientVertices + GradientVertexSize * v;
                    shape.add(b_.i32(at) * naturalX(), b_.i32(at + 4) * naturalY());
                }
            }
            const QSizeF box = shape.box();
            shape.rows = 2 * box.height();
            if (triangles) {
                shape.slantRows = shape.rows;
                shape.slantColumns = 2 * box.width();
            }
            all.unite(shape);
        }
        all.points = vertices + corners * shapes;
        work_.shape(all.box(), all.rows, all.slantRows, all.slantColumns, all.points, true, 0);
    }

    // What a record adds to the work of drawing the picture.
    void estimate(quint32 type, qint64 pos)
    {
        switch (type) {
        case PolyBezier16: case Polygon16: case Polyline16: case PolyBezierTo16: case PolylineTo16:
        case PolyBezier: case Polygon: case Polyline: case PolyBezierTo: case PolylineTo: {
            const bool wide = type < PolyBezier16;
            const bool to = type == PolyBezierTo16 || type == PolylineTo16 || type == PolyBezierTo || type == PolylineTo;
            const bool closed = type == Polygon16 || type == Polygon;
            draw(points(pos + 28, b_.u32(pos + 24), wide, {}, closed, to), closed);
            break;
        }
        case PolyDraw: case PolyDraw16:
            draw(points(pos + 28, b_.u32(pos + 24), type == PolyDraw, {}, false, true), false);
            break;
        case PolyPolyline16: case PolyPolygon16: case PolyPolyline: case PolyPolygon: {
            const qint64 polys = b_.u32(pos + 24);
            QVector<qint64> figures;
            figures.reserve(int(std::min<qint64>(polys, 1 << 20)));
            for (qint64 i = 0; i < polys; ++i)
                figures.append(b_.u32(pos + 32 + 4 * i));
            const bool closed = type == PolyPolygon16 || type == PolyPolygon;
            draw(points(pos + 32 + 4 * polys, b_.u32(pos + 28), type == PolyPolyline || type == PolyPolygon, figures,
                        closed, false),
                 closed);
            break;
        }
        case Rectangle:
            draw(box(pos + 8, false), true);
            break;
        case Ellipse: case RoundRect: case Chord: case Pie:
            draw(box(pos + 8, true), true);
            break;
        case Arc: case ArcTo:
            draw(box(pos + 8, true), false);
            break;
        case AngleArc: {
            const double r = b_.u32(pos + 16);
            Extent e;
            e.add(0, 0);
            e.add(2 * r * naturalX(), 2 * r * naturalY());
            e.rows = e.slantRows = 2 * e.bottom;
            e.slantColumns = 2 * e.right;
            draw(e, false);
            break;
        }
        case LineTo: {
            Extent e;
            e.add(dc_.x * naturalX(), dc_.y * naturalY());
            e.add(b_.i32(pos + 8) * naturalX(), b_.i32(pos + 12) * naturalY());
            e.edge(e.right - e.left, e.bottom - e.top);
            draw(e, false);
            break;
        }
        case BeginPath:
            inPath_ = true;
            path_ = Extent();
            work_.record();
            break;
        case EndPath:
            inPath_ = false;
            work_.record();
            break;
        case AbortPath:
            inPath_ = false;
            path_ = Extent();
            work_.record();
            break;
        case FillPath: case StrokeAndFillPath: case StrokePath:
            inPath_ = false;
            lastBox_ = path_.box();
            work_.shape(path_.box(), path_.rows, path_.slantRows, path_.slantColumns, path_.points, type != StrokePath,
                        dc_.penWidth * naturalX());
            break;
        case ExtTextOutA: case ExtTextOutW:
            work_.text(b_.u32(pos + 44), textHeight());
            break;
        case SmallTextOut:
            work_.text(b_.u32(pos + 16), textHeight());
            break;
        case PolyTextOutA: case PolyTextOutW: {
            qint64 chars = 0;
            for (qint64 i = 0; i < qint64(b_.u32(pos + 36)); ++i)
                chars += b_.u32(pos + 40 + 40 * i + 8);
            work_.text(chars, textHeight());
            break;
        }
        case BitBlt: case StretchBlt: case MaskBlt: case AlphaBlend: case TransparentBlt:
            blit(pos, 84, 32);
            break;
        case PlgBlt:
            blit(pos, 96, 0);
            break;
        case SetDiBitsToDevice:
            blit(pos, 48, 40);
            break;
        case StretchDiBits:
            blit(pos, 48, 72);
            break;
        case CreateMonoBrush: case CreateDibPatternBrushPt:
            work_.bitmap(bitmapPixels(pos, 16), QSizeF());
            break;
        case ExtCreatePen:
            work_.bitmap(bitmapPixels(pos, 12), QSizeF());
            break;
        case FillRgn: case FrameRgn: case InvertRgn: case PaintRgn: {
            const qint64 data = pos + minimumSize(type) - 32;
            const qint64 rects = b_.u32(data + 8);
            Extent e;
            e.add(0, 0);
            e.add(std::abs(double(b_.i32(data + 24)) - b_.i32(data + 16)) * natural_.x(),
                  std::abs(double(b_.i32(data + 28)) - b_.i32(data + 20)) * natural_.y());
            e.rows = 2 * double(rects) * e.bottom;
            e.points = 4 * rects;
            work_.shape(e.box(), e.rows, 0, 0, e.points, true, 0);
            break;
        }
        case GradientFill:
            gradient(pos);
            break;
        default:
            work_.record();
            break;
        }
    }

    // The height of the selected font in natural pixels.
    double textHeight() const
    {
        const double h = dc_.fontHeight > 0 ? dc_.fontHeight : 16;
        return bounded(h * naturalY());
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

    // Before a bitmap that libemf2svg draws, its destination as a rectangle without pen or brush,
    // which it places right; the SVG cleaner gives the bitmap that box (SvgCleaner.h).
    void bitmapBox(QByteArray &out, quint32 type, qint64 pos) const
    {
        struct Box
        {
            qint64 x, y, width, height, bitmapInfoSize;
        };
        Box box;
        switch (type) {
        case BitBlt: case StretchBlt: case AlphaBlend:
            box = {BltDestX, BltDestY, BltDestWidth, BltDestHeight, BltBitmapInfoSize};
            break;
        case StretchDiBits:
            box = {StretchDibDestX, StretchDibDestY, StretchDibDestWidth, StretchDibDestHeight,
                   StretchDibBitmapInfoSize};
            break;
        default:
            return;
        }
        if (b_.u32(pos + box.bitmapInfoSize) == 0)
            return;
        const qint64 x = b_.i32(pos + box.x), y = b_.i32(pos + box.y);
        const qint64 right = std::clamp<qint64>(x + b_.i32(pos + box.width), INT32_MIN, INT32_MAX);
        const qint64 bottom = std::clamp<qint64>(y + b_.i32(pos + box.height), INT32_MIN, INT32_MAX);
        u32(out, SaveDc);
        u32(out, 8);
        for (quint32 stock : {StockNullPen, StockNullBrush}) {
            u32(out, SelectObject);
            u32(out, 12);
            u32(out, stock);
        }
        u32(out, Rectangle);
        u32(out, 24);
        for (qint64 v : {x, y, right, bottom})
            u32(out, quint32(qint32(v)));
        u32(out, RestoreDc);
        u32(out, 12);
        u32(out, quint32(-1));
    }

    // A gradient fill, which the metafile library leaves out, as bands of solid colour: up to
    // 64 across each rectangle (in its direction), and a triangle in its corners' mean colour.
    // Past a bound on the bands of a picture, each shape is one band.
    bool rewriteGradient(QByteArray &out, quint32 type, qint64 pos)
    {
        if (type != GradientFill || spareHandle_ == 0)
            return false;
        constexpr qint64 MaxBands = 20000, BandsPerShape = 64;
        const qint64 vertices = b_.u32(pos + GradientVertexCount);
        const qint64 shapes = b_.u32(pos + GradientShapeCount);
        const quint32 mode = b_.u32(pos + GradientMode);
        const int corners = mode == GradientTriangles ? 3 : 2;
        const qint64 shapesAt = pos + GradientVertices + GradientVertexSize * vertices;
        struct Vertex
        {
            double x, y, c[3];
        };
        auto vertex = [&](qint64 v) {
            const qint64 at = pos + GradientVertices + GradientVertexSize * v;
            return Vertex{double(b_.i32(at)), double(b_.i32(at + 4)),
                          {b_.u16(at + 8) / 256.0, b_.u16(at + 10) / 256.0, b_.u16(at + 12) / 256.0}};
        };
        auto colour = [](const double *c) {
            auto channel = [](double v) { return quint32(std::clamp(std::lround(v), 0L, 255L)); };
            return channel(c[0]) | channel(c[1]) << 8 | channel(c[2]) << 16;
        };
        auto polygon = [&](const QVector<QPointF> &points, quint32 rgb) {
            u32(out, CreateBrushIndirect);
            u32(out, 24);
            u32(out, spareHandle_);
            u32(out, 0); // solid
            u32(out, rgb);
            u32(out, 0);
            u32(out, SelectObject);
            u32(out, 12);
            u32(out, spareHandle_);
            double left = points[0].x(), top = points[0].y(), right = left, bottom = top;
            for (const QPointF &p : points) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
            u32(out, Polygon);
            u32(out, quint32(28 + 8 * points.size()));
            for (double v : {left, top, right, bottom})
                u32(out, quint32(qint32(v)));
            u32(out, quint32(points.size()));
            for (const QPointF &p : points) {
                u32(out, quint32(qint32(p.x())));
                u32(out, quint32(qint32(p.y())));
            }
        };
        u32(out, SaveDc);
        u32(out, 8);
        u32(out, SelectObject);
        u32(out, 12);
        u32(out, StockNullPen);
        for (qint64 i = 0; i < shapes; ++i) {
            Vertex corner[3];
            bool known = true;
            for (int k = 0; k < corners; ++k) {
                const qint64 v = b_.u32(shapesAt + 4 * (corners * i + k));
                known = known && v < vertices;
                if (known)
                    corner[k] = vertex(v);
            }
            if (!known)
                continue;
            if (corners == 3) {
                double mean[3];
                for (int c = 0; c < 3; ++c)
                    mean[c] = (corner[0].c[c] + corner[1].c[c] + corner[2].c[c]) / 3;
                polygon({QPointF(corner[0].x, corner[0].y), QPointF(corner[1].x, corner[1].y),
                         QPointF(corner[2].x, corner[2].y)},
                        colour(mean));
                ++bands_;
                work_.elements(1);
                continue;
            }
            const bool down = mode == 1;
            const double from = down ? corner[0].y : corner[0].x, to = down ? corner[1].y : corner[1].x;
            const qint64 n = bands_ >= MaxBands ? 1
                                                : std::clamp<qint64>(qint64(std::min(std::abs(to - from), 1e6)), 1,
                                                                     BandsPerShape);
            bands_ += n;
            work_.elements(n);
            for (qint64 k = 0; k < n; ++k) {
                const double t = (k + 0.5) / n;
                double c[3];
                for (int ch = 0; ch < 3; ++ch)
                    c[ch] = corner[0].c[ch] + (corner[1].c[ch] - corner[0].c[ch]) * t;
                const double a = std::round(from + (to - from) * k / n), b = std::round(from + (to - from) * (k + 1) / n);
                const QRectF band = down ? QRectF(QPointF(corner[0].x, a), QPointF(corner[1].x, b))
                                         : QRectF(QPointF(a, corner[0].y), QPointF(b, corner[1].y));
                polygon({band.topLeft(), band.topRight(), band.bottomRight(), band.bottomLeft()}, colour(c));
            }
        }
        u32(out, RestoreDc);
        u32(out, 12);
        u32(out, quint32(-1));
        u32(out, DeleteObject);
        u32(out, 12);
        u32(out, spareHandle_);
        return true;
    }

    static QRgb rgbOf(quint32 colourRef)
    {
        return qRgb(int(colourRef & 0xFF), int((colourRef >> 8) & 0xFF), int((colourRef >> 16) & 0xFF));
    }

    // A shape filled with a hatched brush is filled instead with a brush of a marker colour,
    // one for each hatch, brush colour and background, which the SVG cleaner draws as the hatch.
    bool hatchBefore(QByteArray &out, quint32 type)
    {
        switch (type) {
        case Rectangle: case Ellipse: case RoundRect: case Pie: case Chord: case Polygon: case Polygon16:
        case PolyPolygon: case PolyPolygon16: case FillPath: case StrokeAndFillPath:
            break;
        default:
            return false;
        }
        const auto brush = hatchBrushes_.constFind(dc_.brush);
        if (brush == hatchBrushes_.cend() || spareHandle_ == 0)
            return false;
        Hatch hatch = *brush;
        hatch.opaque = dc_.opaque;
        hatch.background = dc_.opaque ? rgbOf(dc_.background) : 0;
        const quint64 key = quint64(hatch.style) << 56 | quint64(hatch.opaque) << 48
                            | quint64(hatch.colour & 0xFFFFFF) << 24 | (hatch.background & 0xFFFFFF);
        auto marker = markerOf_.constFind(key);
        if (marker == markerOf_.cend()) {
            // Colours unlikely in a drawing: red 3, and green and blue counting the markers.
            constexpr int MaxMarkers = 4096;
            if (markerOf_.size() >= MaxMarkers)
                return false;
            const int n = int(markerOf_.size());
            const QRgb colour = qRgb(3, 0x7F - (n >> 8), n & 0xFF);
            marker = markerOf_.insert(key, colour);
            hatchMarkers_.insert(colour & 0xFFFFFF, hatch);
        }
        // Past the bound, the shape is filled in the brush colour instead.
        const double cost = work_.hatch(lastBox_, hatch.style, 8 * std::max(natural_.x(), natural_.y()));
        if (work_.spent() + cost > DrawingWork::Budget)
            return false;
        work_.add(cost);
        const QRgb c = *marker;
        u32(out, CreateBrushIndirect);
        u32(out, 24);
        u32(out, spareHandle_);
        u32(out, 0); // solid
        u32(out, quint32(qRed(c)) | quint32(qGreen(c)) << 8 | quint32(qBlue(c)) << 16);
        u32(out, 0);
        u32(out, SelectObject);
        u32(out, 12);
        u32(out, spareHandle_);
        return true;
    }

    void hatchAfter(QByteArray &out) const
    {
        u32(out, SelectObject);
        u32(out, 12);
        u32(out, dc_.brush);
        u32(out, DeleteObject);
        u32(out, 12);
        u32(out, spareHandle_);
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
    bool rewriteText(QByteArray &out, quint32 type, qint64 pos, qint64 size)
    {
        if (type == ExtCreateFontIndirectW) {
            const qsizetype at = out.size();
            out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            // A positive height is the character cell's; the SVG's font size is the em, the
            // cell less its internal leading.
            const qint32 height = b_.i32(pos + 12);
            if (height > 0) {
                const qint32 em = -qint32(std::max(1.0, std::round(height / cellPerEm(faceName(pos)))));
                for (int i = 0; i < 4; ++i)
                    out[at + 12 + i] = char((quint32(em) >> (8 * i)) & 0xFF);
            }
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
        if (symbolEncoded(fontCharsets_.value(dc_.font, 1), fontFaces_.value(dc_.font)))
            text = fromSymbol(text);
        text = svgSafe(text);
        if (per == 1 && dx.size() == text.size() && placeEach(out, pos, text, dx))
            return true;
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

    // The face name of the font record at pos.
    QString faceName(qint64 pos) const
    {
        QString face;
        for (int i = 0; i < 32; ++i) {
            const char16_t ch = b_.u16(pos + 40 + 2 * i);
            if (ch == 0)
                break;
            face.append(QChar(ch));
        }
        return face;
    }

    // Text whose advances the record gives, each character a record of its own at the place
    // they give it (the substitute font's own advances would run the text off the boxes drawn
    // for it). Left as one record when the characters stand at an angle, go from the current
    // position, or when the picture has had its share of placed characters (a bound on the SVG
    // such text makes).
    bool placeEach(QByteArray &out, qint64 pos, const QString &text, const QVector<qint32> &dx)
    {
        constexpr qint64 MaxPlacedChars = 20000;
        constexpr quint32 UpdateCp = 1, AlignRight = 2, AlignCenter = 6;
        const quint32 align = dc_.textAlign;
        if (text.size() < 2 || fontTurned_.value(dc_.font) || (align & UpdateCp)
            || placedChars_ + text.size() > MaxPlacedChars)
            return false;
        placedChars_ += text.size();
        work_.elements(text.size() - 1);
        qint64 total = 0;
        for (qint32 a : dx)
            total += a;
        const qint64 x0 = b_.i32(pos + 36), y0 = b_.i32(pos + 40);
        const quint32 horizontal = align & AlignCenter;
        qint64 start = horizontal == AlignCenter ? x0 - total / 2 : horizontal == AlignRight ? x0 - total : x0;
        const quint32 options = b_.u32(pos + 52);
        constexpr quint32 Opaque = 0x0002;
        bool first = true;
        for (qsizetype i = 0; i < text.size(); ++i) {
            // A character and its low surrogate stay together.
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            qint64 advance = dx[i];
            if (n == 2)
                advance += dx[i + 1];
            const QString c = text.mid(i, n);
            const qint64 x = horizontal == AlignCenter ? start + advance / 2
                             : horizontal == AlignRight ? start + advance
                                                        : start;
            if (first || !c.trimmed().isEmpty()) {
                QByteArray r(reinterpret_cast<const char *>(b_.data() + pos), 76);
                auto put = [&r](qint64 at, quint32 v) {
                    for (int k = 0; k < 4; ++k)
                        r[at + k] = char((v >> (8 * k)) & 0xFF);
                };
                put(0, ExtTextOutW);
                put(36, quint32(qint32(std::clamp<qint64>(x, INT32_MIN, INT32_MAX))));
                put(40, quint32(qint32(y0)));
                put(44, quint32(n));
                put(48, 76);
                put(52, first ? options : options & ~Opaque);
                put(72, 0);
                for (QChar ch : c) {
                    r.append(char(ch.unicode() & 0xFF));
                    r.append(char(ch.unicode() >> 8));
                }
                while (r.size() % 4)
                    r.append('\0');
                put(4, quint32(r.size()));
                out.append(r);
                first = false;
            }
            start += advance;
            i += n - 1;
        }
        return true;
    }

    const Bytes &b_;
    QPointF pixelsPerMm_;
    QPointF natural_;
    DrawingWork work_;
    DcState dc_;
    QVector<DcState> saved_;
    QHash<quint32, int> fontCharsets_;
    QHash<quint32, QString> fontFaces_;
    QHash<quint32, bool> fontTurned_; // a baseline at an angle
    qint64 placedChars_ = 0;
    quint32 spareHandle_ = 0;
    QSet<quint32> brushes_;
    QHash<quint32, Hatch> hatchBrushes_;
    QHash<quint64, QRgb> markerOf_;
    Hatches hatchMarkers_;
    QSizeF lastBox_; // of the last shape estimated, in natural pixels
    qint64 bands_ = 0;
    QHash<quint32, double> fontHeights_;
    QHash<quint32, double> penWidths_;
    bool inPath_ = false;
    Extent path_;
};

// The reference device's size in millimetres. The header gives it in whole millimetres and,
// when it is long enough, in micrometres, which are finer; but many writers fill the
// micrometres wrongly (a whole family of files says 24 times the millimetres), and the picture
// would then be drawn from a corner of its frame. Where the two disagree beyond the
// millimetres' rounding, the one by which the frame covers the device bounds is taken (the
// library sizes its drawing by those bounds); without bounds to tell, the millimetres.
QSizeF deviceMillimetres(const Bytes &b, qint64 headerSize)
{
    const QSizeF mm(b.i32(HeaderDeviceMillimetres), b.i32(HeaderDeviceMillimetres + 4));
    if (headerSize < HeaderWithMicrometres)
        return mm;
    const QSizeF um(b.i32(HeaderDeviceMicrometres) / 1000.0, b.i32(HeaderDeviceMicrometres + 4) / 1000.0);
    if (!(um.width() > 0 && um.height() > 0))
        return mm;
    if (!(mm.width() > 0 && mm.height() > 0))
        return um;
    auto agree = [](double x, double y) { return std::abs(x - y) <= 1 + 0.01 * std::max(x, y); };
    if (agree(mm.width(), um.width()) && agree(mm.height(), um.height()))
        return um;
    // How far the frame, mapped onto the device by each reading, is from the bounds: the
    // ratios of their widths and of their heights, as factors.
    const double boundsW = double(b.i32(HeaderBounds + 8)) - b.i32(HeaderBounds) + 1;
    const double boundsH = double(b.i32(HeaderBounds + 12)) - b.i32(HeaderBounds + 4) + 1;
    const double frameW = std::abs(double(b.i32(HeaderFrame + 8)) - b.i32(HeaderFrame)) / 100;
    const double frameH = std::abs(double(b.i32(HeaderFrame + 12)) - b.i32(HeaderFrame + 4)) / 100;
    const double devW = b.i32(HeaderDevicePixels), devH = b.i32(HeaderDevicePixels + 4);
    if (boundsW <= 1 || boundsH <= 1 || frameW <= 0 || frameH <= 0 || devW <= 0 || devH <= 0)
        return mm;
    auto miss = [&](const QSizeF &size) {
        return std::abs(std::log(frameW * devW / size.width() / boundsW))
               + std::abs(std::log(frameH * devH / size.height() / boundsH));
    };
    return miss(um) < miss(mm) ? um : mm;
}

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

    // The reference device: pixels per millimetre.
    const double devW = b.i32(HeaderDevicePixels), devH = b.i32(HeaderDevicePixels + 4);
    const QSizeF mm = deviceMillimetres(b, headerSize);
    const double mmW = mm.width(), mmH = mm.height();
    EmfDrawing d;
    // A device of less than 2.54 or more than 25400 dots to the inch is taken as a mistake.
    auto sane = [](double ppm) { return ppm >= 0.1 && ppm <= 1000; };
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && sane(devW / mmW) && sane(devH / mmH))
        d.pixelsPerMm = QPointF(devW / mmW, devH / mmH);

    // The picture's natural size: its frame at 96 pixels to the inch.
    constexpr double naturalPerMm = 96 / 25.4;
    const QSizeF natural(std::abs(double(b.i32(32)) - b.i32(24)) * naturalPerMm / 100,
                         std::abs(double(b.i32(36)) - b.i32(28)) * naturalPerMm / 100);
    const QPointF naturalPerDevice(naturalPerMm / d.pixelsPerMm.x(), naturalPerMm / d.pixelsPerMm.y());
    QByteArray emf = file.left(headerSize);
    // One more object handle than the file uses, for the walk's own brushes.
    constexpr qint64 HeaderHandles = 56;
    const quint32 handles = b.u16(HeaderHandles);
    const quint32 spare = handles < 0xFFFF ? std::max<quint32>(handles, 1) : 0;
    if (spare) {
        emf[HeaderHandles] = char((spare + 1) & 0xFF);
        emf[HeaderHandles + 1] = char((spare + 1) >> 8);
    }
    EmfWalk walk(b, d.pixelsPerMm, naturalPerDevice, natural, spare);
    emf.append(walk.run(headerSize, total));
    d.work = walk.work();
    const Hatches hatches = walk.hatches();
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
    if (d.svg.isEmpty() || d.svg.size() > MaxSvgBytes)
        damaged();
    d.svg = cleanSvg(d.svg, hatches);
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
    return metafileData(Kind::EnhMetafile, twips, d.svg, viewBox, d.work);
}

} // namespace picture::detail
