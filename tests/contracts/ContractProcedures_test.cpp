// The contract's procedure lines: typed amounts stored exactly, the line keys, editing,
// deleting and the total.
#include "ContractFixture.h"
#include "frmOS_Procedimentos.h"

namespace vtx::test {
namespace {

const QString kContract = QStringLiteral("2601050800001");

class ProceduresTest : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        procedure = addProcedure(QStringLiteral("CURATIVO"));
    }

    void enter(QWidget* f, const QString& quantity, const QString& value,
               const QString& complement = QString()) {
        typeAndLeave(f, "txtCdProc", QString::number(procedure));
        ASSERT_EQ(text(f, "txtDsProc"), QStringLiteral("CURATIVO"));
        control<QPlainTextEdit>(f, "txtCompl")->setPlainText(complement);
        box(f, "txtQt")->setText(quantity);
        box(f, "txtVr")->setText(value);
        click(f, "Command1");
    }
    QString total(QWidget* f) { return control<QLabel>(f, "lST")->text(); }
    /// Clicks a row of the grid; the "Ação" box gets the answer.
    void rowAction(QWidget* f, int row, std::optional<QString> answer) {
        prompts().inputAnswers.push_back(std::move(answer));
        auto* grid = control<QTableView>(f, "DataGrid1");
        emit grid->clicked(grid->model()->index(row, 0));
    }
    Recordset lines() {
        return rows(QStringLiteral("contrato_procedimentos"), QStringLiteral("idlan"));
    }

    long long procedure = 0;
};

TEST_F(ProceduresTest, AmountsAreStoredExactlyAndLinesOfOneSecondGetTheirOwnKeys) {
    frmOS_Procedimentos f(kContract);
    activate(&f);
    EXPECT_EQ(total(&f), QStringLiteral("Total: R$ 0,00"));
    enter(&f, QStringLiteral("1,5"), QStringLiteral("10"), QStringLiteral("2X AO DIA\n'SECO'"));
    enter(&f, QStringLiteral("2"), QStringLiteral("0"));
    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();

    Recordset r = lines();
    ASSERT_EQ(r.recordCount(), 2);
    const QString key = kContract + QStringLiteral("140326092653%1").arg(procedure);
    EXPECT_EQ(r.text(QStringLiteral("idlan")), key);
    EXPECT_EQ(r.value(QStringLiteral("qtde")).toString(), QStringLiteral("1.5000"));
    EXPECT_EQ(r.value(QStringLiteral("valor")).toString(), QStringLiteral("10.0000"));
    EXPECT_EQ(r.text(QStringLiteral("complemento")), QStringLiteral("2X AO DIA\n'SECO'"));
    r.moveNext();
    EXPECT_EQ(r.text(QStringLiteral("idlan")),
              kContract + QStringLiteral("140326092654%1").arg(procedure));
    EXPECT_EQ(total(&f), QStringLiteral("Total: R$ 15,00"));
    EXPECT_EQ(text(&f, "txtCdProc"), QString());

    // "0 - Editar" brings the line back; its save changes it and the next one inserts.
    prompts().inputAnswers.push_back(QStringLiteral("7"));
    rowAction(&f, 0, QStringLiteral("0"));
    ASSERT_EQ(prompts().inputs.size(), 2u);
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("Ação"));
    EXPECT_EQ(prompts().inputs[0].defaultText, QStringLiteral("0"));
    EXPECT_EQ(text(&f, "txtIdLan"), key);
    EXPECT_EQ(text(&f, "txtQt"), QStringLiteral("1,5"));
    EXPECT_EQ(text(&f, "txtVr"), QStringLiteral("10,00"));
    box(&f, "txtQt")->setText(QStringLiteral("3"));
    click(&f, "Command1");
    EXPECT_EQ(lines().recordCount(), 2);
    EXPECT_EQ(total(&f), QStringLiteral("Total: R$ 30,00"));
    enter(&f, QStringLiteral("1"), QStringLiteral("1,255"));
    EXPECT_EQ(lines().recordCount(), 3);
    EXPECT_EQ(lines().value(2, lines().columnIndex(QStringLiteral("valor"))).toString(),
              QStringLiteral("1.2550"));
}

