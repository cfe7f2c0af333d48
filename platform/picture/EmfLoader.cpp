// SPDX-License-Identifier: GPL-2.0-or-later
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
//
// The records are walked once (EmfWalk.h): each is checked, its drawing work estimated, the state
// it sets up tracked, and it is handed on as it is or rewritten.
#include "platform/picture/Bytes.h"
#include "platform/picture/DrawingWork.h"
#include "platform/picture/EmfWalk.h"
#include "platform/picture/MetafileRecords.h"
#include "platform/picture/PictureData.h"
#include "platform/picture/SvgCleaner.h"

#include <QRegularExpression>

#include <emf2svg.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace picture::detail {

namespace {

using namespace picture::emf;

// More drawing than the work bound admits never makes this much SVG; a guard all the same.
constexpr qsizetype MaxSvgBytes = 64 * 1024 * 1024;

class EmfWalk
{
public:
    // naturalPerDevice: the picture's pixels at its natural size per reference device pixel;
    // frame: the natural size.
    // spareHandle: an object handle that the file does not use, for the brushes that draw
    // its gradients (0 for none).
    EmfWalk(const Bytes &b, QPointF pixelsPerMm, QPointF naturalPerDevice, const QSizeF &frame, quint32 spareHandle)
        : b_(b),
          state_(b, pixelsPerMm),
          work_(frame),
          estimate_(b, state_, work_, naturalPerDevice),
          rewrite_(b, state_, work_, estimate_, naturalPerDevice, spareHandle)
    {}

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
            checkEmfRecord(b_, type, pos, size);
            estimate_.estimate(type, pos);
            state_.track(type, pos);
            // Past the bound the picture would hold the window too long or take too much memory.
            if (work_.exceeded())
                damaged();
            rewrite_.rewrite(out, type, pos, size);
            if (work_.exceeded())
                damaged();
            pos += size;
            if (type == Eof)
                return out;
        }
    }

    // The hatches that shapes filled with their marker colours stand for (SvgCleaner.h).
    const Hatches &hatches() const { return rewrite_.hatches(); }

    // The estimated work of drawing the records walked, in nanoseconds.
    double work() const { return work_.spent(); }

private:
    const Bytes &b_;
    EmfState state_;
    DrawingWork work_;
    EmfEstimate estimate_;
    EmfRewrite rewrite_;
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
    const QSizeF um(b.i32(header::DeviceMicrometres + size::Width) / 1000.0,
                    b.i32(header::DeviceMicrometres + size::Height) / 1000.0);
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
    const double frameW =
        std::abs(double(b.i32(header::Frame + rect::Right)) - b.i32(header::Frame + rect::Left)) / 100;
    const double frameH =
        std::abs(double(b.i32(header::Frame + rect::Bottom)) - b.i32(header::Frame + rect::Top)) / 100;
    const double devW = b.i32(header::DevicePixels + size::Width), devH = b.i32(header::DevicePixels + size::Height);
    if (boundsW <= 1 || boundsH <= 1 || frameW <= 0 || frameH <= 0 || devW <= 0 || devH <= 0)
        return mm;
    auto miss = [&](const QSizeF &size) {
        return std::abs(std::log(frameW * devW / size.width() / boundsW)) +
               std::abs(std::log(frameH * devH / size.height() / boundsH));
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
    if (b.u32(RecordType) != Header || b.u32(header::Signature) != header::SignatureValue ||
        headerSize < header::BaseSize || headerSize % 4 != 0 || total < headerSize || !b.has(0, total))
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
