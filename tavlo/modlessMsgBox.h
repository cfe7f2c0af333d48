// SPDX-License-Identifier: GPL-2.0-or-later
// A small message window that the user can leave open while working on: it sizes itself to the
// lines of its message when it is activated, and its button hides it.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

namespace tavlo {

class Tavlo;

class modlessMsgBox : public forms::Form
{
    Q_OBJECT
public:
    explicit modlessMsgBox(Tavlo &app);

    forms::TextBox Text1;
    forms::CommandButton Command1;

    void Form_Load() override;
    void Form_Activate() override;
    void Command1_Click();

    // The width the text box takes for a message: half a font size per code page 932 byte of
    // its widest line (the line's CR included), plus a margin, within minWidth and half the
    // screen.
    static float textWidthFor(const QString &message, float fontSize, float minWidth, float screenWidth);
    // The lines of a message separated by CR LF.
    static int lineCount(const QString &message);

private:
    static constexpr float kClientHeight = 1215;
    static constexpr float kTextHeight = 390;
    static constexpr float kButtonTop = 585;
    // The text box's frame and margins around its lines.
    static constexpr int kTextFramePixels = 6;
    float minWidth = 0;
};

} // namespace tavlo
