// SPDX-License-Identifier: GPL-2.0-or-later
// What a Picture shares between its copies.
#pragma once

#include "platform/picture/picture.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <vector>

class QIODevice;
class QSvgRenderer;

namespace picture {

struct PictureData
{
    Kind kind = Kind::Empty;
    QSize pixels;
    QSizeF twips;
    // A raster picture, in a format that paints without conversion.
    QImage image;
    // A metafile, as a drawing whose view box is the metafile's frame.
    std::shared_ptr<QSvgRenderer> drawing;
    // A metafile whose drawing takes long enough to be noticed: the wait cursor shows meanwhile.
    bool slow = false;
    static constexpr double SlowWork = 250e6; // estimated nanoseconds

    // A metafile is drawn once for each size it is shown at, and copied from then on; the last
    // two sizes are kept (a picture shown whole and as an icon). Pictures belong to the thread
    // that made them, as widgets do.
    struct Drawn
    {
        QSize size;
        QImage image;
    };
    mutable std::vector<Drawn> drawn;
    // The largest drawing kept (64 MiB); a larger one is drawn each time it is painted.
    static constexpr qint64 MaxDrawnPixels = qint64(16) * 1024 * 1024;
    // The metafile drawn at size, from the kept ones or drawn now.
    const QImage &drawnAt(const QSize &size) const;
};

namespace detail {

// Checks a natural size against the bounds of picture.h; raises 481 beyond them.
void checkPixelCount(qint64 width, qint64 height);
// A metafile picture of the given natural size in twips; raises 481 for an empty or oversized
// frame. work: the estimated nanoseconds of drawing it once.
std::shared_ptr<PictureData> metafileData(Kind kind, const QSizeF &twips, const QByteArray &svg, const QRectF &viewBox,
                                          double work = 0);

// An enhanced metafile drawn as SVG. The SVG's coordinates are the reference device's pixels
// moved by shift; frame is the header's frame in those pixels, and pixelsPerMm the device's
// resolution.
struct EmfDrawing
{
    QByteArray svg;
    QPointF shift;
    QRectF frame;
    QPointF pixelsPerMm{96 / 25.4, 96 / 25.4};
    double work = 0; // the estimated nanoseconds of drawing it once
};
// Checks the records of a whole enhanced metafile and draws it; raises 481 when it is damaged.
EmfDrawing drawEmf(const QByteArray &emf);

// A bitmap read from a device that holds the file from its first byte.
std::shared_ptr<PictureData> loadBitmap(QIODevice &file);
std::shared_ptr<PictureData> loadJpeg(const QByteArray &file);
std::shared_ptr<PictureData> loadIcon(const QByteArray &file);
std::shared_ptr<PictureData> loadWmf(const QByteArray &file);
std::shared_ptr<PictureData> loadEmf(const QByteArray &file);
// A picture of any kind from the bytes of a whole file (what loadPicture does after reading
// it); raises 481 for anything that is not one.
std::shared_ptr<PictureData> loadBytes(const QByteArray &file);

} // namespace detail
} // namespace picture
