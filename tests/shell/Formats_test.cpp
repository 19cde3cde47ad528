// Amount, currency and date texts under the Brazilian locale.
#include <gtest/gtest.h>

#include "Clock.h"
#include "Formats.h"
#include "Session.h"

namespace vtx::test {
namespace {

TEST(Formats, CurrencyHasAPlainBlankAndGroupedThousands) {
    using Formats::currency;
    EXPECT_EQ(currency(Decimal(123450, 2)), QStringLiteral("R$ 1.234,50"));
    EXPECT_EQ(currency(Decimal(0, 0)), QStringLiteral("R$ 0,00"));
    EXPECT_EQ(currency(Decimal(150, 0)), QStringLiteral("R$ 150,00"));
    EXPECT_EQ(currency(Decimal(123456789, 0)), QStringLiteral("R$ 123.456.789,00"));
    EXPECT_EQ(currency(Decimal(-5, 1)), QStringLiteral("-R$ 0,50"));
    EXPECT_EQ(currency(Decimal(12345, 3)), QStringLiteral("R$ 12,35"));
}

TEST(Formats, AmountsAreTypedWithADecimalComma) {
    using Formats::parseAmount;
    EXPECT_EQ(parseAmount(QStringLiteral("12,5")), Decimal(125, 1));
    EXPECT_EQ(parseAmount(QStringLiteral("1.234,50")), Decimal(123450, 2));
    EXPECT_EQ(parseAmount(QStringLiteral(" 150 ")), Decimal(150, 0));
    EXPECT_EQ(parseAmount(QStringLiteral("-3")), Decimal(-3, 0));
    EXPECT_FALSE(parseAmount(QStringLiteral("1,2,3")));
    EXPECT_FALSE(parseAmount(QStringLiteral("abc")));
    EXPECT_FALSE(parseAmount(QString()));
    // Too large to carry two more decimals in 64 bits: refused rather than wrapped.
    EXPECT_FALSE(parseAmount(QStringLiteral("184467440737095517")));
    EXPECT_FALSE(parseAmount(QStringLiteral("12345678901234")));
    EXPECT_EQ(parseAmount(QStringLiteral("1234567890123,45"))->rescaled(4).toString(),
              QStringLiteral("1234567890123.4500"));
    // 0.1 typed stays exactly one tenth.
    EXPECT_EQ(parseAmount(QStringLiteral("0,1"))->toString(), QStringLiteral("0.1"));
    // A currency text reads back as the amount it shows.
    EXPECT_EQ(parseAmount(QStringLiteral("R$ 0,00")), Decimal(0, 0));
    EXPECT_EQ(parseAmount(QStringLiteral("R$1.234,50")), Decimal(123450, 2));
    EXPECT_EQ(parseAmount(QStringLiteral("-R$ 50,00")), Decimal(-50, 0));
    EXPECT_FALSE(parseAmount(QStringLiteral("-R$ -5")));
    EXPECT_FALSE(parseAmount(QStringLiteral("R$")));
    EXPECT_FALSE(parseAmount(QStringLiteral("5 R$")));
}

// A number with more digits than an amount holds is out of range, not a typing slip.
TEST(Formats, ANumberTooLongIsToldFromNoNumber) {
    for (const char* tooLong :
         {"12345678901234", "-12345678901234", "12.345.678.901.234,00", "R$ 99999999999999",
          "- 12345678901234", "0,0000000000000000001", "1234567890,123456789"}) {
        EXPECT_TRUE(Formats::isTooLongAmount(QString::fromUtf8(tooLong))) << tooLong;
        EXPECT_FALSE(Formats::parseAmount(QString::fromUtf8(tooLong))) << tooLong;
        EXPECT_TRUE(Formats::isTypedNumber(QString::fromUtf8(tooLong))) << tooLong;
    }
    for (const char* notTooLong : {"1234567890123,45", "", "ABC", "12345678901234X", "1,2,3",
                                   "-R$ -12345678901234", "1.2345.678.901.234"})
        EXPECT_FALSE(Formats::isTooLongAmount(QString::fromUtf8(notTooLong))) << notTooLong;
    EXPECT_TRUE(Formats::isTypedNumber(QStringLiteral("1234567890123,45")));
    EXPECT_FALSE(Formats::isTypedNumber(QStringLiteral("ABC")));
}

TEST(Formats, EveryTypedNumberReadsAsItShowsOrNotAtAll) {
    const auto zeros = [](int n) {
        return QStringLiteral("0,") + QString(n, QLatin1Char('0')) + QLatin1Char('5');
    };
    const std::optional<Decimal> none;
    const std::vector<std::pair<QString, std::optional<Decimal>>> cases = {
        // Every decimal place counts: more than 18 make no number.
        {zeros(70), none},
        {zeros(66), none},
        {zeros(20), none},
        {zeros(17), Decimal(5, 18)},
        {QStringLiteral("0,") + QString(19, QLatin1Char('0')), none},
        // A point groups thousands only in proper groups; a lone one otherwise is the decimal mark.
        {QStringLiteral("1.5"), Decimal(15, 1)},
        {QStringLiteral("0.125"), Decimal(125, 3)},
        {QStringLiteral("12.75"), Decimal(1275, 2)},
        {QStringLiteral("10.5"), Decimal(105, 1)},
        {QStringLiteral(".5"), Decimal(5, 1)},
        {QStringLiteral("5."), Decimal(5, 0)},
        {QStringLiteral("01.500"), Decimal(15, 1)},
        {QStringLiteral("1.500"), Decimal(1500, 0)},
        {QStringLiteral("1.125"), Decimal(1125, 0)},
        {QStringLiteral("1.234.567"), Decimal(1234567, 0)},
        {QStringLiteral("1.500,00"), Decimal(1500, 0)},
        {QStringLiteral("1,5"), Decimal(15, 1)},
        {QStringLiteral("0,5"), Decimal(5, 1)},
        {QStringLiteral("1.234,5"), Decimal(12345, 1)},
        {QStringLiteral("-3"), Decimal(-3, 0)},
        {QStringLiteral("-1.5"), Decimal(-15, 1)},
        {QStringLiteral(" 7 "), Decimal(7, 0)},
        {QStringLiteral("1.2.3"), none},
        {QStringLiteral("1.23,4"), none},
        {QStringLiteral("1..5"), none},
        {QStringLiteral("1,5.0"), none},
        {QStringLiteral("."), none},
        // Currency texts as the screens show them.
        {QStringLiteral("R$ 1.234,50"), Decimal(123450, 2)},
        {QStringLiteral("-R$ 1.500,00"), Decimal(-1500, 0)},
        {QStringLiteral("R$ 0,00"), Decimal(0, 0)},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<Decimal> read = Formats::parseAmount(text);
        EXPECT_EQ(read.has_value(), expected.has_value()) << text.toStdString();
        if (read && expected) {
            EXPECT_TRUE(*read == *expected)
                << text.toStdString() << " read as " << read->toString().toStdString();
        }
    }
    // The smallest amount read rounds to nothing at cents.
    EXPECT_EQ(Formats::parseAmount(zeros(17))->rescaled(2).toString(), QStringLiteral("0.00"));
}

TEST(Formats, DecimalPatternsKeepTwoToFourDecimalsWithoutGrouping) {
    using Formats::decimalText;
    EXPECT_EQ(decimalText(Decimal(125, 1), 2, 4), QStringLiteral("12,50"));
    EXPECT_EQ(decimalText(Decimal(1234567, 2), 2, 4), QStringLiteral("12345,67"));
    EXPECT_EQ(decimalText(Decimal(333335, 5), 2, 4), QStringLiteral("3,3334"));
    EXPECT_EQ(decimalText(Decimal(30000, 4), 0, 4), QStringLiteral("3"));
    EXPECT_EQ(decimalText(Decimal(25000, 4), 0, 4), QStringLiteral("2,5"));
    EXPECT_EQ(decimalText(Decimal(-5, 0), 2, 4), QStringLiteral("-5,00"));
}

TEST(Formats, DirectWritersGiveTheTextsOfTheCallsTheyStandFor) {
    // Both ends of the years written directly, years of fewer digits, the last days of months
    // and leap days; then the dates left to QDate: past 9999, before year 1, invalid.
    for (const QDate& date :
         {QDate(1, 1, 1), QDate(9, 9, 9), QDate(99, 12, 31), QDate(999, 2, 28), QDate(1900, 1, 10),
          QDate(2000, 2, 29), QDate(2026, 3, 5), QDate(2099, 11, 30), QDate(9999, 12, 31),
          QDate(10000, 1, 1), QDate(123456, 7, 4), QDate(-1, 12, 31), QDate(-2026, 3, 5),
          QDate(2026, 2, 30), QDate()}) {
        EXPECT_EQ(Formats::dateText(date), date.toString(QStringLiteral("dd/MM/yyyy")))
            << date.toString().toStdString();
        EXPECT_EQ(Formats::shortDateText(date), date.toString(QStringLiteral("dd/MM/yy")))
            << date.toString().toStdString();
    }
    // Amounts of every scale, rounded at the fifth decimal, signs, and the 64-bit ends.
    for (const Decimal& amount :
         {Decimal(0, 0), Decimal(0, 6), Decimal(7, 0), Decimal(125, 1), Decimal(1, 4),
          Decimal(10, 4), Decimal(123450, 5), Decimal(123455, 5), Decimal(-99995, 5),
          Decimal(-4, 5), Decimal(-5, 0), Decimal(1234567, 2), Decimal(333335, 5),
          Decimal(INT64_MAX, 4), Decimal(INT64_MIN, 4), Decimal(922337203685477, 0)})
        EXPECT_EQ(Formats::twoToFourDecimals(amount), Formats::decimalText(amount, 2, 4))
            << amount.toString().toStdString();
}

TEST(Formats, DatesAndDigitCodes) {
    EXPECT_EQ(Formats::sqlDate(QDate(2026, 3, 5)), QStringLiteral("2026/03/05"));
    EXPECT_EQ(Formats::dateText(QDate(2026, 3, 5)), QStringLiteral("05/03/2026"));
    EXPECT_EQ(Formats::parseDate(QStringLiteral("29/02/2024")), QDate(2024, 2, 29));
    EXPECT_FALSE(Formats::parseDate(QStringLiteral("29/02/2026")));
    EXPECT_EQ(Formats::parseDate(QStringLiteral("2026/03/05")), QDate(2026, 3, 5));
    EXPECT_TRUE(Formats::isDigitsOnly(QStringLiteral(" 12 ")));
    for (const char* notCode : {"1,5", "1e2", "1.000", "", " ", "-1", "+1"})
        EXPECT_FALSE(Formats::isDigitsOnly(QString::fromLatin1(notCode))) << notCode;
    EXPECT_EQ(Formats::numericCode(QStringLiteral(" 0123 ")), 123);
    EXPECT_EQ(Formats::numericCode(QStringLiteral("999999999999999999")), 999999999999999999LL);
    for (const char* notCode : {"1234567890123456789", " R$ 3", "1,5", "1e3", ""})
        EXPECT_FALSE(Formats::numericCode(QString::fromLatin1(notCode))) << notCode;
}

TEST(Formats, AuditStampUsesTheUserAndTheClock) {
    gUsuario = QStringLiteral("MARIA");
    Clock::set(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(Formats::auditStamp(QStringLiteral(" - ")),
              QStringLiteral("MARIA - 02/01/2026 03:04:05"));
    EXPECT_EQ(Formats::auditStamp(QStringLiteral(" ")),
              QStringLiteral("MARIA 02/01/2026 03:04:05"));
}

TEST(Session, ConnectionStringAndCaptionAreExact) {
    EXPECT_EQ(connectionString(QStringLiteral("srv"), QStringLiteral("db"), QStringLiteral("usr"),
                               QStringLiteral("pw")),
              QStringLiteral("Driver={MySQL ODBC 8.0 ANSI Driver};Server=srv;Database=db;User=usr;"
                             "Password=pw;Option=3;"));
    gIdLic.clear();
    EXPECT_EQ(mainCaption(), QStringLiteral("Vertalumex 1.0 - Lic.: "));
}

} // namespace
} // namespace vtx::test
