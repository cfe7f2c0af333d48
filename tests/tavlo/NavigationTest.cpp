// SPDX-License-Identifier: GPL-2.0-or-later
// Stepping through the picture list from every input of the main window.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyCodes.h"

#include <QMainWindow>
#include <QtTest/QTest>

#include "tavlo/modlessMsgBox.h"

class Navigation : public TavloTest
{
protected:
    // Starts with n pictures a0.bmp ... and returns their paths.
    QStringList startWith(int n)
    {
        QStringList pics;
        for (int i = 0; i < n; ++i)
            pics << picture(QString("a%1.bmp").arg(i), 20 + i, 10 + i);
        start(pics);
        return pics;
    }
    int shown() { return m().curIndex; }
    void enterInText1(const QString &text)
    {
        f().Text1.setText(text);
        int key = forms::vbKeyReturn;
        f().Text1_KeyDown(key, 0);
    }
};

TEST_F(Navigation, NextAndPreviousGoAroundTheList)
{
    const QStringList pics = startWith(3);
    f().Command1_Click();
    EXPECT_EQ(shown(), 0) << "the first next step shows slot 0";
    EXPECT_EQ(f().Caption(), pics[0]);
    EXPECT_EQ(f().Text1.Text(), "1");
    f().Command1_Click();
    f().Command1_Click();
    EXPECT_EQ(shown(), 2);
    f().Command1_Click();
    EXPECT_EQ(shown(), 0);
    f().Command3_Click();
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(m().stepDir, -1);
    EXPECT_EQ(f().Picture1.Picture().pixelSize(), QSize(22, 12));
}

TEST_F(Navigation, PreviousBeforeAnyPictureCountsFromMinusOne)
{
    startWith(5);
    f().Command3_Click();
    EXPECT_EQ(shown(), 3);
}

TEST_F(Navigation, EmptyListLeavesEverythingAlone)
{
    start({});
    f().Command1_Click();
    f().Command3_Click();
    enterInText1("3");
    EXPECT_EQ(f().Caption(), "Form1");
    EXPECT_EQ(shown(), 2) << "the number is taken, but there is nothing to show";
    EXPECT_EQ(message(), "");
}

TEST_F(Navigation, JumpByNumber)
{
    startWith(5);
    f().Command1_Click();
    enterInText1("3");
    EXPECT_EQ(shown(), 2);
    enterInText1("0");
    EXPECT_EQ(shown(), 4) << "0 is the last picture";
    enterInText1("6");
    EXPECT_EQ(shown(), 0) << "one past the count is the first";
    enterInText1("abc");
    EXPECT_EQ(shown(), 4) << "a text without a number reads as 0";
    enterInText1("2.5");
    EXPECT_EQ(shown(), 2) << "1.5 goes to the even neighbour";
    enterInText1("1.5");
    EXPECT_EQ(shown(), 0) << "0.5 goes to the even neighbour";
}

TEST_F(Navigation, EnterOnTheShownNumberStepsInTheLastDirection)
{
    startWith(5);
    f().Command1_Click();
    enterInText1("1");
    EXPECT_EQ(shown(), 1) << "forward after start";
    EXPECT_TRUE(f().Command1.hasFocus());
    f().Command3_Click();
    enterInText1("1");
    EXPECT_EQ(shown(), 4);
    EXPECT_TRUE(f().Command3.hasFocus());
}

TEST_F(Navigation, NumbersBeyond16BitsGoAroundTheListInsteadOfFailing)
{
    startWith(5);
    f().Command1_Click();
    enterInText1("32767");
    EXPECT_EQ(shown(), 32766 % 5);
    enterInText1("100003");
    EXPECT_EQ(shown(), 2);
    enterInText1("-70000");
    EXPECT_EQ(shown(), 4); // -70001 around 5
    enterInText1("1e400");
    EXPECT_EQ(shown(), 4) << "a number no double holds changes nothing";
    EXPECT_EQ(message(), "");
}

