// Locale-free conversions between numbers and their invariant text.
#include "InvariantNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vtx::InvariantNumber {
namespace {

std::optional<NumberText> general(double value, int digits) {
    if (!std::isfinite(value))
        return std::nullopt;
    NumberText text;
    const auto r = std::to_chars(text.data, text.data + sizeof text.data, value,
                                 std::chars_format::general, digits);
    text.size = std::size_t(r.ptr - text.data);
    return text;
}

/// The shortest round-trip digits of a finite value laid out as 15 significant digits would
/// be; nothing when they are more than 15.
std::optional<NumberText> shortestWithin15(double value) {
    // "-d.ddde-XX": the sign, the digits with a point after the first, the exponent.
    char sci[32];
    const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    const char* p = sci;
    NumberText text;
    char* out = text.data;
    if (*p == '-')
        *out++ = *p++;
    char digits[24];
    int count = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    if (count > 15)
        return std::nullopt;
    int exponent = 0;
    std::from_chars(p[1] == '+' ? p + 2 : p + 1, r.ptr, exponent);
    if (exponent < -4 || exponent >= 15) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            *out++ = '0';
        out = std::to_chars(out, text.data + sizeof text.data, magnitude).ptr;
    } else if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exponent - 1, '0');
        out = std::copy(digits, digits + count, out);
    } else if (count <= exponent + 1) {
        out = std::copy(digits, digits + count, out);
        out = std::fill_n(out, exponent + 1 - count, '0');
    } else {
        out = std::copy(digits, digits + exponent + 1, out);
        *out++ = '.';
        out = std::copy(digits + exponent + 1, digits + count, out);
    }
    text.size = std::size_t(out - text.data);
    return text;
}

/// Digits of a whole number, backwards from `end`; gives where they start.
char* digitsBefore(char* end, std::uint64_t value) {
    do
        *--end = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0);
    return end;
}

/// A number of one to four decimals, such as an amount, as those decimals: the decimal with
/// at most 15 digits whose nearest double is the value, found with one multiplication and one
/// correctly rounded division for each count of decimals tried; nothing for other values.
std::optional<NumberText> fewDecimals(double value) {
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
    if (value == 0 || !(std::fabs(value) < 1e10))
        return std::nullopt;
    for (int decimals = 1; decimals <= 4; ++decimals) {
        const double scaled = value * kScale[decimals];
        const auto units = static_cast<long long>(scaled + (scaled < 0 ? -0.5 : 0.5));
        if (static_cast<double>(units) / kScale[decimals] != value)
            continue;
        const std::uint64_t magnitude = units < 0 ? 0ULL - static_cast<std::uint64_t>(units)
                                                  : static_cast<std::uint64_t>(units);
        const auto scale = static_cast<std::uint64_t>(kScale[decimals]);
        char buffer[32];
        char* const end = buffer + sizeof buffer;
        char* start = end;
        std::uint64_t fraction = magnitude % scale;
        for (int i = 0; i < decimals; ++i, fraction /= 10)
            *--start = static_cast<char>('0' + fraction % 10);
        *--start = '.';
        start = digitsBefore(start, magnitude / scale);
        if (units < 0)
            *--start = '-';
        NumberText text;
        text.size = std::size_t(end - start);
        std::copy(start, end, text.data);
        return text;
    }
    return std::nullopt;
}

} // namespace

std::optional<double> toDouble(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The text is that of 15 significant digits (trailing zeros dropped, an exponent from 10^15 up
// or below 10^-4), reached by quicker paths where they give the same text: a whole number
// below 10^15 has at most 15 digits and is written as an integer; a normal number with a
// decimal of at most 15 digits whose nearest double it is (its shortest round-trip digits, or
// a few decimals found quicker) rounds to that decimal. Negative zero
// keeps its sign ("-0"), and subnormals, far from their shortest digits, take the slow path.
std::optional<NumberText> fromDouble(double value) {
    if (std::fabs(value) < 1e15 && value == std::trunc(value) &&
        !(value == 0 && std::signbit(value))) {
        NumberText text;
        const auto r =
            std::to_chars(text.data, text.data + sizeof text.data, static_cast<long long>(value));
        text.size = std::size_t(r.ptr - text.data);
        return text;
    }
    if (const auto text = fewDecimals(value))
        return text;
    if (std::isnormal(value))
        if (const auto text = shortestWithin15(value))
            return text;
    return general(value, 15);
}

std::optional<NumberText> fromSingle(float value) {
    return general(double(value), 7);
}

QString fromCurrency(std::int64_t units) {
    const std::uint64_t magnitude =
        units < 0 ? std::uint64_t(0) - std::uint64_t(units) : std::uint64_t(units);
    QString text = QString::number(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return units < 0 ? QLatin1Char('-') + text : text;
}

} // namespace vtx::InvariantNumber
