// SPDX-License-Identifier: GPL-2.0-or-later
// The frame reader: complete frames come out whole, anything else is judged as early as the
// header allows.
#include "platform/link/wire.h"

#include <gtest/gtest.h>

using namespace suite_link::wire;

TEST(Wire, FramesRoundTripAndWaitForTheirLastByte)
{
    QByteArray stream =
        encode(Kind::Request, 7, QStringLiteral("Text2")) + encodeNack(8, 285, QStringLiteral("いいえ"));
    QByteArray partial = stream.left(HeaderSize + 2);
    Frame f;
    EXPECT_EQ(take(partial, false, f), Take::Malformed) << "a request may not come from a server";

    QByteArray fromServer = encodeNack(8, 285, QStringLiteral("いいえ"));
    QByteArray growing;
    for (char c : fromServer) {
        EXPECT_EQ(take(growing, false, f), Take::Incomplete);
        growing += c;
    }
    ASSERT_EQ(take(growing, false, f), Take::Frame);
    EXPECT_EQ(f.kind, Kind::Nack);
    EXPECT_EQ(f.seq, 8u);
    EXPECT_EQ(f.number, 285);
    EXPECT_EQ(f.text, QStringLiteral("いいえ"));
    EXPECT_TRUE(growing.isEmpty());

    QByteArray fromClient = encode(Kind::Execute, 1, QString()) + encode(Kind::Request, 2, QStringLiteral("Text2"));
    ASSERT_EQ(take(fromClient, true, f), Take::Frame);
    EXPECT_EQ(f.kind, Kind::Execute);
    EXPECT_TRUE(f.text.isEmpty());
    ASSERT_EQ(take(fromClient, true, f), Take::Frame);
    EXPECT_EQ(f.text, QStringLiteral("Text2"));
}

TEST(Wire, BadFramesAreMalformedBeforeTheirPayloadArrives)
{
    Frame f;
    QString why;
    QByteArray garbage("GET / HTTP/1.0");
    EXPECT_EQ(take(garbage, true, f, &why), Take::Malformed);

    QByteArray oversized = encode(Kind::Execute, 1, QStringLiteral("x")).left(HeaderSize);
    oversized[8] = char(0x7f); // length 0x7f000001, and no payload sent
    EXPECT_EQ(take(oversized, true, f, &why), Take::Malformed);
    EXPECT_TRUE(why.contains(QStringLiteral("over the limit"))) << why.toStdString();

    QByteArray future = encode(Kind::Execute, 1, QStringLiteral("x"));
    future[2] = char(2);
    EXPECT_EQ(take(future, true, f), Take::Malformed);

    QByteArray badText = encode(Kind::Execute, 1, QStringLiteral("ab"));
    badText[HeaderSize] = char(0xff);
    EXPECT_EQ(take(badText, true, f), Take::Malformed);

    EXPECT_TRUE(encode(Kind::Execute, 1, QString(suite_link::MaxTextBytes + 1, QLatin1Char('x'))).isEmpty());
    EXPECT_FALSE(encode(Kind::Execute, 1, QString(suite_link::MaxTextBytes, QLatin1Char('x'))).isEmpty());
}
