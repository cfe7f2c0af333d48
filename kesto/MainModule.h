// SPDX-License-Identifier: GPL-2.0-or-later
// Kesto's program-wide state and its start-up: the options /gv= and /photoed=, then the main
// window.
#pragma once

#include "common/ArgList.h"

#include <QString>
#include <QStringList>

namespace kesto {

class Kesto;

class MainModule
{
public:
    explicit MainModule(Kesto &app) : app_(app) {}

    // Takes the options and shows the main window. On POSIX each element of the argument
    // vector is one argument.
    void Main(const QStringList &args);
    bool takeOption(const QString &arg);

    ArgList cmdArgs;
    QString gvPath;      // GV's program, empty unless given
    QString photoedPath; // accepted and kept; nothing uses it

private:
    Kesto &app_;
};

} // namespace kesto
