// SPDX-License-Identifier: GPL-2.0-or-later
// The window layer driven through its real widgets: what the user's mouse and keys reach, and
// where the window system's own sizes meet the twips.
#include "platform/forms/Controls.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Menu.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"
#include "tests/support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

class ClickCountingForm : public forms::Form
{
public:
    explicit ClickCountingForm(forms::Forms &f, float w = 4845, float h = 4380) : Form(f, "F", w, h) {}
    void Form_Click() override { ++clicks; }
    void Form_KeyDown(int &code, int) override { keys.push_back(code); }
    int clicks = 0;
    std::vector<int> keys;
};

void showActive(forms::Form &f)
{
    f.Show();
    f.window()->activateWindow();
    forms::DoEvents();
}

} // namespace

TEST(Wiring, TheChooserClicksOnlyForAChoiceFromItsList)
{
    forms::Forms all;
    forms::Form form(all, "F", 4845, 4380);
    forms::ComboBox combo(form, "Combo1");
    forms::TextBox other(form, "Text1");
    combo.Move(0, 480, 4815, 300);
    other.Move(0, 1200, 1000, 300);
    combo.AddItem("a.lst");
    combo.AddItem("B.lst");
    int clicks = 0;
    combo.Click = [&] { ++clicks; };
    showActive(form);

    // Typing an entry, in another case too, and pressing Enter is no choice.
    QLineEdit *edit = static_cast<QComboBox *>(combo.widget())->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, "b.lst");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "x");
    edit->clear();
    QTest::keyClicks(edit, "a.lst");
    QTest::keyClick(edit, Qt::Key_Return);
    // Nor is leaving the box.
    other.SetFocus();
    forms::DoEvents();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo.Text(), "a.lst");

    // A click on an entry of the open list is.
    auto *box = static_cast<QComboBox *>(combo.widget());
    box->showPopup();
    forms::DoEvents();
    QAbstractItemView *view = box->view();
    const QRect second = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
    forms::DoEvents();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(combo.Text(), "B.lst");
}

TEST(Wiring, ClicksOnControlsNeverReachTheWindowBehind)
{
    forms::Forms all;
    ClickCountingForm form(all);
    forms::PictureBox picture(form, "Picture1");
    forms::Label label(form, "Label1");
    forms::Image image(form, "Image1", &picture);
    picture.Move(0, 480, 3000, 2000);
    label.Move(3200, 480, 1000, 300);
    image.Move(150, 150, 600, 600);
    int pictureDowns = 0, imageClicks = 0;
    picture.MouseDown = [&](int, int, float, float) { ++pictureDowns; };
    image.Click = [&] { ++imageClicks; };
    showActive(form);

    QTest::mouseClick(picture.inner(), Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mouseClick(label.widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(image.widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(pictureDowns, 1);
    EXPECT_EQ(imageClicks, 1);
    EXPECT_EQ(form.clicks, 0) << "only the window's own background is the window's";
    QTest::mouseClick(form.client(), Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_EQ(form.clicks, 1);
}

TEST(Wiring, APictureBoxCountsFromInsideItsBorder)
{
    forms::Forms all;
    forms::Form form(all, "F", 4845, 4380);
    forms::PictureBox box(form, "Picture1");
    forms::Image child(form, "Image1", &box);
    box.Move(300, 300, 3060, 2060);
    child.Move(0, 0, 300, 300);
    float x = -1, y = -1;
    box.MouseDown = [&](int, int, float px, float py) { x = px, y = py; };
    showActive(form);

    EXPECT_EQ(child.widget()->mapTo(box.widget(), QPoint(0, 0)), QPoint(2, 2)) << "the child sits inside the border";
    EXPECT_FLOAT_EQ(box.ScaleWidth(), 3000);
    EXPECT_EQ(box.inner()->width(), 200);
    QTest::mouseClick(box.inner(), Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_FLOAT_EQ(x, 150);
    EXPECT_FLOAT_EQ(y, 300);
}

TEST(Wiring, ScrollBarsTakeTheFocusAndItsKeys)
{
    forms::Forms all;
    forms::Form form(all, "F", 4845, 4380);
    forms::CommandButton button(form, "Command1");
    forms::ScrollBar bar(form, "VScroll1", Qt::Vertical);
    button.Move(0, 0, 1000, 375);
    bar.Move(4560, 480, 255, 3000);
    std::vector<int> keys;
    bar.KeyDown = [&](int &code, int) { keys.push_back(code); };
    showActive(form);

    button.SetFocus();
    QTest::keyClick(button.widget(), Qt::Key_Tab);
    EXPECT_TRUE(bar.hasFocus()) << "Tab reaches the bar";
    QTest::keyClick(bar.widget(), Qt::Key_Plus, Qt::KeypadModifier);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], forms::vbKeyAdd);
    button.SetFocus();
    QTest::mouseClick(bar.widget(), Qt::LeftButton, {}, QPoint(8, 100));
    EXPECT_TRUE(bar.hasFocus()) << "so does a click";
}

TEST(Wiring, TabMovesTheFocusAndIsNoKeyOfTheControls)
{
    forms::Forms all;
    forms::Form form(all, "F", 4845, 4380);
    forms::PictureBox canvas(form, "Picture1");
    forms::CommandButton next(form, "Command1");
    canvas.Move(0, 480, 3000, 2000);
    next.Move(0, 0, 1000, 375);
    int typed = 0, downs = 0;
    canvas.KeyPress = [&](int &) { ++typed; };
    canvas.KeyDown = [&](int &, int) { ++downs; };
    showActive(form);

    canvas.SetFocus();
    QTest::keyClick(canvas.widget(), Qt::Key_Tab);
    EXPECT_EQ(typed, 0);
    EXPECT_EQ(downs, 0);
    EXPECT_FALSE(canvas.hasFocus());
    canvas.SetFocus();
    QTest::keyClick(canvas.widget(), Qt::Key_Plus);
    EXPECT_EQ(typed, 1);
}

TEST(Wiring, KeysReachAWindowWithoutControlsThatTakeTheFocus)
{
    forms::Forms all;
    ClickCountingForm form(all, 3000, 2000);
    forms::Image image(form, "Image1");
    image.Move(0, 0, 600, 600);
    showActive(form);
    ASSERT_EQ(QApplication::focusWidget(), form.client()) << "the window holds the focus itself";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D);
    ASSERT_EQ(form.keys.size(), 1u);
    EXPECT_EQ(form.keys[0], forms::vbKeyD);
}

TEST(Wiring, TheClientAreaIsTheDesignSizeWhateverTheMenuBarTakes)
{
    forms::Forms all;
    forms::Form form(all, "Form1", 4845, 4380);
    forms::Menu file(form, "menu1", "ﾌｧｲﾙ(&F)");
    forms::Menu item(form, "menu11", "印刷", &file, QKeySequence("Ctrl+P"));
    forms::Menu copy(form, "menu3", "copy(&C)");
    showActive(form);
    EXPECT_EQ(form.client()->size(), QSize(323, 292));
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 4380);
    EXPECT_FLOAT_EQ(form.Height() - form.ScaleHeight(), forms::toTwips(form.window()->menuWidget()->height()));

    // The window system changes the width only: the height keeps its twips.
    form.setHeight(7000 + form.Height() - form.ScaleHeight());
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 7000);
    form.window()->resize(400, form.window()->height());
    forms::DoEvents();
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 6000);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 7000);
}

