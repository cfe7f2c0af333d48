// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/module2.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Image.h"
#include "platform/vb/vb.h"
#include "tavlo/Form2.h"

#include <cmath>

namespace tavlo {

namespace {

IconRec &at(IconRecs &recs, int n)
{
    if (n < 0 || n >= kIconRecSlots)
        vb::raiseError(vb::ErrSubscript);
    return recs[size_t(n)];
}

// Compares two keys by their sign: -1, 0 or 1.
template <class T>
int compare(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

using Less = bool (*)(const IconRec &, const IconRec &);

bool byPosition(const IconRec &a, const IconRec &b)
{
    const int c = compare(a.top, b.top);
    return c != 0 ? c < 0 : a.left < b.left;
}
bool byAspect(const IconRec &a, const IconRec &b)
{
    const int c = compare(a.aspect, b.aspect);
    return c != 0 ? c < 0 : a.fileNo < b.fileNo;
}
bool byArea(const IconRec &a, const IconRec &b)
{
    const int c = compare(a.area, b.area);
    return c != 0 ? c < 0 : a.fileNo < b.fileNo;
}
bool byList(const IconRec &a, const IconRec &b)
{
    const int c = compare(a.fileNo, b.fileNo);
    return c != 0 ? c < 0 : a.area < b.area;
}

// The selection sort: for each position, the first record smaller than every one before it
// among the rest is swapped in.
//
// When only the last record is out of order (the relocation sorts its placed records again
// after appending one), the scan of each position can find nothing smaller than the record
// there but that last one, so one pass over the positions gives the very same order in linear
// time.
void selectionSort(IconRecs &recs, int count, int first, Less less)
{
    if (count - first < 2)
        return;
    if (first < 0 || count > kIconRecSlots)
        vb::raiseError(vb::ErrSubscript);
    IconRec *r = recs.data();
    const int last = count - 1;
    bool headSorted = true;
    for (int i = first; i + 1 < last && headSorted; ++i)
        headSorted = !less(r[i + 1], r[i]);
    if (headSorted) {
        for (int i = first; i < last; ++i)
            if (less(r[last], r[i]))
                std::swap(r[i], r[last]);
        return;
    }
    for (int i = first; i < last; ++i) {
        int smallest = i;
        for (int j = i + 1; j <= last; ++j)
            if (less(r[j], r[smallest]))
                smallest = j;
        if (smallest != i)
            std::swap(r[i], r[smallest]);
    }
}

} // namespace

void AddIconRec(IconRecs &recs, int n, const Form2 &board, int index)
{
    IconRec &rec = at(recs, n);
    const forms::Image &icon = board.Image1(index);
    rec.iconIndex = vb::checked16(index);
    rec.fileNo = vb::CInt(vb::Val(icon.ToolTipText()));
    rec.top = icon.Top();
    rec.left = icon.Left();
    // A hidden empty slot may have no height: its aspect is of no use and must not fail.
    rec.aspect = icon.Height() != 0 ? icon.Width() / icon.Height() : 0;
    rec.area = float(std::nearbyint(double(icon.Width()) * double(icon.Height()))); // halves to even
}

void sortByPosition(IconRecs &recs, int count, int first) { selectionSort(recs, count, first, byPosition); }
void sortByAspect(IconRecs &recs, int count, int first) { selectionSort(recs, count, first, byAspect); }
void sortByArea(IconRecs &recs, int count, int first) { selectionSort(recs, count, first, byArea); }
void sortByList(IconRecs &recs, int count, int first) { selectionSort(recs, count, first, byList); }

namespace {

// An icon's place and size as the overlap test reads them.
struct Box
{
    double top, left, height, width;
    explicit Box(const forms::Image &i) : top(i.Top()), left(i.Left()), height(i.Height()), width(i.Width()) {}
    bool holds(double y, double x) const { return top <= y && y <= top + height && left <= x && x <= left + width; }
    // b's top edge within this box's height, and b from side to side of it.
    // Boxes more than a twip apart can share nothing, whichever way their corners round.
    bool farFrom(const Box &b) const
    {
        return b.top > top + height + 1 || top > b.top + b.height + 1 || b.left > left + width + 1 ||
               left > b.left + b.width + 1;
    }
    bool crossedBy(const Box &b) const
    {
        return top <= b.top && b.top <= top + height && b.left <= left && b.left + b.width >= left + width;
    }
};

// The four corners of a box, each taken to whole twips: top-left, top-right, bottom-left,
// bottom-right.
struct Corners
{
    double y[4], x[4];
    explicit Corners(const Box &b)
    {
        const double top = vb::CLng(b.top), bottom = vb::CLng(b.top + b.height);
        const double left = vb::CLng(b.left), right = vb::CLng(b.left + b.width);
        y[0] = top, x[0] = left;
        y[1] = top, x[1] = right;
        y[2] = bottom, x[2] = left;
        y[3] = bottom, x[3] = right;
    }
    bool anyIn(const Box &b) const
    {
        for (int k = 0; k < 4; ++k)
            if (b.holds(y[k], x[k]))
                return true;
        return false;
    }
};

} // namespace

bool pointInIcon(qint32 y, qint32 x, const forms::Image &icon) { return Box(icon).holds(y, x); }

bool crossesIcon(const forms::Image &a, const forms::Image &b) { return Box(a).crossedBy(Box(b)); }

int findOverlap(const Form2 &board, const forms::Image &c, const IconRecs &recs, int n)
{
    const Box cb(c);
    const Corners cc(cb);
    for (int i = 0; i < n; ++i) {
        const Box ob(board.Image1(recs.at(size_t(i)).iconIndex));
        if (!cb.farFrom(ob) && (cc.anyIn(ob) || ob.crossedBy(cb) || cb.crossedBy(ob) || Corners(ob).anyIn(cb)))
            return i;
        forms::yieldEvents();
    }
    return -1;
}

double sizeTable(int index)
{
    static const double table[kSizeItems] = {1000000, 2000000, 3000000, 4000000, 5000000, 6000000,
                                             7500000, 9500000, 0.0625,  0.25,    0.5};
    if (index < 1 || index > kSizeItems)
        vb::raiseError(vb::ErrSubscript);
    return table[index - 1];
}

} // namespace tavlo
