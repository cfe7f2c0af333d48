// SPDX-License-Identifier: GPL-2.0-or-later
// Link conversations between processes: a window of one program serves an application name and
// a topic, a text box of another program holds a conversation with it, executes command texts on
// it and requests the text of its items. The conversations run over local sockets in a per-user
// folder (see wire.h for the frames).
//
// Rules that callers may rely on:
// - Application names and topics are compared without regard to case.
// - One process serves an application name at a time: the first server keeps it, a second
//   listen() on the same name fails with a message saying so. A server that was killed leaves
//   nothing that stops the next one.
// - A client call blocks until the answer or the link timeout. While it waits, it serves the
//   Link servers of its own process (and nothing else), so a program that serves one topic and
//   is a client of another never blocks its own server, not even when both ends are in the same
//   process or when two programs call each other.
// - Failures raise vb::RuntimeError: 282 when opening a conversation finds nothing that answers
//   (no server, unknown topic, refused, no answer in time), 285 when the server refuses an execute
//   or has no such item, 286 when an execute or request is not answered within LinkTimeout,
//   291 when the server has gone (the box's LinkMode is then 0), 293 for a call without an open
//   conversation, 294 for a LinkTopic that is not "APP|TOPIC", 380 for a bad property value and
//   5 for a text longer than a frame can carry.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The layer's namespace is suite_link, not link: a namespace named link at file scope collides
// with the POSIX function link() from <unistd.h>, which GoogleTest and many system headers include.
namespace suite_link {

// Error numbers that vb.h does not name.
enum : int {
    ErrForeignQuit = 291, // the server ended the conversation or quit
    ErrNoChannel = 293,   // a call on a box whose conversation is not open
};

// Longest text, in UTF-8 bytes, that one execute, item name, topic or answer may carry.
constexpr int MaxTextBytes = 1 << 20;

// The per-user folder that holds the sockets: $SUITE_LINK_DIR when set, else
// $XDG_RUNTIME_DIR/tavlo-link, else <temp>/tavlo-link-<uid>. Created with mode 0700 on first use.
QString socketFolder();
// Creates the folder when missing and checks that only this user can enter it (owned by the
// user, no access for group or others, not a symbolic link). The suite's own folder (a default
// name, or one it has just created) that others may read is closed to them; a folder that
// $SUITE_LINK_DIR names and that existed already is never changed: others may not enter it.
// One that others may write to, or that belongs to someone else, is refused. False with a
// message in *error when it cannot be used.
bool prepareSocketFolder(QString *error = nullptr);
// Full path of the socket that serves an application name.
QString socketPath(const QString &application);

// Implemented by a window that is a Link source.
class TopicHandler
{
public:
    virtual ~TopicHandler() = default;
    virtual bool linkOpen() { return false; }             // return true to cancel (refuse) the conversation
    virtual bool linkExecute(const QString &command) = 0; // return true to cancel (refuse) the command
    // A Link error of this topic's conversations. A conversation that the server turns away
    // before it exists (the server already holds the most it takes, 128) is none: the client
    // is refused and the topic hears nothing of it.
    virtual void linkError(int number) { (void)number; }
    // A conversation on this topic ended: the client closed it, went away or sent a frame that
    // could not be read.
    virtual void linkClose() {}
    virtual std::optional<QString> linkItem(const QString &item) = 0; // nullopt = no such item
};

// The Link server of one program. Answers from the event loop, and from inside the program's own
// blocking client calls. Handlers stay owned by the caller and must outlive their topic:
// removeTopic() (which ends that topic's conversations without calling linkClose) before
// destroying one. An exception thrown by a handler refuses that execute or request.
class LinkServer : public QObject
{
    Q_OBJECT

public:
    // An empty application name stands for the program file's base name.
    explicit LinkServer(const QString &application, QObject *parent = nullptr);
    ~LinkServer() override;

    bool listen(); // false when the name is taken (errorString says why)
    QString errorString() const;
    void addTopic(const QString &topic, TopicHandler *handler);
    void removeTopic(const QString &topic);

    QString application() const;
    bool isListening() const;
    int conversationCount() const; // conversations that have been opened and not ended

    // The program file's base name, the default application name.
    static QString defaultApplication();

    struct Private;

private:
    std::unique_ptr<Private> d_;
};

// The Link behaviour of a client text box, without any widget.
class LinkBox
{
public:
    LinkBox();
    virtual ~LinkBox();
    LinkBox(const LinkBox &) = delete;
    LinkBox &operator=(const LinkBox &) = delete;

    virtual QString text() const = 0;
    virtual void setText(const QString &) = 0;

    // "APP|TOPIC". Changing it while a conversation is open ends that conversation (LinkMode 0).
    QString LinkTopic() const;
    void setLinkTopic(const QString &topic);
    QString LinkItem() const;
    void setLinkItem(const QString &item);
    // Tenths of a second, default 50; -1 waits as long as possible (65535 tenths); 0 to 65535.
    int LinkTimeout() const;
    void setLinkTimeout(int tenths);
    // 2 opens the conversation on LinkTopic (raises 282 when nothing answers; nothing happens when
    // it is open already), 0 closes it. Other modes raise 380. The mode falls to 0 when a call
    // finds that the server has gone.
    int LinkMode() const;
    void setLinkMode(int mode);
    void LinkExecute(const QString &command);
    // Asks for LinkItem; the answer becomes text().
    void LinkRequest();

private:
    struct Channel;
    void closeChannel();
    [[noreturn]] void lost(const QString &what);
    int timeoutMs() const;

    QString topic_;
    QString item_;
    int timeoutTenths_ = 50;
    int mode_ = 0;
    std::unique_ptr<Channel> channel_;
};

// A link box whose text is kept in a string: for command-line clients and tests.
class PlainLinkBox : public LinkBox
{
public:
    explicit PlainLinkBox(const QString &text = QString()) : text_(text) {}
    QString text() const override { return text_; }
    void setText(const QString &text) override { text_ = text; }

private:
    QString text_;
};

// Opens the box's conversation on its LinkTopic (LinkMode 2) with a server that may still be
// starting: while nothing answers (282) and waitMs have not passed since the call, `between` runs
// (to let time pass, or events) and the open is tried again; after that the 282 is raised. Other
// errors are raised at once. A wait of 0 tries once.
void openWhenServed(LinkBox &box, int waitMs, const std::function<void()> &between);

} // namespace suite_link
