// What drawing a metafile will cost, estimated record by record before anything is drawn, so
// that a picture that would hold the window too long (or take too much memory) is refused as
// damaged instead.
//
// A metafile is turned into SVG, parsed into a document and painted with antialiasing; the
// figures below were measured on that path (Qt 6.4, 2 cores). What they model:
// - every record, and far more every element it adds to the document;
// - every point of a line or shape;
// - filling: the pixels covered, and the edges that cross each pixel row. Qt's antialiasing
//   rasterizer slows down with the square of the edges that cross one row (a zigzag of 100
//   full-height edges takes 1.5 s to fill at 1280 x 1024), so a few crowded shapes can cost more
//   than thousands of plain ones;
// - text by its glyphs and their size, bitmaps by their pixels.
#pragma once

#include <QRectF>
#include <QSizeF>
#include <QtGlobal>

namespace picture::detail {

class DrawingWork
{
public:
    // Estimated nanoseconds that one picture may take to load and draw once.
    static constexpr double Budget = 700e6;
    // Records of one metafile, whatever they cost.
    static constexpr qint64 MaxRecords = 250000;

    // frame: the picture's natural size in pixels; every area is clipped to it.
    explicit DrawingWork(const QSizeF &frame);

    // A record that draws nothing.
    void record();
    // A shape or line: box is what it covers and rows the edge crossings of pixel rows (the sum
    // of the vertical extents of its edges), in pixels; points the points the record gives.
    // A filled shape fills its box; a line is stroked with a pen penWidth pixels wide.
    void shape(const QSizeF &box, double rows, qint64 points, bool filled, double penWidth);
    // chars glyphs of text height pixels high.
    void text(qint64 chars, double height);
    // A bitmap of sourcePixels pixels shown over dest pixels.
    void bitmap(qint64 sourcePixels, const QSizeF &dest);

    double spent() const { return spent_; }
    qint64 records() const { return records_; }
    bool exceeded() const { return spent_ > Budget || records_ > MaxRecords; }

private:
    double area(const QSizeF &box) const;
    double fill(const QSizeF &box, double rows, double pixels) const;

    QSizeF frame_;
    double spent_ = 0;
    qint64 records_ = 0;
};

} // namespace picture::detail
