// SPDX-License-Identifier: GPL-2.0-or-later
// --help, --version and the platform choice: the rules in process, then every built program
// answering from the command line without a display, and a window program choosing X11 on
// what looks like a Wayland desktop.
#include "platform/startup/startup.h"
#include "tests/support/TempDir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const startup::ProgramInfo Sample = {"sample", "[/x] [FILE]...", "Does nothing.\n"};

// What a write into a fresh temporary stream left there.
template <typename Write>
std::string written(Write write)
{
    std::FILE *f = std::tmpfile();
    EXPECT_TRUE(write(f));
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;)
        text += char(c);
    std::fclose(f);
    return text;
}

// Sets an environment variable for the life of the object, then puts the old value back.
class EnvValue
{
public:
    EnvValue(const char *name, const char *value)
        : name_(name),
          had_(qEnvironmentVariableIsSet(name)),
          old_(qgetenv(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~EnvValue()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

TEST(InfoRequest, OnlyTheExactLongOptionsAsk)
{
    using startup::Request;
    EXPECT_EQ(startup::requestOf("--help"), Request::Help);
    EXPECT_EQ(startup::requestOf("--version"), Request::Version);
    for (const char *other : {"", "-h", "--Help", "--help=1", "--versions", "/?", "help", "--"})
        EXPECT_EQ(startup::requestOf(other), Request::None) << other;
    EXPECT_EQ(startup::requestOf(nullptr), Request::None);
}

TEST(InfoRequest, AnExistingFileOrFolderOfThatNameIsAName)
{
    TempDir dir;
    ChangeDir here(dir.path());
    dir.write("--help", "Sub A()\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir("--version"));
    EXPECT_EQ(startup::requestOf("--help"), startup::Request::None);
    EXPECT_EQ(startup::requestOf("--version"), startup::Request::None);
}

TEST(InfoRequest, OnlyTheFirstArgumentIsLookedAt)
{
    char name[] = "sample", file[] = "a.bas", help[] = "--help";
    char *none[] = {name, nullptr};
    char *later[] = {name, file, help, nullptr};
    EXPECT_FALSE(startup::answerInfoRequest(1, none, Sample));
    EXPECT_FALSE(startup::answerInfoRequest(0, none, Sample));
    EXPECT_FALSE(startup::answerInfoRequest(3, later, Sample));
}

TEST(InfoRequest, HelpAndVersionTexts)
{
    EXPECT_EQ(written([](std::FILE *f) { return startup::writeHelp(f, "/usr/bin/sample", Sample); }),
              "Usage: sample [/x] [FILE]...\n\nDoes nothing.\n");
    const startup::ProgramInfo bare = {"bare", "", "Takes nothing.\n"};
    EXPECT_EQ(written([&](std::FILE *f) { return startup::writeHelp(f, "bare", bare); }),
              "Usage: bare\n\nTakes nothing.\n");
    // The name it was started by, so that an installed link shows its own name.
    EXPECT_EQ(written([](std::FILE *f) { return startup::writeVersion(f, "/usr/bin/tavlo-gv", Sample); }),
              "tavlo-gv (Tavlo suite) " SUITE_VERSION "\n");
    EXPECT_STREQ(startup::shownName(nullptr, Sample), "sample");
    EXPECT_STREQ(startup::shownName("", Sample), "sample");
    EXPECT_STREQ(startup::shownName("odd/", Sample), "sample");
}

TEST(InfoRequest, AnAnswerThatCannotBeWrittenFails)
{
    std::FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(startup::writeHelp(full, "sample", Sample));
    std::fclose(full);
}

TEST(PlatformChoice, X11WhenNothingIsChosenElseTheChoiceStays)
{
    {
        EnvValue unset("QT_QPA_PLATFORM", nullptr);
        startup::chooseX11Platform();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb;wayland");
    }
    {
        EnvValue empty("QT_QPA_PLATFORM", "");
        startup::chooseX11Platform();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb;wayland");
    }
    {
        EnvValue chosen("QT_QPA_PLATFORM", "offscreen");
        startup::chooseX11Platform();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");
    }
}

// --- the built programs ------------------------------------------------------------------

struct Outcome
{
    int status = -1;
    QByteArray out, err;
};

// Runs a built program in a folder, with neither a display nor a platform chosen.
Outcome runProgram(const QString &program, const QStringList &args, const QString &folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "COMSPEC"})
        env.remove(name);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(SUITE_BIN_DIR "/") + program, args);
    Outcome r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        r.err = p.readAllStandardError();
        return r;
    }
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QStringList builtPrograms() { return QString::fromLatin1(SUITE_PROGRAMS).split(QLatin1Char(','), Qt::SkipEmptyParts); }

class Program : public ::testing::TestWithParam<QString>
{};

// No window is opened and nothing is done: a window program that made its application object
// here would end on the missing display, and the folder stays empty.
TEST_P(Program, AnswersHelpAndVersionWithoutADisplay)
{
    const QString program = GetParam();
    TempDir dir;
    const Outcome help = runProgram(program, {"--help"}, dir.path());
    EXPECT_EQ(help.status, 0) << help.err.constData();
    EXPECT_TRUE(help.out.startsWith("Usage: " + program.toLatin1())) << help.out.constData();
    EXPECT_GT(help.out.count('\n'), 3);
    EXPECT_EQ(help.err, "");

    const Outcome version = runProgram(program, {"--version", "ignored"}, dir.path());
    EXPECT_EQ(version.status, 0) << version.err.constData();
    EXPECT_EQ(version.out, program.toLatin1() + " (Tavlo suite) " SUITE_VERSION "\n");
    EXPECT_EQ(version.err, "");

    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_P(Program, ReportsAnAnswerItCannotWrite)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(SUITE_BIN_DIR "/") + GetParam(), {"--version"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardError().contains("standard output"));
}

INSTANTIATE_TEST_SUITE_P(Built, Program, ::testing::ValuesIn(builtPrograms()),
                         [](const ::testing::TestParamInfo<QString> &param) { return param.param.toStdString(); });

// --- X11 on a Wayland desktop --------------------------------------------------------------

// An X server of its own; ended with the object.
class Xvfb
{
public:
    Xvfb()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // -displayfd 1: Xvfb picks a free display and writes its number once it is ready.
        process_.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        const QDeadlineTimer deadline(20000);
        while (!display_.endsWith('\n') && !deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(100);
            display_ += process_.readAllStandardOutput();
        }
        display_ = display_.trimmed();
    }
    ~Xvfb()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool found() const { return process_.program().size() > 0; }
    QString display() const
    {
        return display_.isEmpty() ? QString() : QStringLiteral(":") + QString::fromLatin1(display_);
    }

private:
    QProcess process_;
    QByteArray display_;
};

