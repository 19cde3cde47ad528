// The contract form: what it loads and saves, the phone boxes, a change of patient, its
// refusals, its total and the doors to its child forms.
#include "ContractFixture.h"
#include "frmOs_MNT.h"

namespace vtx::test {
namespace {

const QString kIncomplete = QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!");
const QString kSaved = QStringLiteral("Salvo com sucesso!");

class ContractFormTest : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        plan = addPlan(QStringLiteral("UNIMED"));
        patient = addPatient(QStringLiteral("ANA"), QStringLiteral("111.111.111-11"));
        db.execute(
            QStringLiteral(
                "insert into contrato (idlic,idcontrato,dtc,cdpac,nmresp,foneresp,cidade,status,"
                "cpf,rg,obs,rua,nrcasa,email,bairro,cep,uf,fonepac,idconv,taler,dsaler,tmed,"
                "dsmed,tcir,dscir,diagno,medresp) values (?,?,?,?,'JOSE','5555','SANTOS','1',"
                "'999.999.999-99','RG9','NOTA','RUA A','10','a@b.c','CENTRO','11000000','SP',"
                "'3333',?,'1','PENICILINA','0','','1','APENDICE','DIAG','DR X')"),
            {gIdLic, id, QDate(2026, 1, 5), patient, plan});
    }

    long long addPatient(const QString& name, const QString& cpf) {
        return add(QStringLiteral("pacientes"),
                   {QStringLiteral("nmPac"), QStringLiteral("cpf"), QStringLiteral("rg"),
                    QStringLiteral("rua"), QStringLiteral("cidade"), QStringLiteral("fonepac"),
                    QStringLiteral("dtnasc")},
                   {name, cpf, QStringLiteral("RG-") + name, QStringLiteral("RUA DE ") + name,
                    QStringLiteral("CIDADE DE ") + name, QStringLiteral("FONE DE ") + name,
                    QDate(1980, 6, 5)});
    }
    Recordset contract() {
        return db.query(QStringLiteral("select * from contrato where idlic = ? and idcontrato = ?"),
                        {gIdLic, id});
    }

    const QString id = QStringLiteral("2601050800001");
    long long plan = 0;
    long long patient = 0;
};

