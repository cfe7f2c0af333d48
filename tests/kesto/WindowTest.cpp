// SPDX-License-Identifier: GPL-2.0-or-later
// Kesto's window: start-up and options, the controls at their places, the menu and its keys,
// the resize layout in both modes, the file browser and the folder log.
#include "tests/kesto/KestoFixture.h"

#include "kesto/MainModule.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Screen.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include <unistd.h>

namespace {

class Window : public KestoTest
{
protected:
    void key(Qt::Key k, Qt::KeyboardModifiers mods)
    {
        f().List1.SetFocus();
        QTest::keyClick(f().List1.widget(), k, mods);
    }
    void resizeClient(float w, float h)
    {
        f().window()->resize(forms::toPixels(w),
                             forms::toPixels(h) + (f().window()->height() - f().client()->height()));
        forms::DoEvents();
    }
};

struct Place
{
    const char *name;
    float left, top, width, height;
};

} // namespace

TEST_F(Window, OptionsAreTakenAndTheWindowLoads)
{
    start({"/GV=\"/opt/gv dir/gv\"", "/photoed=/usr/bin/pe", "/other", dir.path()});
    EXPECT_EQ(k().module().gvPath, "/opt/gv dir/gv") << "the value keeps its own case, quotes removed";
    EXPECT_EQ(k().module().photoedPath, "/usr/bin/pe");
    EXPECT_EQ(k().module().cmdArgs.argCount, 2) << "what is no option stays, an existing folder too";
    EXPECT_EQ(f().Caption(), "KESTO");
    EXPECT_TRUE(f().Visible());
    EXPECT_EQ(f().Label2.Caption(), QString::fromUtf8("下のリストからここへDropするとGVでファイル変換できます"));
    EXPECT_EQ(f().Text2.Text(), QDir::cleanPath(dir.path())) << "the log starts with the browser's folder";
    EXPECT_EQ(f().Dir1.Path(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(f().File1.Path(), QDir::cleanPath(dir.path()));
}

TEST_F(Window, ControlsSitAtTheirPlacesWithTheirTexts)
{
    create(); // before the first layout
    EXPECT_FLOAT_EQ(f().ScaleWidth(), 5970);
    EXPECT_FLOAT_EQ(f().ScaleHeight(), 4650);
    const Place places[] = {
        {"Drive1", 135, 0, 2535, 300},     {"File1", 120, 390, 2535, 1170},   {"Dir1", 2775, -15, 3135, 1560},
        {"Text1", 4710, 90, 735, 375},     {"Text2", 120, 1560, 5775, 645},   {"Label1", 135, 2265, 855, 255},
        {"Label2", 1335, 2280, 2175, 615}, {"Label3", 3735, 2295, 2175, 630}, {"List1", 135, 2985, 5775, 1500}};
    for (const Place &p : places) {
        forms::Control *c = f().control(p.name);
        ASSERT_NE(c, nullptr) << p.name;
        EXPECT_FLOAT_EQ(c->Left(), p.left) << p.name;
        EXPECT_FLOAT_EQ(c->Top(), p.top) << p.name;
        EXPECT_FLOAT_EQ(c->Width(), p.width) << p.name;
        EXPECT_FLOAT_EQ(c->Height(), p.height) << p.name;
    }
    EXPECT_FALSE(f().Text1.Visible());
    EXPECT_EQ(f().Text1.Text(), "Text1");
    EXPECT_EQ(f().Text1.ToolTipText(), "Text1 For GV Link");
    EXPECT_EQ(f().Label1.Caption(), "0");
    EXPECT_EQ(f().File1.Pattern(), "*.lst;*.txt;*.bmp;*.jpg;*.ico;*.cur;*.tif");
    EXPECT_EQ(f().File1.MultiSelect(), 2);
    EXPECT_EQ(f().Text2.ToolTipText(), QString::fromUtf8("CTRL+Nでフオルダー移動も可"));
    EXPECT_EQ(f().menuFront.action()->shortcut(), QKeySequence("Ctrl+T"));
    EXPECT_EQ(f().menuDrop.action()->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(f().menuEnd.action()->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(f().menuEnd.Caption(), QString::fromUtf8("終了(&X)"));
    start();
    EXPECT_EQ(f().Label2.Caption(), QString::fromUtf8("GV.EXEのパスが指定されていません"));
    EXPECT_FLOAT_EQ(f().ScaleHeight(), 4650) << "the menu bar comes on top of the client area";
    EXPECT_FLOAT_EQ(f().List1.Height(), 4650 - 2985);
    EXPECT_EQ(f().List1.ToolTipText().split('\n').size(), 3) << "set at load";
    EXPECT_TRUE(f().List1.ToolTipText().contains(QString::fromUtf8("CTRL+dropで*.lstの中身に展開")));
}

TEST_F(Window, TheLayoutFollowsTheWindowInBothModes)
{
    start();
    resizeClient(9000, 6000);
    EXPECT_FLOAT_EQ(f().List1.Width(), 9000 - 135 - 100);
    EXPECT_FLOAT_EQ(f().List1.Height(), 6000 - 2985);
    EXPECT_FLOAT_EQ(f().Text2.Width(), 9000 - 120 - 100);
    EXPECT_FLOAT_EQ(f().Label2.Width(), (9000 - 1335 - 200) / 2.0f);
    EXPECT_FLOAT_EQ(f().Label3.Width(), f().Label2.Width());
    EXPECT_FLOAT_EQ(f().Label3.Left(), 1335 + f().Label2.Width() + 100);
    EXPECT_FLOAT_EQ(f().Dir1.Width(), 9000 - 2775 - 100);

    // Drop-only, from the menu's key.
    QTest::keyClick(f().List1.widget(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(f().menuDrop.Checked());
    EXPECT_FALSE(f().Drive1.Visible());
    EXPECT_FALSE(f().Label3.Visible());
    EXPECT_FLOAT_EQ(f().List1.Top(), 0);
    EXPECT_FLOAT_EQ(f().List1.Height(), 6000);
    resizeClient(7005, 3000);
    EXPECT_FLOAT_EQ(f().List1.Top(), 0);
    EXPECT_FLOAT_EQ(f().List1.Height(), 3000);
    EXPECT_FLOAT_EQ(f().List1.Width(), 7005 - 135 - 100);

    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(f().menuDrop.Checked());
    EXPECT_TRUE(f().Drive1.Visible());
    EXPECT_TRUE(f().Label3.Visible());
    EXPECT_FLOAT_EQ(f().List1.Top(), 2985) << "every panel back at its top and height";
    EXPECT_FLOAT_EQ(f().Label2.Top(), 2280);
    EXPECT_FLOAT_EQ(f().Label2.Height(), 615);
    EXPECT_FLOAT_EQ(f().List1.Height(), 3000 - 2985);

    // A very narrow window: widths stop at 0 and the folder list hides.
    resizeClient(1500, 4650);
    EXPECT_FALSE(f().Dir1.Visible());
    EXPECT_FLOAT_EQ(f().Label2.Width(), 0);
    resizeClient(6000, 4650);
    EXPECT_TRUE(f().Dir1.Visible());

    // Maximised, the controls stay where they were; back to normal they follow again.
    const float before = f().List1.Width();
    f().setWindowState(forms::vbMaximized);
    forms::DoEvents();
    EXPECT_FLOAT_EQ(f().List1.Width(), before);
    f().setWindowState(forms::vbNormal);
    resizeClient(8010, 5010);
    EXPECT_FLOAT_EQ(f().List1.Width(), 8010 - 235);
}

TEST_F(Window, AlwaysOnTopKeepsTheWindowShown)
{
    start();
    key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(f().menuFront.Checked());
    EXPECT_TRUE(f().TopMost());
    EXPECT_TRUE(f().Visible());
    key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(f().TopMost());
    EXPECT_TRUE(f().Visible());
}

TEST_F(Window, CtrlQEndsKesto)
{
    start();
    key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(f().Visible());
}

TEST_F(Window, TheFolderLogKeepsTheCaretOfAReader)
{
    start();
    forms::TextBox &log = f().Text2;
    log.setText("/a");
    log.setSelStart(2);
    f().appendLogLine(log, "/b");
    EXPECT_EQ(log.Text(), "/a\r\n/b");
    EXPECT_EQ(log.SelStart(), 6) << "at the end it stays at the end";
    log.setSelStart(1);
    f().appendLogLine(log, "/c");
    EXPECT_EQ(log.SelStart(), 1) << "a reader of an older line is not disturbed";
    log.setSelStart(0);
    f().appendLogLine(log, "/d");
    EXPECT_EQ(log.SelStart(), int(log.Text().size())) << "the very start counts as no place";
    log.setSelStart(5);
    EXPECT_EQ(Form1::currentLogLine(log), "/b");
    log.setSelStart(0);
    EXPECT_EQ(Form1::currentLogLine(log), "/a");
}

TEST_F(Window, TheBrowserMovesAndLogsItsFolders)
{
    QDir().mkpath(dir.file("pics/inner"));
    dir.write("pics/x.lst", "a\r\n");
    dir.write("pics/inner/y.jpg", "b");
    start();
    // A click on "pics" in the folder list opens it.
    auto *w = static_cast<QListWidget *>(f().Dir1.widget());
    QListWidgetItem *item = w->findItems("pics", Qt::MatchEndsWith).value(0);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(item).center());
    EXPECT_EQ(f().Dir1.Path(), dir.file("pics"));
    EXPECT_EQ(f().File1.Path(), dir.file("pics"));
    EXPECT_EQ(f().File1.List(0), "x.lst");
    EXPECT_TRUE(f().Text2.Text().endsWith("\r\n" + dir.file("pics")));

    // CTRL+N on a log line naming a file moves the browser to its folder.
    f().appendLogLine(f().Text2, dir.file("pics/inner/y.jpg"));
    QTest::keyClick(f().Text2.widget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f().Dir1.Path(), dir.file("pics/inner"));
    EXPECT_TRUE(f().Text2.Text().endsWith("\r\n" + dir.file("pics/inner")));
    // On a folder line, to the folder; on a line naming nothing, nowhere.
    f().appendLogLine(f().Text2, dir.path());
    QTest::keyClick(f().Text2.widget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f().Dir1.Path(), QDir::cleanPath(dir.path()));
    f().appendLogLine(f().Text2, dir.file("nothing/here"));
    QTest::keyClick(f().Text2.widget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f().Dir1.Path(), QDir::cleanPath(dir.path()));

    // Choosing the root volume in the drive list moves the folder list there.
    auto *combo = static_cast<QComboBox *>(f().Drive1.widget());
    const int root = 0;
    if (combo->currentIndex() != root) {
        combo->setFocus();
        combo->setCurrentIndex(root);
        emit combo->activated(root);
        EXPECT_EQ(f().Dir1.Path(), "/");
    }
}

TEST_F(Window, CtrlNOnAFileInAVolumeRootDoesNothing)
{
    const QString rootFile = QStringLiteral("/kesto-test-%1.lst").arg(getpid());
    {
        QFile probe(rootFile);
        if (!probe.open(QIODevice::WriteOnly))
            GTEST_SKIP() << "cannot write into /";
    }
    start();
    f().appendLogLine(f().Text2, rootFile);
    QTest::keyClick(f().Text2.widget(), Qt::Key_N, Qt::ControlModifier);
    QFile::remove(rootFile);
    EXPECT_EQ(f().Dir1.Path(), QDir::cleanPath(dir.path()));
}
