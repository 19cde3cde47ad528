// The purchase entry against the real server: lines, keys, checks, reversal, loading and the
// pending purchases.
#include <thread>

#include <QGroupBox>
#include <QLabel>

#include "StatementStop.h"
#include "StockFixture.h"
#include "frmInsumos_Compra.h"

namespace vtx::test {
namespace {

class PurchaseTest : public StockFixture {
protected:
    void SetUp() override {
        StockFixture::SetUp();
        supplier = addSupplier(QStringLiteral("D'ÁVILA"));
        addSupply(QStringLiteral("0123"), QStringLiteral("GAZE"), QStringLiteral("0"));
        addSupply(QStringLiteral("FREE"), QStringLiteral("ALCOOL"), QStringLiteral("1"));
    }

    /// Types the invoice header and leaves the model box, which loads the purchase.
    void header(QWidget* f, const char* series = "1") {
        enter(f, "txtCdFor", supplier, "txtSerie");
        box(f, "txtSerie")->setText(QString::fromLatin1(series));
        box(f, "txtNFiscal")->setText(QStringLiteral("123"));
        enter(f, "txtModelo", QStringLiteral("55"), "txtDTe");
        box(f, "txtDTe")->setText(QStringLiteral("10/03/2026"));
        box(f, "txtDTc")->setText(QStringLiteral("12/03/2026"));
    }
    /// Types a line and presses "Salvar"; the message shown, if any.
    QString line(QWidget* f, const QString& code, const char* value, const char* quantity,
                 const QString& lot, const QString& expiry) {
        prompts().reset();
        enter(f, "txtCdPro", code, "txtVR");
        box(f, "txtVR")->setText(QString::fromLatin1(value));
        box(f, "txtQtde")->setText(QString::fromLatin1(quantity));
        box(f, "txtLote")->setText(lot);
        box(f, "txtDtv")->setText(expiry);
        click(f, "Command1");
        return prompts().messages.empty() ? QString() : prompts().last().text;
    }
    Recordset lines() {
        return rows(QStringLiteral("select * from insumos_cmp where idlic = ? order by idlan"));
    }
    static QString totals(QWidget* f) { return control<QLabel>(f, "lST")->text(); }

    QString supplier;
    const QString today = QStringLiteral("14/03/2026");
};

TEST_F(PurchaseTest, LinesOfOneSecondGetTheirOwnKeysAndReversingOneKeepsTheOther) {
    auto f = open<frmInsumos_Compra>();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Insumos - Compra"));
    header(f.get());
    EXPECT_EQ(box(f.get(), "txtNmFor")->text(), QStringLiteral("D'ÁVILA"));
    // The supply comes from its search dialog (F3), as text.
    setModalDriver([](QDialog* dialog) {
        activate(dialog);
        press(dialog, Qt::Key_F10);
    });
    press(f.get(), Qt::Key_F3);
    activate(f.get());
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QStringLiteral("FREE"));
    EXPECT_EQ(QApplication::focusWidget(), box(f.get(), "txtCdPro"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "12,5", "2", QStringLiteral("L'01"), today),
              QString());
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), box(f.get(), "txtCdPro"));
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("0"));
    EXPECT_EQ(box(f.get(), "txtDsPro")->text(), QString());
    EXPECT_EQ(box(f.get(), "txtLote")->text(), QStringLiteral("L'01"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "10", "0,5", QStringLiteral("L'01"), today),
              QString());

    Recordset saved = lines();
    ASSERT_EQ(saved.recordCount(), 2);
    const QString suffix = QStringLiteral("1123") + supplier + QStringLiteral("55");
    EXPECT_EQ(saved.text(QStringLiteral("idlan")), QStringLiteral("260314092653") + suffix);
    EXPECT_EQ(saved.value(QStringLiteral("vfinal")).value<Decimal>(), Decimal(125, 1));
    EXPECT_EQ(saved.value(QStringLiteral("vfrete")).value<Decimal>(), Decimal());
    EXPECT_EQ(saved.text(QStringLiteral("lote")), QStringLiteral("L'01"));
    EXPECT_EQ(saved.value(QStringLiteral("dtv")).toDate(), QDate(2026, 3, 14));
    EXPECT_EQ(saved.value(QStringLiteral("dte")).toDate(), QDate(2026, 3, 10));
    EXPECT_EQ(saved.text(QStringLiteral("status")), QStringLiteral("N"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), QStringLiteral("TESTE 14/03/2026 09:26:53"));
    saved.moveNext();
    const QString second = saved.text(QStringLiteral("idlan"));
    EXPECT_EQ(second, QStringLiteral("260314092654") + suffix);
    EXPECT_EQ(totals(f.get()), QStringLiteral("Qtde TL: 2,5 Tl Frete: R$ 0,00 Tl Insumos: "
                                              "R$ 30,00 Tl Final: R$ 30,00"));

    // The line of the first key goes; No deletes nothing; an allotted line is refused.
    const int first = listed(f.get(), 5).indexOf(QStringLiteral("2,00"));
    prompts().reset();
    prompts().answers.push_back(MsgAnswer::No);
    clickLine(f.get(), first);
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Estorna o item selecionado?")});
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    prompts().answers.push_back(MsgAnswer::Yes);
    clickLine(f.get(), first);
    saved = lines();
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.text(QStringLiteral("idlan")), second);
    EXPECT_EQ(listed(f.get()).size(), 1);
    db.execute(QStringLiteral("update insumos_cmp set qtest = 1 where idlic = ?"), {gIdLic});
    enter(f.get(), "txtModelo", QStringLiteral("55"), "txtDTe");
    prompts().reset();
    clickLine(f.get(), 0);
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral(
                                     "--- ERRO --- ITEM JÁ MOVIMENTADO, NÃO PODE SER ESTORNADO!")});
    EXPECT_EQ(lines().recordCount(), 1);
}

