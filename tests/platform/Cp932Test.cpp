// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/cp932/cp932.h"

#include <gtest/gtest.h>

TEST(Cp932, RoundTripsJapaneseAndAscii)
{
    const QString text = QString::fromUtf8("C:\\写真\\ｶﾒﾗ①～表.bmp");
    const QByteArray bytes = cp932::encode(text);
    // 表 is 0x95 0x5C: its second byte is a backslash, the classic trap.
    EXPECT_TRUE(bytes.contains(QByteArray("\x95\x5C", 2)));
    EXPECT_EQ(cp932::decode(bytes), text);
    EXPECT_EQ(cp932::decode("abc"), "abc");
    EXPECT_EQ(cp932::decode(QByteArray()), QString());
}

TEST(Cp932, UsesTheWindowsTable)
{
    // 0x5C is a backslash, not the yen sign; 0x8160 is the wave dash of the Windows table.
    EXPECT_EQ(cp932::decode("\\"), QString("\\"));
    EXPECT_EQ(cp932::decode(QByteArray("\x81\x60", 2)), QString(QChar(0xFF5E)));
    EXPECT_EQ(cp932::decode(QByteArray("\x87\x40", 2)), QString(QChar(0x2460))); // NEC circled 1
}

TEST(Cp932, ByteLengthCountsHalfAndFullWidth)
{
    EXPECT_EQ(cp932::byteLength("abc"), 3);
    EXPECT_EQ(cp932::byteLength(QString::fromUtf8("ファイル")), 8);
    EXPECT_EQ(cp932::byteLength(QString::fromUtf8("ﾌｧｲﾙ")), 4);
    EXPECT_EQ(cp932::byteLength(QString::fromUtf8("ファイルが異常です。\r")), 21);
}

TEST(Cp932, BadInputNeverFails)
{
    // A lead byte at the end, and one followed by a byte that cannot trail.
    EXPECT_EQ(cp932::decode(QByteArray("a\x81", 2)), QString("a") + QChar(0xFFFD));
    EXPECT_EQ(cp932::decode(QByteArray("\x81\x20x", 3)).right(2), QString(" x"));
    // Characters without a code become "?"; a character outside the BMP is one "?".
    EXPECT_EQ(cp932::encode(QString::fromUtf8("a€b")), QByteArray("a?b"));
    EXPECT_EQ(cp932::encode(QString::fromUtf8("a😀b")), QByteArray("a?b"));
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) & 0xFF));
    EXPECT_FALSE(cp932::decode(junk).isEmpty());
}

TEST(Cp932, ReadBackShowsWhatAFileWouldGiveBack)
{
    const QString japanese = QString::fromUtf8("C:\\写真\\表～①.bmp\r\nnext\n");
    EXPECT_EQ(cp932::readBack(japanese), japanese) << "line ends stay where they were";
    // Characters without a code, and those mapped one way only, come back as others.
    for (const char *s : {"café", "한국", "😀", "wave〜", "minus−", "yen¥", "cent¢", "not¬"})
        EXPECT_NE(cp932::readBack(QString::fromUtf8(s)), QString::fromUtf8(s)) << s;
    EXPECT_EQ(cp932::readBack(QString::fromUtf8("wave〜")), QString::fromUtf8("wave～"));
    EXPECT_EQ(cp932::readBack(QString::fromUtf8("😀x")).size(),
              cp932::decode(cp932::encode(QString::fromUtf8("😀x"))).size());
}
