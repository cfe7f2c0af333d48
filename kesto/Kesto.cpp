// SPDX-License-Identifier: GPL-2.0-or-later
#include "kesto/Kesto.h"

#include "gvlink/gvlink.h"
#include "kesto/Form1.h"

namespace kesto {

Kesto::Kesto(shell::Launcher &launcher) : launcher_(launcher), module_(*this)
{
    forms_.setLinkApplication(QStringLiteral("KESTO"));
    // The waits for GV let events run as every other long operation does, and end with Kesto.
    gvlink::setEventPump(forms::DoEvents);
    form1_ = std::make_unique<Form1>(*this);
}

Kesto::~Kesto() = default;

void Kesto::End() { forms::End(); }

} // namespace kesto
