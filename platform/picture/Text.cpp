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
