// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/platform/link/LinkTestSupport.h"

#include "platform/link/link.h"
#include "platform/vb/vb.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

namespace linktest {

QString usePrivateLinkFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.path() + QStringLiteral("/sockets");
        qputenv("SUITE_LINK_DIR", p.toLocal8Bit());
        return p;
    }();
    return path;
}

QString program(const QString &name) { return QStringLiteral(SUITE_BIN_DIR "/") + name; }

Program::~Program() { kill(); }

void Program::start(const QString &name, const QStringList &args)
{
    process_ = std::make_unique<QProcess>();
    process_->start(program(name), args);
    process_->waitForStarted(10000);
}

QString Program::startAndWaitLine(const QString &name, const QStringList &args, int ms)
{
    start(name, args);
    const QDeadlineTimer deadline(ms);
    while (!process_->canReadLine() && process_->state() == QProcess::Running && !deadline.hasExpired())
        process_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    if (process_->canReadLine())
        return QString::fromUtf8(process_->readLine()).trimmed();
    seen_ += process_->readAll();
    return QString();
}

bool Program::waitFinished(int ms)
{
    return !process_ || process_->state() == QProcess::NotRunning || process_->waitForFinished(ms);
}

void Program::kill()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

qint64 Program::pid() const { return process_ ? process_->processId() : 0; }
int Program::exitCode() const { return process_ ? process_->exitCode() : -1; }
QProcess::ExitStatus Program::exitStatus() const { return process_ ? process_->exitStatus() : QProcess::CrashExit; }

QString Program::allOutput()
{
    if (!process_)
        return QString();
    seen_ += process_->readAllStandardOutput();
    seen_ += process_->readAllStandardError();
    return QString::fromUtf8(seen_);
}

Run run(const QString &name, const QStringList &args, int ms)
{
    QProcess p;
    p.start(program(name), args);
    Run r;
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished(5000);
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r.code = p.exitCode();
    }
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool waitForServer(const QString &appTopic, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        suite_link::PlainLinkBox box;
        box.setLinkTopic(appTopic);
        try {
            box.setLinkMode(2);
            return true;
        } catch (const vb::RuntimeError &) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(20);
        }
    }
}

} // namespace linktest
