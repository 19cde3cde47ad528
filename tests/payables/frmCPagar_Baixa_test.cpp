// The settlement form: a receipt started, its instalments put in and taken out through the
// frame, paid by payment lines and closed; a pending one resumed.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "FormDriving.h"
#include "Modal.h"
#include "PayablesFixture.h"
#include "Receipts.h"
#include "ScriptedPrompter.h"
#include "frmCPagar_Baixa.h"

namespace vtx::test {
namespace {

class frmCPagar_BaixaTest : public PayablesFixture {
protected:
    void SetUp() override {
        PayablesFixture::SetUp();
        supplier = addSupplier(QStringLiteral("ACME"));
        form = std::make_unique<frmCPagar_Baixa>();
        activate(form.get());
    }
    void TearDown() override {
        form.reset();
        PayablesFixture::TearDown();
    }
    QLineEdit* box(const char* name) { return control<QLineEdit>(form.get(), name); }
    QPushButton* button(const char* name) { return control<QPushButton>(form.get(), name); }
    QString text(const char* label) { return control<QLabel>(form.get(), label)->text(); }
    void clickRow(const char* grid, int row) {
        auto* view = control<QTableView>(form.get(), grid);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }
    /// F1, then the supplier's open instalments (F10).
    void startAndList() {
        press(form.get(), Qt::Key_F1);
        box("txtCdFor")->setText(QString::number(supplier));
        leave(box("txtCdFor"), box("txtDtBX"));
        press(form.get(), Qt::Key_F10);
    }
    void addPayment(const char* method, const char* value, const char* note = "") {
        button(method)->click();
        box("txtVrMp")->setText(QString::fromLatin1(value));
        box("txtobs")->setText(QString::fromLatin1(note));
        button("Command16")->click();
    }
    Recordset row(const QString& nrdoc) {
        Recordset r = db.query(QStringLiteral("select * from cpagar where idlic = ? and nrdoc = ?"),
                               {gIdLic, nrdoc});
        r.moveFirst();
        return r;
    }