// On a Wayland session Qt tries its Wayland platform first (and, where that fails, falls back
// to X11 with a complaint on standard error). A window program that chooses X11 itself makes no
// Wayland attempt at all: it starts on the X server and serves its Link topic.
TEST(PlatformChoice, AWindowProgramRunsOnX11UnderAWaylandSession)
{
    if (!builtPrograms().contains(QStringLiteral("varvo")))
        GTEST_SKIP() << "varvo is not built";
    Xvfb x;
    ASSERT_TRUE(x.found()) << "Xvfb is missing: scripts/setup.sh installs it";
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    TempDir sockets;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.insert("DISPLAY", x.display());
    env.insert("XDG_SESSION_TYPE", "wayland");
    env.insert("WAYLAND_DISPLAY", "wayland-none");
    env.insert("SUITE_LINK_DIR", sockets.path());
    // libxkbcommon-x11 copies atom names with strndup from buffers that hold no NUL, which is
    // sound, but which the sanitizer's strict string checks take for an overflow.
    if (env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    QProcess varvo;
    varvo.setProcessEnvironment(env);
    varvo.start(QStringLiteral(SUITE_BIN_DIR "/varvo"), {});
    ASSERT_TRUE(varvo.waitForStarted());

    QProcess linkctl;
    linkctl.setProcessEnvironment(env);
    linkctl.start(QStringLiteral(SUITE_BIN_DIR "/linkctl"),
                  {"--open-wait", "15000", "VARVO|VARVO", "request", "Text2"});
    ASSERT_TRUE(linkctl.waitForFinished(30000));
    varvo.terminate();
    if (!varvo.waitForFinished(5000)) {
        varvo.kill();
        varvo.waitForFinished();
    }
    const QByteArray varvoErr = varvo.readAllStandardError();
    EXPECT_EQ(linkctl.exitCode(), 0) << linkctl.readAllStandardError().constData() << varvoErr.constData();
    EXPECT_EQ(linkctl.readAllStandardOutput(), "Text2\n");
    EXPECT_FALSE(varvoErr.toLower().contains("wayland")) << varvoErr.constData();
}

} // namespace
