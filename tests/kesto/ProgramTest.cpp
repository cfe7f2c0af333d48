// SPDX-License-Identifier: GPL-2.0-or-later
// Kesto as a program of its own, driven over Link by linkctl as Tavlo drives it.
#include "platform/link/link.h"
#include "tests/platform/link/LinkTestSupport.h"
#include "tests/support/TempDir.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class KestoProgram : public ::testing::Test
{
protected:
    KestoProgram() { qputenv("SUITE_LINK_DIR", QFile::encodeName(sockets.path())); }
    ~KestoProgram() override
    {
        if (kesto.state() != QProcess::NotRunning) {
            kesto.kill();
            kesto.waitForFinished();
        }
        qunsetenv("SUITE_LINK_DIR");
    }
    void startKesto()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        kesto.setProcessEnvironment(env);
        kesto.setWorkingDirectory(work.path());
        kesto.start(linktest::program("kesto"), {});
        ASSERT_TRUE(kesto.waitForStarted());
        ASSERT_TRUE(linktest::waitForServer("KESTO|KESTO"));
    }
    linktest::Run linkctl(const QStringList &args) { return linktest::run("linkctl", args, 120000); }

    TempDir sockets, work;
    QProcess kesto;
};

} // namespace

TEST_F(KestoProgram, ExecutesLandInTheListAndLabel1GivesTheCount)
{
    startKesto();
    auto r = linkctl({"KESTO|KESTO", "execute", "/p/a.jpg", "request", "Text1", "execute", "", "execute", "/p/a.jpg",
                      "request", "Label1"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Text1\n3\n") << "an empty execute is an item, duplicates stay";

    // Several conversations at once, as several icon boards hold them.
    QStringList many{"kesto|kesto"};
    for (int i = 0; i < 200; ++i)
        many << "execute" << QString("/q/%1.jpg").arg(i);
    QProcess first, second;
    first.start(linktest::program("linkctl"), many);
    second.start(linktest::program("linkctl"), many);
    ASSERT_TRUE(first.waitForFinished(60000));
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(linkctl({"KESTO|KESTO", "request", "Label1"}).out, "403\n");
}

TEST_F(KestoProgram, TheLimitRefusesTheRestAndKestoGoesOn)
{
    startKesto();
    QStringList args{"KESTO|KESTO"};
    for (int i = 0; i < 32001; ++i)
        args << "execute" << QString::number(i);
    const auto r = linkctl(args);
    EXPECT_EQ(r.code, 4) << "the execute beyond the limit is refused";
    EXPECT_EQ(kesto.state(), QProcess::Running);
    const auto count = linkctl({"KESTO|KESTO", "request", "Label1", "execute", "more"});
    EXPECT_EQ(count.out, "32000\n") << "the list is whole and Kesto answers";
    EXPECT_EQ(count.code, 4);
    EXPECT_EQ(kesto.state(), QProcess::Running);
}
