// SPDX-License-Identifier: GPL-2.0-or-later
// Drops on a window, a label, a list box and a picture box; drags out of a control; the
// clipboard; the multi-line text box's selection; always on top.
#include "platform/forms/DragDrop.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/Controls.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "tests/support/Drops.h"
#include "tests/support/TempDir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

struct Seen
{
    int overs = 0, drops = 0;
    int offered = -1, state = -1, shift = -1, button = -1;
    float x = -1, y = -1;
    bool text = false, files = false;
    QString data;
    QStringList paths;
};

// Records what a target sees and answers with the effect it is told.
void record(forms::Control &c, Seen &seen, int answer)
{
    c.setOLEDropMode(1);
    c.OLEDragOver = [&seen, answer](forms::DataObject &d, int &effect, int button, int shift, float x, float y,
                                    int state) {
        if (state == forms::vbLeave)
            return;
        ++seen.overs;
        seen.offered = effect;
        seen.state = state;
        seen.shift = shift;
        seen.button = button;
        seen.x = x;
        seen.y = y;
        effect = answer;
        (void)d;
    };
    c.OLEDragDrop = [&seen, answer](forms::DataObject &d, int &effect, int, int shift, float, float) {
        ++seen.drops;
        seen.shift = shift;
        seen.text = d.GetFormat(forms::vbCFText);
        seen.files = d.GetFormat(forms::vbCFFiles);
        seen.data = d.GetData(forms::vbCFText).toString();
        seen.paths = d.Files();
        effect = answer;
    };
}

class DropForm : public forms::Form
{
public:
    explicit DropForm(forms::Forms &f) : Form(f, "F", 6000, 4000) {}
    void Form_OLEDragOver(forms::DataObject &, int &effect, int, int, float x, float, int) override
    {
        ++overs;
        lastX = x;
        effect &= forms::vbDropEffectCopy;
    }
    void Form_OLEDragDrop(forms::DataObject &d, int &effect, int, int, float, float) override
    {
        dropped = d.Files();
        effect = forms::vbDropEffectCopy;
    }
    int overs = 0;
    float lastX = -1;
    QStringList dropped;
};

class DragDrop : public ::testing::Test
{
protected:
    DragDrop() : form(all), label(form, "Label1"), list(form, "List1"), picture(form, "Picture1"), plain(form, "Label2")
    {
        label.Move(150, 150, 1500, 600);
        list.Move(2000, 150, 1500, 1500);
        picture.Move(150, 2000, 1500, 1500);
        plain.Move(4000, 150, 1500, 600);
        list.setMultiSelect(2);
        for (const char *s : {"one", "two", "three"})
            list.AddItem(s);
        form.Show();
        list.showAppended();
        forms::DoEvents();
    }
    ~DragDrop() override { forms::setDragHook(nullptr); }

    forms::Forms all;
    DropForm form;
    forms::Label label;
    forms::ListBox list;
    forms::PictureBox picture;
    forms::Label plain;
    TempDir tmp;
};

} // namespace

TEST_F(DragDrop, AFileManagersDropIsAFileListAndNeverAMove)
{
    Seen seen;
    record(list, seen, forms::vbDropEffectCopy | forms::vbDropEffectMove);
    const auto data = droptest::fileManagerData({tmp.file("a b.jpg"), tmp.file("c.lst")});
    const auto o = droptest::dropOn(list.widget(), *data, Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier);
    EXPECT_EQ(seen.overs, 2) << "entering and moving";
    EXPECT_EQ(seen.offered, forms::vbDropEffectCopy | forms::vbDropEffectMove);
    EXPECT_EQ(seen.state, forms::vbOver);
    EXPECT_EQ(seen.shift, forms::vbCtrlMask);
    EXPECT_EQ(seen.button, 1);
    EXPECT_EQ(seen.drops, 1);
    EXPECT_TRUE(seen.files);
    EXPECT_FALSE(seen.text) << "the text copy of a file list is not offered as text";
    EXPECT_EQ(seen.paths, QStringList({tmp.file("a b.jpg"), tmp.file("c.lst")}));
    EXPECT_EQ(o.dropAction, Qt::CopyAction) << "a move would make the file manager delete the files";
}

