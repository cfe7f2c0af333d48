// SPDX-License-Identifier: GPL-2.0-or-later
// Text routines for paths that reach the programs on the command line or by drag and drop.
#pragma once

#include <QString>

// The text with every double-quote character removed.
QString DeleteQUOTE(const QString &text);

// "C:\\dir" becomes "C:\dir": only the doubled backslash right after a drive colon goes.
QString repairDrivePath(const QString &path);
