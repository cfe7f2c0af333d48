// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/DropOutcome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace forms {

DropOutcome::DropOutcome()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    static const char name[] = "XdndFinished";
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr);
    if (!reply)
        return;
    finishedAtom_ = reply->atom;
    std::free(reply);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

DropOutcome::~DropOutcome()
{
    if (finishedAtom_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool DropOutcome::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *e = static_cast<const xcb_generic_event_t *>(message);
    if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *m = static_cast<const xcb_client_message_event_t *>(message);
    if (m->type == finishedAtom_ && m->format == 32) {
        finished_ = true;
        accepted_ = (m->data.data32[1] & 1) != 0;
    }
    return false; // the toolkit keeps its own bookkeeping of the message
}

Qt::DropAction DropOutcome::settle(Qt::DropAction action, bool targetInThisProgram, int boundMs)
{
    if (!finishedAtom_ || targetInThisProgram || action == Qt::IgnoreAction)
        return action;
    const QDeadlineTimer deadline(boundMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished_ || deadline.hasExpired())
            loop.quit();
    });
    poll.start(10);
    if (!finished_)
        loop.exec();
    if (!finished_)
        return action;
    return accepted_ ? action : Qt::IgnoreAction;
}

} // namespace forms
