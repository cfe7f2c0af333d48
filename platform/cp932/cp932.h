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
// Number of bytes the text takes in code page 932: 1 for a half-width, 2 for a full-width character.
int byteLength(const QString &text);
// First byte of a double-byte character.
inline bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

} // namespace cp932