TEST_F(PurchaseTest, LineChecksRefuseBeforeAnythingIsWritten) {
    auto f = open<frmInsumos_Compra>();
    header(f.get());
    const QString yesterday = QStringLiteral("13/03/2026");
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "1", "0", QStringLiteral("L1"), today),
              QStringLiteral("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "-0,01", "1", QStringLiteral("L1"), today),
              QStringLiteral("--- ERRO --- VALOR UNITÁRIO FINAL NÃO PODE SER MENOR QUE ZERO!"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "1", "1", QStringLiteral(" "), today),
              QStringLiteral("Lote/Validade obrigatório!"));
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("1,00"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "1", "1", QStringLiteral("L1"), yesterday),
              QStringLiteral("Validade inferior a data atual!"));
    EXPECT_EQ(line(f.get(), QStringLiteral("NONE"), "1", "1", QStringLiteral("L1"), today),
              QStringLiteral("--- ERRO --- DADOS INCOMPLEMTOS!"));
    box(f.get(), "txtDTc")->setText(QStringLiteral("09/03/2026"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "1", "1", QStringLiteral("L1"), today),
              QStringLiteral("--- ERRO --- DATA DE EMISSÃO SUPERIOR A DATA DE CHEGADA!"));
    box(f.get(), "txtSerie")->setText(QStringLiteral("1A"));
    EXPECT_EQ(line(f.get(), QStringLiteral("0123"), "1", "1", QStringLiteral("L1"), today),
              QStringLiteral("--- ERRO --- DADOS INCOMPLEMTOS!"));
    EXPECT_EQ(lines().recordCount(), 0);

    // Equal dates pass; without lot control neither lot nor a present expiry is asked.
    box(f.get(), "txtSerie")->setText(QStringLiteral("1"));
    box(f.get(), "txtDTc")->setText(QStringLiteral("10/03/2026"));
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "0", "1", QString(), yesterday), QString());
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "0", "1", QString(), QString()), QString());
    Recordset saved = lines();
    ASSERT_EQ(saved.recordCount(), 2);
    EXPECT_EQ(saved.value(QStringLiteral("dtv")).toDate(), QDate(2026, 3, 13));
    saved.moveNext();
    EXPECT_TRUE(saved.isNull(QStringLiteral("dtv")));

    // A quantity is checked against its column as kept: rounding may take it past or within.
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "0", "9999999999999,99995", QString(), today),
              QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "0", "9999999999999,99994", QString(), today),
              QString());
    saved = rows(QStringLiteral("select qtde from insumos_cmp where idlic = ? order by qtde desc"));
    ASSERT_EQ(saved.recordCount(), 3);
    EXPECT_EQ(saved.value(QStringLiteral("qtde")).value<Decimal>().toString(),
              QStringLiteral("9999999999999.9999"));
}

