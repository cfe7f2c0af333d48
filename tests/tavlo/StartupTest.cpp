// SPDX-License-Identifier: GPL-2.0-or-later
// Start-up: options, pictures and list files named on the command line.
#include "tests/tavlo/TavloFixture.h"

#include <QFile>

#include <sys/stat.h>

using Startup = TavloTest;

TEST_F(Startup, NoArgumentsHidesTheChooserAndCountsZero)
{
    start({});
    EXPECT_FALSE(f().Combo1.Visible());
    EXPECT_EQ(f().Text3.Text(), "0");
    EXPECT_EQ(f().Text1.Text(), "0");
    EXPECT_EQ(m().fileCount, 0);
    EXPECT_EQ(m().curIndex, -1);
    EXPECT_TRUE(f().Visible());
    EXPECT_EQ(f().Caption(), "Form1");
    EXPECT_TRUE(m().FindForm("Form1"));
}

TEST_F(Startup, PicturesThenListFile)
{
    const QString a = picture("a.bmp");
    const QString b1 = picture("b1.bmp"), b2 = picture("b2.jpg");
    const QString lst = listFile("b.lst", {"; pictures", b1, b2});
    start({a, dir.file("missing.bmp"), lst});

    EXPECT_EQ(pictureList(), QStringList({a, b1, b2}));
    EXPECT_EQ(m().listOfFile[0], -1);
    EXPECT_EQ(m().listOfFile[1], 0);
    EXPECT_EQ(m().listOfFile[2], 0);
    EXPECT_EQ(m().listCount, 1);
    ASSERT_EQ(f().Combo1.ListCount(), 1);
    EXPECT_EQ(f().Combo1.List(0), lst);
    EXPECT_EQ(f().Combo1.Text(), "") << "the list file was not the first argument";
    EXPECT_EQ(f().Text3.Text(), "3");
    EXPECT_EQ(f().Text1.Text(), "0") << "nothing is shown at load";
}

TEST_F(Startup, ListFileFirstSetsTheChooser)
{
    const QString b1 = picture("b1.bmp");
    const QString lst = listFile("b.lst", {b1});
    const QString a = picture("a.bmp");
    start({lst, a});
    EXPECT_TRUE(f().Combo1.Visible());
    EXPECT_EQ(f().Combo1.Text(), lst);
    EXPECT_EQ(pictureList(), QStringList({b1, a}));
    EXPECT_EQ(m().listOfFile[1], -1);
}

TEST_F(Startup, UnreadableListFirstStillShowsItsNameButIsNoEntry)
{
    const QString a = picture("a.bmp");
    start({dir.file("gone.lst"), a});
    EXPECT_TRUE(f().Combo1.Visible());
    EXPECT_EQ(f().Combo1.Text(), dir.file("gone.lst"));
    EXPECT_EQ(f().Combo1.ListCount(), 0);
    EXPECT_EQ(m().listCount, 0);
    EXPECT_EQ(pictureList(), QStringList({a}));
}

TEST_F(Startup, SpecialFilesAsListsOrPicturesNeverStopTheWindow)
{
    // "tavlo zero.lst" with /dev/zero behind the name used to end on bad_alloc, and a FIFO as
    // a list file kept the window from ever appearing; as pictures they ran out of memory or
    // blocked the window thread.
    ASSERT_TRUE(QFile::link("/dev/zero", dir.file("zero.lst")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("pipe.lst")).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("pipe.jpg")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.file("zero.bmp")));
    const QString a = picture("a.bmp");
    start({dir.file("zero.lst"), dir.file("pipe.lst"), dir.file("pipe.jpg"), dir.file("zero.bmp"), a});
    EXPECT_TRUE(f().Visible());
    EXPECT_EQ(f().Combo1.ListCount(), 0);
    EXPECT_EQ(m().listCount, 0);
    EXPECT_EQ(pictureList(), QStringList({dir.file("pipe.jpg"), dir.file("zero.bmp"), a}));
    // Each is reported as a picture that cannot be shown, and the next one shows.
    for (const char *name : {"pipe.jpg", "zero.bmp"}) {
        f().Command1_Click();
        EXPECT_EQ(f().Caption(), dir.file(name));
        EXPECT_TRUE(message().startsWith(dir.file(name))) << message().toStdString();
    }
    f().Command1_Click();
    EXPECT_EQ(f().Caption(), a);
    EXPECT_FALSE(f().Picture1.Picture().isEmpty());
}

