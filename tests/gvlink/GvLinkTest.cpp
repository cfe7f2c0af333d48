// SPDX-License-Identifier: GPL-2.0-or-later
// The GV command texts and the two readiness waits, against a test server whose item "Script"
// answers from a list that each test sets.
#include "gvlink/gvlink.h"
#include "platform/vb/vb.h"
#include "tests/platform/link/LinkTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class GvWait : public ::testing::Test
{
protected:
    void SetUp() override
    {
        linktest::usePrivateLinkFolder();
        ASSERT_EQ(server.startAndWaitLine(QStringLiteral("link_test_server"), {}), QStringLiteral("ready"));
        box.setLinkTopic(QStringLiteral("LTEST|T"));
        box.setLinkItem(QStringLiteral("Script"));
        box.setLinkMode(2);
    }

    // Sets what the next requests of Script answer; "~MS" answers nothing for MS ms.
    void script(const QString &answers)
    {
        box.LinkExecute(QStringLiteral("script:") + answers);
        requestsBefore = ask(QStringLiteral("Requests")).toInt();
    }

    int requests() { return ask(QStringLiteral("Requests")).toInt() - requestsBefore; }

    QString ask(const QString &item)
    {
        suite_link::PlainLinkBox probe;
        probe.setLinkTopic(QStringLiteral("LTEST|T"));
        probe.setLinkMode(2);
        probe.setLinkItem(item);
        probe.LinkRequest();
        return probe.text();
    }

    QStringList executes()
    {
        return ask(QStringLiteral("Events")).split(QLatin1Char('\n')).filter(QStringLiteral("execute "));
    }

    linktest::Program server;
    suite_link::PlainLinkBox box{QStringLiteral("Text1")};
    int requestsBefore = 0;
};

} // namespace

TEST(GvCommands, TextsAreExactlyWhatGVReads)
{
    const QString path = QStringLiteral("/pics/a b.jpg");
    EXPECT_EQ(gvlink::fileOpenBare(path), QStringLiteral("[FileOpen(/pics/a b.jpg)]"));
    EXPECT_EQ(gvlink::fileOpenQuoted(path), QStringLiteral("[FileOpen(\"/pics/a b.jpg\")]"));
    EXPECT_EQ(gvlink::zoomRate(66), QStringLiteral("ZoomRate(66)"));
    EXPECT_EQ(gvlink::clipCopyViewImage(), QStringLiteral("[ClipCopyViewImage()]"));
    EXPECT_EQ(gvlink::fileSaveEx(QStringLiteral("/w/Convert/a.bmp")),
              QStringLiteral("[FileSaveEx(\"/w/Convert/a.bmp\",ON,ON)]"));
    EXPECT_EQ(gvlink::quantize(), QStringLiteral("Quantize(ON,256,3,ON)"));
    EXPECT_EQ(gvlink::maxDispBlack(), QStringLiteral("[MaxDisp(ON,ON,Black)]"));
    EXPECT_EQ(gvlink::kestoSetup(), QStringLiteral("[DispMsg(OFF)][ShowGV(OFF)][AutoOpenDocument(OFF)]"));
    EXPECT_EQ(gvlink::iconShow(), QStringLiteral("[IconGV(ON)][ShowGV(ON)]"));
    EXPECT_EQ(gvlink::exitGV(), QStringLiteral("ExitGV()"));
}

