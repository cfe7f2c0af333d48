// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line splitting and quote stripping of the window programs.
#include "fuzz/FuzzSupport.h"

#include "common/ArgList.h"
#include "common/DeleteQUOTE.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = QString::fromUtf8(fuzz::bytes(data, size));
    ArgList list;
    int handed = 0;
    const qint16 n = SeparateSrtings(list, line, [&](const QString &arg) {
        ++handed;
        // Every third argument is taken as an option, as a program's option reader would.
        const QString stripped = repairDrivePath(DeleteQUOTE(arg));
        if (stripped.contains(QLatin1Char('"')) || stripped.size() > arg.size())
            __builtin_trap();
        return handed % 3 == 0;
    });
    if (n < 0 || n > ArgList::capacity)
        __builtin_trap();
    return 0;
}
