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

    /// True to write JSON() with line breaks and 4 blanks of indent per level.
    bool Whitespace = false;

    int Count() const { return int(m_values.size()); }

    bool DecimalMode() const { return m_decimalMode; }
    /// True reads numbers as exact Decimal96, False as double.
    void DecimalMode(bool RHS) { m_decimalMode = RHS; }

    bool IsArray() const { return m_isArray; }
    /// Only while the bag is empty.
    void IsArray(bool RHS);

    /// By name (objects) or by position from 1 (both kinds).
    JsonValue Item(const JsonValue& Key) const;
    /// Arrays: Null or a position past the end appends, a position within replaces.
    /// Objects: by name; an existing name is removed and appended anew at the end.
    void Item(const JsonValue& Key, const JsonValue& RHS);

    QString JSON() const;
    /// Clears the bag and reads the text into it; a failure leaves what was read before it.
    void JSON(const QString& RHS);

    QString Name(int Index) const;
    QStringList Version() const { return {QStringLiteral("1.7")}; }

    std::shared_ptr<JsonCaixa> AddNewArray(const JsonValue& Key);
    std::shared_ptr<JsonCaixa> AddNewObject(const JsonValue& Key);
    void Clear();
    bool Exists(const JsonValue& Key) const;
    /// The member names in order.
    QStringList NewEnum() const;
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
