// SPDX-License-Identifier: GPL-2.0-or-later
// Kesto filling its list: a deep walk of a tree of 32000 entries, a paste of 32000 lines, and
// 10000 Link executes from linkctl to a running Kesto; and emptying it: 32000 names written to
// a list file, pictures converted through the GV stand-in.
//   bench_kesto [runs]
// Prints the median of the runs, next to the bare work (the folder walk alone, the text cut
// into lines alone) where there is one.
#include "kesto/Form1.h"
#include "kesto/Kesto.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyCodes.h"
#include "platform/forms/Program.h"
#include "platform/shell/fs.h"
#include "tests/support/doubles/Doubles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kesto;

static double median(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

static double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

// A tree of 40 folders (the root and 39 below it, some two levels deep) and 31960 files: 32000
// entries, the most the list takes.
static void makeTree(const QString &root)
{
    QStringList folders{root};
    for (int i = 0; i < 39; ++i) {
        const QString parent = i < 13 ? root : folders[1 + (i % 13)];
        folders << parent + QStringLiteral("/folder%1").arg(i);
        QDir().mkpath(folders.last());
    }
    for (int i = 0; i < 31960; ++i) {
        QFile f(folders[i % folders.size()] + QStringLiteral("/picture%1.jpg").arg(i));
        f.open(QIODevice::WriteOnly);
    }
}

// Starts the GV stand-in as Kesto would start GV.
class GvLauncher : public shell::Launcher
{
public:
    qint64 start(const QString &program, const QStringList &args, int) override
    {
        process.start(program, args);
        process.waitForStarted();
        return process.processId();
    }
    ~GvLauncher() override
    {
        process.kill();
        process.waitForFinished();
    }
    QProcess process;
};

// Kesto's file browser shows the folder it starts in.
class ChangeFolder
{
public:
    explicit ChangeFolder(const QString &to) : before_(QDir::currentPath()) { QDir::setCurrent(to); }
    ~ChangeFolder() { QDir::setCurrent(before_); }

private:
    QString before_;
};

static int bareWalk(const QString &p)
{
    int n = 1;
    for (const QString &s : fs::subFolders(p))
        n += bareWalk(fs::buildPath(p, s));
    n += int(fs::folderFiles(p).size());
    return n;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    forms::Program program;
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir, sockets;
    qputenv("SUITE_LINK_DIR", QFile::encodeName(sockets.path()));
    const QString root = dir.filePath(QStringLiteral("tree"));
    makeTree(root);
    forms::setMsgBoxHook([](const QString &, int, const QString &) { return 1; });

    shell::RecordingLauncher launcher;
    std::vector<double> walk, bare, paste, cut, listFile;
    int walked = 0, pasted = 0, written = 0, left = -1;
    QString lines;
    for (int i = 0; i < 32000; ++i)
        lines += QStringLiteral("D:\\pictures\\%1.jpg\r\n").arg(i);
    for (int r = 0; r < runs; ++r) {
        Kesto kesto(launcher);
        forms::runEvent([&] { kesto.start({}); });
        Form1 &f = kesto.form1();
        forms::DoEvents();

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(root)});
        forms::DataObject data(&files);
        int effect = forms::vbDropEffectCopy;
        walk.push_back(elapsedMs([&] {
            forms::runEvent([&] { f.List1_OLEDragDrop(data, effect, 1, forms::vbCtrlMask, 0, 0); });
            f.List1.showAppended();
            forms::DoEvents();
        }));
        walked = f.List1.ListCount();
        bare.push_back(elapsedMs([&] { bareWalk(root); }));

        f.List1.Clear();
        forms::Clipboard::SetText(lines);
        int key = 'V';
        paste.push_back(elapsedMs([&] {
            forms::runEvent([&] { f.List1_KeyDown(key, forms::vbCtrlMask); });
            f.List1.showAppended();
            forms::DoEvents();
        }));
        pasted = f.List1.ListCount();
        cut.push_back(elapsedMs([&] { (void)lines.split(QStringLiteral("\r\n")); }));

        // All of them dragged onto the list file area: checked, written through a new file
        // that takes the old one's place, and removed from the list.
        const QString out = dir.filePath(QStringLiteral("out.lst"));
        QFile(out).open(QIODevice::WriteOnly);
        f.outputFile = out;
        f.List1.view()->selectAll();
        listFile.push_back(elapsedMs([&] {
            forms::runEvent([&] {
                forms::DataObject drag;
                int allowed = 0;
                f.List1_OLEStartDrag(drag, allowed);
                forms::DataObject dropped(drag.mimeData());
                int result = forms::vbDropEffectCopy;
                f.Label3_OLEDragDrop(dropped, result, 2, 0, 0, 0);
                f.List1_OLECompleteDrag(result);
            });
            forms::DoEvents();
        }));
        written = int(QFileInfo(out).size());
        left = f.List1.ListCount();
    }
    std::printf("deep walk of %d entries: %8.1f ms   (bare walk %6.1f ms)\n", walked, median(walk), median(bare));
    std::printf("paste of %d lines:       %8.1f ms   (bare cut  %6.1f ms)\n", pasted, median(paste), median(cut));
    std::printf("32000 names to a list file and out of the list: %8.1f ms   (%d bytes written, %d names left)\n",
                median(listFile), written, left);

    // Pictures through the GV stand-in: a tiny bitmap, so that GV's own work is small; what
    // each picture costs is Kesto's checks and waits, the link's round trips and GV's work.
    {
        QTemporaryDir pics;
        QImage tiny(1, 1, QImage::Format_RGB32);
        tiny.fill(Qt::white);
        QString batch;
        const int n = 200;
        for (int i = 0; i < n; ++i) {
            const QString p = pics.filePath(QStringLiteral("p%1.bmp").arg(i));
            tiny.save(p, "BMP");
            batch += p + QStringLiteral("\r\n");
        }
        GvLauncher gv;
        Kesto kesto(gv);
        {
            ChangeFolder here(pics.path());
            forms::runEvent([&] { kesto.start({QStringLiteral("/gv=" SUITE_BIN_DIR "/gv")}); });
        }
        Form1 &f = kesto.form1();
        forms::DoEvents();
        f.callUpGV(pics.filePath(QStringLiteral("p0.bmp")) + QStringLiteral("\r\n")); // GV started and linked
        std::vector<bool> arrived;
        const double ms = elapsedMs([&] { forms::runEvent([&] { f.callUpGV(batch, &arrived); }); });
        const auto ok = std::count(arrived.begin(), arrived.end(), true);
        std::printf("%d pictures through GV:  %8.1f ms   (%.2f ms each, GV's work included; %d converted)\n", n, ms,
                    ms / n, int(ok));
        const double checks = elapsedMs([&] {
            for (int i = 0; i < n; ++i) {
                const QString t = pics.filePath(QStringLiteral("Convert/p%1.bmp").arg(i));
                (void)fs::stampOf(t);
                (void)fs::stampOf(t);
                (void)Form1::splitPath(t);
            }
        });
        std::printf("  of which Kesto's own checks: %.3f ms each\n", checks / n);
    }

    // 10000 executes from linkctl, as many icon-board transfers would send them.
    QTemporaryDir work;
    QProcess kesto;
    kesto.setWorkingDirectory(work.path());
    kesto.start(QStringLiteral(SUITE_BIN_DIR "/kesto"), {});
    kesto.waitForStarted();
    const QString linkctl = QStringLiteral(SUITE_BIN_DIR "/linkctl");
    QProcess::execute(linkctl, {QStringLiteral("--open-wait"), QStringLiteral("10000"), QStringLiteral("KESTO|KESTO"),
                                QStringLiteral("request"), QStringLiteral("Label1")});
    std::vector<double> exec;
    for (int r = 0; r < std::min(runs, 3); ++r) {
        QStringList args{QStringLiteral("KESTO|KESTO")};
        for (int i = 0; i < 10000; ++i)
            args << QStringLiteral("execute") << QStringLiteral("/pictures/board/%1.jpg").arg(i);
        args << QStringLiteral("request") << QStringLiteral("Label1");
        QProcess client;
        exec.push_back(elapsedMs([&] {
            client.start(linkctl, args);
            client.waitForFinished(600000);
        }));
        const QString count = QString::fromUtf8(client.readAllStandardOutput()).trimmed();
        std::printf("  run %d: Label1 reads %s\n", r + 1, qPrintable(count));
        QProcess::execute(linkctl, {QStringLiteral("KESTO|KESTO"), QStringLiteral("execute"), QString()}); // keep going
        if (count.toInt() >= 30000)
            break;
    }
    const double ms = median(exec);
    std::printf("10000 executes:          %8.1f ms   (%.0f executes per second, linkctl's start included)\n", ms,
                10000.0 / ms * 1000.0);
    kesto.kill();
    kesto.waitForFinished();
    return 0;
}
