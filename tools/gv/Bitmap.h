// SPDX-License-Identifier: GPL-2.0-or-later
// Pictures as GV saves them: Windows bitmaps, 24 bits per pixel, or 8 bits with a palette after
// Quantize.
#pragma once

#include <QImage>
#include <QString>

namespace gv {

// Reduces an image to at most `colours` colours (2 to 256) by median cut over its colours,
// optionally with Floyd-Steinberg dithering. An image that has no more colours than that keeps
// them exactly. The result is Format_Indexed8.
QImage quantize(const QImage &image, int colours, bool dither);

// Writes an 8-bit bitmap (any Format_Indexed8 image, whatever the size of its palette) or a
// 24-bit one (any other image). False with a reason when the file cannot be written.
bool writeBitmap(const QImage &image, const QString &path, QString *error);

} // namespace gv
