// SPDX-License-Identifier: GPL-2.0-or-later
// A board talking to the GV stand-in (its command log is the witness) and to a Link server in
// Kesto's place.
#include "tests/tavlo/TavloFixture.h"

#include "tavlo/Form2.h"
#include "tavlo/modlessMsgBox.h"
#include "tests/platform/link/LinkTestSupport.h"

#include <QFile>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QtTest/QTest>

namespace {

// Starts the GV stand-in as the board asks, with a command log, as a child the test ends.
class GvLauncher : public shell::Launcher
{
public:
    explicit GvLauncher(const QString &log) : log_(log) {}
    qint64 start(const QString &, const QStringList &args, int) override
    {
        programs.push_back(std::make_unique<linktest::Program>());
        programs.back()->start(QStringLiteral("gv"), args + QStringList{QStringLiteral("--log"), log_});
        return programs.back()->pid();
    }
    std::vector<std::unique_ptr<linktest::Program>> programs;

private:
    QString log_;
};

} // namespace

class BoardLinks : public TavloTest
{
protected:
    BoardLinks() { linktest::usePrivateLinkFolder(); }

    // A board of icons of these pictures (created as files), in index order at these places.
    Form2 &boardOf(const std::vector<QPointF> &places, const QString &gv = QStringLiteral("gv"))
    {
        realLauncher = &gvLauncher;
        QStringList pics;
        for (size_t i = 0; i < places.size(); ++i)
            pics << picture(QString("s%1.bmp").arg(i), 40, 30);
        start(QStringList{"/gv=" + gv} + pics);
        Form2 &b = t().form2();
        b.Show();
        b.slideIntervalMs = 150;
        for (size_t i = 0; i < places.size(); ++i) {
            if (i > 0)
                b.Image1.Load(int(i));
            b.Image1(int(i)).Move(float(places[i].x()), float(places[i].y()), 600, 450);
            b.Image1(int(i)).setToolTipText(QString::number(i + 1));
            b.Image1(int(i)).setVisible(true);
            m().picScale[i] = 1;
        }
        return b;
    }
    QStringList executed()
    {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList out;
        for (const QString &l : QString::fromUtf8(f.readAll()).split('\n'))
            if (l.startsWith("execute: "))
                out << l.mid(9);
        return out;
    }
    QString open(int slot) { return "[FileOpen(" + m().fileNames[size_t(slot)] + ")]"; }

    QString log = dir.file("gv.log");
    GvLauncher gvLauncher{log};
};

TEST_F(BoardLinks, TheZoomFollowsTheIconsScaleAndIsSentAtOnceAfterLinking)
{
    Form2 &b = boardOf({{0, 0}, {700, 0}, {1400, 0}, {2100, 0}});
    m().picScale[1] = 2;
    m().picScale[2] = 3;
    m().picScale[3] = 0; // an icon file's icon: no zoom
    act([&] { b.showInGV(0); });
    act([&] { b.showInGV(1); });
    act([&] { b.showInGV(2); });
    act([&] { b.showInGV(3); });
    EXPECT_EQ(executed(), QStringList({"ZoomRate(200)", open(0), "ZoomRate(100)", open(1), "ZoomRate(66)", open(2)}));
    ASSERT_EQ(gvLauncher.programs.size(), 1u) << "one GV, linked once";
    EXPECT_EQ(b.gvShownIdx, 2);
    EXPECT_EQ(b.Caption(), "Form2-0") << "showInGV leaves the caption to the double click";

    // Coming back to the board asks GV for the viewed picture, once.
    act([&] { b.Form_Activate(); });
    act([&] { b.Form_Activate(); });
    EXPECT_EQ(executed().last(), "[ClipCopyViewImage()]");
    EXPECT_EQ(executed().count("[ClipCopyViewImage()]"), 1);
    EXPECT_EQ(b.gvShownIdx, -1);

    // A double click in file-name drag mode: the caption, then GV; an icon file's icon only the caption.
    b.menu2.action()->trigger();
    QTest::mouseDClick(b.Image1(3).widget(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(b.Caption(), m().fileNames[3]);
    QTest::mouseDClick(b.Image1(1).widget(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(b.Caption(), m().fileNames[1]);
    EXPECT_EQ(executed().mid(7), QStringList({"ZoomRate(100)", open(1)}));

    // Closing the board ends GV.
    act([&] { b.Unload(); });
    EXPECT_EQ(executed().last(), "ExitGV()");
    EXPECT_TRUE(gvLauncher.programs[0]->waitFinished(5000));
}

TEST_F(BoardLinks, ASlideShowShowsTheVisibleIconsInPositionOrderThenEndsGV)
{
    Form2 &b = boardOf({{1400, 0}, {0, 500}, {700, 0}, {0, 0}});
    b.Image1(3).setVisible(false);
    act([&] { b.menuShow.action()->trigger(); });
    EXPECT_EQ(executed(), QStringList({"[MaxDisp(ON,ON,Black)]", open(2), open(0), open(1), "ExitGV()"}));
    EXPECT_EQ(b.Text1.LinkMode(), 0);
}

TEST_F(BoardLinks, StopGVEndsTheShowAfterThatPicturesWait)
{
    Form2 &b = boardOf({{0, 0}, {700, 0}, {1400, 0}});
    b.slideIntervalMs = 2000;
    // StopGV while the second picture is shown.
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (executed().size() >= 3)
            b.menuStopGV.action()->trigger();
    });
    stopper.start(20);
    act([&] { b.menuShow.action()->trigger(); });
    EXPECT_EQ(executed(), QStringList({"[MaxDisp(ON,ON,Black)]", open(0), open(1), "ExitGV()"}));
}

TEST_F(BoardLinks, ClosingTheBoardEndsItsSlideShow)
{
    Form2 &b = boardOf({{0, 0}, {700, 0}, {1400, 0}});
    b.slideIntervalMs = 1000;
    QPointer<Form2> board(&b);
    // The user closes the board while its first picture is shown.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (executed().size() >= 2 && board && board->isLoaded())
            board->window()->close();
    });
    closer.start(20);
    act([&] { b.menuShow.action()->trigger(); });
    closer.stop();
    EXPECT_EQ(executed(), QStringList({"[MaxDisp(ON,ON,Black)]", open(0), "ExitGV()"}));
    EXPECT_EQ(gvLauncher.programs.size(), 1u) << "no GV started again for a board that is gone";
    EXPECT_TRUE(gvLauncher.programs[0]->waitFinished(5000));
}

