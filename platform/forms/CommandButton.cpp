// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/CommandButton.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"

#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace forms {

namespace {

// The system's button gives its caption the whole face: a caption about as wide as the button
// shows whole, where the toolkit's label keeps its margins and cuts the caption at both ends.
// This one draws the face as the style does and the caption over it, narrowed to fit if even
// the whole face is too small for it (another font than the one the window was laid out for).
class Button : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        p.drawControl(QStyle::CE_PushButtonBevel, opt);

        const int shift = isDown() ? 1 : 0;
        const QRect face = rect().adjusted(3 + shift, 2 + shift, -3 + shift, -2 + shift);
        QFont f = font();
        const int need = QFontMetrics(f).size(Qt::TextShowMnemonic, caption).width();
        if (need > face.width() && need > 0) {
            f.setStretch(std::max(50, 100 * face.width() / need));
            p.setFont(f);
        }
        style()->drawItemText(&p, face, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), caption,
                              QPalette::ButtonText);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect().adjusted(3, 3, -3, -3);
            p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
};

} // namespace

CommandButton::CommandButton(Form &form, const QString &name, Control *container)
    : Control(form, name, new Button, container)
{
    button_ = static_cast<QPushButton *>(widget());
    button_->setFont(uiFont(9));
    button_->setAutoDefault(false);
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
