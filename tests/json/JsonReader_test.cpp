// Reading JSON text: leniencies, the exact fault texts and positions, modes and nesting.
#include <cctype>
#include <ostream>

#include <gtest/gtest.h>

#include "JsonCaixa.h"
#include "JsonExpect.h"

namespace vtx::test {
namespace {

QString read(const QString& text) {
    JsonCaixa bag;
    bag.JSON(text);
    return bag.JSON();
}

struct Fault {
    const char* text;
    int number;
    const char* description;
};

// Names the case in test lists by its description and text, letters and digits only.
void PrintTo(const Fault& f, std::ostream* os) {
    const auto put = [os](const char* text) {
        for (const char* c = text; *c; ++c)
            *os << (std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
    };
    put(f.description);
    *os << "_in_";
    put(f.text);
}

class JsonReaderFault : public ::testing::TestWithParam<Fault> {};

TEST_P(JsonReaderFault, NamesTheFaultAndItsPosition) {
    const Fault& f = GetParam();
    JsonCaixa bag;
    EXPECT_TRUE(failsWith([&] { bag.JSON(QString::fromUtf8(f.text)); }, f.number,
                          QString::fromUtf8(f.description)));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonReaderFault,
    ::testing::Values(Fault{"", 13, "Expected either { or [ at character 1"},
                      Fault{"  x", 13, "Expected either { or [ at character 3"},
                      Fault{"{,\"a\":1}", 13, "Found \",\" before first item at character 2"},
                      Fault{"{\"a\" 1}", 13, "Expected : at character 6"},
                      Fault{"{\"a\":1 x}", 13, "Expected , or } at character 8"},
                      Fault{"{\"a\":true", 13, "Expected , or } at character 10"},
                      Fault{"{\"a\":1,", 13, "Expected , or } at character 8"},
                      Fault{"[1", 13, "Ran off end of string while parsing a number"},
                      Fault{"[1.2.3]", 13, "Second decimal point at character 5"},
                      Fault{"[-.5]", 13, "Digit expected at character 3"},
                      Fault{"[+1]", 13, "Bad value at character 2"},
                      Fault{"[.5]", 13, "Bad value at character 2"},
                      Fault{"[nul]", 13, "Bad value at character 2"},
                      Fault{"[", 13, "Bad value at character 2"},
                      Fault{"[1e+5-]", 13, "Second exponent sign at character 6"},
                      Fault{"[0, 1e5-3]", 6, "Number overflow or parse error at character 5"},
                      Fault{"[-]", 6, "Number overflow or parse error at character 2"},
                      Fault{"[1e]", 6, "Number overflow or parse error at character 2"},
                      Fault{"[1e999]", 6, "Number overflow or parse error at character 2"},
                      Fault{"[\"a\tb\"]", 13, "Invalid string character at 4"},
                      Fault{"[\"a\\qb\"]", 13, "Bad string character escape at character 5"},
                      Fault{"[\"\\u12G4\"]", 13, "Bad string character escape at character 5"},
                      Fault{"[\"\\u1", 13, "Bad string character escape at character 5"},
                      Fault{"[\"abc\\", 13, "Bad string character escape at character 7"},
                      Fault{"[\"abc", 13, "Expected \" at character 6"},
                      Fault{"[\"a\\n\nb\"]", 13, "Invalid string character at 6"}));

TEST(JsonReaderTest, LenientCommasWordsAndTrailingText) {
    EXPECT_EQ(read(QStringLiteral("[1, 2.5, -3e2, TRUE, null]")),
              QStringLiteral("[1,2.5,-300,true,null]"));
    EXPECT_EQ(read(QStringLiteral("[1 2]")), QStringLiteral("[1,2]"));
    EXPECT_EQ(read(QStringLiteral("[,1,,2,]")), QStringLiteral("[1,2]"));
    EXPECT_EQ(read(QStringLiteral("{\"a\":1,}")), QStringLiteral("{\"a\":1}"));
    EXPECT_EQ(read(QStringLiteral("{\"a\":1 \"b\":NULL,,\"c\":False}")),
              QStringLiteral("{\"a\":1,\"b\":null,\"c\":false}"));
    EXPECT_EQ(read(QStringLiteral(" \t\r\n[1] and more")), QStringLiteral("[1]"));
    EXPECT_EQ(read(QStringLiteral("[007, -0.50, 1E2]")), QStringLiteral("[7,-0.5,100]"));
}

TEST(JsonReaderTest, RepeatedNameKeepsTheLastValueOnce) {
    JsonCaixa bag;
    bag.JSON(QStringLiteral("{\"a\":1,\"b\":2,\"a\":{\"x\":[]}}"));
    EXPECT_EQ(bag.Count(), 2);
    EXPECT_EQ(bag.NewEnum(), (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_EQ(bag.JSON(), QStringLiteral("{\"b\":2,\"a\":{\"x\":[]}}"));
}

TEST(JsonReaderTest, EscapesDecodeAndWriteBack) {
    JsonCaixa bag;
    bag.JSON(QStringLiteral("[\"\\u00e9\", \"\\U00E9\", \"a\\tb\", \"\\/ /\", \"\\u2028\", "
                            "\"\\\"\\\\\\b\\f\\n\\r\", \"\\uD83D\"]"));
    ASSERT_EQ(bag.Count(), 7);
    EXPECT_EQ(bag.Item(1), JsonValue(u"\u00e9"));
    EXPECT_EQ(bag.Item(2), JsonValue(u"\u00e9"));
    EXPECT_EQ(bag.Item(3), JsonValue(u"a\tb"));
    EXPECT_EQ(bag.Item(4), JsonValue(u"/ /"));
    EXPECT_EQ(bag.Item(5), JsonValue(QString(QChar(0x2028))));
    EXPECT_EQ(bag.Item(6), JsonValue(u"\"\\\b\f\n\r"));
    EXPECT_EQ(bag.Item(7), JsonValue(QString(QChar(0xD83D))));
    EXPECT_EQ(bag.JSON(), QStringLiteral("[\"\u00e9\",\"\u00e9\",\"a\\tb\",\"/ /\",\"\\u2028\","
                                         "\"\\\"\\\\\\b\\f\\n\\r\",\"\\uD83D\"]"));
}

TEST(JsonReaderTest, DecimalModeReadsExactDecimalsIntoNestedBagsToo) {
    JsonCaixa bag;
    bag.DecimalMode(true);
    bag.JSON(QStringLiteral("[0.1, {\"v\":[2.50]}, 79228162514264337593543950335]"));
    EXPECT_EQ(bag.Item(1), JsonValue(*Decimal96::parse("0.1")));
    const auto inner = bag.Item(2).bag();
    ASSERT_TRUE(inner);
    EXPECT_TRUE(inner->DecimalMode());
    EXPECT_EQ(inner->Item("v").bag()->Item(1), JsonValue(*Decimal96::parse("2.5")));
    EXPECT_EQ(bag.JSON(), QStringLiteral("[0.1,{\"v\":[2.5]},79228162514264337593543950335]"));
    EXPECT_TRUE(failsWith([&] { bag.JSON(QStringLiteral("[79228162514264337593543950336]")); }, 6,
                          QStringLiteral("Number overflow or parse error at character 2")));

    bag.DecimalMode(false);
    bag.JSON(QStringLiteral("[0.1]"));
    EXPECT_EQ(bag.Item(1), JsonValue(0.1));
}

TEST(JsonReaderTest, FailedReadKeepsWhatWasReadBeforeTheFault) {
    JsonCaixa bag;
    bag.Whitespace = true;
    bag.DecimalMode(true);
    bag.IsArray(true);
    bag.Item(nullptr, "old");
    EXPECT_TRUE(failsWith([&] { bag.JSON(QStringLiteral("{\"a\":1,\"b\":[2,x]}")); }, 13,
                          QStringLiteral("Bad value at character 15")));
    EXPECT_FALSE(bag.IsArray());
    EXPECT_EQ(bag.Count(), 1);
    EXPECT_TRUE(bag.Exists("a"));
    EXPECT_TRUE(bag.Whitespace);
    EXPECT_TRUE(bag.DecimalMode());
}

TEST(JsonReaderTest, NestingIsRefusedPastFiveHundredTwelveLevels) {
    const auto nested = [](int levels) {
        return QString(levels, QLatin1Char('[')) + QString(levels, QLatin1Char(']'));
    };
    JsonCaixa bag;
    bag.JSON(nested(512));
    EXPECT_EQ(bag.JSON(), nested(512));
    EXPECT_TRUE(failsWith([&] { bag.JSON(nested(513)); }, 13,
                          QStringLiteral("Nesting too deep at character 513")));
    // Far deeper input fails the same way instead of exhausting the stack.
    EXPECT_TRUE(failsWith([&] { bag.JSON(QString(200000, QLatin1Char('{'))); }, 13,
                          QStringLiteral("Expected , or } at character 2")));
    EXPECT_TRUE(
        failsWith([&] { bag.JSON(QStringLiteral("{\"a\":") + QString(200000, QLatin1Char('['))); },
                  13, QStringLiteral("Nesting too deep at character 517")));
}

} // namespace
} // namespace vtx::test
