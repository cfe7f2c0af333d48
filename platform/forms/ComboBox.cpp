#include "platform/forms/ComboBox.h"

#include "platform/forms/Forms.h"
#include "platform/vb/vb.h"

#include <QComboBox>
#include <QLineEdit>

namespace forms {

ComboBox::ComboBox(Form &form, const QString &name, Control *container)
    : Control(form, name, new QComboBox, container)
{
    combo_ = static_cast<QComboBox *>(widget());
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setFont(uiFont(9));
    watch(combo_->lineEdit());
    QObject::connect(combo_, &QComboBox::activated, this, [this](int index) {
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
