// Kesto filling its list: a deep walk of a tree of 32000 entries, a paste of 32000 lines, and
// 10000 Link executes from linkctl to a running Kesto.
//   bench_kesto [runs]
// Prints the median of the runs, next to the bare work (the folder walk alone, the text cut
// into lines alone) where there is one.
#include "kesto/Form1.h"
#include "kesto/Kesto.h"
#include "platform/forms/Clipboard.h"
#include "platform/forms/DragDrop.h"
#include "platform/forms/Forms.h"
#include "platform/forms/KeyCodes.h"
#include "platform/shell/fs.h"
#include "tests/support/doubles/Doubles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

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
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir, sockets;
    qputenv("SUITE_LINK_DIR", QFile::encodeName(sockets.path()));
    const QString root = dir.filePath(QStringLiteral("tree"));
    makeTree(root);
    forms::setMsgBoxHook([](const QString &, int, const QString &) { return 1; });

    shell::RecordingLauncher launcher;
    std::vector<double> walk, bare, paste, cut;
    int walked = 0, pasted = 0;
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
    }
    std::printf("deep walk of %d entries: %8.1f ms   (bare walk %6.1f ms)\n", walked, median(walk), median(bare));
    std::printf("paste of %d lines:       %8.1f ms   (bare cut  %6.1f ms)\n", pasted, median(paste), median(cut));

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
    std::printf("10000 executes:          %8.1f ms   (%.0f executes per second, linkctl's start included)\n", ms, 10000.0 / ms * 1000.0);
    kesto.kill();
    kesto.waitForFinished();
    return 0;
}
