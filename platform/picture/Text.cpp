// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/picture/Text.h"

#include "platform/cp932/cp932.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>

namespace picture::detail {

namespace {

// The code page of a font character set; empty for code page 932.
QByteArray codePageOf(int charset)
{
    switch (charset) {
    case 0: return "windows-1252";
    case 2: return "ISO-8859-1"; // symbol fonts: the byte values as they are
    case 129: return "windows-949";
    case 134: return "GBK";
    case 136: return "Big5";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case 204: return "windows-1251";
    case 222: return "windows-874";
    case 238: return "windows-1250";
    default: return QByteArray(); // the default and the Japanese character sets
    }
}

} // namespace

void decodeText(const QByteArray &bytes, const QVector<qint32> &dx, int per, int charset, QString *text,
                QVector<qint32> *advances)
{
    const QByteArray cp = codePageOf(charset);
    QStringDecoder decoder(cp.isEmpty() ? "UTF-8" : cp.constData());
    const bool japanese = cp.isEmpty() || !decoder.isValid();
    const bool doubleByte = japanese || cp == "windows-949" || cp == "GBK" || cp == "Big5";
    qsizetype i = 0;
    while (i < bytes.size()) {
        const uchar c = uchar(bytes[i]);
        const bool lead = japanese ? cp932::isLeadByte(c) : (c >= 0x81 && c <= 0xFE);
        const qsizetype n = (doubleByte && lead && i + 1 < bytes.size()) ? 2 : 1;
        const QByteArray piece = bytes.mid(i, n);
        QString chars = japanese ? cp932::decode(piece) : decoder.decode(piece);
        if (chars.isEmpty())
            chars = QString(QChar(0xFFFD));
        for (qsizetype k = 0; k < chars.size(); ++k) {
            text->append(chars[k]);
            for (int p = 0; p < per; ++p) {
                // The advances of a character's two bytes, added without overflow.
                qint64 sum = 0;
                for (qsizetype b = i; k == 0 && b < i + n; ++b) {
                    if (b * per + p < dx.size())
                        sum += dx[b * per + p];
                }
                advances->append(qint32(std::clamp<qint64>(sum, INT32_MIN, INT32_MAX)));
            }
        }
        i += n;
    }
}

bool symbolEncoded(int charset, const QString &face)
{
    constexpr int SymbolCharset = 2;
    if (charset != SymbolCharset)
        return false;
    for (const char *pictures : {"Wingdings", "Webdings", "Marlett"}) {
        if (face.startsWith(QLatin1String(pictures), Qt::CaseInsensitive))
            return false;
    }
    return true;
}

QString fromSymbol(QString text)
{
    // The symbol font's codes from 0x20 to 0xFF; 0 where a code shows nothing.
    static const char16_t table[224] = {
        u' ',      u'!',      u'\u2200', u'#',      u'\u2203', u'%',      u'&',      u'\u220B', // 0x20
        u'(',      u')',      u'\u2217', u'+',      u',',      u'\u2212', u'.',      u'/',
        u'0',      u'1',      u'2',      u'3',      u'4',      u'5',      u'6',      u'7', // 0x30
        u'8',      u'9',      u':',      u';',      u'<',      u'=',      u'>',      u'?',
        u'\u2245', u'\u0391', u'\u0392', u'\u03A7', u'\u0394', u'\u0395', u'\u03A6', u'\u0393', // 0x40
        u'\u0397', u'\u0399', u'\u03D1', u'\u039A', u'\u039B', u'\u039C', u'\u039D', u'\u039F',
        u'\u03A0', u'\u0398', u'\u03A1', u'\u03A3', u'\u03A4', u'\u03A5', u'\u03C2', u'\u03A9', // 0x50
        u'\u039E', u'\u03A8', u'\u0396', u'[',      u'\u2234', u']',      u'\u22A5', u'_',
        u'\u203E', u'\u03B1', u'\u03B2', u'\u03C7', u'\u03B4', u'\u03B5', u'\u03C6', u'\u03B3', // 0x60
        u'\u03B7', u'\u03B9', u'\u03D5', u'\u03BA', u'\u03BB', u'\u03BC', u'\u03BD', u'\u03BF',
        u'\u03C0', u'\u03B8', u'\u03C1', u'\u03C3', u'\u03C4', u'\u03C5', u'\u03D6', u'\u03C9', // 0x70
        u'\u03BE', u'\u03C8', u'\u03B6', u'{',      u'|',      u'}',      u'\u223C', 0,
        0,         0,         0,         0,         0,         0,         0,         0,
        0,         0,         0,         0,         0,         0,         0,         0, // 0x80
        0,         0,         0,         0,         0,         0,         0,         0,
        0,         0,         0,         0,         0,         0,         0,         0,         // 0x90
        u'\u20AC', u'\u03D2', u'\u2032', u'\u2264', u'\u2044', u'\u221E', u'\u0192', u'\u2663', // 0xA0
        u'\u2666', u'\u2665', u'\u2660', u'\u2194', u'\u2190', u'\u2191', u'\u2192', u'\u2193',
        u'\u00B0', u'\u00B1', u'\u2033', u'\u2265', u'\u00D7', u'\u221D', u'\u2202', u'\u2022', // 0xB0
        u'\u00F7', u'\u2260', u'\u2261', u'\u2248', u'\u2026', u'\u23D0', u'\u23AF', u'\u21B5',
        u'\u2135', u'\u2111', u'\u211C', u'\u2118', u'\u2297', u'\u2295', u'\u2205', u'\u2229', // 0xC0
        u'\u222A', u'\u2283', u'\u2287', u'\u2284', u'\u2282', u'\u2286', u'\u2208', u'\u2209',
        u'\u2220', u'\u2207', u'\u00AE', u'\u00A9', u'\u2122', u'\u220F', u'\u221A', u'\u22C5', // 0xD0
        u'\u00AC', u'\u2227', u'\u2228', u'\u21D4', u'\u21D0', u'\u21D1', u'\u21D2', u'\u21D3',
        u'\u25CA', u'\u2329', u'\u00AE', u'\u00A9', u'\u2122', u'\u2211', u'\u239B', u'\u239C', // 0xE0
        u'\u239D', u'\u23A1', u'\u23A2', u'\u23A3', u'\u23A7', u'\u23A8', u'\u23A9', u'\u23AA',
        0,         u'\u232A', u'\u222B', u'\u2320', u'\u23AE', u'\u2321', u'\u239E', u'\u239F', // 0xF0
        u'\u23A0', u'\u23A4', u'\u23A5', u'\u23A6', u'\u23AB', u'\u23AC', u'\u23AD', 0,
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= 0xF020 && c <= 0xF0FF)
            c -= 0xF000;
        else if (c < 0x20 || c > 0xFF)
            continue;
        const char16_t u = table[c - 0x20];
        text[i] = QChar(u ? u : u' ');
    }
    return text;
}

