// SPDX-License-Identifier: GPL-2.0-or-later
// The argument record of the window programs and the routine that cuts a command-line text
// into it.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <functional>

struct ArgList
{
    static constexpr int capacity = 101; // argText(0 To 100)
    qint16 argCount = 0;
    std::array<QString, capacity> argText;
};

// The program's option reader: true means the argument was an option and is not kept.
using TakeOption = std::function<bool(const QString &arg)>;

// Cuts line at blanks (code 32 only) into list, quotes kept; an argument is handed to
// takeOption as soon as it is cut. Arguments beyond the 101 slots are handed to takeOption but
// never stored. Returns list.argCount.
qint16 SeparateSrtings(ArgList &list, const QString &line, const TakeOption &takeOption);

// Puts each element of an argument vector through takeOption and keeps the others, with the
// same 101-slot limit: on POSIX the system has already cut the command line.
qint16 takeArgumentVector(ArgList &list, const QStringList &args, const TakeOption &takeOption);
