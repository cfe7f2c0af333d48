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
    case Arc: case Chord: case Ellipse: case ExtFloodFill: case FloodFill: case LineTo: case Pie:
    case Polygon: case Polyline: case PolyPolygon: case Rectangle: case RoundRect: case SetPixel:
    case TextOut: case ExtTextOut: case PatBlt: case BitBlt: case StretchBlt: case DibBitBlt:
    case DibStretchBlt: case StretchDib: case SetDibToDev: case FillRegion: case FrameRegion:
    case InvertRegion: case PaintRegion:
        return true;
    default:
        return false;
    }
}

// Parameter words that a record of fixed layout must have at least.
int minimumParams(quint16 f)
{
    switch (f) {
    case SetBkColor: case SetTextColor: case SetTextJustification: case SetWindowOrg: case SetWindowExt:
    case SetViewportOrg: case SetViewportExt: case OffsetWindowOrg: case OffsetViewportOrg: case LineTo:
    case MoveTo: case OffsetClipRgn: case SetMapperFlags: case FillRegion: case Escape: case CreatePalette:
    case SetPalEntries: case AnimatePalette:
        return 2;
    case ScaleWindowExt: case ScaleViewportExt: case ExcludeClipRect: case IntersectClipRect: case Ellipse:
    case FloodFill: case Rectangle: case SetPixel: case FrameRegion: case CreateBrushIndirect: case ExtTextOut:
        return 4;
    case CreatePenIndirect: case ExtFloodFill:
        return 5;
    case RoundRect: case PatBlt:
        return 6;
    case Arc: case Pie: case Chord: case DibBitBlt: case BitBlt:
        return 8;
    case CreateFontIndirect: case SetDibToDev:
        return 9;
    case DibStretchBlt: case StretchBlt:
        return 10;
    case StretchDib:
        return 11;
    case SetBkMode: case SetMapMode: case SetRop2: case SetRelAbs: case SetPolyFillMode:
    case SetStretchBltMode: case SetTextCharExtra: case RestoreDc: case InvertRegion: case PaintRegion:
    case SelectClipRegion: case SelectObject: case SetTextAlign: case DeleteObject: case SelectPalette:
    case ResizePalette: case DibCreatePatternBrush: case Polygon: case Polyline: case TextOut:
    case PolyPolygon:
        return 1;
    default:
        return 0;
    }
}

// The parameters of one record.
struct Record
{
    const Bytes *b = nullptr;
    qint64 pos = 0;   // the record's first byte
    qint64 words = 0; // its size in 16-bit words
    quint16 f = 0;

    qint64 params() const { return words - 3; }
    qint64 end() const { return pos + words * 2; }
    qint64 at(qint64 i) const { return pos + 6 + 2 * i; }
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
    if (b.has(0, 22) && b.u32(0) == 0x9AC6CDD7) {
        l.placeable = true;
        l.corner1 = QPoint(b.i16(6), b.i16(8));
        l.corner2 = QPoint(b.i16(10), b.i16(12));
        l.inch = b.u16(14);
        if (l.corner1.x() == l.corner2.x() || l.corner1.y() == l.corner2.y() || l.inch == 0)
            damaged();
        meta = 22;
    }
    if (!b.has(meta, 18) || (b.u16(meta) != 1 && b.u16(meta) != 2) || b.u16(meta + 2) != 9
        || (b.u16(meta + 4) != 0x0100 && b.u16(meta + 4) != 0x0300))
        damaged();
    l.firstRecord = meta + 18;

