// SPDX-License-Identifier: GPL-2.0-or-later
// Round trips per second between two processes: Link executes and requests, next to a bare
// local-socket ping-pong of the same sizes measured in the same run.
//
//   link_bench [--seconds S]     runs everything and prints a table
//   link_bench --serve PATH      (the child it starts: the Link server and the bare echo server)
//
// Bare ping-pong: the client sends a 4-byte length and N bytes; the server sends them back.
// Link execute: a command of N bytes, answered by an acknowledgement. Link request: an item
// name, answered by a text of N bytes. The client blocks on its socket in all three.
#include "platform/link/link.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <map>

namespace {

const QList<int> Sizes{16, 256, 4096, 65536};

class BenchTopic : public suite_link::TopicHandler
{
public:
    bool linkExecute(const QString &) override { return false; }
    std::optional<QString> linkItem(const QString &item) override
    {
        const int n = item.toInt();
        auto it = texts_.find(n);
        if (it == texts_.end())
            it = texts_.emplace(n, QString(n, QLatin1Char('r'))).first;
        return it->second;
    }

private:
    std::map<int, QString> texts_;
};

// The echo server of the bare ping-pong.
void serveBare(QLocalServer &server)
{
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&server] {
        QLocalSocket *s = server.nextPendingConnection();
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(s, &QLocalSocket::readyRead, s, [s, buffer] {
            *buffer += s->readAll();
            while (buffer->size() >= 4) {
                const quint32 n = qFromBigEndian<quint32>(buffer->constData());
                if (buffer->size() < qsizetype(4 + n))
                    break;
                s->write(buffer->constData(), 4 + n);
                buffer->remove(0, 4 + n);
            }
            s->flush();
        });
        QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    });
}

int serve(const QString &barePath)
{
    suite_link::LinkServer server(QStringLiteral("BENCH"));
    BenchTopic topic;
    server.addTopic(QStringLiteral("B"), &topic);
    QLocalServer bare;
    QLocalServer::removeServer(barePath);
    if (!server.listen() || !bare.listen(barePath)) {
        std::fprintf(stderr, "link_bench: cannot listen: %s %s\n", qPrintable(server.errorString()),
                     qPrintable(bare.errorString()));
        return 1;
    }
    serveBare(bare);
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// Counts round trips over a time slice; the figures of one size are taken in alternating slices,
// so that a change in the machine's load touches them alike.
struct Meter
{
    qint64 trips = 0;
    qint64 nanos = 0;
    double perSecond() const { return nanos ? double(trips) / (double(nanos) / 1e9) : 0.0; }

    template <class F>
    void slice(double seconds, F &&roundTrip)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.nsecsElapsed() < qint64(seconds * 1e9)) {
            for (int i = 0; i < 20; ++i)
                roundTrip();
            trips += 20;
        }
        nanos += clock.nsecsElapsed();
    }
};

// The client end of the bare ping-pong.
class BareClient
{
public:
    bool connect(const QString &path)
    {
        socket_.connectToServer(path);
        return socket_.waitForConnected(5000);
    }
    void setSize(int size)
    {
        message_ = QByteArray(4 + size, 'b');
        qToBigEndian<quint32>(quint32(size), message_.data());
    }
    void roundTrip()
    {
        socket_.write(message_);
        socket_.flush();
        in_.clear();
        while (in_.size() < message_.size()) {
            if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(5000))
                qFatal("bare echo stopped");
            in_ += socket_.readAll();
        }
    }

private:
    QLocalSocket socket_;
    QByteArray message_, in_;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--serve"))
        return serve(args[2]);
    double seconds = 1.0;
    if (args.size() == 3 && args[1] == QLatin1String("--seconds"))
        seconds = args[2].toDouble();
    else if (args.size() != 1) {
        std::fprintf(stderr, "usage: link_bench [--seconds S]\n");
        return 2;
    }

    QTemporaryDir dir;
    qputenv("SUITE_LINK_DIR", (dir.path() + QStringLiteral("/sockets")).toLocal8Bit());
    const QString barePath = dir.path() + QStringLiteral("/bare");
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), barePath});
    if (!child.waitForReadyRead(10000) || !child.readLine().startsWith("ready")) {
        std::fprintf(stderr, "link_bench: the server did not start\n");
        return 1;
    }

    suite_link::PlainLinkBox box;
    box.setLinkTopic(QStringLiteral("BENCH|B"));
    box.setLinkMode(2);

    BareClient bare;
    if (!bare.connect(barePath)) {
        std::fprintf(stderr, "link_bench: cannot reach the echo server\n");
        return 1;
    }
    constexpr int Slices = 20;
    std::printf("round trips per second between two processes (%.1f s per figure, in %d alternating slices)\n", seconds,
                Slices);
    std::printf("%8s %12s %12s %7s %12s %7s\n", "bytes", "bare", "execute", "ratio", "request", "ratio");
    for (int size : Sizes) {
        const QString command(size, QLatin1Char('e'));
        bare.setSize(size);
        box.setLinkItem(QString::number(size));
        Meter b, e, r;
        for (int i = 0; i < 200; ++i) { // warm up
            bare.roundTrip();
            box.LinkExecute(command);
            box.LinkRequest();
        }
        for (int i = 0; i < Slices; ++i) {
            b.slice(seconds / Slices, [&] { bare.roundTrip(); });
            e.slice(seconds / Slices, [&] { box.LinkExecute(command); });
            r.slice(seconds / Slices, [&] { box.LinkRequest(); });
        }
        if (box.text().size() != size)
            qFatal("wrong answer size");
        std::printf("%8d %12.0f %12.0f %7.2f %12.0f %7.2f\n", size, b.perSecond(), e.perSecond(),
                    e.perSecond() / b.perSecond(), r.perSecond(), r.perSecond() / b.perSecond());
    }
    box.setLinkMode(0);
    child.kill();
    child.waitForFinished();
    return 0;
}
