// SPDX-License-Identifier: GPL-2.0-or-later
// The records of enhanced and Windows metafiles: their numbers, where their fields lie, and how
// long an enhanced record's fixed part is. The loaders read by these names and the sample
// writers write by them, so that a record is described once.
//
// Offsets in enhanced records count bytes from the record's first byte (its type); parameter
// indexes in Windows records count 16-bit words from the first parameter, after the size and the
// function. Windows records list their parameters last first: a rectangle's bottom comes first.
#pragma once

#include <QtGlobal>

// Raster operations of the block transfers in both kinds of metafile: the source, the brush,
// white, black.
namespace picture::rop {
enum : quint32 {
    SourceCopy = 0x00CC0020,
    PatternCopy = 0x00F00021,
    Whiteness = 0x00FF0062,
    Blackness = 0x00000042,
};
} // namespace picture::rop

namespace picture::emf {

enum Type : quint32 {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetWindowOrgEx = 10,
    SetViewportExtEx = 11,
    SetViewportOrgEx = 12,
    SetBrushOrgEx = 13,
    Eof = 14,
    SetPixelV = 15,
    SetMapperFlags = 16,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetRop2 = 20,
    SetStretchBltMode = 21,
    SetTextAlign = 22,
    SetColorAdjustment = 23,
    SetTextColor = 24,
    SetBkColor = 25,
    OffsetClipRgn = 26,
    MoveToEx = 27,
    SetMetaRgn = 28,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    AngleArc = 41,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    SelectPalette = 48,
    CreatePalette = 49,
    SetPaletteEntries = 50,
    ResizePalette = 51,
    RealizePalette = 52,
    ExtFloodFill = 53,
    LineTo = 54,
    ArcTo = 55,
    PolyDraw = 56,
    SetArcDirection = 57,
    SetMiterLimit = 58,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    FlattenPath = 65,
    WidenPath = 66,
    SelectClipPath = 67,
    AbortPath = 68,
    GdiComment = 70,
    FillRgn = 71,
    FrameRgn = 72,
    InvertRgn = 73,
    PaintRgn = 74,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    MaskBlt = 78,
    PlgBlt = 79,
    SetDiBitsToDevice = 80,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    PolyDraw16 = 92,
    CreateMonoBrush = 93,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
    PolyTextOutA = 96,
    PolyTextOutW = 97,
    SetIcmMode = 98,
    CreateColorSpace = 99,
    SetColorSpace = 100,
    DeleteColorSpace = 101,
    GlsRecord = 102,
    GlsBoundedRecord = 103,
    PixelFormat = 104,
    DrawEscape = 105,
    ExtEscape = 106,
    SmallTextOut = 108,
    ForceUfiMapping = 109,
    NamedEscape = 110,
    ColorCorrectPalette = 111,
    SetIcmProfileA = 112,
    SetIcmProfileW = 113,
    AlphaBlend = 114,
    SetLayout = 115,
    TransparentBlt = 116,
    GradientFill = 118,
    SetLinkedUfis = 119,
    SetTextJustification = 120,
    ColorMatchToTargetW = 121,
    CreateColorSpaceW = 122,
};

// Every record: its type and its size in bytes (a multiple of 4), then its fields.
constexpr qint64 RecordType = 0, RecordSize = 4, RecordFields = 8;
// Records of one or two 32-bit values (modes, colours, handles, a point or an extent) hold them
// here.
constexpr qint64 Value = 8, SecondValue = 12;
// Records that draw or fill a shape begin with its bounds, 16 bytes.
constexpr qint64 Bounds = 8;

// A region's header, 32 bytes, before its rectangles of 16 bytes each.
constexpr qint64 RegionCount = 8, RegionBox = 16, RegionHeaderSize = 32, RegionRectSize = 16;

// The header record.
namespace header {
constexpr qint64 Bounds = 8, Frame = 24, Signature = 40, Version = 44, Bytes = 48, Records = 52, Handles = 56;
constexpr qint64 DevicePixels = 72, DeviceMillimetres = 80, DeviceMicrometres = 100;
// The header without its optional fields, and with the micrometres.
constexpr qint64 BaseSize = 88, WithMicrometres = 108;
constexpr quint32 SignatureValue = 0x464D4520; // " EMF"
constexpr quint32 VersionValue = 0x00010000;
} // namespace header

// A rectangle of four 32-bit values: left, top, right, bottom.
namespace rect {
constexpr qint64 Left = 0, Top = 4, Right = 8, Bottom = 12;
} // namespace rect

// A point of two 32-bit values, or of two 16-bit ones; a size of two 32-bit values.
namespace point {
constexpr qint64 X = 0, Y = 4;
} // namespace point
namespace point16 {
constexpr qint64 X = 0, Y = 2;
} // namespace point16
namespace size {
constexpr qint64 Width = 0, Height = 4;
} // namespace size

// Polygons, polylines and Bézier curves, and PolyDraw (whose points are followed by a byte each).
namespace poly {
constexpr qint64 Count = 24, Points = 28;
constexpr qint64 Point16Size = 4, Point32Size = 8;
} // namespace poly

// PolyPolygon and PolyPolyline: the figure count, the point count, then each figure's count.
namespace polyPoly {
constexpr qint64 Figures = 24, Count = 28, FigureCounts = 32;
} // namespace polyPoly

// The scaling records: numerator and denominator along x, then along y.
namespace scale {
constexpr qint64 XNum = 8, XDenom = 12, YNum = 16, YDenom = 20;
} // namespace scale

// SetWorldTransform and ModifyWorldTransform: the matrix's first row (M11, M12), its second
// (M21, M22), its offsets; then how ModifyWorldTransform combines it.
namespace xform {
constexpr qint64 M11 = 8, M12 = 12, M21 = 16, M22 = 20, Mode = 32;
enum : quint32 { Identity = 1, LeftMultiply = 2, RightMultiply = 3, Set = 4 };
} // namespace xform

// CreatePen.
namespace pen {
constexpr qint64 Handle = 8, Style = 12, Width = 16, Colour = 24;
// The style's kind of line, of which Null draws none.
constexpr quint32 StyleMask = 0x0F, Null = 5;
} // namespace pen

// ExtCreatePen: its brush bitmap's blocks, then the pen.
namespace extPen {
constexpr qint64 Handle = 8, Bitmap = 12, Style = 28, Width = 32, BrushStyle = 36, Colour = 40, Hatch = 44,
                 StyleEntries = 48, Size = 52;
constexpr quint32 Geometric = 0x00010000;
} // namespace extPen

// CreateBrushIndirect.
namespace brush {
constexpr qint64 Handle = 8, Style = 12, Colour = 16, Hatch = 20, Size = 24;
constexpr quint32 Hatched = 2;
} // namespace brush

// CreateMonoBrush and CreateDibPatternBrushPt: the handle, the colour usage, the bitmap.
namespace patternBrush {
constexpr qint64 Handle = 8, Usage = 12, Bitmap = 16;
} // namespace patternBrush

// ExtCreateFontIndirectW: the handle, then a logical font.
namespace font {
constexpr qint64 Handle = 8, Height = 12, Width = 16, Escapement = 20, Orientation = 24, Weight = 28, Charset = 35,
                 FaceName = 40;
constexpr int FaceChars = 32;
} // namespace font

// ExtTextOutA and ExtTextOutW.
namespace text {
constexpr qint64 Reference = 36, ReferenceX = Reference + point::X, ReferenceY = Reference + point::Y;
constexpr qint64 Chars = 44, OffString = 48, Options = 52, Rectangle = 56, OffDx = 72, Size = 76;
enum : quint32 { Opaque = 0x0002, Clipped = 0x0004, GlyphIndex = 0x0010, PairedDx = 0x2000 };
} // namespace text

// PolyTextOutA and PolyTextOutW: the count of texts, then each text of 40 bytes, whose fields
// lie at these offsets from its start.
namespace polyText {
constexpr qint64 Strings = 36, Texts = 40, TextSize = 40;
constexpr qint64 Chars = 8, OffString = 12, Options = 16, OffDx = 36;
} // namespace polyText

// SmallTextOut: without NoRect, a rectangle of 16 bytes follows the fixed part.
namespace smallText {
constexpr qint64 Chars = 16, Options = 20, Size = 36, RectSize = 16;
enum : quint32 { NoRect = 0x0100, SmallChars = 0x0200 };
} // namespace smallText

// A bitmap in a record: the offsets and sizes of its header and of its bits.
namespace bitmap {
constexpr qint64 OffHeader = 0, HeaderSize = 4, OffBits = 8, BitsSize = 12;
} // namespace bitmap

// BitBlt, StretchBlt, MaskBlt, AlphaBlend and TransparentBlt: the destination, the source
// bitmap (and MaskBlt's mask).
namespace blt {
constexpr qint64 DestX = 24, DestY = 28, DestWidth = 32, DestHeight = 36, Bitmap = 84, Mask = 112;
} // namespace blt

// PlgBlt.
namespace plgBlt {
constexpr qint64 Bitmap = 96;
} // namespace plgBlt

// SetDIBitsToDevice and StretchDIBits.
namespace dibits {
constexpr qint64 DestX = 24, DestY = 28, SourceWidth = 40, Bitmap = 48, DestWidth = 72, DestHeight = 76;
constexpr qint64 StretchSize = 80;
} // namespace dibits

// CreatePalette (its count a 16-bit value) and SetPaletteEntries.
namespace palette {
constexpr qint64 CreateCount = 14, CreateEntries = 16;
constexpr qint64 SetCount = 16, SetEntries = 20;
constexpr qint64 EntrySize = 4;
} // namespace palette

// GdiComment.
namespace comment {
constexpr qint64 DataSize = 8, Data = 12;
} // namespace comment

// FillRgn, FrameRgn, InvertRgn and PaintRgn: the region's length; its data at an offset that
// depends on the record (regionData).
namespace regionRecord {
constexpr qint64 Length = 24;
} // namespace regionRecord

// ExtSelectClipRgn.
namespace clipRegion {
constexpr qint64 Length = 8, Data = 16;
} // namespace clipRegion

// DrawEscape and ExtEscape.
namespace escape {
constexpr qint64 DataSize = 12, Data = 16;
} // namespace escape

// NamedEscape: the driver's name, then the data.
namespace namedEscape {
constexpr qint64 NameSize = 12, DataSize = 16, Data = 20;
} // namespace namedEscape

// SetIcmProfileA and SetIcmProfileW: the profile's name, then its data.
namespace icmProfile {
constexpr qint64 NameSize = 12, DataSize = 16, Data = 20;
} // namespace icmProfile

// ColorMatchToTargetW.
namespace colorMatch {
constexpr qint64 NameSize = 16, DataSize = 20, Data = 24;
} // namespace colorMatch

// CreateColorSpaceW: the handle, the logical colour space of 588 bytes (from 12), its flags (1
// when the data is a colour profile), the length of the data, then the data.
namespace colorSpaceW {
constexpr qint64 Handle = 8, ColorSpace = 12, ColorSpaceSize = 588, Flags = 600, DataSize = 604, Data = 608;
static_assert(ColorSpace + ColorSpaceSize == Flags);
} // namespace colorSpaceW

// GradientFill: the counts of vertices and of shapes, the mode, then the vertices of 16 bytes
// (x, y, red, green, blue, alpha) and the shapes (two or three vertex indexes each).
namespace gradient {
constexpr qint64 VertexCount = 24, ShapeCount = 28, Mode = 32, Vertices = 36, VertexSize = 16, IndexSize = 4;
constexpr qint64 VertexX = 0, VertexY = 4, VertexRed = 8, VertexGreen = 10, VertexBlue = 12;
enum : quint32 { RectHorizontal = 0, RectVertical = 1, Triangles = 2 };
} // namespace gradient

// AngleArc.
namespace angleArc {
constexpr qint64 Radius = 16;
} // namespace angleArc

// The end record: its palette, and its own size repeated at its end.
namespace eof {
constexpr qint64 Size = 20;
} // namespace eof

// The fixed part of each record type, in bytes with type and size: a record shorter than that
// would have the metafile library read values that were never written.
constexpr qint64 minimumSize(quint32 type)
{
    switch (type) {
    case PolyBezier:
    case Polygon:
    case Polyline:
    case PolyBezierTo:
    case PolylineTo: return 28;
    case PolyPolyline:
    case PolyPolygon: return 32;
    case SetWindowExtEx:
    case SetWindowOrgEx:
    case SetViewportExtEx:
    case SetViewportOrgEx:
    case SetBrushOrgEx: return 16;
    case Eof: return 20;
    case SetPixelV: return 20;
    case SetMapperFlags:
    case SetMapMode:
    case SetBkMode:
    case SetPolyFillMode:
    case SetRop2:
    case SetStretchBltMode:
    case SetTextAlign: return 12;
    case SetColorAdjustment: return 32;
    case SetTextColor:
    case SetBkColor: return 12;
    case OffsetClipRgn:
    case MoveToEx: return 16;
    case SetMetaRgn: return 8;
    case ExcludeClipRect:
    case IntersectClipRect: return 24;
    case ScaleViewportExtEx:
    case ScaleWindowExtEx: return 24;
    case SaveDc: return 8;
    case RestoreDc: return 12;
    case SetWorldTransform: return 32;
    case ModifyWorldTransform: return 36;
    case SelectObject: return 12;
    case CreatePen: return 28;
    case CreateBrushIndirect: return 24;
    case DeleteObject: return 12;
    case AngleArc: return 28;
    case Ellipse:
    case Rectangle: return 24;
    case RoundRect: return 32;
    case Arc:
    case Chord:
    case Pie: return 40;
    case SelectPalette: return 12;
    case CreatePalette: return 16;
    case SetPaletteEntries: return 20;
    case ResizePalette: return 16;
    case RealizePalette: return 8;
    case ExtFloodFill: return 24;
    case LineTo: return 16;
    case ArcTo: return 40;
    case PolyDraw: return 28;
    case SetArcDirection:
    case SetMiterLimit: return 12;
    case BeginPath:
    case EndPath:
    case CloseFigure: return 8;
    case FillPath:
    case StrokeAndFillPath:
    case StrokePath: return 24;
    case FlattenPath:
    case WidenPath: return 8;
    case SelectClipPath: return 12;
    case AbortPath: return 8;
    case GdiComment: return 12;
    case FillRgn: return 32 + RegionHeaderSize;
    case FrameRgn: return 40 + RegionHeaderSize;
    case InvertRgn:
    case PaintRgn: return 28 + RegionHeaderSize;
    case ExtSelectClipRgn: return 16;
    case BitBlt: return 100;
    case StretchBlt: return 108;
    case MaskBlt: return 128;
    case PlgBlt: return 140;
    case SetDiBitsToDevice: return 76;
    case StretchDiBits: return dibits::StretchSize;
    case ExtCreateFontIndirectW: return 104;
    case ExtTextOutA:
    case ExtTextOutW: return text::Size;
    case PolyBezier16:
    case Polygon16:
    case Polyline16:
    case PolyBezierTo16:
    case PolylineTo16: return 28;
    case PolyPolyline16:
    case PolyPolygon16: return 32;
    case PolyDraw16: return 28;
    case CreateMonoBrush:
    case CreateDibPatternBrushPt: return 32;
    case ExtCreatePen: return extPen::Size;
    case PolyTextOutA:
    case PolyTextOutW: return 40;
    case SetIcmMode: return 12;
    case CreateColorSpace: return 12 + 328;
    case SetColorSpace:
    case DeleteColorSpace: return 12;
    case GlsRecord: return 12;
    case GlsBoundedRecord: return 28;
    case PixelFormat: return 48;
    case DrawEscape:
    case ExtEscape: return 16;
    case SmallTextOut: return smallText::Size;
    case ForceUfiMapping: return 16;
    case NamedEscape: return 20;
    case ColorCorrectPalette: return 24;
    case SetIcmProfileA:
    case SetIcmProfileW: return 20;
    case AlphaBlend: return 108;
    case SetLayout: return 12;
    case TransparentBlt: return 108;
    case GradientFill: return gradient::Vertices;
    case SetLinkedUfis: return 12;
    case SetTextJustification: return 16;
    case ColorMatchToTargetW: return 24;
    case CreateColorSpaceW: return colorSpaceW::Data;
    default: return 8;
    }
}

// Where the region lies in FillRgn, FrameRgn, InvertRgn and PaintRgn: right after the record's
// fixed fields, which differ between them.
constexpr qint64 regionData(quint32 type) { return minimumSize(type) - RegionHeaderSize; }

// Stock objects, selected by handles with the high bit set.
enum : quint32 {
    StockWhiteBrush = 0x80000000,
    StockBlackBrush = 0x80000004,
    StockNullBrush = 0x80000005,
    StockWhitePen = 0x80000006,
    StockBlackPen = 0x80000007,
    StockNullPen = 0x80000008,
};

// Background modes.
enum : quint32 { BkTransparent = 1, BkOpaque = 2 };

// Mapping modes.
enum : quint32 {
    MapText = 1,
    MapLoMetric = 2,
    MapHiMetric = 3,
    MapLoEnglish = 4,
    MapHiEnglish = 5,
    MapTwips = 6,
    MapIsotropic = 7,
    MapAnisotropic = 8,
};

} // namespace picture::emf

