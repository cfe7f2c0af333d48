/*
 * fenrik_units_test.cpp - Fenrik's path collapsing and its constant measure.
 */
#include "fenrik/fenrik.h"

#include <gtest/gtest.h>

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
}

} // namespace
