// SPDX-License-Identifier: GPL-2.0-or-later
// Windows and controls that come and go while handlers run: End, the event wrapper, deferred
// destruction, default instances, control arrays, budgeted DoEvents, and the image control's
// memory.
#include "platform/forms/Controls.h"
#include "platform/forms/DefaultInstance.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Menu.h"
#include "platform/forms/MenuBar.h"
#include "platform/forms/Program.h"
#include "platform/vb/vb.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Each test is a program of its own, whose end and errors it counts.
class Life : public ::testing::Test
{
protected:
    Life()
    {
        forms::setEndHook([this] { ++ends; });
        forms::setUnhandledErrorHook([this](int n, const QString &) { reported.push_back(n); });
    }
    int ends = 0;
    std::vector<int> reported;

private:
    forms::Program program_; // after what its hooks use: it goes first
};

class Board : public forms::Form
{
public:
    explicit Board(forms::Forms &f) : Form(f, "Form2", 3000, 2000), Text1(*this, "Text1"), Image1(*this, "Image1")
    {
        Image1(0).Move(0, 0, 300, 200);
        Image1(0).setToolTipText("design");
    }
    forms::TextBox Text1;
    forms::ControlArray<forms::Image> Image1;
};

// A window that unloads itself from its menu (ファイル → 終了), a button, a key or its timer.
class SelfClosing : public forms::Form
{
public:
    explicit SelfClosing(forms::Forms &f)
        : Form(f, "Form2", 4000, 3000),
          menu1(*this, "menu1", "ファイル(&F)"),
          menu19(*this, "menu19", "終了", &menu1),
          Command1(*this, "Command1"),
          Text1(*this, "Text1"),
          Timer1(*this, "Timer1")
    {
        Command1.Move(0, 0, 1000, 400);
        Text1.Move(0, 600, 1000, 300);
        menu19.Click = [this] { Unload(); };
        Command1.Click = [this] { Unload(); };
        Text1.KeyDown = [this](int &k, int) {
            if (k == forms::vbKeyEscape)
                Unload();
        };
        Timer1.Tick = [this] { Unload(); };
    }
    forms::Menu menu1, menu19;
    forms::CommandButton Command1;
    forms::TextBox Text1;
    forms::Timer Timer1;
};

// Lets the event loop run until cond holds or ms have passed.
bool eventually(const std::function<bool()> &cond, int ms = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!cond() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return cond();
}

} // namespace

TEST_F(Life, EndStopsEveryHandlerOnTheStack)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::CommandButton outer(form, "Command1"), inner(form, "Command2");
    form.Show();
    QStringList ran;
    inner.Click = [&] {
        ran << "inner";
        forms::End();
        ran << "after End"; // never
    };
    outer.Click = [&] {
        ran << "outer";
        for (int i = 0; i < 3; ++i) {
            QMetaObject::invokeMethod(
                inner.widget(), [&] { QTest::mouseClick(inner.widget(), Qt::LeftButton); }, Qt::QueuedConnection);
            forms::DoEvents();
            ran << "outer goes on"; // never: the End inside DoEvents unwinds this loop too
        }
    };
    QTest::mouseClick(outer.widget(), Qt::LeftButton);
    EXPECT_EQ(ran, QStringList({"outer", "inner"}));
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(form.Visible());
    QTest::mouseClick(outer.widget(), Qt::LeftButton);
    EXPECT_EQ(ran.size(), 2) << "no handler runs after the end";
}

TEST_F(Life, AnyExceptionAHandlerLetsThroughIsReported)
{
    forms::runEvent([] { throw std::logic_error("broken"); });
    forms::runEvent([] { vb::raiseError(vb::ErrDdeTimeout); });
    forms::runEvent([] { throw 42; });
    EXPECT_EQ(reported, (std::vector<int>{vb::ErrInternal, vb::ErrDdeTimeout, vb::ErrInternal}));
}

