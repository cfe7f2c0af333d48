// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * fenrik_units_test.cpp - Fenrik's path collapsing, its constant measure, its row
 * sinks and its first-word check.
 */
#include "fenrik/fenrik.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

namespace {

TEST(CollapseParentDirs, StepsBackOverTheFolderBeforeEachStep)
{
    EXPECT_STREQ(collapse_parent_dirs("C:\\src\\lib\\..\\x.bas"), "C:\\src\\x.bas");
    EXPECT_STREQ(collapse_parent_dirs("src\\..\\x.bas"), "src\\..\\x.bas");
    EXPECT_STREQ(collapse_parent_dirs("C:\\a\\b\\c\\..\\..\\x.bas"), "C:\\a\\x.bas");
    EXPECT_STREQ(collapse_parent_dirs("/home/u/app/../common/x.bas"), "/home/u/common/x.bas");
    EXPECT_STREQ(collapse_parent_dirs("..\\..\\x.bas"), "..\\..\\x.bas");
    // ".." at the end of a folder's name is part of that name, not a step.
    EXPECT_STREQ(collapse_parent_dirs("C:\\a\\b\\c..\\x"), "C:\\a\\b\\c..\\x");
    // 0x5C as a trail byte is no folder separator.
    EXPECT_STREQ(collapse_parent_dirs("C:\\a\\\x95\x5C\\..\\x"), "C:\\a\\x");
}

// text repeated n times.
std::string times(const std::string &text, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += text;
    return out;
}

TEST(CollapseParentDirs, NamesBeyondTheAreaStayAsTheyAre)
{
    const std::string step = "\\a\\b\\..\\";
    EXPECT_EQ(collapse_parent_dirs((step + std::string(252, 'x')).c_str()), step + std::string(252, 'x'));
    EXPECT_EQ(std::string(collapse_parent_dirs((step + std::string(251, 'x')).c_str())),
              "\\a\\" + std::string(251, 'x'));
    EXPECT_EQ(collapse_parent_dirs((times("d\\", 32) + "..\\x").c_str()), times("d\\", 32) + "..\\x");
    EXPECT_EQ(std::string(collapse_parent_dirs((times("d\\", 31) + "..\\x").c_str())), times("d\\", 30) + "x");
}

TEST(ConstantMeasure, NumbersAndExpressions)
{
    EXPECT_EQ(number_length("10)", false), 2);
    EXPECT_EQ(number_length("-1,", true), 2);
    EXPECT_EQ(number_length("-1,", false), 0);
    EXPECT_EQ(number_length("1.5\n", false), 3);
    EXPECT_EQ(number_length("3#", false), 2);
    EXPECT_EQ(number_length("1&", false), 0);
    EXPECT_EQ(number_length("2E3", false), 0);
    EXPECT_EQ(number_length(".5", false), 0);

    EXPECT_EQ(expression_length("-1)", true), 2);
    EXPECT_EQ(expression_length("(2 * 3))", true), 7);
    EXPECT_EQ(expression_length("1 + 2, y", true), 5);
    EXPECT_EQ(expression_length("  10 ' note", true), 4);
    EXPECT_EQ(expression_length("1 + x)", true), 1);
    EXPECT_EQ(expression_length("2 ^ -1)", true), 1);
    EXPECT_EQ(expression_length("((1)\n", true), 0);
    EXPECT_EQ(expression_length("&HFF)", true), 0);
    EXPECT_EQ(expression_length("True)", true), 0);
    EXPECT_EQ(expression_length("1 As", true), 0);
    EXPECT_EQ(expression_length("5", true), 0) << "the end of the text ends no expression";

    // Found by fuzzing: every enclosing part measured a failing part again, so each level of
    // parentheses doubled the time (a 244-byte line took seconds; these 60 levels, centuries).
    std::string nested = "1";
    for (int i = 0; i < 60; ++i)
        nested += " +(1";
    EXPECT_EQ(expression_length((nested + "]").c_str(), true), 1);
    std::string closed = nested;
    for (int i = 0; i < 60; ++i)
        closed += ")";
    EXPECT_EQ(expression_length((closed + ",").c_str(), true), int(closed.size()));
}

// Everything written to a file since its start.
std::string contents(FILE *fp)
{
    std::string text;
    std::rewind(fp);
    char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, fp)) > 0;)
        text.append(block, n);
    return text;
}

TEST(Sink, GatheredBytesComeOutInOrderAcrossFullBuffers)
{
    auto sink = std::make_unique<Sink>();
    sink->fp = std::tmpfile();
    ASSERT_NE(sink->fp, nullptr);
    sink->direct = false;
    std::string expected;
    // Every small size, each copied its own way.
    for (size_t n = 0; n <= 40; ++n) {
        std::string piece;
        for (size_t i = 0; i < n; ++i)
            piece += static_cast<char>('A' + (n + i) % 26);
        sink_write(sink.get(), piece.data(), piece.size());
        expected += piece;
    }
    // Pieces of every size up to past the whole buffer, so that some fill it exactly.
    for (size_t n = 0; expected.size() < 5 * sizeof sink->buf; n = (n * 7 + 13) % (sizeof sink->buf + 300)) {
        const std::string piece(n, static_cast<char>('a' + n % 26));
        sink_write(sink.get(), piece.data(), piece.size());
        sink_puts(sink.get(), "\t");
        sink_putc(sink.get(), '\n');
        expected += piece + "\t\n";
    }
    drain_sink(sink.get());
    EXPECT_EQ(contents(sink->fp), expected);
    std::fclose(sink->fp);
}

TEST(FirstWords, TheWordComparisonsAnswerAsTheByteWalkDoes)
{
    const char *const parts[] = {"End",          "End ", "If",       "Sub",      "Subs",      "Select",  "Selec",
                                 "With",         "Enum", "Property", "Function", "Functions", "Declare", "Private",
                                 "Type",         "x",    " ",        "  ",       "(",         "'",       "\n",
                                 "" /* a NUL */, "\r"};
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string line(rng() % 3, ' ');
        for (unsigned n = 1 + rng() % 4; n > 0; --n) {
            const char *part = parts[rng() % (sizeof parts / sizeof parts[0])];
            line += *part ? std::string(part) : std::string(1, '\0');
        }
        line += '\n';
        // The 8-byte loads may reach past the LF, as they do in the stream's buffer.
        std::string padded = line + std::string(16, 'S');
        const char *text = padded.c_str();
        while (*text == ' ')
            ++text;
        EXPECT_EQ(line_may_matter(text), may_matter(padded.c_str())) << line;
    }
}

} // namespace
