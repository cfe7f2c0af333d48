// SPDX-License-Identifier: GPL-2.0-or-later
// What drawing a metafile will cost, estimated record by record before anything is drawn, so
// that a picture that would hold the window too long (or take too much memory) is refused as
// damaged instead.
//
// A metafile is turned into SVG, parsed into a document and painted with antialiasing; the
// figures below were measured on that path (Qt 6.4, 2 cores). What they model:
// - every record, and far more every element it adds to the document;
// - every point of a line or shape;
// - filling and stroking: the pixels covered; the slanted and curved edges, each row and column
//   of which costs about as much as a hundred pixels of area (a thin diagonal line across a
//   1280 x 1024 picture takes 1.3 ms, a level or upright one 0.04 ms; the rows of such an edge
//   beyond the picture cost as much, and every row more in a taller picture: a line from inside
//   a 336 x 10148 picture to 839,000 rows below it takes 3 s); and the edges that cross
//   each pixel row: Qt's antialiasing rasterizer slows down with the square of their number (a
//   zigzag of 100 full-height edges takes 1.5 s to fill), so a few crowded shapes can cost more
//   than thousands of plain ones;
// - text by its glyphs and their size, bitmaps by their pixels.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <QtGlobal>

#include <cmath>

namespace picture::detail {

class DrawingWork
{
public:
    // Estimated nanoseconds that one picture may take to load and draw once. A metafile is drawn
    // once for each size it is shown at (with the wait cursor when it takes long), so a busy
    // chart that takes a second or two is shown; past this, the picture is refused at once.
    static constexpr double Budget = 2000e6;
    // Records of one metafile, whatever they cost.
    static constexpr qint64 MaxRecords = 250000;

    // frame: the picture's natural size in pixels; every area is clipped to it.
    explicit DrawingWork(const QSizeF &frame);

    // A record that draws nothing.
    void record();
    // A shape or line. box: what it covers; rows: the pixel rows its edges cross (the sum of
    // their heights), which tells how crowded a row is; slantRows and slantColumns: the heights
    // and widths of its slanted (or curved) edges, which cost far more than upright and level
    // ones; points: the points the record gives; all in pixels. A filled shape fills its box;
    // every shape or line is stroked with a pen penWidth pixels wide.
    void shape(const QSizeF &box, double rows, double slantRows, double slantColumns, qint64 points, bool filled,
               double penWidth);
    // chars glyphs of text height pixels high.
    void text(qint64 chars, double height);
    // Elements that the rewriting adds to the document (a character placed on its own, a band
    // of a gradient, a hatch), beyond what their records cost.
    void elements(qint64 n);
    // What drawing a hatch over a box costs (which the shape's fill does not), in the style of
    // SvgCleaner.h's Hatch: lines `spacing` pixels apart, each an element, the diagonal ones
    // slanted edges.
    double hatch(const QSizeF &box, int style, double spacing) const;
    void add(double nanoseconds) { spent_ = finite(spent_ + nanoseconds); }
    // A bitmap of sourcePixels pixels shown over dest pixels.
    void bitmap(qint64 sourcePixels, const QSizeF &dest);

    double spent() const { return spent_; }
    qint64 records() const { return records_; }
    bool exceeded() const { return spent_ > Budget || records_ > MaxRecords; }

private:
    static double finite(double v) { return v < HUGE_VAL ? v : HUGE_VAL; }
    double area(const QSizeF &box) const;
    double fill(const QSizeF &box, double rows, double slantRows, double slantColumns, double pixels) const;

    QSizeF frame_;
    double spent_ = 0;
    qint64 records_ = 0;
};

} // namespace picture::detail
