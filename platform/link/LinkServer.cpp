// SPDX-License-Identifier: GPL-2.0-or-later
// The serving side of Link conversations: one local socket per program, one conversation per
// connected client, each bound to a topic handler once its Initiate frame was accepted.
#include "platform/link/link.h"
#include "platform/link/pump.h"
#include "platform/link/wire.h"
#include "platform/vb/vb.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcLink, "suite.link")

namespace suite_link {

namespace {

constexpr int MaxConversations = 128;                  // open conversations per server
constexpr int MaxSockets = 256;                        // connected sockets, open or not yet
constexpr int InitiateWithinMs = 10000;                // a client that connects must initiate by then
constexpr qint64 MaxPendingWrite = 8LL * MaxTextBytes; // answers a client leaves unread

// Holds the right to serve one application name for the life of the server. On Unix an
// exclusive flock() on a file beside the socket: the kernel drops it when the process ends,
// however it ends, so a killed server never blocks the next one.
class NameLock
{
public:
    explicit NameLock(const QString &path) : path_(path) {}
    ~NameLock() { release(); }
    NameLock(const NameLock &) = delete;
    NameLock &operator=(const NameLock &) = delete;

    bool acquire(QString *why)
    {
#ifdef Q_OS_UNIX
        const QByteArray native = QFile::encodeName(path_);
        fd_ = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            *why = QStringLiteral("cannot open %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            char buf[32] = {};
            const ssize_t n = ::pread(fd_, buf, sizeof buf - 1, 0);
            const QByteArray holder = n > 0 ? QByteArray(buf, int(n)).trimmed() : QByteArray("?");
            ::close(fd_);
            fd_ = -1;
            *why = err == EWOULDBLOCK ? QStringLiteral("already served by process %1").arg(QString::fromLatin1(holder))
                                      : QString::fromLocal8Bit(std::strerror(err));
            return false;
        }
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, pid.constData(), size_t(pid.size()), 0) < 0) {
            // The pid is only for the message a second server prints; the lock holds without it.
        }
        return true;
#else
        lock_ = std::make_unique<QLockFile>(path_);
        lock_->setStaleLockTime(0);
        if (lock_->tryLock(0))
            return true;
        qint64 pid = 0;
        QString host, app;
        lock_->getLockInfo(&pid, &host, &app);
        *why = QStringLiteral("already served by process %1").arg(pid);
        lock_.reset();
        return false;
#endif
    }

    void release()
    {
#ifdef Q_OS_UNIX
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
#else
        lock_.reset();
#endif
    }

private:
    QString path_;
#ifdef Q_OS_UNIX
    int fd_ = -1;
#else
    std::unique_ptr<QLockFile> lock_;
#endif
};

template <class F, class R>
R guarded(F &&f, R onException, QString *why)
{
    try {
        return f();
    } catch (const std::exception &e) {
        *why = QString::fromUtf8(e.what());
    } catch (...) {
        *why = QStringLiteral("the handler failed");
    }
    return onException;
}

} // namespace

struct Conversation
{
    int id = 0;
    QLocalSocket *socket = nullptr;
    QByteArray in;
    QString topicKey;
    bool initiated = false; // an Initiate frame has been seen
    bool open = false;      // ... and accepted: linkClose is due when it ends
    bool busy = false;      // a frame of it is being handled
    bool ending = false;    // to be ended as soon as it is not busy
};

struct LinkServer::Private
{
    LinkServer *q = nullptr;
    QString application;
    QString error;
    QLocalServer *server = nullptr;
    std::unique_ptr<NameLock> nameLock;
    std::map<QString, TopicHandler *> topics; // keys case-folded
    std::map<int, std::unique_ptr<Conversation>> conversations;
    int nextId = 1;
    std::shared_ptr<int> life = std::make_shared<int>(0);

    ~Private();
    Conversation *find(int id);
    int openCount() const;
    void accept();
    void readable(int id);
    void process(int id);
    void handle(Conversation &c, const wire::Frame &f);
    void reply(Conversation &c, const QByteArray &bytes);
    void refuse(Conversation &c, quint32 seq, int number, const QString &reason);
    void end(int id);
    void stopListening();

    // For the wait of a blocking client call in this process.
    struct Target
    {
        Private *server;
        int conversation;
    }; // conversation 0: the listening socket
#ifdef Q_OS_UNIX
    void collect(std::vector<pollfd> &fds, std::vector<Target> &targets);
#endif
    void service(int conversation, bool writable);
};

