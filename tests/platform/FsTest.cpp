// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/shell/fs.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(Fs, NamesThatAreNotTextAreLeftOutOfWalks)
{
    TempDir t;
    t.write("good.jpg", "x");
    QDir().mkpath(t.file("sub"));
    const QByteArray folder = QFile::encodeName(t.path());
    for (const QByteArray &name : {QByteArray("/bad\xff.jpg"), QByteArray("/\xe9t\xe9")}) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    ASSERT_EQ(::mkdir((folder + "/dir\xfe").constData(), 0700), 0);
    int leftOut = 0;
    bool ok = false;
    EXPECT_EQ(fs::folderFiles(t.path(), &ok, &leftOut), QStringList({"good.jpg"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(leftOut, 2);
    EXPECT_EQ(fs::subFolders(t.path(), &ok, &leftOut), QStringList({"sub"}));
    EXPECT_EQ(leftOut, 3);
    EXPECT_TRUE(fs::representable(QByteArray("写真.jpg")));
    EXPECT_FALSE(fs::representable(QByteArray("bad\xff.jpg")));
    for (const QByteArray &name : {QByteArray("/bad\xff.jpg"), QByteArray("/\xe9t\xe9")})
        ::unlink((folder + name).constData());
    ::rmdir((folder + "/dir\xfe").constData());
}

TEST(Fs, ReplacingAFileKeepsTheOldOneUntilTheNewOneIsWhole)
{
    TempDir t;
    const QString path = t.write("out.lst", "old\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    ASSERT_TRUE(QFile::link(path, t.file("link.lst")));
    QString why;
    EXPECT_TRUE(fs::replaceFile(t.file("link.lst"), "new\r\n", &why)) << why.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new\r\n");
    EXPECT_TRUE(QFileInfo(t.file("link.lst")).isSymLink()) << "the link still points at the file";
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A write the file size bound stops: the old content stays, no piece is left, the reason is the system's.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool wrote = fs::replaceFile(path, QByteArray(10000, 'x'), &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(wrote);
    EXPECT_EQ(why, "File too large");
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new\r\n");
    EXPECT_EQ(QDir(t.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2)
        << "only the file and its link";
    EXPECT_FALSE(fs::replaceFile(t.file("no/such/folder/x.lst"), "x", &why));
    EXPECT_EQ(why, "No such file or directory");
}
