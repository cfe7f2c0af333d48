// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/forms/Control.h"

class QComboBox;

namespace forms {

// An editable combo box with a drop-down list.
class ComboBox : public Control
{
    Q_OBJECT
public:
    ComboBox(Form &form, const QString &name, Control *container = nullptr);
    QString Text() const;
    void setText(const QString &t);
    void AddItem(const QString &item);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    QString List(int index) const;
    // The entry the text shows, -1 when the text is no entry's; setting it raises Click.
    int ListIndex() const;
    void setListIndex(int index);

    std::function<void()> Change;

private:
    QComboBox *combo_;
    int chosen_ = -1;
};

} // namespace forms
