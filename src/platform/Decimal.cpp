// Exact decimal arithmetic on 64-bit units.
#include "Decimal.h"

#include <algorithm>
#include <limits>

#include <QList>

#include "DbError.h"

namespace vtx {

namespace {

constexpr int kMaxWholeDigits = 13;
constexpr int kMaxDigits = 18;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

using Wide = unsigned __int128;

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

using Signed = __int128;

/// 10^n for 0 <= n <= 38, the powers 128 bits hold.
Wide pow10(std::int64_t n) {
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

Wide magnitude(std::int64_t v) {
    return v < 0 ? Wide(0) - Wide(v) : Wide(v);
}

/// The signed value of a magnitude, or UsageError when it leaves 64 bits.
std::int64_t withSign(Wide m, bool negative, const char* what) {
    if (m > Wide(kMax) + (negative ? 1 : 0))
        throw UsageError(what);
    return negative ? static_cast<std::int64_t>(Wide(0) - m) : static_cast<std::int64_t>(m);
}

/// m / 10^n rounded half away from zero, or half to even; 0 once 10^n passes twice any 128-bit
/// magnitude.
Wide dividedByPow10(Wide m, std::int64_t n, bool halfToEven = false) {
    if (n <= 0)
        return m;
    if (n > 38)
        return 0;
    const Wide p = pow10(n);
    const Wide q = m / p;
    // p is even, so m / p lies at or past the half exactly when the whole remainder does.
    const Wide rest = m % p;
    if (halfToEven && rest == p / 2)
        return q % 2 == 0 ? q : q + 1;
    return rest >= p / 2 ? q + 1 : q;
}

/// The units of a value at a scale no smaller than its own, in 128 bits; nothing when they
/// leave 128 bits, which puts any sum with a 64-bit operand past 64 bits too.
std::optional<Signed> unitsAt(std::int64_t units, int from, int to) {
    Signed out = 0;
    if (__builtin_mul_overflow(Signed(units), Signed(pow10(to - from)), &out))
        return std::nullopt;
    return out;
}

/// a op b at the larger scale of the two, computed in 128 bits: UsageError only when the
/// result leaves 64 bits.
template <typename Op> Decimal sumAtLargerScale(const Decimal& a, const Decimal& b, Op op) {
    const int scale = std::max(a.scale(), b.scale());
    const std::optional<Signed> x = unitsAt(a.units(), a.scale(), scale);
    const std::optional<Signed> y = unitsAt(b.units(), b.scale(), scale);
    Signed sum = 0;
    if (!x || !y || op(*x, *y, &sum) || sum > Signed(kMax) || sum < -Signed(kMax) - 1)
        throw UsageError("decimal out of range");
    return Decimal(static_cast<std::int64_t>(sum), scale);
}

/// Reads [sign]digits[separator digits] from characters given one at a time. Nothing for any
/// other text; a number of more than 13 whole or 18 decimal or 18 significant digits is read
/// as too long.
template <typename CharAt>
DecimalReading readNumber(CharAt charAt, qsizetype length, char16_t separator) {
    if (length == 0)
        return {};
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
    bool tooLong = false;
    for (; i < length; ++i) {
        const char16_t c = charAt(i);
        if (c >= u'0' && c <= u'9') {
            seenDigit = true;
            if (units != 0 || c != u'0') {
                ++significantDigits;
                if (!seenSeparator)
                    ++wholeDigits;
            }
            if (seenSeparator)
                ++scale;
            // Room to add decimals later without leaving 64 bits.
            tooLong = tooLong || wholeDigits > kMaxWholeDigits || significantDigits > kMaxDigits ||
                      scale > kMaxDigits;
            if (!tooLong)
                units = units * 10 + (c - u'0');
        } else if (c == separator && !seenSeparator) {
            seenSeparator = true;
        } else {
            return {};
        }
    }
    if (!seenDigit)
        return {};
    if (tooLong)
        return {std::nullopt, /*tooLong=*/true};
    return {Decimal(negative ? -units : units, scale)};
}

/// True when the points split the digits into thousands: a first group of 1 to 3 digits not
/// starting with 0, then groups of exactly 3 ("1.234.567").
bool isGrouped(QStringView whole) {
    const auto groups = whole.split(u'.');
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QStringView group = groups[g];
        const bool sized =
            g == 0 ? group.size() >= 1 && group.size() <= 3 && group[0] != u'0' : group.size() == 3;
        if (!sized)
            return false;
        for (QChar c : group)
            if (c < u'0' || c > u'9')
                return false;
    }
    return true;
}

/// A text with a decimal comma as one readNumber takes: thousands points dropped; a lone point
/// that groups nothing, in a text without a comma, is the decimal mark. Nothing for any other
/// use of a point.
std::optional<QString> withoutGrouping(const QString& text) {
    if (!text.contains(u'.'))
        return text;
    const qsizetype signLength = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0 && text.indexOf(u'.', comma) >= 0)
        return std::nullopt;
    const QStringView whole =
        QStringView(text).mid(signLength, comma < 0 ? -1 : comma - signLength);
    if (isGrouped(whole))
        return QString(text).remove(u'.');
    if (comma < 0 && text.count(u'.') == 1)
        return QString(text).replace(u'.', u',');
    return std::nullopt;
}

// Read as text or as a number through QVariant, a decimal gives its value.
const bool convertersRegistered = [] {
    QMetaType::registerConverter<Decimal, QString>(&Decimal::toString);
    QMetaType::registerConverter<Decimal, double>(
        [](const Decimal& d) { return d.toString().toDouble(); });
    // Sums of whole numbers come back as decimals too.
    QMetaType::registerConverter<Decimal, qlonglong>(
        [](const Decimal& d) { return qlonglong(d.rescaled(0).units()); });
    // A whole number past int's range fails the conversion (toInt() gives 0 and says so)
    // instead of being cut.
    QMetaType::registerConverterFunction(
        [](const void* from, void* to) {
            const std::int64_t whole = static_cast<const Decimal*>(from)->rescaled(0).units();
            const bool fits = whole >= std::numeric_limits<int>::min() &&
                              whole <= std::numeric_limits<int>::max();
            *static_cast<int*>(to) = fits ? int(whole) : 0;
            return fits;
        },
        QMetaType::fromType<Decimal>(), QMetaType::fromType<int>());
    return true;
}();

} // namespace

