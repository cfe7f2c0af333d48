// SPDX-License-Identifier: GPL-2.0-or-later
// What a drop into another program did. On X the toolkit's drag ends with what the target's
// last drag-over answered; whether its drop then took the data comes afterwards, in the
// target's XdndFinished message (XDND 5: an "accepted" flag). A drag source that removes what
// it handed over waits for that message, so that a drop refused after all leaves the data with
// its source.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGlobal>

namespace forms {

class DropOutcome : public QAbstractNativeEventFilter
{
public:
    // Starts watching for the message (on X only; elsewhere it does nothing).
    DropOutcome();
    ~DropOutcome() override;
    DropOutcome(const DropOutcome &) = delete;
    DropOutcome &operator=(const DropOutcome &) = delete;

    // The action a drag ended with: for a target in another program, none when its finished
    // message says the drop was not accepted. The message is waited for up to boundMs while
    // events run; without one the action stays as the drag-over left it.
    Qt::DropAction settle(Qt::DropAction action, bool targetInThisProgram, int boundMs);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    quint32 finishedAtom_ = 0;
    bool finished_ = false;
    bool accepted_ = false;
};

} // namespace forms
