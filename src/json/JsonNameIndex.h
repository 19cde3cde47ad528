// The lookup of member names to their positions in a JSON object.
#pragma once

#include <cstdint>
#include <vector>

#include <QString>

namespace vtx {

/// Finds a member's position by its exact name; small objects scan the hashes, large ones
/// keep an open-addressing table.
class JsonNameIndex {
public:
    /// The 0-based position of the name in names, or -1.
    std::ptrdiff_t find(QStringView name, std::uint32_t hash,
                        const std::vector<QString>& names) const;
    /// Records the member just appended at the end of names.
    void append(std::uint32_t hash);
    /// Forgets the member at position, the later members moving up one.
    void removeAt(std::ptrdiff_t position);
    void clear();

private:
    void rebuild();
    void insertSlot(std::uint32_t hash, std::ptrdiff_t position);

    std::vector<std::uint32_t> m_hashes; // one per member, in order
    std::vector<std::int32_t> m_slots;   // position + 1, 0 when free; empty for small objects
};

} // namespace vtx
