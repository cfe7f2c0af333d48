// SPDX-License-Identifier: GPL-2.0-or-later
// The estimate of the work of drawing an enhanced metafile's records (EmfWalk.h, DrawingWork.h).
#include "platform/picture/EmfWalk.h"
#include "platform/picture/MetafileRecords.h"

namespace picture::detail {

using namespace picture::emf;

double EmfEstimate::naturalX() const { return bounded(state_.scale(false) * state_.dc.worldX * natural_.x()); }

double EmfEstimate::naturalY() const { return bounded(state_.scale(true) * state_.dc.worldY * natural_.y()); }

EmfEstimate::Extent EmfEstimate::points(qint64 at, qint64 count, bool wide, const QVector<qint64> &figures, bool closed,
                                        bool fromCurrent)
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
                firstX = lastX = state_.dc.x * sx;
                firstY = lastY = state_.dc.y * sy;
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
                    state_.dc.x = x / sx;
                    state_.dc.y = y / sy;
                }
            }
        }
    }
    return e;
}

EmfEstimate::Extent EmfEstimate::box(qint64 at, bool curved)
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

void EmfEstimate::draw(const Extent &e, bool filled)
{
    lastBox_ = e.box();
    if (inPath_) {
        path_.unite(e);
        work_.record();
        return;
    }
    work_.shape(e.box(), e.rows, e.slantRows, e.slantColumns, e.points, filled, state_.dc.penWidth * naturalX());
}

qint64 EmfEstimate::bitmapPixels(qint64 pos, qint64 offsetAt) const
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

void EmfEstimate::blit(qint64 pos, qint64 offsetAt, qint64 widthAt)
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

void EmfEstimate::gradient(qint64 pos)
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

void EmfEstimate::estimate(quint32 type, qint64 pos)
{
    switch (type) {
    case PolyBezier16:
    case Polygon16:
    case Polyline16:
    case PolyBezierTo16:
    case PolylineTo16:
    case PolyBezier:
    case Polygon:
    case Polyline:
    case PolyBezierTo:
    case PolylineTo: {
        const bool wide = type < PolyBezier16;
        const bool to = type == PolyBezierTo16 || type == PolylineTo16 || type == PolyBezierTo || type == PolylineTo;
        const bool closed = type == Polygon16 || type == Polygon;
        draw(points(pos + poly::Points, b_.u32(pos + poly::Count), wide, {}, closed, to), closed);
        break;
    }
    case PolyDraw:
    case PolyDraw16:
        draw(points(pos + poly::Points, b_.u32(pos + poly::Count), type == PolyDraw, {}, false, true), false);
        break;
    case PolyPolyline16:
    case PolyPolygon16:
    case PolyPolyline:
    case PolyPolygon: {
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
    case Rectangle: draw(box(pos + Bounds, false), true); break;
    case Ellipse:
    case RoundRect:
    case Chord:
    case Pie: draw(box(pos + Bounds, true), true); break;
    case Arc:
    case ArcTo: draw(box(pos + Bounds, true), false); break;
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
        e.add(state_.dc.x * naturalX(), state_.dc.y * naturalY());
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
    case FillPath:
    case StrokeAndFillPath:
    case StrokePath:
        inPath_ = false;
        lastBox_ = path_.box();
        work_.shape(path_.box(), path_.rows, path_.slantRows, path_.slantColumns, path_.points, type != StrokePath,
                    state_.dc.penWidth * naturalX());
        break;
    case ExtTextOutA:
    case ExtTextOutW: work_.text(b_.u32(pos + text::Chars), textHeight()); break;
    case SmallTextOut: work_.text(b_.u32(pos + smallText::Chars), textHeight()); break;
    case PolyTextOutA:
    case PolyTextOutW: {
        qint64 chars = 0;
        for (qint64 i = 0; i < qint64(b_.u32(pos + polyText::Strings)); ++i)
            chars += b_.u32(pos + polyText::Texts + polyText::TextSize * i + polyText::Chars);
        work_.text(chars, textHeight());
        break;
    }
    case BitBlt:
    case StretchBlt:
    case MaskBlt:
    case AlphaBlend:
    case TransparentBlt: blit(pos, blt::Bitmap, blt::DestWidth); break;
    case PlgBlt: blit(pos, plgBlt::Bitmap, 0); break;
    case SetDiBitsToDevice: blit(pos, dibits::Bitmap, dibits::SourceWidth); break;
    case StretchDiBits: blit(pos, dibits::Bitmap, dibits::DestWidth); break;
    case CreateMonoBrush:
    case CreateDibPatternBrushPt: work_.bitmap(bitmapPixels(pos, patternBrush::Bitmap), QSizeF()); break;
    case ExtCreatePen: work_.bitmap(bitmapPixels(pos, extPen::Bitmap), QSizeF()); break;
    case FillRgn:
    case FrameRgn:
    case InvertRgn:
    case PaintRgn: {
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
    case GradientFill: gradient(pos); break;
    default: work_.record(); break;
    }
}

double EmfEstimate::textHeight() const
{
    const double h = state_.dc.fontHeight > 0 ? state_.dc.fontHeight : 16;
    return bounded(h * naturalY());
}

} // namespace picture::detail
