// SPDX-License-Identifier: GPL-2.0-or-later
// The client side of a Link conversation, as a text box holds it.
#include "platform/link/link.h"
#include "platform/link/pump.h"
#include "platform/link/wire.h"
#include "platform/vb/vb.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

namespace suite_link {

namespace {

constexpr int LongestTimeoutTenths = 65535; // what -1 stands for

enum class Outcome { Answered, TimedOut, Lost };

[[noreturn]] void raise(int number, const QString &detail)
{
    vb::raiseError(number, QStringLiteral("%1 (%2)").arg(
                               number == ErrForeignQuit ? QStringLiteral("Foreign application quit")
                               : number == ErrNoChannel ? QStringLiteral("DDE method invoked with no channel open")
                                                        : vb::errorDescription(number),
                               detail));
}

} // namespace

struct LinkBox::Channel
{
    QLocalSocket socket;
    QByteArray in;
    quint32 seq = 0;
    QString application;
    QString topic;

    bool connected() const { return socket.state() == QLocalSocket::ConnectedState; }

    // Sends one frame and waits for the answer that carries its number. Answers to earlier
    // calls that timed out are dropped on the way.
    Outcome call(wire::Kind kind, const QString &text, int timeoutMs, wire::Frame &answer, QString *why)
    {
        const quint32 mine = ++seq;
        socket.write(wire::encode(kind, mine, text));
        socket.flush();
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (socket.bytesAvailable() > 0)
                in += socket.readAll();
            for (;;) {
                const wire::Take t = wire::take(in, false, answer, why);
                if (t == wire::Take::Incomplete)
                    break;
                if (t == wire::Take::Malformed) {
                    *why = QStringLiteral("unreadable answer: %1").arg(*why);
                    return Outcome::Lost;
                }
                if (answer.seq == mine)
                    return Outcome::Answered;
            }
            if (!connected()) {
                *why = QStringLiteral("%1 ended the conversation").arg(application);
                return Outcome::Lost;
            }
            if (deadline.hasExpired())
                return Outcome::TimedOut;
            detail::waitForClient(socket, deadline);
        }
    }

    void terminate()
    {
        if (connected()) {
            socket.write(wire::encode(wire::Kind::Terminate, ++seq));
            socket.flush();
        }
        socket.abort();
    }
};

LinkBox::LinkBox() = default;

LinkBox::~LinkBox() { closeChannel(); }

void LinkBox::closeChannel()
{
    if (channel_)
        channel_->terminate();
    channel_.reset();
}

void LinkBox::lost(const QString &what)
{
    closeChannel();
    mode_ = 0;
    raise(ErrForeignQuit, what);
}

int LinkBox::timeoutMs() const { return (timeoutTenths_ < 0 ? LongestTimeoutTenths : timeoutTenths_) * 100; }

QString LinkBox::LinkTopic() const { return topic_; }

void LinkBox::setLinkTopic(const QString &topic)
{
    if (topic != topic_ && mode_ != 0) {
        closeChannel();
        mode_ = 0;
    }
    topic_ = topic;
}

QString LinkBox::LinkItem() const { return item_; }
void LinkBox::setLinkItem(const QString &item) { item_ = item; }
int LinkBox::LinkTimeout() const { return timeoutTenths_; }

void LinkBox::setLinkTimeout(int tenths)
{
    if (tenths < -1 || tenths > LongestTimeoutTenths)
        raise(vb::ErrInvalidPropertyValue,
              QStringLiteral("LinkTimeout %1 is outside -1 to %2").arg(tenths).arg(LongestTimeoutTenths));
    timeoutTenths_ = tenths;
}

int LinkBox::LinkMode() const { return mode_; }