TEST_F(Navigation, Text1LosingTheFocusShowsItsNumber)
{
    startWith(4);
    f().Text1.setText("3");
    f().Text1_LostFocus();
    EXPECT_EQ(shown(), 2);
}

TEST_F(Navigation, Text1ChangeTakesASlotOnlyFromTheBoard)
{
    startWith(4);
    f().Text1.setText(" 2");
    EXPECT_EQ(shown(), -1);
    m().indexFromBoard = vb::True;
    f().Text1.setText(" 3");
    EXPECT_EQ(shown(), 3) << "the board writes the 0-based slot";
    EXPECT_EQ(f().Text1.Text(), "4");
    EXPECT_FALSE(m().indexFromBoard);
}

TEST_F(Navigation, BackgroundClickFollowsTheLastButton)
{
    startWith(4);
    f().Form_Click();
    EXPECT_EQ(shown(), -1) << "before any button only the direction is set";
    EXPECT_EQ(m().stepDir, 1);
    EXPECT_TRUE(f().Command1.hasFocus());
    f().Form_Click();
    EXPECT_EQ(shown(), 0);
    f().Command3_Click();
    f().Form_Click();
    EXPECT_EQ(shown(), 2);
    EXPECT_TRUE(f().Command3.hasFocus());
}

TEST_F(Navigation, CharactersTypedOnTheCanvas)
{
    startWith(4);
    QTest::keyClick(f().Picture1.widget(), Qt::Key_Plus);
    EXPECT_EQ(shown(), 0);
    QTest::keyClick(f().Picture1.widget(), Qt::Key_Minus);
    EXPECT_EQ(shown(), 3);
    EXPECT_TRUE(f().Command3.hasFocus());
    QTest::keyClick(f().Picture1.widget(), Qt::Key_X);
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(m().stepDir, 0) << "typing does not change the direction";
}