    long long supplier = 0;
    std::unique_ptr<frmCPagar_Baixa> form;
};

TEST_F(frmCPagar_BaixaTest, InstalmentsGoIntoTheReceiptWithInterestAndDiscountAndOutAgain) {
    addInstalment(QStringLiteral("A"), supplier, 1, 1, QDate(2026, 3, 10), "100.00");
    addInstalment(QStringLiteral("B"), supplier, 1, 1, QDate(2026, 3, 20), "40.00");
    addInstalment(QStringLiteral("ZERO"), supplier, 1, 1, QDate(2026, 3, 1), "0.00");
    addInstalment(QStringLiteral("INREC"), supplier, 1, 1, QDate(2026, 3, 2), "5.00", "X", "5.00");
    addInstalment(QStringLiteral("PAID"), supplier, 1, 1, QDate(2026, 3, 3), "5.00", "S", "5.00");
    EXPECT_EQ(text("lST"), QStringLiteral("A pagar: R$ 0,00 M.Pagto: R$ 0,00"));
    press(form.get(), Qt::Key_F11); // no receipt yet: nothing
    EXPECT_EQ(listed(form.get()), QStringList());
    startAndList();
    const QString number = box("txtNrRec")->text();
    EXPECT_EQ(number, QStringLiteral("260314092653"));
    EXPECT_EQ(box("txtDtBX")->text(), QStringLiteral("14/03/2026"));
    press(form.get(), Qt::Key_F1);
    EXPECT_EQ(box("txtNrRec")->text(), number);
    EXPECT_EQ(listed(form.get()), (QStringList{"A", "B"}));

    clickRow("DataGrid1", 0);
    EXPECT_EQ(box("txtVRa")->text(), QStringLiteral("100,00"));
    EXPECT_EQ(text("lPro"), QStringLiteral("A 001/001"));
    box("txtVRj")->setText(QStringLiteral("10"));
    box("txtVRd")->setText(QStringLiteral("2,5"));
    leave(box("txtVRd"), box("txtVRj"));
    EXPECT_EQ(box("txtVRj")->text(), QStringLiteral("10,00"));
    EXPECT_EQ(box("txtVRd")->text(), QStringLiteral("2,50"));
    EXPECT_EQ(box("txtVRt")->text(), QStringLiteral("107,50"));
    button("Command15")->click();
    EXPECT_EQ(box("txtVRj")->text(), QStringLiteral("0")); // the frame moved on to "B"
    EXPECT_EQ(text("lPro"), QStringLiteral("B 001/001"));
    Recordset a = row(QStringLiteral("A"));
    EXPECT_EQ(a.text("vrj"), QStringLiteral("10.00"));
    EXPECT_EQ(a.text("vrd"), QStringLiteral("2.50"));
    EXPECT_EQ(a.text("vrpg"), QStringLiteral("107.50"));
    EXPECT_EQ(a.text("pago"), QStringLiteral("X"));
    EXPECT_EQ(a.text("nrrec"), number);
    EXPECT_EQ(listed(form.get()), QStringList{"B"});
    // "F12 <<" on the first row stays there.
    button("Command12")->click();
    EXPECT_EQ(text("lPro"), QStringLiteral("B 001/001"));
    button("Command14")->click();
    EXPECT_EQ(text("lST"), QStringLiteral("Vr AB: R$ 100,00 St.Juros: R$ 10,00 St.Desc.: R$ 2,50 "
                                          "Total: R$ 107,50"));
    EXPECT_TRUE(button("Command10")->isEnabled());

    // Another workstation pays "B" and takes "C" into a receipt of its own: each put-in of this
    // screen is refused with what became of the instalment, the list is read again and the
    // frame moves on to what is still open, and is left when nothing is.
    addInstalment(QStringLiteral("C"), supplier, 1, 1, QDate(2026, 3, 25), "7.00");
    press(form.get(), Qt::Key_F10);
    clickRow("DataGrid1", 0);
    EXPECT_EQ(text("lPro"), QStringLiteral("B 001/001"));
    db.execute(QStringLiteral("update cpagar set pago = 'S', nrrec = '260301080000' where idlic "
                              "= ? and nrdoc = 'B'"),
               {gIdLic});
    button("Command15")->click();
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- ESTA PARCELA JÁ FOI PAGA EM OUTRA "
                                             "ESTAÇÃO, NO RECIBO 260301080000!"});
    EXPECT_EQ(listed(form.get()), QStringList{"C"});
    EXPECT_EQ(text("lPro"), QStringLiteral("C 001/001"));
    EXPECT_EQ(box("txtVRa")->text(), QStringLiteral("7,00"));
    db.execute(QStringLiteral("update cpagar set pago = 'X', nrrec = '1' where idlic = ? and "
                              "nrdoc = 'C'"),
               {gIdLic});
    prompts().reset();
    button("Command15")->click();
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- ESTA PARCELA JÁ ESTÁ NO RECIBO 1!"});
    EXPECT_EQ(listed(form.get()), QStringList());
    EXPECT_FALSE(control<QWidget>(form.get(), "frmDest")->isVisible());
    EXPECT_EQ(row(QStringLiteral("B")).text("pago"), QStringLiteral("S"));
    EXPECT_EQ(row(QStringLiteral("C")).text("nrrec"), QStringLiteral("1"));
    EXPECT_EQ(row(QStringLiteral("A")).text("nrrec"), number);

    prompts().reset();
    prompts().answers = {MsgAnswer::Yes};
    clickRow("DataGrid2", 0);
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atençao"));
    a = row(QStringLiteral("A"));
    EXPECT_EQ(a.text("vrpg"), QStringLiteral("0.00"));
    EXPECT_EQ(a.text("pago"), QStringLiteral("N"));
    EXPECT_EQ(a.text("nrrec"), QStringLiteral("em aberto"));
    EXPECT_FALSE(button("Command10")->isEnabled());
}

