// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"

namespace forms {

// A line drawn on the form from (X1, Y1) to (X2, Y2).
class Line : public Control
{
    Q_OBJECT
public:
    Line(Form &form, const QString &name, float x1, float y1, float x2, float y2, Control *container = nullptr);
    float X1() const { return x1_; }
    float Y1() const { return y1_; }
    float X2() const { return x2_; }
    float Y2() const { return y2_; }
    void setX1(float v);
    void setY1(float v);
    void setX2(float v);
    void setY2(float v);

private:
    void placeWidget();
    float x1_, y1_, x2_, y2_;
};

} // namespace forms