TEST_F(PurchaseTest, PendingPurchasesLoadOnceEachAndAClosedPurchaseClosesTheForm) {
    // An open purchase of two lines, a closed one, and the same supply code elsewhere.
    addSupply(QStringLiteral("0123"), QStringLiteral("GAZE"), QStringLiteral("0"),
              gIdLic + QStringLiteral("X"));
    const QString gaze = QStringLiteral("0123");
    addLine(QStringLiteral("A1"), supplier, QStringLiteral("1"), gaze, "10", "1.5");
    addLine(QStringLiteral("A2"), supplier, QStringLiteral("1"), gaze, "10", "1");
    addLine(QStringLiteral("B1"), supplier, QStringLiteral("2"), gaze, "10", "3",
            QStringLiteral("S"));
    auto f = open<frmInsumos_Compra>();
    click(f.get(), "Command7");
    auto* pending = control<QTableView>(f.get(), "DataGrid2");
    ASSERT_TRUE(control<QGroupBox>(f.get(), "frmCmpPend")->isVisible());
    ASSERT_EQ(pending->model()->rowCount(), 1);
    QTest::mouseClick(pending->viewport(), Qt::LeftButton, {},
                      pending->visualRect(pending->model()->index(0, 0)).center());
    QApplication::processEvents();
    EXPECT_FALSE(control<QGroupBox>(f.get(), "frmCmpPend")->isVisible());
    EXPECT_EQ(box(f.get(), "txtNmFor")->text(), QStringLiteral("D'ÁVILA"));
    EXPECT_EQ(box(f.get(), "txtDTe")->text(), QStringLiteral("01/03/2026"));
    EXPECT_EQ(QApplication::focusWidget(), box(f.get(), "txtDTe"));
    EXPECT_EQ(listed(f.get(), 1), (QStringList{QStringLiteral("GAZE"), QStringLiteral("GAZE")}));
    EXPECT_EQ(totals(f.get()), QStringLiteral("Qtde TL: 2,5 Tl Frete: R$ 0,00 Tl Insumos: "
                                              "R$ 25,00 Tl Final: R$ 25,00"));

    enter(f.get(), "txtSerie", QStringLiteral("A"), "txtNFiscal");
    enter(f.get(), "txtModelo", QStringLiteral("2"), "txtDTe");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- DADOS INVÁLIDO!")});
    box(f.get(), "txtSerie")->setText(QStringLiteral("1"));
    enter(f.get(), "txtModelo", QStringLiteral("2"), "txtDTe");
    EXPECT_EQ(prompts().last().text, QStringLiteral("COMPRA JÁ ENCERRADA!"));
    EXPECT_FALSE(f->isVisible());
}

TEST_F(PurchaseTest, TotalsPastTheExactRangeAreRefusedAndTheLineCanBeReversed) {
    addLine(QStringLiteral("BIG"), supplier, QStringLiteral("55"), QStringLiteral("FREE"),
            "100000000", "1000");
    addLine(QStringLiteral("SMALL"), supplier, QStringLiteral("1"), QStringLiteral("FREE"), "10",
            "2");
    auto f = open<frmInsumos_Compra>();
    enter(f.get(), "txtCdFor", supplier, "txtSerie");
    box(f.get(), "txtSerie")->setText(QStringLiteral("1"));
    box(f.get(), "txtNFiscal")->setText(QStringLiteral("77"));
    enter(f.get(), "txtModelo", QStringLiteral("1"), "txtDTe");
    EXPECT_TRUE(totals(f.get()).startsWith(QStringLiteral("Qtde TL: 2 ")));
    // The refused purchase shows no totals of the one before.
    enter(f.get(), "txtModelo", QStringLiteral("55"), "txtDTe");
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!")});
    EXPECT_EQ(totals(f.get()), QStringLiteral("Qtde TL: 0 Tl Frete: R$ 0,00 Tl Insumos: R$ 0,00 "
                                              "Tl Final: R$ 0,00"));
    ASSERT_EQ(listed(f.get()).size(), 1);
    prompts().answers.push_back(MsgAnswer::Yes);
    clickLine(f.get(), 0);
    EXPECT_EQ(lines().recordCount(), 1); // the other purchase's line stays
    EXPECT_TRUE(totals(f.get()).startsWith(QStringLiteral("Qtde TL: 0 ")));
}

