#include "tavlo/modlessMsgBox.h"

#include "platform/cp932/cp932.h"
#include "platform/forms/Forms.h"
#include "tavlo/Tavlo.h"

modlessMsgBox::modlessMsgBox(Tavlo &app)
    : Form(app.forms(), QStringLiteral("modlessMsgBox"), 2430, 1215),
      Text1(*this, QStringLiteral("Text1"), true),
      Command1(*this, QStringLiteral("Command1"))
{
    setCaption(QStringLiteral("Form3"));
    Text1.Move(255, 45, 1950, 390);
    Text1.setText(QString::fromUtf8("現在再配置作業中") + QStringLiteral("\r\n"));
    Text1.setLocked(true);
    Command1.Move(390, 585, 1575, 495);
    Command1.setCaption(QString::fromUtf8("了解(ok)"));
    Command1.Click = [this] { Command1_Click(); };
}

void modlessMsgBox::Form_Load()
{
    minWidth = Text1.Width();
}

float modlessMsgBox::textWidthFor(const QString &message, float fontSize, float minWidth, float screenWidth)
{
    // Positions are counted in full; a first line of any length only widens the window.
    const int crlf = message.indexOf(QLatin1String("\r\n"));
    const int i = crlf < 0 ? message.size() + 1 : crlf + 1;
    const QString line = message.left(i);
    const int b = cp932::byteLength(line);
    float w = fontSize * float(b) * 1440.0f / 72.0f / 2.0f + 96.0f;
    if (w < minWidth)
        w = minWidth;
    if (screenWidth / 2 < w)
        w = screenWidth / 2;
    return w;
}

void modlessMsgBox::Form_Activate()
{
    const float w = textWidthFor(Text1.Text(), Text1.FontSize(), minWidth, forms::screenWidth());
    Text1.setWidth(w);
    setWidth(w + 600);
}

void modlessMsgBox::Command1_Click()
{
    Hide();
}
