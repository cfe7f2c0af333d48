// SPDX-License-Identifier: GPL-2.0-or-later
// The collector list: drops of files, folders, list files and text; the keys; dragging out onto
// the list file area and onto the list itself; the item limit.
#include "tests/kesto/KestoFixture.h"

#include "platform/cp932/cp932.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/KeyCodes.h"
#include "platform/shell/fs.h"

#include <QDir>
#include <QFile>
#include <QListView>
#include <QtTest/QTest>

#include <unistd.h>

namespace {

class Collector : public KestoTest
{
protected:
    void SetUp() override { start(); }
    QString readCp932(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? cp932::decode(file.readAll()) : QStringLiteral("<unreadable>");
    }
};

} // namespace

TEST_F(Collector, ListFilesExpandWithCtrlAndOtherwiseJoinAsNames)
{
    const QString lst =
        dir.writeCp932("pics.lst", QString::fromUtf8("C:\\\\a.jpg\r\n;comment\r\n\r\n写真.bmp\r\nlast"));
    const QString upper = dir.writeCp932("other.LST", "x\r\n");
    dropFiles(f().List1, {lst}, Qt::ControlModifier);
    EXPECT_EQ(items(), QStringList({"C:\\a.jpg", "", QString::fromUtf8("写真.bmp"), "last"}))
        << "comments go, an empty line is an item, the doubled backslash is repaired";
    EXPECT_EQ(f().Label1.Caption(), "4");
    dropFiles(f().List1, {lst});
    dropFiles(f().List1, {upper}, Qt::ControlModifier);
    EXPECT_EQ(items().mid(4), QStringList({lst, upper})) << "without CTRL, and for .LST, the list file is a name";

    // A list file that cannot be read is reported; the list stays.
    f().DropFile(f().List1, dir.file("missing.lst"));
    EXPECT_EQ(items().size(), 6);
    ASSERT_EQ(shownMessages().size(), 1);
    EXPECT_TRUE(messages[0].contains("missing.lst"));
}

