// SPDX-License-Identifier: GPL-2.0-or-later
// The main window's drops (as a file manager and a text editor offer them) and its canvas
// dragged out; the board's icons dragged out as file names or pictures.
#include "tests/tavlo/TavloFixture.h"

#include "platform/forms/Clipboard.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/EventLoop.h"
#include "tavlo/Form2.h"
#include "tests/support/Drops.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QtTest/QTest>

class Drops : public TavloTest
{
protected:
    ~Drops() override { forms::setDragHook(nullptr); }
    QStringList startWith(int n)
    {
        QStringList pics;
        for (int i = 0; i < n; ++i)
            pics << picture(QString("d%1.bmp").arg(i), 20 + i, 10);
        start(pics);
        f().Show();
        return pics;
    }
    droptest::Outcome dropFiles(const QStringList &paths)
    {
        return droptest::dropOn(f().Picture1.inner(), *droptest::fileManagerData(paths));
    }
    droptest::Outcome dropText(const QString &text)
    {
        return droptest::dropOn(f().Picture1.inner(), *droptest::editorText(text));
    }
    // Presses on a widget and moves far enough for a drag to start.
    void pressAndPull(QWidget *w, Qt::KeyboardModifiers keys = {})
    {
        const QPoint at(5, 5), there(40, 40);
        QTest::mousePress(w, Qt::LeftButton, keys, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(there), w->mapToGlobal(QPointF(there)), Qt::NoButton,
                         Qt::LeftButton, keys);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, keys, there);
    }
};

TEST_F(Drops, TwoPictureFilesJoinTheListAndTheFirstIsShown)
{
    startWith(5);
    const QString a = picture("new1.bmp"), b = picture("new2.jpg");
    const auto outcome = dropFiles({a, b});
    EXPECT_TRUE(outcome.dropped);
    EXPECT_EQ(outcome.dropAction, Qt::CopyAction) << "copy at most, never a move back to the file manager";
    EXPECT_EQ(m().fileCount, 7);
    EXPECT_EQ(m().fileNames[5], a);
    EXPECT_EQ(m().listOfFile[6], -1);
    EXPECT_EQ(f().Text3.Text(), "7");
    EXPECT_EQ(m().curIndex, 5);
    EXPECT_EQ(f().Caption(), a);
}

TEST_F(Drops, AListFileIsReadAndShownInTheChooser)
{
    start({});
    f().Show();
    const QString p = picture("in.bmp"), q = picture("in2.bmp");
    const QString list = listFile("dropped.lst", {p, q});
    // Dropped on the window's background, not on the canvas.
    droptest::dropOn(f().client(), *droptest::fileManagerData({list}), Qt::CopyAction, {}, Qt::LeftButton,
                     QPoint(300, 20));
    EXPECT_TRUE(f().Combo1.Visible());
    EXPECT_EQ(f().Combo1.Text(), list);
    ASSERT_EQ(f().Combo1.ListCount(), 1);
    EXPECT_EQ(f().Combo1.List(0), list);
    EXPECT_EQ(m().curIndex, 0);
    EXPECT_EQ(f().Caption(), p);
}

TEST_F(Drops, ATextIsTakenWholeOrRefusedAsItComesIn)
{
    startWith(2);
    const QString pic = picture("t.bmp"), pic2 = picture("t2.jpg");
    auto o = dropText(pic + "\r\n" + pic2 + "\r\n");
    EXPECT_EQ(o.dropAction, Qt::CopyAction);
    EXPECT_EQ(m().fileCount, 4);
    EXPECT_EQ(m().fileNames[2], pic);
    EXPECT_EQ(m().curIndex, 2);
    // A text editor's LF ends lines too.
    dropText(picture("v.bmp") + "\n");
    EXPECT_EQ(m().fileCount, 5);

    // A source may remove what it dragged once the drop reports an effect, and under X11 it
    // learns only what the drag-over answered: a line this window would not take (another kind
    // of file, text after the last line end) turns the whole text away before the drop.
    const QStringList before = pictureList();
    for (const QString &text : {pic + "\r\n" + dir.file("notes.txt") + "\r\n", picture("u.bmp"),
                                pic + "\r\n" + dir.file("missing.lst") + "\r\n"}) {
        SCOPED_TRACE(text.toStdString());
        o = dropText(text);
        EXPECT_FALSE(o.overAccepted);
        EXPECT_FALSE(o.dropped);
        EXPECT_EQ(pictureList(), before);
    }
}

TEST_F(Drops, AFileListTakesItsPicturesAndReportsNoEffectForWhatItLeft)
{
    startWith(2);
    const QString pic = picture("f.bmp");
    // A file manager removes nothing that was copied: the drop is taken, and its answer says
    // that not everything arrived.
    const auto o = dropFiles({pic, dir.write("readme.txt", "x")});
    EXPECT_TRUE(o.dropped);
    EXPECT_EQ(o.dropAction, Qt::IgnoreAction);
    EXPECT_EQ(m().fileCount, 3);
    EXPECT_EQ(m().fileNames[2], pic);
    // Files of other kinds only: refused as they come in.
    EXPECT_FALSE(dropFiles({dir.write("other.txt", "y")}).overAccepted);
    EXPECT_EQ(m().fileCount, 3);
}