DecimalReading Decimal::read(const QString& text, QChar separator) {
    QString t = text.trimmed();
    if (separator == QLatin1Char(',')) {
        std::optional<QString> plain = withoutGrouping(t);
        if (!plain)
            return {};
        t = std::move(*plain);
    }
    return readNumber([&](qsizetype i) { return t[i].unicode(); }, t.size(), separator.unicode());
}

std::optional<Decimal> Decimal::parse(const QString& text, QChar separator) {
    return read(text, separator).value;
}

std::optional<Decimal> Decimal::fromPlainText(const char* text, std::size_t length) {
    return readNumber([&](qsizetype i) { return char16_t(static_cast<unsigned char>(text[i])); },
                      static_cast<qsizetype>(length), u'.')
        .value;
}

void Decimal::refuseScale() {
    throw UsageError("decimal scale out of range");
}

Decimal Decimal::rescaled(int scale) const {
    checkedScale(scale);
    const std::int64_t shift = std::int64_t(scale) - m_scale;
    if (shift == 0 || m_units == 0)
        return Decimal(m_units, scale);
    if (shift > 0) {
        // Any units but 0 times 10^19 or more leave 64 bits.
        if (shift > kMaxDigits)
            throw UsageError("decimal out of range");
        return Decimal(checked(mulOverflows, m_units, std::int64_t(pow10(shift))), scale);
    }
    return Decimal(
        withSign(dividedByPow10(magnitude(m_units), -shift), m_units < 0, "decimal out of range"),
        scale);
}

Decimal Decimal::atMostDecimals(int scale) const {
    return m_scale > scale ? rescaled(scale) : *this;
}

Decimal Decimal::roundedHalfToEven(int scale) const {
    checkedScale(scale);
    if (scale >= m_scale)
        return *this;
    const Wide m = dividedByPow10(magnitude(m_units), m_scale - scale, /*halfToEven=*/true);
    return Decimal(withSign(m, m_units < 0, "decimal out of range"), scale);
}