TEST_F(PurchaseTest, ALinePastThePurchasesTotalsIsRefusedAndOneStoredKeepsItOpenTillReversed) {
    auto f = open<frmInsumos_Compra>();
    header(f.get());
    const QString pastTotals = QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!");
    EXPECT_EQ(
        line(f.get(), QStringLiteral("FREE"), "9.999.999.999.999,00", "2", QString(), QString()),
        pastTotals);
    EXPECT_EQ(lines().recordCount(), 0);

    // Such a line stored all the same: no freight is spread and the purchase stays open.
    ASSERT_EQ(line(f.get(), QStringLiteral("FREE"), "1", "2", QString(), QString()), QString());
    db.execute(QStringLiteral("update insumos_cmp set vfinal = 9999999999999 where idlic = ?"),
               {gIdLic});
    enter(f.get(), "txtModelo", QStringLiteral("55"), "txtDTe");
    prompts().reset();
    click(f.get(), "Command5");
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(), (QStringList{pastTotals, pastTotals}));
    EXPECT_TRUE(prompts().inputs.empty());
    EXPECT_EQ(rows(QStringLiteral("select * from insumos_cmp where idlic = ? and status = 'N'"))
                  .recordCount(),
              1);

    // Reversing the line mends the purchase: it takes lines and closes again.
    prompts().answers.push_back(MsgAnswer::Yes);
    clickLine(f.get(), 0);
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "1", "2", QString(), QString()), QString());
    prompts().answers.push_back(MsgAnswer::Yes);
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().last().text, QStringLiteral("COMPRA JÁ ENCERRADA!"));
}

// Another workstation's line saved between the check on screen and the write counts: the two
// would take the purchase past its totals, so this one is refused and nothing of it written.
TEST_F(PurchaseTest, ALineSavedElsewhereSinceTheCheckOnScreenIsCountedAsTheLineIsWritten) {
    auto f = open<frmInsumos_Compra>();
    header(f.get());
    StatementStop checked(QStringLiteral("select i.lote"));
    std::thread elsewhere([&] {
        checked.waitStopped();
        db.execute(QStringLiteral("insert into insumos_cmp (idlic, idlan, cdfor, serie, nfiscal, "
                                  "modelo, cdpro, vfinal, qtde, status) values (?, 'ELSEWHERE', "
                                  "?, '1', '123', '55', 'FREE', 50000000000, 1, 'N')"),
                   {gIdLic, supplier});
        checked.resume();
    });
    StatementStop::arm();
    EXPECT_EQ(line(f.get(), QStringLiteral("FREE"), "50.000.000.000,00", "1", QString(), QString()),
              QStringLiteral("--- ERRO --- VALOR TOTAL DA COMPRA FORA DO LIMITE!"));
    checked.passed();
    elsewhere.join();
    EXPECT_EQ(lines().recordCount(), 1);
}

TEST_F(PurchaseTest, AFailedSaveShowsTheDriverErrorAndKeepsWhatWasTyped) {
    auto f = open<frmInsumos_Compra>();
    header(f.get());
    enter(f.get(), "txtCdPro", QStringLiteral("FREE"), "txtVR");
    box(f.get(), "txtQtde")->setText(QStringLiteral("3"));
    gConexao().close();
    const QString good = gStrConexao;
    gStrConexao.replace(QStringLiteral("Password="), QStringLiteral("Password=wrong"));
    click(f.get(), "Command1");
    gStrConexao = good;
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QStringLiteral("FREE"));
    EXPECT_EQ(box(f.get(), "txtQtde")->text(), QStringLiteral("3,00"));
    EXPECT_EQ(lines().recordCount(), 0);
}

} // namespace
} // namespace vtx::test