TEST_F(frmCPagar_BaixaTest, PaymentLinesMustMatchTheTotalToClose) {
    addInstalment(QStringLiteral("A"), supplier, 1, 1, QDate(2026, 3, 10), "150.10");
    addInstalment(QStringLiteral("B"), supplier, 1, 1, QDate(2026, 3, 11), "9.00");
    startAndList();
    clickRow("DataGrid1", 0);
    button("Command15")->click();
    button("Command14")->click();

    addPayment("Command3", "100", "CH 1|2");
    addPayment("Command7", "abc");
    addPayment("Command7", "0");
    addPayment("Command7", "50,09");
    EXPECT_EQ(control<QListWidget>(form.get(), "List1")->item(0)->text(),
              QStringLiteral("         100,00|CHE|CH 1|2"));
    EXPECT_EQ(text("lPG"), QStringLiteral("Vr MP: R$ 150,09 Falta: R$ 0,01"));
    button("Command10")->click();
    EXPECT_EQ(prompts().texts(),
              (QStringList{"--- ERRO --- VALOR INVÁLIDO!",
                           "--- ERRO --- VALOR NÃO PODE SER MENOR E/OU IGUAL A ZERO!",
                           "--- ERRO --- DIVERGÊNCIA NO VALOR A PAGAR E VALOR BAIXADO!"}));

    // The wrong line is removed by a double-click and paid again.
    auto* list = control<QListWidget>(form.get(), "List1");
    list->setCurrentRow(1);
    prompts().answers = {MsgAnswer::Yes};
    emit list->itemDoubleClicked(list->item(1));
    addPayment("Command7", "50,10");
    box("txtDtBX")->setText(QStringLiteral("31/02/2026"));
    button("Command10")->click();
    EXPECT_EQ(prompts().texts().last(), QStringLiteral("--- ERRO --- DADOS INVÁLIDO!"));
    box("txtDtBX")->setText(QStringLiteral("13/03/2026"));
    clickRow("DataGrid1", 0); // "B" stands in the frame while the receipt closes
    prompts().reset();
    prompts().answers = {MsgAnswer::Yes};
    button("Command10")->click();
    EXPECT_EQ(prompts().texts(), (QStringList{"Confirma a baixa?", "Baixa efetuada com sucesso!"}));
    EXPECT_EQ(row(QStringLiteral("A")).text("pago"), QStringLiteral("S"));
    EXPECT_EQ(db.query(QStringLiteral("select * from cpagar_recibos where idlic = ?"), {gIdLic})
                  .recordCount(),
              2);
    EXPECT_EQ(box("txtNrRec")->text(), QString());
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(text("lPG"), QStringLiteral("Vr MP: R$ 0,00 Falta: R$ 0,00"));
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_FALSE(button("Command3")->isEnabled());
    // No receipt, no frame to put "B" into one without a number.
    EXPECT_FALSE(control<QWidget>(form.get(), "frmDest")->isVisible());
    EXPECT_FALSE(control<QWidget>(form.get(), "frmMP")->isVisible());
}

