// SPDX-License-Identifier: GPL-2.0-or-later
// The Link frame reader, as a server (frames from a client) and as a client (answers) reads a
// stream of them; the input may arrive in pieces.
#include "fuzz/FuzzSupport.h"

#include "platform/link/wire.h"

namespace {

void readAll(const QByteArray &input, bool fromClient)
{
    QByteArray buffer;
    // Two pieces, split where the first byte says, as a socket may deliver them.
    const qsizetype split = input.isEmpty() ? 0 : quint8(input[0]) % (input.size() + 1);
    for (const QByteArray &piece : {input.left(split), input.mid(split)}) {
        buffer += piece;
        for (;;) {
            suite_link::wire::Frame frame;
            QString why;
            const qsizetype before = buffer.size();
            const suite_link::wire::Take t = suite_link::wire::take(buffer, fromClient, frame, &why);
            if (t != suite_link::wire::Take::Frame)
                break;
            if (buffer.size() >= before)
                __builtin_trap(); // a frame always takes bytes
            // What is read back encodes to a frame that reads the same.
            QByteArray again = frame.kind == suite_link::wire::Kind::Nack
                                   ? suite_link::wire::encodeNack(frame.seq, frame.number, frame.text)
                                   : suite_link::wire::encode(frame.kind, frame.seq, frame.text);
            suite_link::wire::Frame back;
            if (suite_link::wire::take(again, fromClient, back) != suite_link::wire::Take::Frame ||
                back.text != frame.text || back.seq != frame.seq || back.kind != frame.kind)
                __builtin_trap();
        }
        if (buffer.size() > qsizetype(suite_link::wire::HeaderSize) + suite_link::MaxTextBytes)
            __builtin_trap(); // never more than one frame is waited for
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    readAll(input, true);
    readAll(input, false);
    return 0;
}
