// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/ListFile.h"

namespace tavlo {

QString ListFieldReader::next()
{
    while (pos_ < s_.size() && s_.at(pos_) == QLatin1Char(' '))
        ++pos_;
    QString field;
    if (pos_ < s_.size() && s_.at(pos_) == QLatin1Char('"')) {
        const qsizetype close = s_.indexOf(QLatin1Char('"'), pos_ + 1);
        const qsizetype end = close < 0 ? s_.size() : close;
        field = s_.mid(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? s_.size() : close + 1;
        while (pos_ < s_.size() && !isFieldEnd(s_.at(pos_)))
            ++pos_;
    } else {
        const qsizetype begin = pos_;
        while (pos_ < s_.size() && !isFieldEnd(s_.at(pos_)))
            ++pos_;
        field = s_.mid(begin, pos_ - begin);
        while (field.endsWith(QLatin1Char(' ')))
            field.chop(1);
    }
    skipTerminator();
    return field;
}

void ListFieldReader::skipTerminator()
{
    if (pos_ >= s_.size())
        return;
    if (s_.at(pos_) == QLatin1Char(',')) {
        ++pos_;
    } else if (s_.at(pos_) == QLatin1Char('\r')) {
        ++pos_;
        if (pos_ < s_.size() && s_.at(pos_) == QLatin1Char('\n'))
            ++pos_;
    } else if (s_.at(pos_) == QLatin1Char('\n')) {
        ++pos_;
    }
}

} // namespace tavlo
