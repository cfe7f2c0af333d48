// SPDX-License-Identifier: GPL-2.0-or-later
// The icon layout engine: one record per icon (its place and shape as a snapshot), four
// orderings of such records, the overlap test between icons, and the size table of the board's
// size menu. The relocation itself runs in the board window (Form2::relocateIcons).
#pragma once

#include <QtGlobal>

#include <array>

namespace forms {
class Image;
}

namespace tavlo {
class Form2;

struct IconRec
{
    qint16 iconIndex = 0; // element of the board's Image1
    qint16 fileNo = 0;    // 1-based picture number, from the icon's ToolTipText
    float top = 0, left = 0, aspect = 0, area = 0;
};

// A record array of a board: up to 2049 records (0 To 2048).
constexpr int kIconRecSlots = 2049;
using IconRecs = std::array<IconRec, kIconRecSlots>;

// Fills record n from icon index of the board as it is now. Error 9 beyond the array.
void AddIconRec(IconRecs &recs, int n, const Form2 &board, int index);

// Selection sorts of records first .. count - 1; records before first are left alone.
void sortByPosition(IconRecs &recs, int count, int first); // top, then left
void sortByAspect(IconRecs &recs, int count, int first);   // aspect, then fileNo
void sortByArea(IconRecs &recs, int count, int first);     // area, then fileNo
void sortByList(IconRecs &recs, int count, int first);     // fileNo, then area

// True when (x, y) lies on the icon, edges included.
bool pointInIcon(qint32 y, qint32 x, const forms::Image &icon);
// True when b's top edge lies within a's height and b spans a from side to side: the two
// overlap like a cross although no corner of either lies in the other.
bool crossesIcon(const forms::Image &a, const forms::Image &b);
// The first position 0 .. n - 1 whose icon overlaps c, or -1. Lets events run between
// positions.
int findOverlap(const Form2 &board, const forms::Image &c, const IconRecs &recs, int n);

// The icon area of the size menu's item 1 .. 11: square twips from 1 on, a fraction of the
// board's client area below 1.
double sizeTable(int index);
constexpr int kSizeItems = 11;

} // namespace tavlo
