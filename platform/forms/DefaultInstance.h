// SPDX-License-Identifier: GPL-2.0-or-later
// What the program's name for a window refers to: its default instance. The first use makes it;
// once it has been unloaded, the next use makes a fresh one in its design state (the old one
// goes when no handler runs any more). The collection of windows owns every instance.
#pragma once

#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"

#include <QPointer>

#include <functional>
#include <utility>

namespace forms {

template <class F>
class DefaultInstance
{
public:
    DefaultInstance(Forms &forms, std::function<F *()> make) : forms_(forms), make_(std::move(make)) {}

    // The instance, made afresh when there is none or the last one was unloaded. Not loaded:
    // the caller loads it where the program would (by reading a property, Load or Show).
    F &get()
    {
        if (current_.isNull() || current_->wasUnloaded()) {
            current_ = make_();
            forms_.adopt(current_.data());
        }
        return *current_;
    }
    F &operator*() { return get(); }
    F *operator->() { return &get(); }
    // The instance as it is, without making one: null when none exists.
    F *peek() const { return current_.data(); }

private:
    Forms &forms_;
    std::function<F *()> make_;
    QPointer<F> current_;
};

} // namespace forms
