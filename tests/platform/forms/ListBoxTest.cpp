// SPDX-License-Identifier: GPL-2.0-or-later
// The list box driven through its widget: extended selection, keys left to the program, the
// right button, a large list.
#include "platform/forms/ListBox.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/vb/vb.h"
#include "tests/support/TempDir.h"

#include <QElapsedTimer>
#include <QListView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

class ListBoxTest : public ::testing::Test
{
protected:
    ListBoxTest() : form(all, "F", 4000, 3000), list(form, "List1")
    {
        list.Move(0, 0, 3000, 2500);
        list.setMultiSelect(2);
        for (const char *s : {"a", "b", "c", "d", "e"})
            list.AddItem(s);
        form.Show();
        forms::DoEvents();
    }
    QPoint itemAt(int i)
    {
        list.showAppended(); // what the user sees after a moment
        return list.view()->visualRect(list.view()->model()->index(i, 0)).center();
    }
    void click(int i, Qt::KeyboardModifiers keys = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(list.view()->viewport(), b, keys, itemAt(i));
    }
    std::vector<int> selected() { return list.selectedIndexes(); }

    forms::Forms all;
    forms::Form form;
    forms::ListBox list;
};

} // namespace

TEST_F(ListBoxTest, ClicksWithShiftAndCtrlSelectAsUsersExpect)
{
    click(1);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(list.Text(), "b");
    click(3, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3})) << "Shift extends from the anchor";
    click(2, Qt::ControlModifier);
    EXPECT_EQ(selected(), (std::vector<int>{1, 3})) << "Ctrl takes one out";
    click(4, Qt::ControlModifier);
    EXPECT_TRUE(list.Selected(4));
    EXPECT_EQ(list.SelCount(), 3);
    click(0);
    EXPECT_EQ(selected(), (std::vector<int>{0})) << "a plain click starts afresh";
}

TEST_F(ListBoxTest, RightPressLeavesTheSelectionButRaisesMouseDown)
{
    click(1);
    click(2, Qt::ShiftModifier);
    int button = 0;
    float y = -1;
    list.MouseDown = [&](int b, int, float, float yy) {
        button = b;
        y = yy;
    };
    QTest::mousePress(list.view()->viewport(), Qt::RightButton, {}, itemAt(4));
    QTest::mouseRelease(list.view()->viewport(), Qt::RightButton, {}, itemAt(4));
    EXPECT_EQ(button, 2);
    EXPECT_GT(y, 0) << "in twips within the list";
    EXPECT_EQ(selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(list.ListIndex(), 2);
}

TEST_F(ListBoxTest, CtrlCAndCtrlAAreLeftToTheProgram)
{
    click(0);
    click(1, Qt::ControlModifier);
    forms::Clipboard::SetText("before");
    std::vector<std::pair<int, int>> keys;
    list.KeyDown = [&](int &k, int s) {
        if (k != forms::vbKeyControl)
            keys.emplace_back(k, s);
    };
    list.view()->setFocus();
    QTest::keyClick(list.view(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(list.view(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list.view(), Qt::Key_Delete);
    EXPECT_EQ(forms::Clipboard::GetText(), "before") << "the toolkit copied nothing";
    EXPECT_EQ(selected(), (std::vector<int>{0, 1})) << "Ctrl+A selected nothing more";
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0], std::make_pair(int(forms::vbKeyC), int(forms::vbCtrlMask)));
    EXPECT_EQ(keys[1], std::make_pair(int(forms::vbKeyA), int(forms::vbCtrlMask)));
    EXPECT_EQ(keys[2], std::make_pair(int(forms::vbKeyDelete), 0));
}

TEST_F(ListBoxTest, ItemsIndexesAndRemoval)
{
    list.AddItem("first", 0);
    EXPECT_EQ(list.List(0), "first");
    EXPECT_EQ(list.ListCount(), 6);
    EXPECT_EQ(list.List(99), "");
    list.RemoveItem(0);
    EXPECT_THROW(list.RemoveItem(5), vb::RuntimeError);
    list.setSelected(0, true);
    list.setSelected(2, true);
    list.setSelected(3, true);
    const forms::ListBox::Marks marks = list.markSelected();
    list.AddItem("x", 0); // the marks follow the items
    list.setSelected(5, true);
    list.removeMarked(marks);
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.List(0), "x");
    EXPECT_EQ(list.List(1), "b");
    EXPECT_EQ(list.List(2), "e");
    list.removeSelected();
    EXPECT_EQ(list.ListCount(), 2);
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.Text(), "");
}

TEST_F(ListBoxTest, ThirtyTwoThousandItemsScrollAndGoAway)
{
    list.Clear();
    for (int i = 0; i < 32000; ++i)
        list.AddItem(QString::number(i));
    EXPECT_EQ(list.ListCount(), 32000);
    // Scattered items: every other one of the first 400.
    for (int i = 0; i < 400; i += 2)
        list.setSelected(i, true);
    list.setListIndex(3);
    list.removeSelected();
    EXPECT_EQ(list.ListCount(), 31800);
    EXPECT_EQ(list.List(0), "1");
    EXPECT_EQ(list.ListIndex(), 1) << "the current item stays current";
    // One long run, chosen as a user does: a click at the top, Shift and a click at the end.
    list.setTopIndex(0);
    forms::DoEvents();
    click(0);
    list.setTopIndex(31000);
    forms::DoEvents();
    EXPECT_EQ(list.TopIndex(), 31000);
    list.setTopIndex(31790);
    forms::DoEvents();
    EXPECT_LT(list.TopIndex(), 31790) << "the last page of the list fills the box";
    click(31799, Qt::ShiftModifier);
    EXPECT_EQ(list.SelCount(), 31800);
    list.removeSelected();
    EXPECT_EQ(list.ListCount(), 0);
}
