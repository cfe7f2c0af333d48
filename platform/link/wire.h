// SPDX-License-Identifier: GPL-2.0-or-later
// The frames of a Link conversation on its local socket.
//
// Every frame is a 12-byte header followed by a UTF-8 payload:
//   bytes 0-1  'L' 'K'
//   byte  2    version, 1
//   byte  3    kind
//   bytes 4-7  sequence number, big-endian: a client numbers its frames, an answer repeats the
//              number of the frame it answers, so that a late answer to a call that already
//              timed out is recognised and dropped
//   bytes 8-11 payload length, big-endian, at most MaxTextBytes (link.h)
//
// Client to server: Initiate (payload: topic), Execute (command), Request (item name),
// Terminate (empty; no answer). Server to client: Ack (empty, or the item's text for a Request),
// Nack (4-byte big-endian error number, then a UTF-8 reason). A frame that breaks any of these
// rules, or arrives out of turn (anything before Initiate, a second Initiate), is malformed: the
// receiver ends that conversation.
#pragma once

#include "platform/link/link.h"

#include <QByteArray>
#include <QString>

namespace suite_link::wire {

constexpr int HeaderSize = 12;
constexpr quint8 Version = 1;

enum class Kind : quint8 {
    Initiate = 0x01,
    Execute = 0x02,
    Request = 0x03,
    Terminate = 0x04,
    Ack = 0x11,
    Nack = 0x12,
};

struct Frame
{
    Kind kind = Kind::Ack;
    quint32 seq = 0;
    QString text;   // the payload; for Nack, the reason
    int number = 0; // Nack only: the error number
};

enum class Take { Incomplete, Frame, Malformed };

// Sender's side: the frame, or an empty array when the text is longer than MaxTextBytes.
QByteArray encode(Kind kind, quint32 seq, const QString &text = QString());
QByteArray encodeNack(quint32 seq, int number, const QString &reason);

// Receiver's side: takes one frame from the front of buffer when it is complete. fromClient
// says which kinds may arrive. A malformed frame is reported as soon as its header shows it, so
// that an oversized length is never waited for; *why says what was wrong.
Take take(QByteArray &buffer, bool fromClient, Frame &frame, QString *why = nullptr);

} // namespace suite_link::wire
