// SPDX-License-Identifier: GPL-2.0-or-later
// Each program of the window layer has its own event loop record and interaction: a program
// made after another (the next test, a restarted program) starts as a fresh process does.
#include "platform/forms/Program.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/Interaction.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

TEST(Program, AProgramMadeAfterAnotherStartsFreshAndTheOtherComesBack)
{
    forms::Program outer;
    int outerEnds = 0;
    forms::setEndHook([&] { ++outerEnds; });
    forms::setMsgBoxHook([](const QString &, int, const QString &) { return 7; });
    forms::Beep();
    forms::DoEvents(); // the outer program's events ran just now

    {
        forms::Program inner;
        EXPECT_EQ(&forms::Program::current(), &inner);
        EXPECT_FALSE(forms::ended());
        EXPECT_EQ(forms::beepCount(), 0);
        // No hook of the other program answers here: the inner one gets its own.
        forms::setMsgBoxHook([](const QString &, int, const QString &) { return 3; });
        EXPECT_EQ(forms::MsgBox(QStringLiteral("?")), 3);

        // Its time budget is its own: the first step of a long loop lets events run, although
        // the other program's ran a moment ago.
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        forms::yieldEvents();
        EXPECT_TRUE(ran);

        int innerEnds = 0;
        forms::setEndHook([&] { ++innerEnds; });
        forms::runEvent([] { forms::End(); });
        EXPECT_TRUE(forms::ended());
        EXPECT_EQ(innerEnds, 1);
    }

    EXPECT_EQ(&forms::Program::current(), &outer);
    EXPECT_FALSE(forms::ended());
    EXPECT_EQ(outerEnds, 0);
    EXPECT_EQ(forms::beepCount(), 1);
    EXPECT_EQ(forms::MsgBox(QStringLiteral("?")), 7);
}

TEST(Program, WhatAProgramLeftForDestructionGoesWithIt)
{
    QPointer<QObject> left;
    {
        forms::Program program;
        const forms::Running handler; // nothing is destroyed while a handler runs
        left = new QObject;
        forms::destroyLater(left);
        forms::collectGarbage();
        ASSERT_FALSE(left.isNull());
    }
    EXPECT_TRUE(left.isNull());
}
