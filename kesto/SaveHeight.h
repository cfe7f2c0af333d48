// SPDX-License-Identifier: GPL-2.0-or-later
// The remembered tops and heights of the main window's controls, so that the drop-only view can
// be left without losing the panels' places.
#pragma once

#include <QtGlobal>

#include <array>
#include <initializer_list>

namespace forms {
class Control;
}

namespace kesto {

class SaveHeight
{
public:
    static constexpr int kSlots = 21; // 0 To 20

    // Remembers each control's top and height in the next slots; a slot beyond 20 raises
    // error 9 and remembers no more.
    void Save(std::initializer_list<forms::Control *> oCtrl);
    // Puts the remembered tops and heights back; a control that refuses is passed over.
    void Restore();
    void SetVisible(bool vFlag);

    qint16 Count = 0;

private:
    std::array<float, kSlots> top_{};
    std::array<float, kSlots> height_{};
    std::array<forms::Control *, kSlots> ctrl_{};
};

} // namespace kesto