namespace {

// The listening servers of this process, for the wait of blocking client calls. Link objects
// belong to the thread that made them, the program's one thread.
std::vector<LinkServer::Private *> &registry()
{
    static std::vector<LinkServer::Private *> servers;
    return servers;
}

bool registered(LinkServer::Private *p)
{
    const auto &r = registry();
    return std::find(r.begin(), r.end(), p) != r.end();
}

} // namespace

LinkServer::Private::~Private()
{
    for (auto &[id, c] : conversations) {
        QObject::disconnect(c->socket, nullptr, q, nullptr);
        c->socket->abort();
        delete c->socket;
    }
    conversations.clear();
    stopListening();
}

void LinkServer::Private::stopListening()
{
    auto &r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    if (server) {
        server->close();
        delete server;
        server = nullptr;
    }
    nameLock.reset();
}

Conversation *LinkServer::Private::find(int id)
{
    const auto it = conversations.find(id);
    return it == conversations.end() ? nullptr : it->second.get();
}

int LinkServer::Private::openCount() const
{
    return int(std::count_if(conversations.begin(), conversations.end(), [](const auto &e) { return e.second->open; }));
}

void LinkServer::Private::accept()
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        // At the limit, the connection that has waited longest without opening a conversation
        // makes room: idle connections can never lock out a client that opens one at once.
        if (conversations.size() >= size_t(MaxSockets)) {
            const auto idle = std::find_if(conversations.begin(), conversations.end(),
                                           [](const auto &e) { return !e.second->initiated && !e.second->busy; });
            if (idle == conversations.end()) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            qCInfo(lcLink) << application << "ends an idle connection to make room";
            end(idle->first);
        }
        auto c = std::make_unique<Conversation>();
        const int id = nextId++;
        c->id = id;
        c->socket = socket;
        conversations.emplace(id, std::move(c));
        QObject::connect(socket, &QLocalSocket::readyRead, q, [this, id] { readable(id); });
        QObject::connect(socket, &QLocalSocket::disconnected, q, [this, id] { end(id); });
        QObject::connect(socket, &QLocalSocket::errorOccurred, q, [this, id](QLocalSocket::LocalSocketError e) {
            if (e != QLocalSocket::SocketTimeoutError) // a zero wait that found nothing is no fault
                end(id);
        });
        QTimer::singleShot(InitiateWithinMs, socket, [this, id] {
            if (Conversation *late = find(id); late && !late->initiated) {
                qCInfo(lcLink) << application << "ends a connection that did not initiate in time";
                end(id);
            }
        });
        if (socket->bytesAvailable() > 0)
            readable(id);
    }
}

void LinkServer::Private::readable(int id)
{
    Conversation *c = find(id);
    if (!c || c->busy)
        return; // a busy conversation takes its input when its current frame is done
    c->in += c->socket->readAll();
    process(id);
}

void LinkServer::Private::process(int id)
{
    const std::weak_ptr<int> alive = life;
    for (;;) {
        Conversation *c = find(id);
        if (!c)
            return;
        if (c->ending) {
            end(id);
            return;
        }
        wire::Frame f;
        QString why;
        const wire::Take t = wire::take(c->in, true, f, &why);
        if (t == wire::Take::Incomplete)
            return;
        if (t == wire::Take::Malformed) {
            qCWarning(lcLink).noquote() << application << "ends a conversation:" << why;
            end(id);
            return;
        }
        c->busy = true;
        handle(*c, f);
        // A handler may not delete the server (deleteLater() is the way), but it may remove
        // topics, end conversations or run client calls of its own.
        if (alive.expired())
            return;
        c->busy = false;
        if (c->socket->bytesToWrite() > MaxPendingWrite)
            c->ending = true;
        if (!c->ending)
            c->in += c->socket->readAll();
    }
}

void LinkServer::Private::reply(Conversation &c, const QByteArray &bytes)
{
    c.socket->write(bytes);
    c.socket->flush();
}

void LinkServer::Private::refuse(Conversation &c, quint32 seq, int number, const QString &reason)
{
    reply(c, wire::encodeNack(seq, number, reason));
}

