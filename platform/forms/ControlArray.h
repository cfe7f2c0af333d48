// SPDX-License-Identifier: GPL-2.0-or-later
// A control array: controls of one kind under one name, told apart by their index, as the
// program indexes them. Element 0 is made with the window; Load makes further elements from
// element 0 (its place, size and properties, hidden), Unload removes them again. Every element's
// events reach the array's handlers with the element's index.
#pragma once

#include "platform/forms/Control.h"
#include "platform/forms/EventLoop.h"
#include "platform/vb/vb.h"

#include <QPointer>

#include <functional>
#include <map>

namespace forms {

class Form;

template <class C>
class ControlArray
{
public:
    ControlArray(Form &form, const QString &name, Control *container = nullptr)
        : form_(form),
          name_(name),
          container_(container)
    {
        make(0);
    }
    ~ControlArray()
    {
        for (auto &e : elements_)
            delete e.second.data();
    }
    ControlArray(const ControlArray &) = delete;
    ControlArray &operator=(const ControlArray &) = delete;

    QString Name() const { return name_; }
    // The element with this index; error 340 when there is none.
    C &operator()(int index) const
    {
        const auto it = elements_.find(index);
        if (it == elements_.end() || it->second.isNull())
            vb::raiseError(vb::ErrNoSuchElement);
        return *it->second;
    }
    bool exists(int index) const { return elements_.count(index) != 0; }
    int Count() const { return int(elements_.size()); }
    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int UBound() const { return elements_.empty() ? 0 : elements_.rbegin()->first; }
    // The indexes of the elements, ascending.
    std::vector<int> indexes() const
    {
        std::vector<int> out;
        for (const auto &e : elements_)
            out.push_back(e.first);
        return out;
    }

    // Makes element index from element 0; error 360 when it exists, 340 when element 0 is gone.
    C &Load(int index)
    {
        if (exists(index))
            vb::raiseError(vb::ErrAlreadyLoaded);
        if (index < 0 || index > 32767)
            vb::raiseError(vb::ErrInvalidPropertyValue);
        const C &model = (*this)(0);
        C &added = make(index);
        added.copyDesign(model);
        return added;
    }
    // Removes element index (not element 0, which the window made: error 362). Its widget goes
    // at once from the screen, the control itself once no handler runs any more.
    void Unload(int index)
    {
        if (index == 0)
            vb::raiseError(vb::ErrDesignElement);
        C &gone = (*this)(index);
        elements_.erase(index);
        gone.setVisible(false);
        destroyLater(&gone);
    }

    std::function<void(int index)> Click;
    std::function<void(int index)> DblClick;
    std::function<void(int index, int button, int shift, float x, float y)> MouseDown;
    std::function<void(int index, int button, int shift, float x, float y)> MouseUp;
    std::function<void(int index, int &keyCode, int shift)> KeyDown;
    std::function<void(int index, int &keyAscii)> KeyPress;
    std::function<void(int index, Control &source, float x, float y)> DragDrop;
    std::function<void(int index, Control &source, float x, float y, int state)> DragOver;
    std::function<void(int index, DataObject &data, int &allowedEffects)> OLEStartDrag;
    std::function<void(int index, int &effect)> OLECompleteDrag;

private:
    C &make(int index)
    {
        auto *c = new C(form_, name_, container_, index);
        elements_[index] = c;
        c->Click = [this, index] {
            if (Click)
                Click(index);
        };
        c->DblClick = [this, index] {
            if (DblClick)
                DblClick(index);
        };
        c->MouseDown = [this, index](int b, int s, float x, float y) {
            if (MouseDown)
                MouseDown(index, b, s, x, y);
        };
        c->MouseUp = [this, index](int b, int s, float x, float y) {
            if (MouseUp)
                MouseUp(index, b, s, x, y);
        };
        c->KeyDown = [this, index](int &k, int s) {
            if (KeyDown)
                KeyDown(index, k, s);
        };
        c->KeyPress = [this, index](int &k) {
            if (KeyPress)
                KeyPress(index, k);
        };
        c->DragDrop = [this, index](Control &s, float x, float y) {
            if (DragDrop)
                DragDrop(index, s, x, y);
        };
        c->DragOver = [this, index](Control &s, float x, float y, int st) {
            if (DragOver)
                DragOver(index, s, x, y, st);
        };
        c->OLEStartDrag = [this, index](DataObject &d, int &e) {
            if (OLEStartDrag)
                OLEStartDrag(index, d, e);
        };
        c->OLECompleteDrag = [this, index](int &e) {
            if (OLECompleteDrag)
                OLECompleteDrag(index, e);
        };
        return *c;
    }

    Form &form_;
    QString name_;
    Control *container_;
    std::map<int, QPointer<C>> elements_;
};

} // namespace forms
