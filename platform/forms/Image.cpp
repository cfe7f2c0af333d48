// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Image.h"

#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QPainter>
#include <QWidget>

namespace forms {

namespace {

class ImageWidget : public QWidget
{
public:
    explicit ImageWidget(const Image *owner) : owner_(owner) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        owner_->paint(p, size());
    }

private:
    const Image *owner_; // owns this widget
};

// A picture read from a file is let go once its scaled copy exists when it has this many times
// the copy's pixels or more.
constexpr qint64 kLetGoFactor = 4;

} // namespace

Image::Image(Form &form, const QString &name, Control *container, int index)
    : Control(form, name, new ImageWidget(this), container, index)
{}

picture::Picture Image::Picture() const
{
    if (!picture_.isEmpty() || source_.isEmpty())
        return picture_;
    try {
        return picture::loadPicture(source_);
    } catch (const vb::RuntimeError &) {
        // The file changed or went away since: the copy is all that is left.
        return picture::Picture::fromImage(scaled_);
    }
}

void Image::setPicture(const picture::Picture &p)
{
    picture_ = p;
    source_.clear();
    scaled_ = QImage();
    if (!stretch_ && !p.isEmpty()) {
        const QSizeF t = p.twipsSize();
        width_ = std::min(float(t.width()), kMaxTwips);
        height_ = std::min(float(t.height()), kMaxTwips);
        Control::applyGeometry();
    }
    letGoOfLargePicture();
    widget()->update();
}

void Image::setStretch(bool on)
{
    stretch_ = on;
    if (!on && picture_.isEmpty() && !source_.isEmpty())
        picture_ = Picture(); // at its own size again: the whole picture is wanted
    letGoOfLargePicture();
    widget()->update();
}

void Image::copyDesign(const Control &from)
{
    const auto &other = static_cast<const Image &>(from);
    Control::copyDesign(from); // the size first: the copy below fits it
    stretch_ = other.stretch_;
    picture_ = other.picture_;
    source_ = other.source_;
    scaled_ = other.scaled_;
}

void Image::applyGeometry()
{
    const QSize before = widget()->size();
    Control::applyGeometry();
    if (widget()->size() != before && picture_.isEmpty() && !source_.isEmpty()) {
        // The copy no longer fits: make a new one from the file, then let go again.
        picture_ = Picture();
        source_.clear();
        scaled_ = QImage();
        letGoOfLargePicture();
    }
}

void Image::letGoOfLargePicture()
{
    if (!stretch_ || picture_.isEmpty() || picture_.kind() == picture::Kind::Metafile ||
        picture_.kind() == picture::Kind::EnhMetafile || picture_.sourcePath().isEmpty())
        return;
    const QSize target = widget()->size();
    const QSize natural = picture_.pixelSize();
    if (target.isEmpty() ||
        qint64(natural.width()) * natural.height() < kLetGoFactor * target.width() * target.height())
        return;
    scaledTo(target);
    if (scaled_.isNull())
        return;
    source_ = picture_.sourcePath();
    picture_ = picture::Picture();
}

const QImage &Image::scaledTo(const QSize &size) const
{
    if (scaled_.size() != size && !picture_.isEmpty())
        scaled_ = picture_.toImage(size);
    return scaled_;
}

void Image::paint(QPainter &p, const QSize &size) const
{
    if (!stretch_) {
        if (!picture_.isEmpty())
            picture_.draw(p, QRectF(QPointF(0, 0), QSizeF(picture_.pixelSize())));
        return;
    }
    const QImage &img = scaledTo(size);
    if (img.isNull())
        return;
    if (img.size() == size)
        p.drawImage(QPointF(0, 0), img);
    else
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), img); // a copy of a picture that was let go
}

} // namespace forms