TEST_F(Startup, Options)
{
    const QString a = picture("a.bmp");
    start({"/gv=x", a});
    EXPECT_EQ(m().gvPath, "x");
    EXPECT_EQ(m().cmdArgs.argCount, 1);
    EXPECT_EQ(m().cmdArgs.argText[0], a);

    start({"/dr=C:\\Kesto.exe"});
    EXPECT_EQ(m().kestoPath, "C:\\Kesto.exe");
    EXPECT_EQ(m().cmdArgs.argCount, 0);
    EXPECT_FALSE(f().Combo1.Visible());

    // Any letter case, quotes removed from the value, the last one wins.
    start({"/GV=\"/opt/my gv/gv\"", "/Dr=\"/opt/k/kesto\"", "/gv=/usr/bin/gv2"});
    EXPECT_EQ(m().gvPath, "/usr/bin/gv2");
    EXPECT_EQ(m().kestoPath, "/opt/k/kesto");

    // Only the first three characters name the option; /gv's value starts at the fifth.
    start({"/gvpath", "/drive=/x"});
    EXPECT_EQ(m().gvPath, "ath");
    EXPECT_EQ(m().kestoPath, "/x");
}

TEST_F(Startup, ShortOptionsTakeNoValueFromBeyondTheArgument)
{
    start({"/gv", "/dr", "/gv="});
    EXPECT_EQ(m().gvPath, "");
    EXPECT_EQ(m().kestoPath, "");
    EXPECT_EQ(m().cmdArgs.argCount, 0);
    start({"/drx"});
    EXPECT_EQ(m().kestoPath, "") << "no equals sign, no value";
}

TEST_F(Startup, AbsolutePathsThatExistAreNamesNotOptions)
{
    // A folder whose name starts like an option, holding a picture: an absolute POSIX path.
    const QString pic = picture("drafts/x.bmp");
    ASSERT_TRUE(pic.startsWith('/'));
    start({pic});
    EXPECT_EQ(pictureList(), QStringList({pic}));
    EXPECT_EQ(m().kestoPath, "");
}

TEST_F(Startup, AnyExistingFileEntersTheListAndQuotedNamesDoNot)
{
    const QString txt = dir.write("notes.txt", "hello");
    const QString a = picture("a b.bmp");
    start({txt, "\"" + a + "\"", a});
    EXPECT_EQ(pictureList(), QStringList({txt, a}));
}

TEST_F(Startup, MoreThan2049PicturesStopAtTheLastSlot)
{
    const QString a = picture("a.bmp");
    QStringList lines;
    for (int i = 0; i < 1500; ++i)
        lines << a;
    const QString l1 = listFile("one.lst", lines);
    const QString l2 = listFile("two.lst", lines);
    start({l1, l2, a});
    EXPECT_EQ(m().fileCount, 2049);
    EXPECT_EQ(m().listOfFile[1499], 0);
    EXPECT_EQ(m().listOfFile[1500], 1);
    EXPECT_EQ(m().listOfFile[2048], 1);
    EXPECT_EQ(m().listCount, 2);
    EXPECT_EQ(f().Text3.Text(), "2049");
}

TEST_F(Startup, MoreThan101ArgumentsKeepTheFirst101)
{
    const QString a = picture("a.bmp");
    QStringList args;
    for (int i = 0; i < 150; ++i)
        args << a;
    args << "/gv=late";
    start(args);
    EXPECT_EQ(m().cmdArgs.argCount, 101);
    EXPECT_EQ(m().fileCount, 101);
    EXPECT_EQ(m().gvPath, "late");
}
