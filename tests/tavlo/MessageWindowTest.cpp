// SPDX-License-Identifier: GPL-2.0-or-later
// The modeless message window sizes itself to the lines of its message.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"
#include "tavlo/modlessMsgBox.h"

#include <QFontMetrics>

TEST(MessageWidth, HalfAFontSizePerByteOfTheFirstLine)
{
    const QString shortPath = QString(19, QChar('a')) + "\r\n" + QString::fromUtf8("ファイルが異常です。");
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor(shortPath, 9, 1950, 15360), 1950) << "1896 is below the design width";
    const QString wide = QString(100, QChar(0x30A2)) + "\r\nx";
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor(wide, 9, 1950, 100000), 18186);
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor(wide, 9, 1950, 15360), 7680);
    // Without CR LF the whole text counts, with one more position than it has.
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor(QString(300, QChar('b')), 9, 1950, 100000), 9 * 300 * 10 + 96);
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor(QString(40000, QChar('b')) + "\r\n", 9, 1950, 19200), 9600);
    // A reason under a short first line widens the box as well.
    EXPECT_FLOAT_EQ(modlessMsgBox::textWidthFor("ab\r\n" + QString(300, QChar('c')), 9, 1950, 100000),
                    9 * 300 * 10 + 96);
    EXPECT_EQ(modlessMsgBox::lineCount("a\r\nb"), 2);
    EXPECT_EQ(modlessMsgBox::lineCount("a\r\n"), 1);
}

using MessageWindow = TavloTest;

TEST_F(MessageWindow, EveryLineOfAMessageCanBeRead)
{
    start({});
    const QString reason = "Kesto is not running: the Link server KESTO|KESTO did not answer (connection refused)";
    t().showMessage(QString::fromUtf8("Kestoへ転送できません。") + "\r\n" + reason);
    forms::DoEvents();
    modlessMsgBox &box = t().msgBox();
    box.Form_Activate();
    const QFontMetrics fm(box.Text1.widget()->font());
    EXPECT_LE(fm.horizontalAdvance(reason), box.Text1.widget()->width()) << "the reason is not cut off";
    EXPECT_GE(box.Text1.widget()->height(), 2 * fm.lineSpacing()) << "both lines show";
    EXPECT_GE(box.Command1.Top(), box.Text1.Top() + box.Text1.Height());
    EXPECT_GE(box.ScaleHeight(), box.Command1.Top() + box.Command1.Height());

    // A one-line message keeps the design height.
    t().showMessage("short");
    box.Form_Activate();
    EXPECT_FLOAT_EQ(box.Text1.Height(), 390);
    EXPECT_FLOAT_EQ(box.ScaleHeight(), 1215);
}

TEST_F(MessageWindow, SizesItselfWhenActivatedAndHidesOnItsButton)
{
    start({});
    const QString text = QString(100, QChar(0x30A2)) + "\r\n" + QString::fromUtf8("ファイルが異常です。");
    t().showMessage(text);
    forms::DoEvents();
    modlessMsgBox &box = t().msgBox();
    box.Form_Activate();
    const float w = std::min(18186.0f, forms::screenWidth() / 2);
    EXPECT_FLOAT_EQ(box.Text1.Width(), w);
    EXPECT_FLOAT_EQ(box.Width(), w + 600);
    EXPECT_EQ(box.Caption(), "Form3");
    EXPECT_TRUE(box.Visible());

    box.Command1_Click();
    EXPECT_FALSE(box.Visible());
    EXPECT_TRUE(m().FindForm("modlessMsgBox")) << "hidden, not unloaded";
    box.Show();
    box.Form_Activate();
    EXPECT_EQ(box.Text1.Text(), text);
    EXPECT_FLOAT_EQ(box.Width(), w + 600);
}

TEST_F(MessageWindow, ALoadAfterAnUnloadStartsFromTheDesign)
{
    start({});
    t().showMessage("short");
    t().msgBox().Unload();
    modlessMsgBox &again = t().msgBox();
    EXPECT_EQ(again.Text1.Text(), QString::fromUtf8("現在再配置作業中") + "\r\n");
    again.Form_Activate();
    EXPECT_FLOAT_EQ(again.Text1.Width(), 1950);
    EXPECT_FLOAT_EQ(again.Width(), 2550);
}
