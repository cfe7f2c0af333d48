// SPDX-License-Identifier: GPL-2.0-or-later
// Conversions through the GV stand-in, which Kesto starts as GV: the folder Convert, the count
// label, the names that leave the list, and a GV that dies in the middle of a batch.
#include "tests/kesto/KestoFixture.h"

#include "gvlink/gvlink.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QProcess>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

namespace {

const QString kGv = QStringLiteral(SUITE_BIN_DIR "/gv");
const QString kSamples = QStringLiteral(SUITE_SOURCE_DIR "/samples/");

// Starts the GV stand-in for Kesto, with a log, and can kill it.
class GvLauncher : public shell::Launcher
{
public:
    qint64 start(const QString &program, const QStringList &args, int) override
    {
        started << program + " " + args.join(' ');
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(program, args + QStringList{"--log", log} + extra);
        if (!p->waitForStarted(10000))
            vb::raiseError(vb::ErrFileNotFound);
        const qint64 pid = p->processId();
        processes.push_back(std::move(p));
        return pid;
    }
    ~GvLauncher() override
    {
        for (auto &p : processes)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
    }
    QString log;
    QStringList extra;
    QStringList started;
    std::vector<std::unique_ptr<QProcess>> processes;
};

class GvConversion : public KestoTest
{
protected:
    GvConversion()
    {
        gv.log = dir.file("gv.log");
        launcher = &gv;
    }
    QStringList logged(const QString &prefix)
    {
        QFile f(gv.log);
        QStringList out;
        if (f.open(QIODevice::ReadOnly))
            for (const QString &l : QString::fromUtf8(f.readAll()).split('\n'))
                if (l.startsWith(prefix))
                    out << l.mid(prefix.size());
        return out;
    }
    // Drags the selected items of the list onto Label2; returns the count label as it read
    // right after the drop.
    QString dragSelectionOntoLabel2()
    {
        QString label;
        forms::setDragHook([&](const QMimeData &data, int allowed) {
            const int effect =
                droptest::effectOf(droptest::dropOn(f().Label2.widget(), data, forms::actionsOf(allowed)));
            label = f().Label1.Caption();
            return effect;
        });
        QListView *v = f().List1.view();
        const QPoint at = v->visualRect(v->model()->index(0, 0)).center();
        QTest::mousePress(v->viewport(), Qt::RightButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(40, 0)),
                         v->viewport()->mapToGlobal(QPointF(at + QPoint(40, 0))), Qt::NoButton, Qt::RightButton,
                         Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &move);
        QTest::mouseRelease(v->viewport(), Qt::RightButton, {}, at);
        return label;
    }
    GvLauncher gv;
};

} // namespace

TEST_F(GvConversion, ThreeSamplePicturesBecomeBitmapsInConvert)
{
    start({"/gv=" + kGv});
    const QStringList pictures{kSamples + "photo.jpg", kSamples + "bitmap24.bmp",
                               kSamples + QString::fromUtf8("写真_富士.jpg")};
    fill(pictures + QStringList{"other"});
    clickItem(0);
    clickItem(2, Qt::ShiftModifier);
    ASSERT_FALSE(fs::folderExists(dir.file("Convert")));

    EXPECT_EQ(dragSelectionOntoLabel2(), "3/4");
    for (const char *name : {"photo.bmp", "bitmap24.bmp", "写真_富士.bmp"})
        EXPECT_TRUE(fs::fileExists(dir.file("Convert/" + QString::fromUtf8(name)))) << name;
    EXPECT_EQ(items(), QStringList({"other"})) << "the converted names leave the list";
    EXPECT_EQ(f().Label1.Caption(), "1");
    EXPECT_EQ(f().Dir1.List(0), dir.file("Convert")) << "the folder list shows the new folder";
    EXPECT_EQ(gv.started, QStringList({kGv + " /DDE"}));

    QStringList expected{gvlink::kestoSetup(), gvlink::quantize()};
    for (const QString &p : pictures) {
        QString base = QFileInfo(p).completeBaseName();
        expected << gvlink::fileOpenQuoted(p) << gvlink::clipCopyViewImage()
                 << gvlink::fileSaveEx(dir.file("Convert/" + base + ".bmp"));
    }
    expected << gvlink::iconShow();
    EXPECT_EQ(logged("execute: "), expected);
    EXPECT_EQ(logged("failed: "), QStringList());
    EXPECT_EQ(f().Text1.LinkMode(), 2) << "the link stays open for the next drop";

    // The next drop uses the same GV; ending Kesto tells it to end.
    fill({kSamples + "photo.jpg"});
    clickItem(1);
    dragSelectionOntoLabel2();
    EXPECT_EQ(gv.started.size(), 1);
    forms::runEvent([&] { f().Unload(); });
    EXPECT_TRUE(ended);
    EXPECT_EQ(logged("execute: ").last(), gvlink::exitGV());
    ASSERT_EQ(gv.processes.size(), 1u);
    EXPECT_TRUE(gv.processes[0]->waitForFinished(10000));
}

