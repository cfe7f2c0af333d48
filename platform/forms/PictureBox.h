// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"
#include "platform/picture/picture.h"

#include <algorithm>

namespace forms {

// A picture box: shows its picture at the top left at the picture's own size, sizes itself to
// it when AutoSize is on, and can hold other controls.
class PictureBox : public Control
{
    Q_OBJECT
public:
    PictureBox(Form &form, const QString &name, Control *container = nullptr);
    const picture::Picture &Picture() const { return picture_; }
    void setPicture(const picture::Picture &p);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // 0 none, 1 fixed single (a 2-pixel sunken border on each side).
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);
    float borderTwips() const { return borderStyle_ ? 30.0f : 0.0f; }
    float ScaleWidth() const { return std::max(0.0f, width_ - 2 * borderTwips()); }
    float ScaleHeight() const { return std::max(0.0f, height_ - 2 * borderTwips()); }
    QWidget *inner() const override;
    void Refresh();

private:
    void sizeToPicture();
    picture::Picture picture_;
    bool autoSize_ = false;
    int borderStyle_ = 1;
};

} // namespace forms
