// SPDX-License-Identifier: GPL-2.0-or-later
// The check of each enhanced metafile record against its own size (EmfWalk.h).
#include "platform/picture/EmfWalk.h"
#include "platform/picture/MetafileRecords.h"

namespace picture::detail {

namespace {

using namespace picture::emf;

class RecordCheck
{
public:
    explicit RecordCheck(const Bytes &b) : b_(b) {}

    void check(quint32 type, qint64 pos, qint64 size) const
    {
        switch (type) {
        case PolyBezier16:
        case Polygon16:
        case Polyline16:
        case PolyBezierTo16:
        case PolylineTo16:
            need(size >= poly::Points && poly::Points + poly::Point16Size * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case PolyBezier:
        case Polygon:
        case Polyline:
        case PolyBezierTo:
        case PolylineTo:
            need(size >= poly::Points && poly::Points + poly::Point32Size * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case PolyPolyline16:
        case PolyPolygon16:
        case PolyPolyline:
        case PolyPolygon: {
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
        case ExtTextOutA:
        case ExtTextOutW: {
            need(size >= text::Size);
            const qint64 chars = b_.u32(pos + text::Chars);
            const qint64 offString = b_.u32(pos + text::OffString);
            const qint64 offDx = b_.u32(pos + text::OffDx);
            const qint64 options = b_.u32(pos + text::Options);
            need(chars <= size && offString <= size && chars * (type == ExtTextOutW ? 2 : 1) <= size - offString);
            need(offDx == 0 || (offDx <= size && chars * ((options & text::PairedDx) ? 8 : 4) <= size - offDx));
            break;
        }
        case BitBlt:
        case StretchBlt:
        case TransparentBlt:
        case AlphaBlend: bitmap(pos, size, blt::Bitmap); break;
        case MaskBlt:
            bitmap(pos, size, blt::Bitmap);
            bitmap(pos, size, blt::Mask);
            break;
        case PlgBlt: bitmap(pos, size, plgBlt::Bitmap); break;
        case SetDiBitsToDevice:
        case StretchDiBits: bitmap(pos, size, dibits::Bitmap); break;
        case CreateMonoBrush:
        case CreateDibPatternBrushPt: bitmap(pos, size, patternBrush::Bitmap); break;
        case ExtCreatePen:
            need(extPen::Size + 4 * qint64(b_.u32(pos + extPen::StyleEntries)) <= size);
            bitmap(pos, size, extPen::Bitmap);
            break;
        case PolyDraw: need(poly::Points + (poly::Point32Size + 1) * qint64(b_.u32(pos + poly::Count)) <= size); break;
        case PolyDraw16:
            need(poly::Points + (poly::Point16Size + 1) * qint64(b_.u32(pos + poly::Count)) <= size);
            break;
        case CreatePalette:
            need(palette::CreateEntries + palette::EntrySize * qint64(b_.u16(pos + palette::CreateCount)) <= size);
            break;
        case SetPaletteEntries:
            need(palette::SetEntries + palette::EntrySize * qint64(b_.u32(pos + palette::SetCount)) <= size);
            break;
        case GdiComment: need(comment::Data + qint64(b_.u32(pos + comment::DataSize)) <= size); break;
        case FillRgn:
        case FrameRgn:
        case InvertRgn:
        case PaintRgn: region(pos, size, regionRecord::Length, regionData(type)); break;
        case ExtSelectClipRgn:
            if (b_.u32(pos + clipRegion::Length) != 0)
                region(pos, size, clipRegion::Length, clipRegion::Data);
            break;
        case DrawEscape:
        case ExtEscape: need(escape::Data + qint64(b_.u32(pos + escape::DataSize)) <= size); break;
        case NamedEscape:
            need(namedEscape::Data + qint64(b_.u32(pos + namedEscape::NameSize)) +
                     qint64(b_.u32(pos + namedEscape::DataSize)) <=
                 size);
            break;
        case SetIcmProfileA:
        case SetIcmProfileW:
            need(icmProfile::Data + qint64(b_.u32(pos + icmProfile::NameSize)) +
                     qint64(b_.u32(pos + icmProfile::DataSize)) <=
                 size);
            break;
        case ColorMatchToTargetW:
            need(colorMatch::Data + qint64(b_.u32(pos + colorMatch::NameSize)) +
                     qint64(b_.u32(pos + colorMatch::DataSize)) <=
                 size);
            break;
        case CreateColorSpaceW: need(colorSpaceW::Data + qint64(b_.u32(pos + colorSpaceW::DataSize)) <= size); break;
        case GradientFill: {
            const qint64 vertices = b_.u32(pos + gradient::VertexCount);
            const qint64 shapes = b_.u32(pos + gradient::ShapeCount);
            const quint32 mode = b_.u32(pos + gradient::Mode);
            const qint64 corners = mode == gradient::Triangles ? 3 : 2;
            need(mode <= gradient::Triangles &&
                 gradient::Vertices + gradient::VertexSize * vertices + corners * gradient::IndexSize * shapes <= size);
            break;
        }
        case SmallTextOut: {
            const qint64 chars = b_.u32(pos + smallText::Chars);
            const quint32 options = b_.u32(pos + smallText::Options);
            const qint64 fixed = smallText::Size + ((options & smallText::NoRect) ? 0 : smallText::RectSize);
            need(fixed <= size && chars * ((options & smallText::SmallChars) ? 1 : 2) <= size - fixed);
            break;
        }
        case PolyTextOutA:
        case PolyTextOutW: {
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
        default: break;
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

    // A region given by its length at lengthAt from the record's start, its data at dataAt:
    // the header and the rectangles it counts must lie in the record.
    void region(qint64 pos, qint64 size, qint64 lengthAt, qint64 dataAt) const
    {
        const qint64 length = b_.u32(pos + lengthAt);
        need(length >= RegionHeaderSize && dataAt + length <= size);
        const qint64 rects = b_.u32(pos + dataAt + RegionCount);
        need(rects <= (length - RegionHeaderSize) / RegionRectSize);
    }

    const Bytes &b_;
};

} // namespace

void checkEmfRecord(const Bytes &b, quint32 type, qint64 pos, qint64 size) { RecordCheck(b).check(type, pos, size); }

} // namespace picture::detail
