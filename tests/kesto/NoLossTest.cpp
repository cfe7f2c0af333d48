// SPDX-License-Identifier: GPL-2.0-or-later
// A name leaves the collector list only when it arrived where it was sent: list files that read
// back as what was written (in Kesto and in Tavlo), drops that report what they took, writes
// that never cost the old file, list files that are not regular files, names that are not text.
#include "tests/kesto/KestoFixture.h"

#include "platform/cp932/cp932.h"
#include "platform/forms/Clipboard.h"
#include "platform/shell/fs.h"
#include "tavlo/ListFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QUrl>
#include <QtTest/QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class NoLoss : public KestoTest
{
protected:
    void SetUp() override { start(); }
    void selectAll()
    {
        for (int i = 0; i < f().List1.ListCount(); ++i)
            f().List1.setSelected(i, true);
    }
    QStringList selectedItems()
    {
        QStringList out;
        for (int i = 0; i < f().List1.ListCount(); ++i)
            if (f().List1.Selected(i))
                out << f().List1.List(i);
        return out;
    }
    // The names a list file gives back: Kesto's reading (through a fresh list) and Tavlo's.
    QStringList readByKesto(const QString &path)
    {
        const QStringList before = items();
        f().DropFile(f().List1, path);
        const QStringList all = items();
        const QStringList read = all.mid(before.size());
        while (f().List1.ListCount() > before.size())
            f().List1.RemoveItem(f().List1.ListCount() - 1);
        return read;
    }
    static QStringList readByTavlo(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {"<unreadable>"};
        const QString text = cp932::decode(file.readAll());
        QStringList out;
        tavlo::ListFieldReader fields(text);
        while (!fields.atEnd())
            out << fields.next();
        return out;
    }
    QString outputTo(const QString &name, const QByteArray &old = "old\r\n")
    {
        const QString target = dir.write(name, old);
        EXPECT_EQ(dropFiles(f().Label3, {target}).dropAction, Qt::CopyAction);
        return target;
    }
};

QString u(const char *s) { return QString::fromUtf8(s); }

} // namespace

TEST_F(NoLoss, OnlyNamesThatReadBackAsThemselvesLeaveForTheListFile)
{
    const QString target = outputTo("out.lst");
    const QStringList fine{"/p/ok.jpg", u("/p/写真_富士.jpg"), u("/p/全角～.jpg"), "C:\\a\\b.jpg", ""};
    const QStringList lost{u("/p/café.jpg"),   u("/p/한국.jpg"), u("/p/😀.jpg"),     u("/p/wave〜.jpg"),
                           u("/p/minus−.jpg"), u("/p/yen¥.jpg"), u("/p/cent¢.jpg"), u("/p/not¬.jpg"),
                           "/p/a\nb.jpg",      "/p/a\rb.jpg",    ";comment.jpg",    "/p/a,b.jpg",
                           " lead.jpg",        "trail.jpg ",     "\"quoted.jpg",    "C:\\\\double.jpg"};
    QStringList all;
    for (int i = 0; i < lost.size(); ++i)
        all << lost[i] << (i < fine.size() ? fine[i] : QString("/p/more%1.jpg").arg(i));
    fill(all);
    selectAll();
    dragListOnto(f().Label3);

    EXPECT_EQ(items(), lost) << "what would come back as another name stays";
    EXPECT_EQ(selectedItems(), lost) << "and stays selected, ready for another try";
    EXPECT_EQ(f().Label1.Caption(), QString::number(lost.size()));
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1) << "one message for all";
    EXPECT_TRUE(shown[0].startsWith(QString::number(lost.size()) + u("件"))) << shown[0].toStdString();

    // What left is in the file, and reads back as itself in Kesto and in Tavlo.
    QStringList written;
    for (const QString &n : all)
        if (!lost.contains(n))
            written << n;
    written << ""; // the selection text's closing line end
    EXPECT_EQ(readByKesto(target), written);
    EXPECT_EQ(readByTavlo(target), written);
}

