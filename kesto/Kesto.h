// SPDX-License-Identifier: GPL-2.0-or-later
// One running Kesto: its program-wide state, its main window and the services it uses. Tests
// make a fresh one with a recording launcher; main() makes one with the real one.
#pragma once

#include "kesto/MainModule.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"

#include <QStringList>

#include <memory>

namespace shell {
class Launcher;
}

namespace kesto {

class Form1;

class Kesto
{
public:
    explicit Kesto(shell::Launcher &launcher);
    ~Kesto();
    Kesto(const Kesto &) = delete;
    Kesto &operator=(const Kesto &) = delete;

    // The start-up routine, with the program's arguments (without the program's own name).
    void start(const QStringList &args) { module_.Main(args); }

    MainModule &module() { return module_; }
    forms::Forms &forms() { return forms_; }
    Form1 &form1() { return *form1_; }
    shell::Launcher &launcher() { return launcher_; }

    // Ends the program at once: hides the window, leaves the event loop, and unwinds the
    // handlers that are running.
    [[noreturn]] void End();
    bool ended() const { return forms::ended(); }

private:
    shell::Launcher &launcher_;
    forms::Forms forms_;
    MainModule module_;
    std::unique_ptr<Form1> form1_;
};

} // namespace kesto
