// Member-name lookup by hash: a linear scan while small, a hash table when large.
#include "JsonNameIndex.h"

namespace vtx {
namespace {

constexpr std::size_t kScanLimit = 16;

} // namespace

std::ptrdiff_t JsonNameIndex::find(QStringView name, std::uint32_t hash,
                                   const std::vector<QString>& names) const {
    if (m_slots.empty()) {
        for (std::size_t i = 0; i < m_hashes.size(); ++i)
            if (m_hashes[i] == hash && names[i] == name)
                return std::ptrdiff_t(i);
        return -1;
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const std::int32_t slot = m_slots[s];
        if (slot == 0)
            return -1;
        if (m_hashes[slot - 1] == hash && names[slot - 1] == name)
            return slot - 1;
    }
}

void JsonNameIndex::append(std::uint32_t hash) {
    if (m_hashes.capacity() == 0)
        m_hashes.reserve(8);
    m_hashes.push_back(hash);
    if (m_hashes.size() <= kScanLimit)
        return;
    if (m_hashes.size() * 2 > m_slots.size())
        rebuild();
    else
        insertSlot(hash, std::ptrdiff_t(m_hashes.size() - 1));
}

void JsonNameIndex::removeAt(std::ptrdiff_t position) {
    m_hashes.erase(m_hashes.begin() + position);
    m_slots.clear();
    if (m_hashes.size() > kScanLimit)
        rebuild();
}

void JsonNameIndex::clear() {
    m_hashes.clear();
    m_slots.clear();
}

void JsonNameIndex::rebuild() {
    std::size_t size = 64;
    while (size < m_hashes.size() * 4)
        size *= 2;
    m_slots.assign(size, 0);
    for (std::size_t i = 0; i < m_hashes.size(); ++i)
        insertSlot(m_hashes[i], std::ptrdiff_t(i));
}

void JsonNameIndex::insertSlot(std::uint32_t hash, std::ptrdiff_t position) {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t s = hash & mask;
    while (m_slots[s] != 0)
        s = (s + 1) & mask;
    m_slots[s] = std::int32_t(position + 1);
}

} // namespace vtx
