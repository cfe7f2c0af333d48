// SPDX-License-Identifier: GPL-2.0-or-later
// linkctl: a Link client for scripts and tests. Opens one conversation, runs the actions of its
// command line in order and prints what requests answer, one answer a line.
#include "platform/link/link.h"
#include "platform/startup/startup.h"
#include "platform/vb/vb.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <cstdio>

namespace {

enum Exit {
    ExitOk = 0,
    ExitUsage = 2,
    ExitNoAnswer = 3, // 282: nothing answers APP|TOPIC, or it refused the conversation
    ExitRefused = 4,  // 285: the server refused an execute or has no such item
    ExitTimeout = 5,  // 286: no answer within the link timeout
    ExitLost = 6,     // any other link error, e.g. the server quit (291)
    ExitNotReady = 7, // await: the awaited text did not come within its bound
};

const startup::ProgramInfo Info = {
    "linkctl", "[options] APP|TOPIC ACTION...",
    R"(Opens a Link conversation with application APP on topic TOPIC and runs the actions in order:
  execute TEXT            executes TEXT on the server
  request ITEM            prints the text of ITEM
  await ITEM TEXT[,TEXT]  requests ITEM until its text is one of the TEXTs, then prints it;
                          a request that times out counts as "not yet"

options:
  -t, --timeout TENTHS    link timeout in tenths of a second (default 50; -1 = longest)
  --open-wait MS          keep trying to open the conversation for up to MS milliseconds,
                          for a server that is still starting (default 0: try once)
  --await-bound MS        how long an await may take (default 30000)
  -h, --help              this text
  --version               the version

The sockets are looked for in $SUITE_LINK_DIR when it is set.
exit status: 0 done, 2 bad usage, 3 nothing answers APP|TOPIC (error 282), 4 refused
(error 285), 5 timed out (error 286), 6 other link error (for instance the server quit),
7 an await did not get its text in time. See linkctl(1).
)"};

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int fail(int status, const QString &message)
{
    std::fprintf(stderr, "linkctl: %s\n", message.toLocal8Bit().constData());
    return status;
}

int statusFor(int number)
{
    switch (number) {
    case vb::ErrDdeNoResponse: return ExitNoAnswer;
    case vb::ErrDdeRefused: return ExitRefused;
    case vb::ErrDdeTimeout: return ExitTimeout;
    default: return ExitLost;
    }
}

bool toInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

struct Action
{
    QString verb, item, text;
    QStringList wanted;
};

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = startup::answerInfoRequest(argc, argv, Info))
        return *answered;
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    int timeout = 50, openWaitMs = 0, awaitBoundMs = 30000;
    QString topic;
    QList<Action> actions;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&](int &into) {
            if (i + 1 >= args.size() || !toInt(args[i + 1], into))
                return false;
            ++i;
            return true;
        };
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            return startup::writeHelp(stdout, argv[0], Info) ? ExitOk : ExitLost;
        }
        if (a == QLatin1String("--version"))
            return startup::writeVersion(stdout, argv[0], Info) ? ExitOk : ExitLost;
        if (a == QLatin1String("-t") || a == QLatin1String("--timeout")) {
            if (!value(timeout))
                return fail(ExitUsage, QStringLiteral("%1 needs a number of tenths of a second").arg(a));
        } else if (a == QLatin1String("--open-wait")) {
            if (!value(openWaitMs) || openWaitMs < 0)
                return fail(ExitUsage, QStringLiteral("--open-wait needs a number of milliseconds"));
        } else if (a == QLatin1String("--await-bound")) {
            if (!value(awaitBoundMs) || awaitBoundMs < 0)
                return fail(ExitUsage, QStringLiteral("--await-bound needs a number of milliseconds"));
        } else if (a.startsWith(QLatin1Char('-')) && topic.isEmpty()) {
            return fail(ExitUsage, QStringLiteral("unknown option %1 (see linkctl --help)").arg(a));
        } else if (topic.isEmpty()) {
            topic = a;
        } else if (a == QLatin1String("execute") || a == QLatin1String("request")) {
            if (i + 1 >= args.size())
                return fail(ExitUsage, QStringLiteral("%1 needs an argument").arg(a));
            Action act;
            act.verb = a;
            (a == QLatin1String("execute") ? act.text : act.item) = args[++i];
            actions << act;
        } else if (a == QLatin1String("await")) {
            if (i + 2 >= args.size())
                return fail(ExitUsage, QStringLiteral("await needs an item and the texts to wait for"));
            Action act;
            act.verb = a;
            act.item = args[++i];
            act.wanted = args[++i].split(QLatin1Char(','));
            actions << act;
        } else {
            return fail(ExitUsage, QStringLiteral("unknown action %1 (see linkctl --help)").arg(a));
        }
    }
    if (topic.isEmpty())
        return fail(ExitUsage, QStringLiteral("no APP|TOPIC given (see linkctl --help)"));
    if (!topic.contains(QLatin1Char('|')))
        return fail(ExitUsage, QStringLiteral("\"%1\" is not APP|TOPIC (quote the bar in a shell)").arg(topic));

    suite_link::PlainLinkBox box;
    try {
        box.setLinkTimeout(timeout);
        box.setLinkTopic(topic);
        suite_link::openWhenServed(box, openWaitMs, [] { QThread::msleep(50); });
    } catch (const vb::RuntimeError &e) {
        return fail(statusFor(e.number()),
                    QStringLiteral("%1: error %2: %3").arg(topic).arg(e.number()).arg(e.description()));
    }

    for (const Action &act : actions) {
        try {
            if (act.verb == QLatin1String("execute")) {
                box.LinkExecute(act.text);
            } else if (act.verb == QLatin1String("request")) {
                box.setLinkItem(act.item);
                box.LinkRequest();
                out(box.text());
            } else {
                box.setLinkItem(act.item);
                const QDeadlineTimer bound(awaitBoundMs);
                for (;;) {
                    try {
                        box.LinkRequest();
                        if (act.wanted.contains(box.text()))
                            break;
                    } catch (const vb::RuntimeError &e) {
                        if (e.number() != vb::ErrDdeTimeout)
                            throw;
                    }
                    if (bound.hasExpired())
                        return fail(ExitNotReady,
                                    QStringLiteral("%1 did not answer %2 with %3 within %4 ms (last answer \"%5\")")
                                        .arg(topic, act.item, act.wanted.join(QLatin1String(" or ")))
                                        .arg(awaitBoundMs)
                                        .arg(box.text()));
                    QThread::msleep(10);
                }
                out(box.text());
            }
        } catch (const vb::RuntimeError &e) {
            const QString what = act.verb == QLatin1String("execute") ? QStringLiteral("execute \"%1\"").arg(act.text)
                                                                      : QStringLiteral("%1 %2").arg(act.verb, act.item);
            return fail(statusFor(e.number()),
                        QStringLiteral("%1: %2: error %3: %4").arg(topic, what).arg(e.number()).arg(e.description()));
        }
    }
    box.setLinkMode(0);
    return ExitOk;
}
