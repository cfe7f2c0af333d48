#pragma once

#include "platform/forms/Control.h"

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

private:
    QString caption_;
    QLabel *label_;
};

} // namespace forms
