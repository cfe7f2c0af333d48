#include "platform/shell/fs.h"
#include "tests/support/TempDir.h"

#include <QDir>

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
