// Locale-free number formatting for the PDF writer.
#include "PdfNumber.h"

#include <charconv>
#include <cmath>

namespace vtx::pdf {

namespace {

constexpr long long kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

/// std::llround for |value| below 2^53, without the library call: the whole part by
/// truncation, then the exact remainder decides.
long long roundHalfAway(double value) {
    const auto whole = static_cast<long long>(value);
    const double rest = value - static_cast<double>(whole);
    return whole + (rest >= 0.5) - (rest <= -0.5);
}

} // namespace

void appendInt(std::string& out, long long value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void appendFixed(std::string& out, double value, int decimals) {
    if (decimals < 0)
        decimals = 0;
    if (!std::isfinite(value))
        value = 0;
    // Exact integer arithmetic covers every coordinate; huge values fall back to to_chars.
    if (decimals > 8 || std::fabs(value) * kPow10[decimals] > 9e15) {
        char buf[400];
        const auto res =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
        out.append(buf, res.ptr);
        if (decimals == 0)
            out.push_back('.');
        return;
    }
    // The text is made backwards in a buffer and appended at once: the decimals, the point,
    // the whole part and the sign.
    const long long scaled = roundHalfAway(value * static_cast<double>(kPow10[decimals]));
    unsigned long long mag = scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled)
                                        : static_cast<unsigned long long>(scaled);
    char buf[32];
    char* const end = buf + sizeof buf;
    char* p = end;
    for (int i = 0; i < decimals; ++i, mag /= 10)
        *--p = static_cast<char>('0' + mag % 10);
    *--p = '.';
    do
        *--p = static_cast<char>('0' + mag % 10);
    while ((mag /= 10) != 0);
    if (scaled < 0)
        *--p = '-';
    out.append(p, static_cast<size_t>(end - p));
}

std::string fixed(double value, int decimals) {
    std::string s;
    appendFixed(s, value, decimals);
    return s;
}

std::string shortest(double value) {
    if (!std::isfinite(value))
        value = 0;
    // At most six decimals, so that 841.89 - 40 reads 801.89.
    if (std::fabs(value) < 1e12)
        value = std::round(value * 1e6) / 1e6 + 0.0; // no "-0"
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

std::string padOffset(long long value) {
    std::string s = std::to_string(value);
    if (s.size() < 10)
        s.insert(0, 10 - s.size(), '0');
    return s;
}

long long roundEven(double value) {
    return static_cast<long long>(std::nearbyint(value));
}

} // namespace vtx::pdf
