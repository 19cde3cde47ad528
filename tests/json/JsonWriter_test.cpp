// Writing JSON text: layouts, string escapes, number texts and the refused values.
#include <limits>

#include <QObject>

#include <gtest/gtest.h>

#include "JsonCaixa.h"
#include "JsonExpect.h"
#include "JsonReader.h"

namespace vtx::test {
namespace {

using Bag = std::shared_ptr<JsonCaixa>;

Bag newArray() {
    auto bag = std::make_shared<JsonCaixa>();
    bag->IsArray(true);
    return bag;
}

TEST(JsonWriterTest, WhitespaceLayoutIndentsFourBlanksPerLevel) {
    JsonCaixa bag;
    bag.Whitespace = true;
    Bag a = bag.AddNewArray("a");
    a->Item(nullptr, 1);
    a->Item(nullptr, 2);
    EXPECT_EQ(bag.JSON(),
              QStringLiteral("{\r\n    \"a\":[\r\n        1,\r\n        2\r\n    ]\r\n}"));

    // Array items carry their indent; empty bags stay on one line in both layouts.
    Bag list = newArray();
    list->Whitespace = true;
    list->AddNewObject(nullptr)->Item("", "x");
    list->AddNewArray(nullptr);
    list->AddNewObject(nullptr);
    EXPECT_EQ(list->JSON(), QStringLiteral("[\r\n    {\r\n        \"\":\"x\"\r\n    },\r\n    [],"
                                           "\r\n    {}\r\n]"));
    list->Whitespace = false;
    EXPECT_EQ(list->JSON(), QStringLiteral("[{\"\":\"x\"},[],{}]"));
}

TEST(JsonWriterTest, StringsEscapeByTheTable) {
    JsonCaixa bag;
    bag.IsArray(true);
    const char16_t plain[] = {u' ', u'!', u'#',   u'/',   u'[',   u']',  u'~',
                              0xE9, 0xA0, 0xFE00, 0x2027, 0x202F, 0x3A9, 0};
    bag.Item(nullptr, QString::fromUtf16(plain));
    bag.Item(nullptr, QString::fromUtf16(u"\"\\\b\f\n\r\t"));
    const char16_t escaped[] = {1,      0x1F,   0x7F,   0x9F,   0x34F,  0x200B,
                                0x200F, 0x2028, 0x202E, 0x2060, 0xFE01, 0xFE0F,
                                0xFEFF, 0xFFFD, 0xD800, 0xDFFF, 0};
    bag.Item(nullptr, QString::fromUtf16(escaped));
    EXPECT_EQ(bag.JSON(),
              QString::fromUtf16(u"[\" !#/[]~\u00e9\u00a0\ufe00\u2027\u202f\u03a9\","
                                 u"\"\\\"\\\\\\b\\f\\n\\r\\t\","
                                 u"\"\\u0001\\u001F\\u007F\\u009F\\u034F\\u200B\\u200F\\u2028"
                                 u"\\u202E\\u2060\\uFE01\\uFE0F\\uFEFF\\uFFFD\\uD800\\uDFFF\"]"));
}

TEST(JsonWriterTest, NumbersUseThePointWhateverTheLocale) {
    JsonCaixa bag;
    bag.IsArray(true);
    const JsonValue values[] = {1.0,
                                2.5,
                                -300.0,
                                1e20,
                                1e-5,
                                0.0001,
                                1.0 / 3.0,
                                123456789012345.0,
                                0.1f,
                                JsonCurrency{15000},
                                JsonCurrency{-1},
                                *Decimal96::parse("-0.10"),
                                std::int16_t(-7),
                                std::uint8_t(255),
                                true,
                                false,
                                JsonValue()};
    for (const JsonValue& v : values)
        bag.Item(nullptr, v);
    EXPECT_EQ(bag.JSON(), QStringLiteral("[1,2.5,-300,1e+20,1e-05,0.0001,0.333333333333333,"
                                         "123456789012345,0.1,1.5,-0.0001,-0.1,-7,255,true,"
                                         "false,null]"));
}

TEST(JsonWriterTest, UnsupportedValuesFailWithTheirNameAndKind) {
    const QDateTime date(QDate(2026, 1, 2), QTime(3, 4));
    Bag array = newArray();
    array->Item(nullptr, date);
    EXPECT_TRUE(
        failsWith([&] { array->JSON(); }, 51, QStringLiteral(", unknown/unsupported type = 7")));

    JsonCaixa object;
    object.Item("d", date);
    EXPECT_TRUE(
        failsWith([&] { object.JSON(); }, 51, QStringLiteral("d, unknown/unsupported type = 7")));

    const struct {
        JsonValue value;
        int number;
        const char* text;
    } cases[] = {
        {JsonErrorValue{448}, 51, "v, unknown/unsupported type = 10"},
        {JsonValue::List{1, 2}, 51, "v, unknown/unsupported type = 8204"},
        {std::numeric_limits<double>::infinity(), 51, "v, value inf failed to serialize"},
        {std::numeric_limits<float>::quiet_NaN(), 51, "v, value nan failed to serialize"},
        {std::make_shared<QObject>(), 13, "Type mismatch"},
    };
    for (const auto& c : cases) {
        JsonCaixa bag;
        bag.Item("v", c.value);
        EXPECT_TRUE(failsWith([&] { bag.JSON(); }, c.number, QString::fromUtf8(c.text))) << c.text;
    }
}

TEST(JsonWriterTest, BagInsideItselfIsRefusedNotRecursedInto) {
    auto root = std::make_shared<JsonCaixa>();
    Bag child = root->AddNewArray("list");
    child->Item(nullptr, root);
    EXPECT_TRUE(failsWith([&] { root->JSON(); }, 51,
                          QStringLiteral(", value JsonCaixa failed to serialize")));
    EXPECT_TRUE(failsWith([&] { child->JSON(); }, 51,
                          QStringLiteral("list, value JsonCaixa failed to serialize")));
    root->Item("self", root);
    child->Remove(1);
    EXPECT_TRUE(failsWith([&] { root->JSON(); }, 51,
                          QStringLiteral("self, value JsonCaixa failed to serialize")));

    // Once the cycle is gone the same bags write again; a bag held twice is no cycle.
    root->Remove("self");
    child->Item(nullptr, 1);
    root->Item("again", child);
    EXPECT_EQ(root->JSON(), QStringLiteral("{\"list\":[1],\"again\":[1]}"));
}

TEST(JsonWriterTest, NestingStopsWhereTheReaderStopsAndDeepTreesFreeWithoutRecursion) {
    // Built through the members, far deeper than any text could be read.
    auto root = newArray();
    Bag deepest = root;
    for (int level = 1; level < 300000; ++level)
        deepest = deepest->AddNewArray(nullptr);
    deepest.reset();
    EXPECT_TRUE(
        failsWith([&] { root->JSON(); }, 13, QStringLiteral("Nesting too deep at character 513")));
    // Indented, the 513th bracket follows 512 brackets, 512 line breaks and the indents.
    constexpr int kLevel = JsonReader::kMaxDepth;
    root->Whitespace = true;
    EXPECT_TRUE(failsWith([&] { root->JSON(); }, 13,
                          QStringLiteral("Nesting too deep at character ") +
                              QString::number(kLevel * 3 + 2 * kLevel * (kLevel + 1) + 1)));
    root->Whitespace = false;

    // Dropping the deep branch frees it; as deep as the reader reads writes and reads back.
    root->Remove(1);
    deepest = root;
    for (int level = 1; level < kLevel; ++level)
        deepest = deepest->AddNewArray(nullptr);
    const QString text = root->JSON();
    EXPECT_EQ(text, QString(kLevel, QLatin1Char('[')) + QString(kLevel, QLatin1Char(']')));
    JsonCaixa again;
    again.JSON(text);
    EXPECT_EQ(again.JSON(), text);
}

TEST(JsonWriterTest, WrittenTextReadsBackTheSame) {
    JsonCaixa bag;
    bag.JSON(QString::fromUtf16(u"{\"n\u00e3o \\\"q\\\"\":[1,-2.5e-7,\"\\u0000\u00e7\",{}],"
                                u"\"b\":{\"c\":[[],[null,false]]}}"));
    const QString compact = bag.JSON();
    bag.Whitespace = true;
    const QString spaced = bag.JSON();
    JsonCaixa again;
    again.JSON(spaced);
    EXPECT_EQ(again.JSON(), compact);
    EXPECT_EQ(compact, QString::fromUtf16(u"{\"n\u00e3o \\\"q\\\"\":[1,-2.5e-07,\"\\u0000\u00e7\","
                                          u"{}],\"b\":{\"c\":[[],[null,false]]}}"));
}

TEST(JsonWriterTest, EscapesStayWholeAcrossEveryGrowthOfTheText) {
    // Texts of growing length, each with escapes, land against the end of the room written.
    JsonCaixa bag;
    bag.IsArray(true);
    QString expected = QStringLiteral("[");
    for (int length = 3; length < 4000; length += 37) {
        QString text(length, QLatin1Char('a'));
        text[length / 2] = QLatin1Char('"');
        text[length - 1] = QChar(0x2028);
        bag.Item(nullptr, text);
        expected += QLatin1Char('"') + QString(length / 2, QLatin1Char('a')) +
                    QLatin1String("\\\"") + QString(length - length / 2 - 2, QLatin1Char('a')) +
                    QLatin1String("\\u2028\",");
    }
    expected.back() = QLatin1Char(']');
    EXPECT_EQ(bag.JSON(), expected);

    // Escapes written longer than the room the text asked for, before runs of plain text.
    const QString escapes(1000, QChar(1));
    const QString written = QString(escapes).replace(QChar(1), QLatin1String("\\u0001"));
    for (int plain = 0; plain <= 6000; plain += 250) {
        JsonCaixa one;
        one.IsArray(true);
        one.Item(nullptr, escapes + QString(plain, QLatin1Char('b')));
        ASSERT_EQ(one.JSON(), QLatin1String("[\"") + written + QString(plain, QLatin1Char('b')) +
                                  QLatin1String("\"]"));
    }
}

} // namespace
} // namespace vtx::test
