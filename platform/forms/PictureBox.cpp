// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/PictureBox.h"

#include "platform/forms/Screen.h"

#include <QFrame>
#include <QPainter>

#include <algorithm>

namespace forms {

namespace {

// The area inside the border: shows the picture at its own size from its top left corner and
// holds the box's child controls, so that they, the mouse and ScaleWidth all count from here.
class PictureArea : public QWidget
{
public:
    using QWidget::QWidget;
    picture::Picture picture;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (picture.isEmpty())
            return;
        QPainter p(this);
        picture.draw(p, QRectF(QPointF(0, 0), QSizeF(picture.pixelSize())));
    }
};

class PictureWidget : public QFrame
{
public:
    PictureWidget() : area(new PictureArea(this))
    {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
    }
    PictureArea *const area;

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QFrame::resizeEvent(e);
        area->setGeometry(contentsRect());
    }
};

PictureWidget *frameOf(const Control &c) { return static_cast<PictureWidget *>(c.widget()); }

} // namespace

PictureBox::PictureBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new PictureWidget, container)
{
    watch(frameOf(*this)->area);
    setBorderStyle(1);
}

QWidget *PictureBox::inner() const { return frameOf(*this)->area; }

void PictureBox::setBorderStyle(int style)
{
    borderStyle_ = style;
    PictureWidget *f = frameOf(*this);
    f->setFrameStyle(style ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    f->setLineWidth(style ? 2 : 0);
    f->area->setGeometry(f->contentsRect());
    sizeToPicture();
}

void PictureBox::setPicture(const picture::Picture &p)
{
    picture_ = p;
    frameOf(*this)->area->picture = p;
    sizeToPicture();
    inner()->update();
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
    width_ = std::min(float(t.width()) + 2 * borderTwips(), kMaxTwips);
    height_ = std::min(float(t.height()) + 2 * borderTwips(), kMaxTwips);
    applyGeometry();
}

void PictureBox::Refresh() { widget()->repaint(); }

} // namespace forms
