// FNV-1a hash of member names.
#include "JsonNameHash.h"

namespace vtx {

std::uint32_t memberNameHash(QStringView name) {
    std::uint32_t hash = 2166136261u;
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        hash = (hash ^ (unit & 0xFFu)) * 16777619u;
        hash = (hash ^ (unit >> 8)) * 16777619u;
    }
    return hash;
}

} // namespace vtx
