// SPDX-License-Identifier: GPL-2.0-or-later
#include "tavlo/modlessMsgBox.h"

#include "platform/cp932/cp932.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Screen.h"
#include "tavlo/Tavlo.h"

#include <QFontMetrics>

#include <algorithm>

namespace tavlo {

modlessMsgBox::modlessMsgBox(Tavlo &app)
    : Form(app.forms(), QStringLiteral("modlessMsgBox"), 2430, kClientHeight),
      Text1(*this, QStringLiteral("Text1"), true),
      Command1(*this, QStringLiteral("Command1"))
{
    setCaption(QStringLiteral("Form3"));
    Text1.Move(255, 45, 1950, kTextHeight);
    Text1.setText(QString::fromUtf8("現在再配置作業中") + QStringLiteral("\r\n"));
    Text1.setLocked(true);
    Command1.Move(390, kButtonTop, 1575, 495);
    Command1.setCaption(QString::fromUtf8("了解(ok)"));
    Command1.Click = [this] { Command1_Click(); };
}

void modlessMsgBox::Form_Load() { minWidth = Text1.Width(); }

float modlessMsgBox::textWidthFor(const QString &message, float fontSize, float minWidth, float screenWidth)
{
    // Half a font size per byte of a line and its CR, plus a margin. Every line counts, not the
    // first alone: a reason on the line under a path would be cut off.
    float w = minWidth;
    int from = 0;
    for (;;) {
        const int crlf = message.indexOf(QLatin1String("\r\n"), from);
        const QString line = crlf < 0 ? message.mid(from) : message.mid(from, crlf - from + 1);
        const int b = cp932::byteLength(line);
        w = std::max(w, fontSize * float(b) * 1440.0f / 72.0f / 2.0f + 96.0f);
        if (crlf < 0)
            break;
        from = crlf + 2;
    }
    if (screenWidth / 2 < w)
        w = screenWidth / 2;
    return w;
}

int modlessMsgBox::lineCount(const QString &message)
{
    // A CR LF at the very end closes the last line and opens none.
    QString text = message;
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    return int(text.count(QLatin1String("\r\n"))) + 1;
}

void modlessMsgBox::Form_Activate()
{
    const QString message = Text1.Text();
    const float w = textWidthFor(message, Text1.FontSize(), minWidth, forms::screenWidth());
    Text1.setWidth(w);
    setWidth(w + 600);
    // Every line shows: the box grows by the lines the design height cannot hold, and the
    // button and the window move down with it.
    const QFontMetrics fm(forms::uiFont(Text1.FontSize()));
    const float needed = forms::toTwips(lineCount(message) * fm.lineSpacing() + kTextFramePixels);
    const float grow = std::max(0.0f, needed - kTextHeight);
    Text1.setHeight(kTextHeight + grow);
    Command1.setTop(kButtonTop + grow);
    setHeight(Height() - ScaleHeight() + kClientHeight + grow);
}

void modlessMsgBox::Command1_Click() { Hide(); }

} // namespace tavlo
