// SPDX-License-Identifier: GPL-2.0-or-later
// The system clipboard as the programs use it: text in and out, a picture in.
#pragma once

#include <QImage>
#include <QString>

namespace forms {

class Clipboard
{
public:
    // The clipboard's text; empty when it holds no text.
    static QString GetText();
    // Puts the text on the clipboard in place of what was there (an empty text too).
    static void SetText(const QString &text);
    static void SetData(const QImage &picture);
    static QImage GetData();
    // Whether the clipboard holds text (1) or a picture (2, 8).
    static bool GetFormat(int format);
    static void Clear();
};

} // namespace forms
