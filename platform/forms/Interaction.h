// SPDX-License-Identifier: GPL-2.0-or-later
// What the program asks of the user and tells the user outside its windows: the message box,
// the beep, and the drag the user carries out. Tests put hooks in their place. The state lives
// in the current Program's Interaction; the free functions act on it.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QMimeData;

namespace forms {

class ManualDrag;

// Modal message box; returns the button pressed (1 = OK).
using MsgBoxHook = std::function<int(const QString &prompt, int buttons, const QString &title)>;
// How a started drag is carried out: by default the toolkit's drag. A hook receives the data and
// the allowed effects and returns the effect of the drop (for instance after delivering the data
// to a target as a real drop event).
using DragHook = std::function<int(const QMimeData &data, int allowedEffects)>;

// One program's user interaction. Made by Program; nothing else holds one.
class Interaction
{
public:
    Interaction();
    ~Interaction();
    Interaction(const Interaction &) = delete;
    Interaction &operator=(const Interaction &) = delete;

    const MsgBoxHook &msgBoxHook() const { return msgBoxHook_; }
    void setMsgBoxHook(MsgBoxHook hook) { msgBoxHook_ = std::move(hook); }
    const DragHook &dragHook() const { return dragHook_; }
    void setDragHook(DragHook hook) { dragHook_ = std::move(hook); }
    int beeps() const { return beeps_; }
    void beeped() { ++beeps_; }
    // The manual drag (a control's Drag method) under way, if any.
    ManualDrag &manualDrag();

private:
    MsgBoxHook msgBoxHook_;
    DragHook dragHook_;
    int beeps_ = 0;
    std::unique_ptr<ManualDrag> manualDrag_;
};

int MsgBox(const QString &prompt, int buttons = 0, const QString &title = QString());
void setMsgBoxHook(MsgBoxHook hook);

// The system beep; tests count it.
void Beep();
int beepCount();

} // namespace forms
