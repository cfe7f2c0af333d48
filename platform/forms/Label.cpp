// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Label.h"

#include "platform/forms/Screen.h"

#include <QLabel>

namespace forms {

Label::Label(Form &form, const QString &name, Control *container) : Control(form, name, new QLabel, container)
{
    label_ = static_cast<QLabel *>(widget());
    label_->setFont(uiFont(9));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Label::setCaption(const QString &c)
{
    caption_ = c;
    label_->setText(c);
}

void Label::setAlignment(Qt::Alignment a) { label_->setAlignment(a); }
void Label::setWordWrap(bool on) { label_->setWordWrap(on); }
void Label::Refresh() { label_->repaint(); }

void Label::setBorderStyle(int style)
{
    label_->setFrameStyle(style ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    label_->setLineWidth(style ? 1 : 0);
}

void Label::setBackColor(const QColor &c)
{
    QPalette p = label_->palette();
    p.setColor(QPalette::Window, c);
    label_->setPalette(p);
    label_->setAutoFillBackground(true);
}

} // namespace forms
