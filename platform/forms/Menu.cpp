// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Menu.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/MenuBar.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace forms {

Menu::Menu(Form &form, const QString &name, const QString &caption, Menu *parent, const QKeySequence &shortcut,
           int index)
    : QObject(&form),
      form_(form),
      parent_(parent),
      caption_(caption),
      index_(index)
{
    setObjectName(name);
    QWidget *owner = parent ? static_cast<QWidget *>(parent->submenu()) : static_cast<QWidget *>(form.menuBar());
    // A separator's caption names it only: a separator with a text is drawn as a titled
    // section, the "-" showing at its left.
    const bool separator = caption == QLatin1String("-");
    action_ = new QAction(separator ? QString() : caption, owner);
    action_->setSeparator(separator);
    if (!shortcut.isEmpty()) {
        action_->setShortcut(shortcut);
        action_->setShortcutContext(Qt::WindowShortcut);
    }
    owner->addAction(action_);
    // Shortcuts of items in closed menus fire only when the window itself knows the action.
    form.window()->addAction(action_);
    QObject::connect(action_, &QAction::triggered, this, [this] {
        // Checked belongs to the program, not to the click.
        if (action_->isCheckable())
            action_->setChecked(checked_);
        if (Click)
            runEvent(Click);
    });
}

QMenu *Menu::submenu()
{
    if (!submenu_) {
        submenu_ = new QMenu(caption_, form_.window());
        action_->setMenu(submenu_);
    }
    return submenu_;
}

void Menu::setCaption(const QString &c)
{
    caption_ = c;
    action_->setText(action_->isSeparator() ? QString() : c);
    if (submenu_)
        submenu_->setTitle(c);
}

void Menu::setChecked(bool on)
{
    checked_ = on;
    action_->setCheckable(on || action_->isCheckable());
    action_->setChecked(on);
}

void Menu::setEnabled(bool on)
{
    enabled_ = on;
    action_->setEnabled(on);
}

void Menu::setVisible(bool on)
{
    visible_ = on;
    action_->setVisible(on);
}

} // namespace forms
