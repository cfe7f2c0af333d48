// SPDX-License-Identifier: GPL-2.0-or-later
// A Link server for the tests: serves one topic whose executes are small orders, and records
// what happened to it. Prints "ready" once it listens.
//
//   link_test_server [--app NAME] [--topic TOPIC] [--refuse-open]
//
// Executes: "set:TEXT" (item Text becomes TEXT), "refuse" (refused), "sleep:MS" (the handler
// prints "sleeping" and blocks MS ms), "call:APP|TOPIC|ITEM" (requests ITEM from another server and keeps the answer
// as Text), "script:A,B,..." (the answers of item Script, in turn; "~MS" sleeps MS ms and answers
// nothing; the last one repeats), "big:N" (item Big becomes N letters), "throw" (the handler
// fails), "remove" (removes the topic), "die" (ends the process at
// once, without answering), "quit". Any other text is only recorded.
// Items: Text (also as Text1), Events (one line per LinkOpen/LinkExecute/LinkClose/LinkError), Open (number of
// open conversations), Script, Requests (requests of Script so far), Big.
#include "platform/link/link.h"
#include "platform/vb/vb.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

class TestTopic : public suite_link::TopicHandler
{
public:
    TestTopic(suite_link::LinkServer &server, QString topic, bool refuseOpen)
        : server_(server),
          topic_(std::move(topic)),
          refuseOpen_(refuseOpen)
    {}

    bool linkOpen() override
    {
        events_ << QStringLiteral("open");
        return refuseOpen_;
    }

    bool linkExecute(const QString &command) override
    {
        events_ << QStringLiteral("execute ") + command;
        if (command.startsWith(QLatin1String("set:")))
            text_ = command.mid(4);
        else if (command == QLatin1String("refuse"))
            return true;
        else if (command.startsWith(QLatin1String("sleep:"))) {
            std::printf("sleeping\n"); // a test waits for this to know the server is busy
            std::fflush(stdout);
            QThread::msleep(command.mid(6).toULong());
        } else if (command.startsWith(QLatin1String("call:")))
            text_ = call(command.mid(5));
        else if (command.startsWith(QLatin1String("script:")))
            script_ = command.mid(7).split(QLatin1Char(','));
        else if (command.startsWith(QLatin1String("big:")))
            big_ = QString(command.mid(4).toInt(), QLatin1Char('x'));
        else if (command == QLatin1String("throw"))
            vb::raiseError(vb::ErrInvalidCall, QStringLiteral("the handler failed on purpose"));
        else if (command == QLatin1String("remove"))
            server_.removeTopic(topic_);
        else if (command == QLatin1String("die"))
            std::_Exit(3);
        else if (command == QLatin1String("quit"))
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }

    void linkError(int number) override { events_ << QStringLiteral("error %1").arg(number); }
    void linkClose() override { events_ << QStringLiteral("close"); }

    std::optional<QString> linkItem(const QString &item) override
    {
        const QString key = item.toLower();
        if (key == QLatin1String("text") || key == QLatin1String("text1")) // Text1: as Kesto names it
            return text_;
        if (key == QLatin1String("events"))
            return events_.join(QLatin1Char('\n'));
        if (key == QLatin1String("open"))
            return QString::number(server_.conversationCount());
        if (key == QLatin1String("requests"))
            return QString::number(requests_);
        if (key == QLatin1String("big"))
            return big_;
        if (key == QLatin1String("script")) {
            ++requests_;
            if (script_.isEmpty())
                return QString();
            QString next = script_.size() > 1 ? script_.takeFirst() : script_.first();
            if (next.startsWith(QLatin1Char('~'))) {
                QThread::msleep(next.mid(1).toULong());
                return QString();
            }
            return next;
        }
        return std::nullopt;
    }

private:
    // A client call from inside a handler: the other server may call us back meanwhile.
    static QString call(const QString &target)
    {
        const int last = target.lastIndexOf(QLatin1Char('|'));
        suite_link::PlainLinkBox box;
        try {
            box.setLinkTimeout(30);
            box.setLinkTopic(target.left(last));
            box.setLinkItem(target.mid(last + 1));
            box.setLinkMode(2);
            box.LinkRequest();
            return box.text();
        } catch (const vb::RuntimeError &e) {
            return QStringLiteral("error %1").arg(e.number());
        }
    }

    suite_link::LinkServer &server_;
    QString topic_;
    bool refuseOpen_;
    QString text_ = QStringLiteral("initial");
    QString big_;
    QStringList events_;
    QStringList script_;
    int requests_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString application = QStringLiteral("LTEST"), topic = QStringLiteral("T");
    bool refuseOpen = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--app") && i + 1 < args.size())
            application = args[++i];
        else if (args[i] == QLatin1String("--topic") && i + 1 < args.size())
            topic = args[++i];
        else if (args[i] == QLatin1String("--refuse-open"))
            refuseOpen = true;
        else {
            std::fprintf(stderr, "link_test_server: unknown argument %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    suite_link::LinkServer server(application);
    TestTopic handler(server, topic, refuseOpen);
    server.addTopic(topic, &handler);
    if (!server.listen()) {
        std::printf("taken: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const int status = app.exec();
    server.removeTopic(topic);
    return status;
}
