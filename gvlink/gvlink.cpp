// SPDX-License-Identifier: GPL-2.0-or-later
#include "gvlink/gvlink.h"

#include "platform/vb/vb.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace gvlink {

namespace {

constexpr int PollPauseMs = 10;

const QString Ok = QStringLiteral("OK");
const QString Ng = QStringLiteral("NG");

std::function<void()> &pump()
{
    static std::function<void()> p;
    return p;
}

void processEvents()
{
    if (pump())
        pump()();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// Lets a little time pass with events processed, so that a GV that answers "not ready" at once
// is not asked thousands of times a second.
void pause()
{
    if (!QCoreApplication::instance()) {
        QThread::msleep(PollPauseMs);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(PollPauseMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// One poll: true when the request was answered, false when it timed out.
bool poll(suite_link::LinkBox &box)
{
    try {
        box.LinkRequest();
        return true;
    } catch (const vb::RuntimeError &e) {
        if (e.number() != vb::ErrDdeTimeout)
            throw;
        return false;
    }
}

Result execute(suite_link::LinkBox &box, const QString &command)
{
    try {
        box.LinkExecute(command);
    } catch (const vb::RuntimeError &e) {
        if (e.number() != vb::ErrDdeTimeout)
            return {Result::Failed, e.number(), e.description()};
    }
    return {Result::Sent, 0, QString()};
}

Result notReady(int boundMs)
{
    return {Result::NotReady, vb::ErrDdeTimeout, QStringLiteral("GV was not ready within %1 ms").arg(boundMs)};
}

} // namespace

QString fileOpenBare(const QString &path) { return QStringLiteral("[FileOpen(") + path + QStringLiteral(")]"); }
QString fileOpenQuoted(const QString &path) { return QStringLiteral("[FileOpen(\"") + path + QStringLiteral("\")]"); }
QString zoomRate(int percent) { return QStringLiteral("ZoomRate(%1)").arg(percent); }
QString clipCopyViewImage() { return QStringLiteral("[ClipCopyViewImage()]"); }
QString fileSaveEx(const QString &path)
{
    return QStringLiteral("[FileSaveEx(\"") + path + QStringLiteral("\",ON,ON)]");
}
QString quantize() { return QStringLiteral("Quantize(ON,256,3,ON)"); }
QString maxDispBlack() { return QStringLiteral("[MaxDisp(ON,ON,Black)]"); }
QString kestoSetup() { return QStringLiteral("[DispMsg(OFF)][ShowGV(OFF)][AutoOpenDocument(OFF)]"); }
QString iconShow() { return QStringLiteral("[IconGV(ON)][ShowGV(ON)]"); }
QString exitGV() { return QStringLiteral("ExitGV()"); }

void setEventPump(std::function<void()> p) { pump() = std::move(p); }

void linkToGV(suite_link::LinkBox &box, int openWaitMs)
{
    box.setLinkTopic(topic());
    box.setLinkItem(item());
    suite_link::openWhenServed(box, openWaitMs, [] {
        processEvents();
        pause();
    });
}

bool waitReadyTavlo(suite_link::LinkBox &box, int boundMs)
{
    const QDeadlineTimer deadline(boundMs);
    box.setText(QString());
    for (;;) {
        const bool answered = poll(box);
        processEvents();
        if (box.text() == Ok || box.text() == Ng)
            return true;
        if (deadline.hasExpired())
            return false;
        if (answered)
            pause();
    }
}

bool waitReadyKesto(suite_link::LinkBox &box, int boundMs, QString *answer)
{
    const QDeadlineTimer deadline(boundMs);
    while (box.text() != Ok) {
        const bool answered = poll(box);
        processEvents();
        if (box.text() == Ng)
            break;
        if (box.text() == Ok)
            continue;
        if (deadline.hasExpired())
            return false;
        if (answered)
            pause();
    }
    if (answer)
        *answer = box.text();
    box.setText(QString());
    return true;
}

Result sendTavlo(suite_link::LinkBox &box, const QString &command, int boundMs)
{
    try {
        if (!waitReadyTavlo(box, boundMs))
            return notReady(boundMs);
    } catch (const vb::RuntimeError &e) {
        return {Result::Failed, e.number(), e.description()};
    }
    return execute(box, command);
}

Result sendKesto(suite_link::LinkBox &box, const QString &command, int boundMs)
{
    QString answer;
    try {
        if (!waitReadyKesto(box, boundMs, &answer))
            return notReady(boundMs);
    } catch (const vb::RuntimeError &e) {
        return {Result::Failed, e.number(), e.description()};
    }
    Result r = command.isEmpty() ? Result{Result::Sent, 0, QString()} : execute(box, command);
    r.answer = answer;
    return r;
}

Result sendDirect(suite_link::LinkBox &box, const QString &command) { return execute(box, command); }

} // namespace gvlink
