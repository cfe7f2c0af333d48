// SPDX-License-Identifier: GPL-2.0-or-later
// The SVG that libemf2svg writes, made fit for QSvgRenderer before it reads it. The library's
// output is read as untrusted input: what QSvgRenderer would refuse or draw wrongly is mended,
// everything else is copied as it is.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QRgb>

namespace picture::detail {

// A box that the enhanced metafile walk draws right before a bitmap record: a rectangle with
// neither pen nor brush whose corners are the bitmap's destination corners. libemf2svg places
// such a rectangle in device units correctly, but sizes the bitmap that follows by mapping its
// width and height as if they were a point (origins included); the cleaner gives the bitmap
// the rectangle's box and drops the rectangle.
//
// What the cleaner mends:
// - an attribute given twice on one element (clip-path on pies and chords): the first is kept,
//   as XML readers that tolerate the repetition do;
// - a rectangle with a negative width or height (any mapping that turns an axis over): it is
//   the same rectangle taken from its other corner;
// - a bitmap that follows a box as above takes the box; a negative width or height shows the
//   bitmap mirrored along that axis, as the system draws it.
//
// And it draws hatched brushes, which the library fills solid and Qt's SVG cannot draw as
// patterns: a shape filled with one of the marker colours of `hatches` is drawn as its
// background (when the hatch has one), hatch lines 8 units apart in the brush colour cut to the
// shape, and its outline. A shape it cannot cut the lines to is filled in the brush colour.
struct Hatch
{
    int style = 0; // horizontal, vertical, forward diagonal, backward diagonal, cross, diagonal cross
    QRgb colour = 0;
    bool opaque = false; // with the background colour between the lines
    QRgb background = 0;
};
using Hatches = QHash<QRgb, Hatch>; // by marker colour (0xRRGGBB)

QByteArray cleanSvg(const QByteArray &svg, const Hatches &hatches = Hatches());

} // namespace picture::detail
