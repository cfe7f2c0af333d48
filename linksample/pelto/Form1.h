// SPDX-License-Identifier: GPL-2.0-or-later
// Pelto's window: its button opens a manual link to Varvo, sends two commands and asks twice
// for the text of Varvo's Text2, which then shows in Text1.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

namespace pelto {

class Form1 : public forms::Form
{
    Q_OBJECT
public:
    explicit Form1(forms::Forms &forms);

    forms::TextBox Text1;
    forms::CommandButton Command1;

    void Command1_Click();
    void Form_Unload(int &cancel) override;
};

} // namespace pelto