TEST(Wiring, SizesStopAtTheWindowSystemsLimit)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::PictureBox box(form, "Picture1");
    box.setHeight(1e9f);
    EXPECT_FLOAT_EQ(box.Height(), 491505);
    EXPECT_EQ(box.widget()->height(), 32767);
    box.Move(0, 0, 1e7f, 100);
    EXPECT_FLOAT_EQ(box.Width(), 491505);
    form.setHeight(1e9f);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 491505);
}

TEST(Wiring, ANewRangeThatMovesTheValueRaisesChangeInTheCallersStack)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::ScrollBar bar(form, "VScroll1", Qt::Vertical);
    bar.setValue(500);
    bar.Change = [] { vb::raiseError(vb::ErrOverflow); };
    int reported = 0;
    forms::setUnhandledErrorHook([&](int n, const QString &) { reported = n; });
    int caught = 0;
    try {
        bar.setMax(100);
    } catch (const vb::RuntimeError &e) {
        caught = e.number();
    }
    forms::setUnhandledErrorHook(nullptr);
    EXPECT_EQ(caught, vb::ErrOverflow);
    EXPECT_EQ(reported, 0) << "not through the event wrapper";
}

TEST(Wiring, DeletingAControlTakesItsWidgetAlong)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    showActive(form);
    QPointer<QWidget> gone;
    {
        auto *image = new forms::Image(form, "Image1");
        image->Move(0, 0, 600, 600);
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::red);
        image->setStretch(true);
        image->setPicture(picture::Picture::fromImage(img));
        gone = image->widget();
        delete image;
    }
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(form.control("Image1"), nullptr);
    form.window()->repaint(); // nothing left to paint from freed memory
}

TEST(Wiring, AManualDragDropsOnTheControlUnderThePointer)
{
    struct DropForm : forms::Form
    {
        explicit DropForm(forms::Forms &f) : Form(f, "F", 4800, 3600) {}
        void Form_DragDrop(forms::Control &source, float x, float y) override
        {
            dropped = source.Name();
            at = QPointF(x, y);
        }
        QString dropped;
        QPointF at;
    };
    forms::Forms all;
    DropForm form(all);
    forms::Label source(form, "Label1");
    forms::PictureBox target(form, "Picture1");
    source.Move(0, 0, 900, 300);
    target.Move(1500, 0, 1500, 1500);
    source.MouseDown = [&](int, int, float, float) { source.Drag(1); };
    int clicks = 0;
    source.Click = [&] { ++clicks; };
    QString over;
    target.DragOver = [&](forms::Control &s, float, float, int state) { over += s.Name() + QString::number(state); };
    QString dropped;
    QPointF at;
    target.DragDrop = [&](forms::Control &s, float x, float y) {
        dropped = s.Name();
        at = QPointF(x, y);
    };
    showActive(form);

    QTest::mousePress(source.widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(target.inner(), QPoint(10, 12));
    QTest::mouseRelease(target.inner(), Qt::LeftButton, {}, QPoint(10, 12));
    EXPECT_EQ(dropped, "Label1");
    EXPECT_EQ(at, QPointF(150, 180)) << "relative to the target's inside";
    EXPECT_TRUE(over.startsWith("Label10")) << over.toStdString();
    EXPECT_EQ(clicks, 0) << "the release ended the drag, no click";

    // Dropped on the window's background.
    QTest::mousePress(source.widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(form.client(), Qt::LeftButton, {}, QPoint(40, 200));
    EXPECT_EQ(form.dropped, "Label1");
    EXPECT_EQ(form.at, QPointF(600, 3000));
}
