#include "kesto/Kesto.h"

#include "kesto/Form1.h"

#include <QCoreApplication>
#include <QMainWindow>

Kesto::Kesto(shell::Launcher &launcher) : launcher_(launcher), module_(*this)
{
    forms_.setLinkApplication(QStringLiteral("KESTO"));
    form1_ = std::make_unique<Form1>(*this);
    onEnd = [] { QCoreApplication::exit(0); };
}

Kesto::~Kesto() = default;

void Kesto::End()
{
    if (ended_)
        return;
    ended_ = true;
    for (forms::Form *f : forms_.all())
        f->window()->hide();
    if (onEnd)
        onEnd();
}