void LinkServer::Private::handle(Conversation &c, const wire::Frame &f)
{
    using wire::Kind;
    QString why;
    switch (f.kind) {
    case Kind::Initiate: {
        if (c.initiated) {
            qCWarning(lcLink).noquote() << application << "ends a conversation: a second Initiate";
            c.ending = true;
            return;
        }
        c.initiated = true;
        const QString key = f.text.toCaseFolded();
        const auto it = topics.find(key);
        if (it == topics.end()) {
            refuse(c, f.seq, vb::ErrDdeNoResponse, QStringLiteral("%1 has no topic %2").arg(application, f.text));
            c.ending = true;
            return;
        }
        TopicHandler *handler = it->second;
        if (openCount() >= MaxConversations) {
            // Refused before it exists: no error of the topic's conversations.
            refuse(c, f.seq, vb::ErrDdeNoResponse,
                   QStringLiteral("%1 already holds %2 conversations").arg(application).arg(MaxConversations));
            c.ending = true;
            return;
        }
        const bool cancel = guarded([&] { return handler->linkOpen(); }, true, &why);
        if (cancel) {
            refuse(c, f.seq, vb::ErrDdeNoResponse,
                   why.isEmpty() ? QStringLiteral("%1 refused the conversation on topic %2").arg(application, f.text)
                                 : why);
            c.ending = true;
            return;
        }
        c.open = true;
        c.topicKey = key;
        reply(c, wire::encode(Kind::Ack, f.seq));
        return;
    }
    case Kind::Execute:
    case Kind::Request: {
        if (!c.open) {
            qCWarning(lcLink).noquote() << application << "ends a conversation: a call before Initiate";
            c.ending = true;
            return;
        }
        const auto it = topics.find(c.topicKey);
        if (it == topics.end()) {
            c.ending = true; // the topic was removed
            return;
        }
        TopicHandler *handler = it->second;
        if (f.kind == Kind::Execute) {
            const bool cancel = guarded([&] { return handler->linkExecute(f.text); }, true, &why);
            if (cancel)
                refuse(c, f.seq, vb::ErrDdeRefused,
                       why.isEmpty() ? QStringLiteral("%1 refused the command").arg(application) : why);
            else
                reply(c, wire::encode(Kind::Ack, f.seq));
            return;
        }
        const std::optional<QString> value =
            guarded([&] { return handler->linkItem(f.text); }, std::optional<QString>(), &why);
        if (!value) {
            refuse(c, f.seq, vb::ErrDdeRefused,
                   why.isEmpty() ? QStringLiteral("%1 has no item %2").arg(application, f.text) : why);
            return;
        }
        const QByteArray answer = wire::encode(Kind::Ack, f.seq, *value);
        if (answer.isEmpty())
            refuse(c, f.seq, vb::ErrDdeRefused,
                   QStringLiteral("the text of item %1 is longer than a Link answer may be").arg(f.text));
        else
            reply(c, answer);
        return;
    }
    case Kind::Terminate: c.ending = true; return;
    case Kind::Ack:
    case Kind::Nack: break; // wire::take lets no answer kind through from a client
    }
    c.ending = true;
}

void LinkServer::Private::end(int id)
{
    const auto it = conversations.find(id);
    if (it == conversations.end())
        return;
    if (it->second->busy) {
        it->second->ending = true;
        return;
    }
    std::unique_ptr<Conversation> c = std::move(it->second);
    conversations.erase(it);
    QObject::disconnect(c->socket, nullptr, q, nullptr);
    c->socket->flush();
    c->socket->abort();
    c->socket->deleteLater();
    if (c->open) {
        const auto handler = topics.find(c->topicKey);
        QString why;
        if (handler != topics.end())
            guarded(
                [&] {
                    handler->second->linkClose();
                    return 0;
                },
                0, &why);
    }
}

#ifdef Q_OS_UNIX
void LinkServer::Private::collect(std::vector<pollfd> &fds, std::vector<Target> &targets)
{
    if (!server)
        return;
    fds.push_back({int(server->socketDescriptor()), POLLIN, 0});
    targets.push_back({this, 0});
    for (const auto &[id, c] : conversations) {
        if (c->busy || c->ending)
            continue; // its frame is still being handled further up the stack
        const short events = short(POLLIN | (c->socket->bytesToWrite() > 0 ? POLLOUT : 0));
        fds.push_back({int(c->socket->socketDescriptor()), events, 0});
        targets.push_back({this, id});
    }
}
#endif

void LinkServer::Private::service(int conversation, bool writable)
{
    if (conversation == 0) {
        if (server)
            server->waitForNewConnection(0); // emits newConnection, which accepts
        return;
    }
    Conversation *c = find(conversation);
    if (!c || c->busy)
        return;
    if (writable)
        c->socket->flush();
    else if (c->socket->bytesAvailable() > 0)
        readable(conversation);
    else
        c->socket->waitForReadyRead(0); // reads and emits readyRead, or notices the end
}

