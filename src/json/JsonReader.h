// The lenient JSON text reader behind JsonCaixa::JSON(text).
#pragma once

#include <array>

#include <QString>

#include "JsonValue.h"

namespace vtx {

/// Reads JSON text by 1-based UTF-16 positions into a bag, building nested bags as it goes;
/// the first fault throws JsonError naming its position.
class JsonReader {
public:
    /// Nesting deeper than this many bags is refused.
    static constexpr int kMaxDepth = 512;

    explicit JsonReader(const QString& text);
    /// Reads the outer object or array into the (cleared) bag; the rest of the text is ignored.
    void read(JsonCaixa& bag);

private:
    void parseObject(JsonCaixa& bag, int depth);
    void parseArray(JsonCaixa& bag, int depth);
    JsonValue parseValue(bool decimalMode, int depth);
    JsonValue parseBag(bool array, bool decimalMode, int depth);
    QString parseString();
    /// A member name: names met before share one text instead of a copy each.
    QString parseName(std::uint32_t& hash);
    QString parseEscapedString(qsizetype start);
    char16_t parseEscape(char16_t letter);
    JsonValue parseNumber(bool decimalMode);
    bool matchWord(const char* word);
    void skipWhitespace();
    [[noreturn]] void fail(int number, const char* text, qsizetype index) const;

    struct NameSlot {
        std::uint32_t hash = 0;
        QString name;
    };
    std::array<NameSlot, 256> m_names;
    const char16_t* m_text;
    qsizetype m_length;
    qsizetype m_pos = 0; // 0-based here; the texts report m_pos + 1
};

} // namespace vtx
