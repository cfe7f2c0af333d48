// SPDX-License-Identifier: GPL-2.0-or-later
// The icon board: the layout engine's records, orderings, overlap and packing, the window's
// scrolling, keys, menus and closing, and printing.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "tavlo/Form2.h"
#include "tavlo/modlessMsgBox.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QtTest/QTest>

class Board : public TavloTest
{
protected:
    Form2 &board()
    {
        if (!board_) {
            start({});
            board_ = &t().form2();
            board_->Show();
        }
        return *board_;
    }
    // A visible icon of picture number fileNo; returns its index.
    int icon(float left, float top, float width, float height, int fileNo = 1)
    {
        Form2 &b = board();
        const int i = b.Image1(0).Visible() ? b.Image1.UBound() + 1 : 0;
        if (i > 0)
            b.Image1.Load(i);
        b.Image1(i).Move(left, top, width, height);
        b.Image1(i).setToolTipText(QString::number(fileNo));
        b.Image1(i).setVisible(true);
        return i;
    }
    QPointF at(int i) { return QPointF(board().Image1(i).Left(), board().Image1(i).Top()); }
    std::vector<int> order(const IconRecs &recs, int n)
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(recs[size_t(i)].iconIndex);
        return out;
    }

private:
    Form2 *board_ = nullptr;
};

TEST_F(Board, RecordsAndTheFourOrderings)
{
    const int a = icon(500, 0, 100, 200, 3); // aspect 0.5, area 20000
    const int b = icon(100, 0, 200, 100, 1); // aspect 2, area 20000
    const int c = icon(0, 50, 100, 100, 2);  // aspect 1, area 10000
    const int d = icon(0, 50, 140, 140, 2);  // the same picture again, area 19600
    IconRecs recs{};
    for (int i : {a, b, c, d})
        AddIconRec(recs, i, board(), i);
    EXPECT_EQ(recs[size_t(a)].fileNo, 3);
    EXPECT_FLOAT_EQ(recs[size_t(b)].aspect, 2);
    EXPECT_FLOAT_EQ(recs[size_t(d)].area, 19600);

    IconRecs r = recs;
    sortByPosition(r, 4, 0);
    EXPECT_EQ(order(r, 4), (std::vector<int>{b, a, c, d})) << "top first, then left (c and d tie)";
    r = recs;
    sortByAspect(r, 4, 0);
    EXPECT_EQ(order(r, 4), (std::vector<int>{a, c, d, b}));
    r = recs;
    sortByArea(r, 4, 0);
    EXPECT_EQ(order(r, 4), (std::vector<int>{c, d, b, a})) << "equal areas by picture number";
    r = recs;
    sortByList(r, 4, 0);
    EXPECT_EQ(order(r, 4), (std::vector<int>{b, c, d, a})) << "the same picture twice by area";
    r = recs;
    sortByArea(r, 4, 2);
    EXPECT_EQ(order(r, 4), (std::vector<int>{a, b, c, d})) << "records before the first position stay";
}

TEST_F(Board, OverlapByEdgeByCornerAndByCross)
{
    const int base = icon(1000, 1000, 500, 300);
    const int touching = icon(1500, 1000, 200, 200); // shares the right edge
    const int gap = icon(1000, 1301, 500, 300);      // one twip below
    const int wide = icon(800, 1100, 900, 50);       // a flat one across the base
    const int tall = icon(1200, 900, 50, 600);       // a tall one through it
    Form2 &b = board();
    EXPECT_TRUE(pointInIcon(1000, 1500, b.Image1(base))) << "edges count";
    EXPECT_FALSE(pointInIcon(1301, 1000, b.Image1(base)));
    EXPECT_TRUE(crossesIcon(b.Image1(tall), b.Image1(wide)));

    IconRecs recs{};
    AddIconRec(recs, 0, b, base);
    EXPECT_EQ(findOverlap(b, b.Image1(touching), recs, 1), 0);
    EXPECT_EQ(findOverlap(b, b.Image1(gap), recs, 1), -1);
    AddIconRec(recs, 0, b, wide);
    EXPECT_EQ(findOverlap(b, b.Image1(tall), recs, 1), 0) << "a cross with no corner inside the other";
}