TEST_F(GvWait, TavloEmptiesFirstAndWaitsForAFreshOK)
{
    script(QStringLiteral(",,OK"));
    box.setText(QStringLiteral("OK")); // an old answer does not count
    EXPECT_TRUE(gvlink::waitReadyTavlo(box));
    EXPECT_EQ(box.text(), QStringLiteral("OK"));
    EXPECT_EQ(requests(), 3);

    // NG (the last command failed) is ready too: the next command may go at once.
    script(QStringLiteral(",NG"));
    EXPECT_TRUE(gvlink::waitReadyTavlo(box, 20000));
    EXPECT_EQ(box.text(), QStringLiteral("NG"));
    EXPECT_EQ(requests(), 2);

    // Nothing but "not ready": the bound ends the wait.
    script(QStringLiteral(""));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(gvlink::waitReadyTavlo(box, 300));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST_F(GvWait, KestoLooksFirstTakesNGAndEmptiesAfter)
{
    box.setText(QStringLiteral("OK"));
    EXPECT_TRUE(gvlink::waitReadyKesto(box));
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(requests(), 0);

    script(QStringLiteral(",NG"));
    EXPECT_TRUE(gvlink::waitReadyKesto(box));
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(requests(), 2);

    script(QString());
    EXPECT_FALSE(gvlink::waitReadyKesto(box, 200));
}

TEST_F(GvWait, LinkTimeoutsCountAsNotReadyAndEventsRunBetweenPolls)
{
    script(QStringLiteral("~400,~400,OK"));
    box.setLinkTimeout(1);
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    EXPECT_TRUE(gvlink::waitReadyTavlo(box));
    EXPECT_TRUE(timerRan);
    // Requests that time out pile up at the busy server; their late answers are dropped.
    EXPECT_GE(requests(), 3);

    script(QStringLiteral("~400,OK"));
    EXPECT_TRUE(gvlink::waitReadyKesto(box));
}

TEST_F(GvWait, SendingThroughTheWaitExecutesOnceReadyAndReportsFailures)
{
    script(QStringLiteral(",OK"));
    gvlink::Result r = gvlink::sendTavlo(box, QStringLiteral("[FileOpen(/a.jpg)]"));
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(requests(), 2);
    EXPECT_EQ(executes().last(), QStringLiteral("execute [FileOpen(/a.jpg)]"));

    script(QStringLiteral("OK"));
    r = gvlink::sendKesto(box, QStringLiteral("refuse"));
    EXPECT_EQ(r.status, gvlink::Result::Failed);
    EXPECT_EQ(r.error, vb::ErrDdeRefused);

    // A timeout of the execute itself is ignored.
    box.setLinkTimeout(1);
    EXPECT_TRUE(gvlink::sendKesto(box, QStringLiteral("sleep:400")).ok());
    box.setLinkTimeout(50);

    // Not ready within the bound: nothing is executed.
    script(QString());
    const int before = int(executes().size());
    r = gvlink::sendTavlo(box, QStringLiteral("never"), 200);
    EXPECT_EQ(r.status, gvlink::Result::NotReady);
    EXPECT_EQ(r.error, vb::ErrDdeTimeout);
    EXPECT_EQ(executes().size(), before);

    // Another error ends the wait at once: an unknown item, a closed conversation.
    box.setLinkItem(QStringLiteral("NoSuchItem"));
    r = gvlink::sendKesto(box, QStringLiteral("never"));
    EXPECT_EQ(r.status, gvlink::Result::Failed);
    EXPECT_EQ(r.error, vb::ErrDdeRefused);
    box.setLinkMode(0);
    r = gvlink::sendTavlo(box, QStringLiteral("never"));
    EXPECT_EQ(r.error, suite_link::ErrNoChannel);
    EXPECT_EQ(gvlink::sendDirect(box, QStringLiteral("never")).error, suite_link::ErrNoChannel);
    EXPECT_FALSE(executes().contains(QStringLiteral("execute never")));
}

TEST(GvLinkOpen, WaitsForAViewerThatIsStillStarting)
{
    linktest::usePrivateLinkFolder();
    linktest::Program gv;
    QTimer::singleShot(300, [&] {
        gv.start(QStringLiteral("link_test_server"),
                 {QStringLiteral("--app"), QStringLiteral("GV"), QStringLiteral("--topic"), QStringLiteral("Display")});
    });
    suite_link::PlainLinkBox box;
    gvlink::linkToGV(box);
    EXPECT_EQ(box.LinkMode(), 2);
    EXPECT_EQ(box.LinkTopic(), QStringLiteral("GV|Display"));
    EXPECT_EQ(box.LinkItem(), QStringLiteral("DIBRequest"));

    gv.kill();
    suite_link::PlainLinkBox none;
    try {
        gvlink::linkToGV(none, 100);
        FAIL() << "GV has ended";
    } catch (const vb::RuntimeError &e) {
        EXPECT_EQ(e.number(), vb::ErrDdeNoResponse);
    }
}
