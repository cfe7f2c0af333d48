// SPDX-License-Identifier: GPL-2.0-or-later
// The state that an enhanced metafile's records set up, as the estimate and the rewrites need it
// (EmfWalk.h).
#include "platform/picture/EmfWalk.h"
#include "platform/picture/MetafileRecords.h"

#include <cstring>

namespace picture::detail {

using namespace picture::emf;

void EmfState::track(quint32 type, qint64 pos)
{
    switch (type) {
    case SetMapMode: dc.mode = b_.u32(pos + Value); break;
    case SetWindowExtEx:
        if (b_.i32(pos + Value) != 0)
            dc.windowX = b_.i32(pos + Value);
        if (b_.i32(pos + SecondValue) != 0)
            dc.windowY = b_.i32(pos + SecondValue);
        break;
    case SetViewportExtEx:
        if (b_.i32(pos + Value) != 0)
            dc.viewportX = b_.i32(pos + Value);
        if (b_.i32(pos + SecondValue) != 0)
            dc.viewportY = b_.i32(pos + SecondValue);
        break;
    case ScaleViewportExtEx:
    case ScaleWindowExtEx: {
        double &extX = type == ScaleWindowExtEx ? dc.windowX : dc.viewportX;
        double &extY = type == ScaleWindowExtEx ? dc.windowY : dc.viewportY;
        if (b_.i32(pos + scale::XNum) != 0 && b_.i32(pos + scale::XDenom) != 0)
            extX = bounded(extX * b_.i32(pos + scale::XNum) / b_.i32(pos + scale::XDenom));
        if (b_.i32(pos + scale::YNum) != 0 && b_.i32(pos + scale::YDenom) != 0)
            extY = bounded(extY * b_.i32(pos + scale::YNum) / b_.i32(pos + scale::YDenom));
        break;
    }
    case SetWorldTransform:
        dc.worldX = stretch(pos + xform::M11, pos + xform::M12);
        dc.worldY = stretch(pos + xform::M21, pos + xform::M22);
        break;
    case ModifyWorldTransform:
        switch (b_.u32(pos + xform::Mode)) {
        case xform::Identity: dc.worldX = dc.worldY = 1; break;
        case xform::LeftMultiply:
        case xform::RightMultiply: {
            const double most =
                std::max(stretch(pos + xform::M11, pos + xform::M12), stretch(pos + xform::M21, pos + xform::M22));
            dc.worldX = bounded(dc.worldX * most);
            dc.worldY = bounded(dc.worldY * most);
            break;
        }
        case xform::Set:
            dc.worldX = stretch(pos + xform::M11, pos + xform::M12);
            dc.worldY = stretch(pos + xform::M21, pos + xform::M22);
            break;
        default: break;
        }
        break;
    case SaveDc: saved.append(dc); break;
    case RestoreDc: {
        const qint64 back = b_.i32(pos + Value);
        const qint64 keep = back < 0 ? saved.size() + back : back - 1;
        if (keep >= 0 && keep < saved.size()) {
            dc = saved.at(keep);
            saved.resize(keep);
        }
        break;
    }
    case SetTextAlign: dc.textAlign = b_.u32(pos + Value); break;
    case ExtCreateFontIndirectW: {
        const quint32 handle = b_.u32(pos + font::Handle);
        fontCharsets.insert(handle, b_.u8(pos + font::Charset));
        fontFaces.insert(handle, faceName(pos));
        fontTurned.insert(handle, b_.i32(pos + font::Escapement) % 3600 != 0);
        fontHeights.insert(handle, std::abs(double(b_.i32(pos + font::Height))));
        break;
    }
    case CreatePen: penWidths.insert(b_.u32(pos + pen::Handle), std::abs(double(b_.i32(pos + pen::Width)))); break;
    case ExtCreatePen:
        penWidths.insert(b_.u32(pos + extPen::Handle),
                         (b_.u32(pos + extPen::Style) & extPen::Geometric) ? double(b_.u32(pos + extPen::Width)) : 0.0);
        break;
    case SetBkMode: dc.opaque = b_.u32(pos + Value) == BkOpaque; break;
    case SetBkColor: dc.background = b_.u32(pos + Value) & 0xFFFFFF; break;
    case CreateBrushIndirect:
    case CreateMonoBrush:
    case CreateDibPatternBrushPt: {
        // The three begin alike: the handle, then CreateBrushIndirect's style.
        const quint32 handle = b_.u32(pos + brush::Handle);
        brushes.insert(handle);
        if (type == CreateBrushIndirect && b_.u32(pos + brush::Style) == brush::Hatched &&
            b_.u32(pos + brush::Hatch) <= 5)
            hatchBrushes.insert(handle,
                                Hatch{int(b_.u32(pos + brush::Hatch)), rgbOf(b_.u32(pos + brush::Colour)), false, 0});
        else
            hatchBrushes.remove(handle);
        break;
    }
    case SelectObject: {
        const quint32 handle = b_.u32(pos + Value);
        if (brushes.contains(handle))
            dc.brush = handle;
        else if (handle >= StockWhiteBrush && handle <= StockNullBrush)
            dc.brush = 0;
        if (fontCharsets.contains(handle)) {
            dc.font = handle;
            dc.fontHeight = fontHeights.value(handle);
        }
        if (penWidths.contains(handle))
            dc.penWidth = penWidths.value(handle);
        else if (handle >= StockWhitePen && handle <= StockNullPen)
            dc.penWidth = 0;
        break;
    }
    case DeleteObject: {
        const quint32 handle = b_.u32(pos + Value);
        fontCharsets.remove(handle);
        fontFaces.remove(handle);
        fontTurned.remove(handle);
        fontHeights.remove(handle);
        penWidths.remove(handle);
        brushes.remove(handle);
        hatchBrushes.remove(handle);
        break;
    }
    case MoveToEx:
    case LineTo:
        dc.x = b_.i32(pos + Value);
        dc.y = b_.i32(pos + SecondValue);
        break;
    default: break;
    }
}

double EmfState::stretch(qint64 a, qint64 b) const
{
    float fa, fb;
    const quint32 ua = b_.u32(a), ub = b_.u32(b);
    std::memcpy(&fa, &ua, sizeof fa);
    std::memcpy(&fb, &ub, sizeof fb);
    return bounded(std::hypot(double(fa), double(fb)));
}

double EmfState::scale(bool vertical) const
{
    const double ppm = vertical ? pixelsPerMm_.y() : pixelsPerMm_.x();
    switch (dc.mode) {
    case MapLoMetric: return ppm * 0.1;
    case MapHiMetric: return ppm * 0.01;
    case MapLoEnglish: return ppm * 0.254;
    case MapHiEnglish: return ppm * 0.0254;
    case MapTwips: return ppm * 25.4 / 1440;
    case MapIsotropic:
    case MapAnisotropic: return vertical ? std::abs(dc.viewportY / dc.windowY) : std::abs(dc.viewportX / dc.windowX);
    default: return 1;
    }
}

QString EmfState::faceName(qint64 pos) const
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

} // namespace picture::detail
