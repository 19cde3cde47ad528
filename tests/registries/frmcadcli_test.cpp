// The patient registry against the real server, with scripted boxes and a loopback web server.
#include <QTableView>

#include "DataControl.h"
#include "PeopleFixture.h"
#include "Typing.h"
#include "frmcadcli.h"

namespace vtx::test {
namespace {

class PatientTest : public PeopleTest {
protected:
    void SetUp() override {
        PeopleTest::SetUp();
        plan = insert(QStringLiteral("convenios"), {QStringLiteral("nmconv")},
                      {QStringLiteral("UNIMED")});
    }

    /// The boxes a save needs: name, birth date, a phone and the plan, looked up.
    void fillRequired(QWidget* f, const QString& name = QStringLiteral("MARIA SOUZA")) {
        set(f, "txtnome", name);
        set(f, "txtdtnasc", QStringLiteral("05/06/1980"));
        set(f, "txtfone", QStringLiteral("3333-4444"));
        typeAndLeave(f, "txtIdConv", plan);
        ASSERT_EQ(text(f, "txtNmConv"), QStringLiteral("UNIMED"));
    }

    QString addPatient(const QString& name, const QVariant& birth = QVariant()) {
        return insert(QStringLiteral("pacientes"),
                      {QStringLiteral("nmPac"), QStringLiteral("dtnasc"), QStringLiteral("dtcad"),
                       QStringLiteral("fonepac"), QStringLiteral("idconv")},
                      {name, birth, QDate(2020, 1, 2), QStringLiteral("1111"), plan.toInt()});
    }

    QString plan;
};

TEST_F(PatientTest, SavesEveryBoxAndLoadsItBack) {
    auto f = open<frmcadcli>();
    fillRequired(f.get());
    const std::pair<const char*, const char*> typed[] = {
        {"TXTCPF", "123.456.789-09"},
        {"TXTRG", "12.345.678-9"},
        {"txtnrcel", "99999-0000"},
        {"txtemail", "MARIA@X.COM"},
        {"txtcepr", "01001000"},
        {"txtruar", "RUA A"},
        {"txtnr", "12"},
        {"txtbairror", "CENTRO"},
        {"txtcidader", "SAO PAULO"},
        {"txtufr", "SP"},
        {"txtNmResp", "JOSE SOUZA"},
        {"txtFoneResp", "5555"},
        {"txtMed", "RIVOTRIL"},
        {"txtCir", ""},
        {"txtAler", ""},
    };
    for (const auto& [name, value] : typed)
        set(f.get(), name, QString::fromUtf8(value));
    combo(f.get(), "cboAler")->setCurrentIndex(0);
    combo(f.get(), "cboMed")->setCurrentIndex(1);
    combo(f.get(), "cboCir")->setCurrentIndex(0);
    control<QPlainTextEdit>(f.get(), "txtmemo")->setPlainText(QStringLiteral("LINHA 1\nLINHA 2"));
    click(f.get(), "cmdsalva");

    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
    Recordset r = rows(QStringLiteral("pacientes"), QStringLiteral("idpac"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.value(QStringLiteral("dtnasc")).toDate(), QDate(1980, 6, 5));
    EXPECT_EQ(r.value(QStringLiteral("dtcad")).toDate(), QDate(2026, 3, 14));
    EXPECT_EQ(r.text(QStringLiteral("idconv")), plan);
    EXPECT_EQ(r.text(QStringLiteral("taler")) + r.text(QStringLiteral("tmed")) +
                  r.text(QStringLiteral("tcir")),
              QStringLiteral("010"));
    EXPECT_EQ(r.text(QStringLiteral("evup")), QStringLiteral("TESTE - 14/03/2026 09:26:53"));
    EXPECT_EQ(r.text(QStringLiteral("cpf")), QStringLiteral("123.456.789-09"));
    // The form is empty, with the focus in the code box, and lists the new patient.
    EXPECT_EQ(text(f.get(), "txtnome"), QString());
    EXPECT_EQ(text(f.get(), "txtcodcli"), QString());
    EXPECT_TRUE(box(f.get(), "txtcodcli")->hasFocus());
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("MARIA SOUZA")});

