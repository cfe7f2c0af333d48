// SPDX-License-Identifier: GPL-2.0-or-later
// The board's icons under the real mouse: dragging them about, deleting them, double clicks.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/EventLoop.h"
#include "tavlo/Form2.h"

#include <QApplication>
#include <QMainWindow>
#include <QtTest/QTest>

class Mouse : public TavloTest
{
protected:
    Form2 &board(int icons)
    {
        QStringList pics;
        for (int i = 0; i < icons; ++i)
            pics << picture(QString("m%1.bmp").arg(i), 40, 30);
        start(pics);
        Form2 &b = t().form2();
        b.Show();
        b.window()->activateWindow();
        for (int i = 0; i < icons; ++i) {
            if (i > 0)
                b.Image1.Load(i);
            b.Image1(i).Move(float(i * 900), 300, 600, 450);
            b.Image1(i).setToolTipText(QString::number(i + 1));
            b.Image1(i).setVisible(true);
        }
        forms::DoEvents();
        return b;
    }
    // Presses on icon from at (x, y) pixels, moves over to, releases there.
    void drag(QWidget *from, QPoint at, QWidget *to, QPoint there)
    {
        QTest::mousePress(from, Qt::LeftButton, {}, at);
        QTest::mouseMove(to, there);
        QTest::mouseRelease(to, Qt::LeftButton, {}, there);
        forms::DoEvents();
    }
};

TEST_F(Mouse, AnIconDraggedOntoTheBoardLandsUnderThePointer)
{
    Form2 &b = board(2);
    QWidget *area = b.Picture1.inner();
    // Grabbed 10, 8 pixels into the icon, dropped at 200, 150 of the container.
    drag(b.Image1(0).widget(), QPoint(10, 8), area, QPoint(200, 150));
    EXPECT_FLOAT_EQ(b.Image1(0).Left(), 200 * 15 - 150);
    EXPECT_FLOAT_EQ(b.Image1(0).Top(), 150 * 15 - 120);
    EXPECT_EQ(b.dragIndex, 0);
}

TEST_F(Mouse, AnIconDroppedOnAnotherOrOnItselfMovesByWhereThePointerWent)
{
    Form2 &b = board(2);
    QWidget *other = b.Image1(1).widget();
    drag(b.Image1(0).widget(), QPoint(10, 8), other, QPoint(20, 30));
    EXPECT_FLOAT_EQ(b.Image1(0).Left(), 900 + (20 - 10) * 15);
    EXPECT_FLOAT_EQ(b.Image1(0).Top(), 300 + (30 - 8) * 15);
    EXPECT_EQ(b.Image1(0).widget(), b.Picture1.inner()->childAt(b.Image1(0).widget()->geometry().center()))
        << "brought to the front";
    const float left = b.Image1(0).Left(), top = b.Image1(0).Top();
    drag(b.Image1(0).widget(), QPoint(10, 10), b.Image1(0).widget(), QPoint(14, 13));
    EXPECT_FLOAT_EQ(b.Image1(0).Left(), left + 4 * 15);
    EXPECT_FLOAT_EQ(b.Image1(0).Top(), top + 3 * 15);
}

TEST_F(Mouse, DeleteModeHidesClickedIconsForGood)
{
    Form2 &b = board(3);
    b.menu13.action()->trigger();
    QTest::mouseClick(b.Image1(1).widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b.Image1(1).Visible());
    b.menu13.action()->trigger();
    EXPECT_FALSE(b.Image1(1).Visible()) << "switching the mode off brings nothing back";
    EXPECT_EQ(b.lastClicked, 2);
}

TEST_F(Mouse, ADoubleClickHandsThePictureToTheMainWindow)
{
    Form2 &b = board(3);
    QTest::mouseDClick(b.Image1(2).widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.Caption(), m().fileNames[2]);
    EXPECT_EQ(m().curIndex, 2);
    EXPECT_EQ(f().Caption(), m().fileNames[2]);
    EXPECT_EQ(f().Text1.Text(), "3");

    // With the main window closed, only the caption changes.
    f().Unload();
    QTest::mouseDClick(b.Image1(0).widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.Caption(), m().fileNames[0]);
    EXPECT_FALSE(m().FindForm("Form1"));
}
