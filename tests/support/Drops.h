// SPDX-License-Identifier: GPL-2.0-or-later
// Drops delivered as the window system delivers them: drag-enter, drag-move and drop events to
// the widget that takes drops at a point of a window, with the data a file manager or a text
// editor offers.
#pragma once

#include <QMimeData>
#include <QPoint>
#include <QStringList>

#include <memory>

class QWidget;

namespace droptest {

// What a file manager offers for local files: file: URLs and the paths as plain text.
std::unique_ptr<QMimeData> fileManagerData(const QStringList &paths);
// What a text editor offers: plain text only.
std::unique_ptr<QMimeData> editorText(const QString &text);

struct Outcome
{
    Qt::DropAction overAction = Qt::IgnoreAction; // what the last drag-move answered
    bool overAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction; // what the drop answered (Ignore: refused)
    bool dropped = false;                         // a widget took the drop event
};

// Drags data over widget (at a point of it, its centre by default) and drops it there, with the
// offered actions, keys and buttons. The events go to the widget that takes drops at that
// point, as the window system finds it.
Outcome dropOn(QWidget *widget, const QMimeData &data, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
               Qt::KeyboardModifiers keys = Qt::NoModifier, Qt::MouseButtons buttons = Qt::LeftButton,
               QPoint at = QPoint(-1, -1));
// The drag-over part alone (enter, move, leave).
Outcome dragOver(QWidget *widget, const QMimeData &data, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
                 Qt::KeyboardModifiers keys = Qt::NoModifier);

// The effect (0 none, 1 copy, 2 move) a drop answered, for a drag hook.
int effectOf(const Outcome &o);

} // namespace droptest