    loadCode(f.get(), r.text(QStringLiteral("idpac")));
    for (const auto& [name, value] : typed)
        EXPECT_EQ(text(f.get(), name), QString::fromUtf8(value)) << name;
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("05/06/1980"));
    EXPECT_EQ(text(f.get(), "txtNmConv"), QStringLiteral("UNIMED"));
    EXPECT_EQ(combo(f.get(), "cboMed")->currentText(), QStringLiteral("1 - SIM"));
    EXPECT_EQ(control<QPlainTextEdit>(f.get(), "txtmemo")->toPlainText(),
              QStringLiteral("LINHA 1\nLINHA 2"));
    EXPECT_EQ(text(f.get(), "txtCdMun"), QString());
}

TEST_F(PatientTest, TheListShowsDocumentAndPhonesWholeAtEveryActivation) {
    insert(QStringLiteral("pacientes"),
           {QStringLiteral("nmPac"), QStringLiteral("nmresp"), QStringLiteral("cpf"),
            QStringLiteral("fonepac"), QStringLiteral("fonecel"), QStringLiteral("cidade")},
           {QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA"),
            QStringLiteral("JOSE CARLOS DOS SANTOS"), QStringLiteral("987.654.321-00"),
            QStringLiteral("(19) 3232-5432"), QStringLiteral("(19) 99876-5432"),
            QStringLiteral("CAMPINAS")});
    auto f = open<frmcadcli>();
    const QList<int> shares{25, 20, 11, 11, 11, 11, 11};
    expectColumns(f.get(), shares, {2, 3, 4}, {5, 6});
    // Narrowed by hand, the columns get their widths back when the form is active again.
    control<QTableView>(f.get(), "DataGrid1")->setColumnWidth(2, 20);
    QWidget other;
    activate(&other);
    activate(f.get());
    expectColumns(f.get(), shares, {2, 3, 4}, {5, 6});
}

TEST_F(PatientTest, CodeBoxWithoutANumberEmptiesAllButItself) {
    const QString id = addPatient(QStringLiteral("ANA"));
    db.execute(QStringLiteral("update pacientes set taler = '7', cpf = NULL where idpac = ?"),
               {id});
    auto f = open<frmcadcli>();
    loadCode(f.get(), id);
    ASSERT_EQ(text(f.get(), "txtnome"), QStringLiteral("ANA"));
    // A stored flag that is no item leaves the combo without a choice; NULL loads empty.
    EXPECT_EQ(combo(f.get(), "cboAler")->currentIndex(), -1);
    EXPECT_EQ(text(f.get(), "TXTCPF"), QString());
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("Não Informado"));
    EXPECT_EQ(text(f.get(), "txtdtcad"), QStringLiteral("02/01/2020"));

    for (const char* typed : {"ABC", "1,5", ""}) {
        loadCode(f.get(), QString::fromLatin1(typed));
        EXPECT_EQ(text(f.get(), "txtnome"), QString()) << typed;
        EXPECT_EQ(text(f.get(), "txtcodcli"), QString::fromLatin1(typed));
        EXPECT_EQ(text(f.get(), "txtdtcad"), QStringLiteral("14/03/2026"));
        EXPECT_EQ(combo(f.get(), "cboCir")->currentText(), QStringLiteral("0 - NÃO"));
    }
    loadCode(f.get(), QStringLiteral("999999"));
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
    EXPECT_EQ(text(f.get(), "txtcodcli"), QStringLiteral("999999"));
    // The code box holds six characters at most.
    loadCode(f.get(), QStringLiteral("1234567"));
    EXPECT_EQ(text(f.get(), "txtcodcli"), QStringLiteral("123456"));
}

TEST_F(PatientTest, BirthDateQuestionNoKeepsEverythingYesStoresUnknown) {
    auto f = open<frmcadcli>();
    fillRequired(f.get());
    for (const char* birth : {"", "31/02/1990", "Não Informado"}) {
        set(f.get(), "txtdtnasc", QString::fromUtf8(birth));
        prompts().answers.push_back(MsgAnswer::No);
        click(f.get(), "cmdsalva");
        ASSERT_EQ(prompts().messages.size(), 1u);
        EXPECT_EQ(prompts().last().text, kBirthQuestion);
        EXPECT_EQ(prompts().last().title, QStringLiteral("Atençã"));
        EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
        EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("MARIA SOUZA"));
        EXPECT_EQ(text(f.get(), "txtdtnasc"), QString::fromUtf8(birth));
        EXPECT_EQ(rows(QStringLiteral("pacientes"), QStringLiteral("idpac")).recordCount(), 0);
        prompts().reset();
    }
    prompts().answers.push_back(MsgAnswer::Yes);
    click(f.get(), "cmdsalva");
    Recordset r = rows(QStringLiteral("pacientes"), QStringLiteral("idpac"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_TRUE(r.isNull(QStringLiteral("dtnasc")));
    loadCode(f.get(), r.text(QStringLiteral("idpac")));
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("Não Informado"));
}