TEST_F(DragDrop, TextDropsFollowTheHandlersEffect)
{
    Seen onLabel, onPicture;
    record(label, onLabel, forms::vbDropEffectMove);
    record(picture, onPicture, forms::vbDropEffectNone);
    const auto text = droptest::editorText("x\r\ny\r\n");
    const auto o = droptest::dropOn(label.widget(), *text, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(o.dropAction, Qt::MoveAction);
    EXPECT_TRUE(onLabel.text);
    EXPECT_FALSE(onLabel.files);
    EXPECT_EQ(onLabel.data, "x\r\ny\r\n");
    // Twips relative to the label: its centre.
    EXPECT_NEAR(onLabel.x, 750, 15);
    EXPECT_NEAR(onLabel.y, 300, 15);

    const auto refused = droptest::dropOn(picture.widget(), *text, Qt::CopyAction);
    EXPECT_FALSE(refused.overAccepted);
    EXPECT_FALSE(refused.dropped) << "a target that takes no effect gets no drop";
    EXPECT_EQ(onPicture.overs, 2);

    // A control without a drop mode passes the drop to the window.
    form.setOLEDropMode(1);
    const auto files = droptest::fileManagerData({tmp.file("w.bmp")});
    const auto onWindow = droptest::dropOn(plain.widget(), *files, Qt::CopyAction);
    EXPECT_EQ(onWindow.dropAction, Qt::CopyAction);
    EXPECT_EQ(form.dropped, QStringList({tmp.file("w.bmp")}));
    EXPECT_NEAR(form.lastX, 4750, 15) << "twips relative to the window's client area";
    label.setOLEDropMode(0);
    EXPECT_FALSE(droptest::dropOn(label.widget(), *text).dropped && onLabel.drops > 1);
}

TEST_F(DragDrop, EditFieldsTakeNoDropOfTheirOwnWithoutADropMode)
{
    forms::TextBox text(form, "Text1");
    forms::TextBox lines(form, "Text2", true);
    forms::ComboBox combo(form, "Combo1");
    text.Move(2000, 1800, 1500, 300);
    lines.Move(4000, 1800, 1500, 600);
    combo.Move(2000, 2400, 1500, 300);
    for (forms::Control *c : std::initializer_list<forms::Control *>{&text, &lines, &combo})
        c->widget()->show(); // made after the window was shown
    form.setOLEDropMode(1);
    forms::DoEvents();
    const auto files = droptest::fileManagerData({tmp.file("p.jpg")});
    const auto name = droptest::editorText(tmp.file("q.jpg") + "\r\n");
    QWidget *edit = static_cast<QComboBox *>(combo.widget())->lineEdit();
    for (QWidget *w : {text.widget(), static_cast<QPlainTextEdit *>(lines.widget())->viewport(), edit}) {
        SCOPED_TRACE(w->metaObject()->className());
        ASSERT_EQ(w->window()->childAt(w->mapTo(w->window(), w->rect().center())), w) << "the drop lands on the field";
        form.dropped.clear();
        const auto o = droptest::dropOn(w, *files, Qt::CopyAction | Qt::MoveAction);
        EXPECT_EQ(o.dropAction, Qt::CopyAction);
        EXPECT_EQ(form.dropped, QStringList({tmp.file("p.jpg")})) << "the window's own handling took it";
        droptest::dropOn(w, *name, Qt::CopyAction | Qt::MoveAction);
    }
    EXPECT_EQ(text.Text(), "");
    EXPECT_EQ(lines.Text(), "");
    EXPECT_EQ(combo.Text(), "") << "a dropped text is no typing";

    // With its drop mode the control takes the drop itself.
    Seen seen;
    record(text, seen, forms::vbDropEffectCopy);
    EXPECT_EQ(droptest::dropOn(text.widget(), *name).dropAction, Qt::CopyAction);
    EXPECT_EQ(seen.drops, 1);
    EXPECT_EQ(text.Text(), "");
}

TEST_F(DragDrop, ADragStartsOnlyOnceThePointerMoves)
{
    list.setSelected(1, true);
    int starts = 0, completes = 0, clicks = 0, ups = 0;
    int completed = -1;
    QString carried;
    list.MouseDown = [&](int button, int, float, float) {
        if (button == 2)
            list.OLEDrag();
    };
    list.MouseUp = [&](int, int, float, float) { ++ups; };
    list.Click = [&] { ++clicks; };
    list.OLEStartDrag = [&](forms::DataObject &d, int &allowed) {
        ++starts;
        allowed |= forms::vbDropEffectCopy | forms::vbDropEffectMove;
        d.SetData(list.List(1) + "\r\n");
    };
    list.OLECompleteDrag = [&](int &effect) {
        ++completes;
        completed = effect;
    };
    Seen seen;
    record(label, seen, forms::vbDropEffectCopy);
    forms::setDragHook([&](const QMimeData &data, int allowed) {
        carried = data.text();
        EXPECT_EQ(allowed, 3);
        return droptest::effectOf(droptest::dropOn(label.widget(), data, forms::actionsOf(allowed)));
    });
    QWidget *vp = list.view()->viewport();
    const QPoint at = list.view()->visualRect(list.view()->model()->index(0, 0)).center();
    // Pressed and released in place: no drag, the release arrives.
    QTest::mousePress(vp, Qt::RightButton, {}, at);
    QTest::mouseRelease(vp, Qt::RightButton, {}, at);
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(ups, 1);
    // A left click after an armed press still clicks.
    QTest::mouseClick(vp, Qt::LeftButton, {}, at);
    EXPECT_GE(clicks, 1);
    list.setSelected(1, true);
    // Pressed and moved: the drag runs and ends on the label.
    QTest::mousePress(vp, Qt::RightButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 30)), vp->mapToGlobal(QPointF(at + QPoint(30, 30))),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(completed, forms::vbDropEffectCopy);
    EXPECT_EQ(carried, "two\r\n");
    EXPECT_EQ(seen.data, "two\r\n");

    // A start-drag that allows nothing starts nothing.
    list.OLEStartDrag = [&](forms::DataObject &d, int &) { d.SetData("x"); };
    QTest::mousePress(vp, Qt::RightButton, {}, at);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::RightButton, {}, at + QPoint(30, 30));
    EXPECT_EQ(completes, 1);
}

