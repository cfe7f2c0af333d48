// The modeless message window's width follows the first line of its message.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/Forms.h"
#include "tavlo/modlessMsgBox.h"

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
}

using MessageWindow = TavloTest;

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
