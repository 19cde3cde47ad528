// The purchase history: the query and its totals, the paged text report and its PDF.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "Desktop.h"
#include "PdfCheck.h"
#include "StockFixture.h"
#include "frmRel_CmpInsumos.h"

namespace vtx::test {
namespace {

class HistoryTest : public StockFixture {
protected:
    void SetUp() override {
        StockFixture::SetUp();
        Desktop::setProgramFolder(folder.path());
        supplier = addSupplier(QStringLiteral("MEDSUL D'OESTE"));
        addSupply(QStringLiteral("0123"), QStringLiteral("GAZE"));
        addSupply(QStringLiteral("123"), QStringLiteral("ALCOOL"));
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        StockFixture::TearDown();
    }
    /// Types the period and presses "Gerar".
    void generate(QWidget* f, const char* from, const char* to) {
        box(f, "txtDTi")->setText(QString::fromLatin1(from));
        box(f, "txtDTf")->setText(QString::fromLatin1(to));
        click(f, "Command1");
    }
    /// Presses "Imprimir"; the text report's lines as the print assistant found it.
    QStringList print(QWidget* f) {
        QStringList report;
        setModalDriver([&](QDialog*) {
            QFile file(gArquivoTXT);
            if (file.open(QIODevice::ReadOnly))
                report = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
            for (int i = 0; i < 3; ++i)
                QApplication::processEvents();
        });
        click(f, "Command2");
        return report;
    }
    static QPushButton* printButton(QWidget* f) { return control<QPushButton>(f, "Command2"); }