TEST_F(Board, RelocationPacksRowsOfColumns)
{
    // Three icons in this order, 300, 100 and 100 twips high.
    const int first = icon(3000, 2000, 400, 300, 1);
    const int second = icon(100, 4000, 300, 100, 2);
    const int third = icon(50, 5000, 300, 100, 3);
    board().relocateIcons(6);
    EXPECT_EQ(at(first), QPointF(0, 0));
    EXPECT_EQ(at(second), QPointF(401, 1)) << "right of the first, one twip lower";
    EXPECT_EQ(at(third), QPointF(401, 102)) << "under the second: 1 + 100 + 1 + 100 <= 300";
    EXPECT_FLOAT_EQ(board().Picture1.Height(), 500);
    EXPECT_TRUE(board().Image1(third).Visible());
    EXPECT_EQ(m().boardIconCount, 0);
}

TEST_F(Board, RelocationWrapsAtTheRightLimitAndSlidesPastWhatItTouches)
{
    Form2 &b = board();
    const float limit = b.Width() - b.VScroll1.Width() - 50;
    const int wideOne = icon(0, 0, limit - 1000, 800, 1);
    const int next = icon(0, 0, 1500, 500, 2);        // does not fit beside: a new row
    const int huge = icon(0, 0, limit + 500, 300, 3); // wider than the limit on its own
    b.relocateIcons(6);
    EXPECT_EQ(at(wideOne), QPointF(0, 0));
    EXPECT_EQ(at(next), QPointF(0, 801)) << "under the row's first icon";
    EXPECT_EQ(at(huge), QPointF(0, 801 + 500 + 1)) << "a new row at Left 0, slid under what it touched";

    // One icon alone: at the corner, the container its height plus 200.
    b.Image1(next).setVisible(false);
    b.Image1(huge).setVisible(false);
    b.relocateIcons(1);
    EXPECT_EQ(at(wideOne), QPointF(0, 0));
    EXPECT_FLOAT_EQ(b.Picture1.Height(), 1000);
    EXPECT_EQ(at(next), QPointF(0, 801)) << "hidden icons take no part";
}

TEST_F(Board, ASecondRelocationIsTurnedAwayWhileOneRuns)
{
    Form2 &b = board();
    for (int i = 0; i < 40; ++i)
        icon(i * 37 % 700, i * 53 % 900, 300 + i * 7 % 200, 200 + i * 11 % 300, i + 1);
    QString notice;
    // The second request arrives while the first lets events run.
    QTimer::singleShot(0, [&] {
        b.menu6.action()->trigger();
        notice = message();
    });
    act([&] { b.menu6.action()->trigger(); });
    EXPECT_FALSE(b.busy);
    EXPECT_EQ(notice, QString::fromUtf8("現在再配置作業中")) << "the busy notice came";
    EXPECT_FALSE(m().FindForm("modlessMsgBox")) << "and went with the relocation that ran";
}

