// The 32-bit hash of a member name, taken over its UTF-16 code units.
#pragma once

#include <cstdint>

#include <QStringView>

namespace vtx {

/// FNV-1a over the name's code units, two bytes each, low byte first; exact, case included.
std::uint32_t memberNameHash(QStringView name);

} // namespace vtx
