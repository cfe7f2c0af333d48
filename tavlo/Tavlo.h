// One running Tavlo: its program-wide state, its windows and the services it uses. Tests make
// a fresh one with fakes; main() makes one with the real services.
#pragma once

#include "platform/forms/Forms.h"
#include "tavlo/MainModule.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace sysinfo { class SystemInfo; }
namespace printer { class Printer; }
namespace shell { class Launcher; }

class Form1;
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
    Form1 &form1() { return *form1_; }
    // The message window and the print window are made when first used; after an unload the
    // next use makes them afresh.
    modlessMsgBox &msgBox();
    FormPrn &formPrn();
    // Puts a message into the message window and shows it.
    void showMessage(const QString &text);

    sysinfo::SystemInfo &sysInfo() { return sys_; }
    printer::Printer &printer() { return printer_; }
    shell::Launcher &launcher() { return launcher_; }

    // Ends the program at once (hides every window and leaves the event loop).
    void End();
    bool ended() const { return ended_; }
    std::function<void()> onEnd;

private:
    sysinfo::SystemInfo &sys_;
    printer::Printer &printer_;
    shell::Launcher &launcher_;
    forms::Forms forms_;
    MainModule module_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<modlessMsgBox> msgBox_;
    std::unique_ptr<FormPrn> formPrn_;
    bool ended_ = false;
};