TEST_F(ContractFormTest, OpeningFillsEveryBoxAndSavingWritesThemBack) {
    frmOs_MNT f(id);
    activate(&f);
    const std::pair<const char*, const char*> expected[] = {
        {"txtDt", "05/01/2026"}, {"txtNmCli", "ANA"},         {"txtCNPJ", "999.999.999-99"},
        {"txtIE", "RG9"},        {"txtRua", "RUA A"},         {"txtNr", "10"},
        {"txtCep", "11000000"},  {"txtBairro", "CENTRO"},     {"txtCidade", "SANTOS"},
        {"txtUF", "SP"},         {"txtNmSol", "JOSE"},        {"txtFone", "5555"},
        {"txtNmVen", "UNIMED"},  {"txtdtnasc", "05/06/1980"}, {"Text1", "3333"},
        {"txtemail", "a@b.c"},   {"txtAler", "PENICILINA"},   {"txtCir", "APENDICE"},
        {"txtDiagno", "DIAG"},   {"txtMedResp", "DR X"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(text(&f, name), QString::fromUtf8(value)) << name;
    EXPECT_EQ(control<QComboBox>(&f, "cboSit")->currentText(), QStringLiteral("1 - Vigente"));
    EXPECT_EQ(control<QComboBox>(&f, "cboCir")->currentText(), QStringLiteral("1 - SIM"));
    EXPECT_EQ(control<QPlainTextEdit>(&f, "txtIA")->toPlainText(), QStringLiteral("NOTA"));
    EXPECT_EQ(control<QPushButton>(&f, "Command4")->text(), QStringLiteral("R$ 0,00"));

    // The responsible person's phone goes only to its column; the patient's stays.
    box(&f, "txtFone")->setText(QStringLiteral("7777"));
    box(&f, "txtDt")->setText(QStringLiteral("07/12/2026"));
    box(&f, "txtNmSol")->setText(QStringLiteral("MARIA D'ÁVILA"));
    control<QComboBox>(&f, "cboSit")->setCurrentIndex(2);
    click(&f, "Command1");
    click(&f, "Command1");
    EXPECT_EQ(prompts().texts(), QStringList(2, kSaved));
    Recordset c = contract();
    EXPECT_EQ(c.text(QStringLiteral("foneresp")), QStringLiteral("7777"));
    EXPECT_EQ(c.text(QStringLiteral("fonepac")), QStringLiteral("3333"));
    EXPECT_EQ(c.value(QStringLiteral("dtc")).toDate(), QDate(2026, 12, 7));
    EXPECT_EQ(c.text(QStringLiteral("status")), QStringLiteral("2"));
    EXPECT_EQ(c.text(QStringLiteral("nmresp")), QStringLiteral("MARIA D'ÁVILA"));
    EXPECT_EQ(c.text(QStringLiteral("cpf")), QStringLiteral("999.999.999-99"));
    EXPECT_EQ(c.text(QStringLiteral("taler")) + c.text(QStringLiteral("tmed")) +
                  c.text(QStringLiteral("tcir")),
              QStringLiteral("101"));
    EXPECT_EQ(c.text(QStringLiteral("upev")), QStringLiteral("TESTE 14/03/2026 09:26:53"));

    box(&f, "Text1")->setText(QStringLiteral("4444"));
    click(&f, "Command1");
    EXPECT_EQ(contract().text(QStringLiteral("fonepac")), QStringLiteral("4444"));
}

TEST_F(ContractFormTest, AnotherPatientBringsTheirIdentityAndAddress) {
    const long long other = addPatient(QStringLiteral("BIA"), QStringLiteral("222.222.222-22"));
    frmOs_MNT f(id);
    activate(&f);
    typeAndLeave(&f, "txtCdCli", QString::number(other));
    EXPECT_EQ(text(&f, "txtNmCli"), QStringLiteral("BIA"));
    EXPECT_EQ(text(&f, "txtCNPJ"), QStringLiteral("222.222.222-22"));
    EXPECT_EQ(text(&f, "txtRua"), QStringLiteral("RUA DE BIA"));
    EXPECT_EQ(text(&f, "Text1"), QStringLiteral("FONE DE BIA"));
    // Back to the first patient: their data again, not the emptied boxes.
    typeAndLeave(&f, "txtCdCli", QString::number(patient));
    EXPECT_EQ(text(&f, "txtIE"), QStringLiteral("RG-ANA"));
    click(&f, "Command1");
    Recordset c = contract();
    EXPECT_EQ(c.text(QStringLiteral("cpf")), QStringLiteral("111.111.111-11"));
    EXPECT_EQ(c.text(QStringLiteral("rg")), QStringLiteral("RG-ANA"));
    EXPECT_EQ(c.text(QStringLiteral("cidade")), QStringLiteral("CIDADE DE ANA"));

    // An unknown code leaves the name empty, which blocks the save.
    typeAndLeave(&f, "txtCdCli", QStringLiteral("999999"));
    EXPECT_EQ(text(&f, "txtNmCli"), QString());
    prompts().reset();
    click(&f, "Command1");
    EXPECT_EQ(prompts().texts(), QStringList{kIncomplete});
}

TEST_F(ContractFormTest, TabGoesThroughTheBoxesInScreenOrderAndNoButtonCutsItsCaption) {
    frmOs_MNT f(id);
    activate(&f);
    // From the id to the physician: each next box on the same row to the right, or lower.
    QWidget* w = box(&f, "txtOsNo");
    QWidget* last = box(&f, "txtMedResp");
    for (int i = 0; w != last && i < 40; ++i) {
        QWidget* next = w->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible())
            next = next->nextInFocusChain();
        const QRect a = w->geometry(), b = next->geometry();
        EXPECT_TRUE(b.top() > a.top() ? b.top() >= a.bottom() - 2 || b.left() < a.left()
                                      : b.top() == a.top() && b.left() > a.left())
            << qPrintable(w->objectName()) << " -> " << qPrintable(next->objectName());
        w = next;
    }
    EXPECT_EQ(w, last);
    for (QPushButton* b : f.findChildren<QPushButton*>()) {
        EXPECT_GE(b->width(), b->sizeHint().width()) << qPrintable(b->objectName());
        EXPECT_LE(b->geometry().right(), f.width()) << qPrintable(b->objectName());
    }
}

TEST_F(ContractFormTest, RefusalsAndFailuresKeepWhatWasTyped) {
    frmOs_MNT f(id);
    activate(&f);
    for (const char* emptied : {"txtCdVen", "txtNmSol", "txtDt"}) {
        frmOs_MNT g(id);
        box(&g, emptied)->clear();
        prompts().reset();
        click(&g, "Command1");
        EXPECT_EQ(prompts().texts(), QStringList{kIncomplete}) << emptied;
    }
    // The server's refusal is shown with its text, and not reported as saved.
    box(&f, "txtCNPJ")->setText(QString(40, QLatin1Char('9')));
    prompts().reset();
    click(&f, "Command1");
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_GT(prompts().last().text.size(), 20);
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(text(&f, "txtCNPJ"), QString(40, QLatin1Char('9')));

    frmOs_MNT bad(QStringLiteral("26A"));
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- NÚMERO DA O.S. INVÁLIDO!"));
}

TEST_F(ContractFormTest, TheTotalFollowsTheProceduresFormAndTheChildFormsOpen) {
    const long long procedure = addProcedure(QStringLiteral("CURATIVO"));
    frmOs_MNT f(id);
    activate(&f);
    steps = {[&](QDialog*) {
        db.execute(QStringLiteral("insert into contrato_procedimentos (idlic,idcontrato,idlan,"
                                  "idproc,qtde,valor) values (?,?,'L1',?,1.5,1234.10)"),
                   {gIdLic, id, procedure});
    }};
    press(&f, Qt::Key_F4);
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmOS_Procedimentos")});
    EXPECT_EQ(control<QPushButton>(&f, "Command4")->text(), QStringLiteral("R$ 1.851,15"));

    activate(&f);
    press(&f, Qt::Key_F5);
    click(&f, "Command2");
    EXPECT_EQ(shown, (QStringList{QStringLiteral("frmOS_Procedimentos"),
                                  QStringLiteral("frmOS_Cronograma"),
                                  QStringLiteral("frmOS_Prescricao")}));
    EXPECT_EQ(gCodBusca.toString(), id);
}

} // namespace
} // namespace vtx::test
