// SPDX-License-Identifier: GPL-2.0-or-later
// Copying pictures onto icon boards from the main window: sizing, placement, copyAll, new
// boards, the board toggle.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "tavlo/Form2.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QtTest/QTest>

class Copy : public TavloTest
{
protected:
    // Starts with pictures of these sizes in pixels and shows the first.
    void startWith(const std::vector<QSize> &sizes)
    {
        QStringList pics;
        for (size_t i = 0; i < sizes.size(); ++i)
            pics << picture(QString("p%1.bmp").arg(i), sizes[i].width(), sizes[i].height());
        start(pics);
        f().Command1_Click();
    }
    Form2 &board() { return *m().subForm; }
    forms::Image &icon(int i) { return board().Image1(i); }
    QPointF at(int i) { return QPointF(icon(i).Left(), icon(i).Top()); }
    void key(forms::Control &c, Qt::Key k)
    {
        c.SetFocus();
        QTest::keyClick(c.widget(), k);
    }
};

TEST(CopySize, AnIconTakesTheIconAreaUnlessThePictureIsSmaller)
{
    const IconSize large = Form1::iconSizeFor(4000, 3000, 5000000, false);
    EXPECT_NEAR(large.scale, 1.5492, 0.0001);
    EXPECT_NEAR(large.width, 2582, 1);
    EXPECT_NEAR(large.height, 1936, 1);
    EXPECT_NEAR(double(large.width) * large.height, 5000000, 100);
    const IconSize small = Form1::iconSizeFor(1500, 1000, 5000000, false);
    EXPECT_EQ(small.width, 1500);
    EXPECT_EQ(small.height, 1000);
    EXPECT_EQ(small.scale, 1);
    const IconSize ico = Form1::iconSizeFor(540, 540, 5000000, true);
    EXPECT_EQ(ico.width, 1080);
    EXPECT_EQ(ico.scale, 0);
}

TEST_F(Copy, TheFirstIconStaysAtTheCornerOfTheHiddenDefaultBoard)
{
    startWith({{300, 200}, {100, 100}});
    key(f().Command1, Qt::Key_C);
    ASSERT_FALSE(m().subForm.isNull());
    EXPECT_EQ(board().Caption(), "Form2-0");
    EXPECT_FALSE(board().Visible()) << "the default board is filled while hidden";
    EXPECT_EQ(at(0), QPointF(0, 0));
    EXPECT_TRUE(icon(0).Visible());
    EXPECT_EQ(icon(0).ToolTipText(), "1");
    EXPECT_EQ(m().boardIconCount, 1);
    EXPECT_EQ(m().iconFile[0], 0);
    ASSERT_EQ(board().Image1.Count(), 2);
    EXPECT_FALSE(icon(1).Visible()) << "an empty slot for the next icon";
    const QSizeF canvas(f().Picture1.Width(), f().Picture1.Height());
    EXPECT_NEAR(double(icon(0).Width()) * icon(0).Height(), 5000000, 1000);
    EXPECT_NEAR(icon(0).Width() / icon(0).Height(), canvas.width() / canvas.height(), 0.001);
    EXPECT_NEAR(m().picScale[0], std::sqrt(canvas.width() * canvas.height() / 5000000), 0.0001);

    // The second one goes right of it, one twip lower.
    f().Command1_Click();
    f().menu3.action()->trigger();
    EXPECT_FLOAT_EQ(icon(1).Left(), icon(0).Left() + icon(0).Width() + 1);
    EXPECT_FLOAT_EQ(icon(1).Top(), icon(0).Top() + 1);
    EXPECT_EQ(icon(1).ToolTipText(), "2");
    EXPECT_EQ(m().iconFile[1], 1);
}

TEST_F(Copy, ANewRowAtTheRightLimitSlidesDownPastRecordedIcons)
{
    startWith({{30, 30}});
    for (int i = 0; i < 3; ++i)
        f().copy();
    Form2 &b = board();
    // Make the next icon pass the right limit, and put an icon where the new row begins.
    const float limit = b.Width() - b.VScroll1.Width() - 50;
    icon(2).Move(limit - 200, 5, 480, 480);
    icon(1).Move(0, 480, 480, 480);
    m().boardIconCount = 0; // re-recorded from their places by the next copy
    f().copy();
    EXPECT_EQ(m().rowStart, 3);
    EXPECT_FLOAT_EQ(icon(3).Left(), 0);
    EXPECT_FLOAT_EQ(icon(3).Top(), 960 + 1) << "under the row's first icon (480), then past icon 1 (480 + 480 + 1)";
}

TEST_F(Copy, IconFilesAreDoubledAndHaveNoScale)
{
    const QString ico = QString(SUITE_SOURCE_DIR) + "/samples/icon.ico";
    start({ico});
    f().Command1_Click();
    f().copy();
    EXPECT_FLOAT_EQ(icon(0).Width(), 2 * f().Picture1.Width());
    EXPECT_FLOAT_EQ(icon(0).Height(), 2 * f().Picture1.Height());
    EXPECT_EQ(m().picScale[0], 0);
}