TEST_F(PatientTest, PlanCodeMustNameAPlan) {
    auto f = open<frmcadcli>();
    fillRequired(f.get());
    for (const char* code : {"999999", "", "1,5"}) {
        typeAndLeave(f.get(), "txtIdConv", QString::fromLatin1(code));
        EXPECT_EQ(text(f.get(), "txtNmConv"), QString()) << code;
        click(f.get(), "cmdsalva");
        EXPECT_EQ(prompts().texts(), QStringList{kNoName}) << code;
        prompts().reset();
    }
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("MARIA SOUZA"));

    // F2 then Esc changes nothing; a chosen plan fills the code, its name shows on leaving.
    set(f.get(), "txtIdConv", QStringLiteral("77"));
    box(f.get(), "txtnome")->setFocus();
    answerSearchWith(Qt::Key_Escape);
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(text(f.get(), "txtIdConv"), QStringLiteral("77"));
    answerSearchWith(Qt::Key_F10);
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(text(f.get(), "txtIdConv"), plan);
    EXPECT_TRUE(box(f.get(), "txtIdConv")->hasFocus());
    EXPECT_EQ(text(f.get(), "txtNmConv"), QString());
    key(f.get(), Qt::Key_Tab);
    EXPECT_EQ(text(f.get(), "txtNmConv"), QStringLiteral("UNIMED"));
}

TEST_F(PatientTest, HealthFlagSetNeedsItsDescription) {
    auto f = open<frmcadcli>();
    fillRequired(f.get());
    const std::pair<const char*, const char*> flags[] = {
        {"cboAler", "Preencha as informações da alergia!"},
        {"cboMed", "Preencha as informações da medicação!"},
        {"cboCir", "Preencha as informações da cirurgia!"},
    };
    for (const auto& [name, message] : flags) {
        combo(f.get(), name)->setCurrentIndex(1);
        click(f.get(), "cmdsalva");
        EXPECT_EQ(prompts().texts(), QStringList{QString::fromUtf8(message)});
        EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
        combo(f.get(), name)->setCurrentIndex(0);
        prompts().reset();
    }
    set(f.get(), "txtAler", QStringLiteral("DIPIRONA"));
    click(f.get(), "cmdsalva");
    EXPECT_TRUE(prompts().messages.empty());
    Recordset r = rows(QStringLiteral("pacientes"), QStringLiteral("idpac"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.text(QStringLiteral("taler")), QStringLiteral("0"));
    EXPECT_EQ(r.text(QStringLiteral("dsaler")), QStringLiteral("DIPIRONA"));
}

TEST_F(PatientTest, PhoneAndRegistrationDateChecks) {
    const QString id = addPatient(QStringLiteral("ANA"), QDate(1970, 1, 1));
    auto f = open<frmcadcli>();
    loadCode(f.get(), id);
    for (const char* phone : {"txtfone", "txtnrcel"})
        set(f.get(), phone, QStringLiteral("  "));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Informe o fone fixo e/ou celular!")});
    set(f.get(), "txtnrcel", QStringLiteral("9999"));
    set(f.get(), "txtdtcad", QStringLiteral("30/02/2026"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- DATA DE CADASTRO INCORRETA!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(control<QWidget>(f.get(), "Frame1")->isEnabled());
    EXPECT_EQ(text(f.get(), "txtcodcli"), id);
    // A change tests the registration date but does not store it.
    set(f.get(), "txtdtcad", QStringLiteral("01/03/2026"));
    click(f.get(), "cmdsalva");
    Recordset r = rows(QStringLiteral("pacientes"), QStringLiteral("idpac"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.text(QStringLiteral("fonecel")), QStringLiteral("9999"));
    EXPECT_EQ(r.value(QStringLiteral("dtcad")).toDate(), QDate(2020, 1, 2));
}

TEST_F(PatientTest, NameSearchBindsItsPatternAndKeepsItsFilter) {
    auto f = open<frmcadcli>();
    box(f.get(), "txtnome")->setFocus();
    typeText(box(f.get(), "txtnome"), QStringLiteral("d'ávila"));
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("D'ÁVILA"));
    fillRequired(f.get(), text(f.get(), "txtnome"));
    click(f.get(), "cmdsalva");
    ASSERT_TRUE(prompts().messages.empty());
    const QString other = addPatient(QStringLiteral("BRUNO"));

    prompts().inputAnswers.push_back(QStringLiteral("D'Á"));
    key(f.get(), Qt::Key_F10);
    EXPECT_EQ(prompts().inputs.back().prompt, QStringLiteral("Nome: "));
    EXPECT_EQ(prompts().inputs.back().title, QStringLiteral("Pesquisa paciente já cadastrado"));
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("D'ÁVILA")});
    click(f.get(), "cmdretorna");
    loadCode(f.get(), other);
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("D'ÁVILA")});

    // Cancel acts as an empty answer: every patient.
    click(f.get(), "Command3");
    EXPECT_EQ(listed(f.get()), (QStringList{QStringLiteral("BRUNO"), QStringLiteral("D'ÁVILA")}));
}

