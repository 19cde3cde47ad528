// JsonCaixa members: keys, items, names and the kind of the bag.
#include "JsonCaixa.h"

#include <cmath>
#include <optional>

#include "JsonNameHash.h"
#include "JsonReader.h"
#include "JsonWriter.h"

namespace vtx {
namespace {

constexpr std::int64_t kFarPosition = std::int64_t(1) << 40;

/// The value list's own refusal of a position or name it does not hold.
[[noreturn]] void raiseListError() {
    throw JsonError(5, QStringLiteral("Invalid procedure call or argument"));
}

std::optional<std::int64_t> roundedPosition(double value) {
    if (std::isnan(value))
        return std::nullopt;
    return std::int64_t(
        std::clamp(std::nearbyint(value), double(-kFarPosition), double(kFarPosition)));
}

/// A key that is neither text nor Null as a position from 1; numbers round half to even.
std::optional<std::int64_t> positionOf(const JsonValue& key) {
    return std::visit(
        [](const auto& v) -> std::optional<std::int64_t> {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return v ? -1 : 0;
            else if constexpr (std::is_integral_v<T>)
                return std::int64_t(v);
            else if constexpr (std::is_floating_point_v<T>)
                return roundedPosition(double(v));
            else if constexpr (std::is_same_v<T, JsonCurrency>)
                return roundedPosition(double(v.units) / 10000.0);
            else if constexpr (std::is_same_v<T, Decimal96>)
                return roundedPosition(v.toString().toDouble());
            else if constexpr (std::is_same_v<T, std::monostate>)
                return 0;
            else
                return std::nullopt;
        },
        key.storage());
}

/// A position that must lie within 1 to count, as a 0-based index.
std::size_t heldIndex(const JsonValue& key, std::size_t count) {
    const std::optional<std::int64_t> p = positionOf(key);
    if (!p || *p < 1 || std::uint64_t(*p) > count)
        raiseListError();
    return std::size_t(*p - 1);
}

/// Moves out of the values the nested bags that nobody else holds.
void takeOwnBags(std::vector<JsonValue>& values, std::vector<std::shared_ptr<JsonCaixa>>& out) {
    for (JsonValue& value : values) {
        const auto* bag = value.get<std::shared_ptr<JsonCaixa>>();
        if (bag && bag->use_count() == 1) {
            out.push_back(*bag);
            value = JsonValue();
        }
    }
}

} // namespace

JsonCaixa::JsonCaixa() = default;

JsonCaixa::~JsonCaixa() {
    // The nested bags are freed one after another here, never each inside its parent's
    // destructor, so that no depth of nesting can exhaust the stack.
    std::vector<std::shared_ptr<JsonCaixa>> pending;
    takeOwnBags(m_values, pending);
    while (!pending.empty()) {
        std::shared_ptr<JsonCaixa> bag = std::move(pending.back());
        pending.pop_back();
        takeOwnBags(bag->m_values, pending);
    }
}

void JsonCaixa::IsArray(bool RHS) {
    if (Count() >= 1)
        throw JsonError(5, QStringLiteral("Cannot change IsArray setting after items have been "
                                          "added"));
    m_isArray = RHS;
    m_names.clear();
    m_index.clear();
}

JsonValue JsonCaixa::Item(const JsonValue& Key) const {
    if (Key.isNull())
        throw JsonError(94, QStringLiteral("Key must be String or an index)"));
    if (const QString* name = Key.get<QString>()) {
        if (m_isArray)
            throw JsonError(5, QStringLiteral("Array values can only be acessed by index"));
        const std::ptrdiff_t at = findName(*name);
        if (at < 0)
            raiseListError();
        return m_values[at];
    }
    return m_values[heldIndex(Key, m_values.size())];
}

void JsonCaixa::Item(const JsonValue& Key, const JsonValue& RHS) {
    if (!m_isArray) {
        const QString* name = Key.get<QString>();
        if (!name)
            throw JsonError(5, QStringLiteral("Object values can only be changed or added by key "
                                              "not by index"));
        setMember(*name, memberNameHash(*name), RHS);
        return;
    }
    if (Key.isText())
        throw JsonError(5, QStringLiteral("Array values can only be changed by index or added "
                                          "via Null"));
    if (Key.isNull()) {
        m_values.push_back(RHS);
        return;
    }
    const std::optional<std::int64_t> p = positionOf(Key);
    if (!p || *p < 1)
        raiseListError();
    if (std::uint64_t(*p) > m_values.size())
        m_values.push_back(RHS);
    else
        m_values[std::size_t(*p - 1)] = RHS;
}

QString JsonCaixa::JSON() const {
    return JsonWriter(Whitespace).write(*this);
}

void JsonCaixa::JSON(const QString& RHS) {
    Clear();
    JsonReader(RHS).read(*this);
}

QString JsonCaixa::Name(int Index) const {
    if (m_isArray)
        throw JsonError(5, QStringLiteral("Array items do not have names"));
    return m_names[heldIndex(JsonValue(Index), m_names.size())];
}

std::shared_ptr<JsonCaixa> JsonCaixa::AddNewArray(const JsonValue& Key) {
    auto bag = std::make_shared<JsonCaixa>();
    bag->IsArray(true);
    Item(Key, bag);
    return bag;
}

std::shared_ptr<JsonCaixa> JsonCaixa::AddNewObject(const JsonValue& Key) {
    auto bag = std::make_shared<JsonCaixa>();
    Item(Key, bag);
    return bag;
}

void JsonCaixa::Clear() {
    m_values.clear();
    m_names.clear();
    m_index.clear();
    m_isArray = false;
}

bool JsonCaixa::Exists(const JsonValue& Key) const {
    if (const QString* name = Key.get<QString>())
        return !m_isArray && findName(*name) >= 0;
    if (Key.isNull())
        return false;
    const std::optional<std::int64_t> p = positionOf(Key);
    return p && *p >= 1 && std::uint64_t(*p) <= m_values.size();
}

QStringList JsonCaixa::NewEnum() const {
    if (m_isArray)
        throw JsonError(5, QStringLiteral("Arrays must be iterated using index values"));
    return QStringList(m_names.begin(), m_names.end());
}

void JsonCaixa::Remove(const JsonValue& Key) {
    if (const QString* name = Key.get<QString>()) {
        if (m_isArray)
            throw JsonError(5, QStringLiteral("Must remove by index for arrays"));
        const std::ptrdiff_t at = findName(*name);
        if (at >= 0)
            removeAt(at);
        return;
    }
    const std::optional<std::int64_t> p = positionOf(Key);
    if (!p || *p < 1)
        raiseListError();
    if (std::uint64_t(*p) <= m_values.size())
        removeAt(std::ptrdiff_t(*p - 1));
}

void JsonCaixa::setMember(QString name, std::uint32_t hash, JsonValue value) {
    const std::ptrdiff_t at = m_index.find(name, hash, m_names);
    if (at >= 0)
        removeAt(at);
    if (m_values.capacity() == 0) {
        // Most objects hold a few members: one allocation each instead of four.
        m_values.reserve(8);
        m_names.reserve(8);
    }
    m_values.push_back(std::move(value));
    m_names.push_back(std::move(name));
    m_index.append(hash);
}

void JsonCaixa::removeAt(std::ptrdiff_t index) {
    m_values.erase(m_values.begin() + index);
    if (!m_isArray) {
        m_names.erase(m_names.begin() + index);
        m_index.removeAt(index);
    }
}

std::ptrdiff_t JsonCaixa::findName(const QString& name) const {
    return m_index.find(name, memberNameHash(name), m_names);
}

} // namespace vtx