TEST_F(Copy, CopyAllCopiesFromTheShownPictureToTheEnd)
{
    startWith({{20, 20}, {21, 20}, {22, 20}, {23, 20}, {24, 20}});
    f().Command1_Click();
    f().Command1_Click();
    ASSERT_EQ(m().curIndex, 2);
    key(f().Command1, Qt::Key_A);
    EXPECT_EQ(m().curIndex, 4);
    ASSERT_EQ(board().Image1.Count(), 4);
    EXPECT_EQ(icon(0).ToolTipText(), "3");
    EXPECT_EQ(icon(1).ToolTipText(), "4");
    EXPECT_EQ(icon(2).ToolTipText(), "5");
    EXPECT_EQ(m().iconFile[2], 4);
}

TEST_F(Copy, ABoardClosedDuringCopyAllEndsIt)
{
    std::vector<QSize> many(30, QSize(40, 30));
    startWith(many);
    m().subForm = nullptr;
    int copied = 0;
    QPointer<Form2> first;
    // Closes the board as soon as it holds three icons, from inside copyAll's event breaks.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!first && m().subForm)
            first = m().subForm;
        if (first && first->Image1.Count() > 3 && first->isLoaded()) {
            copied = first->Image1.Count() - 1;
            first->window()->close();
        }
    });
    closer.start(0);
    act([&] { f().menu4.action()->trigger(); });
    closer.stop();
    EXPECT_TRUE(f().stopCopy);
    EXPECT_GE(copied, 3);
    EXPECT_LT(m().curIndex, 29) << "copyAll stopped early";
    EXPECT_TRUE(m().subForm.isNull());
    forms::collectGarbage();
    EXPECT_TRUE(first.isNull()) << "the closed board is gone once no handler runs";
    EXPECT_FALSE(ended);
}

TEST_F(Copy, AFullBoardOpensANewOneAndTheCopyGoesThere)
{
    startWith({{40, 30}, {40, 30}});
    f().copy();
    Form2 *full = m().subForm;
    // The container cannot grow past the window system's limit.
    full->Image1(0).setTop(491505 - 100);
    f().Command1_Click();
    f().copy();
    ASSERT_NE(m().subForm.data(), full);
    EXPECT_EQ(board().Caption(), "Form2- 1");
    EXPECT_TRUE(board().Visible());
    EXPECT_EQ(at(0), QPointF(0, 0));
    EXPECT_EQ(icon(0).ToolTipText(), "2");
    EXPECT_EQ(m().subShown, vb::True);
    ASSERT_EQ(full->Image1.Count(), 2) << "the old board keeps its icon and an empty slot";
    EXPECT_FALSE(full->Image1(1).Visible());
}

TEST_F(Copy, TheToggleHidesAndShowsTheSameBoard)
{
    startWith({{40, 30}});
    key(f().Command2, Qt::Key_C); // the first copy loads the default board
    Form2 *b = m().subForm;
    key(f().Command2, Qt::Key_Escape);
    EXPECT_EQ(m().subForm.data(), b) << "a loaded board: no new one";
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(f().Command2.Caption(), QString::fromUtf8("Sub非表示"));
    key(f().Command2, Qt::Key_Escape);
    EXPECT_FALSE(b->Visible());
    EXPECT_EQ(f().Command2.Caption(), QString::fromUtf8("Sub再表示"));
    QTest::mouseClick(f().Command2.widget(), Qt::LeftButton);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(f().Command2.Caption(), QString::fromUtf8("Sub非表示"));
}

TEST_F(Copy, NewBoardsAreNumberedAndPlaced)
{
    startWith({{40, 30}});
    f().menu5.action()->trigger();
    Form2 *one = m().subForm;
    EXPECT_EQ(one->Caption(), "Form2- 1");
    EXPECT_TRUE(one->Visible());
    EXPECT_FLOAT_EQ(one->Left(), 4800 + 300) << "its design place, moved by 300";
    f().menu5.action()->trigger();
    EXPECT_EQ(m().subForm->Caption(), "Form2- 2");
    EXPECT_EQ(t().forms().count(), 3);
    // A board as tall as the work area is cut to it.
    area.change({0, 0, 15360, 3000});
    f().menu5.action()->trigger();
    EXPECT_FLOAT_EQ(m().subForm->Height(), 3000 - m().subForm->Top());
}

TEST_F(Copy, CopyWithoutAShownPictureDoesNothing)
{
    start({picture("a.bmp")});
    f().copy();
    ASSERT_FALSE(m().subForm.isNull());
    EXPECT_EQ(board().Image1.Count(), 1);
    EXPECT_FALSE(icon(0).Visible());
    m().subForm = nullptr;
    f().copy();
    EXPECT_TRUE(f().stopCopy);
}
