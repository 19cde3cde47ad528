// The JSON text writer behind JsonCaixa::JSON().
#pragma once

#include "JsonValue.h"

#include <QString>

namespace vtx {

/// Writes a bag and everything in it as compact or indented JSON text; an unsupported value
/// or a bag stored inside itself throws JsonError 51.
class JsonWriter {
public:
    explicit JsonWriter(bool whitespace) : m_whitespace(whitespace) {}
    QString write(const JsonCaixa& bag);

private:
    void serializeItem(const QString* name, const JsonValue& value, int level);
    void serializeBag(const QString& name, const JsonCaixa& bag, int level);
    void appendNumber(const QString& name, const JsonValue& value);
    void appendIndent(int level);
    void encodeString(QStringView text);

    bool m_whitespace;
    QString m_out;
};

} // namespace vtx