TEST_F(NoLoss, ATextDragOutCarriesNoNameWithALineEnd)
{
    fill({"/p/one.jpg", "/p/two\n.jpg", "/p/three.jpg"});
    selectAll();
    QString carried;
    dragList([&](const QMimeData &data, int) {
        carried = data.text();
        return 1; // another program took it as a copy
    });
    EXPECT_EQ(carried, "/p/one.jpg\r\n/p/three.jpg\r\n\r\n");
    EXPECT_EQ(items(), QStringList({"/p/two\n.jpg"}));
    EXPECT_TRUE(f().List1.Selected(0));
    EXPECT_EQ(shownMessages().size(), 1);
    // The clipboard's cut follows the same rule.
    fill({"/p/four.jpg"});
    selectAll();
    press(f().List1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(forms::Clipboard::GetText(), "/p/four.jpg\r\n\r\n");
    EXPECT_EQ(items(), QStringList({"/p/two\n.jpg"}));
}

TEST_F(NoLoss, ATextDropOnLabel3ThatCouldNotTakeEverythingReportsNoEffect)
{
    const QString target = outputTo("out.lst");
    const auto data = droptest::editorText(u("/p/a.jpg\r\n/p/café.jpg\r\n"));
    // Another program learns only what the drag-over answered: the text is refused there.
    EXPECT_FALSE(droptest::dragOver(f().Label3.widget(), *data).overAccepted);
    EXPECT_EQ(droptest::dropOn(f().Label3.widget(), *data, Qt::CopyAction | Qt::MoveAction).dropAction,
              Qt::IgnoreAction)
        << "the other program keeps its names";
    EXPECT_EQ(readByKesto(target), QStringList({"old"})) << "nothing written";
    const auto good = droptest::editorText("/p/b.jpg\r\n");
    EXPECT_EQ(droptest::dropOn(f().Label3.widget(), *good, Qt::CopyAction | Qt::MoveAction).dropAction, Qt::CopyAction);
}

TEST_F(NoLoss, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    // A small file system of its own where the test may mount one; a bound on the file size
    // otherwise.
    const QString mnt = dir.file("small");
    QDir().mkpath(mnt);
    const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", mnt}) == 0;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            QProcess::execute("umount", {mnt});
    });
    QByteArray old;
    for (int i = 0; i < 100; ++i)
        old += "/old/name" + QByteArray::number(i) + ".jpg\r\n";
    const QString target = outputTo("small/out.lst", old);
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many << QString("/new/picture%1.jpg").arg(i);
    fill(many);
    selectAll();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (!mounted) {
        rlimit small = saved;
        small.rlim_cur = 16 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    dragListOnto(f().Label3);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old) << "the old list file is whole";
    EXPECT_EQ(items(), many);
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(mounted ? "No space left on device" : "File too large")) << shown[0].toStdString();
    EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files), QStringList({"out.lst"}))
        << "no piece left behind";
}

TEST_F(NoLoss, ListFilesThatAreNoRegularFilesAreReportedWithoutWaiting)
{
    const QString fifo = dir.file("pipe.lst");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.file("zero.lst")));
    // Should Kesto wait for a writer, one comes after a while.
    std::thread writer([fifo] {
        ::usleep(1500 * 1000);
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    QElapsedTimer clock;
    clock.start();
    dropFiles(f().List1, {fifo, dir.file("zero.lst")}, Qt::ControlModifier);
    const qint64 took = clock.elapsed();
    writer.join();
    EXPECT_LT(took, 1000) << "no wait for a writer";
    EXPECT_TRUE(items().isEmpty());
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1) << "one message for the drop";
    EXPECT_TRUE(shown[0].contains("pipe.lst"));
    EXPECT_TRUE(shown[0].contains("zero.lst"));
    int cancel = -1;
    f().Form_LinkExecute("/still/answering.jpg", cancel);
    EXPECT_EQ(cancel, 0);
    f().List1.Clear();

    // Nor is a FIFO a list file to write into.
    fill({"/p/a.jpg"});
    selectAll();
    EXPECT_EQ(dropFiles(f().Label3, {fifo}).dropAction, Qt::CopyAction);
    dragListOnto(f().Label3);
    EXPECT_EQ(items(), QStringList({"/p/a.jpg"}));
    struct stat st;
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode))
        << "the FIFO is still one";
    f().List1.Clear();

    // A file longer than any list of 32000 names is no list file either.
    QFile big(dir.file("big.lst"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(Form1::kMaxListFileBytes + 1));
    big.close();
    EXPECT_FALSE(f().DropFile(f().List1, dir.file("big.lst")));
    EXPECT_TRUE(items().isEmpty());
}

