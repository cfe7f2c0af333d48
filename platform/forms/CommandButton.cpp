#include "platform/forms/CommandButton.h"

#include "platform/forms/Forms.h"

#include <QPushButton>

namespace forms {

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new QPushButton, container)
{
    button_ = static_cast<QPushButton *>(widget());
    button_->setFont(uiFont(9));
    button_->setAutoDefault(false);
    // The windows were laid out for buttons that give their caption the whole face.
    button_->setStyleSheet(QStringLiteral("QPushButton { padding: 0px 1px; }"));
    QObject::connect(button_, &QPushButton::clicked, this, [this] {
        if (Click)
            runEvent(Click);
    });
}

void CommandButton::setCaption(const QString &c)
{
    caption_ = c;
    button_->setText(c);
}

} // namespace forms
