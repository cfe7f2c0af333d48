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

// More drawing than the work bound admits never makes this much SVG; a guard all the same.
constexpr qsizetype MaxSvgBytes = 64 * 1024 * 1024;
constexpr quint32 PenNull = 5; // a pen style

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
            if (pos + RecordFields > end)
                damaged();
            const quint32 type = b_.u32(pos + RecordType);
            const qint64 size = b_.u32(pos + RecordSize);
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

    // A bitmap given as header block and bits block, whose offsets and sizes lie at `at`.
    void bitmap(qint64 pos, qint64 size, qint64 at) const
    {
        block(pos, size, at + bitmap::OffHeader, at + bitmap::HeaderSize);
        block(pos, size, at + bitmap::OffBits, at + bitmap::BitsSize);
        const qint64 cbBmi = b_.u32(pos + at + bitmap::HeaderSize);
        if (cbBmi == 0)
            return;
        DibSize d;
        const qint64 bmi = pos + b_.u32(pos + at + bitmap::OffHeader);
        need(dibSize(b_, bmi, bmi + cbBmi, false, &d) || dibSize(b_, bmi, bmi + cbBmi, true, &d));
        const qint64 cbBits = b_.u32(pos + at + bitmap::BitsSize);
        need(d.bits <= cbBits);
        // A JPEG or PNG file as the bits must be one, of a size that a picture may have.
        const quint32 compression = b_.u32(bmi + DibCompression);
        if (compression == DibJpeg || compression == DibPng)
            need(embeddedImageSize(b_, pos + b_.u32(pos + at + bitmap::OffBits), cbBits, compression).isValid());
    }

    void check(quint32 type, qint64 pos, qint64 size) const
    {
        switch (type) {
        case PolyBezier16: case Polygon16: case Polyline16: case PolyBezierTo16: case PolylineTo16:
            need(size >= poly::Points && poly::Points + poly::Point16Size * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case PolyBezier: case Polygon: case Polyline: case PolyBezierTo: case PolylineTo:
            need(size >= poly::Points && poly::Points + poly::Point32Size * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case PolyPolyline16: case PolyPolygon16: case PolyPolyline: case PolyPolygon: {
            need(size >= polyPoly::FigureCounts);
            const qint64 polys = b_.u32(pos + polyPoly::Figures);
            const qint64 points = b_.u32(pos + polyPoly::Count);
            const qint64 pointBytes =
                (type == PolyPolyline16 || type == PolyPolygon16) ? poly::Point16Size : poly::Point32Size;
            need(polyPoly::FigureCounts + 4 * polys + pointBytes * points <= size);
            qint64 sum = 0;
            for (qint64 i = 0; i < polys; ++i)
                sum += b_.u32(pos + polyPoly::FigureCounts + 4 * i);
            need(sum <= points);
            break;
        }
        case ExtTextOutA: case ExtTextOutW: {
            need(size >= text::Size);
            const qint64 chars = b_.u32(pos + text::Chars);
            const qint64 offString = b_.u32(pos + text::OffString);
            const qint64 offDx = b_.u32(pos + text::OffDx);
            const qint64 options = b_.u32(pos + text::Options);
            need(chars <= size && offString <= size && chars * (type == ExtTextOutW ? 2 : 1) <= size - offString);
            need(offDx == 0 || (offDx <= size && chars * ((options & text::PairedDx) ? 8 : 4) <= size - offDx));
            break;
        }
        case BitBlt: case StretchBlt: case TransparentBlt: case AlphaBlend:
            bitmap(pos, size, blt::Bitmap);
            break;
        case MaskBlt:
            bitmap(pos, size, blt::Bitmap);
            bitmap(pos, size, blt::Mask);
            break;
        case PlgBlt:
            bitmap(pos, size, plgBlt::Bitmap);
            break;
        case SetDiBitsToDevice: case StretchDiBits:
            bitmap(pos, size, dibits::Bitmap);
            break;
        case CreateMonoBrush: case CreateDibPatternBrushPt:
            bitmap(pos, size, patternBrush::Bitmap);
            break;
        case ExtCreatePen:
            need(extPen::Size + 4 * qint64(b_.u32(pos + extPen::StyleEntries)) <= size);
            bitmap(pos, size, extPen::Bitmap);
            break;
        case PolyDraw:
            need(poly::Points + (poly::Point32Size + 1) * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case PolyDraw16:
            need(poly::Points + (poly::Point16Size + 1) * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case CreatePalette:
            need(palette::CreateEntries + palette::EntrySize * qint64(b_.u16(pos + palette::CreateCount)) <= size);
            break;
        case SetPaletteEntries:
            need(palette::SetEntries + palette::EntrySize * qint64(b_.u32(pos + palette::SetCount)) <= size);
            break;
        case GdiComment:
            need(comment::Data + qint64(b_.u32(pos + comment::DataSize)) <= size);
            break;
        case FillRgn: case FrameRgn: case InvertRgn: case PaintRgn:
            region(pos, size, regionRecord::Length, regionData(type));
            break;
        case ExtSelectClipRgn:
            if (b_.u32(pos + clipRegion::Length) != 0)
                region(pos, size, clipRegion::Length, clipRegion::Data);
            break;
        case DrawEscape: case ExtEscape:
            need(escape::Data + qint64(b_.u32(pos + escape::DataSize)) <= size);
            break;
        case NamedEscape:
            need(namedEscape::Data + qint64(b_.u32(pos + namedEscape::NameSize))
                     + qint64(b_.u32(pos + namedEscape::DataSize))
                 <= size);
            break;
        case SetIcmProfileA: case SetIcmProfileW:
            need(icmProfile::Data + qint64(b_.u32(pos + icmProfile::NameSize)) + qint64(b_.u32(pos + icmProfile::DataSize))
                 <= size);
            break;
        case ColorMatchToTargetW:
            need(colorMatch::Data + qint64(b_.u32(pos + colorMatch::NameSize)) + qint64(b_.u32(pos + colorMatch::DataSize))
                 <= size);
            break;
        case CreateColorSpaceW:
            need(colorSpaceW::Data + qint64(b_.u32(pos + colorSpaceW::DataSize)) <= size);
            break;
        case GradientFill: {
            const qint64 vertices = b_.u32(pos + gradient::VertexCount);
            const qint64 shapes = b_.u32(pos + gradient::ShapeCount);
            const quint32 mode = b_.u32(pos + gradient::Mode);
            const qint64 corners = mode == gradient::Triangles ? 3 : 2;
            need(mode <= gradient::Triangles
                 && gradient::Vertices + gradient::VertexSize * vertices + corners * gradient::IndexSize * shapes <= size);
            break;
        }
        case SmallTextOut: {
            const qint64 chars = b_.u32(pos + smallText::Chars);
            const quint32 options = b_.u32(pos + smallText::Options);
            const qint64 fixed = smallText::Size + ((options & smallText::NoRect) ? 0 : smallText::RectSize);
            need(fixed <= size && chars * ((options & smallText::SmallChars) ? 1 : 2) <= size - fixed);
            break;
        }
        case PolyTextOutA: case PolyTextOutW: {
            const qint64 strings = b_.u32(pos + polyText::Strings);
            need(polyText::Texts + polyText::TextSize * strings <= size);
            for (qint64 i = 0; i < strings; ++i) {
                const qint64 at = pos + polyText::Texts + polyText::TextSize * i;
                const qint64 chars = b_.u32(at + polyText::Chars);
                const qint64 offString = b_.u32(at + polyText::OffString);
                const qint64 offDx = b_.u32(at + polyText::OffDx);
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
        need(length >= RegionHeaderSize && dataAt + length <= size);
        const qint64 rects = b_.u32(pos + dataAt + RegionCount);
        need(rects <= (length - RegionHeaderSize) / RegionRectSize);
    }

    void track(quint32 type, qint64 pos)
    {
        switch (type) {
        case SetMapMode:
            dc_.mode = b_.u32(pos + Value);
            break;
        case SetWindowExtEx:
            if (b_.i32(pos + Value) != 0)
                dc_.windowX = b_.i32(pos + Value);
            if (b_.i32(pos + SecondValue) != 0)
                dc_.windowY = b_.i32(pos + SecondValue);
            break;
        case SetViewportExtEx:
            if (b_.i32(pos + Value) != 0)
                dc_.viewportX = b_.i32(pos + Value);
            if (b_.i32(pos + SecondValue) != 0)
                dc_.viewportY = b_.i32(pos + SecondValue);
            break;
        case ScaleViewportExtEx:
        case ScaleWindowExtEx: {
            double &extX = type == ScaleWindowExtEx ? dc_.windowX : dc_.viewportX;
            double &extY = type == ScaleWindowExtEx ? dc_.windowY : dc_.viewportY;
            if (b_.i32(pos + scale::XNum) != 0 && b_.i32(pos + scale::XDenom) != 0)
                extX = bounded(extX * b_.i32(pos + scale::XNum) / b_.i32(pos + scale::XDenom));
            if (b_.i32(pos + scale::YNum) != 0 && b_.i32(pos + scale::YDenom) != 0)
                extY = bounded(extY * b_.i32(pos + scale::YNum) / b_.i32(pos + scale::YDenom));
            break;
        }
        case SetWorldTransform:
            dc_.worldX = stretch(pos + xform::M11, pos + xform::M12);
            dc_.worldY = stretch(pos + xform::M21, pos + xform::M22);
            break;
        case ModifyWorldTransform:
            switch (b_.u32(pos + xform::Mode)) {
            case xform::Identity:
                dc_.worldX = dc_.worldY = 1;
                break;
            case xform::LeftMultiply:
            case xform::RightMultiply: {
                const double most = std::max(stretch(pos + xform::M11, pos + xform::M12),
                                             stretch(pos + xform::M21, pos + xform::M22));
                dc_.worldX = bounded(dc_.worldX * most);
                dc_.worldY = bounded(dc_.worldY * most);
                break;
            }
            case xform::Set:
                dc_.worldX = stretch(pos + xform::M11, pos + xform::M12);
                dc_.worldY = stretch(pos + xform::M21, pos + xform::M22);
                break;
            default:
                break;
            }
            break;
        case SaveDc:
            saved_.append(dc_);
            break;
        case RestoreDc: {
            const qint64 back = b_.i32(pos + Value);
            const qint64 keep = back < 0 ? saved_.size() + back : back - 1;
            if (keep >= 0 && keep < saved_.size()) {
                dc_ = saved_.at(keep);
                saved_.resize(keep);
            }
            break;
        }
        case SetTextAlign:
            dc_.textAlign = b_.u32(pos + Value);
            break;
        case ExtCreateFontIndirectW: {
            const quint32 handle = b_.u32(pos + font::Handle);
            fontCharsets_.insert(handle, b_.u8(pos + font::Charset));
            fontFaces_.insert(handle, faceName(pos));
            fontTurned_.insert(handle, b_.i32(pos + font::Escapement) % 3600 != 0);
            fontHeights_.insert(handle, std::abs(double(b_.i32(pos + font::Height))));
            break;
        }
        case CreatePen:
            penWidths_.insert(b_.u32(pos + pen::Handle), std::abs(double(b_.i32(pos + pen::Width))));
            break;
        case ExtCreatePen:
            penWidths_.insert(b_.u32(pos + extPen::Handle), (b_.u32(pos + extPen::Style) & extPen::Geometric)
                                                                 ? double(b_.u32(pos + extPen::Width))
                                                                 : 0.0);
            break;
        case SetBkMode:
            dc_.opaque = b_.u32(pos + Value) == BkOpaque;
            break;
        case SetBkColor:
            dc_.background = b_.u32(pos + Value) & 0xFFFFFF;
            break;
        case CreateBrushIndirect:
        case CreateMonoBrush:
        case CreateDibPatternBrushPt: {
            // The three begin alike: the handle, then CreateBrushIndirect's style.
            const quint32 handle = b_.u32(pos + brush::Handle);
            brushes_.insert(handle);
            if (type == CreateBrushIndirect && b_.u32(pos + brush::Style) == brush::Hatched
                && b_.u32(pos + brush::Hatch) <= 5)
                hatchBrushes_.insert(handle, Hatch{int(b_.u32(pos + brush::Hatch)), rgbOf(b_.u32(pos + brush::Colour)), false, 0});
            else
                hatchBrushes_.remove(handle);
            break;
        }
        case SelectObject: {
            const quint32 handle = b_.u32(pos + Value);
            if (brushes_.contains(handle))
                dc_.brush = handle;
            else if (handle >= StockWhiteBrush && handle <= StockNullBrush)
                dc_.brush = 0;
            if (fontCharsets_.contains(handle)) {
                dc_.font = handle;
                dc_.fontHeight = fontHeights_.value(handle);
            }
            if (penWidths_.contains(handle))
                dc_.penWidth = penWidths_.value(handle);
            else if (handle >= StockWhitePen && handle <= StockNullPen)
                dc_.penWidth = 0;
            break;
        }
        case DeleteObject: {
            const quint32 handle = b_.u32(pos + Value);
            fontCharsets_.remove(handle);
            fontFaces_.remove(handle);
            fontTurned_.remove(handle);
            fontHeights_.remove(handle);
            penWidths_.remove(handle);
            brushes_.remove(handle);
            hatchBrushes_.remove(handle);
            break;
        }
        case MoveToEx:
        case LineTo:
            dc_.x = b_.i32(pos + Value);
            dc_.y = b_.i32(pos + SecondValue);
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
        case MapLoMetric: return ppm * 0.1;
        case MapHiMetric: return ppm * 0.01;
        case MapLoEnglish: return ppm * 0.254;
        case MapHiEnglish: return ppm * 0.0254;
        case MapTwips: return ppm * 25.4 / 1440;
        case MapIsotropic:
        case MapAnisotropic: return vertical ? std::abs(dc_.viewportY / dc_.windowY) : std::abs(dc_.viewportX / dc_.windowX);
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
            *x = wide ? b_.i32(at + poly::Point32Size * i + point::X) : b_.i16(at + poly::Point16Size * i + point16::X);
            *y = wide ? b_.i32(at + poly::Point32Size * i + point::Y) : b_.i16(at + poly::Point16Size * i + point16::Y);
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
        e.add(b_.i32(at + rect::Left) * naturalX(), b_.i32(at + rect::Top) * naturalY());
        e.add(b_.i32(at + rect::Right) * naturalX(), b_.i32(at + rect::Bottom) * naturalY());
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
        if (b_.u32(pos + offsetAt + bitmap::HeaderSize) == 0)
            return 0;
        const qint64 at = pos + b_.u32(pos + offsetAt + bitmap::OffHeader);
        if (b_.u32(at) == DibCoreHeaderSize)
            return qint64(b_.u16(at + DibCoreWidth)) * b_.u16(at + DibCoreHeight);
        const qint64 announced = std::abs(qint64(b_.i32(at + DibWidth))) * std::abs(qint64(b_.i32(at + DibHeight)));
        const quint32 compression = b_.u32(at + DibCompression);
        if (compression != DibJpeg && compression != DibPng)
            return announced;
        // The file inside is decoded at its own size, whatever the header announces.
        const QSize real = embeddedImageSize(b_, pos + b_.u32(pos + offsetAt + bitmap::OffBits),
                                             b_.u32(pos + offsetAt + bitmap::BitsSize), compression);
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
        const qint64 vertices = b_.u32(pos + gradient::VertexCount);
        const qint64 shapes = b_.u32(pos + gradient::ShapeCount);
        const bool triangles = b_.u32(pos + gradient::Mode) == gradient::Triangles;
        const int corners = triangles ? 3 : 2;
        const qint64 shapesAt = pos + gradient::Vertices + gradient::VertexSize * vertices;
        Extent all;
        for (qint64 i = 0; i < shapes; ++i) {
            Extent shape;
            for (int k = 0; k < corners; ++k) {
                const qint64 v = b_.u32(shapesAt + gradient::IndexSize * (corners * i + k));
                if (v < vertices) {
                    const qint64 at = pos + gradient::Vertices + gradient::VertexSize * v;
                    shape.add(b_.i32(at + gradient::VertexX) * naturalX(), b_.i32(at + gradient::VertexY) * naturalY());
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
            draw(points(pos + poly::Points, b_.u32(pos + poly::Count), wide, {}, closed, to), closed);
            break;
        }
        case PolyDraw: case PolyDraw16:
            draw(points(pos + poly::Points, b_.u32(pos + poly::Count), type == PolyDraw, {}, false, true), false);
            break;
        case PolyPolyline16: case PolyPolygon16: case PolyPolyline: case PolyPolygon: {
            const qint64 polys = b_.u32(pos + polyPoly::Figures);
            QVector<qint64> figures;
            figures.reserve(int(std::min<qint64>(polys, 1 << 20)));
            for (qint64 i = 0; i < polys; ++i)
                figures.append(b_.u32(pos + polyPoly::FigureCounts + 4 * i));
            const bool closed = type == PolyPolygon16 || type == PolyPolygon;
            draw(points(pos + polyPoly::FigureCounts + 4 * polys, b_.u32(pos + polyPoly::Count),
                        type == PolyPolyline || type == PolyPolygon, figures, closed, false),
                 closed);
            break;
        }
        case Rectangle:
            draw(box(pos + Bounds, false), true);
            break;
        case Ellipse: case RoundRect: case Chord: case Pie:
            draw(box(pos + Bounds, true), true);
            break;
        case Arc: case ArcTo:
            draw(box(pos + Bounds, true), false);
            break;
        case AngleArc: {
            const double r = b_.u32(pos + angleArc::Radius);
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
            e.add(b_.i32(pos + Value) * naturalX(), b_.i32(pos + SecondValue) * naturalY());
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
            work_.text(b_.u32(pos + text::Chars), textHeight());
            break;
        case SmallTextOut:
            work_.text(b_.u32(pos + smallText::Chars), textHeight());
            break;
        case PolyTextOutA: case PolyTextOutW: {
            qint64 chars = 0;
            for (qint64 i = 0; i < qint64(b_.u32(pos + polyText::Strings)); ++i)
                chars += b_.u32(pos + polyText::Texts + polyText::TextSize * i + polyText::Chars);
            work_.text(chars, textHeight());
            break;
        }
        case BitBlt: case StretchBlt: case MaskBlt: case AlphaBlend: case TransparentBlt:
            blit(pos, blt::Bitmap, blt::DestWidth);
            break;
        case PlgBlt:
            blit(pos, plgBlt::Bitmap, 0);
            break;
        case SetDiBitsToDevice:
            blit(pos, dibits::Bitmap, dibits::SourceWidth);
            break;
        case StretchDiBits:
            blit(pos, dibits::Bitmap, dibits::DestWidth);
            break;
        case CreateMonoBrush: case CreateDibPatternBrushPt:
            work_.bitmap(bitmapPixels(pos, patternBrush::Bitmap), QSizeF());
            break;
        case ExtCreatePen:
            work_.bitmap(bitmapPixels(pos, extPen::Bitmap), QSizeF());
            break;
        case FillRgn: case FrameRgn: case InvertRgn: case PaintRgn: {
            const qint64 data = pos + regionData(type);
            const qint64 rects = b_.u32(data + RegionCount);
            const qint64 box = data + RegionBox;
            Extent e;
            e.add(0, 0);
            e.add(std::abs(double(b_.i32(box + rect::Right)) - b_.i32(box + rect::Left)) * natural_.x(),
                  std::abs(double(b_.i32(box + rect::Bottom)) - b_.i32(box + rect::Top)) * natural_.y());
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
            const quint32 style = b_.u32(pos + pen::Style);
            const qint64 width = b_.i32(pos + pen::Width);
            if ((style & 0x0F) == PenNull || width <= 1)
                return false;
            u32(out, ExtCreatePen);
            u32(out, quint32(extPen::Size));
            u32(out, b_.u32(pos + pen::Handle));
            for (int i = 0; i < 4; ++i)
                u32(out, 0); // no bitmap
            u32(out, extPen::Geometric | (style & 0x0F));
            u32(out, scaledWidth(width));
            u32(out, 0); // solid brush
            u32(out, b_.u32(pos + pen::Colour));
            u32(out, 0); // hatch
            u32(out, 0); // no style entries
            return true;
        }
        if (type == ExtCreatePen && (b_.u32(pos + extPen::Style) & extPen::Geometric)) {
            const qsizetype at = out.size();
            out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
            const quint32 w = scaledWidth(b_.u32(pos + extPen::Width));
            for (int i = 0; i < 4; ++i)
                out[at + extPen::Width + i] = char((w >> (8 * i)) & 0xFF);
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
            box = {blt::DestX, blt::DestY, blt::DestWidth, blt::DestHeight, blt::Bitmap + bitmap::HeaderSize};
            break;
        case StretchDiBits:
            box = {dibits::DestX, dibits::DestY, dibits::DestWidth, dibits::DestHeight,
                   dibits::Bitmap + bitmap::HeaderSize};
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
        u32(out, quint32(minimumSize(SaveDc)));
        for (quint32 stock : {StockNullPen, StockNullBrush}) {
            u32(out, SelectObject);
            u32(out, quint32(minimumSize(SelectObject)));
            u32(out, stock);
        }
        u32(out, Rectangle);
        u32(out, quint32(minimumSize(Rectangle)));
        for (qint64 v : {x, y, right, bottom})
            u32(out, quint32(qint32(v)));
        u32(out, RestoreDc);
        u32(out, quint32(minimumSize(RestoreDc)));
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
        const qint64 vertices = b_.u32(pos + gradient::VertexCount);
        const qint64 shapes = b_.u32(pos + gradient::ShapeCount);
        const quint32 mode = b_.u32(pos + gradient::Mode);
        const int corners = mode == gradient::Triangles ? 3 : 2;
        const qint64 shapesAt = pos + gradient::Vertices + gradient::VertexSize * vertices;
        struct Vertex
        {
            double x, y, c[3];
        };
        auto vertex = [&](qint64 v) {
            const qint64 at = pos + gradient::Vertices + gradient::VertexSize * v;
            return Vertex{double(b_.i32(at + gradient::VertexX)), double(b_.i32(at + gradient::VertexY)),
                          {b_.u16(at + gradient::VertexRed) / 256.0, b_.u16(at + gradient::VertexGreen) / 256.0,
                           b_.u16(at + gradient::VertexBlue) / 256.0}};
        };
        auto colour = [](const double *c) {
            auto channel = [](double v) { return quint32(std::clamp(std::lround(v), 0L, 255L)); };
            return channel(c[0]) | channel(c[1]) << 8 | channel(c[2]) << 16;
        };
        auto polygon = [&](const QVector<QPointF> &points, quint32 rgb) {
            u32(out, CreateBrushIndirect);
            u32(out, quint32(brush::Size));
            u32(out, spareHandle_);
            u32(out, 0); // solid
            u32(out, rgb);
            u32(out, 0);
            u32(out, SelectObject);
            u32(out, quint32(minimumSize(SelectObject)));
            u32(out, spareHandle_);
            double left = points[0].x(), top = points[0].y(), right = left, bottom = top;
            for (const QPointF &p : points) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
            u32(out, Polygon);
            u32(out, quint32(poly::Points + poly::Point32Size * points.size()));
            for (double v : {left, top, right, bottom})
                u32(out, quint32(qint32(v)));
            u32(out, quint32(points.size()));
            for (const QPointF &p : points) {
                u32(out, quint32(qint32(p.x())));
                u32(out, quint32(qint32(p.y())));
            }
        };
        u32(out, SaveDc);
        u32(out, quint32(minimumSize(SaveDc)));
        u32(out, SelectObject);
        u32(out, quint32(minimumSize(SelectObject)));
        u32(out, StockNullPen);
        for (qint64 i = 0; i < shapes; ++i) {
            Vertex corner[3];
            bool known = true;
            for (int k = 0; k < corners; ++k) {
                const qint64 v = b_.u32(shapesAt + gradient::IndexSize * (corners * i + k));
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
            const bool down = mode == gradient::RectVertical;
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
        u32(out, quint32(minimumSize(RestoreDc)));
        u32(out, quint32(-1));
        u32(out, DeleteObject);
        u32(out, quint32(minimumSize(DeleteObject)));
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
        u32(out, quint32(brush::Size));
        u32(out, spareHandle_);
        u32(out, 0); // solid
        u32(out, quint32(qRed(c)) | quint32(qGreen(c)) << 8 | quint32(qBlue(c)) << 16);
        u32(out, 0);
        u32(out, SelectObject);
        u32(out, quint32(minimumSize(SelectObject)));
        u32(out, spareHandle_);
        return true;
    }

    void hatchAfter(QByteArray &out) const
    {
        u32(out, SelectObject);
        u32(out, quint32(minimumSize(SelectObject)));
        u32(out, dc_.brush);
        u32(out, DeleteObject);
        u32(out, quint32(minimumSize(DeleteObject)));
        u32(out, spareHandle_);
    }

    // Whether a text record gives glyph indices instead of characters.
    bool glyphIndices(quint32 type, qint64 pos, qint64 size) const
    {
        switch (type) {
        case ExtTextOutA:
        case ExtTextOutW:
            return b_.u32(pos + text::Options) & text::GlyphIndex;
        case SmallTextOut:
            return size < smallText::Options + 4 || (b_.u32(pos + smallText::Options) & text::GlyphIndex);
        case PolyTextOutA:
        case PolyTextOutW: {
            if (size < polyText::Texts)
                return true;
            const qint64 strings = b_.u32(pos + polyText::Strings);
            for (qint64 i = 0; i < strings; ++i) {
                const qint64 at = polyText::Texts + polyText::TextSize * i;
                if (at + polyText::TextSize > size || (b_.u32(pos + at + polyText::Options) & text::GlyphIndex))
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
            const qint32 height = b_.i32(pos + font::Height);
            if (height > 0) {
                const qint32 em = -qint32(std::max(1.0, std::round(height / cellPerEm(faceName(pos)))));
                for (int i = 0; i < 4; ++i)
                    out[at + font::Height + i] = char((quint32(em) >> (8 * i)) & 0xFF);
            }
            for (int i = 0; i < font::FaceChars; ++i) {
                const qsizetype c = at + font::FaceName + 2 * i;
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
        const qint64 chars = b_.u32(pos + text::Chars);
        const qint64 offString = b_.u32(pos + text::OffString);
        const quint32 options = b_.u32(pos + text::Options);
        const qint64 offDx = b_.u32(pos + text::OffDx);
        const int per = (options & text::PairedDx) ? 2 : 1;
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
        const qint64 fixed = text::Size;
        const qint64 stringBytes = (text.size() * 2 + 3) / 4 * 4;
        QByteArray r(reinterpret_cast<const char *>(b_.data() + pos), fixed);
        auto put = [&r](qint64 at, quint32 v) {
            for (int i = 0; i < 4; ++i)
                r[at + i] = char((v >> (8 * i)) & 0xFF);
        };
        put(RecordType, ExtTextOutW);
        put(text::Chars, quint32(text.size()));
        put(text::OffString, quint32(fixed));
        put(text::OffDx, dx.isEmpty() ? 0 : quint32(fixed + stringBytes));
        for (QChar c : text) {
            r.append(char(c.unicode() & 0xFF));
            r.append(char(c.unicode() >> 8));
        }
        while (r.size() % 4)
            r.append('\0');
        for (qint32 v : dx)
            u32(r, quint32(v));
        put(RecordSize, quint32(r.size()));
        out.append(r);
        return true;
    }

    // The face name of the font record at pos.
    QString faceName(qint64 pos) const
    {
        QString face;
        for (int i = 0; i < font::FaceChars; ++i) {
            const char16_t ch = b_.u16(pos + font::FaceName + 2 * i);
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
        const qint64 x0 = b_.i32(pos + text::ReferenceX), y0 = b_.i32(pos + text::ReferenceY);
        const quint32 horizontal = align & AlignCenter;
        qint64 start = horizontal == AlignCenter ? x0 - total / 2 : horizontal == AlignRight ? x0 - total : x0;
        const quint32 options = b_.u32(pos + text::Options);
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
                QByteArray r(reinterpret_cast<const char *>(b_.data() + pos), text::Size);
                auto put = [&r](qint64 at, quint32 v) {
                    for (int k = 0; k < 4; ++k)
                        r[at + k] = char((v >> (8 * k)) & 0xFF);
                };
                put(RecordType, ExtTextOutW);
                put(text::ReferenceX, quint32(qint32(std::clamp<qint64>(x, INT32_MIN, INT32_MAX))));
                put(text::ReferenceY, quint32(qint32(y0)));
                put(text::Chars, quint32(n));
                put(text::OffString, quint32(text::Size));
                put(text::Options, first ? options : options & ~text::Opaque);
                put(text::OffDx, 0);
                for (QChar ch : c) {
                    r.append(char(ch.unicode() & 0xFF));
                    r.append(char(ch.unicode() >> 8));
                }
                while (r.size() % 4)
                    r.append('\0');
                put(RecordSize, quint32(r.size()));
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
    const QSizeF mm(b.i32(header::DeviceMillimetres + size::Width), b.i32(header::DeviceMillimetres + size::Height));
    if (headerSize < header::WithMicrometres)
        return mm;
    const QSizeF um(b.i32(header::DeviceMicrometres + size::Width) / 1000.0, b.i32(header::DeviceMicrometres + size::Height) / 1000.0);
    if (!(um.width() > 0 && um.height() > 0))
        return mm;
    if (!(mm.width() > 0 && mm.height() > 0))
        return um;
    auto agree = [](double x, double y) { return std::abs(x - y) <= 1 + 0.01 * std::max(x, y); };
    if (agree(mm.width(), um.width()) && agree(mm.height(), um.height()))
        return um;
    // How far the frame, mapped onto the device by each reading, is from the bounds: the
    // ratios of their widths and of their heights, as factors.
    const double boundsW = double(b.i32(header::Bounds + rect::Right)) - b.i32(header::Bounds + rect::Left) + 1;
    const double boundsH = double(b.i32(header::Bounds + rect::Bottom)) - b.i32(header::Bounds + rect::Top) + 1;
    const double frameW = std::abs(double(b.i32(header::Frame + rect::Right)) - b.i32(header::Frame + rect::Left)) / 100;
    const double frameH = std::abs(double(b.i32(header::Frame + rect::Bottom)) - b.i32(header::Frame + rect::Top)) / 100;
    const double devW = b.i32(header::DevicePixels + size::Width), devH = b.i32(header::DevicePixels + size::Height);
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
    const double left = b.i32(header::Frame + rect::Left), top = b.i32(header::Frame + rect::Top);
    const double right = b.i32(header::Frame + rect::Right), bottom = b.i32(header::Frame + rect::Bottom);
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
    if (!b.has(0, header::BaseSize))
        damaged();
    const qint64 headerSize = b.u32(RecordSize);
    const qint64 total = b.u32(header::Bytes);
    if (b.u32(RecordType) != Header || b.u32(header::Signature) != header::SignatureValue
        || headerSize < header::BaseSize || headerSize % 4 != 0 || total < headerSize || !b.has(0, total))
        damaged();

    // The reference device: pixels per millimetre.
    const double devW = b.i32(header::DevicePixels + size::Width), devH = b.i32(header::DevicePixels + size::Height);
    const QSizeF mm = deviceMillimetres(b, headerSize);
    const double mmW = mm.width(), mmH = mm.height();
    EmfDrawing d;
    // A device of less than 2.54 or more than 25400 dots to the inch is taken as a mistake.
    auto sane = [](double ppm) { return ppm >= 0.1 && ppm <= 1000; };
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && sane(devW / mmW) && sane(devH / mmH))
        d.pixelsPerMm = QPointF(devW / mmW, devH / mmH);

    // The picture's natural size: its frame at 96 pixels to the inch.
    constexpr double naturalPerMm = 96 / 25.4;
    const QSizeF natural(
        std::abs(double(b.i32(header::Frame + rect::Right)) - b.i32(header::Frame + rect::Left)) * naturalPerMm / 100,
        std::abs(double(b.i32(header::Frame + rect::Bottom)) - b.i32(header::Frame + rect::Top)) * naturalPerMm / 100);
    const QPointF naturalPerDevice(naturalPerMm / d.pixelsPerMm.x(), naturalPerMm / d.pixelsPerMm.y());
    QByteArray emf = file.left(headerSize);
    // One more object handle than the file uses, for the walk's own brushes.
    const quint32 handles = b.u16(header::Handles);
    const quint32 spare = handles < 0xFFFF ? std::max<quint32>(handles, 1) : 0;
    if (spare) {
        emf[header::Handles] = char((spare + 1) & 0xFF);
        emf[header::Handles + 1] = char((spare + 1) >> 8);
    }
    EmfWalk walk(b, d.pixelsPerMm, naturalPerDevice, natural, spare);
    emf.append(walk.run(headerSize, total));
    d.work = walk.work();
    const Hatches hatches = walk.hatches();
    auto put = [&emf](qint64 at, double v) {
        const quint32 u = quint32(qint32(std::clamp(v, -2147483648.0, 2147483647.0)));
        for (int i = 0; i < 4; ++i)
            emf[at + i] = char((u >> (8 * i)) & 0xFF);
    };
    put(header::Bytes, double(emf.size()));
    // The device bounds size the SVG, and empty ones make it all "nan": the frame's place on the
    // device stands in for them.
    d.frame = deviceFrame(b, d.pixelsPerMm);
    const QRectF &frame = d.frame;
    put(header::Bounds + rect::Left, std::floor(frame.left()));
    put(header::Bounds + rect::Top, std::floor(frame.top()));
    put(header::Bounds + rect::Right, std::max(std::ceil(frame.right()), std::floor(frame.left()) + 1));
    put(header::Bounds + rect::Bottom, std::max(std::ceil(frame.bottom()), std::floor(frame.top()) + 1));

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
    if (!b.has(0, header::BaseSize))
        damaged();
    // The frame, in hundredths of a millimetre.
    const qint64 left = b.i32(header::Frame + rect::Left), top = b.i32(header::Frame + rect::Top);
    const qint64 right = b.i32(header::Frame + rect::Right), bottom = b.i32(header::Frame + rect::Bottom);
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
