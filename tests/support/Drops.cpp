// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/Drops.h"

#include <QApplication>
#include <QDropEvent>
#include <QUrl>
#include <QWidget>

namespace droptest {

std::unique_ptr<QMimeData> fileManagerData(const QStringList &paths)
{
    auto m = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QString text;
    for (const QString &p : paths) {
        urls << QUrl::fromLocalFile(p);
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + p;
    }
    m->setUrls(urls);
    m->setText(text);
    return m;
}

std::unique_ptr<QMimeData> editorText(const QString &text)
{
    auto m = std::make_unique<QMimeData>();
    m->setText(text);
    return m;
}

// The widget that takes drops at a point of widget's window, as the window system finds it.
static QWidget *targetAt(QWidget *widget, QPoint at, QPoint *local)
{
    if (at.x() < 0)
        at = widget->rect().center();
    QWidget *top = widget->window();
    const QPoint inTop = widget->mapTo(top, at);
    QWidget *w = top->childAt(inTop);
    if (!w)
        w = top;
    while (w && !w->acceptDrops() && !w->isWindow())
        w = w->parentWidget();
    if (!w || !w->acceptDrops())
        return nullptr;
    *local = w->mapFrom(top, inTop);
    return w;
}

static Outcome over(QWidget *target, QPoint local, const QMimeData &data, Qt::DropActions offered,
                    Qt::KeyboardModifiers keys, Qt::MouseButtons buttons)
{
    Outcome o;
    QDragEnterEvent enter(local, offered, &data, buttons, keys);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return o;
    QDragMoveEvent move(local, offered, &data, buttons, keys);
    move.setDropAction(enter.dropAction());
    QApplication::sendEvent(target, &move);
    o.overAccepted = move.isAccepted();
    o.overAction = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    return o;
}

Outcome dropOn(QWidget *widget, const QMimeData &data, Qt::DropActions offered, Qt::KeyboardModifiers keys,
               Qt::MouseButtons buttons, QPoint at)
{
    QPoint local;
    QWidget *target = targetAt(widget, at, &local);
    if (!target)
        return {};
    Outcome o = over(target, local, data, offered, keys, buttons);
    if (!o.overAccepted) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return o;
    }
    QDropEvent drop(local, offered, &data, buttons, keys);
    drop.setDropAction(o.overAction);
    QApplication::sendEvent(target, &drop);
    o.dropped = true;
    o.dropAction = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    return o;
}

Outcome dragOver(QWidget *widget, const QMimeData &data, Qt::DropActions offered, Qt::KeyboardModifiers keys)
{
    QPoint local;
    QWidget *target = targetAt(widget, QPoint(-1, -1), &local);
    if (!target)
        return {};
    Outcome o = over(target, local, data, offered, keys, Qt::LeftButton);
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
    return o;
}

int effectOf(const Outcome &o)
{
    switch (o.dropAction) {
    case Qt::CopyAction: return 1;
    case Qt::MoveAction: return 2;
    default: return 0;
    }
}

} // namespace droptest