TEST_F(DragDrop, DataObjectsOfStartedDragsCarryFilesTextAndPictures)
{
    forms::DataObject d;
    EXPECT_TRUE(d.isEmpty());
    d.setFiles({"/a/b.jpg", "/c.lst"});
    EXPECT_TRUE(d.GetFormat(forms::vbCFFiles));
    EXPECT_EQ(d.Files(), QStringList({"/a/b.jpg", "/c.lst"}));
    EXPECT_EQ(d.mimeData()->text(), "/a/b.jpg\r\n/c.lst\r\n") << "for programs that take text only";
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    forms::DataObject p;
    p.SetData(img, forms::vbCFBitmap);
    EXPECT_TRUE(p.GetFormat(forms::vbCFDIB));
    EXPECT_FALSE(p.GetFormat(forms::vbCFText));
    EXPECT_EQ(p.GetData(forms::vbCFBitmap).value<QImage>().size(), QSize(4, 3));
    EXPECT_FALSE(p.GetData(forms::vbCFText).isValid());
}

TEST(Clipboard, TextInAndOutAndAPicture)
{
    forms::Clipboard::SetText("a\r\nb\r\n");
    EXPECT_EQ(forms::Clipboard::GetText(), "a\r\nb\r\n");
    EXPECT_TRUE(forms::Clipboard::GetFormat(forms::vbCFText));
    forms::Clipboard::SetText("");
    EXPECT_EQ(forms::Clipboard::GetText(), "") << "an empty text replaces the old one";
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(Qt::blue);
    forms::Clipboard::SetData(img);
    EXPECT_TRUE(forms::Clipboard::GetFormat(forms::vbCFBitmap));
    EXPECT_EQ(forms::Clipboard::GetData().size(), QSize(5, 5));
}

TEST(TextBoxSelection, CaretAndSelectionCountCrLfAsTwo)
{
    forms::Forms all;
    forms::Form form(all, "F", 4000, 3000);
    forms::TextBox log(form, "Text2", true);
    log.Move(0, 0, 3000, 600);
    log.setScrollBars(2);
    form.Show();
    log.setText("/a\r\n/bb\r\n/ccc");
    EXPECT_EQ(log.SelStart(), 0);
    log.setSelStart(4);
    EXPECT_EQ(log.SelStart(), 4) << "the start of the second line";
    log.setSelLength(3);
    EXPECT_EQ(log.SelText(), "/bb");
    log.setSelText("/x");
    EXPECT_EQ(log.Text(), "/a\r\n/x\r\n/ccc");
    EXPECT_EQ(log.SelStart(), 6);
    log.setSelStart(int(log.Text().size()));
    EXPECT_EQ(log.SelStart(), 12);
    // The user moves the caret with the keys.
    auto *edit = static_cast<QPlainTextEdit *>(log.widget());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(log.SelStart(), 4);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST(AlwaysOnTop, SwitchingLeavesTheWindowShown)
{
    forms::Forms all;
    forms::Form form(all, "F", 4000, 3000);
    forms::Label label(form, "Label1");
    form.Show();
    form.setTopMost(true);
    EXPECT_TRUE(form.TopMost());
    EXPECT_TRUE(form.Visible());
    form.setTopMost(false);
    EXPECT_FALSE(form.TopMost());
    EXPECT_TRUE(form.Visible());
    label.setCaption("12");
    label.Refresh();
    form.SetFocus();
    forms::DoEvents();
    EXPECT_EQ(QApplication::activeWindow(), form.window());
}
