// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vb/vb.h"
#include "tests/support/Errors.h"

#include <gtest/gtest.h>

using namespace vb;

TEST(Vb, CIntRoundsHalvesToEvenAndChecksRange)
{
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-0.5), 0);
    EXPECT_EQ(CInt(-1.5), -2);
    EXPECT_EQ(CInt(2.4999), 2);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(-32769); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CInt(std::nan("")); }), ErrOverflow);
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(errorOf([] { CLng(2147483648.0); }), ErrOverflow);
}

TEST(Vb, IntegerArithmeticFailsOnOverflow)
{
    Integer a = 32000;
    EXPECT_EQ(a + 767, 32767);
    EXPECT_EQ(errorOf([&] { a = a + 768; }), ErrOverflow);
    EXPECT_EQ(a, 32000) << "a failed assignment leaves the value";
    Integer m = -32768;
    EXPECT_EQ(errorOf([&] { m = -m; }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { --m; }), ErrOverflow);
    EXPECT_EQ(errorOf([] {
                  Integer x = 40000;
                  (void)x;
              }),
              ErrOverflow);
    EXPECT_EQ(errorOf([] {
                  Integer x = 200;
                  x *= 200;
              }),
              ErrOverflow);
    // Remainder has the sign of the dividend.
    EXPECT_EQ(Integer(-1) % 5, -1);
    EXPECT_EQ(Integer(7) % -5, 2);
    EXPECT_EQ(errorOf([] { (void)(Integer(1) % 0); }), ErrDivisionByZero);
    EXPECT_DOUBLE_EQ(Integer(3) * 0.5, 1.5);
}

TEST(Vb, ValReadsTheLeadingNumber)
{
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("  4"), 4);
    EXPECT_EQ(Val(" 1 2 3"), 123);
    EXPECT_EQ(Val("-5"), -5);
    EXPECT_EQ(Val("+7"), 7);
    EXPECT_DOUBLE_EQ(Val("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(Val("1.5.6"), 1.5);
    EXPECT_DOUBLE_EQ(Val("1e3x"), 1000);
    EXPECT_DOUBLE_EQ(Val("1D2"), 100);
    EXPECT_DOUBLE_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("&HFF"), 255);
    EXPECT_EQ(Val("&hFFFF"), -1);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("99999999999"), 99999999999.0);
    EXPECT_EQ(errorOf([] { Val("1e999"); }), ErrOverflow);
}

TEST(Vb, StrPutsABlankBeforeNonNegativeNumbers)
{
    EXPECT_EQ(Str(4), " 4");
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(-3), "-3");
    EXPECT_EQ(Str(Integer(12)), " 12");
    EXPECT_EQ(Str(1.5), " 1.5");
    EXPECT_EQ(Str(0.5), " .5");
    EXPECT_EQ(Str(-0.25), "-.25");
    EXPECT_EQ(Str(1e20), " 1E+20");
    EXPECT_EQ(Str(1.1f), " 1.1");
}

TEST(Vb, RuntimeErrorCarriesNumberAndText)
{
    try {
        raiseError(ErrDdeTimeout);
        FAIL();
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.number(), 286);
        EXPECT_EQ(e.description(), "Timeout while waiting for DDE response");
    }
}
