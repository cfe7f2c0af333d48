// SPDX-License-Identifier: GPL-2.0-or-later
// Code page 932 (the Japanese ANSI code page of the original systems) to and from QString.
// Kept narrow so that a Windows build can put the system's own conversion behind it.
#pragma once

#include <QByteArray>
#include <QString>

namespace cp932 {

// Bytes that are not valid code page 932 become U+FFFD, one per bad byte; decoding never fails.
QString decode(const QByteArray &bytes);
// Characters without a code become "?", as the system's conversion does.
QByteArray encode(const QString &text);
// What a code page 932 file written with text gives when it is read back: the text itself
// where every character has a code of its own, otherwise with "?" for characters that have
// none and the code page's own character for those it maps one way only (U+301C WAVE DASH
// reads back as U+FF5E, U+00A5 YEN SIGN as a backslash). Line ends stay where they were.
QString readBack(const QString &text);
// Number of bytes the text takes in code page 932: 1 for a half-width, 2 for a full-width character.
int byteLength(const QString &text);
// First byte of a double-byte character.
inline bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

} // namespace cp932
