// The JSON text writer: indent, escapes, number text and the refusal of cycles.
#include "JsonWriter.h"

#include "InvariantNumber.h"
#include "JsonCaixa.h"

namespace vtx {
namespace {

const QString kNoName;

/// Code units written as \uXXXX beside the control characters.
bool needsUnicodeEscape(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x34F || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || c == 0x2060 || (c >= 0xFE01 && c <= 0xFE0F) ||
           c == 0xFEFF || c == 0xFFFD || (c >= 0xD800 && c <= 0xDFFF);
}

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

} // namespace

QString JsonWriter::write(const JsonCaixa& bag) {
    m_out.clear();
    serializeBag(kNoName, bag, 0);
    return std::move(m_out);
}

void JsonWriter::serializeItem(const QString* name, const JsonValue& value, int level) {
    appendIndent(level);
    if (name) {
        encodeString(*name);
        m_out.append(QLatin1Char(':'));
    }
    const QString& label = name ? *name : kNoName;
    switch (value.kind()) {
    case JsonKind::Empty:
    case JsonKind::Null:
        m_out.append(QLatin1String("null"));
        return;
    case JsonKind::String:
        encodeString(*value.get<QString>());
        return;
    case JsonKind::Object:
        if (const auto bag = value.bag())
            serializeBag(label, *bag, level);
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
    // A bag met again on its own path would be written forever.
    if (bag.m_writing)
        raiseFailed(name, QStringLiteral("JsonCaixa"));
    PathGuard guard(bag.m_writing);
    const QLatin1Char open(bag.m_isArray ? '[' : '{');
    const QLatin1Char close(bag.m_isArray ? ']' : '}');
    m_out.append(open);
    if (bag.m_values.empty()) {
        m_out.append(close);
        return;
    }
    if (m_whitespace)
        m_out.append(QLatin1String("\r\n"));
    for (std::size_t i = 0; i < bag.m_values.size(); ++i) {
        serializeItem(bag.m_isArray ? nullptr : &bag.m_names[i], bag.m_values[i], level + 1);
        m_out.append(m_whitespace ? QLatin1String(",\r\n") : QLatin1String(","));
    }
    if (m_whitespace) {
        m_out.chop(3);
        m_out.append(QLatin1String("\r\n"));
        appendIndent(level);
    } else {
        m_out.chop(1);
    }
    m_out.append(close);
}

void JsonWriter::appendNumber(const QString& name, const JsonValue& value) {
    std::optional<QString> text;
    if (const auto* b = value.get<bool>())
        text = *b ? QStringLiteral("true") : QStringLiteral("false");
    else if (const auto* d = value.get<double>())
        text = InvariantNumber::fromDouble(*d);
    else if (const auto* f = value.get<float>())
        text = InvariantNumber::fromSingle(*f);
    else if (const auto* c = value.get<JsonCurrency>())
        text = InvariantNumber::fromCurrency(c->units);
    else if (const auto* m = value.get<Decimal96>())
        text = m->toString();
    else if (const auto* i = value.get<std::int32_t>())
        text = QString::number(*i);
    else if (const auto* s = value.get<std::int16_t>())
        text = QString::number(*s);
    else if (const auto* u = value.get<std::uint8_t>())
        text = QString::number(*u);
    if (!text) {
        const double number = value.get<double>() ? *value.get<double>() : *value.get<float>();
        raiseFailed(name, QString::number(number));
    }
    m_out.append(*text);
}

void JsonWriter::appendIndent(int level) {
    if (m_whitespace)
        m_out.append(QString(level * 4, QLatin1Char(' ')));
}

void JsonWriter::encodeString(QStringView text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    m_out.append(QLatin1Char('"'));
    const QChar* data = text.data();
    const qsizetype size = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        const bool plain = c >= 0x20 && c < 0x7F ? c != u'"' && c != u'\\' : !needsUnicodeEscape(c);
        if (plain)
            continue;
        m_out.append(data + run, i - run);
        run = i + 1;
        if (const char16_t letter = shortEscape(c)) {
            const QChar pair[2] = {QLatin1Char('\\'), QChar(letter)};
            m_out.append(pair, 2);
        } else {
            const QChar escape[6] = {QLatin1Char('\\'),       QLatin1Char('u'),
                                     QLatin1Char(kHex[c >> 12]), QLatin1Char(kHex[(c >> 8) & 15]),
                                     QLatin1Char(kHex[(c >> 4) & 15]), QLatin1Char(kHex[c & 15])};
            m_out.append(escape, 6);
        }
    }
    m_out.append(data + run, size - run);
    m_out.append(QLatin1Char('"'));
}

} // namespace vtx