namespace picture::wmf {

enum Function : quint16 {
    Eof = 0x0000,
    SaveDc = 0x001E,
    RealizePalette = 0x0035,
    SetPalEntries = 0x0037,
    CreatePalette = 0x00F7,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetRop2 = 0x0104,
    SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106,
    SetStretchBltMode = 0x0107,
    SetTextCharExtra = 0x0108,
    RestoreDc = 0x0127,
    InvertRegion = 0x012A,
    PaintRegion = 0x012B,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    ResizePalette = 0x0139,
    DibCreatePatternBrush = 0x0142,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetTextJustification = 0x020A,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    OffsetClipRgn = 0x0220,
    FillRegion = 0x0228,
    SetMapperFlags = 0x0231,
    SelectPalette = 0x0234,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    FloodFill = 0x0419,
    FrameRegion = 0x0429,
    AnimatePalette = 0x0436,
    Rectangle = 0x041B,
    SetPixel = 0x041F,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    ExtFloodFill = 0x0548,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    Escape = 0x0626,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    BitBlt = 0x0922,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    StretchBlt = 0x0B23,
    DibStretchBlt = 0x0B41,
    SetDibToDev = 0x0D33,
    StretchDib = 0x0F43,
};

// The placeable header that may come first: its key, the frame in logical units, and the units
// to the inch.
namespace placeable {
constexpr quint32 KeyValue = 0x9AC6CDD7;
constexpr qint64 Key = 0, Left = 6, Top = 8, Right = 10, Bottom = 12, Inch = 14, Size = 22;
} // namespace placeable

// The metafile's own header: in memory or on disk, its size in words, the version.
namespace header {
constexpr qint64 Type = 0, HeaderWords = 2, Version = 4, Size = 18;
enum : quint16 { InMemory = 1, OnDisk = 2, Words = 9, Version1 = 0x0100, Version3 = 0x0300 };
} // namespace header

// Every record: its size in 16-bit words (32 bits), its function, then its parameters.
constexpr qint64 RecordWords = 0, RecordFunction = 4, RecordParams = 6, RecordHeaderWords = 3;

// The parameter of records of one value (a mode, an object index, a relative level) or of one
// 32-bit colour.
constexpr qint64 Value = 0;

// A point given as two parameters, last first.
namespace point {
constexpr qint64 Y = 0, X = 1;
} // namespace point

// A rectangle given as four parameters, last first (Rectangle, Ellipse, the clip rectangles, and
// the boxes of RoundRect, Arc, Pie and Chord).
namespace rect {
constexpr qint64 Bottom = 0, Right = 1, Top = 2, Left = 3;
} // namespace rect

// RoundRect: the corner's size, then the box.
namespace roundRect {
constexpr qint64 CornerHeight = 0, CornerWidth = 1, Box = 2;
} // namespace roundRect

// Arc, Pie and Chord: the radials' ends, then the box.
namespace arc {
constexpr qint64 EndY = 0, EndX = 1, StartY = 2, StartX = 3, Box = 4;
} // namespace arc

// SetPixel: the colour (32 bits), then the point.
namespace setPixel {
constexpr qint64 Colour = 0, Point = 2;
} // namespace setPixel

// ScaleWindowExt and ScaleViewportExt.
namespace scale {
constexpr qint64 YDenom = 0, YNum = 1, XDenom = 2, XNum = 3;
} // namespace scale

// Polygon and Polyline: the count, then the points, each x then y.
namespace poly {
constexpr qint64 Count = 0, Points = 1, PointX = 0, PointY = 1, PointWords = 2;
} // namespace poly

// PolyPolygon: the count of figures, each figure's count of points, then the points.
namespace polyPolygon {
constexpr qint64 Figures = 0, FigureCounts = 1;
} // namespace polyPolygon

// TextOut: the length in bytes, the string (padded to words), then the point.
namespace textOut {
constexpr qint64 Length = 0, String = 1;
} // namespace textOut

// ExtTextOut: the point, the length, the options, the rectangle when the options ask for one
// (left, top, right, bottom), the string (padded to words), then an advance for each byte.
namespace extTextOut {
constexpr qint64 Point = 0, Length = 2, Options = 3, Rect = 4, RectWords = 4;
constexpr qint64 RectLeft = 4, RectTop = 5, RectRight = 6, RectBottom = 7;
enum : quint16 { RectOptions = 0x0006 }; // opaque or clipped: the rectangle is there
} // namespace extTextOut

// Escape: the escape function, the length of its data in bytes, the data.
namespace escape {
constexpr qint64 ByteCount = 1, Data = 2;
} // namespace escape

// CreatePalette, SetPalEntries and AnimatePalette: the start or version, the count of entries,
// the entries of two words each.
namespace palette {
constexpr qint64 Count = 1, Entries = 2, EntryWords = 2;
} // namespace palette

// The block transfers. Without a bitmap (the record's word count then is its function's high byte
// plus 3) DibBitBlt and DibStretchBlt paint the destination, whose x, y, width and height are then
// the parameters counted from the last: withoutBitmap.
namespace dibBitBlt {
constexpr qint64 RasterOp = 0, YSrc = 2, XSrc = 3, Height = 4, Width = 5, YDest = 6, XDest = 7, Bitmap = 8;
} // namespace dibBitBlt
namespace dibStretchBlt {
constexpr qint64 RasterOp = 0, SrcHeight = 2, SrcWidth = 3, YSrc = 4, XSrc = 5, DestHeight = 6, DestWidth = 7,
                 YDest = 8, XDest = 9, Bitmap = 10;
} // namespace dibStretchBlt
namespace withoutBitmap {
constexpr qint64 XFromEnd = 1, YFromEnd = 2, WidthFromEnd = 3, HeightFromEnd = 4;
} // namespace withoutBitmap
namespace stretchDib {
constexpr qint64 RasterOp = 0, Usage = 2, SrcHeight = 3, SrcWidth = 4, YSrc = 5, XSrc = 6, DestHeight = 7,
                 DestWidth = 8, YDest = 9, XDest = 10, Bitmap = 11;
} // namespace stretchDib
namespace setDibToDev {
constexpr qint64 Usage = 0, YSrc = 3, XSrc = 4, Height = 5, Width = 6, YDest = 7, XDest = 8, Bitmap = 9;
} // namespace setDibToDev
// PatBlt.
namespace patBlt {
constexpr qint64 RasterOp = 0, Height = 2, Width = 3, Y = 4, X = 5;
} // namespace patBlt

// Colour usage of a bitmap: its colour table holds palette indices.
constexpr quint16 DibPaletteColours = 1;

// CreatePenIndirect.
namespace pen {
constexpr qint64 Style = 0, Width = 1, Colour = 3;
} // namespace pen

// CreateBrushIndirect.
namespace brush {
constexpr qint64 Style = 0, Colour = 1, Hatch = 3;
} // namespace brush

// DibCreatePatternBrush: the style (Pattern for a device-dependent bitmap), the colour usage, the
// bitmap.
namespace patternBrush {
constexpr qint64 Style = 0, Usage = 1, Bitmap = 2;
constexpr quint16 Pattern = 3;
} // namespace patternBrush

// CreateFontIndirect: five 16-bit values (height, width, escapement, orientation, weight), eight
// bytes (italic, underline, strike out, character set, precisions, quality, pitch and family),
// then the face name.
namespace font {
constexpr qint64 Height = 0, Bytes = 5, FaceName = 9;
constexpr qint64 CharsetByte = 3;
} // namespace font

} // namespace picture::wmf
