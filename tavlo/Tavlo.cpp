#include "tavlo/Tavlo.h"

#include "tavlo/Form1.h"
#include "tavlo/FormPrn.h"
#include "tavlo/modlessMsgBox.h"

#include <QCoreApplication>
#include <QMainWindow>

Tavlo::Tavlo(sysinfo::SystemInfo &sys, printer::Printer &printer, shell::Launcher &launcher)
    : sys_(sys), printer_(printer), launcher_(launcher), module_(*this), form1_(std::make_unique<Form1>(*this))
{
    onEnd = [] { QCoreApplication::exit(0); };
}

Tavlo::~Tavlo() = default;

// A window that was unloaded is replaced on its next use; the old object may still be on the
// call stack (its own button unloads it), so it goes later.
template <class F>
static F &renewIfUnloaded(std::unique_ptr<F> &slot, Tavlo &app)
{
    if (slot && !slot->isLoaded()) {
        slot.release()->deleteLater();
    }
    if (!slot)
        slot = std::make_unique<F>(app);
    slot->Load();
    return *slot;
}

modlessMsgBox &Tavlo::msgBox() { return renewIfUnloaded(msgBox_, *this); }
FormPrn &Tavlo::formPrn() { return renewIfUnloaded(formPrn_, *this); }

void Tavlo::showMessage(const QString &text)
{
    modlessMsgBox &box = msgBox();
    box.Text1.setText(text);
    box.Show();
}

void Tavlo::End()
{
    if (ended_)
        return;
    ended_ = true;
    for (forms::Form *f : forms_.all())
        f->window()->hide();
    if (onEnd)
        onEnd();
}
