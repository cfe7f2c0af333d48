// SPDX-License-Identifier: GPL-2.0-or-later
// Reading list files: the fields of a list file's text, and the bound on what is read of one.
#pragma once

#include <QString>
#include <QtGlobal>

namespace tavlo {

// A list file names at most 2049 pictures; a file longer than 2049 of the longest paths (4096
// bytes) in quotes, each on its own line, is no list file and is not read.
constexpr qint64 kMaxListFileBytes = qint64(2049) * (4096 + 4);

// Reads the comma-separated fields of a list file one after the other: a field ends at a
// comma or a line end (CR, LF or CR LF); blanks before it are skipped, blanks after an
// unquoted field removed; a quoted field runs to the next quote and what follows it up to the
// next comma or line end is dropped.
class ListFieldReader
{
public:
    explicit ListFieldReader(const QString &text) : s_(text) {}
    bool atEnd() const { return pos_ >= s_.size(); }
    QString next();

private:
    static bool isFieldEnd(QChar c)
    {
        return c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    }
    void skipTerminator();

    const QString &s_;
    qsizetype pos_ = 0;
};

} // namespace tavlo
