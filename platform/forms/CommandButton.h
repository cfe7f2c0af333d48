// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"

class QPushButton;

namespace forms {

class CommandButton : public Control
{
    Q_OBJECT
public:
    CommandButton(Form &form, const QString &name, Control *container = nullptr);
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);

protected:
    bool clickFromMouse() const override { return false; }

private:
    QString caption_;
    QPushButton *button_;
};

} // namespace forms
