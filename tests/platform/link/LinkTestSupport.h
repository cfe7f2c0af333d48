// SPDX-License-Identifier: GPL-2.0-or-later
// Helpers for tests that cross processes over Link: a private socket folder per test binary and
// started programs that are always ended.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace linktest {

// Points SUITE_LINK_DIR at a folder of this test binary's own, so that parallel runs and the
// user's own programs never meet. Children started afterwards inherit it.
QString usePrivateLinkFolder();

// Full path of a program built by the suite.
QString program(const QString &name);

// A started program, killed in the destructor when it still runs.
class Program
{
public:
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Starts it and waits for a first line on standard output; returns that line (empty when the
    // program ended or said nothing within the time).
    QString startAndWaitLine(const QString &name, const QStringList &args, int ms = 10000);
    void start(const QString &name, const QStringList &args);
    bool waitFinished(int ms = 10000);
    void kill();
    qint64 pid() const;
    int exitCode() const;
    QProcess::ExitStatus exitStatus() const;
    QString allOutput(); // standard output and error so far
    QProcess &process() { return *process_; }

private:
    std::unique_ptr<QProcess> process_;
    QByteArray seen_;
};

// Runs a program to its end; returns its exit code (-1 when it crashed or did not end).
struct Run
{
    int code = -1;
    QString out, err;
};
Run run(const QString &name, const QStringList &args, int ms = 20000);

// Waits until a link conversation with app|topic can be opened, up to ms.
bool waitForServer(const QString &appTopic, int ms = 10000);

} // namespace linktest
