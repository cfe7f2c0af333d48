// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/ScrollBar.h"

#include "platform/forms/EventLoop.h"
#include "platform/vb/vb.h"

#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace forms {

static void checkRange(int v)
{
    if (v < -32768 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
}

ScrollBar::ScrollBar(Form &form, const QString &name, Qt::Orientation orientation, Control *container)
    : Control(form, name, new QScrollBar(orientation), container)
{
    bar_ = static_cast<QScrollBar *>(widget());
    bar_->setTracking(true);
    // The bar takes the focus from a click and from Tab, so that its key events reach the
    // program.
    bar_->setFocusPolicy(Qt::StrongFocus);
    applyRange();
    // Changes the program makes (a new Value, or a new Min or Max that moves the value) raise
    // Change in the caller's stack, so that an error there reaches the caller; only the user's
    // go through runEvent, whose caller is the event loop.
    QObject::connect(bar_, &QScrollBar::valueChanged, this, [this] {
        if (bar_->isSliderDown()) {
            if (Scroll)
                runEvent(Scroll);
        } else if (Change) {
            if (programmatic_)
                Change();
            else
                runEvent(Change);
        }
    });
    QObject::connect(bar_, &QScrollBar::sliderReleased, this, [this] {
        if (Change)
            runEvent(Change);
    });
}

void ScrollBar::applyRange()
{
    const QScopedValueRollback<bool> programmatic(programmatic_, true);
    bar_->setRange(std::min(min_, max_), std::max(min_, max_));
    bar_->setSingleStep(small_);
    bar_->setPageStep(large_);
}

int ScrollBar::Value() const { return bar_->value(); }

void ScrollBar::setMin(int v)
{
    checkRange(v);
    min_ = v;
    applyRange();
}

void ScrollBar::setMax(int v)
{
    checkRange(v);
    max_ = v;
    applyRange();
}

void ScrollBar::setValue(int v)
{
    checkRange(v);
    if (v < std::min(min_, max_) || v > std::max(min_, max_))
        vb::raiseError(vb::ErrInvalidPropertyValue);
    const QScopedValueRollback<bool> programmatic(programmatic_, true);
    bar_->setValue(v);
}

void ScrollBar::setSmallChange(int v)
{
    if (v < 1 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    small_ = v;
    applyRange();
}

void ScrollBar::setLargeChange(int v)
{
    if (v < 1 || v > 32767)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    large_ = v;
    applyRange();
}

} // namespace forms
