// Exact decimal numbers as a 96-bit integer with a scale of 0 to 28 and a sign.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

namespace vtx {

/// A decimal number: mantissa × 10^-scale, the mantissa below 2^96, the scale 0 to 28.
class Decimal96 {
public:
    using Wide = unsigned __int128;
    static constexpr int kMaxScale = 28;

    Decimal96() = default;

    /// The number, or nothing when the mantissa needs more than 96 bits or the scale is
    /// outside 0 to 28.
    static std::optional<Decimal96> fromParts(Wide mantissa, int scale, bool negative);
    /// Invariant text: [sign]digits[.digits][e[sign]digits]. Digits beyond what 96 bits and
    /// 28 decimals hold are rounded half away from zero; nothing for other text or overflow.
    static std::optional<Decimal96> parse(std::string_view text);

    Wide mantissa() const { return (Wide(m_hi) << 64) | (Wide(m_mid) << 32) | m_lo; }
    int scale() const { return m_scale; }
    bool isNegative() const { return m_negative; }

    /// Point as separator, no exponent and no trailing zeros after the point ("-12.5", "0").
    QString toString() const;

    /// Equal values compare equal whatever their scale (1.50 == 1.5).
    bool operator==(const Decimal96& other) const;

private:
    std::uint32_t m_lo = 0;
    std::uint32_t m_mid = 0;
    std::uint32_t m_hi = 0;
    std::uint8_t m_scale = 0;
    bool m_negative = false;
};

} // namespace vtx
