// Locale-free conversions between numbers and their invariant text.
#include "InvariantNumber.h"

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

} // namespace

std::optional<double> toDouble(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<NumberText> fromDouble(double value) {
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
