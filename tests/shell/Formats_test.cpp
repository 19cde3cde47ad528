// Amount, currency and date texts under the Brazilian locale.
#include <climits>

#include <QVariant>

#include <gtest/gtest.h>

#include "Clock.h"
#include "DbError.h"
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

TEST(Formats, DecimalScalesAndQuotientsAtTheirLimits) {
    const Decimal max(INT64_MAX, 0);
    // Up: only a result past 64 bits is refused.
    EXPECT_THROW(Decimal(1, 0).rescaled(19), UsageError);
    EXPECT_THROW(max.rescaled(1), UsageError);
    EXPECT_EQ(Decimal(1, 0).rescaled(18).units(), 1000000000000000000);
    EXPECT_EQ(Decimal(0, 0).rescaled(38).units(), 0);
    // Down: correctly rounded, 0 once every digit goes.
    EXPECT_EQ(Decimal(-5, 1).rescaled(0).units(), -1);
    EXPECT_EQ(Decimal(INT64_MAX, 19).rescaled(0).units(), 1);
    EXPECT_EQ(Decimal(INT64_MAX, 20).rescaled(0).units(), 0);
    EXPECT_EQ(Decimal(5, 38).rescaled(2).units(), 0);
    EXPECT_EQ(Decimal(INT64_MIN, 0).toString(), QStringLiteral("-9223372036854775808"));
    // Comparisons across any scales.
    EXPECT_LT(Decimal(INT64_MAX, 19), Decimal(1, 0));
    EXPECT_GT(Decimal(1, 0), Decimal(1, 30));
    EXPECT_LT(Decimal(-1, 0), Decimal(-1, 30));
    EXPECT_EQ(Decimal(10, 1), Decimal(1, 0));
    // Products in 128 bits, powers of ten by long division: exact, or refused.
    EXPECT_EQ(max.timesDividedBy(max, max, 0), max);
    EXPECT_EQ(Decimal(INT64_MIN, 0).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 0).units(),
              INT64_MIN);
    EXPECT_EQ(Decimal(9, 0).dividedBy(Decimal(1, 0), 18).units(), 9000000000000000000);
    EXPECT_THROW(Decimal(1, 0).dividedBy(Decimal(1, 0), 19), UsageError);
    EXPECT_THROW(Decimal(1, 0).timesDividedBy(Decimal(1, 0), Decimal(3, 0), 60), UsageError);
    EXPECT_THROW(max.timesDividedBy(max, Decimal(1, 30), 0), UsageError);
    EXPECT_EQ(
        Decimal(INT64_MAX, 10).timesDividedBy(Decimal(INT64_MAX, 10), Decimal(3, 0), 0).units(),
        283568639100782053);
    EXPECT_EQ(Decimal(5, 1).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 0).units(), 1);
    EXPECT_EQ(Decimal(-1, 30).timesDividedBy(Decimal(1, 0), Decimal(1, 0), 2).units(), 0);
    EXPECT_EQ(Decimal(-2, 0).timesDividedBy(Decimal(1, 0), Decimal(3, 0), 2).units(), -67);
}

TEST(Formats, DecimalSumsScalesAndWholeNumbersAreExactOrRefused) {
    // A sum that fits is exact, though one operand alone leaves 64 bits at the larger scale.
    const Decimal big(1000000000000000000, 0);
    EXPECT_EQ((big + Decimal(-9000000000000000000, 1)).toString(),
              QStringLiteral("100000000000000000.0"));
    EXPECT_EQ((big - Decimal(9000000000000000000, 1)).units(), 1000000000000000000);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 38), UsageError);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 0), UsageError);
    EXPECT_THROW(Decimal(INT64_MIN, 0) - Decimal(1, 0), UsageError);
    // Scales are 0 to 38, the powers of ten that 128 bits hold.
    EXPECT_THROW(Decimal(50, -1), UsageError);
    EXPECT_THROW(Decimal(1, 39), UsageError);
    EXPECT_THROW(Decimal(1, 0).rescaled(39), UsageError);
    EXPECT_THROW(Decimal(1, 20) * Decimal(1, 19), UsageError);
    EXPECT_EQ((Decimal(3, 20) * Decimal(2, 18)).toString().right(4), QStringLiteral("0006"));
    EXPECT_THROW(Decimal(1, 0).dividedBy(Decimal(3, 0), 1000), UsageError);
    // Read as an int, a whole number past int's range fails instead of being cut.
    bool ok = true;
    EXPECT_EQ(QVariant::fromValue(Decimal(2147483648, 0)).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(QVariant::fromValue(Decimal(-21474836495, 1)).toInt(&ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(QVariant::fromValue(Decimal(-21474836484, 1)).toInt(&ok), INT_MIN);
    EXPECT_TRUE(ok);
    // Half to even only on a tie; half away from zero for rescaled().
    EXPECT_EQ(Decimal(25, 1).roundedHalfToEven(0).units(), 2);
    EXPECT_EQ(Decimal(-35, 1).roundedHalfToEven(0).units(), -4);
    EXPECT_EQ(Decimal(2501, 3).roundedHalfToEven(0).units(), 3);
    EXPECT_EQ(Decimal(25, 1).rescaled(0).units(), 3);
}

TEST(Formats, DecimalDivisionRoundsHalfAwayFromZeroAtTheScaleAsked) {
    EXPECT_EQ(Decimal(1000, 2).dividedBy(Decimal(3000, 2), 4).toString(), QStringLiteral("0.3333"));
    EXPECT_EQ(Decimal(2, 0).dividedBy(Decimal(3, 0), 2).toString(), QStringLiteral("0.67"));
    EXPECT_EQ(Decimal(-2, 0).dividedBy(Decimal(3, 0), 2).toString(), QStringLiteral("-0.67"));
    EXPECT_EQ(Decimal(1, 0).dividedBy(Decimal(8, 0), 2).toString(), QStringLiteral("0.13"));
    // Products past 64 bits on the way still give the exact quotient.
    const Decimal big = *Formats::parseAmount(QStringLiteral("1234567890123,4567"));
    EXPECT_EQ((big.dividedBy(big, 4)).toString(), QStringLiteral("1.0000"));
    EXPECT_THROW(big.dividedBy(Decimal(0, 2), 2), UsageError);
    // A product or sum past 64 bits is refused, never wrapped round.
    EXPECT_THROW(big * big, UsageError);
    EXPECT_THROW(Decimal(INT64_MAX, 0) + Decimal(1, 0), UsageError);
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
