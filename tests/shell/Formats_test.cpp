// Amount, currency and date texts under the Brazilian locale.
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
