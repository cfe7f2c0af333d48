// SPDX-License-Identifier: GPL-2.0-or-later
// The print window: never shown; its image control holds the picture to print at the size
// the canvas shows it, and printing sends the window's client image to the printer.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

namespace tavlo {

class Tavlo;

class FormPrn : public forms::Form
{
    Q_OBJECT
public:
    explicit FormPrn(Tavlo &app);

    forms::Image Image1;

    // Prints the client area: the image stretched to its own size, one twip on the screen
    // one twip on paper. Returns false on a printer error.
    bool PrintForm();

private:
    Tavlo &app_;
};

} // namespace tavlo
