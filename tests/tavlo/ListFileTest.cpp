// SPDX-License-Identifier: GPL-2.0-or-later
// List files: fields, comments, quotes, code page 932, kinds, and FindForm.
#include "tests/tavlo/TavloFixture.h"

#include "tavlo/modlessMsgBox.h"

#include "platform/cp932/cp932.h"
#include "tavlo/ListFile.h"

#include <QFile>

#include <sys/stat.h>

using ListFiles = TavloTest;

TEST_F(ListFiles, AcceptsExistingPicturesOfKnownKinds)
{
    start({});
    const QString a = picture("a.bmp"), b = picture("b.JPG");
    const QString txt = dir.write("c.txt", "x");
    const QString inner = listFile("inner.lst", {a});
    m().listCount = 3;
    const QString lst = listFile("x.lst", {"; pictures", a, dir.file("gone.jpg"), b, txt, inner});
    EXPECT_EQ(m().ReadListFile(lst), 0);
    EXPECT_EQ(pictureList(), QStringList({a, b, inner})) << "a list named in a list is a name, not read";
    EXPECT_EQ(m().listOfFile[0], 3);
    EXPECT_EQ(m().listOfFile[1], 3);
    EXPECT_EQ(m().listCount, 4);
}

TEST_F(ListFiles, EmptyAndCommentOnlyFilesCountAsRead)
{
    start({});
    EXPECT_EQ(m().ReadListFile(dir.write("empty.lst", "")), 0);
    EXPECT_EQ(m().ReadListFile(listFile("c.lst", {"; one", ";two"})), 0);
    EXPECT_EQ(m().fileCount, 0);
    EXPECT_EQ(m().listCount, 2);
}

TEST_F(ListFiles, UnreadableFilesChangeNothing)
{
    start({});
    EXPECT_EQ(m().ReadListFile(dir.file("gone.lst")), 1);
    EXPECT_EQ(m().ReadListFile(dir.path()), 1) << "a folder is no list file";
    EXPECT_EQ(m().ReadListFile(""), 1);
    EXPECT_EQ(m().listCount, 0);
}

TEST_F(ListFiles, OnlyRegularFilesOfAListsLengthAreRead)
{
    start({});
    // /dev/zero behind a list name used to grow memory until the program ended, and a FIFO
    // blocked the window for good.
    ASSERT_TRUE(QFile::link("/dev/zero", dir.file("zero.lst")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("pipe.lst")).constData(), 0600), 0);
    EXPECT_EQ(m().ReadListFile(dir.file("zero.lst")), 1);
    EXPECT_EQ(m().ReadListFile(dir.file("pipe.lst")), 1);
    EXPECT_EQ(m().ReadListFile("/dev/zero"), 1);
    // Longer than 2049 of the longest names can be: not read either.
    const QString a = picture("a.bmp");
    QByteArray huge = (a + "\r\n").toUtf8();
    huge += QByteArray(int(kMaxListFileBytes), ';');
    EXPECT_EQ(m().ReadListFile(dir.write("huge.lst", huge)), 1);
    EXPECT_EQ(m().fileCount, 0);
    EXPECT_EQ(m().listCount, 0);
    // A link to a real list file is read.
    ASSERT_TRUE(QFile::link(listFile("real.lst", {a}), dir.file("link.lst")));
    EXPECT_EQ(m().ReadListFile(dir.file("link.lst")), 0);
    EXPECT_EQ(pictureList(), QStringList({a}));
}

TEST_F(ListFiles, CommasSplitNamesUnlessQuoted)
{
    start({});
    const QString x = picture("x.bmp"), y = picture("y.bmp"), xy = picture("x,y.bmp");
    ChangeDir cd(dir.path());
    // Relative names count from the current folder.
    dir.write("l.lst", "x,y.bmp\r\n\"x,y.bmp\" trailing text, y.bmp\r\n");
    EXPECT_EQ(m().ReadListFile("l.lst"), 0);
    EXPECT_EQ(pictureList(), QStringList({"y.bmp", "x,y.bmp", "y.bmp"}));
    Q_UNUSED(x);
    Q_UNUSED(xy);
}

TEST_F(ListFiles, BlanksAroundNamesAndEveryLineEnd)
{
    start({});
    const QString a = picture("a b.bmp"), b = picture("b.bmp"), c = picture("c.bmp");
    dir.write("l.lst", ("   " + a + "   \r" + b + "\n" + c + "\r\n\r\n").toUtf8());
    EXPECT_EQ(m().ReadListFile(dir.file("l.lst")), 0);
    EXPECT_EQ(pictureList(), QStringList({a, b, c}));
}

TEST_F(ListFiles, JapaneseNamesInCodePage932)
{
    start({});
    const QString jp = picture(QString::fromUtf8("写真_表.bmp"));
    const QString lst = listFile(QString::fromUtf8("一覧.lst"), {QString::fromUtf8("; 写真の一覧"), jp});
    ASSERT_TRUE(cp932::encode(jp).contains(QByteArray("\x95\x5C", 2)));
    EXPECT_EQ(m().ReadListFile(lst), 0);
    EXPECT_EQ(pictureList(), QStringList({jp}));
}

TEST_F(ListFiles, ARejectedFieldWaitsInTheNextSlot)
{
    start({});
    const QString a = picture("a.bmp");
    EXPECT_EQ(m().ReadListFile(listFile("l.lst", {a, "; last comment"})), 0);
    EXPECT_EQ(m().fileCount, 1);
    EXPECT_EQ(m().fileNames[1], "; last comment");
}

TEST_F(ListFiles, AFullListStopsReading)
{
    start({});
    const QString a = picture("a.bmp");
    QStringList lines;
    for (int i = 0; i < 2100; ++i)
        lines << a;
    EXPECT_EQ(m().ReadListFile(listFile("l.lst", lines)), 0);
    EXPECT_EQ(m().fileCount, 2049);
    EXPECT_EQ(m().listCount, 1);
    EXPECT_EQ(m().ReadListFile(listFile("m.lst", {a})), 0);
    EXPECT_EQ(m().fileCount, 2049);
    EXPECT_EQ(m().listCount, 2);
}

TEST(FileKind, ByTheLastFourCharacters)
{
    for (const char *p : {"a.bmp", "A.BMP", "x.rle", "x.jpg", "x.wmf", "x.emf", "x.ico", "x.Cur"})
        EXPECT_EQ(MainModule::FileKind(p), 1) << p;
    EXPECT_EQ(MainModule::FileKind("a.Lst"), 4);
    for (const char *p : {"a.jpeg", "a.gif", "a.png", "a.tif", "bmp", "", ".bm", "a.lst "})
        EXPECT_EQ(MainModule::FileKind(p), 0) << p;
    EXPECT_EQ(MainModule::FileKind(".bmp"), 1);
}

TEST_F(ListFiles, FindFormMatchesLoadedWindowsByExactName)
{
    start({});
    EXPECT_TRUE(m().FindForm("Form1"));
    EXPECT_FALSE(m().FindForm("form1"));
    EXPECT_FALSE(m().FindForm("modlessMsgBox"));
    t().showMessage("hello");
    EXPECT_TRUE(m().FindForm("modlessMsgBox"));
    t().msgBox().Unload();
    EXPECT_FALSE(m().FindForm("modlessMsgBox"));
}
