// Conversions through the GV stand-in, which Kesto starts as GV: the folder Convert, the count
// label, the names that leave the list, and a GV that dies in the middle of a batch.
#include "tests/kesto/KestoFixture.h"

#include "gvlink/gvlink.h"
#include "platform/forms/Forms.h"
#include "platform/shell/fs.h"
#include "platform/vb/vb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
            const int effect = droptest::effectOf(droptest::dropOn(f().Label2.widget(), data, forms::actionsOf(allowed)));
            label = f().Label1.Caption();
            return effect;
        });
        QListView *v = f().List1.view();
        const QPoint at = v->visualRect(v->model()->index(0, 0)).center();
        QTest::mousePress(v->viewport(), Qt::RightButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(40, 0)), v->viewport()->mapToGlobal(QPointF(at + QPoint(40, 0))),
                         Qt::NoButton, Qt::RightButton, Qt::NoModifier);
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
    const QStringList pictures{kSamples + "photo.jpg", kSamples + "bitmap24.bmp", kSamples + QString::fromUtf8("写真_富士.jpg")};
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
        expected << gvlink::fileOpenQuoted(p) << gvlink::clipCopyViewImage() << gvlink::fileSaveEx(dir.file("Convert/" + base + ".bmp"));
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
    QString text = "a.bmp\r\n";
    for (int i = 0; i < 17; ++i)
        text += kSamples + "bitmap24.bmp\r\n";
    text += kSamples + "photo.jpg"; // no line end: not converted
    const int beeps = forms::beepCount();
    const auto data = droptest::editorText(text);
    const auto o = droptest::dropOn(f().Label2.widget(), *data, Qt::CopyAction);
    EXPECT_EQ(o.dropAction, Qt::CopyAction);
    EXPECT_EQ(forms::beepCount(), beeps + 1);
    EXPECT_EQ(f().Label1.Caption(), "17/0");
    const QStringList sent = logged("execute: ");
    EXPECT_EQ(sent.mid(2, 2), QStringList({gvlink::fileOpenQuoted("a.bmp"), gvlink::clipCopyViewImage()}));
    EXPECT_EQ(sent.filter("FileSaveEx").size(), 17);
    EXPECT_EQ(sent.filter("photo.jpg").size(), 0);

    const auto sixteen = droptest::editorText(QString(kSamples + "bitmap24.bmp\r\n").repeated(16));
    droptest::dropOn(f().Label2.widget(), *sixteen, Qt::CopyAction);
    EXPECT_EQ(forms::beepCount(), beeps + 1) << "16 end silently";
}

TEST_F(GvConversion, AGvThatDiesInTheMiddleLeavesTheListAndKestoAnswering)
{
    gv.extra = {"--delay", "150"};
    start({"/gv=" + kGv});
    QStringList pictures;
    for (int i = 0; i < 8; ++i)
        pictures << kSamples + "photo.jpg";
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
    EXPECT_EQ(items(), pictures) << "nothing leaves the list";
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
