// SPDX-License-Identifier: GPL-2.0-or-later
// The numeric and text rules of the run time the programs were written for: 16-bit integers
// whose arithmetic fails on overflow, rounding with halves to even, Val and Str, and run-time
// errors that carry their number.
#pragma once

#include <QString>
#include <QtGlobal>

#include <stdexcept>
#include <type_traits>

namespace vb {

enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrInternal = 51,
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrFileAlreadyOpen = 55,
    ErrInputPastEnd = 62,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectNotSet = 91,
    ErrDdeChannelClosed = 280,
    ErrDdeNoResponse = 282,
    ErrDdeRefused = 285,
    ErrDdeTimeout = 286,
    ErrDdeNoLink = 294,
    ErrNoSuchElement = 340,
    ErrAlreadyLoaded = 360,
    ErrDesignElement = 362,
    ErrInvalidPropertyValue = 380,
    ErrInvalidPicture = 481,
    ErrPrinter = 482,
};

// A run-time error as the programs trap it: a number and a text.
class RuntimeError : public std::runtime_error
{
public:
    RuntimeError(int number, const QString &description);
    int number() const { return number_; }
    QString description() const { return QString::fromUtf8(what()); }

private:
    int number_;
};

QString errorDescription(int number);
[[noreturn]] void raiseError(int number, const QString &description = QString());

constexpr qint16 True = -1;
constexpr qint16 False = 0;
inline qint16 toBool16(bool b) { return b ? True : False; }

// Nearest whole number, halves to the even neighbour; error 6 outside the 16-bit range.
qint16 CInt(double x);
// The same into 32 bits.
qint32 CLng(double x);
// A whole number that must fit 16 bits; error 6 otherwise.
qint16 checked16(long long v);

// A signed 16-bit integer whose arithmetic raises error 6 on overflow. Mixing it with other
// integers keeps the 16-bit rule; mixing it with floating point gives a double.
class Integer
{
public:
    constexpr Integer() = default;
    constexpr Integer(qint16 v) : v_(v) {} // NOLINT: a 16-bit value is always an Integer
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, qint16> && !std::is_same_v<T, bool>,
                                        int> = 0>
    Integer(T v) : v_(checked16(static_cast<long long>(v)))
    {} // NOLINT

    constexpr operator qint16() const { return v_; } // NOLINT
    constexpr qint16 value() const { return v_; }

    Integer &operator+=(Integer o)
    {
        v_ = checked16(static_cast<long long>(v_) + o.v_);
        return *this;
    }
    Integer &operator-=(Integer o)
    {
        v_ = checked16(static_cast<long long>(v_) - o.v_);
        return *this;
    }
    Integer &operator*=(Integer o)
    {
        v_ = checked16(static_cast<long long>(v_) * o.v_);
        return *this;
    }
    Integer &operator++() { return *this += Integer(qint16(1)); }
    Integer &operator--() { return *this -= Integer(qint16(1)); }
    Integer operator-() const { return Integer(checked16(-static_cast<long long>(v_))); }

    friend Integer operator+(Integer a, Integer b) { return a += b; }
    friend Integer operator-(Integer a, Integer b) { return a -= b; }
    friend Integer operator*(Integer a, Integer b) { return a *= b; }
    // Integer division and remainder as the language does them: truncating, sign of the dividend.
    friend Integer operator%(Integer a, Integer b);
    friend Integer intDiv(Integer a, Integer b);

    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator+(Integer a, T b)
    {
        return a + Integer(b);
    }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator+(T a, Integer b)
    {
        return Integer(a) + b;
    }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator-(Integer a, T b)
    {
        return a - Integer(b);
    }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator-(T a, Integer b)
    {
        return Integer(a) - b;
    }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator*(Integer a, T b)
    {
        return a * Integer(b);
    }
    template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
    friend Integer operator%(Integer a, T b)
    {
        return a % Integer(b);
    }

    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator+(Integer a, T b)
    {
        return double(a.v_) + double(b);
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator-(Integer a, T b)
    {
        return double(a.v_) - double(b);
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator*(Integer a, T b)
    {
        return double(a.v_) * double(b);
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator+(T a, Integer b)
    {
        return double(a) + double(b.v_);
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator-(T a, Integer b)
    {
        return double(a) - double(b.v_);
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    friend double operator*(T a, Integer b)
    {
        return double(a) * double(b.v_);
    }

private:
    qint16 v_ = 0;
};

using Single = float;

// The leading number of a text: blanks, tabs and line feeds are ignored, an optional sign,
// digits with one decimal point and an exponent (E or D), or &H / &O whole numbers.
// A text that does not begin with a number gives 0.
double Val(const QString &text);

// Decimal text with the sign position: a blank before a non-negative number.
QString Str(long long v);
inline QString Str(Integer v) { return Str(static_cast<long long>(v.value())); }
inline QString Str(int v) { return Str(static_cast<long long>(v)); }
QString Str(double v);
QString Str(float v);

// Decimal text without the sign position (CStr of a whole number).
inline QString CStr(long long v) { return QString::number(v); }

} // namespace vb
