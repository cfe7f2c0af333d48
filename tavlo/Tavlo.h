// SPDX-License-Identifier: GPL-2.0-or-later
// One running Tavlo: its program-wide state, its windows and the services it uses. Tests make
// a fresh one with fakes; main() makes one with the real services.
#pragma once

#include "platform/forms/DefaultInstance.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "tavlo/MainModule.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace sysinfo {
class SystemInfo;
}
namespace printer {
class Printer;
}
namespace shell {
class Launcher;
}

namespace tavlo {

class Form1;
class Form2;
class FormPrn;
class modlessMsgBox;

class Tavlo
{
public:
    Tavlo(sysinfo::SystemInfo &sys, printer::Printer &printer, shell::Launcher &launcher);
    ~Tavlo();
    Tavlo(const Tavlo &) = delete;
    Tavlo &operator=(const Tavlo &) = delete;

    // The start-up routine, with the program's arguments (without the program's own name).
    void start(const QStringList &args) { module_.Main(args); }

    MainModule &module() { return module_; }
    forms::Forms &forms() { return forms_; }
    // The windows by the names the program gives them: each is made on first use, and made
    // afresh, in its design state, after it was unloaded.
    Form1 &form1();
    // The default instance of the board window; further boards are made by newBoard().
    Form2 &form2();
    Form2 *newForm2();
    modlessMsgBox &msgBox();
    FormPrn &formPrn();
    // Puts a message into the message window and shows it.
    void showMessage(const QString &text);
    // Tells the user where a print went when it went to a file, or that it failed.
    void reportPrint(bool ok);

    sysinfo::SystemInfo &sysInfo() { return sys_; }
    printer::Printer &printer() { return printer_; }
    shell::Launcher &launcher() { return launcher_; }

    // Ends the program at once: hides every window, leaves the event loop, and unwinds the
    // handlers that are running.
    [[noreturn]] void End();
    bool ended() const { return forms::ended(); }

private:
    sysinfo::SystemInfo &sys_;
    printer::Printer &printer_;
    shell::Launcher &launcher_;
    forms::Forms forms_;
    MainModule module_;
    forms::DefaultInstance<Form1> form1_;
    forms::DefaultInstance<Form2> form2_;
    forms::DefaultInstance<modlessMsgBox> msgBox_;
    forms::DefaultInstance<FormPrn> formPrn_;
};

} // namespace tavlo