TEST_F(GvConversion, WithoutAGvPathNothingLeavesTheList)
{
    start();
    EXPECT_EQ(f().Label2.Caption(), QString::fromUtf8("GV.EXEのパスが指定されていません"));
    const auto text = droptest::editorText(kSamples + "photo.jpg\r\n");
    EXPECT_FALSE(droptest::dragOver(f().Label2.widget(), *text).overAccepted) << "refused before the drop";
    fill({kSamples + "photo.jpg"});
    clickItem(0);
    dragSelectionOntoLabel2();
    EXPECT_EQ(items().size(), 1);
    EXPECT_TRUE(gv.started.isEmpty());
    EXPECT_FALSE(fs::folderExists(dir.file("Convert")));
}

TEST_F(GvConversion, BareNamesAreOpenedButNotSavedAndSeventeenFilesBeep)
{
    start({"/gv=" + kGv});
    // Seventeen pictures of distinct names, so that no bitmap would overwrite another.
    QStringList copies;
    for (int i = 0; i < 17; ++i) {
        copies << dir.file(QStringLiteral("pics/p%1.bmp").arg(i));
        QDir().mkpath(dir.file("pics"));
        ASSERT_TRUE(QFile::copy(kSamples + "bitmap24.bmp", copies.last()));
    }
    QString text = "a.bmp\r\n";
    for (const QString &c : copies)
        text += c + "\r\n";
    text += kSamples + "photo.jpg"; // no line end: not converted
    const int beeps = forms::beepCount();
    const auto data = droptest::editorText(text);
    const auto o = droptest::dropOn(f().Label2.widget(), *data, Qt::CopyAction);
    EXPECT_EQ(o.dropAction, Qt::IgnoreAction) << "the bare name and the open last line did not arrive";
    EXPECT_EQ(forms::beepCount(), beeps + 1);
    EXPECT_EQ(f().Label1.Caption(), "17/0");
    const QStringList sent = logged("execute: ");
    EXPECT_EQ(sent.mid(2, 2), QStringList({gvlink::fileOpenQuoted("a.bmp"), gvlink::clipCopyViewImage()}));
    EXPECT_EQ(sent.filter("FileSaveEx").size(), 17);
    EXPECT_EQ(sent.filter("photo.jpg").size(), 0);
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("a.bmp")) << shown[0].toStdString();

    QString sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += copies[i] + "\r\n";
    const auto data16 = droptest::editorText(sixteen);
    EXPECT_EQ(droptest::dropOn(f().Label2.widget(), *data16, Qt::CopyAction).dropAction, Qt::CopyAction);
    EXPECT_EQ(forms::beepCount(), beeps + 1) << "16 end silently";
}

TEST_F(GvConversion, OnlyNamesThatGvOpenedAndSavedLeaveTheList)
{
    start({"/gv=" + kGv});
    QDir().mkpath(dir.file("a"));
    QDir().mkpath(dir.file("b"));
    QDir().mkpath(dir.file("Convert/bitmap24.bmp")); // a folder where the bitmap would go: GV cannot save
    ASSERT_TRUE(QFile::copy(kSamples + "photo.jpg", dir.file("a/same.jpg")));
    ASSERT_TRUE(QFile::copy(kSamples + "wide.jpg", dir.file("b/same.jpg")));
    const QStringList names{kSamples + "photo.jpg", dir.file("missing.jpg"), kSamples + "bitmap24.bmp",
                            dir.file("a/same.jpg"), dir.file("b/same.jpg"),  "other"};
    fill(names);
    for (int i = 0; i < 5; ++i)
        f().List1.setSelected(i, true);
    EXPECT_EQ(dragSelectionOntoLabel2(), "2/6");

    // The picture GV could not open is no copy of the picture before it; the second picture
    // of one base name did not overwrite the first.
    EXPECT_FALSE(fs::fileExists(dir.file("Convert/missing.bmp")));
    EXPECT_TRUE(fs::fileExists(dir.file("Convert/photo.bmp")));
    const QImage same(dir.file("Convert/same.bmp"));
    ASSERT_NE(QImage(dir.file("a/same.jpg")).size(), QImage(dir.file("b/same.jpg")).size());
    EXPECT_EQ(same.size(), QImage(dir.file("a/same.jpg")).size()) << "the first of the two is kept";
    EXPECT_EQ(items(), QStringList({names[1], names[2], names[4], "other"}));
    EXPECT_TRUE(f().List1.Selected(0) && f().List1.Selected(1) && f().List1.Selected(2))
        << "what stayed stays selected";
    EXPECT_FALSE(f().List1.Selected(3));
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1) << "one message for all";
    for (const QString &n : {names[1], names[2], names[4]})
        EXPECT_TRUE(shown[0].contains(n)) << n.toStdString();
    EXPECT_TRUE(shown[0].contains(QString::fromUtf8("5件のうち2件"))) << shown[0].toStdString();
}

