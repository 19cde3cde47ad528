// The JSON text writer behind JsonCaixa::JSON().
#pragma once

#include <string_view>

#include <QString>

#include "JsonValue.h"

namespace vtx {

/// Writes a bag and everything in it as compact or indented JSON text; an unsupported value
/// or a bag stored inside itself throws JsonError 51, and bags nested deeper than the reader
/// reads throw its error 13.
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

    /// The output buffer is filled in place and cut to the fill position at the end.
    char16_t* reserve(qsizetype count) {
        return m_fill + count <= m_capacity ? m_buffer + m_fill : grow(count);
    }
    char16_t* grow(qsizetype count);
    void append(QStringView text);
    void appendAscii(std::string_view text);
    void appendChar(char16_t c) { *reserve(1) = c, ++m_fill; }

    bool m_whitespace;
    QString m_out;
    char16_t* m_buffer = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_fill = 0;
};

} // namespace vtx
