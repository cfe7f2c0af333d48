// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/KeyCodes.h"

#include <QKeyEvent>

namespace forms {

int keyCodeOf(const QKeyEvent *e)
{
    const int k = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return k; // same numbers
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return keypad ? 96 + (k - Qt::Key_0) : k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return vbKeyF1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Shift: return vbKeyShift;
    case Qt::Key_Control: return vbKeyControl;
    case Qt::Key_Alt: return vbKeyMenu;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Insert: return vbKeyInsert;
    case Qt::Key_Delete: return vbKeyDelete;
    // The main keyboard's "+" and "-" are other keys than the keypad's.
    case Qt::Key_Plus: return keypad ? vbKeyAdd : 187;
    case Qt::Key_Minus: return keypad ? vbKeySubtract : 189;
    case Qt::Key_Asterisk: return keypad ? 106 : 186;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Comma: return 188;
    default: return 0;
    }
}

int shiftOf(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? vbShiftMask : 0) | (m & Qt::ControlModifier ? vbCtrlMask : 0) |
           (m & Qt::AltModifier ? vbAltMask : 0);
}

int shiftOf(const QKeyEvent *e) { return shiftOf(e->modifiers()); }

} // namespace forms
