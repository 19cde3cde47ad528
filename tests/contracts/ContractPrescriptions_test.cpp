// The prescriptions: one per procedure and date, the procedure from the combo's item data,
// the supplies related with a prescription's date, and their reversal.
#include "BoundGrid.h"
#include "ContractFixture.h"
#include "DataControl.h"
#include "frmOS_Prescricao.h"

namespace vtx::test {
namespace {

const QString kContract = QStringLiteral("2603160800007");
const QString kInvalid = QStringLiteral("--- ERRO --- DADOS INVÁLIDOS!");

class PrescriptionTest : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        dressing = addLine(QStringLiteral("CURATIVO"), QStringLiteral("PÉ | ESQUERDO"));
        bath = addLine(QStringLiteral("BANHO"), QString());
        add(QStringLiteral("produtos"), {QStringLiteral("cdpro"), QStringLiteral("dspro")},
            {QStringLiteral("0101"), QStringLiteral("GAZE")});
    }
    long long addLine(const QString& name, const QString& complement) {
        const long long code = addProcedure(name);
        db.execute(QStringLiteral("insert into contrato_procedimentos (idlic,idcontrato,idlan,"
                                  "idproc,qtde,valor,complemento) values (?,?,?,?,1,1,?)"),
                   {gIdLic, kContract, name, code, complement});
        return code;
    }
    /// Picks the combo's item of the procedure and writes a prescription for the date.
    void prescribe(QWidget* f, long long procedure, const QString& date) {
        auto* combo = control<QComboBox>(f, "cboProc");
        const int index = combo->findData(procedure);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        box(f, "txtPresc")->setText(QStringLiteral("TROCAR 2X"));
        box(f, "txtFreq")->setText(QStringLiteral("12/12H"));
        box(f, "txtDt")->setText(date);
        click(f, "Command1");
    }
    Recordset prescriptions() {
        // By procedure: keys compare as text, so "10..." would come before "9...".
        return rows(QStringLiteral("contrato_prescricao"), QStringLiteral("idproc"));
    }
    Recordset supplies() {
        return rows(QStringLiteral("contrato_insumos"), QStringLiteral("cdpro"));
    }

    long long dressing = 0, bath = 0;
};

TEST_F(PrescriptionTest, OnePrescriptionPerProcedureAndDate) {
    frmOS_Prescricao f(kContract);
    activate(&f);
    EXPECT_EQ(control<QLabel>(&f, "l_OsNo")->text(), kContract);
    auto* combo = control<QComboBox>(&f, "cboProc");
    EXPECT_EQ(combo->itemText(1), QStringLiteral("CURATIVO|PÉ | ESQUERDO|%1").arg(dressing));

    prescribe(&f, dressing, QStringLiteral("07/12/2026"));
    prescribe(&f, dressing, QStringLiteral("07/12/2026"));
    prescribe(&f, bath, QStringLiteral("07/12/2026"));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral(
                                     "--- ERRO --- PRESCRIÇÃO PARA DATA: 07/12/2026 JÁ CRIADA!")});
    Recordset r = prescriptions();
    ASSERT_EQ(r.recordCount(), 2);
    // The complement's "|" does not move the code: the key is the chosen procedure's.
    EXPECT_EQ(r.text(QStringLiteral("idreceita")),
              QStringLiteral("%1%2").arg(dressing).arg(QStringLiteral("20261207")));
    EXPECT_EQ(r.value(QStringLiteral("idproc")).toLongLong(), dressing);
    EXPECT_EQ(r.value(QStringLiteral("DtPresc")).toDate(), QDate(2026, 12, 7));
    EXPECT_EQ(r.text(QStringLiteral("upev")), QStringLiteral("TESTE 14/03/2026 09:26:53"));

    // A picked prescription changes in place and keeps its key when its date moves.
    auto* grid = control<QTableView>(&f, "DataGrid1");
    emit grid->clicked(grid->model()->index(0, 0));
    EXPECT_EQ(text(&f, "txtDt"), QStringLiteral("07/12/2026"));
    box(&f, "txtDt")->setText(QStringLiteral("08/12/2026"));
    box(&f, "txtPresc")->setText(QStringLiteral("BANHO DE LEITO"));
    click(&f, "Command1");
    r = prescriptions();
    EXPECT_EQ(r.recordCount(), 2);
    r.moveLast();
    EXPECT_EQ(r.text(QStringLiteral("dspresc")), QStringLiteral("BANHO DE LEITO"));
    EXPECT_EQ(r.value(QStringLiteral("DtPresc")).toDate(), QDate(2026, 12, 8));
}