TEST_F(Navigation, KeypadKeysOnButtonsAndBars)
{
    startWith(4);
    QTest::keyClick(f().Command2.widget(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(m().stepDir, 1);
    QTest::keyClick(f().VScroll1.widget(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(m().stepDir, -1);
    QTest::keyClick(f().Command1.widget(), Qt::Key_Plus); // the main keyboard's plus is another key
    EXPECT_EQ(shown(), 3);
}

TEST_F(Navigation, EnterThroughTheRealTextBox)
{
    startWith(4);
    f().Text1.setText("");
    f().Text1.widget()->setFocus();
    QTest::keyClicks(f().Text1.widget(), "3");
    EXPECT_EQ(f().Text1.Text(), "3");
    QTest::keyClick(f().Text1.widget(), Qt::Key_Return);
    EXPECT_EQ(shown(), 2);
}

TEST_F(Navigation, ChoosingAListFileShowsItsFirstPicture)
{
    const QString a = picture("a.bmp"), b = picture("b.bmp"), c = picture("c.bmp");
    const QString l1 = listFile("one.lst", {a, b}), l2 = listFile("two.lst", {c});
    const QString empty = listFile("empty.lst", {";"});
    start({l1, l2, empty});
    ASSERT_EQ(f().Combo1.ListCount(), 3);
    f().Combo1.setListIndex(1);
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(f().Combo1.Text(), l2);
    EXPECT_TRUE(f().Command1.hasFocus());
    f().Combo1.setListIndex(2);
    EXPECT_EQ(shown(), 0) << "no picture came from it: slot 0";
    EXPECT_EQ(f().Combo1.Text(), l1);
}

TEST_F(Navigation, EnterInTheChooserReadsANewListFile)
{
    const QString a = picture("a.bmp"), b = picture("b.bmp");
    const QString l1 = listFile("one.lst", {a});
    start({l1});
    const QString l2 = listFile("two.lst", {a, b});
    f().Combo1.setText(l2);
    int key = forms::vbKeyReturn;
    f().Combo1_KeyDown(key, 0);
    EXPECT_EQ(f().Combo1.ListCount(), 2);
    EXPECT_EQ(f().Text3.Text(), "3");
    EXPECT_EQ(shown(), 1) << "the first picture of the new list";
    EXPECT_EQ(m().listOfFile[1], 1);
    EXPECT_TRUE(f().Command1.hasFocus());

    // A known entry, and a file that cannot be read, only move the focus.
    f().Combo1.setText(l1);
    f().Combo1_KeyDown(key, 0);
    f().Combo1.setText(dir.file("gone.lst"));
    f().Combo1_KeyDown(key, 0);
    EXPECT_EQ(f().Combo1.ListCount(), 2);
    EXPECT_EQ(m().fileCount, 3);
    EXPECT_EQ(m().listCount, 2);
}

TEST_F(Navigation, ADamagedFileIsReportedAndTheNextStepGoesOn)
{
    const QString a = picture("a.bmp");
    const QString bad = dir.write("bad.jpg", QByteArray("\xFF\xD8\xFF\xE0 truncated", 15));
    const QString c = picture("c.bmp");
    start({a, bad, c});
    f().Command1_Click();
    f().Command1_Click();
    EXPECT_EQ(shown(), 1);
    EXPECT_EQ(f().Caption(), bad);
    EXPECT_EQ(f().Text1.Text(), "2");
    EXPECT_TRUE(f().Picture1.Picture().isEmpty());
    EXPECT_TRUE(f().Picture1.Visible());
    EXPECT_EQ(message(), bad + "\r\n" + QString::fromUtf8("ファイルが異常です。"));
    f().Command1_Click();
    EXPECT_EQ(shown(), 2);
    EXPECT_FALSE(f().Picture1.Picture().isEmpty());
}

TEST_F(Navigation, AFileRemovedAfterStartIsReported)
{
    const QString a = picture("a.bmp");
    start({a});
    QFile::remove(a);
    f().Command1_Click();
    EXPECT_EQ(message(), a + "\r\n" + QString::fromUtf8("ファイルが異常です。"));
}

TEST_F(Navigation, ChooserFollowsTheListOfTheShownPicture)
{
    const QString a = picture("a.bmp"), b = picture("b.bmp");
    const QString l1 = listFile("one.lst", {a}), l2 = listFile("two.lst", {b});
    start({l1, l2});
    f().Command1_Click();
    EXPECT_EQ(f().Combo1.Text(), l1);
    f().Command1_Click();
    EXPECT_EQ(f().Combo1.Text(), l2);
}

TEST_F(Navigation, StartingKesto)
{
    const QString kesto = dir.write("kesto", "#!/bin/sh\n");
    start({"/dr=" + kesto});
    f().menuKesto_Click();
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].program, kesto);
    EXPECT_TRUE(launcher.calls[0].args.isEmpty());
    EXPECT_EQ(launcher.calls[0].windowStyle, shell::vbNormalFocus);

    start({"/dr=" + dir.file("gone")});
    f().menuKesto_Click();
    start({});
    f().menuKesto_Click();
    EXPECT_EQ(launcher.calls.size(), 1u);
    launcher.fail = true;
    start({"/dr=" + kesto});
    f().menuKesto_Click(); // a program that cannot start is no failure of Tavlo's
    EXPECT_FALSE(ended);
}

TEST_F(Navigation, ClosingTheMainWindowEndsTheProgram)
{
    startWith(2);
    f().window()->close();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(f().Visible());
}

TEST_F(Navigation, CloseAllUnloadsEveryWindowAndEnds)
{
    startWith(2);
    t().showMessage("x");
    ASSERT_EQ(t().forms().count(), 2);
    act([&] { f().menu13_Click(); });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(f().Visible());
    EXPECT_FALSE(t().msgBox().Visible()) << "the program's end hides every window";
}

TEST_F(Navigation, ShowFileListListsTheFolder)
{
    start({});
    dir.write("x/one.bmp", "1");
    dir.write("x/two.bmp", "2");
    QString shownText;
    forms::setMsgBoxHook([&](const QString &p, int, const QString &) {
        shownText = p;
        return 1;
    });
    EXPECT_EQ(f().ShowFileList(dir.file("x")), dir.file("x"));
    forms::setMsgBoxHook(nullptr);
    QStringList lines = shownText.split("\r\n");
    lines.sort();
    EXPECT_EQ(lines, QStringList({"", "one.bmp", "two.bmp"}));
}

TEST_F(Navigation, MenusCarryTheirCaptionsAndShortcuts)
{
    start({});
    EXPECT_EQ(f().menu1.Caption(), QString::fromUtf8("ﾌｧｲﾙ(&F)"));
    EXPECT_EQ(f().menuKesto.action()->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(f().menu11.action()->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(f().menu13.action()->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_TRUE(f().menu12.action()->isSeparator());
    EXPECT_EQ(f().menu5.Caption(), QString::fromUtf8("NewSub表示(&N)"));
}

TEST_F(Navigation, EverySampleKindShows)
{
    ChangeDir cd(SUITE_SOURCE_DIR "/samples");
    start({"samples.lst", "tall.jpg", "wide.jpg"});
    ASSERT_EQ(m().fileCount, 11) << "the missing name in the list is skipped";
    EXPECT_EQ(f().Combo1.Text(), "samples.lst");
    for (int i = 0; i < m().fileCount; ++i) {
        f().Command1_Click();
        EXPECT_FALSE(f().Picture1.Picture().isEmpty()) << qPrintable(f().Caption());
        EXPECT_FLOAT_EQ(f().Picture1.Width(), float(f().Picture1.Picture().twipsSize().width()) + 60);
    }
    EXPECT_EQ(message(), "");
    EXPECT_EQ(f().Caption(), "wide.jpg");
    EXPECT_TRUE(f().HScroll1.Visible());
}

TEST_F(Navigation, DamagedFilesOfEveryKindEndInTheMessageWindow)
{
    QByteArray lyingBitmap(54, '\0');
    lyingBitmap[0] = 'B';
    lyingBitmap[1] = 'M';
    lyingBitmap[10] = 54;
    lyingBitmap[14] = 40;
    lyingBitmap[18] = char(0x60); // 60000 x 60000 pixels in a 54-byte file
    lyingBitmap[19] = char(0xEA);
    lyingBitmap[22] = char(0x60);
    lyingBitmap[23] = char(0xEA);
    lyingBitmap[26] = 1;
    lyingBitmap[28] = 24;
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise.append(char((i * 2654435761u) >> 13));
    QFile photo(SUITE_SOURCE_DIR "/samples/photo.jpg");
    ASSERT_TRUE(photo.open(QIODevice::ReadOnly));
    const QStringList bad{
        dir.write("cut.jpg", photo.read(photo.size() / 2)),
        dir.write("lying.bmp", lyingBitmap),
        dir.write("noise.wmf", noise),
        dir.write("noise.emf", noise),
        dir.write("empty.bmp", QByteArray()),
        dir.write("text.ico", "not an icon at all"),
    };
    const QString good = picture("good.bmp");
    start(QStringList(bad) << good);
    for (const QString &path : bad) {
        f().Command1_Click();
        EXPECT_EQ(f().Caption(), path);
        EXPECT_EQ(message(), path + "\r\n" + QString::fromUtf8("ファイルが異常です。"));
        EXPECT_TRUE(f().Picture1.Picture().isEmpty());
    }
    f().Command1_Click();
    EXPECT_EQ(f().Caption(), good);
    EXPECT_FALSE(f().Picture1.Picture().isEmpty());
    EXPECT_FALSE(ended);
}