TEST_F(Life, AWindowClosedInsideDoEventsOutlivesTheHandlerThatRuns)
{
    forms::Forms all;
    auto *board = new Board(all);
    all.adopt(board);
    QPointer<Board> alive(board);
    board->Show();
    forms::runEvent([&] {
        QMetaObject::invokeMethod(
            board->window(), [&] { board->window()->close(); }, Qt::QueuedConnection);
        forms::DoEvents();
        ASSERT_FALSE(alive.isNull()) << "closed, but still here for the handler";
        EXPECT_FALSE(board->isLoaded());
        board->Image1(0).setLeft(15); // the handler carries on with its objects
        board->Text1.setText("still usable");
    });
    EXPECT_FALSE(alive.isNull()) << "the widget that delivered the event may still be on the stack";
    EXPECT_TRUE(eventually([&] { return alive.isNull(); })) << "gone once the event loop has it back";
    EXPECT_EQ(ends, 1) << "its last window gone, the program ended";
}

TEST_F(Life, AWindowClosesItselfByEveryRouteAndGoesOnlyOnceNothingOfItRuns)
{
    forms::Forms all;
    forms::Form keeper(all, "Form1", 3000, 2000); // the program goes on with this one
    keeper.Show();
    for (const char *route : {"menu", "button", "key", "timer"}) {
        SCOPED_TRACE(route);
        auto *board = new SelfClosing(all);
        all.adopt(board);
        QPointer<SelfClosing> alive(board);
        board->Show();
        board->window()->activateWindow();
        forms::DoEvents();
        if (QByteArray(route) == "menu") {
            QMenuBar *bar = board->menuBar()->barOf(board->menu1.action());
            ASSERT_NE(bar, nullptr);
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(board->menu1.action()).center());
            QMenu *popup = board->menu1.submenu();
            ASSERT_TRUE(eventually([&] { return popup->isVisible(); }));
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(board->menu19.action()).center());
        } else if (QByteArray(route) == "button") {
            QTest::mouseClick(board->Command1.widget(), Qt::LeftButton);
        } else if (QByteArray(route) == "key") {
            board->Text1.SetFocus();
            QTest::keyClick(board->Text1.widget(), Qt::Key_Escape);
        } else {
            board->Timer1.setInterval(1);
            board->Timer1.setEnabled(true);
        }
        ASSERT_TRUE(eventually([&] { return alive.isNull() || !board->isLoaded(); })) << "unloaded";
        EXPECT_TRUE(eventually([&] { return alive.isNull(); })) << "and destroyed";
    }
    EXPECT_EQ(ends, 0) << "a window is left";
    EXPECT_TRUE(keeper.isLoaded());
}

TEST_F(Life, TheProgramEndsWithItsLastWindowAndNotWhileAHandlerRuns)
{
    forms::Forms all;
    forms::Form main(all, "Form1", 3000, 2000), other(all, "Form2", 3000, 2000);
    main.Show();
    other.Show();
    main.Unload();
    EXPECT_FALSE(eventually([&] { return ends > 0; }, 50));
    forms::runEvent([&] {
        other.Unload();
        forms::DoEvents();
        EXPECT_EQ(ends, 0) << "the handler that unloaded it still runs";
    });
    EXPECT_TRUE(eventually([&] { return ends == 1; }));
}

TEST_F(Life, WithEndWhenNothingShowsTheHiddenWindowsGoWithTheLastOneShown)
{
    forms::Forms all;
    all.setEndWhenNothingShows(true);
    forms::Form main(all, "Form1", 3000, 2000), board(all, "Form2", 3000, 2000), message(all, "Form3", 2000, 1000);
    main.Show();
    board.Load(); // filled while hidden
    message.Show();
    message.Hide();
    main.window()->close(); // the user closes the only window on the screen
    EXPECT_TRUE(eventually([&] { return ends == 1; }));
    EXPECT_FALSE(board.isLoaded());
    EXPECT_FALSE(message.isLoaded());
    EXPECT_EQ(all.count(), 0);
}

