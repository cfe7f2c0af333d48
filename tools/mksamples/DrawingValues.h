// SPDX-License-Identifier: GPL-2.0-or-later
// The drawing parameters that Windows metafiles and enhanced metafiles share: pen, brush and
// hatch styles, background and mapping modes, text alignment and character sets. Both writers
// take them as their own names (EmfWriter::BrushSolid, WmfWriter::HatchCross).
#pragma once

struct DrawingValues
{
    enum PenStyle { PenSolid = 0, PenDash = 1, PenNull = 5 };
    enum BrushStyle { BrushSolid = 0, BrushNull = 1, BrushHatched = 2 };
    enum { Transparent = 1, Opaque = 2 };
    enum { MapText = 1, MapAnisotropic = 8 };
    // Text alignment flags, one set: vertical and horizontal alignments are or-ed together.
    enum TextAlign { AlignTop = 0, AlignBaseline = 24, TextAlignCenter = 6, TextAlignRight = 2 };
    enum { CharsetAnsi = 0, CharsetSymbol = 2, CharsetShiftJis = 128 };
    enum HatchStyle {
        HatchHorizontal = 0,
        HatchVertical = 1,
        HatchForwardDiagonal = 2,
        HatchBackwardDiagonal = 3,
        HatchCross = 4,
        HatchDiagonalCross = 5
    };
};
