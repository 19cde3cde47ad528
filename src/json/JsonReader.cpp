// The JSON text reader: objects, arrays, strings, numbers and words, by character position.
#include "JsonReader.h"

#include <string>

#include "InvariantNumber.h"
#include "JsonCaixa.h"
#include "JsonNameHash.h"

namespace vtx {
namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t lowered(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

int hexValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    c = lowered(c);
    return c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
}

/// The characters of a number: kept on the stack unless the number is unusually long.
class NumberBuffer {
public:
    void push(char c) {
        if (m_size < sizeof m_local)
            m_local[m_size] = c;
        else {
            if (m_long.empty())
                m_long.assign(m_local, m_size);
            m_long.push_back(c);
        }
        ++m_size;
    }
    char last() const { return m_size <= sizeof m_local ? m_local[m_size - 1] : m_long.back(); }
    std::string_view view() const {
        return m_size <= sizeof m_local ? std::string_view(m_local, m_size) : m_long;
    }

private:
    char m_local[64];
    std::size_t m_size = 0;
    std::string m_long;
};

} // namespace

JsonReader::JsonReader(const QString& text)
    : m_text(reinterpret_cast<const char16_t*>(text.utf16())), m_length(text.size()) {}

void JsonReader::read(JsonCaixa& bag) {
    skipWhitespace();
    const char16_t c = m_pos < m_length ? m_text[m_pos] : 0;
    if (c != u'{' && c != u'[')
        fail(13, "Expected either { or [ at character ", m_pos);
    ++m_pos;
    if (c == u'{')
        parseObject(bag, 1);
    else
        parseArray(bag, 1);
}

void JsonReader::parseObject(JsonCaixa& bag, int depth) {
    for (;;) {
        skipWhitespace();
        if (m_pos >= m_length)
            fail(13, "Expected , or } at character ", m_pos);
        const char16_t c = m_text[m_pos++];
        if (c == u'"') {
            std::uint32_t hash = 0;
            QString name = parseName(hash);
            skipWhitespace();
            if (m_pos >= m_length || m_text[m_pos] != u':')
                fail(13, "Expected : at character ", m_pos);
            ++m_pos;
            JsonValue value = parseValue(bag.m_decimalMode, depth);
            bag.setMember(std::move(name), hash, std::move(value));
        } else if (c == u',') {
            if (bag.m_values.empty())
                fail(13, "Found \",\" before first item at character ", m_pos - 1);
        } else if (c == u'}') {
            return;
        } else {
            fail(13, "Expected , or } at character ", m_pos - 1);
        }
    }
}

void JsonReader::parseArray(JsonCaixa& bag, int depth) {
    bag.IsArray(true);
    for (;;) {
        skipWhitespace();
        if (m_pos < m_length && m_text[m_pos] == u',') {
            ++m_pos;
            continue;
        }
        if (m_pos < m_length && m_text[m_pos] == u']') {
            ++m_pos;
            return;
        }
        bag.m_values.push_back(parseValue(bag.m_decimalMode, depth));
    }
}

JsonValue JsonReader::parseValue(bool decimalMode, int depth) {
    skipWhitespace();
    if (m_pos < m_length) {
        const char16_t c = m_text[m_pos];
        if (c == u'"') {
            ++m_pos;
            return parseString();
        }
        if (c == u'{' || c == u'[')
            return parseBag(c == u'[', decimalMode, depth);
        if (c == u'-' || isDigit(c))
            return parseNumber(decimalMode);
    }
    if (matchWord("null"))
        return nullptr;
    if (matchWord("true"))
        return true;
    if (matchWord("false"))
        return false;
    fail(13, "Bad value at character ", m_pos);
}

JsonValue JsonReader::parseBag(bool array, bool decimalMode, int depth) {
    if (depth >= kMaxDepth)
        fail(13, "Nesting too deep at character ", m_pos);
    ++m_pos;
    auto child = std::make_shared<JsonCaixa>();
    child->m_decimalMode = decimalMode;
    if (array)
        parseArray(*child, depth + 1);
    else
        parseObject(*child, depth + 1);
    return child;
}

QString JsonReader::parseString() {
    // Most strings hold no escape: take them whole from the text.
    const qsizetype start = m_pos;
    for (qsizetype i = start; i < m_length; ++i) {
        const char16_t c = m_text[i];
        if (c == u'"') {
            m_pos = i + 1;
            return QString(reinterpret_cast<const QChar*>(m_text + start), i - start);
        }
        if (c == u'\\') {
            m_pos = i;
            return parseEscapedString(start);
        }
        if (c <= 31)
            fail(13, "Invalid string character at ", i);
    }
    fail(13, "Expected \" at character ", m_length);
}