    QTemporaryDir folder;
    QString supplier;
};

TEST_F(HistoryTest, ListsClosedLinesOfThePeriodWithTheirTotalsAndFilters) {
    const QString model = QStringLiteral("1");
    addLine(QStringLiteral("A"), supplier, model, QStringLiteral("0123"), "10", "2",
            QStringLiteral("S"), {2026, 3, 5});
    addLine(QStringLiteral("B"), supplier, model, QStringLiteral("123"), "2.5", "4",
            QStringLiteral("S"), {2026, 3, 5});
    addLine(QStringLiteral("C"), supplier, model, QStringLiteral("0123"), "99", "1",
            QStringLiteral("N"), {2026, 3, 5});
    addLine(QStringLiteral("D"), supplier, model, QStringLiteral("0123"), "99", "1",
            QStringLiteral("S"), {2026, 3, 6});
    addLine(QStringLiteral("E"), QStringLiteral("999999"), model, QStringLiteral("NONE"), "1", "1",
            QStringLiteral("S"), {2026, 3, 5});
    db.execute(
        QStringLiteral("update insumos_cmp set vfrete = 1.5 where idlic = ? and idlan = 'A'"),
        {gIdLic});
    auto f = open<frmRel_CmpInsumos>();
    EXPECT_FALSE(printButton(f.get())->isEnabled());
    generate(f.get(), "06/03/2026", "05/03/2026");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- PERÍODO INVÁLIDO!")});
    EXPECT_FALSE(printButton(f.get())->isEnabled());

    generate(f.get(), "05/03/2026", "05/03/2026");
    EXPECT_TRUE(printButton(f.get())->isEnabled());
    EXPECT_EQ(listed(f.get(), 5),
              (QStringList{QStringLiteral("0123"), QStringLiteral("123"), QStringLiteral("NONE")}));
    // A line whose supply and supplier are unknown shows them blank.
    EXPECT_EQ(listed(f.get(), 6).last(), QString());
    EXPECT_EQ(listed(f.get(), 10).last(), QString());
    EXPECT_EQ(control<QLabel>(f.get(), "l_TL")->text(),
              QStringLiteral("Insumos: R$ 31,00 Fretes: R$ 3,00 Total: R$ 34,00"));

    // A supply code filters by equality once its name was found; any change disables printing.
    enter(f.get(), "txtCdPro", QStringLiteral("0123"), "txtDTi");
    EXPECT_EQ(box(f.get(), "txtNmPro")->text(), QStringLiteral("GAZE"));
    EXPECT_FALSE(printButton(f.get())->isEnabled());
    enter(f.get(), "txtCdCli", supplier, "txtDTi");
    EXPECT_EQ(box(f.get(), "txtNmCli")->text(), QStringLiteral("MEDSUL D'OESTE"));
    generate(f.get(), "01/03/2026", "31/03/2026");
    EXPECT_EQ(listed(f.get(), 0),
              (QStringList{QStringLiteral("05/03/2026"), QStringLiteral("06/03/2026")}));
    EXPECT_EQ(control<QLabel>(f.get(), "l_TL")->text(),
              QStringLiteral("Insumos: R$ 119,00 Fretes: R$ 3,00 Total: R$ 122,00"));

    // Totals that cannot be read leave nothing to print under the last caption.
    endSession(conexaoAberta());
    prompts().reset();
    click(f.get(), "Command1");
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_FALSE(printButton(f.get())->isEnabled());
    gConexao().close();
}

// A purchase closed with a line past its totals: its sum cannot be read, and is never taken as 0.
TEST_F(HistoryTest, ASumPastWhatAnAmountHoldsIsSaidSoOnScreenAndInThePrintout) {
    addLine(QStringLiteral("A"), supplier, QStringLiteral("1"), QStringLiteral("0123"),
            "9999999999999", "2", QStringLiteral("S"), {2026, 3, 5});
    auto f = open<frmRel_CmpInsumos>();
    generate(f.get(), "05/03/2026", "05/03/2026");
    const QString totals = QStringLiteral(
        "Insumos: VALOR FORA DO LIMITE! Fretes: R$ 0,00 Total: VALOR FORA DO LIMITE!");
    EXPECT_EQ(control<QLabel>(f.get(), "l_TL")->text(), totals);
    EXPECT_TRUE(print(f.get()).contains(totals));
}

TEST_F(HistoryTest, ReportCutsLongFieldsAddsLotLinesAndBecomesAPdf) {
    const QString longName = QStringLiteral("COMPRESSA GAZE ESTÉRIL 7,5 X 7,5 CM 13 FIOS");
    db.execute(QStringLiteral("update produtos set dspro = ? where idlic = ? and cdpro = '0123'"),
               {longName, gIdLic});
    addLine(QStringLiteral("A"), supplier, QStringLiteral("55"), QStringLiteral("0123"), "1.35",
            "200", QStringLiteral("S"), {2026, 3, 5}, QStringLiteral("L'01"));
    db.execute(QStringLiteral("update insumos_cmp set dtv = '2027-01-31' where idlic = ?"),
               {gIdLic});
    auto f = open<frmRel_CmpInsumos>();
    generate(f.get(), "05/03/2026", "05/03/2026");
    EXPECT_EQ(listed(f.get(), 6), QStringList{longName});
    const QStringList report = print(f.get());
    ASSERT_GE(report.size(), 14);
    EXPECT_EQ(report[3], QStringLiteral("Histórico de Compra de Insumos"));
    EXPECT_EQ(report[4], QStringLiteral("Período: 05/03/2026 05/03/2026"));
    EXPECT_EQ(report[8].left(33), QStringLiteral("Emissão |Chegada |Ser|N.Fiscal  |"));
    const QString record =
        QStringLiteral(
            "05/03/26|06/03/26|  1|        77| 55|0123         |%1|  200,00|        1,35|        "
            "0,00|MEDSUL D'OESTE                ")
            .arg(longName.left(34));
    EXPECT_EQ(report[10], record);
    EXPECT_EQ(report[10].size(), 151);
    EXPECT_EQ(report[11], QStringLiteral("Lote    |--------|---|----------|---|-------------|") +
                              QStringLiteral("L'01 - 31/01/2027").rightJustified(34) +
                              QStringLiteral("|--------|------------|------------|") +
                              QString(30, QLatin1Char('-')));
    EXPECT_TRUE(
        report.contains(QStringLiteral("Insumos: R$ 270,00 Fretes: R$ 0,00 Total: R$ 270,00")));

    expectValidPdf(gArquivoPDF);
    EXPECT_TRUE(pageText(gArquivoPDF, 1).contains(QStringLiteral("L'01 - 31/01/2027")));
    EXPECT_FALSE(QFile::exists(gArquivoTXT));
}

TEST_F(HistoryTest, PagesHoldFortyTwoRecordsAndAnEmptyResultOnlyTheHeader) {
    auto f = open<frmRel_CmpInsumos>();
    generate(f.get(), "01/01/2026", "01/01/2026");
    const QStringList empty = print(f.get());
    EXPECT_EQ(empty.size(), 11); // ten lines, each ended by CR LF

    for (int i = 0; i < 43; ++i)
        addLine(QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0')), supplier,
                QStringLiteral("1"), QStringLiteral("123"), "1", "1", QStringLiteral("S"),
                {2026, 3, 5});
    generate(f.get(), "05/03/2026", "05/03/2026");
    const QStringList report = print(f.get());
    const qsizetype feed = report.indexOf(QStringLiteral("\f"));
    ASSERT_GT(feed, 0);
    // Ten header lines, 42 records, the footer rule and address, then the next page.
    EXPECT_EQ(feed, 10 + 42 + 2);
    EXPECT_EQ(report.mid(feed + 10).first().left(8), QStringLiteral("05/03/26"));
    EXPECT_EQ(report.count(QStringLiteral("\f")), 1);
}

} // namespace
} // namespace vtx::test
