// Reading, writing and comparing the 96-bit scaled decimal.
#include "Decimal96.h"

#include <algorithm>
#include <string>

namespace vtx {
namespace {

constexpr Decimal96::Wide kLimit = Decimal96::Wide(1) << 96;
// 29 decimal digits always fit in 128 bits; 2^96 has 29 digits.
constexpr int kMaxDigits = 29;

Decimal96::Wide digitsValue(std::string_view digits) {
    Decimal96::Wide value = 0;
    for (char c : digits)
        value = value * 10 + Decimal96::Wide(c - '0');
    return value;
}

/// The text split into its significant digits and a power of ten.
struct Parsed {
    bool negative = false;
    std::string digits; // no leading zeros
    long long exponent = 0;
};

std::optional<Parsed> split(std::string_view text) {
    Parsed out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        out.negative = text[i++] == '-';
    bool anyDigit = false;
    bool point = false;
    long long fraction = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (point)
                ++fraction;
            if (c != '0' || !out.digits.empty())
                out.digits.push_back(c);
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExp = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            negativeExp = text[i++] == '-';
        const std::size_t first = i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1000000LL);
        if (i == first)
            return std::nullopt;
        if (negativeExp)
            exponent = -exponent;
    }
    if (i != text.size())
        return std::nullopt;
    out.exponent = exponent - fraction;
    return out;
}

} // namespace

std::optional<Decimal96> Decimal96::fromParts(Wide mantissa, int scale, bool negative) {
    if (mantissa >= kLimit || scale < 0 || scale > kMaxScale)
        return std::nullopt;
    Decimal96 d;
    d.m_lo = std::uint32_t(mantissa);
    d.m_mid = std::uint32_t(mantissa >> 32);
    d.m_hi = std::uint32_t(mantissa >> 64);
    d.m_scale = std::uint8_t(scale);
    d.m_negative = negative;
    return d;
}

std::optional<Decimal96> Decimal96::parse(std::string_view text) {
    const std::optional<Parsed> p = split(text);
    if (!p)
        return std::nullopt;
    const long long length = static_cast<long long>(p->digits.size());
    if (length == 0)
        return fromParts(0, int(std::clamp(-p->exponent, 0LL, 28LL)), p->negative);
    if (p->exponent >= 0) {
        if (length + p->exponent > kMaxDigits)
            return std::nullopt;
        Wide value = digitsValue(p->digits);
        for (long long k = 0; k < p->exponent; ++k)
            value *= 10;
        return fromParts(value, 0, p->negative);
    }
    // Drop the digits that a scale of 28 or a 96-bit mantissa cannot hold, rounding.
    const long long scale = -p->exponent;
    long long drop = std::max({0LL, scale - kMaxScale, length - kMaxDigits});
    for (;; ++drop) {
        if (drop > scale)
            return std::nullopt;
        const long long keep = length - drop;
        Wide value = keep > 0 ? digitsValue(std::string_view(p->digits).substr(0, keep)) : 0;
        if (keep >= 0 && keep < length && p->digits[keep] >= '5')
            ++value;
        if (value < kLimit)
            return fromParts(value, int(scale - drop), p->negative);
    }
}

QString Decimal96::toString() const {
    Wide value = mantissa();
    std::string digits;
    do {
        digits.push_back(char('0' + int(value % 10)));
        value /= 10;
    } while (value != 0);
    while (int(digits.size()) <= m_scale)
        digits.push_back('0');
    std::reverse(digits.begin(), digits.end());
    std::string whole = digits.substr(0, digits.size() - m_scale);
    std::string fraction = digits.substr(digits.size() - m_scale);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string out = m_negative && mantissa() != 0 ? "-" : "";
    out += whole;
    if (!fraction.empty())
        out += '.' + fraction;
    return QString::fromLatin1(out);
}

bool Decimal96::operator==(const Decimal96& other) const {
    // Compare in lowest terms: trailing zeros of the mantissa taken off the scale.
    auto normal = [](Wide m, int s) {
        while (s > 0 && m % 10 == 0) {
            m /= 10;
            --s;
        }
        return std::pair{m, s};
    };
    const auto a = normal(mantissa(), m_scale);
    const auto b = normal(other.mantissa(), other.m_scale);
    if (a.first == 0 && b.first == 0)
        return true;
    return a == b && m_negative == other.m_negative;
}

} // namespace vtx
