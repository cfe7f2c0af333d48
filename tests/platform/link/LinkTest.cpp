// SPDX-License-Identifier: GPL-2.0-or-later
// Link conversations between this test process and started programs (link_test_server,
// linkctl), and with a server in this very process.
#include "platform/link/link.h"
#include "platform/link/wire.h"
#include "platform/vb/vb.h"
#include "tests/platform/link/LinkTestSupport.h"
#include "tests/support/Errors.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void open(suite_link::LinkBox &box, const QString &topic, int timeoutTenths = 50)
{
    box.setLinkTimeout(timeoutTenths);
    box.setLinkTopic(topic);
    box.setLinkMode(2);
}

QString request(suite_link::LinkBox &box, const QString &item)
{
    box.setLinkItem(item);
    box.LinkRequest();
    return box.text();
}

// What the test server recorded, asked on a conversation of its own.
QStringList events()
{
    suite_link::PlainLinkBox box;
    open(box, QStringLiteral("LTEST|T"));
    return request(box, QStringLiteral("Events")).split(QLatin1Char('\n'));
}

// The number of open conversations, once the server has caught up with clients that closed
// theirs (a close is not answered, so it may be handled after later frames of others).
QString openCount(suite_link::LinkBox &box, const QString &expected)
{
    QString seen;
    for (int i = 0; i < 100; ++i) {
        seen = request(box, QStringLiteral("Open"));
        if (seen == expected)
            break;
        QThread::msleep(20);
    }
    return seen;
}

class LinkAcross : public ::testing::Test
{
protected:
    void SetUp() override
    {
        linktest::usePrivateLinkFolder();
        ASSERT_EQ(server.startAndWaitLine(QStringLiteral("link_test_server"), {}), QStringLiteral("ready"))
            << server.allOutput().toStdString();
    }

    linktest::Program server;
};

} // namespace

TEST(LinkFolder, OnlyItsOwnerMayEnter)
{
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/links");
    qputenv("SUITE_LINK_DIR", folder.toLocal8Bit());

    EXPECT_EQ(suite_link::socketFolder(), folder);
    struct stat st;
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    // A folder of ours that others may read is closed to them.
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QString why;
    EXPECT_TRUE(suite_link::prepareSocketFolder(&why)) << why.toStdString();
    ::lstat(QFile::encodeName(folder).constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    // The socket itself is the user's alone, and a server cannot listen where others may write.
    {
        suite_link::LinkServer server(QStringLiteral("Perm"));
        ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
        ASSERT_EQ(::lstat(QFile::encodeName(suite_link::socketPath(QStringLiteral("perm"))).constData(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(st.st_mode & 077, 0u);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    suite_link::LinkServer open(QStringLiteral("Open"));
    EXPECT_FALSE(open.listen());
    EXPECT_TRUE(open.errorString().contains(QStringLiteral("others may write"))) << open.errorString().toStdString();
    suite_link::PlainLinkBox box;
    box.setLinkTopic(QStringLiteral("Open|T"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(2); }), vb::ErrDdeNoResponse);

    // A symbolic link in its place, or a folder of another user, is refused.
    QDir(folder).removeRecursively();
    QDir().mkdir(base.path() + QStringLiteral("/elsewhere"));
    ASSERT_TRUE(QFile::link(base.path() + QStringLiteral("/elsewhere"), folder));
    EXPECT_FALSE(suite_link::prepareSocketFolder(&why));
    EXPECT_TRUE(why.contains(QStringLiteral("symbolic link"))) << why.toStdString();
    if (::geteuid() == 0) {
        QFile::remove(folder);
        QDir().mkdir(folder);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        EXPECT_FALSE(suite_link::prepareSocketFolder(&why));
        EXPECT_TRUE(why.contains(QStringLiteral("another user"))) << why.toStdString();
    }
    qunsetenv("SUITE_LINK_DIR");
}

TEST_F(LinkAcross, ExecutesAndRequestsReachTheServerWhateverTheCase)
{
    suite_link::PlainLinkBox box(QStringLiteral("Text1"));
    open(box, QStringLiteral("ltest|t"));
    EXPECT_EQ(box.LinkMode(), 2);
    EXPECT_EQ(request(box, QStringLiteral("Text")), QStringLiteral("initial"));

    const QString path = QStringLiteral("/写真/a b(1).jpg");
    box.LinkExecute(QStringLiteral("set:") + path);
    box.LinkExecute(QString()); // an empty execute is accepted like any other
    EXPECT_EQ(request(box, QStringLiteral("TEXT")), path);

    box.setLinkMode(2); // already open: nothing happens
    box.setLinkMode(0);
    EXPECT_EQ(box.LinkMode(), 0);
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("x")); }), suite_link::ErrNoChannel);

    const QStringList seen = events();
    EXPECT_EQ(seen.mid(0, 5),
              (QStringList{QStringLiteral("open"), QStringLiteral("execute set:") + path, QStringLiteral("execute "),
                           QStringLiteral("close"), QStringLiteral("open")}));
}

