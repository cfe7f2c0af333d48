// SPDX-License-Identifier: GPL-2.0-or-later
// Key codes and shift states as the programs' key handlers receive them (the system's
// virtual-key numbers: 13 Enter, 27 Esc, 65 A, 107 keypad +, ...).
#pragma once

#include <Qt>

class QKeyEvent;

namespace forms {

enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyA = 65,
    vbKeyC = 67,
    vbKeyD = 68,
    vbKeyR = 82,
    vbKeyAdd = 107,
    vbKeySubtract = 109,
    vbKeyF1 = 112,
};

// Shift-state bits of key and mouse events.
enum ShiftBits : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// The virtual-key number of a key event, 0 when the key has none.
int keyCodeOf(const QKeyEvent *e);
// The shift-state bits of keyboard modifiers, of a key event's modifiers.
int shiftOf(Qt::KeyboardModifiers m);
int shiftOf(const QKeyEvent *e);

} // namespace forms
