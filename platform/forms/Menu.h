// SPDX-License-Identifier: GPL-2.0-or-later
// Menu items: a caption with its access key, Checked, Enabled, Visible, a shortcut and Click.
// A top-level item without children is a command on the menu bar itself.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;

namespace forms {

class Form;

class Menu : public QObject
{
    Q_OBJECT
public:
    // A caption of "-" makes a separator.
    Menu(Form &form, const QString &name, const QString &caption, Menu *parent = nullptr,
         const QKeySequence &shortcut = QKeySequence(), int index = -1);

    QString Name() const { return objectName(); }
    int Index() const { return index_; }
    QString Caption() const { return caption_; }
    void setCaption(const QString &c);
    bool Checked() const { return checked_; }
    void setChecked(bool on);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool Visible() const { return visible_; }
    void setVisible(bool on);
    QAction *action() const { return action_; }
    QMenu *submenu(); // made when the first child is added

    std::function<void()> Click;

private:
    Form &form_;
    Menu *parent_;
    QString caption_;
    int index_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    QAction *action_ = nullptr;
    QMenu *submenu_ = nullptr;
};

} // namespace forms
