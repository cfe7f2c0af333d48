// SPDX-License-Identifier: GPL-2.0-or-later
// The window layer: twips as the truth, resize events, control rules, error reporting.
#include "platform/forms/Forms.h"
#include "platform/forms/Controls.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Menu.h"
#include "platform/vb/vb.h"
#include "tests/support/Errors.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QtTest/QTest>

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CountingForm : public forms::Form
{
public:
    explicit CountingForm(forms::Forms &f) : Form(f, "Counting", 3000, 2000) {}
    void Form_Resize() override { ++resizes; }
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(int &cancel, int mode) override
    {
        lastMode = mode;
        cancel = refuse;
    }
    int resizes = 0, loads = 0, lastMode = -1, refuse = 0;
};

} // namespace

TEST(Controls, KeepTwipsExactlyAndFollowInPixels)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::Label label(form, "Label1");
    label.Move(100, 840, 1001, 37);
    EXPECT_FLOAT_EQ(label.Left(), 100);
    EXPECT_FLOAT_EQ(label.Width(), 1001);
    EXPECT_EQ(label.widget()->geometry(), QRect(7, 56, 67, 2));
    label.setLeft(-150);
    EXPECT_EQ(label.widget()->x(), -10);
    EXPECT_EQ(errorOf([&] { label.setWidth(-1); }), vb::ErrInvalidPropertyValue);
    EXPECT_FLOAT_EQ(label.Width(), 1001);
}

TEST(Controls, PictureBoxSizesItselfToItsPictureWithItsBorder)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::PictureBox box(form, "Picture1");
    box.Move(0, 0, 100, 100);
    box.setAutoSize(true);
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(Qt::white);
    box.setPicture(picture::Picture::fromImage(img));
    EXPECT_FLOAT_EQ(box.Width(), 4860);
    EXPECT_FLOAT_EQ(box.Height(), 3660);
    EXPECT_FLOAT_EQ(box.ScaleWidth(), 4800);
    box.setPicture(picture::Picture());
    EXPECT_FLOAT_EQ(box.Width(), 4860) << "an empty picture leaves the size";
}

TEST(Controls, TextBoxRaisesChangeOnlyForANewText)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::TextBox single(form, "Text1"), multi(form, "Text2", true);
    int changes = 0;
    single.Change = [&] { ++changes; };
    single.setText("a");
    single.setText("a");
    EXPECT_EQ(changes, 1);
    QTest::keyClicks(single.widget(), "bc");
    EXPECT_EQ(single.Text(), "abc");
    EXPECT_EQ(changes, 3);
    multi.setText("line one\r\nline two");
    EXPECT_EQ(multi.Text(), "line one\r\nline two");
}

TEST(Controls, ScrollBarsKeepTheirRange)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::ScrollBar bar(form, "VScroll1", Qt::Vertical);
    EXPECT_EQ(bar.Max(), 32767);
    int changes = 0;
    bar.Change = [&] { ++changes; };
    bar.setValue(500);
    EXPECT_EQ(changes, 1);
    bar.setMax(100);
    EXPECT_EQ(bar.Value(), 100) << "the value follows a smaller Max";
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(errorOf([&] { bar.setValue(101); }), vb::ErrInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { bar.setMax(32768); }), vb::ErrInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { bar.setSmallChange(0); }), vb::ErrInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { bar.setLargeChange(32768); }), vb::ErrInvalidPropertyValue);
    // An error in a Change handler raised by the program reaches the program.
    bar.Change = [] { vb::raiseError(vb::ErrOverflow); };
    EXPECT_EQ(errorOf([&] { bar.setValue(3); }), vb::ErrOverflow);
}

TEST(Controls, ComboBoxEntriesAndText)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::ComboBox combo(form, "Combo1");
    combo.setText("typed");
    combo.AddItem("a.lst");
    combo.AddItem("b.lst");
    EXPECT_EQ(combo.Text(), "typed") << "adding entries leaves the text";
    EXPECT_EQ(combo.ListIndex(), -1);
    int clicks = 0;
    combo.Click = [&] { ++clicks; };
    combo.setListIndex(1);
    EXPECT_EQ(combo.Text(), "b.lst");
    EXPECT_EQ(combo.ListIndex(), 1);
    EXPECT_EQ(clicks, 1);
    combo.setText("other");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.List(5), "");
}

TEST(Form, ClientSizeIsTheTruthAndResizeIsRaisedOnce)
{
    forms::Forms all;
    CountingForm form(all);
    form.Load();
    form.Show();
    forms::DoEvents();
    const int afterShow = form.resizes;
    EXPECT_EQ(afterShow, 1);
    const float frame = form.Height() - form.ScaleHeight();
    form.setHeight(5000);
    EXPECT_FLOAT_EQ(form.Height(), 5000);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 5000 - frame);
    EXPECT_EQ(form.resizes, afterShow + 1);
    forms::DoEvents();
    EXPECT_EQ(form.resizes, afterShow + 1) << "the window system's echo raises nothing";
    form.setHeight(5000);
    EXPECT_EQ(form.resizes, afterShow + 1);

    // The user (or the window manager) resizing the window.
    form.window()->resize(300, form.window()->height());
    forms::DoEvents();
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 4500);
    EXPECT_EQ(form.resizes, afterShow + 2);
}

