// SPDX-License-Identifier: GPL-2.0-or-later
// Dropped and pasted text into lines: every kind of line end, and what follows the last one.
#include "common/Lines.h"

#include <gtest/gtest.h>

TEST(Lines, EveryLineEndClosesALineAndTheTailIsNoLine)
{
    struct Case
    {
        const char *text;
        QStringList lines;
        bool open;
    };
    const Case cases[] = {
        {"", {}, false},
        {"a", {}, true},
        {"a\r\n", {"a"}, false},
        {"a\r\nb", {"a"}, true},
        {"a\nb\rc\r\n", {"a", "b", "c"}, false},
        {"\r\n\r\n", {"", ""}, false},
        {"a\n\rb\n", {"a", "", "b"}, false},   // LF CR is two line ends
        {"a\r\r\nb\r", {"a", "", "b"}, false}, // CR, then CR LF
        {"\r", {""}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.text).toUtf8().toPercentEncoding().toStdString());
        EXPECT_EQ(common::closedLines(QString::fromUtf8(c.text)), c.lines);
        EXPECT_EQ(common::endsOpen(QString::fromUtf8(c.text)), c.open);
    }
}
