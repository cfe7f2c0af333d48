#include "platform/shell/fs.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

TEST(Fs, ExistenceTellsFilesFromFolders)
{
    TempDir t;
    const QString f = t.write("a.bmp", "x");
    QDir().mkdir(t.file("sub"));
    EXPECT_TRUE(fs::fileExists(f));
    EXPECT_FALSE(fs::fileExists(t.file("sub")));
    EXPECT_FALSE(fs::fileExists(t.file("gone.bmp")));
    EXPECT_FALSE(fs::fileExists(""));
    EXPECT_FALSE(fs::fileExists("\"" + f + "\""));
    EXPECT_TRUE(fs::folderExists(t.file("sub")));
    EXPECT_FALSE(fs::folderExists(f));
    ChangeDir cd(t.path());
    EXPECT_TRUE(fs::fileExists("a.bmp"));
}

TEST(Fs, FolderWalkListsFilesAndFolders)
{
    TempDir t;
    t.write("a.bmp", "x");
    t.write(QString::fromUtf8("写真.jpg"), "x");
    t.write("sub/inner.txt", "x");
    bool ok = false;
    QStringList files = fs::folderFiles(t.path(), &ok);
    files.sort();
    EXPECT_TRUE(ok);
    EXPECT_EQ(files, QStringList({"a.bmp", QString::fromUtf8("写真.jpg")}));
    EXPECT_EQ(fs::subFolders(t.path()), QStringList({"sub"}));
    EXPECT_TRUE(fs::folderFiles(t.file("nope"), &ok).isEmpty());
    EXPECT_FALSE(ok);
}

TEST(Fs, BuildPathPutsOneSeparator)
{
    EXPECT_EQ(fs::buildPath("/a", "b"), "/a/b");
    EXPECT_EQ(fs::buildPath("/a/", "b"), "/a/b");
    EXPECT_EQ(fs::buildPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(fs::buildPath("C:\\a\\", "b"), "C:\\a\\b");
    EXPECT_EQ(fs::buildPath("", "b"), "b");
    EXPECT_EQ(fs::buildPath("/a", ""), "/a");
}

TEST(Fs, OnlyRegularFilesAreReadAndNeverPastTheirBound)
{
    TempDir t;
    QByteArray bytes;
    EXPECT_EQ(fs::readRegularFile(t.write("a.lst", "abc"), 3, &bytes), fs::FileCheck::Regular);
    EXPECT_EQ(bytes, "abc");
    EXPECT_EQ(fs::readRegularFile(t.write("b.lst", "abcd"), 3, &bytes), fs::FileCheck::TooLarge);
    EXPECT_EQ(fs::readRegularFile(t.file("gone.lst"), 3, &bytes), fs::FileCheck::Missing);
    EXPECT_EQ(fs::readRegularFile("", 3, &bytes), fs::FileCheck::Missing);
    EXPECT_EQ(fs::readRegularFile(t.path(), 3, &bytes), fs::FileCheck::Folder);
    // A device never ends and a FIFO blocks its reader: neither is opened for reading.
    EXPECT_EQ(fs::readRegularFile("/dev/zero", 1 << 20, &bytes), fs::FileCheck::NotRegular);
    ASSERT_TRUE(QFile::link("/dev/zero", t.file("zero.lst")));
    EXPECT_EQ(fs::readRegularFile(t.file("zero.lst"), 1 << 20, &bytes), fs::FileCheck::NotRegular);
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.lst")).constData(), 0600), 0);
    EXPECT_EQ(fs::readRegularFile(t.file("pipe.lst"), 1 << 20, &bytes), fs::FileCheck::NotRegular);
    EXPECT_EQ(bytes, "abc") << "a refused file leaves what was read before";
}
