// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"
#include "platform/picture/picture.h"

#include <QImage>

class QPainter;

namespace forms {

// An image control: a picture without a border, at its own size (the control takes it), or
// stretched to the control when Stretch is on.
//
// A stretched picture is painted from a copy scaled to the control, made once per size. A large
// picture read from a file is not kept at all once that copy exists: Picture() reads the file
// again when the whole picture is wanted (printing, the clipboard), so that a board of small
// copies of large photos holds no more than the copies.
class Image : public Control
{
    Q_OBJECT
public:
    Image(Form &form, const QString &name, Control *container = nullptr, int index = -1);
    // The whole picture.
    picture::Picture Picture() const;
    void setPicture(const picture::Picture &p);
    bool hasPicture() const { return !picture_.isEmpty() || !source_.isEmpty(); }
    bool Stretch() const { return stretch_; }
    void setStretch(bool on);
    void copyDesign(const Control &from) override;

    // Whether the whole picture is held in memory (tests).
    bool holdsWholePicture() const { return !picture_.isEmpty(); }
    // Paints the control's face on a widget of this size.
    void paint(QPainter &p, const QSize &size) const;

private:
    void applyGeometry() override;
    const QImage &scaledTo(const QSize &size) const;
    void letGoOfLargePicture();

    picture::Picture picture_;
    QString source_; // the file of a picture that was let go
    bool stretch_ = false;
    mutable QImage scaled_; // the picture at the control's size in pixels
};

} // namespace forms
