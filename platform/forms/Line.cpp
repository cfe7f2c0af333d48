// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Line.h"

#include "platform/forms/Screen.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace forms {

namespace {

class LineWidget : public QWidget
{
public:
    LineWidget() { setAttribute(Qt::WA_TransparentForMouseEvents); }
    QLine line;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.drawLine(line);
    }
};

} // namespace

Line::Line(Form &form, const QString &name, float x1, float y1, float x2, float y2, Control *container)
    : Control(form, name, new LineWidget, container),
      x1_(x1),
      y1_(y1),
      x2_(x2),
      y2_(y2)
{
    placeWidget();
}

void Line::setX1(float v)
{
    x1_ = v;
    placeWidget();
}
void Line::setY1(float v)
{
    y1_ = v;
    placeWidget();
}
void Line::setX2(float v)
{
    x2_ = v;
    placeWidget();
}
void Line::setY2(float v)
{
    y2_ = v;
    placeWidget();
}

void Line::placeWidget()
{
    left_ = std::min(x1_, x2_);
    top_ = std::min(y1_, y2_);
    width_ = std::abs(x2_ - x1_);
    height_ = std::abs(y2_ - y1_);
    const QPoint a(toPixels(x1_), toPixels(y1_)), b(toPixels(x2_), toPixels(y2_));
    const QRect box = QRect(a, b).normalized().adjusted(0, 0, 1, 1);
    auto *w = static_cast<LineWidget *>(widget());
    w->setGeometry(box);
    w->line = QLine(a - box.topLeft(), b - box.topLeft());
    w->update();
}

} // namespace forms
