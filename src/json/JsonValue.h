// The values a JSON container holds: every kind a caller may store, with its kind number.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include <QDateTime>
#include <QString>

#include "Decimal96.h"

class QObject;

namespace vtx {

class JsonCaixa;

/// The kind numbers of the stored values, as the error texts report them.
enum class JsonKind : int {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Decimal = 14,
    Byte = 17,
    List = 8204,
};

struct JsonNull {
    bool operator==(const JsonNull&) const = default;
};

/// A currency amount in units of 1/10000.
struct JsonCurrency {
    std::int64_t units = 0;
    bool operator==(const JsonCurrency&) const = default;
};

/// An error value (a code standing in for a value).
struct JsonErrorValue {
    int code = 0;
    bool operator==(const JsonErrorValue&) const = default;
};

/// One stored value; a nested container is held by reference, everything else by value.
class JsonValue {
public:
    using List = std::vector<JsonValue>;
    using Storage =
        std::variant<std::monostate, JsonNull, std::int16_t, std::int32_t, float, double,
                     JsonCurrency, QDateTime, QString, std::shared_ptr<JsonCaixa>,
                     std::shared_ptr<QObject>, JsonErrorValue, bool, Decimal96, std::uint8_t, List>;

    JsonValue() = default;
    JsonValue(std::nullptr_t) : m_value(JsonNull{}) {}
    JsonValue(bool value) : m_value(value) {}
    JsonValue(std::uint8_t value) : m_value(value) {}
    JsonValue(std::int16_t value) : m_value(value) {}
    JsonValue(std::int32_t value) : m_value(value) {}
    JsonValue(float value) : m_value(value) {}
    JsonValue(double value) : m_value(value) {}
    JsonValue(JsonCurrency value) : m_value(value) {}
    JsonValue(const QDateTime& value) : m_value(value) {}
    JsonValue(QString value) : m_value(std::move(value)) {}
    JsonValue(const char* utf8) : m_value(QString::fromUtf8(utf8)) {}
    JsonValue(const char16_t* text) : m_value(QString::fromUtf16(text)) {}
    JsonValue(JsonErrorValue value) : m_value(value) {}
    JsonValue(Decimal96 value) : m_value(value) {}
    JsonValue(std::shared_ptr<JsonCaixa> bag) : m_value(std::move(bag)) {}
    JsonValue(std::shared_ptr<QObject> object) : m_value(std::move(object)) {}
    JsonValue(List values) : m_value(std::move(values)) {}
    template <class T> JsonValue(T*) = delete; // no pointer may turn into a Boolean

    JsonKind kind() const {
        static constexpr JsonKind kinds[] = {
            JsonKind::Empty,   JsonKind::Null,    JsonKind::Integer,  JsonKind::Long,
            JsonKind::Single,  JsonKind::Double,  JsonKind::Currency, JsonKind::Date,
            JsonKind::String,  JsonKind::Object,  JsonKind::Object,   JsonKind::Error,
            JsonKind::Boolean, JsonKind::Decimal, JsonKind::Byte,     JsonKind::List,
        };
        static_assert(std::size(kinds) == std::variant_size_v<Storage>);
        return kinds[m_value.index()];
    }
    bool isNull() const { return std::holds_alternative<JsonNull>(m_value); }
    bool isText() const { return std::holds_alternative<QString>(m_value); }

    /// The value when it is of kind T, else nullptr.
    template <class T> const T* get() const { return std::get_if<T>(&m_value); }
    /// The nested container, or nullptr for any other value.
    std::shared_ptr<JsonCaixa> bag() const {
        const auto* p = std::get_if<std::shared_ptr<JsonCaixa>>(&m_value);
        return p ? *p : nullptr;
    }
    const Storage& storage() const { return m_value; }

    bool operator==(const JsonValue& other) const { return m_value == other.m_value; }

private:
    Storage m_value;
};

} // namespace vtx
