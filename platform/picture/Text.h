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

// The text with what an SVG text cannot hold replaced one for one: control characters by blanks,
// unpaired surrogates by the replacement character, and the ">" that would end a character
// data section by its full-width form.
QString svgSafe(QString text);

} // namespace picture::detail