double cellPerEm(const QString &face)
{
    // Ascent and descent of each face (and of its metric-compatible substitutes) in units of
    // 2048 to the em, as the faces' own tables give them.
    static const struct
    {
        const char *face;
        int cell;
    } faces[] = {
        {"Arial", 2288},           {"Helvetica", 2288},        {"Liberation Sans", 2288}, {"Times New Roman", 2268},
        {"Times", 2268},           {"Liberation Serif", 2268}, {"Courier New", 2320},     {"Courier", 2320},
        {"Liberation Mono", 2320}, {"DejaVu Serif", 2384},     {"DejaVu Sans", 2384},     {"Symbol", 2066},
    };
    const QString name = face.trimmed();
    for (const auto &f : faces) {
        if (name.compare(QLatin1String(f.face), Qt::CaseInsensitive) == 0)
            return f.cell / 2048.0;
    }
    // Japanese faces fill their cell with the em.
    for (QChar c : name) {
        if (c.unicode() >= 0x3000)
            return 1.0;
    }
    if (name.contains(QLatin1String("Gothic"), Qt::CaseInsensitive) ||
        name.contains(QLatin1String("Mincho"), Qt::CaseInsensitive))
        return 1.0;
    return 2384 / 2048.0;
}

QString svgSafe(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF)
            text[i] = u' ';
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(c))
            text[i] = QChar(0xFFFD);
        else if (c == u'>' && i >= 2 && text[i - 1] == u']' && text[i - 2] == u']')
            text[i] = QChar(0xFF1E);
    }
    return text;
}

} // namespace picture::detail
