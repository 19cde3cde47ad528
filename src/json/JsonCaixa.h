// JsonCaixa: one JSON object or array, its members, and its JSON text both ways.
#pragma once

#include <memory>
#include <vector>

#include <QStringList>

#include "JsonError.h"
#include "JsonNameIndex.h"
#include "JsonValue.h"

namespace vtx {

/// A bag of named members in kept order (object) or of items by position from 1 (array);
/// nested bags are shared by reference. Failures throw JsonError.
class JsonCaixa {
public:
    JsonCaixa();
    ~JsonCaixa();
    JsonCaixa(const JsonCaixa&) = delete;
    JsonCaixa& operator=(const JsonCaixa&) = delete;

    /// "True to insert whitespace when reading serialized contents string."
    /// (JSON() then writes line breaks and 4 blanks of indent per level.)
    bool Whitespace = false;

    /// "Count of Items in the list."
    int Count() const { return int(m_values.size()); }

    /// "Causes numbers to be parsed and stored as Decimal type instead of Double."
    bool DecimalMode() const { return m_decimalMode; }
    void DecimalMode(bool RHS) { m_decimalMode = RHS; }

    /// "True if this object is a JSON array instead of a JSON object.  Must be set before first
    /// item is added."
    bool IsArray() const { return m_isArray; }
    void IsArray(bool RHS);

    /// "Retrieve an Item by Key or Index, change or add a new Item."
    /// Get: by name (objects) or by position from 1 (both kinds); bags come back shared.
    JsonValue Item(const JsonValue& Key) const;
    /// Let/set. Arrays: Null or a position past the end appends, a position within replaces.
    /// Objects: by name; an existing name is removed and appended anew at the end.
    void Item(const JsonValue& Key, const JsonValue& RHS);

    /// "A string representing the serialized contents of the object."
    QString JSON() const;
    /// Clears the bag and reads the text into it; a failure leaves what was read before it.
    void JSON(const QString& RHS);

    /// "Retrieves list Item Name by Index."
    QString Name(int Index) const;
    QStringList Version() const { return {QStringLiteral("1.7")}; }

    /// "Create new "array" type Item and add it to the list, returning a reference to it."
    std::shared_ptr<JsonCaixa> AddNewArray(const JsonValue& Key);
    /// "Create new "object" type Item and add it to the list, returning a reference to it."
    std::shared_ptr<JsonCaixa> AddNewObject(const JsonValue& Key);
    /// "Clears all data and sets IsArray to False."
    void Clear();
    /// "Returns True if item specified by Key or Index is present."
    bool Exists(const JsonValue& Key) const;
    /// "Iterates over the Item names."
    QStringList NewEnum() const;
    /// "Removes Item specified by Key or Index."
    void Remove(const JsonValue& Key);

private:
    friend class JsonReader;
    friend class JsonWriter;

    /// Stores a member by name and its memberNameHash: replaced members move to the end.
    void setMember(QString name, std::uint32_t hash, JsonValue value);
    void removeAt(std::ptrdiff_t index);
    std::ptrdiff_t findName(const QString& name) const;

    bool m_isArray = false;
    bool m_decimalMode = false;
    mutable bool m_writing = false; // on the writer's current path
    std::vector<JsonValue> m_values;
    std::vector<QString> m_names;
    JsonNameIndex m_index;
};

} // namespace vtx
