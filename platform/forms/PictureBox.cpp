#include "platform/forms/PictureBox.h"

#include "platform/forms/Forms.h"

#include <QFrame>
#include <QPainter>

namespace forms {

namespace {

class PictureWidget : public QFrame
{
public:
    explicit PictureWidget(const picture::Picture *pic) : pic_(pic)
    {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QFrame::paintEvent(e);
        if (pic_->isEmpty())
            return;
        QPainter p(this);
        const QRect inside = contentsRect();
        p.setClipRect(inside);
        const QSize natural = pic_->pixelSize();
        pic_->draw(p, QRectF(inside.topLeft(), QSizeF(natural)));
    }

private:
    const picture::Picture *pic_;
};

} // namespace

PictureBox::PictureBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new PictureWidget(&picture_), container)
{
    setBorderStyle(1);
}

QWidget *PictureBox::inner() const { return widget(); }

void PictureBox::setBorderStyle(int style)
{
    borderStyle_ = style;
    auto *f = static_cast<QFrame *>(widget());
    f->setFrameStyle(style ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    f->setLineWidth(style ? 2 : 0);
    sizeToPicture();
}

void PictureBox::setPicture(const picture::Picture &p)
{
    picture_ = p;
    sizeToPicture();
    widget()->update();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    sizeToPicture();
}

void PictureBox::sizeToPicture()
{
    // An empty picture leaves the box as it is.
    if (!autoSize_ || picture_.isEmpty())
        return;
    const QSizeF t = picture_.twipsSize();
    width_ = float(t.width()) + 2 * borderTwips();
    height_ = float(t.height()) + 2 * borderTwips();
    applyGeometry();
}

void PictureBox::Refresh() { widget()->repaint(); }

} // namespace forms