TEST_F(NoLoss, NamesThatAreNotTextAreLeftOutAndCounted)
{
    QDir().mkpath(dir.file("pics"));
    dir.write("pics/good.jpg", "x");
    const QByteArray bad = QFile::encodeName(dir.file("pics")) + "/bad\xff.jpg";
    const int fd = ::open(bad.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    dropFiles(f().List1, {dir.file("pics")});
    EXPECT_EQ(items(), QStringList({dir.file("pics"), dir.file("pics/good.jpg")}));
    QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u("1件"))) << shown[0].toStdString();

    // The same name dropped by a file manager.
    auto data = std::make_unique<QMimeData>();
    data->setUrls(
        {QUrl::fromEncoded("file://" + bad.toPercentEncoding("/")), QUrl::fromLocalFile(dir.file("pics/good.jpg"))});
    const auto o = droptest::dropOn(f().List1.widget(), *data, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(o.dropAction, Qt::IgnoreAction) << "the file manager keeps what was not taken";
    EXPECT_EQ(items().size(), 3);
    EXPECT_EQ(items().last(), dir.file("pics/good.jpg"));
    for (const QString &i : items())
        EXPECT_FALSE(i.contains(QChar::ReplacementCharacter)) << i.toStdString();
    EXPECT_EQ(shownMessages().size(), 2);
    ::unlink(bad.constData()); // the temporary folder's removal cannot name it
}

TEST_F(NoLoss, ADropOnANearlyFullListTakesNothingFromItsSource)
{
    QStringList many;
    for (int i = 0; i < Form1::kListLimit - 5; ++i)
        many << QString::number(i);
    fill(many);
    // Ten names of the list dragged onto itself: five fit again and only those leave their places.
    for (int i = 0; i < 10; ++i)
        f().List1.setSelected(i, true);
    dragListOnto(f().List1);
    ASSERT_EQ(f().List1.ListCount(), Form1::kListLimit - 5);
    QStringList expected = many.mid(5);
    expected << many.mid(0, 5);
    EXPECT_EQ(items(), expected) << "nothing lost";
    EXPECT_EQ(selectedItems(), many.mid(5, 5)) << "what did not fit stays selected";
    EXPECT_EQ(shownMessages(), QStringList({u("Over Flow!(32000件)")}));

    // Another program's ten lines onto the list, which holds 31995: no effect, so it keeps them.
    QString ten;
    for (int i = 0; i < 10; ++i)
        ten += QString("/other/%1.jpg\r\n").arg(i);
    const auto data = droptest::editorText(ten);
    EXPECT_FALSE(droptest::dragOver(f().List1.widget(), *data).overAccepted) << "refused before the drop";
    EXPECT_EQ(droptest::dropOn(f().List1.widget(), *data, Qt::CopyAction | Qt::MoveAction).dropAction,
              Qt::IgnoreAction);
    EXPECT_EQ(f().List1.ListCount(), Form1::kListLimit - 5);
    const auto five = droptest::editorText("1\r\n2\r\n3\r\n4\r\n5\r\n");
    EXPECT_EQ(droptest::dropOn(f().List1.widget(), *five, Qt::CopyAction | Qt::MoveAction).dropAction, Qt::CopyAction)
        << "what fits is taken";
    // And a list file that did not fit whole.
    const QString lst = dir.writeCp932("more.lst", "m1\r\nm2\r\n");
    EXPECT_EQ(dropFiles(f().List1, {lst}, Qt::ControlModifier).dropAction, Qt::IgnoreAction);
}