TEST_F(GvConversion, AGvKilledDuringTheLastSaveLeavesTheNameAndIsReported)
{
    gv.extra = {"--delay", "400"};
    start({"/gv=" + kGv});
    fill({kSamples + "photo.jpg"});
    f().List1.setSelected(0, true);
    // GV dies once the save has reached it, before it could answer.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!logged("execute: ").filter("FileSaveEx").isEmpty() && !gv.processes.empty()) {
            gv.processes[0]->kill();
            watch.stop();
        }
    });
    watch.start(20);
    dragSelectionOntoLabel2();
    EXPECT_FALSE(watch.isActive()) << "GV was killed";
    EXPECT_EQ(items(), QStringList({kSamples + "photo.jpg"}));
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QString::fromUtf8("GVで変換できませんでした")));
    EXPECT_EQ(f().Text1.LinkMode(), 0);
}

TEST_F(GvConversion, AGvThatStopsAnsweringIsToldToEnd)
{
    gv.extra = {"--delay", "1000"};
    start({"/gv=" + kGv});
    f().gvBoundMs = 200; // far less than GV takes for one command
    fill({kSamples + "photo.jpg"});
    f().List1.setSelected(0, true);
    dragSelectionOntoLabel2();
    EXPECT_EQ(items(), QStringList({kSamples + "photo.jpg"}));
    EXPECT_EQ(f().Text1.LinkMode(), 0);
    EXPECT_EQ(shownMessages().size(), 1);
    ASSERT_EQ(gv.processes.size(), 1u);
    EXPECT_TRUE(gv.processes[0]->waitForFinished(20000)) << "no GV is left behind";
    EXPECT_EQ(logged("execute: ").last(), gvlink::exitGV());
}

TEST_F(GvConversion, AGvThatDiesInTheMiddleLeavesTheListAndKestoAnswering)
{
    gv.extra = {"--delay", "150"};
    start({"/gv=" + kGv});
    QStringList pictures;
    QDir().mkpath(dir.file("pics"));
    for (int i = 0; i < 8; ++i) {
        pictures << dir.file(QStringLiteral("pics/p%1.jpg").arg(i));
        ASSERT_TRUE(QFile::copy(kSamples + "photo.jpg", pictures.last()));
    }
    fill(pictures);
    for (int i = 0; i < 8; ++i)
        f().List1.setSelected(i, true);
    QTimer::singleShot(1500, [&] {
        ASSERT_FALSE(gv.processes.empty());
        gv.processes[0]->kill();
    });
    QElapsedTimer clock;
    clock.start();
    dragSelectionOntoLabel2();
    EXPECT_LT(clock.elapsed(), 20000) << "no wait for a GV that is gone";
    // What GV confirmed leaves; the rest stays, in order.
    const QStringList left = items();
    ASSERT_FALSE(left.isEmpty()) << "GV was killed before the end";
    const int gone = int(pictures.size() - left.size());
    EXPECT_EQ(left, pictures.mid(gone));
    for (int i = 0; i < gone; ++i)
        EXPECT_TRUE(fs::fileExists(dir.file(QStringLiteral("Convert/p%1.bmp").arg(i)))) << i;
    const QStringList shown = shownMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QString::fromUtf8("GVで変換できませんでした")));
    EXPECT_EQ(f().Text1.LinkMode(), 0);
    // Kesto goes on: a name arrives, and the next conversion starts GV anew.
    int cancel = -1;
    f().Form_LinkExecute("/x.jpg", cancel);
    EXPECT_EQ(cancel, 0);
    gv.extra.clear();
    const auto data = droptest::editorText(kSamples + "photo.jpg\r\n");
    EXPECT_EQ(droptest::dropOn(f().Label2.widget(), *data, Qt::CopyAction).dropAction, Qt::CopyAction);
    EXPECT_EQ(gv.started.size(), 2);
}

TEST(SplitPath, CutsAtTheLastSeparatorAndTheLastDot)
{
    const auto sp = Form1::splitPath("D:\\pic\\a.b.jpg");
    EXPECT_FALSE(sp.failed);
    EXPECT_EQ(sp.folder, "D:\\pic");
    EXPECT_EQ(sp.base, "a.b");
    EXPECT_EQ(sp.ext, "jpg");
    EXPECT_EQ(Form1::splitPath("/pic/x.jpg").base, "x");
    EXPECT_TRUE(Form1::splitPath("a.bmp").failed) << "no folder";
    EXPECT_EQ(Form1::splitPath("/pic.d/name").base, "name") << "a dot only in a folder name";
    EXPECT_EQ(Form1::splitPath("/pic/noext").base, "noext");
    EXPECT_EQ(Form1::splitPath("/pic/.hidden").base, ".hidden");
}
