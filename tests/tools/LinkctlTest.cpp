// SPDX-License-Identifier: GPL-2.0-or-later
// linkctl as a script runs it: what it prints and the exit status it ends with.
#include "tests/platform/link/LinkTestSupport.h"

#include <gtest/gtest.h>

using linktest::run;

TEST(Linkctl, PrintsAnswersAndStopsAtTheFirstFailureWithItsStatus)
{
    linktest::usePrivateLinkFolder();
    linktest::Program server;
    ASSERT_EQ(server.startAndWaitLine(QStringLiteral("link_test_server"),
                                      {QStringLiteral("--app"), QStringLiteral("VARVO"), QStringLiteral("--topic"),
                                       QStringLiteral("VARVO")}),
              QStringLiteral("ready"));

    auto r = run(QStringLiteral("linkctl"),
                 {QStringLiteral("VARVO|VARVO"), QStringLiteral("request"), QStringLiteral("Text"),
                  QStringLiteral("execute"), QStringLiteral("set:ABCDE From Client!!"), QStringLiteral("request"),
                  QStringLiteral("text")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("initial\nABCDE From Client!!\n"));

    r = run(QStringLiteral("linkctl"), {QStringLiteral("varvo|varvo"), QStringLiteral("execute"),
                                        QStringLiteral("refuse"), QStringLiteral("request"), QStringLiteral("Text")});
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("error 285"))) << r.err.toStdString();

    r = run(QStringLiteral("linkctl"), {QStringLiteral("-t"), QStringLiteral("2"), QStringLiteral("VARVO|VARVO"),
                                        QStringLiteral("execute"), QStringLiteral("sleep:600")});
    EXPECT_EQ(r.code, 5);
    EXPECT_TRUE(r.err.contains(QStringLiteral("error 286"))) << r.err.toStdString();

    r = run(QStringLiteral("linkctl"),
            {QStringLiteral("VARVO|VARVO"), QStringLiteral("execute"), QStringLiteral("script:,,READY"),
             QStringLiteral("await"), QStringLiteral("Script"), QStringLiteral("READY,FAILED")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("READY\n"));
    r = run(QStringLiteral("linkctl"),
            {QStringLiteral("--await-bound"), QStringLiteral("200"), QStringLiteral("VARVO|VARVO"),
             QStringLiteral("await"), QStringLiteral("Script"), QStringLiteral("NEVER")});
    EXPECT_EQ(r.code, 7);

    r = run(QStringLiteral("linkctl"), {QStringLiteral("NOBODY|X"), QStringLiteral("request"), QStringLiteral("Text")});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("no program serves application NOBODY"))) << r.err.toStdString();

    r = run(QStringLiteral("linkctl"),
            {QStringLiteral("VARVO|VARVO"), QStringLiteral("execute"), QStringLiteral("die")});
    EXPECT_EQ(r.code, 6);
    EXPECT_TRUE(r.err.contains(QStringLiteral("error 291"))) << r.err.toStdString();
}

TEST(Linkctl, BadUsageIsExplainedWithStatus2)
{
    linktest::usePrivateLinkFolder();
    const QList<QStringList> bad{
        {},
        {QStringLiteral("VARVO")},
        {QStringLiteral("VARVO|VARVO"), QStringLiteral("request")},
        {QStringLiteral("VARVO|VARVO"), QStringLiteral("poke"), QStringLiteral("x")},
        {QStringLiteral("--timeout"), QStringLiteral("soon"), QStringLiteral("VARVO|VARVO")},
        {QStringLiteral("VARVO|VARVO"), QStringLiteral("await"), QStringLiteral("Text")},
    };
    for (const QStringList &args : bad) {
        const auto r = run(QStringLiteral("linkctl"), args);
        EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("linkctl: "))) << r.err.toStdString();
    }
    const auto help = run(QStringLiteral("linkctl"), {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("exit status"))) << help.out.toStdString();
}
