// SPDX-License-Identifier: GPL-2.0-or-later
// link_abuse_bench: Link servers under abuse by other local programs.
// - Idle connections: N sockets connect to Varvo (or the GV stand-in) and never say a word;
//   then a client opens a conversation and requests an item. Printed: how long that took, and
//   whether it was served.
// - Flooding Varvo: 20 executes of 1 MiB of text, each printed on Varvo's window; then executes
//   with a request, as Pelto sends them. Printed: the slowest of each.
//
//   link_abuse_bench
#include "platform/link/link.h"
#include "platform/vb/vb.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// A started server program, ended when it goes.
class Server
{
public:
    // Starts it and waits until topic answers.
    Server(const QString &program, const QStringList &args, const QString &topic)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, args);
        const QDeadlineTimer deadline(20000);
        while (!opens(topic) && !deadline.hasExpired())
            QThread::msleep(50);
    }
    ~Server()
    {
        process_.kill();
        process_.waitForFinished();
    }
    bool running() { return !process_.waitForFinished(100); }

    static bool opens(const QString &topic)
    {
        try {
            suite_link::PlainLinkBox box;
            box.setLinkTimeout(10);
            box.setLinkTopic(topic);
            box.setLinkMode(2);
            return true;
        } catch (const vb::RuntimeError &) {
            return false;
        }
    }

private:
    QProcess process_;
};

double elapsedMs(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// Opens a conversation and requests item; the error number, 0 when served.
int converse(const QString &topic, const QString &item)
{
    try {
        suite_link::PlainLinkBox box;
        box.setLinkTopic(topic);
        box.setLinkMode(2);
        box.setLinkItem(item);
        box.LinkRequest();
        return 0;
    } catch (const vb::RuntimeError &e) {
        return e.number();
    }
}

void idleConnections(const char *label, const QString &program, const QStringList &args, const QString &application,
                     const QString &topic, const QString &item)
{
    for (int n : {0, 255, 256, 300, 1000, 3000}) {
        Server server(program, args, topic);
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        int connected = 0;
        for (int i = 0; i < n; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(suite_link::socketPath(application));
            connected += idle.back()->waitForConnected(2000);
        }
        int error = 0;
        const double ms = elapsedMs([&] { error = converse(topic, item); });
        std::printf("%-6s %5d idle connections (%5d connected)   open and request %8.1f ms   %s\n", label, n, connected,
                    ms, error ? qPrintable(QStringLiteral("error %1").arg(error)) : "served");
        std::fflush(stdout);
    }
}

void floodVarvo(const QString &varvo)
{
    Server server(varvo, {}, QStringLiteral("VARVO|VARVO"));
    suite_link::PlainLinkBox box;
    box.setLinkTopic(QStringLiteral("VARVO|VARVO"));
    box.setLinkTimeout(-1);
    box.setLinkMode(2);
    const QString mib(1 << 20, QLatin1Char('m'));
    double slowest = 0;
    for (int i = 0; i < 20; ++i)
        slowest = std::max(slowest, elapsedMs([&] { box.LinkExecute(mib); }));
    std::printf("varvo  20 executes of 1 MiB                 slowest %8.1f ms\n", slowest);
    slowest = 0;
    for (int i = 0; i < 5; ++i) {
        slowest = std::max(slowest, elapsedMs([&] {
                               box.LinkExecute(QStringLiteral("ABCDE From Client!!"));
                               box.setLinkItem(QStringLiteral("Text2"));
                               box.LinkRequest();
                           }));
    }
    std::printf("varvo  then execute with a request           slowest %8.1f ms   (%s)\n", slowest,
                server.running() ? "still serving" : "ended");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("SUITE_LINK_DIR", (dir.path() + QStringLiteral("/sockets")).toLocal8Bit());
    const QString bin = QStringLiteral(SUITE_BIN_DIR);
    idleConnections("varvo", bin + QStringLiteral("/varvo"), {}, QStringLiteral("VARVO"), QStringLiteral("VARVO|VARVO"),
                    QStringLiteral("Text2"));
    idleConnections("gv", bin + QStringLiteral("/gv"), {QStringLiteral("/DDE")}, QStringLiteral("GV"),
                    QStringLiteral("GV|Display"), QStringLiteral("DIBRequest"));
    floodVarvo(bin + QStringLiteral("/varvo"));
    return 0;
}