void LinkBox::setLinkMode(int mode)
{
    if (mode == 0) {
        closeChannel();
        mode_ = 0;
        return;
    }
    if (mode != 2)
        raise(vb::ErrInvalidPropertyValue,
              QStringLiteral("LinkMode %1 is not supported: 0 (none) or 2 (manual)").arg(mode));
    if (mode_ == 2 && channel_ && channel_->connected())
        return;
    closeChannel();
    mode_ = 0;

    const int bar = topic_.indexOf(QLatin1Char('|'));
    const QString application = bar > 0 ? topic_.left(bar) : QString();
    const QString topic = bar > 0 ? topic_.mid(bar + 1) : QString();
    if (application.isEmpty() || topic.isEmpty())
        raise(vb::ErrDdeNoLink, QStringLiteral("LinkTopic \"%1\" is not APP|TOPIC").arg(topic_));
    if (topic.toUtf8().size() > MaxTextBytes)
        raise(vb::ErrDdeNoLink, QStringLiteral("the topic is too long"));
    QString why;
    if (!prepareSocketFolder(&why))
        raise(vb::ErrDdeNoResponse, why);

    auto channel = std::make_unique<Channel>();
    channel->application = application;
    channel->topic = topic;
    channel->socket.connectToServer(socketPath(application));
    if (!channel->socket.waitForConnected(timeoutMs())) {
        switch (channel->socket.error()) {
        case QLocalSocket::ServerNotFoundError:
        case QLocalSocket::ConnectionRefusedError:
            raise(vb::ErrDdeNoResponse, QStringLiteral("no program serves application %1").arg(application));
        default:
            raise(vb::ErrDdeNoResponse,
                  QStringLiteral("cannot reach application %1: %2").arg(application, channel->socket.errorString()));
        }
    }
    wire::Frame answer;
    switch (channel->call(wire::Kind::Initiate, topic, timeoutMs(), answer, &why)) {
    case Outcome::Answered:
        if (answer.kind == wire::Kind::Ack)
            break;
        raise(vb::ErrDdeNoResponse, answer.text);
    case Outcome::TimedOut:
        channel->terminate();
        raise(vb::ErrDdeNoResponse,
              QStringLiteral("%1 did not answer the conversation on %2 in time").arg(application, topic));
    case Outcome::Lost: raise(vb::ErrDdeNoResponse, why);
    }
    channel_ = std::move(channel);
    mode_ = 2;
}

void LinkBox::LinkExecute(const QString &command)
{
    if (mode_ != 2 || !channel_)
        raise(ErrNoChannel, QStringLiteral("LinkMode is 0"));
    if (command.toUtf8().size() > MaxTextBytes)
        raise(vb::ErrInvalidCall,
              QStringLiteral("the command is longer than the %1 bytes a Link execute carries").arg(MaxTextBytes));
    wire::Frame answer;
    QString why;
    switch (channel_->call(wire::Kind::Execute, command, timeoutMs(), answer, &why)) {
    case Outcome::Answered:
        if (answer.kind == wire::Kind::Ack)
            return;
        raise(answer.number > 0 && answer.number < 65536 ? answer.number : int(vb::ErrDdeRefused), answer.text);
    case Outcome::TimedOut:
        raise(vb::ErrDdeTimeout, QStringLiteral("%1 did not answer the execute in time").arg(channel_->application));
    case Outcome::Lost: lost(why);
    }
}

void LinkBox::LinkRequest()
{
    if (mode_ != 2 || !channel_)
        raise(ErrNoChannel, QStringLiteral("LinkMode is 0"));
    if (item_.toUtf8().size() > MaxTextBytes)
        raise(vb::ErrInvalidCall, QStringLiteral("the item name is too long"));
    wire::Frame answer;
    QString why;
    switch (channel_->call(wire::Kind::Request, item_, timeoutMs(), answer, &why)) {
    case Outcome::Answered:
        if (answer.kind == wire::Kind::Ack) {
            setText(answer.text);
            return;
        }
        raise(answer.number > 0 && answer.number < 65536 ? answer.number : int(vb::ErrDdeRefused), answer.text);
    case Outcome::TimedOut:
        raise(vb::ErrDdeTimeout,
              QStringLiteral("%1 did not answer the request for %2 in time").arg(channel_->application, item_));
    case Outcome::Lost: lost(why);
    }
}

void openWhenServed(LinkBox &box, int waitMs, const std::function<void()> &between)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        try {
            box.setLinkMode(2);
            return;
        } catch (const vb::RuntimeError &e) {
            if (e.number() != vb::ErrDdeNoResponse || deadline.hasExpired())
                throw;
        }
        between();
    }
}

} // namespace suite_link
