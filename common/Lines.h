// SPDX-License-Identifier: GPL-2.0-or-later
// Text split into lines as the programs take dropped and pasted text: a line ends at CR LF, at
// a CR alone or at an LF alone.
#pragma once

#include <QString>
#include <QStringList>

namespace common {

// The lines that end in the text, without their line ends. Text after the last line end is no
// line of these; it is the tail.
QStringList closedLines(const QString &text);
// Whether text ends inside a line: it holds something after its last line end.
bool endsOpen(const QString &text);

} // namespace common