TEST_F(LinkAcross, OpeningFailsWith282WhenNothingAnswersTheTopic)
{
    suite_link::PlainLinkBox box;
    QString why;
    box.setLinkTopic(QStringLiteral("NOBODY|T"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(2); }, &why), vb::ErrDdeNoResponse);
    EXPECT_TRUE(why.contains(QStringLiteral("no program serves application NOBODY"))) << why.toStdString();
    box.setLinkTopic(QStringLiteral("LTEST|Other"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(2); }, &why), vb::ErrDdeNoResponse);
    EXPECT_TRUE(why.contains(QStringLiteral("no topic Other"))) << why.toStdString();
    EXPECT_EQ(box.LinkMode(), 0);

    linktest::Program refusing;
    ASSERT_EQ(
        refusing.startAndWaitLine(QStringLiteral("link_test_server"),
                                  {QStringLiteral("--app"), QStringLiteral("SHY"), QStringLiteral("--refuse-open")}),
        QStringLiteral("ready"));
    box.setLinkTopic(QStringLiteral("SHY|T"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(2); }, &why), vb::ErrDdeNoResponse);
    EXPECT_TRUE(why.contains(QStringLiteral("refused"))) << why.toStdString();

    box.setLinkTopic(QStringLiteral("LTEST"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(2); }), vb::ErrDdeNoLink);
    box.setLinkTopic(QStringLiteral("LTEST|T"));
    EXPECT_EQ(errorOf([&] { box.setLinkMode(1); }), vb::ErrInvalidPropertyValue);
    EXPECT_EQ(errorOf([&] { box.setLinkTimeout(-2); }), vb::ErrInvalidPropertyValue);
    box.setLinkTimeout(-1);
    box.setLinkMode(2);
    EXPECT_EQ(request(box, QStringLiteral("Text")), QStringLiteral("initial"));
}

TEST_F(LinkAcross, RefusalsRaise285AndTheConversationGoesOn)
{
    suite_link::PlainLinkBox box;
    open(box, QStringLiteral("LTEST|T"));
    QString why;
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("refuse")); }), vb::ErrDdeRefused);
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("throw")); }, &why), vb::ErrDdeRefused);
    EXPECT_TRUE(why.contains(QStringLiteral("failed on purpose"))) << why.toStdString();
    box.setText(QStringLiteral("kept"));
    EXPECT_EQ(errorOf([&] { request(box, QStringLiteral("NoSuchItem")); }, &why), vb::ErrDdeRefused);
    EXPECT_TRUE(why.contains(QStringLiteral("no item NoSuchItem"))) << why.toStdString();
    EXPECT_EQ(box.text(), QStringLiteral("kept"));
    box.LinkExecute(QStringLiteral("set:still here"));
    EXPECT_EQ(request(box, QStringLiteral("Text")), QStringLiteral("still here"));
}

TEST_F(LinkAcross, TimeoutsRaise286AndLateAnswersAreNotTakenForNewOnes)
{
    suite_link::PlainLinkBox box;
    open(box, QStringLiteral("LTEST|T"), 2);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("sleep:1500")); }), vb::ErrDdeTimeout);
    EXPECT_LT(clock.elapsed(), 1200); // the timeout, not the answer, ended the wait
    EXPECT_EQ(box.LinkMode(), 2);

    // The answer to the execute comes late, just before the answer to this request.
    box.setLinkTimeout(50);
    EXPECT_EQ(request(box, QStringLiteral("Text")), QStringLiteral("initial"));

    box.LinkExecute(QStringLiteral("script:~700,OK"));
    box.setLinkTimeout(2);
    EXPECT_EQ(errorOf([&] { request(box, QStringLiteral("Script")); }), vb::ErrDdeTimeout);
    box.setLinkTimeout(50);
    EXPECT_EQ(request(box, QStringLiteral("Script")), QStringLiteral("OK"));
}

