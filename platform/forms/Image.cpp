#include "platform/forms/Image.h"

#include "platform/forms/Forms.h"

#include <QPainter>
#include <QWidget>

namespace forms {

namespace {

class ImageWidget : public QWidget
{
public:
    ImageWidget(const picture::Picture *pic, const bool *stretch) : pic_(pic), stretch_(stretch) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (pic_->isEmpty())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (*stretch_)
            pic_->draw(p, QRectF(rect()));
        else
            pic_->draw(p, QRectF(QPointF(0, 0), QSizeF(pic_->pixelSize())));
    }

private:
    const picture::Picture *pic_;
    const bool *stretch_;
};

} // namespace

Image::Image(Form &form, const QString &name, Control *container, int index)
    : Control(form, name, new ImageWidget(&picture_, &stretch_), container, index)
{
}

void Image::setPicture(const picture::Picture &p)
{
    picture_ = p;
    if (!stretch_ && !p.isEmpty()) {
        const QSizeF t = p.twipsSize();
        width_ = float(t.width());
        height_ = float(t.height());
        applyGeometry();
    }
    widget()->update();
}

void Image::setStretch(bool on)
{
    stretch_ = on;
    widget()->update();
}

} // namespace forms
