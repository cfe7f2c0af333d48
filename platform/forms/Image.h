#pragma once

#include "platform/forms/Control.h"
#include "platform/picture/picture.h"

namespace forms {

// An image control: a picture without a border, stretched to the control when Stretch is on.
class Image : public Control
{
    Q_OBJECT
public:
    Image(Form &form, const QString &name, Control *container = nullptr, int index = -1);
    const picture::Picture &Picture() const { return picture_; }
    void setPicture(const picture::Picture &p);
    bool Stretch() const { return stretch_; }
    void setStretch(bool on);

private:
    picture::Picture picture_;
    bool stretch_ = false;
};

} // namespace forms
