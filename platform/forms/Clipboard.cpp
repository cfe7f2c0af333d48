// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Clipboard.h"

#include "platform/forms/DragDrop.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace forms {

static QClipboard *board() { return QGuiApplication::clipboard(); }

QString Clipboard::GetText() { return board()->text(); }

void Clipboard::SetText(const QString &text)
{
    // An empty text still replaces the old content: "nothing selected" copies nothing.
    auto *data = new QMimeData;
    data->setText(text);
    board()->setMimeData(data);
}

void Clipboard::SetData(const QImage &picture) { board()->setImage(picture); }

QImage Clipboard::GetData() { return board()->image(); }

bool Clipboard::GetFormat(int format)
{
    const QMimeData *m = board()->mimeData();
    if (!m)
        return false;
    switch (format) {
    case vbCFText: return m->hasText();
    case vbCFBitmap:
    case vbCFDIB: return m->hasImage();
    default: return false;
    }
}

void Clipboard::Clear() { board()->clear(); }

} // namespace forms
