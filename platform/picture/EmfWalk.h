// SPDX-License-Identifier: GPL-2.0-or-later
// The walk through an enhanced metafile's records, in its parts: the check of each record
// against its own size, the state the records set up (mapping, objects, current position), the
// estimate of the work of drawing them, and the rewrites that have the metafile library draw them
// right (EmfLoader.cpp says what it gets wrong). Each record is checked before anything reads it,
// estimated with the state before it, then tracked, then rewritten.
#pragma once

#include "platform/picture/Bytes.h"
#include "platform/picture/DrawingWork.h"
#include "platform/picture/SvgCleaner.h"

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace picture::detail {

// Raises 481 unless the record of `size` bytes at pos holds what its fixed fields announce:
// counts, offsets and lengths of points, text, bitmaps, regions and other data.
void checkEmfRecord(const Bytes &b, quint32 type, qint64 pos, qint64 size);

// A value kept within what the estimate can add up; an infinite or undefined one at the bound.
inline double bounded(double v) { return std::isfinite(v) ? std::clamp(v, -1e12, 1e12) : 1e12; }

// A colour reference as a colour.
inline QRgb rgbOf(quint32 colourRef)
{
    return qRgb(int(colourRef & 0xFF), int((colourRef >> 8) & 0xFF), int((colourRef >> 16) & 0xFF));
}

// What SaveDC keeps and RestoreDC brings back, as far as the rewriting and the estimate of the
// drawing work need it: the mapping, the selected pen and font, the current position.
struct DcState
{
    quint32 mode = 1;
    double windowX = 1, windowY = 1;
    double viewportX = 1, viewportY = 1;
    double worldX = 1, worldY = 1; // how much the world transform enlarges along each axis
    quint32 font = 0;
    double penWidth = 0;   // logical units; 0 for a pen of one pixel
    double fontHeight = 0; // logical units; 0 for the default font
    double x = 0, y = 0;
    quint32 textAlign = 0;
    quint32 brush = 0;             // the selected brush's handle; 0 for a stock one
    bool opaque = true;            // the background mode
    quint32 background = 0xFFFFFF; // as a colour reference
};

// What the records walked so far have set up: the device context and the objects made.
struct EmfState
{
    EmfState(const Bytes &b, QPointF pixelsPerMm) : b_(b), pixelsPerMm_(pixelsPerMm) {}

    void track(quint32 type, qint64 pos);
    // How much a world transform of the four 32-bit floats at a, b (a row of the matrix)
    // enlarges along one axis.
    double stretch(qint64 a, qint64 b) const;
    // Device pixels per logical unit along each axis.
    double scale(bool vertical = false) const;
    // The face name of the font record at pos.
    QString faceName(qint64 pos) const;

    DcState dc;
    QVector<DcState> saved;
    QHash<quint32, int> fontCharsets;
    QHash<quint32, QString> fontFaces;
    QHash<quint32, bool> fontTurned; // a baseline at an angle
    QHash<quint32, double> fontHeights;
    QHash<quint32, double> penWidths;
    QSet<quint32> brushes;
    QHash<quint32, Hatch> hatchBrushes;

private:
    const Bytes &b_;
    QPointF pixelsPerMm_;
};

// The estimate of the work of drawing the records, added to a DrawingWork.
class EmfEstimate
{
public:
    // naturalPerDevice: the picture's pixels at its natural size per reference device pixel.
    EmfEstimate(const Bytes &b, EmfState &state, DrawingWork &work, QPointF naturalPerDevice)
        : b_(b),
          state_(state),
          work_(work),
          natural_(naturalPerDevice)
    {}

    // What a record adds to the work of drawing the picture.
    void estimate(quint32 type, qint64 pos);

    // The box of the last shape estimated, in natural pixels.
    QSizeF lastBox() const { return lastBox_; }

private:
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

    // Natural pixels per logical unit along each axis, as far as the estimate needs them.
    double naturalX() const;
    double naturalY() const;
    // The points of a record: count of them from at, 16 or 32 bits each, in figures of the
    // given sizes (one figure of all when figures is empty); from the current position first
    // for the "To" records.
    Extent points(qint64 at, qint64 count, bool wide, const QVector<qint64> &figures, bool closed, bool fromCurrent);
    // A box record at `at`: left, top, right, bottom; curved holds its outline curved (an
    // ellipse, an arc) rather than upright and level.
    Extent box(qint64 at, bool curved);
    // Draws a line or shape, or adds it to the path being built.
    void draw(const Extent &e, bool filled);
    // The pixels of a bitmap whose header lies at the offset given at offsetAt.
    qint64 bitmapPixels(qint64 pos, qint64 offsetAt) const;
    // A bitmap record: its source, and the box it is shown in (logical width and height at
    // widthAt; the whole frame where the record gives none).
    void blit(qint64 pos, qint64 offsetAt, qint64 widthAt);
    // A gradient fill: each rectangle or triangle fills the box of its corners, which are
    // vertices the record lists; a corner that names no vertex adds nothing.
    void gradient(qint64 pos);
    // The height of the selected font in natural pixels.
    double textHeight() const;

    const Bytes &b_;
    EmfState &state_;
    DrawingWork &work_;
    QPointF natural_;
    QSizeF lastBox_;
    bool inPath_ = false;
    Extent path_;
};

// The records as the metafile library is handed them: wide pens, 8-bit text, hatched brushes,
// gradients and bitmaps rewritten into records it draws right; glyph-index text left out.
class EmfRewrite
{
public:
    // spareHandle: an object handle that the file does not use, for the brushes that draw
    // its gradients and hatches (0 for none).
    EmfRewrite(const Bytes &b, const EmfState &state, DrawingWork &work, const EmfEstimate &estimate,
               QPointF naturalPerDevice, quint32 spareHandle)
        : b_(b),
          state_(state),
          work_(work),
          estimate_(estimate),
          natural_(naturalPerDevice),
          spareHandle_(spareHandle)
    {}

    // Appends the record at pos, as it is or rewritten, to out.
    void rewrite(QByteArray &out, quint32 type, qint64 pos, qint64 size);

    // The hatches that shapes filled with their marker colours stand for (SvgCleaner.h).
    const Hatches &hatches() const { return hatchMarkers_; }

private:
    quint32 scaledWidth(qint64 width) const;
    static void u32(QByteArray &out, quint32 v);
    bool rewritePen(QByteArray &out, quint32 type, qint64 pos, qint64 size) const;
    // Before a bitmap that libemf2svg draws, its destination as a rectangle without pen or brush,
    // which it places right; the SVG cleaner gives the bitmap that box (SvgCleaner.h).
    void bitmapBox(QByteArray &out, quint32 type, qint64 pos) const;
    // A gradient fill, which the metafile library leaves out, as bands of solid colour: up to
    // 64 across each rectangle (in its direction), and a triangle in its corners' mean colour.
    // Past a bound on the bands of a picture, each shape is one band.
    bool rewriteGradient(QByteArray &out, quint32 type, qint64 pos);
    // A shape filled with a hatched brush is filled instead with a brush of a marker colour,
    // one for each hatch, brush colour and background, which the SVG cleaner draws as the hatch.
    bool hatchBefore(QByteArray &out, quint32 type);
    void hatchAfter(QByteArray &out) const;
    // Whether a text record gives glyph indices instead of characters.
    bool glyphIndices(quint32 type, qint64 pos, qint64 size) const;
    // Text records as wide text that the SVG can hold; face names likewise.
    bool rewriteText(QByteArray &out, quint32 type, qint64 pos, qint64 size);
    // Text whose advances the record gives, each character a record of its own at the place
    // they give it (the substitute font's own advances would run the text off the boxes drawn
    // for it). Left as one record when the characters stand at an angle, go from the current
    // position, or when the picture has had its share of placed characters (a bound on the SVG
    // such text makes).
    bool placeEach(QByteArray &out, qint64 pos, const QString &text, const QVector<qint32> &dx);

    const Bytes &b_;
    const EmfState &state_;
    DrawingWork &work_;
    const EmfEstimate &estimate_;
    QPointF natural_;
    quint32 spareHandle_ = 0;
    qint64 placedChars_ = 0;
    QHash<quint64, QRgb> markerOf_;
    Hatches hatchMarkers_;
    qint64 bands_ = 0;
};

} // namespace picture::detail