void detail::waitForClient(QLocalSocket &client, const QDeadlineTimer &deadline)
{
    auto remainingMs = [&deadline] { return int(std::clamp<qint64>(deadline.remainingTime(), 0, INT_MAX)); };
    if (registry().empty()) {
        client.waitForReadyRead(remainingMs());
        return;
    }
#ifdef Q_OS_UNIX
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<LinkServer::Private::Target> targets;
        fds.push_back({int(client.socketDescriptor()), short(POLLIN | (client.bytesToWrite() > 0 ? POLLOUT : 0)), 0});
        for (LinkServer::Private *s : registry())
            s->collect(fds, targets);
        const int n = ::poll(fds.data(), nfds_t(fds.size()), remainingMs());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        if (fds[0].revents & POLLOUT)
            client.flush();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            client.waitForReadyRead(0);
            return;
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            const short ev = fds[i].revents;
            if (ev == 0)
                continue;
            const auto &t = targets[i - 1];
            if (!registered(t.server)) // a handler further up may have stopped it
                continue;
            const bool onlyWritable = (ev & POLLOUT) && !(ev & (POLLIN | POLLHUP | POLLERR));
            t.server->service(t.conversation, onlyWritable);
        }
        if (deadline.hasExpired())
            return;
    }
#else
    // Without poll(): wait on the client in short slices and serve the servers in between.
    for (;;) {
        if (client.waitForReadyRead(std::min(remainingMs(), 5)) || client.state() != QLocalSocket::ConnectedState)
            return;
        const std::vector<LinkServer::Private *> servers = registry();
        for (LinkServer::Private *s : servers) {
            if (!registered(s))
                continue;
            s->service(0, false);
            std::vector<int> ids;
            for (const auto &[id, c] : s->conversations)
                ids.push_back(id);
            for (int id : ids)
                if (registered(s))
                    s->service(id, false);
        }
        if (deadline.hasExpired())
            return;
    }
#endif
}

LinkServer::LinkServer(const QString &application, QObject *parent) : QObject(parent), d_(std::make_unique<Private>())
{
    d_->q = this;
    d_->application = application.isEmpty() ? defaultApplication() : application;
}

LinkServer::~LinkServer() = default;

QString LinkServer::defaultApplication()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool LinkServer::listen()
{
    if (d_->server)
        return true;
    d_->error.clear();
    if (d_->application.isEmpty()) {
        d_->error = QStringLiteral("a Link server needs an application name");
        return false;
    }
    QString why;
    if (!prepareSocketFolder(&why)) {
        d_->error = why;
        return false;
    }
    const QString path = socketPath(d_->application);
    auto lock = std::make_unique<NameLock>(path + QStringLiteral(".lock"));
    if (!lock->acquire(&why)) {
        d_->error = QStringLiteral("application %1 is %2; the first server keeps the name").arg(d_->application, why);
        return false;
    }
    // Holding the name, any socket file left at the path is a dead server's.
    QLocalServer::removeServer(path);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        d_->error =
            QStringLiteral("cannot serve application %1 at %2: %3").arg(d_->application, path, server->errorString());
        delete server;
        return false;
    }
    d_->nameLock = std::move(lock);
    d_->server = server;
    connect(server, &QLocalServer::newConnection, this, [this] { d_->accept(); });
    registry().push_back(d_.get());
    return true;
}

QString LinkServer::errorString() const { return d_->error; }

void LinkServer::addTopic(const QString &topic, TopicHandler *handler)
{
    if (!handler) {
        removeTopic(topic);
        return;
    }
    d_->topics[topic.toCaseFolded()] = handler;
}

void LinkServer::removeTopic(const QString &topic)
{
    const QString key = topic.toCaseFolded();
    if (d_->topics.erase(key) == 0)
        return;
    std::vector<int> ids;
    for (const auto &[id, c] : d_->conversations) {
        if (c->open && c->topicKey == key) {
            c->open = false; // its handler is going: no linkClose
            ids.push_back(id);
        }
    }
    for (int id : ids)
        d_->end(id);
}

QString LinkServer::application() const { return d_->application; }
bool LinkServer::isListening() const { return d_->server != nullptr; }
int LinkServer::conversationCount() const { return d_->openCount(); }

} // namespace suite_link