TEST_F(frmCPagar_BaixaTest, APendingReceiptIsResumedByNumber) {
    addInstalment(QStringLiteral("A"), supplier, 1, 1, QDate(2026, 3, 10), "20.00", "X", "20.00",
                  QStringLiteral("260301080000"));
    addInstalment(QStringLiteral("B"), supplier, 1, 1, QDate(2026, 3, 10), "5.00", "X", "5.00",
                  QStringLiteral("260101080000"));
    QStringList shown;
    setModalDriver([&](QDialog* dialog) {
        auto* list = control<QListWidget>(dialog, "List1");
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        list->setCurrentRow(list->count() - 1);
        emit list->itemDoubleClicked(list->item(list->count() - 1));
    });
    button("Command18")->click();
    EXPECT_EQ(shown, (QStringList{"260101080000", "260301080000"}));
    EXPECT_EQ(box("txtNrRec")->text(), QStringLiteral("260301080000"));
    EXPECT_FALSE(button("Command1")->isEnabled());
    EXPECT_EQ(listed(form.get(), 0), QStringList());
    EXPECT_TRUE(button("Command10")->isEnabled());
    EXPECT_EQ(text("lPG"), QStringLiteral("Vr MP: R$ 0,00 Falta: R$ 20,00"));

    // While a receipt is open a choice is ignored.
    shown.clear();
    button("Command18")->click();
    EXPECT_EQ(box("txtNrRec")->text(), QStringLiteral("260301080000"));

    // Another workstation closes the same receipt: its close here is refused and ends the
    // receipt here.
    Connection other;
    other.open(testConnectionString());
    ASSERT_EQ(Receipts::close(other, QStringLiteral("260301080000"), QDate(2026, 3, 14),
                              {{Decimal(2000, 2), "DIN", ""}}),
              Receipts::CloseOutcome::Closed);
    addPayment("Command4", "20");
    prompts().answers = {MsgAnswer::Yes};
    button("Command10")->click();
    const QString closed = QStringLiteral("--- ERRO --- RECIBO JÁ ENCERRADO EM OUTRA ESTAÇÃO!");
    EXPECT_EQ(prompts().texts(), (QStringList{"Confirma a baixa?", closed}));
    EXPECT_EQ(db.query(QStringLiteral("select * from cpagar_recibos where idlic = ?"), {gIdLic})
                  .recordCount(),
              1);
    EXPECT_EQ(box("txtNrRec")->text(), QString());
    EXPECT_TRUE(button("Command1")->isEnabled());

    // So does an instalment put into a receipt closed there: nothing is written.
    button("Command18")->click();
    ASSERT_EQ(box("txtNrRec")->text(), QStringLiteral("260101080000"));
    ASSERT_EQ(Receipts::close(other, QStringLiteral("260101080000"), QDate(2026, 3, 14),
                              {{Decimal(500, 2), "DIN", ""}}),
              Receipts::CloseOutcome::Closed);
    addInstalment(QStringLiteral("C"), supplier, 1, 1, QDate(2026, 3, 12), "7.00");
    activate(form.get());
    box("txtCdFor")->setText(QString::number(supplier));
    leave(box("txtCdFor"), box("txtDtBX"));
    press(form.get(), Qt::Key_F10);
    clickRow("DataGrid1", 0);
    prompts().reset();
    button("Command15")->click();
    ASSERT_EQ(prompts().texts(), QStringList{closed});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(row(QStringLiteral("C")).text("pago"), QStringLiteral("N"));
    EXPECT_EQ(box("txtNrRec")->text(), QString());
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_FALSE(control<QWidget>(form.get(), "frmDest")->isVisible());
}

TEST_F(frmCPagar_BaixaTest, AmountsPastTheirColumnsAreRefusedBeforeAnythingIsWritten) {
    addInstalment(QStringLiteral("A"), supplier, 1, 1, QDate(2026, 3, 10), "100.00");
    startAndList();
    clickRow("DataGrid1", 0);
    // Interest and discount that round to 14 whole digits: each past its column, though the
    // total they leave fits.
    box("txtVRj")->setText(QStringLiteral("9999999999999,999"));
    box("txtVRd")->setText(QStringLiteral("9999999999999,999"));
    button("Command15")->click();
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- VALOR FORA DO LIMITE!"});
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(row(QStringLiteral("A")).text("pago"), QStringLiteral("N"));
    EXPECT_EQ(listed(form.get()), QStringList{"A"});
    // A payment line past the receipt table's column.
    prompts().reset();
    addPayment("Command4", "9999999999999,995");
    EXPECT_EQ(prompts().texts(), QStringList{"--- ERRO --- VALOR FORA DO LIMITE!"});
    EXPECT_EQ(control<QListWidget>(form.get(), "List1")->count(), 0);
}

} // namespace
} // namespace vtx::test
