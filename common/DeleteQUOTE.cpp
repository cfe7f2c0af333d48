// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/DeleteQUOTE.h"

QString DeleteQUOTE(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char('"'));
    return out;
}

QString repairDrivePath(const QString &path)
{
    if (path.mid(1, 3) == QLatin1String(":\\\\"))
        return path.left(3) + path.mid(4);
    return path;
}
