// Exact decimal arithmetic on 64-bit units.
#include "Decimal.h"

#include <algorithm>
#include <limits>

#include "DbError.h"

namespace vtx {

namespace {

constexpr int kMaxWholeDigits = 13;
constexpr int kMaxDigits = 18;

/// a op b, or UsageError when the result leaves 64 bits.
template <typename Op> std::int64_t checked(Op op, std::int64_t a, std::int64_t b) {
    std::int64_t out = 0;
    if (op(a, b, &out))
        throw UsageError("decimal out of range");
    return out;
}
const auto mulOverflows = [](std::int64_t a, std::int64_t b, std::int64_t* r) {
    return __builtin_mul_overflow(a, b, r);
};

std::int64_t pow10(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

/// Reads [sign]digits[separator digits] from characters given one at a time; grouping marks
/// (when not zero) are passed over in the whole part. Nothing for any other text, nor for more
/// than 13 whole or 18 significant digits.
template <typename CharAt>
std::optional<Decimal> readNumber(CharAt charAt, qsizetype length, char16_t separator,
                                  char16_t grouping) {
    if (length == 0)
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (charAt(0) == u'-' || charAt(0) == u'+') {
        negative = charAt(0) == u'-';
        ++i;
    }
    std::int64_t units = 0;
    int scale = 0;
    int wholeDigits = 0;
    int significantDigits = 0;
    bool seenSeparator = false;
    bool seenDigit = false;
    for (; i < length; ++i) {
        const char16_t c = charAt(i);
        if (c >= u'0' && c <= u'9') {
            if (units != 0 || c != u'0') {
                ++significantDigits;
                if (!seenSeparator)
                    ++wholeDigits;
            }
            // Room to add decimals later without leaving 64 bits.
            if (wholeDigits > kMaxWholeDigits || significantDigits > kMaxDigits)
                return std::nullopt;
            units = units * 10 + (c - u'0');
            seenDigit = true;
            if (seenSeparator)
                ++scale;
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
        } else if (grouping != 0 && c == grouping && !seenSeparator && seenDigit) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    return Decimal(negative ? -units : units, scale);
}

// Read as text or as a number through QVariant, a decimal gives its value.
const bool convertersRegistered = [] {
    QMetaType::registerConverter<Decimal, QString>(&Decimal::toString);
    QMetaType::registerConverter<Decimal, double>(
        [](const Decimal& d) { return d.toString().toDouble(); });
    // Sums of whole numbers come back as decimals too.
    QMetaType::registerConverter<Decimal, qlonglong>(
        [](const Decimal& d) { return qlonglong(d.rescaled(0).units()); });
    QMetaType::registerConverter<Decimal, int>(
        [](const Decimal& d) { return int(d.rescaled(0).units()); });
    return true;
}();

} // namespace

std::optional<Decimal> Decimal::parse(const QString& text, QChar separator) {
    const QString t = text.trimmed();
    const char16_t grouping = separator == QLatin1Char(',') ? u'.' : u'\0';
    return readNumber([&](qsizetype i) { return t[i].unicode(); }, t.size(), separator.unicode(),
                      grouping);
}

std::optional<Decimal> Decimal::fromPlainText(const char* text, std::size_t length) {
    return readNumber([&](qsizetype i) { return char16_t(static_cast<unsigned char>(text[i])); },
                      static_cast<qsizetype>(length), u'.', u'\0');
}

Decimal Decimal::rescaled(int scale) const {
    if (scale == m_scale)
        return *this;
    if (scale > m_scale)
        return Decimal(checked(mulOverflows, m_units, pow10(scale - m_scale)), scale);
    const std::int64_t div = pow10(m_scale - scale);
    std::int64_t q = m_units / div;
    const std::int64_t r = m_units % div;
    if (2 * (r < 0 ? -r : r) >= div)
        q += m_units < 0 ? -1 : 1;
    return Decimal(q, scale);
}

QString Decimal::toString() const {
    const std::int64_t a = m_units < 0 ? -m_units : m_units;
    QString digits = QString::number(a);
    if (m_scale > 0) {
        if (digits.size() <= m_scale)
            digits = QString(m_scale - digits.size() + 1, QLatin1Char('0')) + digits;
        digits.insert(digits.size() - m_scale, QLatin1Char('.'));
    }
    return m_units < 0 ? QLatin1Char('-') + digits : digits;
}

Decimal Decimal::operator+(const Decimal& o) const {
    const int s = std::max(m_scale, o.m_scale);
    const auto add = [](std::int64_t a, std::int64_t b, std::int64_t* r) {
        return __builtin_add_overflow(a, b, r);
    };
    return Decimal(checked(add, rescaled(s).m_units, o.rescaled(s).m_units), s);
}

Decimal Decimal::operator-(const Decimal& o) const {
    const int s = std::max(m_scale, o.m_scale);
    const auto subtract = [](std::int64_t a, std::int64_t b, std::int64_t* r) {
        return __builtin_sub_overflow(a, b, r);
    };
    return Decimal(checked(subtract, rescaled(s).m_units, o.rescaled(s).m_units), s);
}

Decimal Decimal::operator*(const Decimal& o) const {
    return Decimal(checked(mulOverflows, m_units, o.m_units), m_scale + o.m_scale);
}

Decimal Decimal::dividedBy(const Decimal& divisor, int scale) const {
    return timesDividedBy(Decimal(1, 0), divisor, scale);
}

Decimal Decimal::timesDividedBy(const Decimal& factor, const Decimal& divisor, int scale) const {
    if (divisor.m_units == 0)
        throw UsageError("decimal division by zero");
    // a * f / d = (a.units * f.units * 10^(scale + d.scale - a.scale - f.scale)) / d.units units
    // of 10^-scale; 128 bits hold every product of two 64-bit amounts.
    __int128 numerator = static_cast<__int128>(m_units) * factor.m_units;
    __int128 denominator = divisor.m_units;
    const int shift = scale + divisor.m_scale - m_scale - factor.m_scale;
    for (int i = shift; i > 0; --i)
        numerator *= 10;
    for (int i = shift; i < 0; ++i)
        denominator *= 10;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    __int128 quotient = numerator / denominator;
    const __int128 remainder = numerator % denominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >= denominator)
        quotient += numerator < 0 ? -1 : 1;
    if (quotient > std::numeric_limits<std::int64_t>::max() ||
        quotient < std::numeric_limits<std::int64_t>::min())
        throw UsageError("decimal quotient out of range");
    return Decimal(static_cast<std::int64_t>(quotient), scale);
}

int Decimal::compare(const Decimal& o) const {
    const int s = std::max(m_scale, o.m_scale);
    const std::int64_t a = rescaled(s).m_units;
    const std::int64_t b = o.rescaled(s).m_units;
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace vtx