TEST_F(PrescriptionTest, AContractWithoutProceduresRefusesEverySave) {
    frmOS_Prescricao f(QStringLiteral("999"));
    activate(&f);
    EXPECT_EQ(control<QComboBox>(&f, "cboProc")->count(), 0);
    box(&f, "txtPresc")->setText(QStringLiteral("X"));
    box(&f, "txtFreq")->setText(QStringLiteral("X"));
    box(&f, "txtDt")->setText(QStringLiteral("07/12/2026"));
    click(&f, "Command1");
    click(&f, "Command3");
    EXPECT_EQ(prompts().texts(),
              (QStringList{kInvalid, QStringLiteral("--- NENHUMA PRESCRIÇÃO DIGITADA!")}));
}

TEST_F(PrescriptionTest, SuppliesAreRelatedOnceAndReversedOnlyWhenThere) {
    frmOS_Prescricao f(kContract);
    activate(&f);
    prescribe(&f, dressing, QStringLiteral("07/12/2026"));
    // A date without a prescription is refused before the supply search.
    prompts().inputAnswers = {QStringLiteral("08/12/2026")};
    click(&f, "Command3");
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("--- ERRO --- DATA DE PRESCRIÇÃO NÃO ENCONTRADA!"));

    const auto pick = [](QDialog* search) { press(search, Qt::Key_F10); };
    const auto leave = [](QDialog* search) { press(search, Qt::Key_Escape); };
    steps = {pick, pick, leave};
    prompts().reset();
    prompts().inputAnswers = {QStringLiteral("7/12/2026"), QStringLiteral("0"),
                              QStringLiteral("2,5"), QStringLiteral("1")};
    click(&f, "Command3");
    EXPECT_EQ(shown.size(), 3);
    EXPECT_EQ(prompts().texts(),
              (QStringList{
                  QStringLiteral("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
                  QStringLiteral("--- ERRO --- INSUMO JÁ LANÇADO!")}));
    Recordset r = supplies();
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.value(QStringLiteral("qtde")).toString(), QStringLiteral("2.5000"));
    EXPECT_EQ(r.value(QStringLiteral("dtpresc")).toDate(), QDate(2026, 12, 7));
    EXPECT_EQ(listed(&f), QStringList{QStringLiteral("07/12/2026")});
    ASSERT_EQ(f.supplies().rows().recordset().recordCount(), 1);

    // Reversal: "Sucesso!" only when a row went.
    auto* grid = control<QTableView>(&f, "DataGrid2");
    db.execute(QStringLiteral("delete from contrato_insumos where idlic = ?"), {gIdLic});
    prompts().reset();
    prompts().answers = {MsgAnswer::Yes};
    emit grid->clicked(grid->model()->index(0, 0));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Confirma estorno?")});
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    EXPECT_EQ(f.supplies().rows().recordset().recordCount(), 0);

    db.execute(QStringLiteral("insert into contrato_insumos (idlic,idcontrato,idproc,dtpresc,"
                              "cdpro,qtde) values (?,?,?,'2026-12-07','0101',1)"),
               {gIdLic, kContract, dressing});
    prescribe(&f, dressing, QString()); // choosing the procedure reads the supplies again
    prompts().reset();
    prompts().answers = {MsgAnswer::Yes};
    emit grid->clicked(grid->model()->index(0, 0));
    EXPECT_EQ(prompts().texts(),
              (QStringList{QStringLiteral("Confirma estorno?"), QStringLiteral("Sucesso!")}));
    EXPECT_EQ(supplies().recordCount(), 0);
}

} // namespace
} // namespace vtx::test