TEST_F(Board, ScrollingInQuarterIconsOrInThousandths)
{
    Form2 &b = board();
    const int first = icon(0, 0, 1000, 800);
    b.Picture1.setHeight(7 * b.ScaleHeight());
    b.VScroll1_Change();
    EXPECT_EQ(b.VScroll1.SmallChange(), 1);
    EXPECT_EQ(b.VScroll1.LargeChange(), 4);
    EXPECT_EQ(b.VScroll1.Max(), vb::CInt(6 * b.ScaleHeight() * 4 / b.Image1(first).Height()));
    b.VScroll1.setValue(3);
    EXPECT_FLOAT_EQ(b.Picture1.Top(), -3 * 800 / 4.0f - 100);

    b.VScroll1.setValue(0);
    b.Picture1.setHeight(2 * b.ScaleHeight());
    b.VScroll1_Change();
    EXPECT_EQ(b.VScroll1.Max(), 1000);
    EXPECT_EQ(b.VScroll1.SmallChange(), 20);
    b.VScroll1.setValue(500);
    EXPECT_FLOAT_EQ(b.Picture1.Top(), -500 * b.ScaleHeight() / 1000);

    // The user's arrow click on the real bar moves the container too.
    b.VScroll1.setValue(0);
    QTest::mouseClick(b.VScroll1.widget(), Qt::LeftButton, {}, QPoint(8, b.VScroll1.widget()->height() - 8));
    EXPECT_EQ(b.VScroll1.Value(), 20);
    EXPECT_FLOAT_EQ(b.Picture1.Top(), -20 * b.ScaleHeight() / 1000);

    // Resizing keeps the container and the bar beside each other.
    b.setWidth(6000);
    EXPECT_FLOAT_EQ(b.Picture1.Width(), b.ScaleWidth() - 260);
    EXPECT_FLOAT_EQ(b.VScroll1.Left(), b.ScaleWidth() - 260);
    EXPECT_FLOAT_EQ(b.VScroll1.Height(), b.ScaleHeight());
}

TEST_F(Board, TheSizeMenuKeepsOneItemCheckedAndFollowsTheWindow)
{
    Form2 &b = board();
    auto checked = [&] {
        std::vector<int> on;
        for (int i = 1; i <= kSizeItems; ++i)
            if (b.menu3s[size_t(i)]->Checked())
                on.push_back(i);
        return on;
    };
    EXPECT_EQ(checked(), std::vector<int>{5});
    EXPECT_FLOAT_EQ(m().iconArea, 5000000);
    b.menu3s[8]->action()->trigger();
    EXPECT_EQ(checked(), std::vector<int>{8});
    EXPECT_FLOAT_EQ(m().iconArea, 9500000);
    b.menu3s[10]->action()->trigger();
    EXPECT_EQ(checked(), std::vector<int>{10});
    EXPECT_FLOAT_EQ(m().iconArea, b.ScaleWidth() * b.ScaleHeight() / 4);
    b.setHeight(b.Height() + 1500);
    b.selectSize(0);
    EXPECT_EQ(checked(), std::vector<int>{10});
    EXPECT_FLOAT_EQ(m().iconArea, b.ScaleWidth() * b.ScaleHeight() / 4) << "a quarter of the new client area";
    m().iconArea = 2000000;
    b.selectSize(0);
    EXPECT_EQ(checked(), std::vector<int>{2});
}

TEST_F(Board, KeysAndModeMenus)
{
    Form2 &b = board();
    b.SetFocus();
    forms::DoEvents();
    QWidget *focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_D);
    EXPECT_TRUE(b.fileDragMode);
    EXPECT_EQ(b.menu2.Caption(), QString::fromUtf8("ファイル名Dragモードです(&D)"));
    QTest::keyClick(focused, Qt::Key_D);
    EXPECT_EQ(b.menu2.Caption(), QString::fromUtf8("配置修正モードです(&D)"));

    b.menu13.action()->trigger();
    EXPECT_TRUE(b.deleteMode);
    EXPECT_EQ(b.menu13.Caption(), QString::fromUtf8("クリックでアイコン削除するモードON(&W)です"));
    b.menu14.action()->trigger();
    b.menu14.action()->trigger();
    EXPECT_FALSE(b.journalMode);
    EXPECT_EQ(b.menu14.Caption(), QString::fromUtf8("クリックでKestoへジャーナル作成するモードOFF(&J)です"));

    // Esc brings up the main window when it is hidden; R brings it up and to normal.
    f().Hide();
    QTest::keyClick(focused, Qt::Key_Escape);
    EXPECT_TRUE(f().Visible());
    f().Hide();
    QTest::keyClick(focused, Qt::Key_R);
    EXPECT_TRUE(f().Visible());
}