TEST_F(LinkAcross, SeveralClientsAtOnceAreServedInTheirOwnOrder)
{
    suite_link::PlainLinkBox mine;
    open(mine, QStringLiteral("LTEST|T"));
    std::vector<std::unique_ptr<linktest::Program>> clients;
    for (int c = 0; c < 6; ++c) {
        QStringList args{QStringLiteral("LTEST|T")};
        for (int n = 0; n < 5; ++n)
            args << QStringLiteral("execute") << QStringLiteral("c%1-%2").arg(c).arg(n) << QStringLiteral("request")
                 << QStringLiteral("Open");
        clients.push_back(std::make_unique<linktest::Program>());
        clients.back()->start(QStringLiteral("linkctl"), args);
    }
    for (int n = 0; n < 5; ++n)
        mine.LinkExecute(QStringLiteral("mine-%1").arg(n));
    for (auto &c : clients) {
        ASSERT_TRUE(c->waitFinished(20000));
        EXPECT_EQ(c->exitCode(), 0) << c->allOutput().toStdString();
    }
    const QStringList seen = events();
    for (int c = 0; c < 6; ++c) {
        int last = -1;
        for (int n = 0; n < 5; ++n) {
            const int at = seen.indexOf(QStringLiteral("execute c%1-%2").arg(c).arg(n));
            ASSERT_GT(at, last) << "client " << c << " execute " << n;
            last = at;
        }
    }
    EXPECT_EQ(seen.count(QStringLiteral("open")), 8); // six clients, mine, the events box
    EXPECT_EQ(seen.count(QStringLiteral("close")), 6);
    EXPECT_EQ(openCount(mine, QStringLiteral("1")), QStringLiteral("1"));
}

TEST_F(LinkAcross, AClientKilledMidCallLeavesTheServerServing)
{
    linktest::Program client;
    client.start(QStringLiteral("linkctl"),
                 {QStringLiteral("LTEST|T"), QStringLiteral("execute"), QStringLiteral("sleep:800"),
                  QStringLiteral("request"), QStringLiteral("Text")});
    // Kill it while the server is busy with its execute; the answer then goes nowhere.
    ASSERT_TRUE(linktest::waitForServer(QStringLiteral("LTEST|T")));
    QDeadlineTimer deadline(10000);
    while (!server.allOutput().contains(QStringLiteral("sleeping")) && !deadline.hasExpired())
        server.process().waitForReadyRead(100);
    ASSERT_TRUE(server.allOutput().contains(QStringLiteral("sleeping"))) << "the server took the execute";
    client.kill();

    suite_link::PlainLinkBox next;
    open(next, QStringLiteral("LTEST|T"));
    EXPECT_EQ(request(next, QStringLiteral("Text")), QStringLiteral("initial"));
    const QStringList seen = events();
    EXPECT_TRUE(seen.contains(QStringLiteral("execute sleep:800")));
    EXPECT_GE(seen.count(QStringLiteral("close")), 2)
        << seen.join(QLatin1Char('|')).toStdString(); // the killed client, the probe
    EXPECT_EQ(openCount(next, QStringLiteral("1")), QStringLiteral("1"));
}

