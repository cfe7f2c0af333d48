// SPDX-License-Identifier: GPL-2.0-or-later
// Windows metafiles, placeable or plain. The records are checked, translated one by one into the
// enhanced metafile records they stand for, and drawn on the enhanced metafile path (libemf2svg,
// then QSvgRenderer).
//
// libwmf's SVG device is not used: in libwmf 0.2.12 it draws arcs, pies and chords at wrong
// places, draws bitmaps 24 times too large (sized twice, and under an undeclared xlink
// namespace), fills polylines black, snaps every colour to the nearest SVG colour name, copies
// text bytes into the SVG undecoded and unescaped, fills at half opacity under a transparent
// background mode, and fits the drawing to what is drawn instead of the frame.
#include "platform/picture/Bytes.h"
#include "platform/picture/DrawingWork.h"
#include "platform/picture/MetafileRecords.h"
#include "platform/picture/PictureData.h"
#include "platform/picture/Text.h"

#include "platform/cp932/cp932.h"

#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace picture::detail {

namespace {

using namespace picture::wmf;
using emf::StockBlackBrush;
using emf::StockBlackPen;
using emf::StockNullPen;
using emf::StockWhiteBrush;

// Records that put something on the page; the first of them ends the header's mapping.
bool isDrawing(quint16 f)
{
    switch (f) {
    case Arc:
    case Chord:
    case Ellipse:
    case ExtFloodFill:
    case FloodFill:
    case LineTo:
    case Pie:
    case Polygon:
    case Polyline:
    case PolyPolygon:
    case Rectangle:
    case RoundRect:
    case SetPixel:
    case TextOut:
    case ExtTextOut:
    case PatBlt:
    case BitBlt:
    case StretchBlt:
    case DibBitBlt:
    case DibStretchBlt:
    case StretchDib:
    case SetDibToDev:
    case FillRegion:
    case FrameRegion:
    case InvertRegion:
    case PaintRegion: return true;
    default: return false;
    }
}

// Parameter words that a record of fixed layout must have at least.
int minimumParams(quint16 f)
{
    switch (f) {
    case SetBkColor:
    case SetTextColor:
    case SetTextJustification:
    case SetWindowOrg:
    case SetWindowExt:
    case SetViewportOrg:
    case SetViewportExt:
    case OffsetWindowOrg:
    case OffsetViewportOrg:
    case LineTo:
    case MoveTo:
    case OffsetClipRgn:
    case SetMapperFlags:
    case FillRegion:
    case Escape:
    case CreatePalette:
    case SetPalEntries:
    case AnimatePalette: return 2;
    case ScaleWindowExt:
    case ScaleViewportExt:
    case ExcludeClipRect:
    case IntersectClipRect:
    case Ellipse:
    case FloodFill:
    case Rectangle:
    case SetPixel:
    case FrameRegion:
    case CreateBrushIndirect:
    case ExtTextOut: return 4;
    case CreatePenIndirect:
    case ExtFloodFill: return 5;
    case RoundRect:
    case PatBlt: return 6;
    case Arc:
    case Pie:
    case Chord:
    case DibBitBlt:
    case BitBlt: return 8;
    case CreateFontIndirect:
    case SetDibToDev: return 9;
    case DibStretchBlt:
    case StretchBlt: return 10;
    case StretchDib: return 11;
    case SetBkMode:
    case SetMapMode:
    case SetRop2:
    case SetRelAbs:
    case SetPolyFillMode:
    case SetStretchBltMode:
    case SetTextCharExtra:
    case RestoreDc:
    case InvertRegion:
    case PaintRegion:
    case SelectClipRegion:
    case SelectObject:
    case SetTextAlign:
    case DeleteObject:
    case SelectPalette:
    case ResizePalette:
    case DibCreatePatternBrush:
    case Polygon:
    case Polyline:
    case TextOut:
    case PolyPolygon: return 1;
    default: return 0;
    }
}

// The parameters of one record.
struct Record
{
    const Bytes *b = nullptr;
    qint64 pos = 0;   // the record's first byte
    qint64 words = 0; // its size in 16-bit words
    quint16 f = 0;

