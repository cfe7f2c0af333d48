#include "kesto/Kesto.h"

#include "kesto/Form1.h"


Kesto::Kesto(shell::Launcher &launcher) : launcher_(launcher), module_(*this)
{
    forms_.setLinkApplication(QStringLiteral("KESTO"));
    form1_ = std::make_unique<Form1>(*this);
}

Kesto::~Kesto() = default;

void Kesto::End() { forms::End(); }