TEST_F(LinkAcross, MalformedAndOversizedFramesEndOnlyTheirOwnConversation)
{
    suite_link::PlainLinkBox good;
    open(good, QStringLiteral("LTEST|T"));

    const QString path = suite_link::socketPath(QStringLiteral("LTEST"));
    auto sendRaw = [&](const QByteArray &bytes) {
        QLocalSocket raw;
        raw.connectToServer(path);
        EXPECT_TRUE(raw.waitForConnected(2000));
        raw.write(bytes);
        raw.flush();
        // The server ends the connection; it never answers such a frame.
        for (int i = 0; i < 50 && raw.state() == QLocalSocket::ConnectedState; ++i)
            raw.waitForReadyRead(100);
        return raw.state() != QLocalSocket::ConnectedState && raw.readAll().isEmpty();
    };
    using suite_link::wire::Kind;
    QByteArray initiate = suite_link::wire::encode(Kind::Initiate, 1, QStringLiteral("T"));
    QByteArray oversized =
        suite_link::wire::encode(Kind::Execute, 2, QStringLiteral("x")).left(suite_link::wire::HeaderSize);
    oversized[8] = char(0x40); // announces a gigabyte
    QByteArray badText = suite_link::wire::encode(Kind::Execute, 2, QStringLiteral("ok"));
    badText[suite_link::wire::HeaderSize + 1] = char(0xc3);
    EXPECT_TRUE(sendRaw(QByteArray("\x00\x01garbage that is no frame at all\r\n", 34)));
    EXPECT_TRUE(sendRaw(oversized));
    EXPECT_TRUE(sendRaw(suite_link::wire::encode(Kind::Execute, 1, QStringLiteral("before initiate"))));
    EXPECT_FALSE(sendRaw(initiate + badText)) << "the Initiate is answered before the bad frame ends it";

    good.LinkExecute(QStringLiteral("set:survived"));
    EXPECT_EQ(request(good, QStringLiteral("Text")), QStringLiteral("survived"));
    const QStringList seen = events();
    EXPECT_FALSE(seen.contains(QStringLiteral("execute before initiate")));
    EXPECT_EQ(seen.count(QStringLiteral("open")), 3); // good, the raw Initiate, the events box
    EXPECT_EQ(seen.filter(QStringLiteral("error")).size(), 0);
}

TEST_F(LinkAcross, TextsUpToTheFrameBoundPassWholeAndLongerOnesAreRefused)
{
    suite_link::PlainLinkBox box;
    open(box, QStringLiteral("LTEST|T"));
    const QString longest = QStringLiteral("set:") + QString(suite_link::MaxTextBytes - 4, QLatin1Char('y'));
    box.LinkExecute(longest);
    EXPECT_EQ(request(box, QStringLiteral("Text")), longest.mid(4));
    EXPECT_EQ(errorOf([&] { box.LinkExecute(longest + QLatin1Char('y')); }), vb::ErrInvalidCall);
    box.LinkExecute(QStringLiteral("big:%1").arg(suite_link::MaxTextBytes + 1));
    QString why;
    EXPECT_EQ(errorOf([&] { request(box, QStringLiteral("Big")); }, &why), vb::ErrDdeRefused);
    EXPECT_TRUE(why.contains(QStringLiteral("longer"))) << why.toStdString();
    EXPECT_EQ(openCount(box, QStringLiteral("1")), QStringLiteral("1"));
}

