// SPDX-License-Identifier: GPL-2.0-or-later
// The rewrites of enhanced metafile records for the metafile library (EmfWalk.h; EmfLoader.cpp
// lists what they work around).
#include "platform/picture/EmfWalk.h"
#include "platform/picture/MetafileRecords.h"
#include "platform/picture/Text.h"

namespace picture::detail {

using namespace picture::emf;

void EmfRewrite::rewrite(QByteArray &out, quint32 type, qint64 pos, qint64 size)
{
    // Glyph-index text is left out; pens and text may be rewritten; the rest is kept.
    bitmapBox(out, type, pos);
    const bool hatch = hatchBefore(out, type);
    if (!glyphIndices(type, pos, size) && !rewritePen(out, type, pos, size) && !rewriteText(out, type, pos, size) &&
        !rewriteGradient(out, type, pos))
        out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
    if (hatch)
        hatchAfter(out);
}

quint32 EmfRewrite::scaledWidth(qint64 width) const
{
    return quint32(std::clamp<double>(std::round(width * state_.scale()), 1, 1e6));
}

void EmfRewrite::u32(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

bool EmfRewrite::rewritePen(QByteArray &out, quint32 type, qint64 pos, qint64 size) const
{
    if (type == CreatePen) {
        const quint32 style = b_.u32(pos + pen::Style);
        const qint64 width = b_.i32(pos + pen::Width);
        if ((style & pen::StyleMask) == pen::Null || width <= 1)
            return false;
        u32(out, ExtCreatePen);
        u32(out, quint32(extPen::Size));
        u32(out, b_.u32(pos + pen::Handle));
        for (int i = 0; i < 4; ++i)
            u32(out, 0); // no bitmap
        u32(out, extPen::Geometric | (style & pen::StyleMask));
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

void EmfRewrite::bitmapBox(QByteArray &out, quint32 type, qint64 pos) const
{
    struct Box
    {
        qint64 x, y, width, height, bitmapInfoSize;
    };
    Box box;
    switch (type) {
    case BitBlt:
    case StretchBlt:
    case AlphaBlend:
        box = {blt::DestX, blt::DestY, blt::DestWidth, blt::DestHeight, blt::Bitmap + bitmap::HeaderSize};
        break;
    case StretchDiBits:
        box = {dibits::DestX, dibits::DestY, dibits::DestWidth, dibits::DestHeight,
               dibits::Bitmap + bitmap::HeaderSize};
        break;
    default: return;
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

bool EmfRewrite::rewriteGradient(QByteArray &out, quint32 type, qint64 pos)
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
        return Vertex{double(b_.i32(at + gradient::VertexX)),
                      double(b_.i32(at + gradient::VertexY)),
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
        const qint64 n =
            bands_ >= MaxBands ? 1 : std::clamp<qint64>(qint64(std::min(std::abs(to - from), 1e6)), 1, BandsPerShape);
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

bool EmfRewrite::hatchBefore(QByteArray &out, quint32 type)
{
    switch (type) {
    case Rectangle:
    case Ellipse:
    case RoundRect:
    case Pie:
    case Chord:
    case Polygon:
    case Polygon16:
    case PolyPolygon:
    case PolyPolygon16:
    case FillPath:
    case StrokeAndFillPath: break;
    default: return false;
    }
    const auto brush = state_.hatchBrushes.constFind(state_.dc.brush);
    if (brush == state_.hatchBrushes.cend() || spareHandle_ == 0)
        return false;
    Hatch hatch = *brush;
    hatch.opaque = state_.dc.opaque;
    hatch.background = state_.dc.opaque ? rgbOf(state_.dc.background) : 0;
    const quint64 key = quint64(hatch.style) << 56 | quint64(hatch.opaque) << 48 |
                        quint64(hatch.colour & 0xFFFFFF) << 24 | (hatch.background & 0xFFFFFF);
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
    const double cost = work_.hatch(estimate_.lastBox(), hatch.style, 8 * std::max(natural_.x(), natural_.y()));
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

void EmfRewrite::hatchAfter(QByteArray &out) const
{
    u32(out, SelectObject);
    u32(out, quint32(minimumSize(SelectObject)));
    u32(out, state_.dc.brush);
    u32(out, DeleteObject);
    u32(out, quint32(minimumSize(DeleteObject)));
    u32(out, spareHandle_);
}

bool EmfRewrite::glyphIndices(quint32 type, qint64 pos, qint64 size) const
{
    switch (type) {
    case ExtTextOutA:
    case ExtTextOutW: return b_.u32(pos + text::Options) & text::GlyphIndex;
    case SmallTextOut: return size < smallText::Options + 4 || (b_.u32(pos + smallText::Options) & text::GlyphIndex);
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
    default: return false;
    }
}

bool EmfRewrite::rewriteText(QByteArray &out, quint32 type, qint64 pos, qint64 size)
{
    if (type == ExtCreateFontIndirectW) {
        const qsizetype at = out.size();
        out.append(reinterpret_cast<const char *>(b_.data() + pos), size);
        // A positive height is the character cell's; the SVG's font size is the em, the
        // cell less its internal leading.
        const qint32 height = b_.i32(pos + font::Height);
        if (height > 0) {
            const qint32 em = -qint32(std::max(1.0, std::round(height / cellPerEm(state_.faceName(pos)))));
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
        decodeText(bytes, byteDx, per, state_.fontCharsets.value(state_.dc.font, 1), &text, &dx);
        if (!offDx)
            dx.clear();
    }
    if (symbolEncoded(state_.fontCharsets.value(state_.dc.font, 1), state_.fontFaces.value(state_.dc.font)))
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

bool EmfRewrite::placeEach(QByteArray &out, qint64 pos, const QString &text, const QVector<qint32> &dx)
{
    constexpr qint64 MaxPlacedChars = 20000;
    constexpr quint32 UpdateCp = 1, AlignRight = 2, AlignCenter = 6;
    const quint32 align = state_.dc.textAlign;
    if (text.size() < 2 || state_.fontTurned.value(state_.dc.font) || (align & UpdateCp) ||
        placedChars_ + text.size() > MaxPlacedChars)
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
        const qint64 x = horizontal == AlignCenter  ? start + advance / 2
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

} // namespace picture::detail
