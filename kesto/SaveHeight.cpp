// SPDX-License-Identifier: GPL-2.0-or-later
#include "kesto/SaveHeight.h"

#include "platform/forms/Control.h"
#include "platform/vb/vb.h"

namespace kesto {

void SaveHeight::Save(std::initializer_list<forms::Control *> oCtrl)
{
    for (forms::Control *c : oCtrl) {
        if (Count >= kSlots)
            vb::raiseError(vb::ErrSubscript);
        const auto i = static_cast<size_t>(Count);
        top_[i] = c->Top();
        height_[i] = c->Height();
        ctrl_[i] = c;
        ++Count;
    }
}

void SaveHeight::Restore()
{
    for (int i = 0; i < Count; ++i) {
        try {
            ctrl_[size_t(i)]->setTop(top_[size_t(i)]);
            ctrl_[size_t(i)]->setHeight(height_[size_t(i)]);
        } catch (const vb::RuntimeError &) {
            // A size the control no longer takes: the others are restored all the same.
        }
    }
}

void SaveHeight::SetVisible(bool vFlag)
{
    for (int i = 0; i < Count; ++i)
        ctrl_[size_t(i)]->setVisible(vFlag);
}

} // namespace kesto
