// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"

class QScrollBar;

namespace forms {

// Horizontal and vertical scroll bars with the run time's 16-bit range and steps.
class ScrollBar : public Control
{
    Q_OBJECT
public:
    ScrollBar(Form &form, const QString &name, Qt::Orientation orientation, Control *container = nullptr);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const;
    int SmallChange() const { return small_; }
    int LargeChange() const { return large_; }
    // Values outside -32768..32767, a value outside Min..Max and a step below 1 raise 380.
    void setMin(int v);
    void setMax(int v);
    void setValue(int v);
    void setSmallChange(int v);
    void setLargeChange(int v);

    std::function<void()> Change;
    std::function<void()> Scroll; // while the thumb is dragged

private:
    void applyRange();
    QScrollBar *bar_;
    int min_ = 0, max_ = 32767, small_ = 1, large_ = 1;
    bool programmatic_ = false;
};

} // namespace forms
