// SPDX-License-Identifier: GPL-2.0-or-later
// Bitmaps whose pixels pack their channels into bit fields: 16-bit bitmaps (5-5-5 without
// masks, or the masks the file gives), and 32-bit ones whose masks are not all 8 bits wide.
// Qt's reader widens a channel of n bits by shifting it, so that white comes out as 248;
// here a channel is widened as the system's decoder does, by repeating its high bits
// (31 of 5 bits gives 255, 0 gives 0).
#pragma once

#include <QImage>

class QIODevice;

namespace picture::detail {

// Decodes the bitmap file on the device, whose headers loadBitmap has checked against its
// length; a null image (and nothing read) when the bitmap is not of these kinds.
QImage decodeBitFields(QIODevice &file);

} // namespace picture::detail
