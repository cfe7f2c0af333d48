// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Forms.h"

#include "platform/forms/Form.h"
#include "platform/forms/Program.h"

#include <QApplication>
#include <QMainWindow>

#include <algorithm>

namespace forms {

Forms::Forms() = default;
Forms::~Forms()
{
    Program::current().loop().forgetForms(this);
    // Windows the program made and left loaded go with it.
    const std::vector<QPointer<Form>> owned = owned_;
    for (const QPointer<Form> &f : owned)
        delete f.data();
    collectGarbage();
}

suite_link::LinkServer *Forms::linkServer()
{
    if (!serverTried_) {
        serverTried_ = true;
        auto server = std::make_unique<suite_link::LinkServer>(linkApplication_);
        if (server->listen())
            server_ = std::move(server);
        else
            linkError_ = server->errorString();
    }
    return server_.get();
}

Form *Forms::find(const QString &name) const
{
    for (Form *f : loaded_)
        if (f->Name() == name)
            return f;
    return nullptr;
}

Form *Forms::active() const
{
    QWidget *w = QApplication::activeWindow();
    for (Form *f : loaded_)
        if (f->window() == w)
            return f;
    return nullptr;
}

void Forms::add(Form *f)
{
    if (std::find(loaded_.begin(), loaded_.end(), f) == loaded_.end())
        loaded_.push_back(f);
}

void Forms::adopt(Form *f)
{
    if (!adopted(f))
        owned_.emplace_back(f);
}

bool Forms::adopted(const Form *f) const
{
    return std::any_of(owned_.begin(), owned_.end(), [f](const QPointer<Form> &o) { return o.data() == f; });
}

void Forms::forget(Form *f) { loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), f), loaded_.end()); }

void Forms::disown(Form *f)
{
    owned_.erase(std::remove_if(owned_.begin(), owned_.end(),
                                [f](const QPointer<Form> &o) { return o.isNull() || o.data() == f; }),
                 owned_.end());
}

void Forms::remove(Form *f)
{
    const auto at = std::find(loaded_.begin(), loaded_.end(), f);
    if (at == loaded_.end())
        return;
    loaded_.erase(at);
    Program::current().loop().unloadedFrom(this);
}

void Forms::afterUnload()
{
    if (endWhenNothingShows_ && !loaded_.empty()) {
        const bool shows = std::any_of(loaded_.begin(), loaded_.end(), [](const Form *f) { return f->Visible(); });
        if (!shows) {
            // Nothing could ever show these again: they go with the last window the user saw.
            const std::vector<Form *> hidden = loaded_;
            for (Form *f : hidden)
                runEvent([f] { f->Unload(vbAppWindows); });
        }
    }
    if (loaded_.empty())
        Program::current().loop().finish();
}

} // namespace forms
