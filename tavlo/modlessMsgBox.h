// A small message window that the user can leave open while working on: it widens itself to
// the first line of its message when it is activated, and its button hides it.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

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
    // the first line (its CR included), plus a margin, within minWidth and half the screen.
    static float textWidthFor(const QString &message, float fontSize, float minWidth, float screenWidth);

private:
    float minWidth = 0;
};
