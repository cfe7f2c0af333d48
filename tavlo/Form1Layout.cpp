// SPDX-License-Identifier: GPL-2.0-or-later
// The main window around its picture: canvas placement, window height, scroll bars, resize,
// display changes.
#include "tavlo/Form1.h"

#include "platform/sysinfo/sysinfo.h"
#include "tavlo/MainModule.h"
#include "tavlo/Tavlo.h"

#include <algorithm>

namespace tavlo {

using vb::CInt;
using vb::Integer;

namespace {

constexpr double kBarLimit = 32767;

// A scroll range and its two steps as the bars can take them: a range beyond 16 bits is
// capped (the caller scales positions by the factor), and no step is below 1.
struct BarRange
{
    int max;
    double factor; // twips per scroll unit
    int large, small;
};

BarRange barRange(double range, int smallDivisor)
{
    BarRange r{};
    if (range > kBarLimit) {
        r.max = int(kBarLimit);
        r.factor = range / kBarLimit;
    } else {
        r.max = CInt(range);
        r.factor = 1;
    }
    r.large = std::max<int>(1, CInt(r.max / 8.0));
    r.small = std::max<int>(1, CInt(double(r.max) / smallDivisor));
    return r;
}

} // namespace

void Form1::layoutWindow()
{
    const sysinfo::WorkArea wa = app_.sysInfo().workArea();
    const Integer frameH = CInt(Height() - ScaleHeight());
    Integer top = Combo1.Visible() ? CInt(Combo1.Top() + Combo1.Height()) : CInt(Command1.Top() + Command1.Height());
    Picture1.setTop(top + 60);
    VScroll1.setTop(Picture1.Top());
    // The height a picture needs is worked out in 32 bits: a photo taller than about 2184
    // pixels needs more than 16 bits hold, and is cut to the work area below anyway.
    qint32 needH = vb::CLng(double(Picture1.Height()) + Picture1.Top() + frameH);
    if (Picture1.Width() > Width()) {
        HScroll1.setVisible(true);
        // A window narrower than the bar's margin gets a bar of no width, not an error.
        HScroll1.setWidth(std::max(0.0f, ScaleWidth() - 256));
    } else {
        HScroll1.setVisible(false);
    }
    if (wa.height < needH)
        needH = vb::CLng(wa.height);
    if (WindowState() == forms::vbNormal) {
        if (HScroll1.Visible()) {
            needH = vb::CLng(double(needH) + HScroll1.Height());
            if (wa.height < needH)
                needH = vb::CLng(wa.height);
        }
        setHeight(float(needH));
    }
    HScroll1.setTop(ScaleHeight() - HScroll1.Height());
    if (Picture1.Height() > ScaleHeight()) {
        VScroll1.setHeight(std::max(0.0f, ScaleHeight() - VScroll1.Top()));
        VScroll1.setLeft(ScaleWidth() - VScroll1.Width());
        VScroll1.setVisible(true);
    } else {
        VScroll1.setVisible(false);
        VScroll1.setValue(0);
    }
}

void Form1::HScroll1_Change()
{
    if (Picture1.ScaleWidth() > ScaleWidth()) {
        double range = double(Picture1.ScaleWidth()) - ScaleWidth();
        if (VScroll1.Visible())
            range += VScroll1.Width();
        const BarRange r = barRange(range, 100);
        HScroll1.setMax(r.max);
        HScroll1.setLargeChange(r.large);
        HScroll1.setSmallChange(r.small);
        Picture1.setLeft(float(-HScroll1.Value() * r.factor));
    } else {
        Picture1.setLeft(0);
    }
}

void Form1::HScroll1_Scroll() { HScroll1_Change(); }

void Form1::VScroll1_Change()
{
    if (!(Picture1.Height() > ScaleHeight()))
        return;
    Picture1.setVisible(false);
    double range = double(Picture1.Height()) - ScaleHeight() + VScroll1.Top();
    if (HScroll1.Visible())
        range += HScroll1.Height();
    const BarRange r = barRange(range, 200);
    VScroll1.setMax(r.max);
    if (r.max >= 1) {
        VScroll1.setLargeChange(r.large);
        VScroll1.setSmallChange(r.small);
        Picture1.setTop(float(VScroll1.Top() - VScroll1.Value() * r.factor));
    }
    Picture1.setVisible(true);
}

void Form1::VScroll1_Scroll() { VScroll1_Change(); }

void Form1::Form_Resize()
{
    Line1.setX2(ScaleWidth());
    if (m().curIndex >= 0) {
        VScroll1.setValue(0);
        HScroll1.setValue(0);
        showStep(0);
    }
}

void Form1::SysInfo1_DisplayChanged()
{
    forms::Form *f = app_.forms().active();
    if (!f)
        return;
    const sysinfo::WorkArea wa = app_.sysInfo().workArea();
    if (wa.width < f->Width()) {
        f->setLeft(wa.left);
        f->setWidth(wa.width);
    }
    if (wa.height < f->Height()) {
        f->setTop(wa.top);
        f->setHeight(wa.height);
    }
}

void Form1::fitToWorkArea(forms::Form &window)
{
    const sysinfo::WorkArea wa = app_.sysInfo().workArea();
    if (window.Width() + window.Left() > wa.width)
        window.setLeft(wa.width - window.Width());
    if (window.Height() + window.Top() > wa.height) {
        window.setHeight(wa.height - window.Top());
        if (window.Height() < 600)
            window.setHeight(600);
    }
}

} // namespace tavlo