QString Decimal::toString() const {
    QString digits = QString::number(static_cast<quint64>(magnitude(m_units)));
    if (m_scale > 0) {
        if (digits.size() <= m_scale)
            digits = QString(m_scale - digits.size() + 1, QLatin1Char('0')) + digits;
        digits.insert(digits.size() - m_scale, QLatin1Char('.'));
    }
    return m_units < 0 ? QLatin1Char('-') + digits : digits;
}

Decimal Decimal::operator+(const Decimal& o) const {
    return sumAtLargerScale(
        *this, o, [](Signed a, Signed b, Signed* r) { return __builtin_add_overflow(a, b, r); });
}

Decimal Decimal::operator-(const Decimal& o) const {
    return sumAtLargerScale(
        *this, o, [](Signed a, Signed b, Signed* r) { return __builtin_sub_overflow(a, b, r); });
}

Decimal Decimal::operator*(const Decimal& o) const {
    // Both scales are at most kMaxScale: their sum cannot overflow an int.
    return Decimal(checked(mulOverflows, m_units, o.m_units), checkedScale(m_scale + o.m_scale));
}

Decimal Decimal::dividedBy(const Decimal& divisor, int scale) const {
    return timesDividedBy(Decimal(1, 0), divisor, scale);
}

Decimal Decimal::timesDividedBy(const Decimal& factor, const Decimal& divisor, int scale) const {
    checkedScale(scale);
    if (divisor.m_units == 0)
        throw UsageError("decimal division by zero");
    // a * f / d = (a.units * f.units * 10^shift) / d.units units of 10^-scale, where
    // shift = scale + d.scale - a.scale - f.scale; 128 bits hold every product of two 64-bit
    // amounts, and the power of ten is applied by long division so that nothing overflows.
    const bool negative = ((m_units < 0) != (factor.m_units < 0)) != (divisor.m_units < 0);
    const Wide numerator = magnitude(m_units) * magnitude(factor.m_units);
    const Wide denominator = magnitude(divisor.m_units);
    const std::int64_t shift =
        std::int64_t(scale) + divisor.m_scale - m_scale - std::int64_t(factor.m_scale);
    Wide quotient = numerator / denominator;
    Wide remainder = numerator % denominator;
    if (shift < 0) {
        // Rounded once, from the whole quotient: the remainder below a unit cannot reach half
        // of an even power of ten on its own.
        quotient = dividedByPow10(quotient, -shift);
    } else {
        for (std::int64_t i = 0; i < shift && (quotient != 0 || remainder != 0); ++i) {
            if (quotient > Wide(kMax))
                throw UsageError("decimal quotient out of range");
            remainder *= 10;
            quotient = quotient * 10 + remainder / denominator;
            remainder %= denominator;
        }
        if (2 * remainder >= denominator)
            ++quotient;
    }
    return Decimal(withSign(quotient, negative && quotient != 0, "decimal quotient out of range"),
                   scale);
}

int Decimal::compare(const Decimal& o) const {
    const bool negative = m_units < 0;
    if (negative != (o.m_units < 0) || m_units == 0 || o.m_units == 0)
        return m_units < o.m_units ? -1 : m_units > o.m_units ? 1 : 0;
    // Same sign, neither zero: the magnitudes at the larger scale, in 128 bits while they fit.
    const std::int64_t shift = std::int64_t(o.m_scale) - m_scale;
    int byMagnitude = 0;
    if (shift > kMaxDigits + 1) {
        byMagnitude = 1; // at least 10^-m_scale against less than a tenth of it
    } else if (shift < -(kMaxDigits + 1)) {
        byMagnitude = -1;
    } else {
        const Wide a = magnitude(m_units) * pow10(std::max<std::int64_t>(shift, 0));
        const Wide b = magnitude(o.m_units) * pow10(std::max<std::int64_t>(-shift, 0));
        byMagnitude = a < b ? -1 : a > b ? 1 : 0;
    }
    return negative ? -byMagnitude : byMagnitude;
}

} // namespace vtx
