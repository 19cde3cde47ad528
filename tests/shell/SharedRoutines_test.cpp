// CPF/CNPJ check digits and formats, the age of a birth date, the date typing mask.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "Clock.h"
#include "Keyboard.h"
#include "Session.h"
#include "SharedRoutines.h"

namespace vtx::test {
namespace {

struct DocCase {
    const char* input;
    bool valid;
    const char* formatted;
    const char* afterCall;
};

class CpfCnpj : public ::testing::TestWithParam<DocCase> {};

TEST_P(CpfCnpj, ChecksAndFormats) {
    const DocCase c = GetParam();
    QString doc = QString::fromUtf8(c.input);
    ValidaCPFCNPJ(doc);
    EXPECT_EQ(gRetorno.toBool(), c.valid) << c.input;
    EXPECT_EQ(gDocFormatado, QString::fromUtf8(c.formatted)) << c.input;
    EXPECT_EQ(doc, QString::fromUtf8(c.afterCall)) << c.input;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, CpfCnpj,
    ::testing::Values(
        DocCase{"123.456.789-09", true, "123.456.789-09", "123.456.789-09"},
        DocCase{"12345678909", true, "123.456.789-09", "12345678909"},
        DocCase{"12345678900", false, "", "12345678900"},
        DocCase{"11.222.333/0001-81", true, "11.222.333/0001-81", "11.222.333/0001-81"},
        DocCase{"11222333000181", true, "11.222.333/0001-81", "11.222.333/0001-81"},
        DocCase{"11222333000182", false, "", "11.222.333/0001-82"},
        // Leading zeros count as digits of the document.
        DocCase{"00123456797", true, "001.234.567-97", "00123456797"},
        DocCase{"00000000191", true, "000.000.001-91", "00000000191"},
        DocCase{"00394460005887", true, "00.394.460/0058-87", "00.394.460/0058-87"},
        DocCase{"A1234567890", false, "", "A1234567890"},
        DocCase{"1234567890", false, "", "1234567890"},
        DocCase{"1234567890123456789", false, "", "1234567890123456789"},
        DocCase{"12.345.678/0001CPF", true, "12.345.678/0001CPF", "12.345.678/0001CPF"},
        DocCase{"123456789012", false, "", "123456789012"}));

TEST(CalculaIdade, CountsWholeYearsByTheClock) {
    Clock::set(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    EXPECT_EQ(CalculaIdade(QStringLiteral("08/12/1990")), QStringLiteral("36"));
    EXPECT_EQ(CalculaIdade(QStringLiteral("09/12/1990")), QStringLiteral("35"));
    EXPECT_EQ(CalculaIdade(QStringLiteral("1990/12/09")), QStringLiteral("35"));
    EXPECT_EQ(CalculaIdade(QStringLiteral("1990-12-08")), QStringLiteral("36"));
    EXPECT_EQ(CalculaIdade(QStringLiteral("07/01/2026")), QStringLiteral("0"));
    EXPECT_EQ(CalculaIdade(QString()), QString());
    EXPECT_EQ(CalculaIdade(QStringLiteral("Não Informado")), QString());
    EXPECT_EQ(CalculaIdade(QStringLiteral("31/02/1990")), QString());
}

TEST(MascaraData, TypingDigitsInsertsTheSlashesAndIgnoresLetters) {
    QDialog form;
    auto* date = new QLineEdit(&form);
    date->setMaxLength(10);
    auto* preview = new KeyPreview(&form);
    preview->setControlKeyPress(date, [date](int& key) { MascaraData(key, date); });
    form.show();
    date->setFocus();
    QTest::keyClicks(date, QStringLiteral("01a012b000"));
    EXPECT_EQ(date->text(), QStringLiteral("01/01/2000"));
    QTest::keyClick(date, Qt::Key_Backspace);
    EXPECT_EQ(date->text(), QStringLiteral("01/01/200"));
    // Delete is no typed character: it deletes as usual, as do the cursor keys move.
    QTest::keyClick(date, Qt::Key_Home);
    // As X11 sends it: Delete carries the DEL control character as its text.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    QApplication::sendEvent(date, &del);
    EXPECT_EQ(date->text(), QStringLiteral("1/01/200"));

    // Over a selection the caret is where the selection starts, whichever way it was made.
    for (const int from : {0, 2}) {
        date->setText(QStringLiteral("01/01/2000"));
        date->setSelection(from, from == 0 ? 2 : -2);
        QTest::keyClick(date, Qt::Key_1);
        EXPECT_EQ(date->text(), QStringLiteral("1/01/2000")) << from;
    }
}

} // namespace
} // namespace vtx::test