TEST_F(PatientTest, LimpaEmptiesTheCodeSoTheNextSaveInserts) {
    const QString id = addPatient(QStringLiteral("ANA"));
    auto f = open<frmcadcli>();
    loadCode(f.get(), id);
    click(f.get(), "cmdretorna");
    EXPECT_EQ(text(f.get(), "txtcodcli"), QString());
    EXPECT_EQ(text(f.get(), "txtnome"), QString());
    EXPECT_TRUE(box(f.get(), "TXTCPF")->hasFocus());
    fillRequired(f.get(), QStringLiteral("NOVA"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(listed(f.get()), (QStringList{QStringLiteral("ANA"), QStringLiteral("NOVA")}));
}

TEST_F(PatientTest, ChangeOfAVanishedRowKeepsTheTypedData) {
    const QString id = addPatient(QStringLiteral("ANA"), QDate(1970, 1, 1));
    auto f = open<frmcadcli>();
    loadCode(f.get(), id);
    db.execute(QStringLiteral("delete from pacientes where idpac = ?"), {id});
    set(f.get(), "txtnome", QStringLiteral("ANA MARIA"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("ANA MARIA"));
    EXPECT_TRUE(control<QWidget>(f.get(), "Frame1")->isEnabled());
    EXPECT_EQ(rows(QStringLiteral("pacientes"), QStringLiteral("idpac")).recordCount(), 0);
}

TEST_F(PatientTest, DatabaseFailureIsReportedAndTheFormStaysUsable) {
    auto f = open<frmcadcli>();
    fillRequired(f.get());
    control<QPlainTextEdit>(f.get(), "txtmemo")->setPlainText(QString(70000, u'X'));
    click(f.get(), "cmdsalva");
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(control<QWidget>(f.get(), "Frame1")->isEnabled());
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("MARIA SOUZA"));
    EXPECT_EQ(rows(QStringLiteral("pacientes"), QStringLiteral("idpac")).recordCount(), 0);

    // Lost connections are reported once, then opened again: the plan lookup on the shared
    // one, the save on the list's own.
    prompts().reset();
    control<QPlainTextEdit>(f.get(), "txtmemo")->setPlainText(QStringLiteral("OK"));
    for (Connection* lost : {&conexaoAberta(), &f->Adodc1().connection()})
        endSession(*lost);
    typeAndLeave(f.get(), "txtIdConv", QString());
    typeAndLeave(f.get(), "txtIdConv", plan);
    EXPECT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(text(f.get(), "txtNmConv"), QString());
    typeAndLeave(f.get(), "txtIdConv", plan);
    EXPECT_EQ(text(f.get(), "txtNmConv"), QStringLiteral("UNIMED"));
    click(f.get(), "cmdsalva");
    click(f.get(), "cmdsalva");
    ASSERT_EQ(prompts().messages.size(), 2u) << prompts().texts().join(u'|').toStdString();
    EXPECT_EQ(rows(QStringLiteral("pacientes"), QStringLiteral("idpac")).recordCount(), 1);
}

TEST_F(PatientTest, SaveClickFromTheCodeBoxLoadsFirst) {
    const QString id = addPatient(QStringLiteral("ANA"), QDate(1970, 1, 1));
    auto f = open<frmcadcli>();
    loadCode(f.get(), id);
    set(f.get(), "txtnome", QStringLiteral("TYPED OVER"));
    box(f.get(), "txtcodcli")->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::mouseClick(control<QPushButton>(f.get(), "cmdsalva"), Qt::LeftButton);
    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
    Recordset r = rows(QStringLiteral("pacientes"), QStringLiteral("idpac"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.text(QStringLiteral("nmPac")), QStringLiteral("ANA"));
    EXPECT_EQ(r.text(QStringLiteral("evup")), QStringLiteral("TESTE - 14/03/2026 09:26:53"));
}

TEST_F(PatientTest, KeysTypeUpperCaseDatesThroughTheMaskAndEscClosesTheConnection) {
    auto f = open<frmcadcli>();
    box(f.get(), "txtemail")->setFocus();
    typeText(box(f.get(), "txtemail"), QStringLiteral("joão@x.com"));
    EXPECT_EQ(text(f.get(), "txtemail"), QStringLiteral("JOÃO@X.COM"));
    set(f.get(), "txtdtnasc", QString());
    box(f.get(), "txtdtnasc")->setFocus();
    typeText(box(f.get(), "txtdtnasc"), QStringLiteral("01a012000"));
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("01/01/2000"));
    typeText(box(f.get(), "txtdtnasc"), QStringLiteral("9"));
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("01/01/2000"));
    key(f.get(), Qt::Key_Return);
    EXPECT_TRUE(box(f.get(), "txtnome")->hasFocus());

    typeAndLeave(f.get(), "txtIdConv", plan);
    ASSERT_TRUE(gConexao().isOpen());
    key(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(gConexao().isOpen());
    EXPECT_FALSE(f->isVisible());
}

class PatientWebTest : public PatientTest {
protected:
    const QByteArray company =
        R"({"nome": "EMPRESA D'AGUA LTDA", "cep": "01.001-000", "logradouro": "PRACA DA SE",)"
        R"( "numero": "100", "bairro": "SE", "municipio": "SAO PAULO", "uf": "SP",)"
        R"( "email": "contato@empresa.com", "qsa": [{"nome": "SOCIO"}]})";

    static constexpr const char* kContact[] = {"txtnome", "txtcepr",    "txtruar",
                                               "txtnr",   "txtbairror", "txtcidader",
                                               "txtufr",  "txtemail",   "txtCdMun"};

    /// Boxes as the user typed them before leaving the document box.
    void typeContact(QWidget* f) {
        int i = 0;
        for (const char* name : kContact)
            set(f, name, QStringLiteral("T%1").arg(i++));
    }
    void expectContactAsTyped(QWidget* f) {
        int i = 0;
        for (const char* name : kContact)
            EXPECT_EQ(text(f, name), QStringLiteral("T%1").arg(i++)) << name;
    }
};

TEST_F(PatientWebTest, DocumentCheckAndTheRegistryQuestion) {
    auto f = open<frmcadcli>();
    // A wrong check digit removes the number without a message.
    for (const char* wrong : {"12345678900", "11222333000180", "AB345678909"}) {
        typeAndLeave(f.get(), "TXTCPF", QString::fromLatin1(wrong));
        EXPECT_EQ(text(f.get(), "TXTCPF"), QString()) << wrong;
    }
    // CPFs, and a CNPJ typed with its punctuation, are kept and ask nothing.
    for (const QString& valid : {kCpf, kCpfPunctuated, QStringLiteral("11.222.333/0001-81")}) {
        typeAndLeave(f.get(), "TXTCPF", valid);
        EXPECT_EQ(text(f.get(), "TXTCPF"), valid);
    }
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_TRUE(server.requests.empty());

    prompts().answers.push_back(MsgAnswer::No);
    typeAndLeave(f.get(), "TXTCPF", kCnpj);
    ASSERT_EQ(prompts().texts(), QStringList{kRegistryQuestion});
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::First);
    EXPECT_EQ(text(f.get(), "TXTCPF"), kCnpj);
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(PatientWebTest, RegistryFillInFillsNameAddressAndMunicipality) {
    server.answer(QStringLiteral("/v1/cnpj/") + kCnpj, {200, company});
    server.answer(QStringLiteral("/ws/01001000/json/"),
                  {200, R"({"cep": "01001-000", "ibge": "3550308"})"});
    auto f = open<frmcadcli>();
    typeContact(f.get());
    set(f.get(), "txtfone", QStringLiteral("KEPT"));
    prompts().answers.push_back(MsgAnswer::Yes);
    typeAndLeave(f.get(), "TXTCPF", kCnpj);
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("EMPRESA D'AGUA LTDA"));
    EXPECT_EQ(text(f.get(), "txtcepr"), QStringLiteral("01001000"));
    EXPECT_EQ(text(f.get(), "txtruar"), QStringLiteral("PRACA DA SE"));
    EXPECT_EQ(text(f.get(), "txtnr"), QStringLiteral("100"));
    EXPECT_EQ(text(f.get(), "txtbairror"), QStringLiteral("SE"));
    EXPECT_EQ(text(f.get(), "txtcidader"), QStringLiteral("SAO PAULO"));
    EXPECT_EQ(text(f.get(), "txtufr"), QStringLiteral("SP"));
    EXPECT_EQ(text(f.get(), "txtemail"), QStringLiteral("contato@empresa.com"));
    EXPECT_EQ(text(f.get(), "txtCdMun"), QStringLiteral("50308"));
    EXPECT_EQ(text(f.get(), "txtfone"), QStringLiteral("KEPT"));
    EXPECT_EQ(prompts().messages.size(), 1u);
}

TEST_F(PatientWebTest, RegistryWithoutAnswerChangesNoBox) {
    const QString refusal =
        QStringLiteral("--- ERRO --- CNPJ NÃO ENCONTRADO OU SERVIÇO INDISPONÍVEL!");
    const LoopbackServer::Answer answers[] = {
        {404, "{}"},                                     // unknown CNPJ
        {200, R"({"status": "ERROR", "message": "x"})"}, // no "nome"
        {200, company, LoopbackServer::Mode::Drop},      // dropped connection
        {200, company, LoopbackServer::Mode::Silent},    // no answer in time
    };
    auto f = open<frmcadcli>();
    typeContact(f.get());
    for (const auto& answer : answers) {
        server.answer(QStringLiteral("/v1/cnpj/") + kCnpj, answer);
        prompts().answers.push_back(MsgAnswer::Yes);
        typeAndLeave(f.get(), "TXTCPF", kCnpj);
        expectContactAsTyped(f.get());
        EXPECT_EQ(prompts().last().text, refusal);
        EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
        prompts().reset();
    }
    // The municipality request is never made on a refused answer.
    for (const auto& request : server.requests)
        EXPECT_FALSE(request.path.startsWith(QStringLiteral("/ws/")));
}

TEST_F(PatientWebTest, PunctuatedPostalCodeFromTheRegistryKeepsItsDigits) {
    QByteArray bare = company;
    bare.replace("01.001-000", "01 001 000");
    server.answer(QStringLiteral("/v1/cnpj/") + kCnpj, {200, bare});
    server.answer(QStringLiteral("/ws/01001000/json/"), {500, "oops"});
    auto f = open<frmcadcli>();
    set(f.get(), "txtCdMun", QStringLiteral("OLD"));
    prompts().answers.push_back(MsgAnswer::Yes);
    typeAndLeave(f.get(), "TXTCPF", kCnpj);
    EXPECT_EQ(text(f.get(), "txtcepr"), QStringLiteral("01001000"));
    // A failed municipality request leaves the box as it was.
    EXPECT_EQ(text(f.get(), "txtCdMun"), QStringLiteral("OLD"));
}

TEST_F(PatientWebTest, PostalCodeFillInNeedsEightCharacters) {
    server.answer(QStringLiteral("/ws/01001000/xml/"),
                  {200, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><xmlcep>"
                        "<logradouro>da Sé</logradouro><tipo_logradouro>Praça</tipo_logradouro>"
                        "<bairro>Sé</bairro><localidade>São Paulo</localidade><uf>SP</uf>"
                        "<ibge>3550308</ibge></xmlcep>"});
    auto f = open<frmcadcli>();
    set(f.get(), "txtnr", QStringLiteral("10"));
    typeAndLeave(f.get(), "txtcepr", QStringLiteral("0100100"));
    EXPECT_TRUE(server.requests.empty());
    typeAndLeave(f.get(), "txtcepr", QStringLiteral("01001000"));
    EXPECT_EQ(text(f.get(), "txtruar"), QStringLiteral("PRAÇA DA SÉ"));
    EXPECT_EQ(text(f.get(), "txtbairror"), QStringLiteral("SÉ"));
    EXPECT_EQ(text(f.get(), "txtcidader"), QStringLiteral("SÃO PAULO"));
    EXPECT_EQ(text(f.get(), "txtufr"), QStringLiteral("SP"));
    EXPECT_EQ(text(f.get(), "txtCdMun"), QStringLiteral("3550308"));
    EXPECT_EQ(text(f.get(), "txtnr"), QStringLiteral("10"));
}

} // namespace
} // namespace vtx::test