TEST(LinkFolder, AFolderTheUserHadIsUsedAsItIsOrRefusedNeverChanged)
{
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QByteArray native = QFile::encodeName(folder);
    qputenv("SUITE_LINK_DIR", folder.toLocal8Bit());
    struct stat st;

    // Like a home folder: others may enter it. It used to be closed to them silently.
    ::chmod(native.constData(), 0755);
    QString why;
    EXPECT_FALSE(suite_link::prepareSocketFolder(&why));
    EXPECT_TRUE(why.contains(QStringLiteral("others may enter"))) << why.toStdString();
    EXPECT_TRUE(why.contains(folder)) << why.toStdString();
    ::lstat(native.constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    suite_link::LinkServer server(QStringLiteral("Home"));
    EXPECT_FALSE(server.listen());
    EXPECT_TRUE(server.errorString().contains(QStringLiteral("others may enter")))
        << server.errorString().toStdString();
    ::chmod(native.constData(), 0711);
    EXPECT_FALSE(suite_link::prepareSocketFolder(&why));

    // One only its owner may enter is used as it is.
    ::chmod(native.constData(), 0700);
    EXPECT_TRUE(suite_link::prepareSocketFolder(&why)) << why.toStdString();
    ::lstat(native.constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/.suite-link-folder"))) << "not marked as the suite's";
    qunsetenv("SUITE_LINK_DIR");
}

TEST_F(LinkAcross, ServerRefusesThe129thConversationWithoutALinkError)
{
    std::vector<std::unique_ptr<suite_link::PlainLinkBox>> boxes;
    for (int i = 0; i < 128; ++i) {
        boxes.push_back(std::make_unique<suite_link::PlainLinkBox>());
        open(*boxes.back(), QStringLiteral("LTEST|T"));
    }
    suite_link::PlainLinkBox extra;
    QString why;
    EXPECT_EQ(errorOf([&] { open(extra, QStringLiteral("LTEST|T")); }, &why), vb::ErrDdeNoResponse);
    EXPECT_TRUE(why.contains(QStringLiteral("128"))) << why.toStdString();
    boxes.pop_back();
    EXPECT_EQ(openCount(*boxes.front(), QStringLiteral("127")), QStringLiteral("127"));
    // The topic heard of no error: the refused client never had a conversation.
    const QStringList seen = events();
    EXPECT_FALSE(seen.contains(QStringLiteral("error 7"))) << seen.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(request(*boxes.front(), QStringLiteral("Text")), QStringLiteral("initial"));
}

TEST_F(LinkAcross, IdleConnectionsNeverLockOutAClientThatOpensAConversation)
{
    // More connections than the server keeps, none of which ever says a word.
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 300; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(suite_link::socketPath(QStringLiteral("LTEST")));
        ASSERT_TRUE(idle.back()->waitForConnected(5000)) << i;
    }
    // A client that opens a conversation at once is served: the longest idle make room.
    for (int i = 0; i < 3; ++i) {
        suite_link::PlainLinkBox box;
        ASSERT_EQ(errorOf([&] { open(box, QStringLiteral("LTEST|T")); }), 0) << i;
        EXPECT_EQ(request(box, QStringLiteral("Text")), QStringLiteral("initial"));
    }
    int ended = 0;
    for (auto &s : idle) {
        s->waitForReadyRead(0);
        ended += s->state() != QLocalSocket::ConnectedState;
    }
    EXPECT_GE(ended, 1);
}

TEST_F(LinkAcross, TheFirstServerKeepsItsNameAndADeadOneLeavesItFree)
{
    linktest::Program second;
    const QString line =
        second.startAndWaitLine(QStringLiteral("link_test_server"), {QStringLiteral("--app"), QStringLiteral("ltest")});
    EXPECT_TRUE(line.startsWith(QStringLiteral("taken:"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QString::number(server.pid()))) << line.toStdString();
    ASSERT_TRUE(second.waitFinished());
    EXPECT_EQ(second.exitCode(), 1);

    // A client whose server dies in the middle of a call, and one whose server died meanwhile.
    suite_link::PlainLinkBox dying, idle;
    open(dying, QStringLiteral("LTEST|T"));
    open(idle, QStringLiteral("LTEST|T"));
    QString why;
    EXPECT_EQ(errorOf([&] { dying.LinkExecute(QStringLiteral("die")); }, &why), suite_link::ErrForeignQuit);
    EXPECT_EQ(dying.LinkMode(), 0);
    ASSERT_TRUE(server.waitFinished());
    EXPECT_EQ(errorOf([&] { request(idle, QStringLiteral("Text")); }), suite_link::ErrForeignQuit);
    EXPECT_EQ(idle.LinkMode(), 0);
    EXPECT_EQ(errorOf([&] { idle.setLinkMode(2); }), vb::ErrDdeNoResponse);

    linktest::Program next;
    ASSERT_EQ(next.startAndWaitLine(QStringLiteral("link_test_server"), {}), QStringLiteral("ready"));
    idle.setLinkMode(2);
    EXPECT_EQ(request(idle, QStringLiteral("Text")), QStringLiteral("initial"));
}

namespace {

// A topic in this process. Its executes "ask:APP|TOPIC|ITEM" and "exec:APP|TOPIC|COMMAND" make
// client calls of their own.
class LocalTopic : public suite_link::TopicHandler
{
public:
    QString text = QStringLiteral("local");
    QStringList seen;
    bool linkExecute(const QString &command) override
    {
        seen << command;
        if (command.startsWith(QLatin1String("ask:"))) {
            const QString target = command.mid(4);
            const int last = target.lastIndexOf(QLatin1Char('|'));
            suite_link::PlainLinkBox box;
            open(box, target.left(last));
            text = request(box, target.mid(last + 1));
        }
        if (command.startsWith(QLatin1String("exec:"))) {
            const QStringList parts = command.mid(5).split(QLatin1Char('|'));
            suite_link::PlainLinkBox box;
            open(box, parts[0] + QLatin1Char('|') + parts[1]);
            box.LinkExecute(parts.mid(2).join(QLatin1Char('|')));
        }
        if (command == QLatin1String("remove"))
            server->removeTopic(QStringLiteral("S"));
        return command == QLatin1String("no");
    }
    void linkClose() override { seen << QStringLiteral("close"); }
    std::optional<QString> linkItem(const QString &item) override
    {
        if (item == QLatin1String("Item"))
            return text;
        return std::nullopt;
    }
    suite_link::LinkServer *server = nullptr;
};

} // namespace

TEST_F(LinkAcross, ABlockingCallNeverBlocksTheServerOfItsOwnProcess)
{
    suite_link::LinkServer self(QStringLiteral("SELF"));
    LocalTopic topic;
    topic.server = &self;
    self.addTopic(QStringLiteral("S"), &topic);
    ASSERT_TRUE(self.listen()) << self.errorString().toStdString();

    // Client and server in one process.
    suite_link::PlainLinkBox box;
    open(box, QStringLiteral("self|s"));
    EXPECT_EQ(request(box, QStringLiteral("Item")), QStringLiteral("local"));
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("no")); }), vb::ErrDdeRefused);

    // Our handler calls the other process's server from inside its execute.
    box.LinkExecute(QStringLiteral("ask:LTEST|T|Text"));
    EXPECT_EQ(request(box, QStringLiteral("Item")), QStringLiteral("initial"));

    // The other process's handler calls us back while we wait for its answer.
    suite_link::PlainLinkBox remote;
    open(remote, QStringLiteral("LTEST|T"));
    topic.text = QStringLiteral("called back");
    remote.LinkExecute(QStringLiteral("call:SELF|S|Item"));
    EXPECT_EQ(request(remote, QStringLiteral("Text")), QStringLiteral("called back"));

    // Nested: inside our own handler we have LTEST call us back.
    topic.text = QStringLiteral("twice");
    box.LinkExecute(QStringLiteral("exec:LTEST|T|call:SELF|S|Item"));
    EXPECT_EQ(request(remote, QStringLiteral("Text")), QStringLiteral("twice"));

    // Removing the topic ends its conversations without a LinkClose.
    const int closes = int(topic.seen.count(QStringLiteral("close")));
    box.LinkExecute(QStringLiteral("remove"));
    EXPECT_EQ(errorOf([&] { box.LinkExecute(QStringLiteral("x")); }), suite_link::ErrForeignQuit);
    EXPECT_EQ(topic.seen.count(QStringLiteral("close")), closes);
}