TEST(Form, LoadShowUnloadAndTheCollection)
{
    forms::Forms all;
    CountingForm a(all);
    forms::Form b(all, "Second", 100, 100);
    EXPECT_EQ(all.count(), 0);
    b.Load();
    a.Show();
    a.Show();
    EXPECT_EQ(a.loads, 1);
    ASSERT_EQ(all.count(), 2);
    EXPECT_EQ(all.all()[0], &b) << "load order";
    EXPECT_EQ(all.find("Counting"), &a);
    EXPECT_EQ(all.find("counting"), nullptr);

    a.refuse = 1;
    a.window()->close();
    EXPECT_EQ(a.lastMode, forms::vbFormControlMenu);
    EXPECT_TRUE(a.isLoaded());
    a.refuse = 0;
    bool unloaded = false;
    a.onUnloaded = [&](forms::Form &) { unloaded = true; };
    EXPECT_TRUE(a.Unload());
    EXPECT_EQ(a.lastMode, forms::vbFormCode);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(a.Visible());
    EXPECT_EQ(all.count(), 1);
}

TEST(Form, MenusKeepCheckedUnderTheProgramsControl)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::Menu top(form, "menu3", "size(&S)");
    forms::Menu item(form, "menu3s", "size1(&1)", &top, QKeySequence("Ctrl+1"), 1);
    forms::Menu sep(form, "menu90", "-", &top);
    int clicks = 0;
    item.Click = [&] { ++clicks; };
    item.setChecked(false);
    item.action()->trigger();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(item.Checked());
    EXPECT_FALSE(item.action()->isChecked());
    EXPECT_TRUE(sep.action()->isSeparator());
    EXPECT_EQ(item.Index(), 1);
}

TEST(Form, PrintWritesLinesDownTheClientArea)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    form.Print("one");
    const float y = form.CurrentY;
    EXPECT_GT(y, 0);
    form.Print("two");
    EXPECT_FLOAT_EQ(form.CurrentY, 2 * y);
    EXPECT_EQ(form.printedText(), QStringList({"one", "two"}));
    form.Cls();
    EXPECT_TRUE(form.printedText().isEmpty());
}

TEST(Form, PrintKeepsOnlyWhatCanStillBeSeen)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    const QSize desktop = form.client()->screen()->virtualSize();
    // A line of a million characters keeps what the widest window could show.
    const QString huge(1 << 20, QLatin1Char('x'));
    form.Print(QStringLiteral("start ") + huge);
    ASSERT_EQ(form.printedText().size(), 1);
    EXPECT_TRUE(form.printedText().first().startsWith(QStringLiteral("start xxx")));
    EXPECT_LE(form.printedText().first().size(), desktop.width() + 1);
    // Lines below the most the window can show are not kept; the next line's place moves on.
    const float lineHeight = form.CurrentY;
    for (int i = 0; i < 5000; ++i)
        form.Print(QStringLiteral("line %1").arg(i));
    EXPECT_FLOAT_EQ(form.CurrentY, 5001 * lineHeight);
    const qsizetype kept = form.printedText().size();
    EXPECT_LE(kept, qsizetype(desktop.height() / (lineHeight / 15) + 2));
    EXPECT_EQ(form.printedText().last(), QStringLiteral("line %1").arg(kept - 2));
    // The window paints what it kept.
    form.Show();
    EXPECT_FALSE(form.client()->grab().isNull());
    form.Cls();
    EXPECT_TRUE(form.printedText().isEmpty());
    form.Print(QStringLiteral("again"));
    EXPECT_EQ(form.printedText(), QStringList({"again"}));
}

TEST(Events, AnErrorNoHandlerTrapsIsReported)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::CommandButton button(form, "Command1");
    button.Click = [] { vb::raiseError(vb::ErrDdeNoResponse); };
    int reported = 0;
    forms::setUnhandledErrorHook([&](int n, const QString &) { reported = n; });
    QTest::mouseClick(button.widget(), Qt::LeftButton);
    forms::setUnhandledErrorHook(nullptr);
    EXPECT_EQ(reported, 282);
}

TEST(Events, KeyCodesAreTheSystemsVirtualKeys)
{
    auto code = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        return forms::keyCodeOf(&e);
    };
    EXPECT_EQ(code(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(code(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_NE(code(Qt::Key_Plus), 107);
    EXPECT_EQ(code(Qt::Key_Escape), 27);
    EXPECT_EQ(code(Qt::Key_Return), 13);
    EXPECT_EQ(code(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(code(Qt::Key_C), 67);
    EXPECT_EQ(code(Qt::Key_A, Qt::ShiftModifier), 65);
    EXPECT_EQ(code(Qt::Key_5, Qt::KeypadModifier), 101);
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(forms::shiftOf(&shifted), forms::vbShiftMask | forms::vbCtrlMask);
}

TEST(Controls, AButtonCaptionAsWideAsTheButtonShowsWhole)
{
    forms::Forms all;
    forms::Form form(all, "F", 3000, 2000);
    forms::CommandButton button(form, "Command2");
    button.Move(60, 60, 1095, 375);
    for (const QString &caption : {QString::fromUtf8("Sub表示(ESC)"), QString::fromUtf8("Sub表示表示表示(ESC)")}) {
        SCOPED_TRACE(caption.toStdString());
        button.setCaption(caption);
        const QImage face = button.widget()->grab().toImage();
        // Columns with ink of the caption (dark pixels away from the top and bottom edges).
        int first = -1, last = -1;
        for (int x = 0; x < face.width(); ++x)
            for (int y = 5; y < face.height() - 5; ++y)
                if (qGray(face.pixel(x, y)) < 80) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        ASSERT_GE(first, 0) << "the caption shows";
        EXPECT_GT(first, 2) << "a blank column before the first letter: nothing is cut off";
        EXPECT_LT(last, face.width() - 3) << "and after the last";
        EXPECT_GT(last - first, face.width() / 2);
    }
}