    auto see = [&](int x, int y) { l.drawn = l.drawn.united(QRect(x, y, 1, 1)); };
    auto seeBox = [&](const Record &r, int first) {
        see(r.s(first + 3), r.s(first + 2));
        see(r.s(first + 1), r.s(first));
    };
    bool drawing = false;
    Record r;
    r.b = &b;
    r.pos = l.firstRecord;
    for (qint64 records = 0;; ++records) {
        // Every record becomes one or more enhanced metafile records, which the work bound
        // counts again; a file of more is refused before it is translated.
        if (!b.has(r.pos, 6) || records > DrawingWork::MaxRecords)
            damaged();
        r.words = b.u32(r.pos);
        r.f = b.u16(r.pos + 4);
        if (r.words < 3 || !b.has(r.pos, r.words * 2))
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
            need(n >= 1 + 2 * qint64(r.u(0)));
            for (int i = 0; i < r.u(0); ++i)
                see(r.s(1 + 2 * i), r.s(2 + 2 * i));
            break;
        case PolyPolygon: {
            const qint64 polys = r.u(0);
            need(n >= 1 + polys);
            qint64 points = 0;
            for (qint64 i = 0; i < polys; ++i)
                points += r.u(1 + i);
            need(n >= 1 + polys + 2 * points);
            for (qint64 i = 0; i < points; ++i)
                see(r.s(1 + polys + 2 * i), r.s(2 + polys + 2 * i));
            break;
        }
        case TextOut: {
            const qint64 words = (qint64(r.u(0)) + 1) / 2;
            need(n >= 1 + words + 2);
            see(r.s(2 + words), r.s(1 + words));
            break;
        }
        case ExtTextOut:
            need(n >= 4 + ((r.u(3) & 0x0006) ? 4 : 0) + (qint64(r.u(2)) + 1) / 2);
            see(r.s(1), r.s(0));
            break;
        case Escape:
            need(n >= 2 + (qint64(r.u(1)) + 1) / 2);
            break;
        case CreatePalette:
        case SetPalEntries:
        case AnimatePalette:
            need(n >= 2 + 2 * qint64(r.u(1)));
            break;
        case DibBitBlt:
        case DibStretchBlt:
            if (r.words != (r.f >> 8) + 3)
                need(findDib(r, r.f == DibBitBlt ? 8 : 10, false, &dib));
            // The destination's width and height come right before its corner.
            if (r.f == DibBitBlt && r.words != (r.f >> 8) + 3) {
                see(r.s(7), r.s(6));
                see(r.s(7) + r.s(5), r.s(6) + r.s(4));
            } else {
                const qint64 last = r.words != (r.f >> 8) + 3 ? 9 : n - 1;
                see(r.s(last), r.s(last - 1));
                see(r.s(last) + r.s(last - 2), r.s(last - 1) + r.s(last - 3));
            }
            break;
        case StretchDib:
            need(findDib(r, 11, r.u(2) == 1, &dib));
            see(r.s(10), r.s(9));
            see(r.s(10) + r.s(8), r.s(9) + r.s(7));
            break;
        case SetDibToDev:
            need(findDib(r, 9, r.u(0) == 1, &dib));
            see(r.s(8), r.s(7));
            see(r.s(8) + r.s(6), r.s(7) + r.s(5));
            break;
        case DibCreatePatternBrush:
            need(n >= 2);
            if (r.u(0) != 3)
                need(findDib(r, 2, r.u(1) == 1, &dib));
            break;
        case Rectangle:
        case Ellipse:
            seeBox(r, 0);
            break;
        case RoundRect:
            seeBox(r, 2);
            break;
        case Arc:
        case Pie:
        case Chord:
            seeBox(r, 4);
            break;
        case LineTo:
        case MoveTo:
            see(r.s(1), r.s(0));
            break;
        case SetPixel:
            see(r.s(3), r.s(2));
            break;
        case PatBlt:
            see(r.s(5), r.s(4));
            see(r.s(5) + r.s(3), r.s(4) + r.s(2));
            break;
        default:
            break;
        }
        if (isDrawing(r.f))
            drawing = true;
        if (!drawing && !l.windowSet && r.f == SetWindowExt) {
            l.windowExt = QSize(r.s(1), r.s(0));
            l.windowSet = l.windowExt.width() != 0 && l.windowExt.height() != 0;
        } else if (!drawing && !l.windowSet && r.f == SetWindowOrg) {
            l.windowOrg = QPoint(r.s(1), r.s(0));
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
        put(start_ + 4, quint32(d_.size() - start_));
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
        out_.one(emf::SetMapMode, 8);
        state_.windowOrg = l_.corner1;
        out_.two(emf::SetWindowOrgEx, l_.corner1.x(), l_.corner1.y());
        out_.two(emf::SetWindowExtEx, l_.corner2.x() - l_.corner1.x(), l_.corner2.y() - l_.corner1.y());
        out_.two(emf::SetViewportOrgEx, 0, 0);
        out_.two(emf::SetViewportExtEx, pixels_.width(), pixels_.height());

        Record r;
        r.b = &b_;
        r.pos = l_.firstRecord;
        for (;;) {
            r.words = b_.u32(r.pos);
            r.f = b_.u16(r.pos + 4);
            if (r.f == Eof)
                break;
            translate(r);
            r.pos = r.end();
        }
        out_.begin(emf::Eof);
        out_.u32(0);
        out_.u32(16);
        out_.u32(20);
        out_.end();

        QByteArray &d = out_.data();
        out_.put(48, quint32(d.size()));
        out_.put(52, quint32(out_.count()));
        d[56] = char((slots_.size() + 1) & 0xFF);
        d[57] = char(((slots_.size() + 1) >> 8) & 0xFF);
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
        out_.u32(0x464D4520);
        out_.u32(0x00010000);
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

    Kind kindOf(int slot) const
    {
        return slot >= 0 && slot < slots_.size() ? slots_[slot].kind : Kind::Free;
    }

    void selectPen() { out_.one(emf::SelectObject, kindOf(state_.pen) == Kind::Pen ? quint32(state_.pen + 1) : StockBlackPen); }

    void box(const Record &r, quint32 type, int first)
    {
        out_.begin(type);
        out_.rect(r.s(first + 3), r.s(first + 2), r.s(first + 1), r.s(first));
    }

    void points(const Record &r, quint32 type, qint64 first, qint64 count, qint64 polys)
    {
        out_.begin(type);
        QRect bounds;
        for (qint64 i = 0; i < count; ++i)
            bounds = bounds.united(QRect(r.s(first + 2 * i), r.s(first + 2 * i + 1), 1, 1));
        out_.rect(bounds.left(), bounds.top(), bounds.right(), bounds.bottom());
        if (polys > 0) {
            out_.u32(quint32(polys));
            out_.u32(quint32(count));
            for (qint64 i = 0; i < polys; ++i)
                out_.u32(r.u(1 + i));
        } else {
            out_.u32(quint32(count));
        }
        for (qint64 i = 0; i < count; ++i) {
            out_.u16(r.u(first + 2 * i));
            out_.u16(r.u(first + 2 * i + 1));
        }
        out_.end();
    }

    // A rectangle filled with a brush and no pen, as a pattern block transfer paints it.
    void patBlt(quint32 rop, int x, int y, int w, int h)
    {
        quint32 brush = 0;
        if (rop == 0x00F00021) // the current brush
            brush = kindOf(state_.brush) == Kind::Brush ? quint32(state_.brush + 1) : StockWhiteBrush;
        else if (rop == 0x00FF0062) // white
            brush = StockWhiteBrush;
        else if (rop == 0x00000042) // black
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

    void stretchDiBits(const Dib &dib, quint32 rop, quint32 usage, QRect src, QRect dest)
    {
        const qint64 fixed = 80;
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
        const qint64 offString = 76;
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
        out_.u32(options & 0x0006);
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
        case SetBkColor: out_.one(emf::SetBkColor, r.u32(0)); break;
        case SetTextColor: out_.one(emf::SetTextColor, r.u32(0)); break;
        case SetBkMode: out_.one(emf::SetBkMode, r.u(0)); break;
        case SetRop2: out_.one(emf::SetRop2, r.u(0)); break;
        case SetPolyFillMode: out_.one(emf::SetPolyFillMode, r.u(0)); break;
        case SetStretchBltMode: out_.one(emf::SetStretchBltMode, r.u(0)); break;
        case SetTextAlign: out_.one(emf::SetTextAlign, r.u(0)); break;
        case SetMapMode:
            // The player maps the frame onto the picture; only the two scalable modes keep it.
            if (r.u(0) == 7 || r.u(0) == 8)
                out_.one(emf::SetMapMode, r.u(0));
            break;
        case SetWindowOrg:
            state_.windowOrg = QPoint(r.s(1), r.s(0));
            out_.two(emf::SetWindowOrgEx, r.s(1), r.s(0));
            break;
        case OffsetWindowOrg:
            state_.windowOrg += QPoint(r.s(1), r.s(0));
            out_.two(emf::SetWindowOrgEx, state_.windowOrg.x(), state_.windowOrg.y());
            break;
        case SetWindowExt: out_.two(emf::SetWindowExtEx, r.s(1), r.s(0)); break;
        case ScaleWindowExt:
            if (r.s(0) != 0 && r.s(2) != 0) {
                out_.begin(emf::ScaleWindowExtEx);
                out_.i32(r.s(3));
                out_.i32(r.s(2));
                out_.i32(r.s(1));
                out_.i32(r.s(0));
                out_.end();
            }
            break;
        case SaveDc:
            saved_.append(state_);
            out_.begin(emf::SaveDc);
            out_.end();
            break;
        case RestoreDc: {
            const qint64 back = r.s(0);
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
        case IntersectClipRect: box(r, emf::IntersectClipRect, 0); out_.end(); break;
        case ExcludeClipRect: box(r, emf::ExcludeClipRect, 0); out_.end(); break;
        case MoveTo: out_.two(emf::MoveToEx, r.s(1), r.s(0)); break;
        case LineTo: out_.two(emf::LineTo, r.s(1), r.s(0)); break;
        case Rectangle: box(r, emf::Rectangle, 0); out_.end(); break;
        case Ellipse: box(r, emf::Ellipse, 0); out_.end(); break;
        case RoundRect:
            box(r, emf::RoundRect, 2);
            out_.i32(r.s(1));
            out_.i32(r.s(0));
            out_.end();
            break;
        case Arc:
        case Pie:
        case Chord:
            box(r, r.f == Arc ? emf::Arc : r.f == Pie ? emf::Pie : emf::Chord, 4);
            out_.i32(r.s(3));
            out_.i32(r.s(2));
            out_.i32(r.s(1));
            out_.i32(r.s(0));
            out_.end();
            break;
        case SetPixel:
            out_.begin(emf::SetPixelV);
            out_.i32(r.s(3));
            out_.i32(r.s(2));
            out_.u32(r.u32(0));
            out_.end();
            break;
        case Polygon: points(r, emf::Polygon16, 1, r.u(0), 0); break;
        case Polyline: points(r, emf::Polyline16, 1, r.u(0), 0); break;
        case PolyPolygon: {
            const qint64 polys = r.u(0);
            qint64 count = 0;
            for (qint64 i = 0; i < polys; ++i)
                count += r.u(1 + i);
            points(r, emf::PolyPolygon16, 1 + polys, count, polys);
            break;
        }
        case TextOut: {
            const qint64 count = r.u(0);
            const qint64 words = (count + 1) / 2;
            text(r, r.s(2 + words), r.s(1 + words), 1, count, 0, QRect(), -1);
            break;
        }
        case ExtTextOut: {
            const quint32 options = r.u(3);
            const bool hasRect = options & 0x0006;
            QRect clip;
            if (hasRect)
                clip.setCoords(r.s(4), r.s(5), r.s(6), r.s(7));
            const qint64 stringParam = 4 + (hasRect ? 4 : 0);
            const qint64 count = r.u(2);
            text(r, r.s(1), r.s(0), stringParam, count, options, clip, stringParam + (count + 1) / 2);
            break;
        }
        case CreatePenIndirect: {
            const int slot = create(Kind::Pen);
            out_.begin(emf::CreatePen);
            out_.u32(quint32(slot + 1));
            out_.u32(r.u(0));
            out_.i32(r.s(1));
            out_.i32(0);
            out_.u32(r.u32(3));
            out_.end();
            break;
        }
        case CreateBrushIndirect: {
            const int slot = create(Kind::Brush);
            out_.begin(emf::CreateBrushIndirect);
            out_.u32(quint32(slot + 1));
            // Pattern styles need a bitmap this record cannot carry: a solid brush stands in.
            const quint32 style = r.u(0);
            out_.u32(style <= 2 ? style : 0);
            out_.u32(r.u32(1));
            out_.u32(r.u(3));
            out_.end();
            break;
        }
        case CreateFontIndirect: {
            const int slot = create(Kind::Font);
            slots_[slot].charset = b_.u8(r.at(5) + 3);
            out_.begin(emf::ExtCreateFontIndirectW);
            out_.u32(quint32(slot + 1));
            for (int i = 0; i < 5; ++i)
                out_.i32(r.s(i));
            out_.bytes(reinterpret_cast<const char *>(b_.data() + r.at(5)), 8);
            // The face name, in the system's code page, up to its terminating zero.
            const qint64 faceBytes = std::min<qint64>(32, (n - 9) * 2);
            QByteArray face(reinterpret_cast<const char *>(b_.data() + r.at(9)), faceBytes);
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
            if (r.u(0) != 3 && findDib(r, 2, r.u(1) == 1, &dib)) {
                const qint64 fixed = 32;
                out_.begin(emf::CreateDibPatternBrushPt);
                out_.u32(quint32(slot + 1));
                out_.u32(r.u(1));
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
        case CreateRegion:
            create(Kind::Other);
            break;
        case SelectObject: {
            const int slot = r.u(0);
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
            const int slot = r.u(0);
            const Kind k = kindOf(slot);
            if (k == Kind::Free)
                break;
            if (k != Kind::Other)
                out_.one(emf::DeleteObject, quint32(slot + 1));
            slots_[slot] = Slot();
            break;
        }
        case PatBlt:
            patBlt(r.u32(0), r.s(5), r.s(4), r.s(3), r.s(2));
            break;
        case DibBitBlt: {
            Dib dib;
            if (r.words == (r.f >> 8) + 3)
                patBlt(r.u32(0), r.s(n - 1), r.s(n - 2), r.s(n - 3), r.s(n - 4));
            else if (findDib(r, 8, false, &dib))
                stretchDiBits(dib, r.u32(0), 0, QRect(r.s(3), r.s(2), r.s(5), r.s(4)),
                              QRect(r.s(7), r.s(6), r.s(5), r.s(4)));
            break;
        }
        case DibStretchBlt: {
            Dib dib;
            if (r.words == (r.f >> 8) + 3)
                patBlt(r.u32(0), r.s(n - 1), r.s(n - 2), r.s(n - 3), r.s(n - 4));
            else if (findDib(r, 10, false, &dib))
                stretchDiBits(dib, r.u32(0), 0, QRect(r.s(5), r.s(4), r.s(3), r.s(2)),
                              QRect(r.s(9), r.s(8), r.s(7), r.s(6)));
            break;
        }
        case StretchDib: {
            Dib dib;
            if (findDib(r, 11, r.u(2) == 1, &dib))
                stretchDiBits(dib, r.u32(0), r.u(2), QRect(r.s(6), r.s(5), r.s(4), r.s(3)),
                              QRect(r.s(10), r.s(9), r.s(8), r.s(7)));
            break;
        }
        case SetDibToDev: {
            Dib dib;
            if (findDib(r, 9, r.u(0) == 1, &dib))
                stretchDiBits(dib, 0x00CC0020, r.u(0), QRect(r.s(4), r.s(3), r.s(6), r.s(5)),
                              QRect(r.s(8), r.s(7), r.s(6), r.s(5)));
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
