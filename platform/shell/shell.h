// SPDX-License-Identifier: GPL-2.0-or-later
// Starting another program, with the window style the caller asks for.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace shell {

enum WindowStyle : int {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};

class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts program with its arguments and does not wait; returns the process id. Raises
    // error 53 when the program cannot be started. The window style is passed on to the
    // program as far as the platform allows (on X11 a started program places its own window).
    virtual qint64 start(const QString &program, const QStringList &args, int windowStyle) = 0;
};

class ProcessLauncher : public Launcher
{
public:
    qint64 start(const QString &program, const QStringList &args, int windowStyle) override;
};

} // namespace shell
