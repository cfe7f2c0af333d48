// SPDX-License-Identifier: GPL-2.0-or-later
// A built-in 5 x 7 dot font for the labels on the sample pictures, so that the samples come out
// the same whatever fonts the machine has.
#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>

class QPainter;

namespace pixelfont {

// Letters (upper case; lower case is drawn as upper), digits, blank and - . : / ( ) _ + ,
// Each dot is a dot x dot square; characters advance by 6 dots.
void drawText(QPainter &p, QPoint topLeft, const QString &text, int dot, const QColor &color);
QSize textSize(const QString &text, int dot);

} // namespace pixelfont
