// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/ComboBox.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

namespace forms {

namespace {

// Notes a choice made in the drop-down list (a click on an entry, or Enter on one), which the
// box then reports as activated. The box also reports its edit field's Enter and loss of focus
// as activated when the text matches an entry; those are no choice.
class ChoiceWatcher : public QObject
{
public:
    explicit ChoiceWatcher(QComboBox *combo) : view_(combo->view()), viewport_(combo->view()->viewport())
    {
        view_->installEventFilter(this);
        viewport_->installEventFilter(this);
    }
    bool pending = false;

protected:
    // Looks at nothing but the two widgets it watches: while the box is being destroyed its
    // children still send events here, and the box itself is gone by then.
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonRelease && watched == viewport_ && view_) {
            const auto *me = static_cast<QMouseEvent *>(e);
            const QModelIndex at = view_->indexAt(me->position().toPoint());
            pending = at.isValid() && (at.flags() & Qt::ItemIsEnabled);
        } else if (e->type() == QEvent::KeyPress && watched == view_) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select)
                pending = view_->currentIndex().isValid();
        }
        return false;
    }

private:
    QPointer<QAbstractItemView> view_;
    QPointer<QWidget> viewport_;
};

} // namespace

ComboBox::ComboBox(Form &form, const QString &name, Control *container) : Control(form, name, new QComboBox, container)
{
    combo_ = static_cast<QComboBox *>(widget());
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // The system's combo box completes nothing, and its entries match typed text exactly.
    combo_->setCompleter(nullptr);
    combo_->setFont(uiFont(9));
    watch(combo_->lineEdit());
    auto *choice = new ChoiceWatcher(combo_);
    choice->setParent(combo_);
    QObject::connect(combo_, &QComboBox::activated, this, [this, choice](int index) {
        const bool chosen = choice->pending;
        choice->pending = false;
        if (!chosen)
            return;
        chosen_ = index;
        if (Click)
            runEvent(Click);
    });
    QObject::connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] {
        chosen_ = -1;
        if (Change)
            runEvent(Change);
    });
}

QString ComboBox::Text() const { return combo_->currentText(); }

void ComboBox::setText(const QString &t)
{
    if (t == Text())
        return;
    combo_->setEditText(t);
    chosen_ = -1;
    if (Change)
        Change();
}

void ComboBox::AddItem(const QString &item)
{
    // Adding to an empty editable box would make the new entry its text; the text stays.
    const QString keep = Text();
    combo_->addItem(item);
    combo_->setEditText(keep);
}

void ComboBox::RemoveItem(int index)
{
    if (index < 0 || index >= combo_->count())
        vb::raiseError(vb::ErrInvalidCall);
    const QString keep = Text();
    combo_->removeItem(index);
    combo_->setEditText(keep);
    chosen_ = -1;
}

void ComboBox::Clear()
{
    const QString keep = Text();
    combo_->clear();
    combo_->setEditText(keep);
    chosen_ = -1;
}

int ComboBox::ListCount() const { return combo_->count(); }

QString ComboBox::List(int index) const
{
    return index >= 0 && index < combo_->count() ? combo_->itemText(index) : QString();
}

int ComboBox::ListIndex() const
{
    if (chosen_ >= 0 && chosen_ < combo_->count() && combo_->itemText(chosen_) == Text())
        return chosen_;
    return -1;
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= combo_->count())
        vb::raiseError(vb::ErrInvalidPropertyValue);
    chosen_ = index;
    if (index >= 0)
        combo_->setEditText(combo_->itemText(index));
    if (Click)
        Click();
}

} // namespace forms