TEST_F(Life, ADefaultInstanceIsMadeAfreshAfterAnUnload)
{
    forms::Forms all;
    forms::DefaultInstance<Board> board(all, [&] { return new Board(all); });
    EXPECT_EQ(board.peek(), nullptr);
    Board *first = &board.get();
    EXPECT_FALSE(first->isLoaded()) << "made, not loaded";
    EXPECT_EQ(&board.get(), first);
    first->Show();
    first->Text1.setText("typed");
    first->Image1.Load(1);
    first->Unload();
    Board &second = board.get();
    EXPECT_NE(&second, first);
    EXPECT_EQ(second.Text1.Text(), "") << "the design state";
    EXPECT_EQ(second.Image1.Count(), 1);
}

TEST_F(Life, ControlArraysLoadFromElementZeroAndHandTheIndexToEvents)
{
    forms::Forms all;
    Board board(all);
    board.Show();
    forms::Image &added = board.Image1.Load(2);
    EXPECT_FLOAT_EQ(added.Width(), 300);
    EXPECT_EQ(added.ToolTipText(), "design");
    EXPECT_FALSE(added.Visible());
    EXPECT_EQ(added.Index(), 2);
    EXPECT_EQ(board.Image1.Count(), 2);
    EXPECT_EQ(board.Image1.UBound(), 2);

    auto error = [](const std::function<void()> &f) {
        try {
            f();
        } catch (const vb::RuntimeError &e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(error([&] { board.Image1.Load(2); }), vb::ErrAlreadyLoaded);
    EXPECT_EQ(error([&] { board.Image1(1); }), vb::ErrNoSuchElement);
    EXPECT_EQ(error([&] { board.Image1.Unload(0); }), vb::ErrDesignElement);

    std::vector<int> pressed;
    board.Image1.MouseDown = [&](int index, int, int, float, float) { pressed.push_back(index); };
    added.Move(600, 0, 300, 200);
    added.setVisible(true);
    board.Image1(0).setVisible(true);
    QTest::mouseClick(added.widget(), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(board.Image1(0).widget(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(pressed, (std::vector<int>{2, 0}));

    QPointer<QWidget> widget = added.widget();
    board.Image1.Unload(2);
    EXPECT_EQ(board.Image1.Count(), 1);
    EXPECT_FALSE(widget->isVisible()) << "off the screen at once";
    forms::collectGarbage();
    EXPECT_TRUE(widget.isNull()) << "and gone once no handler runs";
}

TEST_F(Life, YieldEventsLetsEventsRunOnATimeBudget)
{
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    forms::DoEvents();
    ASSERT_EQ(ran, 1);
    QTimer::singleShot(0, [&] { ++ran; });
    forms::yieldEvents(); // right after events ran: not yet
    EXPECT_EQ(ran, 1);
    QElapsedTimer clock;
    clock.start();
    while (ran == 1 && clock.elapsed() < 5000)
        forms::yieldEvents();
    EXPECT_EQ(ran, 2) << "but soon";
}

TEST_F(Life, AStretchedImageOfALargePictureKeepsOnlyItsCopy)
{
    TempDir dir;
    QImage big(2000, 1500, QImage::Format_RGB32);
    big.fill(QColor(10, 200, 30));
    const QString path = dir.file("big.bmp");
    ASSERT_TRUE(big.save(path, "BMP"));
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::Image image(form, "Image1");
    image.setStretch(true);
    image.Move(0, 0, 1500, 1125);
    image.setPicture(picture::loadPicture(path));
    EXPECT_FALSE(image.holdsWholePicture());
    const QImage face = image.widget()->grab().toImage();
    EXPECT_EQ(face.pixelColor(50, 40), QColor(10, 200, 30));
    EXPECT_EQ(image.Picture().pixelSize(), QSize(2000, 1500)) << "read again from the file when wanted whole";
    EXPECT_FALSE(image.holdsWholePicture());

    // A small picture, or one made in memory, is kept as it is.
    image.setPicture(picture::Picture::fromImage(big));
    EXPECT_TRUE(image.holdsWholePicture());
}
