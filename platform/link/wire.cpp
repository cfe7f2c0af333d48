// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/link/wire.h"

#include <QStringDecoder>

namespace suite_link::wire {

namespace {

void putU32(char *p, quint32 v)
{
    p[0] = char(v >> 24);
    p[1] = char(v >> 16);
    p[2] = char(v >> 8);
    p[3] = char(v);
}

quint32 getU32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return (quint32(u[0]) << 24) | (quint32(u[1]) << 16) | (quint32(u[2]) << 8) | quint32(u[3]);
}

QByteArray frame(Kind kind, quint32 seq, const QByteArray &payload)
{
    QByteArray out(HeaderSize, '\0');
    out[0] = 'L';
    out[1] = 'K';
    out[2] = char(Version);
    out[3] = char(kind);
    putU32(out.data() + 4, seq);
    putU32(out.data() + 8, quint32(payload.size()));
    out += payload;
    return out;
}

bool kindAllowed(quint8 k, bool fromClient)
{
    switch (Kind(k)) {
    case Kind::Initiate:
    case Kind::Execute:
    case Kind::Request:
    case Kind::Terminate: return fromClient;
    case Kind::Ack:
    case Kind::Nack: return !fromClient;
    }
    return false;
}

bool strictUtf8(const QByteArray &bytes, QString &out)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    out = decoder(bytes);
    return !decoder.hasError();
}

Take malformed(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return Take::Malformed;
}

} // namespace

QByteArray encode(Kind kind, quint32 seq, const QString &text)
{
    const QByteArray payload = text.toUtf8();
    if (payload.size() > MaxTextBytes)
        return {};
    return frame(kind, seq, payload);
}

QByteArray encodeNack(quint32 seq, int number, const QString &reason)
{
    QByteArray payload(4, '\0');
    putU32(payload.data(), quint32(number));
    payload += reason.toUtf8().left(MaxTextBytes - 4);
    return frame(Kind::Nack, seq, payload);
}

Take take(QByteArray &buffer, bool fromClient, Frame &out, QString *why)
{
    // Judge the header as far as it has arrived, so that garbage is caught at its first bytes.
    const qsizetype have = buffer.size();
    if (have >= 1 && buffer[0] != 'L')
        return malformed(why, QStringLiteral("bad frame marker"));
    if (have >= 2 && buffer[1] != 'K')
        return malformed(why, QStringLiteral("bad frame marker"));
    if (have >= 3 && quint8(buffer[2]) != Version)
        return malformed(why, QStringLiteral("unknown frame version %1").arg(quint8(buffer[2])));
    if (have >= 4 && !kindAllowed(quint8(buffer[3]), fromClient))
        return malformed(why,
                         QStringLiteral("unexpected frame kind 0x%1").arg(quint8(buffer[3]), 2, 16, QLatin1Char('0')));
    if (have < HeaderSize)
        return Take::Incomplete;

    const quint32 length = getU32(buffer.constData() + 8);
    if (length > quint32(MaxTextBytes))
        return malformed(why,
                         QStringLiteral("frame of %1 bytes is over the limit of %2").arg(length).arg(MaxTextBytes));
    if (have < HeaderSize + qsizetype(length))
        return Take::Incomplete;

    const Kind kind = Kind(quint8(buffer[3]));
    QByteArray payload = buffer.mid(HeaderSize, length);
    Frame f;
    f.kind = kind;
    f.seq = getU32(buffer.constData() + 4);
    if (kind == Kind::Nack) {
        if (payload.size() < 4)
            return malformed(why, QStringLiteral("refusal without an error number"));
        f.number = int(getU32(payload.constData()) & 0x7fffffff);
        payload.remove(0, 4);
    }
    if (kind == Kind::Terminate && !payload.isEmpty())
        return malformed(why, QStringLiteral("terminate frame with a payload"));
    if (!strictUtf8(payload, f.text))
        return malformed(why, QStringLiteral("text is not valid UTF-8"));
    buffer.remove(0, HeaderSize + length);
    out = std::move(f);
    return Take::Frame;
}

} // namespace suite_link::wire
