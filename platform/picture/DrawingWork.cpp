// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/DrawingWork.h"

#include <algorithm>
#include <cmath>

namespace picture::detail {

namespace {

// Nanoseconds, measured on this path.
constexpr double PerRecord = 500;       // a record that adds nothing to the document
constexpr double PerElement = 30e3;     // an element: translated, parsed and painted
constexpr double PerPoint = 3e3;        // a point of a line or shape
constexpr double PerPixel = 0.3;        // a pixel covered
constexpr double PerSlantRow = 500;     // a row of a slanted or curved edge, at least, and
constexpr double PerSlantRowBand = 0.5; // per pixel row of the picture (see fill)
constexpr double PerSlantColumn = 300;  // a column of one
constexpr double PerCrowding = 300;     // past the two edges of a plain shape, the square of
constexpr double CrowdingLimit = 300;   // the edges that cross one row (beyond this, linear)
constexpr double PerGlyph = 3e3;
constexpr double PerGlyphPixel = 0.5;
constexpr double PerSourcePixel = 60; // a bitmap is encoded into the document and decoded
constexpr double PerShownPixel = 3;   // and drawn scaled

} // namespace

DrawingWork::DrawingWork(const QSizeF &frame) : frame_(frame) {}

double DrawingWork::area(const QSizeF &box) const
{
    const double w = std::clamp(std::abs(box.width()), 0.0, frame_.width());
    const double h = std::clamp(std::abs(box.height()), 0.0, frame_.height());
    return w * h;
}

// Filling pixels of a box whose edges cross rows pixel rows in all: the slanted edges, and the
// rows inside the frame, each with the edges that cross it on average.
double DrawingWork::fill(const QSizeF &box, double rows, double slantRows, double slantColumns, double pixels) const
{
    const double height = std::max(1.0, std::abs(box.height()));
    const double shown = std::clamp(height, 1.0, std::max(1.0, frame_.height()));
    const double crowd = std::max(1.0, rows / height);
    // The rasterizer works in bands of rows and walks every row of a slanted edge in each band,
    // also the rows beyond the picture: a row costs more the taller the picture is, and an edge
    // that runs far outside costs by all its rows, seen or not.
    const double perSlantRow = std::max(PerSlantRow, PerSlantRowBand * frame_.height());
    return PerPixel * std::min(pixels, area(box)) + perSlantRow * slantRows +
           PerSlantColumn * std::min(slantColumns, frame_.width() * crowd) +
           shown * PerCrowding * std::max(0.0, crowd - 2) * std::min(crowd, CrowdingLimit);
}

void DrawingWork::record()
{
    ++records_;
    spent_ += PerRecord;
}

void DrawingWork::shape(const QSizeF &box, double rows, double slantRows, double slantColumns, qint64 points,
                        bool filled, double penWidth)
{
    ++records_;
    double cost = PerElement + PerPoint * double(points);
    if (filled)
        cost += fill(box, rows, slantRows, slantColumns, area(box));
    // A line is painted as the outline of its stroke, filled: as long as the edges, as wide as
    // the pen, which also widens the box.
    const double pen = std::max(1.0, std::abs(penWidth));
    const QSizeF stroked(std::abs(box.width()) + pen, std::abs(box.height()) + pen);
    cost += fill(stroked, rows, slantRows, slantColumns, (rows + slantColumns + stroked.width()) * pen);
    spent_ = finite(spent_ + finite(cost));
}

void DrawingWork::text(qint64 chars, double height)
{
    ++records_;
    const double glyph = std::min(height * height, frame_.width() * frame_.height());
    spent_ = finite(spent_ + finite(PerElement + double(chars) * (PerGlyph + PerGlyphPixel * glyph)));
}

void DrawingWork::elements(qint64 n) { spent_ = finite(spent_ + PerElement * double(n)); }

double DrawingWork::hatch(const QSizeF &box, int style, double spacing) const
{
    const double w = std::clamp(std::abs(box.width()), 0.0, frame_.width());
    const double h = std::clamp(std::abs(box.height()), 0.0, frame_.height());
    const double gap = std::max(spacing, 0.01);
    const double perSlantRow = std::max(PerSlantRow, PerSlantRowBand * frame_.height());
    auto level = [&](double lines, double length) { return lines * (PerElement + PerPixel * length * 2); };
    auto slanted = [&](double lines, double rows) {
        return lines * (PerElement + perSlantRow * rows + PerSlantColumn * rows);
    };
    double cost = 0;
    if (style == 0 || style == 4)
        cost += level(h / gap + 1, w);
    if (style == 1 || style == 4)
        cost += level(w / gap + 1, h);
    const int diagonals = style == 5 ? 2 : style == 2 || style == 3 ? 1 : 0;
    cost += diagonals * slanted((w + h) / gap + 1, std::min(w, h));
    return finite(cost);
}

void DrawingWork::bitmap(qint64 sourcePixels, const QSizeF &dest)
{
    ++records_;
    spent_ = finite(spent_ + finite(PerElement + PerSourcePixel * double(sourcePixels) + PerShownPixel * area(dest)));
}

} // namespace picture::detail
