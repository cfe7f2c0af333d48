// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/cp932/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace cp932 {
namespace {

// glibc's "CP932" is the Windows table; its "SHIFT_JIS" is a different one (0x5C as the yen
// sign, no NEC extensions), so the name matters.
class Converter
{
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in; on an input sequence that cannot be converted calls onBad, which returns how
    // many input bytes to skip and appends its replacement to the output.
    template <class OnBad>
    QByteArray run(const char *in, size_t inLeft, OnBad onBad)
    {
        QByteArray out;
        out.resize(static_cast<int>(inLeft * 2 + 16));
        char *src = const_cast<char *>(in);
        size_t used = 0;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char *dst = out.data() + used;
            size_t outLeft = static_cast<size_t>(out.size()) - used;
            const size_t r = iconv(cd_, &src, &inLeft, &dst, &outLeft);
            used = static_cast<size_t>(dst - out.data());
            if (r != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (a sequence cut off at the end).
            out.resize(static_cast<int>(used));
            const size_t skip = onBad(src, inLeft, out);
            src += skip;
            inLeft -= skip;
            used = static_cast<size_t>(out.size());
            out.resize(static_cast<int>(used + inLeft * 2 + 16));
        }
        out.resize(static_cast<int>(used));
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

QString decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    Converter c("UTF-16LE", "CP932");
    if (!c.ok())
        return QString::fromLatin1(bytes);
    const QByteArray utf16 =
        c.run(bytes.constData(), static_cast<size_t>(bytes.size()), [](const char *, size_t, QByteArray &out) {
            out.append("\xFD\xFF", 2); // U+FFFD, little-endian
            return size_t(1);
        });
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
}

QByteArray encode(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    Converter c("CP932", "UTF-16LE");
    if (!c.ok())
        return text.toLatin1();
    const char *in = reinterpret_cast<const char *>(text.utf16());
    return c.run(in, static_cast<size_t>(text.size()) * 2, [](const char *src, size_t left, QByteArray &out) {
        out.append('?');
        // Skip the whole character: a surrogate pair is one character.
        const auto u = static_cast<unsigned char>(src[1]);
        return (left >= 4 && u >= 0xD8 && u <= 0xDB) ? size_t(4) : size_t(left >= 2 ? 2 : left);
    });
}

QString readBack(const QString &text) { return decode(encode(text)); }

int byteLength(const QString &text) { return encode(text).size(); }

} // namespace cp932