TEST_F(Drops, EditFieldsHandTheirDropsToTheWindow)
{
    startWith(2);
    f().Combo1.setVisible(true);
    forms::DoEvents();
    const QString pic = picture("c.bmp");
    QWidget *edit = static_cast<QComboBox *>(f().Combo1.widget())->lineEdit();
    for (QWidget *w : {edit, f().Text1.widget(), f().Text3.widget()}) {
        const int before = m().fileCount;
        const auto o = droptest::dropOn(w, *droptest::editorText(pic + "\r\n"));
        EXPECT_EQ(o.dropAction, Qt::CopyAction);
        EXPECT_EQ(m().fileCount, before + 1) << "the list took the name, not the field";
    }
    EXPECT_NE(f().Combo1.Text(), pic + "\r\n");
    EXPECT_EQ(f().Text3.Text(), "5");
}

TEST_F(Drops, ATextTooLongToCountIsTurnedAwayAndNothingIsLost)
{
    const QStringList pics = startWith(3);
    QString huge = pics[0] + "\r\n";
    while (huge.size() <= 32767)
        huge += "x";
    huge += "\r\n";
    const auto outcome = dropText(huge);
    EXPECT_FALSE(outcome.overAccepted) << "refused as it comes in: the source learns it in time";
    EXPECT_EQ(outcome.dropAction, Qt::IgnoreAction);
    EXPECT_FALSE(ended);
    EXPECT_EQ(m().fileCount, 3);
    EXPECT_EQ(pictureList(), pics);

    // Should the drop come all the same, it is turned away with a notice.
    const auto mime = droptest::editorText(huge);
    forms::DataObject data(mime.get());
    int effect = forms::vbDropEffectCopy;
    act([&] { f().Picture1_OLEDragDrop(data, effect, 1, 0, 0, 0); });
    EXPECT_EQ(effect, forms::vbDropEffectNone);
    EXPECT_EQ(pictureList(), pics);
    EXPECT_TRUE(message().contains(QString::fromUtf8("長すぎる")));
}

TEST_F(Drops, TheListNeverPasses2049Pictures)
{
    startWith(2);
    QString text; // names are not looked up: a drop takes them as they come
    for (int i = 0; i < 2047; ++i)
        text += "p.bmp\r\n";
    EXPECT_FALSE(dropText(text + "p.bmp\r\n").overAccepted) << "one more than the list has slots for";
    EXPECT_EQ(m().fileCount, 2);
    EXPECT_EQ(dropText(text).dropAction, Qt::CopyAction);
    EXPECT_EQ(m().fileCount, 2049);
    EXPECT_EQ(m().curIndex, 2);
}

TEST(SplitLines, CutAtEveryLineEndAndEndWithAnEmptyText)
{
    // The closed lines, and one empty line in place of the tail.
    EXPECT_EQ(Form1::splitLines("a\r\nb\r\n"), QStringList({"a", "b", ""}));
    EXPECT_EQ(Form1::splitLines("a\r\nb"), QStringList({"a", ""}));
}

TEST_F(Drops, TheCanvasIsDraggedOutAsItsPictureAndTakesTheFocusAfter)
{
    startWith(2);
    f().Command1_Click();
    QImage offered;
    Qt::DropActions allowed;
    forms::setDragHook([&](const QMimeData &data, int effects) {
        offered = qvariant_cast<QImage>(data.imageData());
        allowed = forms::actionsOf(effects);
        return int(forms::vbDropEffectCopy);
    });
    f().Command1.SetFocus();
    pressAndPull(f().Picture1.inner());
    EXPECT_EQ(offered.size(), QSize(20, 10));
    EXPECT_TRUE(allowed.testFlag(Qt::CopyAction) && allowed.testFlag(Qt::MoveAction));
    EXPECT_TRUE(f().Picture1.hasFocus()) << "so that + and - step on";
}

TEST_F(Drops, BoardIconsGoOutAsFileNamesOrWithCtrlAsPictures)
{
    const QStringList pics = startWith(2);
    Form2 &b = t().form2();
    b.Show();
    b.Image1(0).Move(0, 0, 600, 450);
    b.Image1(0).setPicture(picture::loadPicture(pics[1]));
    b.Image1(0).setToolTipText("2");
    b.Image1(0).setVisible(true);
    QString text;
    QImage image;
    forms::setDragHook([&](const QMimeData &data, int) {
        text = data.text();
        image = qvariant_cast<QImage>(data.imageData());
        return int(forms::vbDropEffectCopy);
    });

    // In arrangement mode a Ctrl-press puts the file name on the clipboard and drags nothing out.
    QTest::mouseClick(b.Image1(0).widget(), Qt::LeftButton, Qt::ControlModifier, QPoint(3, 3));
    EXPECT_EQ(forms::Clipboard::GetText(), pics[1]);
    EXPECT_TRUE(text.isEmpty());

    b.menu2.action()->trigger(); // file-name drag mode
    pressAndPull(b.Image1(0).widget());
    EXPECT_EQ(text, pics[1] + "\r\n");
    EXPECT_TRUE(b.Picture1.hasFocus());

    text.clear();
    pressAndPull(b.Image1(0).widget(), Qt::ControlModifier);
    EXPECT_EQ(image.size(), QSize(21, 10)) << "with Ctrl the picture goes instead of the name";
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(forms::Clipboard::GetData().size(), QSize(21, 10));
}
