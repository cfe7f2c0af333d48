// SPDX-License-Identifier: GPL-2.0-or-later
// The window layer's own: the manual drag that a control's Drag method starts.
#pragma once

#include "platform/forms/Control.h"

#include <QObject>
#include <QPointer>

namespace forms {

// The manual drag under way: while it lasts, the pointer's moves and the release go to the
// drag, wherever the window system delivers them (the source holds the mouse grab, but a
// synthetic event, or a platform without grabs, may deliver them elsewhere).
class ManualDrag : public QObject
{
public:
    QPointer<Control> source;
    QPointer<Control> over; // the control the pointer was over last

    void begin(Control *c);
    Control *end();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace forms
