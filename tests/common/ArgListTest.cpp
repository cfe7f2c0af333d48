// SPDX-License-Identifier: GPL-2.0-or-later
#include "common/ArgList.h"
#include "common/DeleteQUOTE.h"

#include <gtest/gtest.h>

namespace {

const TakeOption keepAll = [](const QString &) { return false; };

QStringList kept(const QString &line, const TakeOption &take = keepAll)
{
    ArgList list;
    const qint16 n = SeparateSrtings(list, line, take);
    EXPECT_EQ(n, list.argCount);
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << list.argText[static_cast<size_t>(i)];
    return out;
}

} // namespace

TEST(SeparateSrtings, BlanksSeparateAndCollapse)
{
    EXPECT_EQ(kept("a b "), QStringList({"a", "b"}));
    EXPECT_EQ(kept("   a    b  c"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(kept("a\tb c"), QStringList({"a\tb", "c"}));
    EXPECT_EQ(kept(""), QStringList());
    EXPECT_EQ(kept("     "), QStringList());
    EXPECT_EQ(kept("x"), QStringList({"x"}));
}

TEST(SeparateSrtings, QuotesStayAndGroupBlanks)
{
    EXPECT_EQ(kept("\"C:\\My Pictures\\a.bmp\" b.lst"), QStringList({"\"C:\\My Pictures\\a.bmp\"", "b.lst"}));
    // An unclosed quote runs to the end of the line.
    EXPECT_EQ(kept("\"a b"), QStringList({"\"a b"}));
    // The end of a quoted stretch does not end the argument.
    EXPECT_EQ(kept("\"a b\"c d"), QStringList({"\"a b\"c", "d"}));
    // A quote behind an option's equals sign starts a quoted stretch.
    EXPECT_EQ(kept("/gv=\"C:\\Program Files\\gv.exe\" a.bmp"),
              QStringList({"/gv=\"C:\\Program Files\\gv.exe\"", "a.bmp"}));
}

TEST(SeparateSrtings, LastArgumentBeginningWithControlCharacterIsDropped)
{
    EXPECT_EQ(kept("a \tb"), QStringList({"a"}));
    EXPECT_EQ(kept("\tb c"), QStringList({"\tb", "c"}));
}

TEST(SeparateSrtings, OptionsUseNoSlot)
{
    QStringList seen;
    const TakeOption take = [&](const QString &a) {
        seen << a;
        return a.startsWith('/');
    };
    EXPECT_EQ(kept("/gv=x a.bmp", take), QStringList({"a.bmp"}));
    EXPECT_EQ(seen, QStringList({"/gv=x", "a.bmp"}));
    EXPECT_EQ(kept("a /o b /p", take), QStringList({"a", "b"}));
}

TEST(SeparateSrtings, SurplusArgumentsAreIgnoredButOptionsStillTaken)
{
    QString line;
    for (int i = 0; i < 150; ++i)
        line += QString("f%1 ").arg(i);
    line += "/last";
    bool sawLast = false;
    const TakeOption take = [&](const QString &a) {
        if (a == "/last")
            sawLast = true;
        return a.startsWith('/');
    };
    const QStringList args = kept(line, take);
    ASSERT_EQ(args.size(), 101);
    EXPECT_EQ(args.front(), "f0");
    EXPECT_EQ(args.back(), "f100");
    EXPECT_TRUE(sawLast);
}

TEST(SeparateSrtings, VeryLongLineIsCutWithoutFailing)
{
    const QString longArg(40000, QChar('x'));
    EXPECT_EQ(kept("a " + longArg + " b"), QStringList({"a", longArg, "b"}));
}

TEST(TakeArgumentVector, KeepsNonOptionsInOrderUpTo101)
{
    ArgList list;
    QStringList args{"/gv=x", "a b.bmp", "c.lst"};
    for (int i = 0; i < 200; ++i)
        args << QString::number(i);
    takeArgumentVector(list, args, [](const QString &a) { return a.startsWith("/gv"); });
    EXPECT_EQ(list.argCount, 101);
    EXPECT_EQ(list.argText[0], "a b.bmp");
    EXPECT_EQ(list.argText[100], "98");
}

TEST(DeleteQUOTE, RemovesEveryQuote)
{
    EXPECT_EQ(DeleteQUOTE("\"C:\\a b\\x.exe\""), "C:\\a b\\x.exe");
    EXPECT_EQ(DeleteQUOTE("a\"b\"\"c"), "abc");
    EXPECT_EQ(DeleteQUOTE(""), "");
    const QString original = "\"x\"";
    DeleteQUOTE(original);
    EXPECT_EQ(original, "\"x\"");
}

TEST(RepairDrivePath, OnlyTheDoubledBackslashAfterTheDriveColon)
{
    EXPECT_EQ(repairDrivePath("C:\\\\dir\\a.bmp"), "C:\\dir\\a.bmp");
    EXPECT_EQ(repairDrivePath("C:\\dir\\a.bmp"), "C:\\dir\\a.bmp");
    EXPECT_EQ(repairDrivePath("C:a.bmp"), "C:a.bmp");
    EXPECT_EQ(repairDrivePath("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(repairDrivePath("C:\\\\\\x"), "C:\\\\x");
    EXPECT_EQ(repairDrivePath(""), "");
    EXPECT_EQ(repairDrivePath("/home/u/a.bmp"), "/home/u/a.bmp");
}
