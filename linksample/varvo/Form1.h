// SPDX-License-Identifier: GPL-2.0-or-later
// Varvo's window: a Link source on topic "VARVO" that writes every command it is sent onto
// the window; a client may request the text of Text2.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

#include <functional>

namespace varvo {

class Form1 : public forms::Form
{
    Q_OBJECT
public:
    explicit Form1(forms::Forms &forms);

    forms::TextBox Text2;

    void Form_Activate() override;
    void Form_GotFocus() override;
    void Form_LinkOpen(int &cancel) override;
    void Form_LinkExecute(const QString &cmdStr, int &cancel) override;
    void Form_LinkError(int linkErr) override;
    void Form_LinkClose() override;

    // Ends the program; a link error calls it.
    std::function<void()> End;
};

} // namespace varvo