TEST_F(BoardLinks, APictureGVCannotOpenDoesNotStopTheShow)
{
    Form2 &b = boardOf({{0, 0}, {700, 0}, {1400, 0}});
    QFile::remove(m().fileNames[1]);
    act([&] { b.menuShow.action()->trigger(); });
    EXPECT_EQ(executed(), QStringList({"[MaxDisp(ON,ON,Black)]", open(0), open(1), open(2), "ExitGV()"}));
}

TEST_F(BoardLinks, WithoutAPathToGVTheBoardSaysSo)
{
    Form2 &b = boardOf({{0, 0}}, QString());
    act([&] { b.menuShow.action()->trigger(); });
    EXPECT_EQ(message(), QString::fromUtf8("GVのパスが指定されていません"));
    EXPECT_TRUE(gvLauncher.programs.empty());
    auto &box = t().msgBox();
    EXPECT_FLOAT_EQ(box.Left(), b.Left() + 300);
    EXPECT_FLOAT_EQ(box.Top(), b.Top() - 300);
}

class KestoLinks : public BoardLinks
{
protected:
    // The real Kesto.
    void startKesto()
    {
        kesto.start("kesto", {});
        ASSERT_TRUE(linktest::waitForServer("KESTO|KESTO"));
    }
    // Kesto's collector list, read over Link.
    QStringList received()
    {
        suite_link::PlainLinkBox probe;
        probe.setLinkTopic("KESTO|KESTO");
        probe.setLinkMode(2);
        probe.setLinkItem("List1");
        probe.LinkRequest();
        QStringList out = probe.text().split("\r\n");
        out.removeLast();
        return out;
    }
    linktest::Program kesto;
};

TEST_F(KestoLinks, TransferringTheBoardSendsItsVisibleIconsInPositionOrder)
{
    startKesto();
    Form2 &b = boardOf({{700, 500}, {0, 0}, {1400, 0}, {0, 500}, {700, 0}, {2100, 0}});
    b.Image1(5).setVisible(false);
    act([&] { b.menuKesto.action()->trigger(); });
    const auto &f = m().fileNames;
    EXPECT_EQ(received(), QStringList({f[1], f[4], f[2], f[3], f[0]}));
    EXPECT_EQ(b.Text2.LinkMode(), 2) << "the conversation stays open";
}

TEST_F(KestoLinks, SendOnClickWithShiftInvertingIt)
{
    startKesto();
    Form2 &b = boardOf({{0, 0}, {700, 0}, {1400, 0}});
    b.menu2.action()->trigger(); // file-name drag mode
    auto click = [&](int i, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(b.Image1(i).widget(), Qt::LeftButton, mods, QPoint(5, 5));
    };
    click(0, Qt::ShiftModifier); // send-on-click off: Shift sends
    click(1);                    // off, no Shift: nothing
    b.menu14.action()->trigger();
    click(2);
    click(2); // the same icon again: once
    click(0);
    click(1, Qt::ShiftModifier); // on, with Shift: nothing
    const auto &f = m().fileNames;
    EXPECT_EQ(received(), QStringList({f[0], f[2], f[0]}));

    // In arrangement mode nothing is sent, whatever the mode says.
    b.menu2.action()->trigger();
    click(1);
    click(2);
    EXPECT_EQ(received().size(), 3);
}

TEST_F(KestoLinks, AKestoThatIsNotRunningIsReportedAndTheBoardGoesOn)
{
    Form2 &b = boardOf({{0, 0}, {700, 0}});
    act([&] { b.menuKesto.action()->trigger(); });
    EXPECT_TRUE(message().startsWith(QString::fromUtf8("Kestoへ転送できません。")));
    EXPECT_FALSE(ended);
    b.menu2.action()->trigger();
    b.menu14.action()->trigger();
    QTest::mouseClick(b.Image1(0).widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(ended) << "a click that cannot reach Kesto ends quietly";
    EXPECT_TRUE(b.isLoaded());
}
