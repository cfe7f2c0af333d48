// SPDX-License-Identifier: GPL-2.0-or-later
// Closing Tavlo's windows by every route the user has: the close box, the board's own menu
// clicked with the mouse, close all; and the program's end once no window is left to see.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/Forms.h"
#include "platform/forms/MenuBar.h"
#include "tavlo/Form2.h"
#include "tavlo/modlessMsgBox.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QtTest/QTest>

class Closing : public TavloTest
{
protected:
    void startWith(int n)
    {
        QStringList pics;
        for (int i = 0; i < n; ++i)
            pics << picture(QString("c%1.bmp").arg(i), 30 + i, 20);
        start(pics);
        f().Show();
        f().Command1_Click();
    }
    // Lets the event loop run until cond holds or a few seconds have passed.
    static bool eventually(const std::function<bool()> &cond)
    {
        QElapsedTimer clock;
        clock.start();
        while (!cond() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return cond();
    }
    // Lets whatever the event loop has queued run.
    static void settle()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 100)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // Clicks a menu title of a window and then an item of the menu it opens, with the mouse.
    static void clickMenu(forms::Form &w, forms::Menu &title, forms::Menu &item)
    {
        w.Show();
        w.window()->activateWindow();
        QMenuBar *bar = w.menuBar()->barOf(title.action());
        ASSERT_NE(bar, nullptr) << "every title is on a row of the bar";
        ASSERT_TRUE(eventually([&] { return bar->rect().contains(bar->actionGeometry(title.action())); }))
            << "the title shows whole";
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title.action()).center());
        QMenu *menu = title.submenu();
        ASSERT_TRUE(eventually([&] { return menu->isVisible(); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item.action()).center());
    }
};

TEST_F(Closing, TheBoardsOwnMenuClosesItAndTheProgramGoesOn)
{
    startWith(3);
    f().menu3_Click();
    f().menu5_Click(); // a second board, made while running
    QPointer<Form2> second = m().subForm.data();
    ASSERT_TRUE(second);
    clickMenu(*second, second->menu1, second->menu19);
    EXPECT_TRUE(eventually([&] { return second.isNull(); })) << "gone, once its menu was done";
    EXPECT_FALSE(ended);
    EXPECT_TRUE(f().Visible());

    // The first board, once shown, closes the same way.
    Form2 &first = t().form2();
    first.Show();
    QPointer<Form2> firstAlive(&first);
    clickMenu(first, first.menu1, first.menu19);
    EXPECT_TRUE(eventually([&] { return firstAlive.isNull() || !firstAlive->isLoaded(); }));
    EXPECT_FALSE(ended);
    EXPECT_TRUE(f().Visible());
}

TEST_F(Closing, CloseAllFromTheMenuEndsEverything)
{
    startWith(3);
    f().menu3_Click();
    f().menu5_Click();
    QPointer<Form2> board = m().subForm.data();
    clickMenu(f(), f().menu1, f().menu13);
    EXPECT_TRUE(eventually([&] { return ended; }));
    EXPECT_TRUE(eventually([&] { return board.isNull(); }));
}

TEST_F(Closing, TheMainWindowGoesFirstAndTheLastBoardEndsTheProgram)
{
    startWith(2);
    f().menu5_Click();
    QPointer<Form2> board = m().subForm.data();
    f().window()->close();
    settle();
    EXPECT_FALSE(ended) << "the board goes on";
    ASSERT_TRUE(board && board->Visible());
    board->window()->close();
    EXPECT_TRUE(eventually([&] { return ended; })) << "nothing is left on the screen";
}

TEST_F(Closing, HiddenWindowsGoWithTheLastWindowShown)
{
    startWith(2);
    f().menu3_Click(); // the first board fills while hidden
    t().showMessage("x");
    t().msgBox().Command1_Click(); // the message window hides
    ASSERT_TRUE(m().FindForm("Form2"));
    f().window()->close();
    EXPECT_TRUE(eventually([&] { return ended; })) << "nothing could ever show the hidden board again";
    EXPECT_EQ(t().forms().count(), 0);
}
