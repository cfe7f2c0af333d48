// SPDX-License-Identifier: GPL-2.0-or-later
#include "linksample/pelto/Form1.h"

namespace pelto {

Form1::Form1(forms::Forms &forms)
    : Form(forms, QStringLiteral("Form1"), 4680, 3195),
      Text1(*this, QStringLiteral("Text1")),
      Command1(*this, QStringLiteral("Command1"))
{
    setCaption(QStringLiteral("Pelto"));
    Text1.Move(195, 195, 4305, 495);
    Text1.setText(QStringLiteral("Text1"));
    Text1.setLinkTopic(QStringLiteral("VARVO|VARVO"));
    Text1.setLinkItem(QStringLiteral("Text1"));
    Command1.Move(1740, 1350, 1215, 495);
    Command1.setCaption(QStringLiteral("DDE Link"));
    Command1.Click = [this] { Command1_Click(); };
}

void Form1::Command1_Click()
{
    Text1.setLinkItem(QStringLiteral("Text2"));
    Text1.setLinkMode(2);
    Text1.LinkExecute(QStringLiteral("ABCDE From Client!!"));
    Text1.LinkRequest();
    Text1.LinkExecute(QStringLiteral("XYUZZ From Client2"));
    Text1.LinkRequest();
}

void Form1::Form_Unload(int &) { Text1.setLinkMode(0); }

} // namespace pelto