TEST_F(ProceduresTest, TypedQuantitiesReadAsShownAndATotalPastTheRangeSaysSo) {
    frmOS_Procedimentos f(kContract);
    activate(&f);
    // Above zero as typed, zero as kept to four decimals.
    enter(&f, QStringLiteral("0,00001"), QStringLiteral("10"));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral(
                                     "--- ERRO --- QTDE NÃO PODE SER MENOR E/OU IGUAL A ZERO!")});
    EXPECT_EQ(lines().recordCount(), 0);
    // A lone point that groups nothing is the decimal mark.
    enter(&f, QStringLiteral("1.5"), QStringLiteral("10"));
    ASSERT_EQ(lines().recordCount(), 1);
    EXPECT_EQ(lines().value(QStringLiteral("qtde")).toString(), QStringLiteral("1.5000"));
    EXPECT_EQ(total(&f), QStringLiteral("Total: R$ 15,00"));
    enter(&f, QStringLiteral("9.999.999.999.999"), QStringLiteral("9.999.999.999.999"));
    EXPECT_EQ(lines().recordCount(), 2);
    EXPECT_EQ(total(&f), QStringLiteral("Total: VALOR FORA DO LIMITE!"));
}

TEST_F(ProceduresTest, RefusedEntriesAndDeletingTheLastLine) {
    frmOS_Procedimentos f(kContract);
    activate(&f);
    enter(&f, QStringLiteral("0"), QStringLiteral("10"));
    enter(&f, QStringLiteral("1"), QStringLiteral("-1"));
    enter(&f, QStringLiteral("A"), QStringLiteral("1"));
    EXPECT_EQ(
        prompts().texts(),
        (QStringList{QStringLiteral("--- ERRO --- QTDE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
                     QStringLiteral("--- ERRO --- VALOR UNITÁRIO NÃO PODE SER MENOR QUE ZERO!"),
                     QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!")}));
    EXPECT_EQ(prompts().messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(text(&f, "txtQt"), QStringLiteral("A"));
    EXPECT_EQ(lines().recordCount(), 0);

    enter(&f, QStringLiteral("2"), QStringLiteral("5"));
    ASSERT_EQ(lines().recordCount(), 1);
    rowAction(&f, 0, std::nullopt);
    EXPECT_EQ(lines().recordCount(), 1);
    rowAction(&f, 0, QStringLiteral("1"));
    EXPECT_EQ(lines().recordCount(), 0);
    EXPECT_EQ(total(&f), QStringLiteral("Total: R$ 0,00"));
    EXPECT_TRUE(listed(&f).isEmpty());
}

TEST_F(ProceduresTest, ALineDeletedWhileEditedIsSavedAsANewOne) {
    frmOS_Procedimentos f(kContract);
    activate(&f);
    // Deleted at another workstation: the save says so and keeps what was typed.
    enter(&f, QStringLiteral("2"), QStringLiteral("5"));
    rowAction(&f, 0, QStringLiteral("0"));
    db.execute(QStringLiteral("delete from contrato_procedimentos where idlic = ?"), {gIdLic});
    box(&f, "txtQt")->setText(QStringLiteral("4"));
    click(&f, "Command1");
    ASSERT_EQ(prompts().texts(),
              QStringList{QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(text(&f, "txtCdProc") + QLatin1Char('|') + text(&f, "txtQt") + QLatin1Char('|') +
                  text(&f, "txtVr") + QLatin1Char('|') + text(&f, "txtIdLan"),
              QString::number(procedure) + QStringLiteral("|4|5,00|"));
    click(&f, "Command1");
    ASSERT_EQ(lines().recordCount(), 1);
    EXPECT_EQ(lines().value(QStringLiteral("qtde")).toString(), QStringLiteral("4.0000"));

    // Deleted here with "1 - Excluir": the next save inserts it again.
    rowAction(&f, 0, QStringLiteral("0"));
    rowAction(&f, 0, QStringLiteral("1"));
    EXPECT_EQ(text(&f, "txtIdLan"), QString());
    click(&f, "Command1");
    EXPECT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(lines().recordCount(), 1);
}

} // namespace
} // namespace vtx::test
