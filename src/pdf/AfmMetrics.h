// Character widths of a standard font, read from its Adobe Font Metrics file.
#pragma once

#include <array>
#include <optional>

#include <QString>

namespace vtx::pdf {

/// Widths in thousandths of the font size, indexed by Windows-1252 byte.
using AfmWidths = std::array<int, 256>;

/// Reads an AFM file. Text fonts are mapped by glyph name through WinAnsiEncoding (the AFM
/// codes are StandardEncoding); symbolic fonts keep their own codes. Nothing when unreadable.
std::optional<AfmWidths> readAfm(const QString& path);

/// The WinAnsiEncoding glyph name of a byte, empty where the encoding has none.
const char* winAnsiGlyph(unsigned char code);

} // namespace vtx::pdf
