// The JSON text writer: indent, escapes, number text and the refusal of cycles.
#include "JsonWriter.h"

#include <array>
#include <charconv>

#include "InvariantNumber.h"
#include "JsonCaixa.h"
#include "JsonReader.h"

namespace vtx {
namespace {

const QString kNoName;

/// Code units written as \uXXXX beside the control characters.
bool needsUnicodeEscape(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x34F || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || c == 0x2060 || (c >= 0xFE01 && c <= 0xFE0F) ||
           c == 0xFEFF || c == 0xFFFD || (c >= 0xD800 && c <= 0xDFFF);
}

/// Whether an ASCII character is written as it is.
constexpr auto kPlainAscii = [] {
    std::array<bool, 0x80> plain{};
    for (char16_t c = 0; c < 0x80; ++c)
        plain[c] = c >= 0x20 && c != 0x7F && c != u'"' && c != u'\\';
    return plain;
}();

/// The short escape letter of a character, or 0.
char16_t shortEscape(char16_t c) {
    switch (c) {
    case u'"':
        return u'"';
    case u'\\':
        return u'\\';
    case 8:
        return u'b';
    case 12:
        return u'f';
    case 10:
        return u'n';
    case 13:
        return u'r';
    case 9:
        return u't';
    default:
        return 0;
    }
}

/// Marks a bag as being written for as long as its contents are.
class PathGuard {
public:
    explicit PathGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~PathGuard() { m_flag = false; }
    PathGuard(const PathGuard&) = delete;
    PathGuard& operator=(const PathGuard&) = delete;

private:
    bool& m_flag;
};

[[noreturn]] void raiseFailed(const QString& name, const QString& valueText) {
    throw JsonError(51, name + QLatin1String(", value ") + valueText +
                            QLatin1String(" failed to serialize"));
}

template <class T> std::string_view integerText(T value, char (&buffer)[24]) {
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string_view(buffer, std::size_t(r.ptr - buffer));
}

} // namespace

QString JsonWriter::write(const JsonCaixa& bag) {
    m_fill = 0;
    serializeBag(kNoName, bag, 0);
    m_out.truncate(m_fill);
    return std::move(m_out);
}

void JsonWriter::serializeItem(const QString* name, const JsonValue& value, int level) {
    appendIndent(level);
    if (name) {
        encodeString(*name);
        appendChar(u':');
    }
    const QString& label = name ? *name : kNoName;
    switch (value.kind()) {
    case JsonKind::Empty:
    case JsonKind::Null:
        appendAscii("null");
        return;
    case JsonKind::String:
        encodeString(*value.get<QString>());
        return;
    case JsonKind::Object:
        if (const auto* bag = value.get<std::shared_ptr<JsonCaixa>>())
            serializeBag(label, **bag, level);
        else
            throw JsonError(13, QStringLiteral("Type mismatch"));
        return;
    case JsonKind::Integer:
    case JsonKind::Long:
    case JsonKind::Single:
    case JsonKind::Double:
    case JsonKind::Currency:
    case JsonKind::Boolean:
    case JsonKind::Decimal:
    case JsonKind::Byte:
        appendNumber(label, value);
        return;
    default:
        throw JsonError(51, label + QLatin1String(", unknown/unsupported type = ") +
                                QString::number(int(value.kind())));
    }
}

void JsonWriter::serializeBag(const QString& name, const JsonCaixa& bag, int level) {
    // Text the reader would refuse is not written: the error names the position at which
    // the reader would stop, that of this bag's opening bracket.
    if (level >= JsonReader::kMaxDepth)
        throw JsonError(13, QStringLiteral("Nesting too deep at character ") +
                                QString::number(m_fill + 1));
    // A bag met again on its own path would be written forever.
    if (bag.m_writing)
        raiseFailed(name, QStringLiteral("JsonCaixa"));
    PathGuard guard(bag.m_writing);
    const char16_t close = bag.m_isArray ? u']' : u'}';
    appendChar(bag.m_isArray ? u'[' : u'{');
    if (bag.m_values.empty()) {
        appendChar(close);
        return;
    }
    if (m_whitespace)
        appendAscii("\r\n");
    for (std::size_t i = 0; i < bag.m_values.size(); ++i) {
        serializeItem(bag.m_isArray ? nullptr : &bag.m_names[i], bag.m_values[i], level + 1);
        if (m_whitespace)
            appendAscii(",\r\n");
        else
            appendChar(u',');
    }
    // Step back over the last comma (and line break) to close the bag.
    if (m_whitespace) {
        m_fill -= 3;
        appendAscii("\r\n");
        appendIndent(level);
    } else {
        m_fill -= 1;
    }
    appendChar(close);
}

void JsonWriter::appendNumber(const QString& name, const JsonValue& value) {
    char buffer[24];
    if (const auto* b = value.get<bool>()) {
        appendAscii(*b ? "true" : "false");
    } else if (const auto* d = value.get<double>()) {
        const auto text = InvariantNumber::fromDouble(*d);
        if (!text)
            raiseFailed(name, QString::number(*d));
        appendAscii(text->view());
    } else if (const auto* f = value.get<float>()) {
        const auto text = InvariantNumber::fromSingle(*f);
        if (!text)
            raiseFailed(name, QString::number(*f));
        appendAscii(text->view());
    } else if (const auto* c = value.get<JsonCurrency>()) {
        append(InvariantNumber::fromCurrency(c->units));
    } else if (const auto* m = value.get<Decimal96>()) {
        append(m->toString());
    } else if (const auto* i = value.get<std::int32_t>()) {
        appendAscii(integerText(*i, buffer));
    } else if (const auto* s = value.get<std::int16_t>()) {
        appendAscii(integerText(*s, buffer));
    } else if (const auto* u = value.get<std::uint8_t>()) {
        appendAscii(integerText(int(*u), buffer));
    }
}

void JsonWriter::appendIndent(int level) {
    if (!m_whitespace)
        return;
    char16_t* out = reserve(level * 4);
    std::fill(out, out + level * 4, u' ');
    m_fill += level * 4;
}

void JsonWriter::encodeString(QStringView text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const char16_t* in = text.utf16();
    const qsizetype size = text.size();
    // Room for the text as it is and its quotes; each escape makes room for itself and the rest.
    char16_t* out = reserve(size + 2);
    *out++ = u'"';
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 0x80 ? kPlainAscii[c] : !needsUnicodeEscape(c)) {
            *out++ = c;
            continue;
        }
        m_fill = out - m_buffer;
        out = reserve(6 + (size - i - 1) + 1);
        *out++ = u'\\';
        if (const char16_t letter = shortEscape(c)) {
            *out++ = letter;
        } else {
            *out++ = u'u';
            for (int shift = 12; shift >= 0; shift -= 4)
                *out++ = char16_t(kHex[(c >> shift) & 15]);
        }
    }
    *out++ = u'"';
    m_fill = out - m_buffer;
}

char16_t* JsonWriter::grow(qsizetype count) {
    // Past its capacity QString reallocates to about twice the size asked for; that whole block
    // is taken as room. Asking for twice the size here doubled it twice over: each growth
    // reallocated, and a 10 MB text ended in a 33 MB block, beyond what the allocator reuses.
    m_out.resize(m_fill + count);
    m_out.resize(m_out.capacity());
    m_buffer = reinterpret_cast<char16_t*>(m_out.data());
    m_capacity = m_out.size();
    return m_buffer + m_fill;
}

void JsonWriter::append(QStringView text) {
    std::copy(text.utf16(), text.utf16() + text.size(), reserve(text.size()));
    m_fill += text.size();
}

void JsonWriter::appendAscii(std::string_view text) {
    std::copy(text.begin(), text.end(), reserve(qsizetype(text.size())));
    m_fill += qsizetype(text.size());
}

} // namespace vtx
