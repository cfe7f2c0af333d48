// SPDX-License-Identifier: GPL-2.0-or-later
// Text in metafile records: 8-bit text decoded by its font's character set, and wide text made
// safe for the SVG it is drawn through.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace picture::detail {

// Decodes 8-bit text drawn in a font of the given character set. The systems these files come
// from have code page 932 as their ANSI code page. dx holds `per` values (1, or 2 with vertical
// advances) for each byte; advances gets them summed for each character.
void decodeText(const QByteArray &bytes, const QVector<qint32> &dx, int per, int charset, QString *text,
                QVector<qint32> *advances);

// Whether a font draws its text in the symbol font's encoding (Greek letters and mathematical
// signs where the Latin letters are): fonts of the symbol character set, but for the picture
// fonts whose codes stand for pictures, not for those signs.
bool symbolEncoded(int charset, const QString &face);
// Text in the symbol font's encoding, as bytes (0x20 to 0xFF) or as the private-use characters
// U+F020 to U+F0FF that wide text gives them as, turned into the Unicode characters they show.
QString fromSymbol(QString text);

// A font's character cell height per em (ascent and descent over the em): what a positive
// font height, which gives the cell, is divided by to give the em. The common faces have
// their own; others are taken as the suite's sans-serif face.
double cellPerEm(const QString &face);

// The text with what an SVG text cannot hold replaced one for one: control characters by blanks,
// unpaired surrogates by the replacement character, and the ">" that would end a character
// data section by its full-width form.
QString svgSafe(QString text);

} // namespace picture::detail
