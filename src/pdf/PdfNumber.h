// Numbers as PDF writes them: fixed decimals with a point, whatever the locale.
#pragma once

#include <string>

namespace vtx::pdf {

/// Appends value with exactly `decimals` decimals (halves away from zero); with 0 decimals the
/// text ends with the point ("12.").
void appendFixed(std::string& out, double value, int decimals);
std::string fixed(double value, int decimals);
/// The shortest text of value rounded to six decimals, never with an exponent ("595.28", "842").
std::string shortest(double value);
/// Appends a whole number.
void appendInt(std::string& out, long long value);
/// A whole number left-padded with zeros to ten digits (cross-reference offsets).
std::string padOffset(long long value);
/// Rounds to the nearest whole number, halves to the even neighbour.
long long roundEven(double value);

} // namespace vtx::pdf
