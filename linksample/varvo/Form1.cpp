// SPDX-License-Identifier: GPL-2.0-or-later
#include "linksample/varvo/Form1.h"

#include "platform/forms/Forms.h"

namespace varvo {

Form1::Form1(forms::Forms &forms)
    : Form(forms, QStringLiteral("Form1"), 4680, 3195),
      Text2(*this, QStringLiteral("Text2"))
{
    setCaption(QStringLiteral("VARVO"));
    Text2.Move(3375, 2640, 1215, 495);
    Text2.setText(QStringLiteral("Text2"));
    setLinkTopic(QStringLiteral("VARVO"));
    setLinkMode(1);
}

void Form1::Form_Activate() { Print(QStringLiteral("Form_Activate")); }

void Form1::Form_GotFocus() { Print(QStringLiteral("Form_GotFocus")); }

void Form1::Form_LinkOpen(int &) {}

void Form1::Form_LinkExecute(const QString &cmdStr, int &cancel)
{
    cancel = 0;
    Print(cmdStr);
}

void Form1::Form_LinkError(int)
{
    if (End)
        End();
}

void Form1::Form_LinkClose() {}

} // namespace varvo
