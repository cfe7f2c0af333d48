// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/shell/shell.h"

#include "platform/vb/vb.h"

#include <QProcess>

namespace shell {

qint64 ProcessLauncher::start(const QString &program, const QStringList &args, int windowStyle)
{
    Q_UNUSED(windowStyle);
    qint64 pid = 0;
    if (program.isEmpty() || !QProcess::startDetached(program, args, QString(), &pid))
        vb::raiseError(vb::ErrFileNotFound);
    return pid;
}

} // namespace shell
