// The accounts report: its lines and total, the form's choices, and the paged printout handed
// to the print assistant.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "AccountsReport.h"
#include "Cp1252.h"
#include "Decimal.h"
#include "Desktop.h"
#include "FormDriving.h"
#include "Modal.h"
#include "PayablesFixture.h"
#include "PdfCheck.h"
#include "ScriptedPrompter.h"
#include "frmRel_Contas.h"

namespace vtx::test {
namespace {

class AccountsReportTest : public PayablesFixture {
protected:
    void SetUp() override {
        PayablesFixture::SetUp();
        Desktop::setProgramFolder(folder.path());
        supplier = addSupplier(QString(45, QLatin1Char('N')));
    }
    void TearDown() override {
        Desktop::setProgramFolder(QString());
        PayablesFixture::TearDown();
    }
    /// Settled instalment: paid on `day`, receipt number as given.
    void addSettled(const QString& nrdoc, const QDate& day, const char* value,
                    const QVariant& nrrec) {
        addInstalment(nrdoc, supplier, 1, 1, day, QString::fromLatin1(value), "S",
                      QString::fromLatin1(value), nrrec);
        db.execute(QStringLiteral("update cpagar set dtp = ? where idlic = ? and nrdoc = ?"),
                   {day, gIdLic, nrdoc});
    }
    QStringList build(AccountsReport::Situation s, const QDate& from, const QDate& to) {
        return AccountsReport::build(db, {s, from, to, std::nullopt});
    }
    QTemporaryDir folder;
    long long supplier = 0;
};

TEST_F(AccountsReportTest, LinesCutTheirFieldsAndTheTotalAddsTheAmounts) {
    const QDate from(2026, 3, 1), to(2026, 3, 31);
    addInstalment("A", supplier, 1, 1, from, "12345678.90");
    addInstalment("B", supplier, 1, 1, to, "10.00", "N", "0", QVariant(), "NOTA");
    addInstalment("OUT", supplier, 1, 1, to.addDays(1), "1.00");
    addInstalment("ZERO", supplier, 1, 1, from, "0.00");
    addInstalment("INREC", supplier, 1, 1, from, "3.00", "X", "3.00");
    addInstalment("NOSUP", 999999999, 1, 1, from.addDays(1), "1.00");
    const QStringList open = build(AccountsReport::Situation::Open, from, to);
    ASSERT_EQ(open.size(), 5);
    EXPECT_EQ(open[0], QStringLiteral("01/03/2026|R$ 12.345.678,9|A") +
                           QString(21, QLatin1Char(' ')) + QStringLiteral("|001/001|") +
                           QString(45, QLatin1Char('N')) + QLatin1Char('|') + QString(45, ' '));
    EXPECT_TRUE(open[1].startsWith(QStringLiteral("02/03/2026|        R$ 1,00|NOSUP")));
    EXPECT_EQ(open[1].mid(58, 45), QString(45, QLatin1Char(' ')));
    EXPECT_TRUE(open[2].endsWith(QStringLiteral("|NOTA") + QString(41, QLatin1Char(' '))));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(open[i].size(), 149) << i;
    EXPECT_EQ(open[3], QString(149, QLatin1Char('-')));
    EXPECT_EQ(open[4], QStringLiteral("Total: R$ 12.345.689,90"));
    EXPECT_EQ(AccountsReport::heading(AccountsReport::Situation::Open).size(), 149);

    addSettled("S1", to, "7.00", QVariant());
    addSettled("S2", from, "8.00", QStringLiteral("260301000000"));
    const QStringList settled = build(AccountsReport::Situation::Settled, to, to);
    ASSERT_EQ(settled.size(), 3);
    EXPECT_EQ(settled[0],
              QStringLiteral("31/03/2026|        R$ 7,00|31/03/2026|        R$ 7,00|S1") +
                  QString(20, ' ') + QStringLiteral("|001/001|") + QString(40, QLatin1Char('N')) +
                  QLatin1Char('|') + QString(22, ' '));
    EXPECT_EQ(AccountsReport::heading(AccountsReport::Situation::Settled).size(), 148);
    EXPECT_EQ(settled[2], QStringLiteral("Total: R$ 7,00"));
}

TEST(AccountsReportLines, NamesLongerThanTheirFieldAreCut) {
    const QString name = QString(40, QLatin1Char('A')) + QStringLiteral("BCDEFGHIJK");
    const QVariant one = QVariant::fromValue(Decimal(1, 0)), day(QDate(2026, 1, 2));
    const QVariant number(QStringLiteral("1")), label(QStringLiteral("001/001"));
    const Recordset open({"dtv", "vrab", "nrdoc", "parcela", "nmfor", "obs"},
                         {{day, one, number, label, QVariant(name), QVariant()}});
    EXPECT_EQ(AccountsReport::lines(open, AccountsReport::Situation::Open)[0].mid(58, 46),
              name.left(45) + QLatin1Char('|'));
    const Recordset settled(
        {"dtp", "vrpg", "dtv", "vrorig", "nrdoc", "parcela", "nmfor", "nrrec"},
        {{day, one, QVariant(), one, number, label, QVariant(name), QVariant()}});
    const QString line = AccountsReport::lines(settled, AccountsReport::Situation::Settled)[0];
    EXPECT_EQ(line.size(), 148);
    EXPECT_EQ(line.mid(27, 11), QString(10, QLatin1Char(' ')) + QLatin1Char('|'));
    EXPECT_EQ(line.mid(85, 41), name.left(40) + QLatin1Char('|'));
}

TEST_F(AccountsReportTest, FormFiltersBySupplierOfThisInstallationOnly) {
    const long long other = addSupplier(QStringLiteral("OUTRO"));
    addInstalment("A", supplier, 1, 1, QDate(2026, 3, 5), "1.00");
    addInstalment("B", other, 1, 1, QDate(2026, 3, 5), "2.00");
    const QString foreignIdlic = gIdLic + QLatin1Char('X');
    db.execute(QStringLiteral("insert into fornecedores (idlic, nmfor) values (?, 'ALHEIO')"),
               {foreignIdlic});
    const long long foreign = db.lastInsertId();
    db.execute(QStringLiteral("delete from fornecedores where idlic = ?"), {foreignIdlic});

    frmRel_Contas f;
    activate(&f);
    EXPECT_FALSE(control<QComboBox>(&f, "cboTP")->isEnabled());
    EXPECT_EQ(control<QLabel>(&f, "Label4")->text(), QStringLiteral("Fornecedor - F2 = Pesquisar"));
    auto* code = control<QLineEdit>(&f, "txtCdCli");
    auto* list = control<QListWidget>(&f, "List1");
    auto* print = control<QPushButton>(&f, "Command2");
    control<QLineEdit>(&f, "txtDTi")->setText(QStringLiteral("06/03/2026"));
    control<QLineEdit>(&f, "txtDTf")->setText(QStringLiteral("05/03/2026"));
    control<QPushButton>(&f, "Command1")->click();
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- PERÍODO INVÁLIDO!"});
    EXPECT_FALSE(print->isEnabled());

    control<QLineEdit>(&f, "txtDTi")->setText(QStringLiteral("05/03/2026"));
    const std::pair<long long, int> cases[] = {{other, 3}, {foreign, 4}};
    for (const auto& [typed, lines] : cases) {
        code->setText(QString::number(typed));
        leave(code, control<QPushButton>(&f, "Command1"));
        control<QPushButton>(&f, "Command1")->click();
        EXPECT_EQ(list->count(), lines) << typed;
        EXPECT_TRUE(print->isEnabled());
    }
    EXPECT_EQ(control<QLabel>(&f, "l_Tit")->text(),
              AccountsReport::heading(AccountsReport::Situation::Open));
    control<QComboBox>(&f, "cboSit")->setCurrentIndex(1);
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(print->isEnabled());
}

TEST_F(AccountsReportTest, PrintoutPagesByFortyFourEntriesAndBecomesAValidPdf) {
    for (int i = 0; i < 43; ++i)
        addInstalment(QStringLiteral("NF%1").arg(i, 2, 10, QLatin1Char('0')), supplier, 1, 1,
                      QDate(2026, 3, 1).addDays(i % 28), "1.50");
    frmRel_Contas f;
    activate(&f);
    control<QLineEdit>(&f, "txtDTi")->setText(QStringLiteral("01/03/2026"));
    control<QLineEdit>(&f, "txtDTf")->setText(QStringLiteral("31/03/2026"));
    control<QPushButton>(&f, "Command1")->click();
    ASSERT_EQ(control<QListWidget>(&f, "List1")->count(), 45);

    QByteArray text;
    QStringList opened;
    Desktop::setHooks({[](const QString&) { return true; },
                       [&](const QString& p) {
                           opened << p;
                           return true;
                       },
                       [] {}});
    setModalDriver([&](QDialog*) {
        text = readFile(gArquivoTXT);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
    control<QPushButton>(&f, "Command2")->click();
    EXPECT_TRUE(gArquivoTXT.endsWith(QStringLiteral("/temp/relcontas_260314092653.txt")));
    EXPECT_FALSE(QFile::exists(gArquivoTXT));
    ASSERT_EQ(opened, QStringList{gArquivoPDF});
    const PdfCheck pdf = expectValidPdf(gArquivoPDF);
    EXPECT_EQ(pdf.pages, 2);

    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 56 + 55 + 1); // the last line end leaves an empty piece
    for (int i = 0; i + 1 < lines.size(); ++i)
        ASSERT_TRUE(lines[i].endsWith('\r')) << i;
    EXPECT_EQ(lines[3], Cp1252::encode(QStringLiteral("Relatório de Contas\r")));
    EXPECT_EQ(lines[4], Cp1252::encode(QStringLiteral("Tipo: 1 - C.Pagar Situação: 0 - Em "
                                                      "AbertoPeríodo: 01/03/2026 31/03/2026\r")));
    EXPECT_EQ(lines[5], QByteArray("Fornecedor:  \r"));
    EXPECT_EQ(lines[55], QByteArray("\f\r"));
    EXPECT_EQ(lines[55 + 9], QByteArray("Total: R$ 64,50\r"));
}

TEST_F(AccountsReportTest, AReportThatCannotBeWrittenIsReportedAndNotPrinted) {
    QFile blocker(QDir(folder.path()).filePath(QStringLiteral("temp")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    bool shown = false;
    setModalDriver([&](QDialog*) { shown = true; });
    const auto error = AccountsReport::write({QStringLiteral("x")}, {});
    ASSERT_TRUE(error);
    frmRel_Contas f;
    activate(&f);
    control<QLineEdit>(&f, "txtDTi")->setText(QStringLiteral("01/03/2026"));
    control<QLineEdit>(&f, "txtDTf")->setText(QStringLiteral("01/03/2026"));
    control<QPushButton>(&f, "Command1")->click();
    control<QPushButton>(&f, "Command2")->click();
    EXPECT_FALSE(shown);
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- " + *error});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
}

} // namespace
} // namespace vtx::test