TEST(LinkOpenWhenServed, TriesAgainOnlyWhileNothingAnswersAndTheWaitLasts)
{
    linktest::usePrivateLinkFolder();
    suite_link::LinkServer late(QStringLiteral("LATE"));
    LocalTopic topic;
    late.addTopic(QStringLiteral("S"), &topic);
    suite_link::PlainLinkBox box;
    box.setLinkTopic(QStringLiteral("LATE|S"));

    // No wait: one try, nothing in between.
    int between = 0;
    EXPECT_EQ(errorOf([&] { suite_link::openWhenServed(box, 0, [&] { ++between; }); }), vb::ErrDdeNoResponse);
    EXPECT_EQ(between, 0);

    // A server that starts listening while the tries go on is reached.
    suite_link::openWhenServed(box, 10000, [&] {
        if (++between == 3) {
            EXPECT_TRUE(late.listen()) << late.errorString().toStdString();
        }
    });
    EXPECT_EQ(between, 3);
    EXPECT_EQ(box.LinkMode(), 2);
    EXPECT_EQ(request(box, QStringLiteral("Item")), QStringLiteral("local"));

    // Another error ends the tries at once, however long the wait.
    suite_link::PlainLinkBox wrong;
    wrong.setLinkTopic(QStringLiteral("LATE"));
    between = 0;
    EXPECT_EQ(errorOf([&] { suite_link::openWhenServed(wrong, 60000, [&] { ++between; }); }), vb::ErrDdeNoLink);
    EXPECT_EQ(between, 0);

    // Nothing ever answers: the 282 comes once the wait has passed, not before.
    suite_link::PlainLinkBox nobody;
    nobody.setLinkTopic(QStringLiteral("NOBODY|S"));
    QElapsedTimer clock;
    clock.start();
    between = 0;
    EXPECT_EQ(errorOf([&] {
                  suite_link::openWhenServed(nobody, 150, [&] {
                      ++between;
                      QThread::msleep(10);
                  });
              }),
              vb::ErrDdeNoResponse);
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_GE(between, 1);
}
