// SPDX-License-Identifier: GPL-2.0-or-later
#include "kesto/MainModule.h"

#include "common/DeleteQUOTE.h"
#include "kesto/Form1.h"
#include "kesto/Kesto.h"
#include "platform/shell/fs.h"

namespace kesto {

void MainModule::Main(const QStringList &args)
{
    if (!args.isEmpty())
        takeArgumentVector(cmdArgs, args, [this](const QString &a) { return takeOption(a); });
    app_.form1().Show();
}

bool MainModule::takeOption(const QString &arg)
{
    // An absolute POSIX path begins with the option character: what exists is a name.
    if (fs::fileExists(arg) || fs::folderExists(arg))
        return false;
    const QString lower = arg.toLower();
    if (lower.left(4) == QLatin1String("/gv=")) {
        gvPath = DeleteQUOTE(arg.mid(4));
        return true;
    }
    if (lower.left(9) == QLatin1String("/photoed=")) {
        photoedPath = DeleteQUOTE(arg.mid(9));
        return true;
    }
    return false;
}

} // namespace kesto
