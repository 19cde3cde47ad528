// Number text in the invariant form: a point as decimal separator, whatever the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <QString>

namespace vtx::InvariantNumber {

/// The whole text as a finite double ("-3e2", "007", "2.5"); nothing for other text,
/// overflow or underflow.
std::optional<double> toDouble(std::string_view text);

/// A short number text held without allocation.
struct NumberText {
    char data[32];
    std::size_t size = 0;
    std::string_view view() const { return {data, size}; }
};

/// 15 significant digits, an exponent from 10^15 up or below 10^-4 ("2.5", "1e+20", "1e-05");
/// nothing for infinities and NaN.
std::optional<NumberText> fromDouble(double value);
/// The same with the 7 significant digits of a single-precision number.
std::optional<NumberText> fromSingle(float value);
/// A currency amount held as units of 1/10000, without trailing zeros ("1.5", "-0.0001").
QString fromCurrency(std::int64_t units);

} // namespace vtx::InvariantNumber
