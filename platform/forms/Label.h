// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"

class QColor;
class QLabel;

namespace forms {

class Label : public Control
{
    Q_OBJECT
public:
    Label(Form &form, const QString &name, Control *container = nullptr);
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);
    void setAlignment(Qt::Alignment a);
    void setWordWrap(bool on);
    // Repaints the label at once, not at the next pass of the event loop.
    void Refresh();
    // 0 none, 1 a sunken single border.
    void setBorderStyle(int style);
    void setBackColor(const QColor &c);

private:
    QString caption_;
    QLabel *label_;
};

} // namespace forms
