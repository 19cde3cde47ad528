// Kind numbers and access to nested containers of stored values.
#include "JsonValue.h"

namespace vtx {

JsonKind JsonValue::kind() const {
    static constexpr JsonKind kinds[] = {
        JsonKind::Empty,   JsonKind::Null,   JsonKind::Integer, JsonKind::Long,
        JsonKind::Single,  JsonKind::Double, JsonKind::Currency, JsonKind::Date,
        JsonKind::String,  JsonKind::Object, JsonKind::Object,  JsonKind::Error,
        JsonKind::Boolean, JsonKind::Decimal, JsonKind::Byte,    JsonKind::List,
    };
    static_assert(std::size(kinds) == std::variant_size_v<Storage>);
    return kinds[m_value.index()];
}

std::shared_ptr<JsonCaixa> JsonValue::bag() const {
    const auto* p = std::get_if<std::shared_ptr<JsonCaixa>>(&m_value);
    return p ? *p : nullptr;
}

} // namespace vtx