    qint64 params() const { return words - RecordHeaderWords; }
    qint64 end() const { return pos + words * 2; }
    qint64 at(qint64 i) const { return pos + RecordParams + 2 * i; }
    // DibBitBlt and DibStretchBlt without a bitmap: as many words as the function's high byte
    // says, besides the record's own.
    bool withoutBitmap() const { return words == (f >> 8) + RecordHeaderWords; }
    quint16 u(qint64 i) const { return b->u16(at(i)); }
    qint16 s(qint64 i) const { return b->i16(at(i)); }
    quint32 u32(qint64 i) const { return b->u32(at(i)); }
};

// A device-independent bitmap inside a record: its header with colour table, and its bits.
struct Dib
{
    qint64 at = 0;
    qint64 header = 0;
    qint64 bits = 0;
};

bool findDib(const Record &r, qint64 param, bool paletteIndices, Dib *dib)
{
    DibSize d;
    const qint64 at = r.at(param);
    if (!dibSize(*r.b, at, r.end(), paletteIndices, &d) || d.header > r.end() - at)
        return false;
    dib->at = at;
    dib->header = d.header;
    // Compressed bits run to the end of the record.
    dib->bits = d.bits ? d.bits : r.end() - at - d.header;
    return d.header + dib->bits <= r.end() - at;
}

// What the records say about the picture as a whole.
struct Layout
{
    bool placeable = false;
    int inch = 0;
    QPoint corner1, corner2; // the frame's corners in logical units, as the file gives them
    qint64 firstRecord = 0;
    bool windowSet = false; // a plain file sets its window before it draws
    QPoint windowOrg;
    QSize windowExt;
    QRect drawn; // the points the drawing records name
};

// Checks the header and every record against the file; raises 481 where they disagree.
Layout walk(const Bytes &b)
{
    Layout l;
    qint64 meta = 0;
    if (b.has(0, placeable::Size) && b.u32(placeable::Key) == placeable::KeyValue) {
        l.placeable = true;
        l.corner1 = QPoint(b.i16(placeable::Left), b.i16(placeable::Top));
        l.corner2 = QPoint(b.i16(placeable::Right), b.i16(placeable::Bottom));
        l.inch = b.u16(placeable::Inch);
        if (l.corner1.x() == l.corner2.x() || l.corner1.y() == l.corner2.y() || l.inch == 0)
            damaged();
        meta = placeable::Size;
    }
    if (!b.has(meta, header::Size) ||
        (b.u16(meta + header::Type) != header::InMemory && b.u16(meta + header::Type) != header::OnDisk) ||
        b.u16(meta + header::HeaderWords) != header::Words ||
        (b.u16(meta + header::Version) != header::Version1 && b.u16(meta + header::Version) != header::Version3))
        damaged();
    l.firstRecord = meta + header::Size;

    auto see = [&](int x, int y) { l.drawn = l.drawn.united(QRect(x, y, 1, 1)); };
    auto seeBox = [&](const Record &r, int first) {
        see(r.s(first + rect::Left), r.s(first + rect::Top));
        see(r.s(first + rect::Right), r.s(first + rect::Bottom));
    };
    // The destination of a bitmap record: its corner and its extent.
    auto seeDest = [&](const Record &r, qint64 x, qint64 y, qint64 width, qint64 height) {
        see(r.s(x), r.s(y));
        see(r.s(x) + r.s(width), r.s(y) + r.s(height));
    };
    bool drawing = false;
    Record r;
    r.b = &b;
    r.pos = l.firstRecord;
    for (qint64 records = 0;; ++records) {
        // Every record becomes one or more enhanced metafile records, which the work bound
        // counts again; a file of more is refused before it is translated.
        if (!b.has(r.pos, RecordParams) || records > DrawingWork::MaxRecords)
            damaged();
        r.words = b.u32(r.pos + RecordWords);
        r.f = b.u16(r.pos + RecordFunction);
        if (r.words < RecordHeaderWords || !b.has(r.pos, r.words * 2))
            damaged();
        if (r.f == Eof)
            break;
        const qint64 n = r.params();
        auto need = [](bool ok) {
            if (!ok)
                damaged();
        };
        need(n >= minimumParams(r.f));
        Dib dib;
        switch (r.f) {
        case Polygon:
        case Polyline:
            need(n >= poly::Points + poly::PointWords * qint64(r.u(poly::Count)));
            for (int i = 0; i < r.u(poly::Count); ++i)
                see(r.s(poly::Points + poly::PointWords * i + poly::PointX),
                    r.s(poly::Points + poly::PointWords * i + poly::PointY));
            break;
        case PolyPolygon: {
            const qint64 polys = r.u(polyPolygon::Figures);
            need(n >= polyPolygon::FigureCounts + polys);
            qint64 points = 0;
            for (qint64 i = 0; i < polys; ++i)
                points += r.u(polyPolygon::FigureCounts + i);
            const qint64 first = polyPolygon::FigureCounts + polys;
            need(n >= first + poly::PointWords * points);
            for (qint64 i = 0; i < points; ++i)
                see(r.s(first + poly::PointWords * i + poly::PointX), r.s(first + poly::PointWords * i + poly::PointY));
            break;
        }
        case TextOut: {
            const qint64 words = (qint64(r.u(textOut::Length)) + 1) / 2;
            const qint64 point = textOut::String + words;
            need(n >= point + 2);
            see(r.s(point + point::X), r.s(point + point::Y));
            break;
        }
        case ExtTextOut: {
            const bool hasRect = r.u(extTextOut::Options) & extTextOut::RectOptions;
            need(n >=
                 extTextOut::Rect + (hasRect ? extTextOut::RectWords : 0) + (qint64(r.u(extTextOut::Length)) + 1) / 2);
            see(r.s(extTextOut::Point + point::X), r.s(extTextOut::Point + point::Y));
            break;
        }
        case Escape: need(n >= escape::Data + (qint64(r.u(escape::ByteCount)) + 1) / 2); break;
        case CreatePalette:
        case SetPalEntries:
        case AnimatePalette: need(n >= palette::Entries + palette::EntryWords * qint64(r.u(palette::Count))); break;
        case DibBitBlt:
        case DibStretchBlt:
            if (!r.withoutBitmap())
                need(findDib(r, r.f == DibBitBlt ? dibBitBlt::Bitmap : dibStretchBlt::Bitmap, false, &dib));
            if (r.withoutBitmap())
                seeDest(r, n - withoutBitmap::XFromEnd, n - withoutBitmap::YFromEnd, n - withoutBitmap::WidthFromEnd,
                        n - withoutBitmap::HeightFromEnd);
            else if (r.f == DibBitBlt)
                seeDest(r, dibBitBlt::XDest, dibBitBlt::YDest, dibBitBlt::Width, dibBitBlt::Height);
            else
                seeDest(r, dibStretchBlt::XDest, dibStretchBlt::YDest, dibStretchBlt::DestWidth,
                        dibStretchBlt::DestHeight);
            break;
        case StretchDib:
            need(findDib(r, stretchDib::Bitmap, r.u(stretchDib::Usage) == DibPaletteColours, &dib));
            seeDest(r, stretchDib::XDest, stretchDib::YDest, stretchDib::DestWidth, stretchDib::DestHeight);
            break;
        case SetDibToDev:
            need(findDib(r, setDibToDev::Bitmap, r.u(setDibToDev::Usage) == DibPaletteColours, &dib));
            seeDest(r, setDibToDev::XDest, setDibToDev::YDest, setDibToDev::Width, setDibToDev::Height);
            break;
        case DibCreatePatternBrush:
            need(n >= patternBrush::Bitmap);
            if (r.u(patternBrush::Style) != patternBrush::Pattern)
                need(findDib(r, patternBrush::Bitmap, r.u(patternBrush::Usage) == DibPaletteColours, &dib));
            break;
        case Rectangle:
        case Ellipse: seeBox(r, 0); break;
        case RoundRect: seeBox(r, roundRect::Box); break;
        case Arc:
        case Pie:
        case Chord: seeBox(r, arc::Box); break;
        case LineTo:
        case MoveTo: see(r.s(point::X), r.s(point::Y)); break;
        case SetPixel: see(r.s(setPixel::Point + point::X), r.s(setPixel::Point + point::Y)); break;
        case PatBlt: seeDest(r, patBlt::X, patBlt::Y, patBlt::Width, patBlt::Height); break;
        default: break;
        }
        if (isDrawing(r.f))
            drawing = true;
        if (!drawing && !l.windowSet && r.f == SetWindowExt) {
            l.windowExt = QSize(r.s(point::X), r.s(point::Y));
            l.windowSet = l.windowExt.width() != 0 && l.windowExt.height() != 0;
        } else if (!drawing && !l.windowSet && r.f == SetWindowOrg) {
            l.windowOrg = QPoint(r.s(point::X), r.s(point::Y));
        }
        r.pos = r.end();
    }
    return l;
}

// Enhanced metafile records, written one after the other.
class EmfOut
{
public:
    void begin(quint32 type)
    {
        start_ = d_.size();
        u32(type);
        u32(0);
    }
    void end()
    {
        while (d_.size() % 4)
            d_.append('\0');
        put(start_ + emf::RecordSize, quint32(d_.size() - start_));
        ++count_;
    }
    void u16(quint16 v)
    {
        d_.append(char(v & 0xFF));
        d_.append(char(v >> 8));
    }
    void u32(quint32 v)
    {
        u16(quint16(v & 0xFFFF));
        u16(quint16(v >> 16));
    }
    void i32(qint32 v) { u32(quint32(v)); }
    void bytes(const char *p, qint64 n) { d_.append(p, n); }
    void zeros(int n) { d_.append(n, '\0'); }
    void rect(qint32 l, qint32 t, qint32 r, qint32 b)
    {
        i32(l);
        i32(t);
        i32(r);
        i32(b);
    }
    void put(qint64 at, quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            d_[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    qint64 size() const { return d_.size(); }
    int count() const { return count_; }
    QByteArray &data() { return d_; }

    // Records of one or two 32-bit values.
    void one(quint32 type, quint32 v)
    {
        begin(type);
        u32(v);
        end();
    }
    void two(quint32 type, qint32 a, qint32 b)
    {
        begin(type);
        i32(a);
        i32(b);
        end();
    }

private:
    QByteArray d_;
    qint64 start_ = 0;
    int count_ = 0;
};

// What SaveDC keeps and RestoreDC brings back, as far as the translation needs it.
struct DcState
{
    QPoint windowOrg;
    int font = -1;
    int pen = -1;
    int brush = -1;
};

class Translator
{
public:
    Translator(const Bytes &b, const Layout &l, QSize pixels) : b_(b), l_(l), pixels_(pixels) {}

    QByteArray run()
    {
        header();
        // The player's mapping: the frame in logical units onto the picture's pixels.
        out_.one(emf::SetMapMode, emf::MapAnisotropic);
        state_.windowOrg = l_.corner1;
        out_.two(emf::SetWindowOrgEx, l_.corner1.x(), l_.corner1.y());
        out_.two(emf::SetWindowExtEx, l_.corner2.x() - l_.corner1.x(), l_.corner2.y() - l_.corner1.y());
        out_.two(emf::SetViewportOrgEx, 0, 0);
        out_.two(emf::SetViewportExtEx, pixels_.width(), pixels_.height());

        Record r;
        r.b = &b_;
        r.pos = l_.firstRecord;
        for (;;) {
            r.words = b_.u32(r.pos + RecordWords);
            r.f = b_.u16(r.pos + RecordFunction);
            if (r.f == Eof)
                break;
            translate(r);
            r.pos = r.end();
        }
        out_.begin(emf::Eof);
        out_.u32(0); // no palette
        out_.u32(16);
        out_.u32(quint32(emf::eof::Size));
        out_.end();

        QByteArray &d = out_.data();
        out_.put(emf::header::Bytes, quint32(d.size()));
        out_.put(emf::header::Records, quint32(out_.count()));
        d[emf::header::Handles] = char((slots_.size() + 1) & 0xFF);
        d[emf::header::Handles + 1] = char(((slots_.size() + 1) >> 8) & 0xFF);
        return d;
    }

private:
    enum class Kind { Free, Pen, Brush, Font, Other };
    struct Slot
    {
        Kind kind = Kind::Free;
        int charset = 1;
    };

    // A 96-dpi reference device, and the picture's size as bounds and frame.
    void header()
    {
        out_.begin(emf::Header);
        out_.rect(0, 0, pixels_.width() - 1, pixels_.height() - 1);
        out_.rect(0, 0, qint32(std::lround(pixels_.width() * 2540.0 / 96)),
                  qint32(std::lround(pixels_.height() * 2540.0 / 96)));
        out_.u32(emf::header::SignatureValue);
        out_.u32(emf::header::VersionValue);
        out_.u32(0); // size, count and handles are filled in at the end
        out_.u32(0);
        out_.u32(0);
        out_.u32(0); // no description
        out_.u32(0);
        out_.u32(0); // no palette
        out_.i32(1280);
        out_.i32(1024);
        out_.i32(339);
        out_.i32(271);
        out_.u32(0);
        out_.u32(0);
        out_.u32(0);
        out_.i32(338667);
        out_.i32(270933);
        out_.end();
    }

    // The object table: a new object takes the lowest free slot; slot i is handle i + 1.
    int create(Kind kind)
    {
        int i = 0;
        while (i < slots_.size() && slots_[i].kind != Kind::Free)
            ++i;
        if (i == slots_.size())
            slots_.append(Slot());
        slots_[i].kind = kind;
        return i;
    }

    Kind kindOf(int slot) const { return slot >= 0 && slot < slots_.size() ? slots_[slot].kind : Kind::Free; }

    void selectPen()
    {
        out_.one(emf::SelectObject, kindOf(state_.pen) == Kind::Pen ? quint32(state_.pen + 1) : StockBlackPen);
    }

    void box(const Record &r, quint32 type, int first)
    {
        out_.begin(type);
        out_.rect(r.s(first + rect::Left), r.s(first + rect::Top), r.s(first + rect::Right), r.s(first + rect::Bottom));
    }

    void points(const Record &r, quint32 type, qint64 first, qint64 count, qint64 polys)
    {
        out_.begin(type);
        QRect bounds;
        for (qint64 i = 0; i < count; ++i)
            bounds = bounds.united(QRect(r.s(first + poly::PointWords * i + poly::PointX),
                                         r.s(first + poly::PointWords * i + poly::PointY), 1, 1));
        out_.rect(bounds.left(), bounds.top(), bounds.right(), bounds.bottom());
        if (polys > 0) {
            out_.u32(quint32(polys));
            out_.u32(quint32(count));
            for (qint64 i = 0; i < polys; ++i)
                out_.u32(r.u(polyPolygon::FigureCounts + i));
        } else {
            out_.u32(quint32(count));
        }
        for (qint64 i = 0; i < count; ++i) {
            out_.u16(r.u(first + poly::PointWords * i + poly::PointX));
            out_.u16(r.u(first + poly::PointWords * i + poly::PointY));
        }
        out_.end();
    }

    // A rectangle filled with a brush and no pen, as a pattern block transfer paints it.
    void patBlt(quint32 rop, int x, int y, int w, int h)
    {
        quint32 brush = 0;
        if (rop == rop::PatternCopy) // the current brush
            brush = kindOf(state_.brush) == Kind::Brush ? quint32(state_.brush + 1) : StockWhiteBrush;
        else if (rop == rop::Whiteness)
            brush = StockWhiteBrush;
        else if (rop == rop::Blackness)
            brush = StockBlackBrush;
        else
            return; // raster operations on what is there are not drawn
        out_.one(emf::SelectObject, StockNullPen);
        out_.one(emf::SelectObject, brush);
        // Without a pen a rectangle fills one pixel less each way.
        out_.begin(emf::Rectangle);
        out_.rect(std::min(x, x + w), std::min(y, y + h), std::max(x, x + w) + 1, std::max(y, y + h) + 1);
        out_.end();
        selectPen();
        if (kindOf(state_.brush) == Kind::Brush)
            out_.one(emf::SelectObject, quint32(state_.brush + 1));
    }

    // DibBitBlt and DibStretchBlt without a bitmap: the destination, counted from the last
    // parameter.
    void patBltWithoutBitmap(const Record &r)
    {
        const qint64 n = r.params();
        patBlt(r.u32(Value), r.s(n - withoutBitmap::XFromEnd), r.s(n - withoutBitmap::YFromEnd),
               r.s(n - withoutBitmap::WidthFromEnd), r.s(n - withoutBitmap::HeightFromEnd));
    }

    void stretchDiBits(const Dib &dib, quint32 rop, quint32 usage, QRect src, QRect dest)
    {
        const qint64 fixed = emf::dibits::StretchSize;
        out_.begin(emf::StretchDiBits);
        out_.rect(dest.x(), dest.y(), dest.x() + dest.width(), dest.y() + dest.height());
        out_.i32(dest.x());
        out_.i32(dest.y());
        out_.i32(src.x());
        out_.i32(src.y());
        out_.i32(src.width());
        out_.i32(src.height());
        out_.u32(quint32(fixed));
        out_.u32(quint32(dib.header));
        out_.u32(quint32(fixed + dib.header));
        out_.u32(quint32(dib.bits));
        out_.u32(usage);
        out_.u32(rop);
        out_.i32(dest.width());
        out_.i32(dest.height());
        out_.bytes(reinterpret_cast<const char *>(b_.data() + dib.at), dib.header + dib.bits);
        out_.end();
    }

    // Text as wide characters; clip holds the record's rectangle as left, top, right and bottom.
    void text(const Record &r, int x, int y, qint64 stringParam, qint64 count, quint32 options, const QRect &clip,
              qint64 dxParam)
    {
        const QByteArray bytes(reinterpret_cast<const char *>(b_.data() + r.at(stringParam)), count);
        QVector<qint32> dx;
        if (dxParam >= 0 && r.params() >= dxParam + count) {
            for (qint64 i = 0; i < count; ++i)
                dx.append(r.s(dxParam + i));
        }
        QString chars;
        QVector<qint32> advances;
        const int charset = kindOf(state_.font) == Kind::Font ? slots_[state_.font].charset : 1;
        decodeText(bytes, dx, 1, charset, &chars, &advances);
        const qint64 n = chars.size();
        const qint64 offString = emf::text::Size;
        const qint64 stringBytes = (n * 2 + 3) / 4 * 4;
        out_.begin(emf::ExtTextOutW);
        out_.rect(x, y, x, y);
        out_.u32(1); // compatible graphics mode
        out_.u32(0);
        out_.u32(0);
        out_.i32(x);
        out_.i32(y);
        out_.u32(quint32(n));
        out_.u32(quint32(offString));
        out_.u32(options & extTextOut::RectOptions);
        out_.rect(clip.left(), clip.top(), clip.right(), clip.bottom());
        out_.u32(dx.isEmpty() ? 0 : quint32(offString + stringBytes));
        for (QChar c : chars)
            out_.u16(c.unicode());
        if (n % 2)
            out_.u16(0);
        if (!dx.isEmpty()) {
            for (qint32 a : advances)
                out_.i32(a);
        }
        out_.end();
    }

    void translate(const Record &r)
    {
        const qint64 n = r.params();
        switch (r.f) {
        case SetBkColor: out_.one(emf::SetBkColor, r.u32(Value)); break;
        case SetTextColor: out_.one(emf::SetTextColor, r.u32(Value)); break;
        case SetBkMode: out_.one(emf::SetBkMode, r.u(Value)); break;
        case SetRop2: out_.one(emf::SetRop2, r.u(Value)); break;
        case SetPolyFillMode: out_.one(emf::SetPolyFillMode, r.u(Value)); break;
        case SetStretchBltMode: out_.one(emf::SetStretchBltMode, r.u(Value)); break;
        case SetTextAlign: out_.one(emf::SetTextAlign, r.u(Value)); break;
        case SetMapMode:
            // The player maps the frame onto the picture; only the two scalable modes keep it.
            if (r.u(Value) == emf::MapIsotropic || r.u(Value) == emf::MapAnisotropic)
                out_.one(emf::SetMapMode, r.u(Value));
            break;
        case SetWindowOrg:
            state_.windowOrg = QPoint(r.s(point::X), r.s(point::Y));
            out_.two(emf::SetWindowOrgEx, r.s(point::X), r.s(point::Y));
            break;
        case OffsetWindowOrg:
            state_.windowOrg += QPoint(r.s(point::X), r.s(point::Y));
            out_.two(emf::SetWindowOrgEx, state_.windowOrg.x(), state_.windowOrg.y());
            break;
        case SetWindowExt: out_.two(emf::SetWindowExtEx, r.s(point::X), r.s(point::Y)); break;
        case ScaleWindowExt:
            if (r.s(scale::YDenom) != 0 && r.s(scale::XDenom) != 0) {
                out_.begin(emf::ScaleWindowExtEx);
                out_.i32(r.s(scale::XNum));
                out_.i32(r.s(scale::XDenom));
                out_.i32(r.s(scale::YNum));
                out_.i32(r.s(scale::YDenom));
                out_.end();
            }
            break;
        case SaveDc:
            saved_.append(state_);
            out_.begin(emf::SaveDc);
            out_.end();
            break;
        case RestoreDc: {
            const qint64 back = r.s(Value);
            const qint64 keep = back < 0 ? saved_.size() + back : back - 1;
            if (keep >= 0 && keep < saved_.size()) {
                const qint64 relative = keep - saved_.size();
                state_ = saved_.at(keep);
                saved_.resize(keep);
                out_.begin(emf::RestoreDc);
                out_.i32(qint32(relative));
                out_.end();
            }
            break;
        }
        case IntersectClipRect:
            box(r, emf::IntersectClipRect, 0);
            out_.end();
            break;
        case ExcludeClipRect:
            box(r, emf::ExcludeClipRect, 0);
            out_.end();
            break;
        case MoveTo: out_.two(emf::MoveToEx, r.s(point::X), r.s(point::Y)); break;
        case LineTo: out_.two(emf::LineTo, r.s(point::X), r.s(point::Y)); break;
        case Rectangle:
            box(r, emf::Rectangle, 0);
            out_.end();
            break;
        case Ellipse:
            box(r, emf::Ellipse, 0);
            out_.end();
            break;
        case RoundRect:
            box(r, emf::RoundRect, roundRect::Box);
            out_.i32(r.s(roundRect::CornerWidth));
            out_.i32(r.s(roundRect::CornerHeight));
            out_.end();
            break;
        case Arc:
        case Pie:
        case Chord:
            box(r, r.f == Arc ? emf::Arc : r.f == Pie ? emf::Pie : emf::Chord, arc::Box);
            out_.i32(r.s(arc::StartX));
            out_.i32(r.s(arc::StartY));
            out_.i32(r.s(arc::EndX));
            out_.i32(r.s(arc::EndY));
            out_.end();
            break;
        case SetPixel:
            out_.begin(emf::SetPixelV);
            out_.i32(r.s(setPixel::Point + point::X));
            out_.i32(r.s(setPixel::Point + point::Y));
            out_.u32(r.u32(setPixel::Colour));
            out_.end();
            break;
        case Polygon: points(r, emf::Polygon16, poly::Points, r.u(poly::Count), 0); break;
        case Polyline: points(r, emf::Polyline16, poly::Points, r.u(poly::Count), 0); break;
        case PolyPolygon: {
            const qint64 polys = r.u(polyPolygon::Figures);
            qint64 count = 0;
            for (qint64 i = 0; i < polys; ++i)
                count += r.u(polyPolygon::FigureCounts + i);
            points(r, emf::PolyPolygon16, polyPolygon::FigureCounts + polys, count, polys);
            break;
        }
        case TextOut: {
            const qint64 count = r.u(textOut::Length);
            const qint64 point = textOut::String + (count + 1) / 2;
            text(r, r.s(point + point::X), r.s(point + point::Y), textOut::String, count, 0, QRect(), -1);
            break;
        }
        case ExtTextOut: {
            const quint32 options = r.u(extTextOut::Options);
            const bool hasRect = options & extTextOut::RectOptions;
            QRect clip;
            if (hasRect)
                clip.setCoords(r.s(extTextOut::RectLeft), r.s(extTextOut::RectTop), r.s(extTextOut::RectRight),
                               r.s(extTextOut::RectBottom));
            const qint64 stringParam = extTextOut::Rect + (hasRect ? extTextOut::RectWords : 0);
            const qint64 count = r.u(extTextOut::Length);
            text(r, r.s(extTextOut::Point + point::X), r.s(extTextOut::Point + point::Y), stringParam, count, options,
                 clip, stringParam + (count + 1) / 2);
            break;
        }
        case CreatePenIndirect: {
            const int slot = create(Kind::Pen);
            out_.begin(emf::CreatePen);
            out_.u32(quint32(slot + 1));
            out_.u32(r.u(pen::Style));
            out_.i32(r.s(pen::Width));
            out_.i32(0);
            out_.u32(r.u32(pen::Colour));
            out_.end();
            break;
        }
        case CreateBrushIndirect: {
            const int slot = create(Kind::Brush);
            out_.begin(emf::CreateBrushIndirect);
            out_.u32(quint32(slot + 1));
            // Pattern styles need a bitmap this record cannot carry: a solid brush stands in.
            const quint32 style = r.u(brush::Style);
            out_.u32(style <= emf::brush::Hatched ? style : 0);
            out_.u32(r.u32(brush::Colour));
            out_.u32(r.u(brush::Hatch));
            out_.end();
            break;
        }
        case CreateFontIndirect: {
            const int slot = create(Kind::Font);
            slots_[slot].charset = b_.u8(r.at(font::Bytes) + font::CharsetByte);
            out_.begin(emf::ExtCreateFontIndirectW);
            out_.u32(quint32(slot + 1));
            for (qint64 i = font::Height; i < font::Bytes; ++i)
                out_.i32(r.s(i));
            const qint64 fontBytes = 2 * (font::FaceName - font::Bytes);
            out_.bytes(reinterpret_cast<const char *>(b_.data() + r.at(font::Bytes)), fontBytes);
            // The face name, in the system's code page, up to its terminating zero.
            const qint64 faceBytes = std::min<qint64>(32, (n - font::FaceName) * 2);
            QByteArray face(reinterpret_cast<const char *>(b_.data() + r.at(font::FaceName)), faceBytes);
            const qsizetype zero = face.indexOf('\0');
            if (zero >= 0)
                face.truncate(zero);
            const QString name = cp932::decode(face).left(31);
            for (int i = 0; i < 32; ++i)
                out_.u16(i < name.size() ? name.at(i).unicode() : 0);
            out_.end();
            break;
        }
        case DibCreatePatternBrush: {
            const int slot = create(Kind::Brush);
            Dib dib;
            if (r.u(patternBrush::Style) != patternBrush::Pattern &&
                findDib(r, patternBrush::Bitmap, r.u(patternBrush::Usage) == DibPaletteColours, &dib)) {
                const qint64 fixed = emf::minimumSize(emf::CreateDibPatternBrushPt);
                out_.begin(emf::CreateDibPatternBrushPt);
                out_.u32(quint32(slot + 1));
                out_.u32(r.u(patternBrush::Usage));
                out_.u32(quint32(fixed));
                out_.u32(quint32(dib.header));
                out_.u32(quint32(fixed + dib.header));
                out_.u32(quint32(dib.bits));
                out_.bytes(reinterpret_cast<const char *>(b_.data() + dib.at), dib.header + dib.bits);
                out_.end();
            } else {
                // A device-dependent pattern: grey stands in.
                out_.begin(emf::CreateBrushIndirect);
                out_.u32(quint32(slot + 1));
                out_.u32(0);
                out_.u32(0x808080);
                out_.u32(0);
                out_.end();
            }
            break;
        }
        case CreatePatternBrush:
        case CreatePalette:
        case CreateRegion: create(Kind::Other); break;
        case SelectObject: {
            const int slot = r.u(Value);
            const Kind k = kindOf(slot);
            if (k == Kind::Pen)
                state_.pen = slot;
            else if (k == Kind::Brush)
                state_.brush = slot;
            else if (k == Kind::Font)
                state_.font = slot;
            if (k == Kind::Pen || k == Kind::Brush || k == Kind::Font)
                out_.one(emf::SelectObject, quint32(slot + 1));
            break;
        }
        case DeleteObject: {
            const int slot = r.u(Value);
            const Kind k = kindOf(slot);
            if (k == Kind::Free)
                break;
            if (k != Kind::Other)
                out_.one(emf::DeleteObject, quint32(slot + 1));
            slots_[slot] = Slot();
            break;
        }
        case PatBlt:
            patBlt(r.u32(patBlt::RasterOp), r.s(patBlt::X), r.s(patBlt::Y), r.s(patBlt::Width), r.s(patBlt::Height));
            break;
        case DibBitBlt: {
            Dib dib;
            if (r.withoutBitmap())
                patBltWithoutBitmap(r);
            else if (findDib(r, dibBitBlt::Bitmap, false, &dib))
                stretchDiBits(
                    dib, r.u32(dibBitBlt::RasterOp), 0,
                    QRect(r.s(dibBitBlt::XSrc), r.s(dibBitBlt::YSrc), r.s(dibBitBlt::Width), r.s(dibBitBlt::Height)),
                    QRect(r.s(dibBitBlt::XDest), r.s(dibBitBlt::YDest), r.s(dibBitBlt::Width), r.s(dibBitBlt::Height)));
            break;
        }
        case DibStretchBlt: {
            Dib dib;
            if (r.withoutBitmap())
                patBltWithoutBitmap(r);
            else if (findDib(r, dibStretchBlt::Bitmap, false, &dib))
                stretchDiBits(dib, r.u32(dibStretchBlt::RasterOp), 0,
                              QRect(r.s(dibStretchBlt::XSrc), r.s(dibStretchBlt::YSrc), r.s(dibStretchBlt::SrcWidth),
                                    r.s(dibStretchBlt::SrcHeight)),
                              QRect(r.s(dibStretchBlt::XDest), r.s(dibStretchBlt::YDest), r.s(dibStretchBlt::DestWidth),
                                    r.s(dibStretchBlt::DestHeight)));
            break;
        }
        case StretchDib: {
            Dib dib;
            const quint16 usage = r.u(stretchDib::Usage);
            if (findDib(r, stretchDib::Bitmap, usage == DibPaletteColours, &dib))
                stretchDiBits(dib, r.u32(stretchDib::RasterOp), usage,
                              QRect(r.s(stretchDib::XSrc), r.s(stretchDib::YSrc), r.s(stretchDib::SrcWidth),
                                    r.s(stretchDib::SrcHeight)),
                              QRect(r.s(stretchDib::XDest), r.s(stretchDib::YDest), r.s(stretchDib::DestWidth),
                                    r.s(stretchDib::DestHeight)));
            break;
        }
        case SetDibToDev: {
            Dib dib;
            const quint16 usage = r.u(setDibToDev::Usage);
            if (findDib(r, setDibToDev::Bitmap, usage == DibPaletteColours, &dib))
                stretchDiBits(dib, rop::SourceCopy, usage,
                              QRect(r.s(setDibToDev::XSrc), r.s(setDibToDev::YSrc), r.s(setDibToDev::Width),
                                    r.s(setDibToDev::Height)),
                              QRect(r.s(setDibToDev::XDest), r.s(setDibToDev::YDest), r.s(setDibToDev::Width),
                                    r.s(setDibToDev::Height)));
            break;
        }
        default:
            // The viewport belongs to the player; regions, palettes, flood fills, escapes and
            // device-dependent bitmaps are not drawn.
            break;
        }
    }

    const Bytes &b_;
    const Layout &l_;
    QSize pixels_;
    EmfOut out_;
    QVector<Slot> slots_;
    DcState state_;
    QVector<DcState> saved_;
};

} // namespace

std::shared_ptr<PictureData> loadWmf(const QByteArray &file)
{
    const Bytes b(file);
    Layout l = walk(b);

    QSizeF twips;
    if (l.placeable) {
        twips = QSizeF(std::abs(l.corner2.x() - l.corner1.x()) * 1440.0 / l.inch,
                       std::abs(l.corner2.y() - l.corner1.y()) * 1440.0 / l.inch);
    } else {
        // A plain metafile has no frame: the window it sets before drawing is its picture, else
        // the box of the points it draws; one logical unit is one pixel.
        if (l.windowSet) {
            l.corner1 = l.windowOrg;
            l.corner2 = l.windowOrg + QPoint(l.windowExt.width(), l.windowExt.height());
        } else if (l.drawn.isValid()) {
            l.corner1 = l.drawn.topLeft();
            l.corner2 = l.drawn.bottomRight() + QPoint(1, 1);
        } else {
            damaged();
        }
        twips = QSizeF(std::abs(l.corner2.x() - l.corner1.x()) * 15.0, std::abs(l.corner2.y() - l.corner1.y()) * 15.0);
    }
    if (!(twips.width() > 0) || !(twips.height() > 0))
        damaged();
    const QSize pixels(std::max(1, int(std::lround(std::min(twips.width() / 15.0, 1e9)))),
                       std::max(1, int(std::lround(std::min(twips.height() / 15.0, 1e9)))));
    checkPixelCount(pixels.width(), pixels.height());

    const EmfDrawing d = drawEmf(Translator(b, l, pixels).run());
    return metafileData(Kind::Metafile, twips, d.svg, QRectF(d.shift, QSizeF(pixels)), d.work);
}

} // namespace picture::detail
