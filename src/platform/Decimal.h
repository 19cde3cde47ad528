// Exact decimal amounts: whole units and a scale, never binary floating point.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>

#include <QMetaType>
#include <QString>

namespace vtx {

struct DecimalReading;

/// A decimal number as an integer count of 10^-scale units.
class Decimal {
public:
    /// The largest scale: the powers of ten that 128 bits hold.
    static constexpr int kMaxScale = 38;

    Decimal() = default;
    /// UsageError for a scale outside 0..kMaxScale.
    Decimal(std::int64_t units, int scale) : m_units(units), m_scale(checkedScale(scale)) {}
    static Decimal fromInt(std::int64_t value) { return Decimal(value, 0); }

    /// Reads "1234", "-12,5", "1.234,56" style text when separator is ',', or "1234.56" when it
    /// is '.'; nothing for any other text, nor for more than 13 whole, 18 decimal or 18
    /// significant digits. With ',' a point groups thousands only where it splits the whole
    /// part into groups of three after a first one of 1 to 3 digits not starting with 0
    /// ("1.500" is 1500); a single point that groups nothing in a text without a comma is the
    /// decimal mark ("1.5", "01.500", ".5"); any other point makes the text no number.
    static std::optional<Decimal> parse(const QString& text, QChar separator = QLatin1Char('.'));
    /// What parse() reads a text as, telling a number with more digits than it takes from a
    /// text that is no number.
    static DecimalReading read(const QString& text, QChar separator = QLatin1Char('.'));
    /// Reads the plain form a database sends ("-1234.50"), with the limits of parse(); nothing
    /// for any other text.
    static std::optional<Decimal> fromPlainText(const char* text, std::size_t length);

    std::int64_t units() const { return m_units; }
    int scale() const { return m_scale; }
    bool isNegative() const { return m_units < 0; }
    bool isZero() const { return m_units == 0; }

    /// The same value at another scale, rounded half away from zero (0 once every digit is
    /// dropped); UsageError when a larger scale leaves 64 bits of units, or for a scale outside
    /// 0..kMaxScale.
    Decimal rescaled(int scale) const;
    /// The same value with at most `scale` decimals: rounded as rescaled() when it has more,
    /// as it is otherwise.
    Decimal atMostDecimals(int scale) const;
    /// The same value at a scale no larger than its own, rounded half to even: a tie goes to
    /// the even last digit (2.5 gives 2, 3.5 gives 4, -2.5 gives -2), where rescaled() and
    /// the conversions to a whole number take it away from zero.
    Decimal roundedHalfToEven(int scale) const;
    /// Plain text with a point and exactly scale() decimals ("1234.50"); also what a QVariant
    /// holding a decimal gives as text (its toDouble() the same value, its toLongLong() and
    /// toInt() the value rounded to a whole number, the latter failing outside int's range).
    QString toString() const;

    /// Exact sums, differences and products; UsageError when one leaves 64 bits of units (a sum
    /// at the larger scale of the two), or a product's scale passes kMaxScale.
    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    Decimal operator*(const Decimal& other) const;
    /// This value divided by the divisor, rounded half away from zero to the scale given;
    /// throws UsageError for a zero divisor or a quotient past 64 bits.
    Decimal dividedBy(const Decimal& divisor, int scale) const;
    /// This value times the factor divided by the divisor, with no rounding before the last
    /// step (the product may pass 64 bits); rounded and thrown as dividedBy.
    Decimal timesDividedBy(const Decimal& factor, const Decimal& divisor, int scale) const;
    bool operator==(const Decimal& other) const { return compare(other) == 0; }
    std::strong_ordering operator<=>(const Decimal& other) const { return compare(other) <=> 0; }

private:
    static int checkedScale(int scale) {
        if (scale < 0 || scale > kMaxScale)
            refuseScale();
        return scale;
    }
    [[noreturn]] static void refuseScale();
    int compare(const Decimal& other) const;

    std::int64_t m_units = 0;
    int m_scale = 0;
};

/// A text read as a decimal: its value, or, for a number with more digits than a Decimal is
/// read with, no value and tooLong; neither for a text that is no number.
struct DecimalReading {
    std::optional<Decimal> value;
    bool tooLong = false;
};

} // namespace vtx

Q_DECLARE_METATYPE(vtx::Decimal)
