// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vb/vb.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vb {

RuntimeError::RuntimeError(int number, const QString &description)
    : std::runtime_error(description.toStdString()),
      number_(number)
{}

QString errorDescription(int number)
{
    switch (number) {
    case ErrInvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow: return QStringLiteral("Overflow");
    case ErrOutOfMemory: return QStringLiteral("Out of memory");
    case ErrSubscript: return QStringLiteral("Subscript out of range");
    case ErrDivisionByZero: return QStringLiteral("Division by zero");
    case ErrTypeMismatch: return QStringLiteral("Type mismatch");
    case ErrInternal: return QStringLiteral("Internal error");
    case ErrBadFileName: return QStringLiteral("Bad file name or number");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrFileAlreadyOpen: return QStringLiteral("File already open");
    case ErrInputPastEnd: return QStringLiteral("Input past end of file");
    case ErrPermissionDenied: return QStringLiteral("Permission denied");
    case ErrPathFileAccess: return QStringLiteral("Path/File access error");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrObjectNotSet: return QStringLiteral("Object variable not set");
    case ErrDdeChannelClosed: return QStringLiteral("DDE channel not fully closed");
    case ErrDdeNoResponse: return QStringLiteral("No foreign application responded to a DDE initiate");
    case ErrDdeRefused: return QStringLiteral("Foreign application won't perform DDE method or operation");
    case ErrDdeTimeout: return QStringLiteral("Timeout while waiting for DDE response");
    case ErrDdeNoLink: return QStringLiteral("Invalid DDE link format");
    case ErrNoSuchElement: return QStringLiteral("Control array element doesn't exist");
    case ErrAlreadyLoaded: return QStringLiteral("Object already loaded");
    case ErrDesignElement: return QStringLiteral("Can't unload controls created at design time");
    case ErrInvalidPropertyValue: return QStringLiteral("Invalid property value");
    case ErrInvalidPicture: return QStringLiteral("Invalid picture");
    case ErrPrinter: return QStringLiteral("Printer error");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

void raiseError(int number, const QString &description)
{
    throw RuntimeError(number, description.isEmpty() ? errorDescription(number) : description);
}

qint16 checked16(long long v)
{
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        raiseError(ErrOverflow);
    return static_cast<qint16>(v);
}

// Nearest whole number, halves to the even neighbour, whatever the floating-point rounding
// mode is (the layout engine calls this millions of times: no mode switching).
static double roundHalfEven(double x)
{
    if (!(std::fabs(x) < 4503599627370496.0)) // 2^52: whole already (or not a number)
        return x;
    const double down = std::floor(x);
    const double rest = x - down; // exact
    if (rest != 0.5)
        return rest < 0.5 ? down : down + 1;
    return (static_cast<long long>(down) & 1) ? down + 1 : down;
}

qint16 CInt(double x)
{
    if (std::isnan(x))
        raiseError(ErrOverflow);
    const double r = roundHalfEven(x);
    if (r < -32768.0 || r > 32767.0)
        raiseError(ErrOverflow);
    return static_cast<qint16>(r);
}

qint32 CLng(double x)
{
    if (std::isnan(x))
        raiseError(ErrOverflow);
    const double r = roundHalfEven(x);
    if (r < -2147483648.0 || r > 2147483647.0)
        raiseError(ErrOverflow);
    return static_cast<qint32>(r);
}

Integer operator%(Integer a, Integer b)
{
    if (b.v_ == 0)
        raiseError(ErrDivisionByZero);
    return Integer(static_cast<qint16>(static_cast<int>(a.v_) % static_cast<int>(b.v_)));
}

Integer intDiv(Integer a, Integer b)
{
    if (b.v_ == 0)
        raiseError(ErrDivisionByZero);
    return Integer(checked16(static_cast<long long>(a.v_) / b.v_));
}

static bool ignoredByVal(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); }

static int digitIn(QChar c, int radix)
{
    const ushort u = c.unicode();
    int d = -1;
    if (u >= '0' && u <= '9')
        d = u - '0';
    else if (u >= 'a' && u <= 'f')
        d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        d = u - 'A' + 10;
    return d < radix ? d : -1;
}

static double radixValue(const QString &s, int pos, int radix)
{
    // &H and &O numbers: up to 32 bits; values that fit 16 bits are read as a 16-bit
    // pattern (so &HFFFF is -1), larger ones as a 32-bit pattern.
    quint64 v = 0;
    int digits = 0;
    for (int d; pos < s.size() && (d = digitIn(s.at(pos), radix)) >= 0; ++pos, ++digits) {
        v = v * radix + d;
        if (v > 0xFFFFFFFFull)
            raiseError(ErrOverflow);
    }
    if (digits == 0)
        return 0;
    if (v <= 0xFFFF)
        return static_cast<qint16>(static_cast<quint16>(v));
    return static_cast<qint32>(static_cast<quint32>(v));
}

double Val(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!ignoredByVal(c))
            s.append(c);

    if (s.size() >= 2 && s.at(0) == QLatin1Char('&')) {
        const QChar k = s.at(1).toUpper();
        if (k == QLatin1Char('H'))
            return radixValue(s, 2, 16);
        if (k == QLatin1Char('O'))
            return radixValue(s, 2, 8);
    }

    std::string num;
    int i = 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        num += char(s.at(i++).unicode());
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            num += char(c.unicode());
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            num += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s.at(i).toUpper() == QLatin1Char('E') || s.at(i).toUpper() == QLatin1Char('D'))) {
        std::string exp = "e";
        int j = i + 1;
        if (j < s.size() && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-')))
            exp += char(s.at(j++).unicode());
        bool expDigits = false;
        for (; j < s.size() && s.at(j).unicode() >= '0' && s.at(j).unicode() <= '9'; ++j) {
            exp += char(s.at(j).unicode());
            expDigits = true;
        }
        if (expDigits)
            num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    if (std::isinf(v))
        raiseError(ErrOverflow);
    return v;
}

QString Str(long long v) { return v >= 0 ? QStringLiteral(" ") + QString::number(v) : QString::number(v); }

static QString formatFloating(double v, int digits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, v);
    QString s = QString::fromLatin1(buf);
    // The run time writes ".5" and "-.5", not "0.5".
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QLatin1String("-0.")))
        s.remove(1, 1);
    return v >= 0 || s == QLatin1String("0") ? QStringLiteral(" ") + s : s;
}

QString Str(double v) { return formatFloating(v, 15); }
QString Str(float v) { return formatFloating(static_cast<double>(v), 7); }

} // namespace vb