TEST_F(Collector, PastesTakeOnlyLinesThatEnd)
{
    forms::Clipboard::SetText("x\r\ny");
    press(f().List1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(items(), QStringList({"x"}));
    forms::Clipboard::SetText("x\r\n\r\ny\r\n");
    press(f().List1, Qt::Key_V, Qt::ControlModifier);
    forms::Clipboard::SetText("p\nq\n"); // a Linux editor's line ends
    press(f().List1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(items(), QStringList({"x", "x", "y", "p", "q"}));
    EXPECT_EQ(f().Label1.Caption(), "5");
}

TEST_F(Collector, FilesAndFoldersAreWalkedInTheFileSystemsOrder)
{
    QDir().mkpath(dir.file("top/sub/deeper"));
    QDir().mkpath(dir.file("empty"));
    for (const char *n : {"top/b.jpg", "top/a.jpg", "top/sub/s.bmp", "top/sub/deeper/d.bmp", "one.jpg"})
        dir.write(n, "x");
    ASSERT_EQ(symlink("..", dir.file("top/sub/up").toLocal8Bit().constData()), 0);
    const QString top = dir.file("top");

    dropFiles(f().List1, {dir.file("one.jpg"), dir.file("empty")});
    EXPECT_EQ(items(), QStringList({dir.file("one.jpg"), dir.file("empty")}));
    f().List1.Clear();

    dropFiles(f().List1, {top});
    QStringList flat{top};
    for (const QString &n : fs::folderFiles(top))
        flat << top + "/" + n;
    EXPECT_EQ(items(), flat) << "without CTRL: the folder and its files";
    f().List1.Clear();

    dropFiles(f().List1, {top}, Qt::ControlModifier);
    QStringList deep;
    // The walk as the file system orders each folder: subfolders first, then the files.
    std::function<void(const QString &)> walk = [&](const QString &p) {
        deep << p;
        for (const QString &s : fs::subFolders(p)) {
            const QString sp = p + "/" + s;
            if (QFileInfo(sp).isSymLink())
                deep << sp;
            else
                walk(sp);
        }
        for (const QString &n : fs::folderFiles(p))
            deep << p + "/" + n;
    };
    walk(top);
    EXPECT_EQ(items(), deep);
    EXPECT_TRUE(items().contains(top + "/sub/up")) << "the link to the parent is listed";
    EXPECT_EQ(items().size(), 8) << "and never walked";
}

TEST_F(Collector, AFolderThatCannotBeReadEndsOnlyItsOwnWalk)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    QDir().mkpath(dir.file("top/closed"));
    dir.write("top/closed/x.jpg", "x");
    dir.write("top/open.jpg", "x");
    QFile::setPermissions(dir.file("top/closed"), QFileDevice::WriteOwner);
    dropFiles(f().List1, {dir.file("top")}, Qt::ControlModifier);
    QFile::setPermissions(dir.file("top/closed"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(items(), QStringList({dir.file("top"), dir.file("top/closed"), dir.file("top/open.jpg")}));
}

TEST_F(Collector, TextDropsAndTheDragOverRules)
{
    fill({"a", "b"});
    clickItem(1);
    const auto same = dropText(f().List1, "b");
    EXPECT_EQ(same.dropAction, Qt::IgnoreAction) << "the current item's own text is refused";
    EXPECT_EQ(items().size(), 2);
    const auto taken = dropText(f().List1, "c\r\nd\r\n");
    EXPECT_EQ(taken.dropAction, Qt::CopyAction);
    EXPECT_EQ(items(), QStringList({"a", "b", "c", "d"}));

    QMimeData picture;
    QImage img(2, 2, QImage::Format_RGB32);
    picture.setImageData(img);
    const auto files = droptest::fileManagerData({dir.file("z.jpg")});
    const auto text = droptest::editorText("t\r\n");
    EXPECT_EQ(droptest::dragOver(f().List1.widget(), *files).overAction, Qt::CopyAction);
    EXPECT_FALSE(droptest::dragOver(f().Label3.widget(), *text).overAccepted) << "no list file to write yet";
    const auto lst = droptest::fileManagerData({dir.write("out.lst", "")});
    droptest::dropOn(f().Label3.widget(), *lst, Qt::CopyAction);
    EXPECT_EQ(droptest::dragOver(f().Label3.widget(), *text).overAction, Qt::CopyAction);
    EXPECT_FALSE(droptest::dragOver(f().List1.widget(), picture).overAccepted);
    EXPECT_FALSE(droptest::dragOver(f().Label2.widget(), *files).overAccepted) << "GV converts text only";
    EXPECT_FALSE(droptest::dragOver(f().Label2.widget(), *text).overAccepted) << "no GV to convert with";
    k().module().gvPath = "/usr/bin/gv";
    EXPECT_EQ(droptest::dragOver(f().Label2.widget(), *text, Qt::CopyAction | Qt::MoveAction).overAction,
              Qt::CopyAction);
    EXPECT_FALSE(droptest::dragOver(f().Label2.widget(), *text, Qt::MoveAction).overAccepted) << "copy or nothing";
}

TEST_F(Collector, KeysCopyCutPasteAndRemove)
{
    fill({"a", "b", "c", "d"});
    press(f().List1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(forms::Clipboard::GetText(), "") << "nothing selected: an empty text";
    EXPECT_EQ(items().size(), 4);
    clickItem(0);
    clickItem(2, Qt::ControlModifier);
    press(f().List1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(forms::Clipboard::GetText(), "a\r\nc\r\n\r\n");
    press(f().List1, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(items(), QStringList({"b", "d"})) << "other keys beside CTRL do not matter";
    EXPECT_EQ(f().Label1.Caption(), "2");
    press(f().List1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(items(), QStringList({"b", "d", "a", "c"}));
    clickItem(0);
    press(f().List1, Qt::Key_Delete);
    clickItem(0);
    press(f().List1, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(items(), QStringList({"a", "c"}));
    press(f().List1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(items().size(), 2) << "CTRL+Delete is no key of the list";
}

TEST_F(Collector, Label3WritesTheDraggedItemsIntoTheDroppedListFile)
{
    fill({"a", "b", "c"});
    clickItem(0);
    clickItem(1, Qt::ShiftModifier);
    // Before any file was dropped there, a text drop writes nothing and the items stay.
    dragListOnto(f().Label3);
    EXPECT_EQ(items().size(), 3);

    const QString target = dir.writeCp932("out/list.lst", "old\r\n");
    EXPECT_EQ(dropFiles(f().Label3, {target}).dropAction, Qt::CopyAction);
    EXPECT_EQ(f().outputFile, target);
    EXPECT_TRUE(f().Text2.Text().endsWith("\r\n" + target)) << "the folder log gets the path";
    const int n = int(target.size());
    ASSERT_GE(n, 25);
    EXPECT_EQ(f().Label3.Caption(), target.left(n / 2) + " " + target.mid(n / 2));

    clickItem(0);
    clickItem(1, Qt::ShiftModifier);
    dragListOnto(f().Label3);
    EXPECT_EQ(readCp932(target), "a\r\nb\r\n\r\n") << "ends with an empty line";
    EXPECT_EQ(items(), QStringList({"c"}));
    EXPECT_EQ(f().Label1.Caption(), "1");
    f().DropFile(f().List1, target);
    EXPECT_EQ(items(), QStringList({"c", "a", "b", ""}));
}

TEST_F(Collector, Label3ShowsShortPathsWholeAndCutsLongOnesInHalves)
{
    const QString name24 = "/" + QString(23, 'p');
    const QString name25 = "/" + QString(12, 'q') + QString(12, 'r');
    ASSERT_EQ(name25.size(), 25);
    const auto shown = [&](const QString &path) {
        const auto data = droptest::fileManagerData({path});
        droptest::dropOn(f().Label3.widget(), *data, Qt::CopyAction);
        return f().Label3.Caption();
    };
    EXPECT_EQ(shown(name24), name24);
    EXPECT_EQ(shown(name25), name25.left(12) + " " + name25.mid(12)) << "12, a space and 13";
    EXPECT_EQ(f().outputFile, name25);
}

TEST_F(Collector, TheListDraggedOntoItselfMovesTheItemsToTheEnd)
{
    fill({"a", "b", "c"});
    clickItem(0);
    clickItem(1, Qt::ShiftModifier);
    dragListOnto(f().List1);
    EXPECT_EQ(items(), QStringList({"c", "a", "b"}));
    EXPECT_EQ(f().Label1.Caption(), "3");
    EXPECT_TRUE(f().List1.hasFocus());
}

TEST_F(Collector, TheFileBrowserExpandsItsListFiles)
{
    dir.writeCp932("one.lst", "p1\r\np2\r\n");
    dir.writeCp932("two.txt", "t1\r\n");
    f().File1.Refresh();
    QListView *v = f().File1.view();
    const auto at = [&](int i) { return v->visualRect(v->model()->index(i, 0)).center(); };
    ASSERT_EQ(f().File1.ListCount(), 2);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, at(0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, at(1));
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, at(1));
    EXPECT_EQ(items(), QStringList({"p1", "p2", "t1"}));
    EXPECT_TRUE(f().List1.hasFocus());
    press(f().File1, Qt::Key_Return);
    EXPECT_EQ(items().size(), 6);
}

TEST_F(Collector, TheLimitRefusesWhatWouldPassItAndKeepsTheList)
{
    QStringList many;
    for (int i = 0; i < Form1::kListLimit - 2; ++i)
        many << QString::number(i);
    fill(many);
    QDir().mkpath(dir.file("pics"));
    for (const char *n : {"pics/1.jpg", "pics/2.jpg", "pics/3.jpg"})
        dir.write(n, "x");
    dropFiles(f().List1, {dir.file("pics")});
    EXPECT_EQ(f().List1.ListCount(), Form1::kListLimit);
    EXPECT_EQ(f().Label1.Caption(), "32000");
    EXPECT_EQ(shownMessages(), QStringList({QString::fromUtf8("Over Flow!(32000件)")}));
    EXPECT_FALSE(ended) << "Kesto goes on";
    EXPECT_EQ(f().List1.List(0), "0");

    forms::Clipboard::SetText("more\r\n");
    press(f().List1, Qt::Key_V, Qt::ControlModifier);
    int cancel = -1;
    f().Form_LinkExecute("/from/tavlo.jpg", cancel);
    EXPECT_NE(cancel, 0) << "the execute is refused, so Tavlo knows";
    EXPECT_EQ(f().List1.ListCount(), Form1::kListLimit);
    EXPECT_EQ(shownMessages().size(), 1) << "one message until the list shrinks";

    clickItem(0);
    press(f().List1, Qt::Key_Delete);
    f().Form_LinkExecute("/from/tavlo.jpg", cancel);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(f().List1.List(Form1::kListLimit - 1), "/from/tavlo.jpg");
}