TEST_F(Board, EscWithOnlyTheBoardLoadedDoesNothing)
{
    Form2 &b = board();
    f().Hide();
    f().Unload();
    ASSERT_EQ(t().forms().count(), 1);
    int key = forms::vbKeyEscape;
    b.Form_KeyDown(key, 0);
    EXPECT_FALSE(m().FindForm("Form1"));
    // R loads the main window afresh and writes the count with its sign position.
    key = forms::vbKeyR;
    b.Form_KeyDown(key, 0);
    EXPECT_TRUE(f().Visible());
    EXPECT_EQ(f().Text1.Text(), " 0");
}

TEST_F(Board, ClosingTheCurrentBoardLetsTheMainWindowKnow)
{
    Form2 &b = board();
    m().subForm = &b;
    m().rowStart = 4;
    t().showMessage("x");
    b.menu19.action()->trigger();
    EXPECT_TRUE(m().subForm.isNull());
    EXPECT_EQ(m().subShown, vb::True);
    EXPECT_EQ(m().rowStart, 0);
    EXPECT_FALSE(m().FindForm("modlessMsgBox"));
    EXPECT_FALSE(m().FindForm("Form2"));
}

TEST_F(Board, PrintingAtThreeScalesWithPageBreaksBetweenIcons)
{
    Form2 &b = board();
    icon(300, 0, 1000, 800);
    const int hidden = icon(2000, 0, 500, 500);
    b.Image1(hidden).setVisible(false);
    b.printBoard(2);
    ASSERT_EQ(printer.drawings.size(), 1u) << "hidden icons are not printed";
    EXPECT_EQ(printer.drawings[0].twips, QRectF(600, 0, 2000, 1600));
    EXPECT_EQ(printer.documents, 1);

    // Fitted to the paper's width.
    printer.drawings.clear();
    b.printBoard(0);
    const float s = printer.pageWidth() / b.Picture1.ScaleWidth();
    EXPECT_FLOAT_EQ(float(printer.drawings[0].twips.left()), 300 * s);
    EXPECT_FLOAT_EQ(float(printer.drawings[0].twips.width()), 1000 * s);
}

class Pages : public Board
{
protected:
    // A board of icons (left, top, width, height) printed at full size on pages 10000 x 2000.
    std::vector<printer::RecordingPrinter::Drawing> print(const std::vector<QRectF> &icons)
    {
        printer::RecordingPrinter small(10000, 2000);
        start({});
        Tavlo tavlo(area, small, launcher);
        Form2 &b = tavlo.form2();
        b.Show();
        for (size_t i = 0; i < icons.size(); ++i) {
            if (i > 0)
                b.Image1.Load(int(i));
            const QRectF &r = icons[i];
            b.Image1(int(i)).Move(float(r.left()), float(r.top()), float(r.width()), float(r.height()));
            b.Image1(int(i)).setVisible(true);
        }
        b.printBoard(1);
        return small.drawings;
    }
};

TEST_F(Pages, APageBreaksBeforeTheFirstIconThatDoesNotFit)
{
    const auto d = print({{0, 0, 500, 1500}, {600, 1000, 500, 800}, {0, 1600, 500, 600}, {0, 2300, 500, 4000}});
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].page, 1);
    EXPECT_EQ(d[1].page, 1) << "beside the first, ending above the page's bottom";
    EXPECT_EQ(d[1].twips, QRectF(600, 1000, 500, 800));
    EXPECT_EQ(d[2].page, 2);
    EXPECT_EQ(d[2].twips, QRectF(0, 0, 500, 600)) << "the new page starts at this icon's top";
    EXPECT_EQ(d[3].page, 3) << "taller than a page: a page of its own";
    EXPECT_EQ(d[3].twips, QRectF(0, 0, 500, 4000));
}

TEST_F(Pages, TheFirstPageStaysEmptyWhenEvenTheTopIconDoesNotFit)
{
    const auto d = print({{0, 2500, 500, 600}, {600, 2400, 500, 300}});
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].page, 2);
    EXPECT_EQ(d[0].twips, QRectF(600, 0, 500, 300));
    EXPECT_EQ(d[1].page, 2);
    EXPECT_EQ(d[1].twips, QRectF(0, 100, 500, 600));
}