QString JsonReader::parseName(std::uint32_t& hash) {
    const qsizetype start = m_pos;
    qsizetype end = start;
    while (end < m_length && m_text[end] != u'"' && m_text[end] != u'\\' && m_text[end] > 31)
        ++end;
    if (end == m_length || m_text[end] != u'"') {
        QString name = parseString();
        hash = memberNameHash(name);
        return name;
    }
    const QStringView text(m_text + start, end - start);
    hash = memberNameHash(text);
    m_pos = end + 1;
    NameSlot& slot = m_names[hash % m_names.size()];
    if (slot.hash != hash || slot.name != text) {
        slot.hash = hash;
        slot.name = text.toString();
    }
    return slot.name;
}

QString JsonReader::parseEscapedString(qsizetype start) {
    QString out;
    out.reserve(m_pos - start + 16);
    out.append(reinterpret_cast<const QChar*>(m_text + start), m_pos - start);
    while (m_pos < m_length) {
        const char16_t c = m_text[m_pos];
        if (c == u'"') {
            ++m_pos;
            return out;
        }
        if (c == u'\\') {
            ++m_pos;
            if (m_pos >= m_length)
                fail(13, "Bad string character escape at character ", m_pos);
            out.append(QChar(parseEscape(lowered(m_text[m_pos]))));
            continue;
        }
        const qsizetype run = m_pos;
        while (m_pos < m_length && m_text[m_pos] != u'"' && m_text[m_pos] != u'\\' &&
               m_text[m_pos] > 31)
            ++m_pos;
        if (m_pos == run)
            fail(13, "Invalid string character at ", m_pos);
        out.append(reinterpret_cast<const QChar*>(m_text + run), m_pos - run);
    }
    fail(13, "Expected \" at character ", m_length);
}

char16_t JsonReader::parseEscape(char16_t letter) {
    // The position is on the escape letter; it ends past the escape.
    switch (letter) {
    case u'"':
    case u'\\':
    case u'/':
        break;
    case u'b':
        letter = 8;
        break;
    case u'f':
        letter = 12;
        break;
    case u'n':
        letter = 10;
        break;
    case u'r':
        letter = 13;
        break;
    case u't':
        letter = 9;
        break;
    case u'u': {
        ++m_pos;
        if (m_length - m_pos < 4)
            fail(13, "Bad string character escape at character ", m_pos);
        int code = 0;
        for (int k = 0; k < 4; ++k) {
            const int digit = hexValue(m_text[m_pos + k]);
            if (digit < 0)
                fail(13, "Bad string character escape at character ", m_pos);
            code = code * 16 + digit;
        }
        m_pos += 4;
        return char16_t(code);
    }
    default:
        fail(13, "Bad string character escape at character ", m_pos);
    }
    ++m_pos;
    return letter;
}

JsonValue JsonReader::parseNumber(bool decimalMode) {
    const qsizetype start = m_pos;
    NumberBuffer buffer;
    buffer.push(char(m_text[m_pos++]));
    bool point = false;
    bool exponent = false;
    while (m_pos < m_length) {
        const char16_t c = m_text[m_pos];
        if (c == u'.') {
            if (point)
                fail(13, "Second decimal point at character ", m_pos);
            if (buffer.last() == '-')
                fail(13, "Digit expected at character ", m_pos);
            point = true;
        } else if (lowered(c) == u'e') {
            ++m_pos;
            exponent = true;
            break;
        } else if (!isDigit(c)) {
            break;
        }
        buffer.push(char(c));
        ++m_pos;
    }
    if (exponent) {
        buffer.push('e');
        bool sign = false;
        for (; m_pos < m_length; ++m_pos) {
            const char16_t c = m_text[m_pos];
            if (c == u'+' || c == u'-') {
                if (sign)
                    fail(13, "Second exponent sign at character ", m_pos);
                sign = true;
            } else if (!isDigit(c)) {
                break;
            }
            buffer.push(char(c));
        }
    }
    if (m_pos >= m_length)
        throw JsonError(13, QStringLiteral("Ran off end of string while parsing a number"));
    if (decimalMode) {
        if (const std::optional<Decimal96> d = Decimal96::parse(buffer.view()))
            return *d;
    } else if (const std::optional<double> d = InvariantNumber::toDouble(buffer.view())) {
        return *d;
    }
    fail(6, "Number overflow or parse error at character ", start);
}

bool JsonReader::matchWord(const char* word) {
    const qsizetype size = qsizetype(std::char_traits<char>::length(word));
    if (m_length - m_pos < size)
        return false;
    for (qsizetype k = 0; k < size; ++k)
        if (lowered(m_text[m_pos + k]) != char16_t(word[k]))
            return false;
    m_pos += size;
    return true;
}

void JsonReader::skipWhitespace() {
    while (m_pos < m_length) {
        const char16_t c = m_text[m_pos];
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return;
        ++m_pos;
    }
}

void JsonReader::fail(int number, const char* text, qsizetype index) const {
    throw JsonError(number, QLatin1String(text) + QString::number(index + 1));
}

} // namespace vtx
