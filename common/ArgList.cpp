// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/ArgList.h"

#include <QStringList>

namespace {

// Stores arg in the next free slot unless takeOption consumes it; a full list drops it.
void keep(ArgList &list, int &n, const QString &arg, const TakeOption &takeOption)
{
    if (n < ArgList::capacity)
        list.argText[static_cast<size_t>(n)] = arg;
    if (!takeOption(arg) && n < ArgList::capacity)
        ++n;
}

} // namespace

qint16 SeparateSrtings(ArgList &list, const QString &line, const TakeOption &takeOption)
{
    // Positions count from 1 as in the original; a position past the end reads as no character.
    const int len = line.size();
    auto at = [&](int p) { return p >= 1 && p <= len ? line.at(p - 1) : QChar(); };
    const QChar blank(QLatin1Char(' ')), quote(QLatin1Char('"'));

    int n = 0;
    int start = 1;
    while (at(start) == blank)
        ++start;
    int pos = start;
    bool inQuotes = false;
    while (pos <= len) {
        if (inQuotes) {
            // Stops on the closing quote, which the increment below passes over; an unclosed
            // quote runs to the end of the line.
            while (pos < len && at(pos) != quote)
                ++pos;
            inQuotes = false;
        } else {
            if (at(pos) == blank) {
                const QString arg = line.mid(start - 1, pos - start);
                while (at(pos) == blank)
                    ++pos;
                start = pos;
                keep(list, n, arg, takeOption);
            }
            if (at(pos) == quote)
                inQuotes = true;
        }
        ++pos;
    }
    // The last argument counts only when it sorts above a single blank: an argument that
    // begins with a control character (a tab) is dropped.
    if (start <= len && at(start).unicode() > 32 && pos > start)
        keep(list, n, line.mid(start - 1), takeOption);
    list.argCount = static_cast<qint16>(n);
    return list.argCount;
}

qint16 takeArgumentVector(ArgList &list, const QStringList &args, const TakeOption &takeOption)
{
    int n = 0;
    for (const QString &a : args)
        keep(list, n, a, takeOption);
    list.argCount = static_cast<qint16>(n);
    return list.argCount;
}
