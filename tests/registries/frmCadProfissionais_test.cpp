// The professional registry against the real server, with scripted boxes.
#include "Decimal.h"
#include "Formats.h"
#include "Forms.h"
#include "PeopleFixture.h"
#include "Registries.h"
#include "frmBuscaProf.h"
#include "frmCadProfissionais.h"

namespace vtx::test {
namespace {

class ProfessionalTest : public PeopleTest {
protected:
    void SetUp() override {
        PeopleTest::SetUp();
        specialty = insert(QStringLiteral("especialidades"), {QStringLiteral("nmesp")},
                           {QStringLiteral("FISIOTERAPIA")});
    }

    void fillRequired(QWidget* f, const QString& fee = QStringLiteral("150")) {
        set(f, "txtnome", QStringLiteral("DR JOAO"));
        set(f, "txtdtnasc", QStringLiteral("01/01/1970"));
        set(f, "txtnrcel", QStringLiteral("9999-0000"));
        combo(f, "cboVM")->setCurrentIndex(0);
        typeAndLeave(f, "txtIdEsp", specialty);
        ASSERT_EQ(text(f, "txtNmEsp"), QStringLiteral("FISIOTERAPIA"));
        typeAndLeave(f, "txtVR", fee);
    }

    Recordset saved() { return rows(QStringLiteral("profissionais"), QStringLiteral("idpro")); }

    QString specialty;
};

TEST_F(ProfessionalTest, FeeShowsAsCurrencyAndIsStoredWithTwoDecimals) {
    auto f = open<frmCadProfissionais>();
    const std::pair<const char*, const char*> shown[] = {
        {"1234,5", "R$ 1.234,50"}, {"R$ 1.234,50", "R$ 1.234,50"}, {"0", "R$ 0,00"},
        {"-3", "-R$ 3,00"},        {"-R$ 3,00", "-R$ 3,00"},       {"150", "R$ 150,00"},
    };
    for (const auto& [typed, currency] : shown) {
        typeAndLeave(f.get(), "txtVR", QString::fromUtf8(typed));
        EXPECT_EQ(text(f.get(), "txtVR"), QString::fromUtf8(currency)) << typed;
    }
    EXPECT_TRUE(prompts().messages.empty());
    for (const char* wrong : {"", "ABC", "1,2,3"}) {
        typeAndLeave(f.get(), "txtVR", QString::fromLatin1(wrong));
        EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- VALOR INVÁLIDO!")});
        EXPECT_EQ(text(f.get(), "txtVR"), QString::fromLatin1(wrong));
        prompts().reset();
    }

    fillRequired(f.get());
    click(f.get(), "cmdsalva");
    ASSERT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
    Recordset r = saved();
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.value(QStringLiteral("valor")).value<Decimal>(), Decimal(15000, 2));
    EXPECT_EQ(r.text(QStringLiteral("idesp")), specialty);
    EXPECT_EQ(r.text(QStringLiteral("evup")), QStringLiteral("TESTE - 14/03/2026 09:26:53"));
    loadCode(f.get(), r.text(QStringLiteral("idpro")));
    EXPECT_EQ(text(f.get(), "txtVR"), QStringLiteral("R$ 150,00"));
    EXPECT_EQ(text(f.get(), "txtNmEsp"), QStringLiteral("FISIOTERAPIA"));
}

// The fee box takes what every amount box takes, text by text (nullptr: refused).
TEST_F(ProfessionalTest, FeeBoxTakesWhatTheAmountReaderTakes) {
    const std::pair<const char*, const char*> rows[] = {
        {"150", "150"},          {"-150", "-150"},         {"+150", "150"},
        {"- 150", "-150"},       {"R$ 10,00", "10.00"},    {"R$10", "10"},
        {"-R$ 10,00", "-10.00"}, {"- R$ 10,00", "-10.00"}, {"R$ -10", "-10"},
        {"R$ +5", "5"},          {"-R$ -5", nullptr},      {"--5", nullptr},
        {"-+5", nullptr},        {"1.234,5", "1234.5"},    {"5 R$", nullptr},
        {"1,2,3", nullptr},      {"ABC", nullptr},         {"", nullptr},
    };
    auto f = open<frmCadProfissionais>();
    for (const auto& [typed, value] : rows) {
        const std::optional<Decimal> amount = Formats::parseAmount(QString::fromUtf8(typed));
        EXPECT_EQ(amount ? amount->toString() : QString(), QString::fromUtf8(value)) << typed;
        typeAndLeave(f.get(), "txtVR", QString::fromUtf8(typed));
        EXPECT_EQ(text(f.get(), "txtVR"),
                  value ? Formats::currency(*amount) : QString::fromUtf8(typed))
            << typed;
        EXPECT_EQ(prompts().messages.empty(), value != nullptr) << typed;
        prompts().reset();
    }
    // A number too long for any amount is out of range, not invalid.
    typeAndLeave(f.get(), "txtVR", QStringLiteral("123456789012345"));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!")});
}

TEST_F(ProfessionalTest, TheListShowsTheMobilePhoneWhole) {
    insert(QStringLiteral("profissionais"),
           {QStringLiteral("nmpro"), QStringLiteral("nrcon"), QStringLiteral("cpf"),
            QStringLiteral("fonefixo"), QStringLiteral("fonecel"), QStringLiteral("cidade")},
           {QStringLiteral("DRA MARIA APARECIDA DOS SANTOS"), QStringLiteral("CREFITO 123456-F"),
            QStringLiteral("987.654.321-00"), QStringLiteral("(19) 3232-5432"),
            QStringLiteral("(19) 99876-5432"), QStringLiteral("CAMPINAS")});
    auto f = open<frmCadProfissionais>();
    expectColumns(f.get(), {25, 20, 11, 11, 11, 11, 11}, {2, 3, 4}, {5, 6});
}

TEST_F(ProfessionalTest, NegativeFeeIsRefusedAtSaveZeroIsAccepted) {
    auto f = open<frmCadProfissionais>();
    fillRequired(f.get(), QStringLiteral("-0,01"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("--- ERRO --- VALOR NÃO PODE SER MENOR QUE ZERO!")});
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(saved().recordCount(), 0);
    typeAndLeave(f.get(), "txtVR", QStringLiteral("0"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(saved().recordCount(), 1);
}

TEST_F(ProfessionalTest, NameMessageStandsForEveryMissingChoice) {
    auto f = open<frmCadProfissionais>();
    // No place chosen: the form opens without one.
    fillRequired(f.get());
    combo(f.get(), "cboVM")->setCurrentIndex(-1);
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(), QStringList{kNoName});
    combo(f.get(), "cboVM")->setCurrentIndex(0);
    prompts().reset();

    set(f.get(), "txtVR", QStringLiteral("DEZ"));
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(), QStringList{kNoName});
    set(f.get(), "txtVR", QStringLiteral("10"));
    prompts().reset();

    // The installation holds one specialty only: the next code is missing.
    const QString missing = QString::number(specialty.toLongLong() + 1);
    typeAndLeave(f.get(), "txtIdEsp", missing);
    EXPECT_EQ(text(f.get(), "txtNmEsp"), QString());
    click(f.get(), "cmdsalva");
    EXPECT_EQ(prompts().texts(), QStringList{kNoName});
    EXPECT_EQ(saved().recordCount(), 0);
    EXPECT_EQ(text(f.get(), "txtnome"), QStringLiteral("DR JOAO"));

    // F2 then Esc changes nothing; a chosen specialty fills the code box.
    answerSearchWith(Qt::Key_Escape);
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(text(f.get(), "txtIdEsp"), missing);
    answerSearchWith(Qt::Key_F10);
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(text(f.get(), "txtIdEsp"), specialty);
    EXPECT_TRUE(box(f.get(), "txtIdEsp")->hasFocus());
    key(f.get(), Qt::Key_Tab);
    EXPECT_EQ(text(f.get(), "txtNmEsp"), QStringLiteral("FISIOTERAPIA"));
}

TEST_F(ProfessionalTest, HomeAndClinicIsStoredReloadedAndFoundByTheHomeCareSearch) {
    auto f = open<frmCadProfissionais>();
    fillRequired(f.get());
    combo(f.get(), "cboVM")->setCurrentIndex(2);
    set(f.get(), "txtNoCon", QStringLiteral("CREFITO 123"));
    click(f.get(), "cmdsalva");
    Recordset r = saved();
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.text(QStringLiteral("vertmex")), QStringLiteral("2"));
    EXPECT_EQ(r.text(QStringLiteral("nrcon")), QStringLiteral("CREFITO 123"));
    EXPECT_EQ(combo(f.get(), "cboVM")->currentText(), QStringLiteral("0 - CLINICA"));
    loadCode(f.get(), r.text(QStringLiteral("idpro")));
    EXPECT_EQ(combo(f.get(), "cboVM")->currentText(), QStringLiteral("2 - HOME E CLINICA"));

    QStringList found;
    setModalDriver([&found](QDialog* dialog) { found = listed(dialog); });
    frmBuscaProf::run();
    EXPECT_EQ(found, QStringList{QStringLiteral("DR JOAO")});
}

TEST_F(ProfessionalTest, BirthDateQuestionAndLimpa) {
    auto f = open<frmCadProfissionais>();
    fillRequired(f.get());
    set(f.get(), "txtdtnasc", QString());
    prompts().answers.push_back(MsgAnswer::Yes);
    click(f.get(), "cmdsalva");
    ASSERT_EQ(prompts().texts(), QStringList{kBirthQuestion});
    Recordset r = saved();
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_TRUE(r.isNull(QStringLiteral("dtnasc")));

    loadCode(f.get(), r.text(QStringLiteral("idpro")));
    EXPECT_EQ(text(f.get(), "txtdtnasc"), QStringLiteral("Não Informado"));
    click(f.get(), "cmdretorna");
    EXPECT_EQ(text(f.get(), "txtcodcli"), QString());
    EXPECT_EQ(text(f.get(), "txtVR"), QString());
    EXPECT_EQ(combo(f.get(), "cboVM")->currentText(), QStringLiteral("0 - CLINICA"));
    EXPECT_TRUE(box(f.get(), "TXTCPF")->hasFocus());
}

TEST_F(ProfessionalTest, OnlyABareCnpjAsksForTheRegistry) {
    auto f = open<frmCadProfissionais>();
    for (const QString& document : {kCpf, kCpfPunctuated})
        typeAndLeave(f.get(), "TXTCPF", document);
    EXPECT_TRUE(prompts().messages.empty());
    prompts().answers.push_back(MsgAnswer::No);
    typeAndLeave(f.get(), "TXTCPF", kCnpj);
    EXPECT_EQ(prompts().texts(), QStringList{kRegistryQuestion});
}

TEST_F(ProfessionalTest, NameFilterHidesOtherCodes) {
    const QString other = insert(QStringLiteral("profissionais"), {QStringLiteral("nmpro")},
                                 {QStringLiteral("DRA ANA")});
    insert(QStringLiteral("profissionais"), {QStringLiteral("nmpro")},
           {QStringLiteral("DR D'ÁVILA")});
    auto f = open<frmCadProfissionais>();
    prompts().inputAnswers.push_back(QStringLiteral("'ÁV"));
    key(f.get(), Qt::Key_F10);
    EXPECT_EQ(prompts().inputs.back().title,
              QStringLiteral("Pesquisa profissionais já cadastrado"));
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("DR D'ÁVILA")});
    loadCode(f.get(), other);
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
}

TEST_F(ProfessionalTest, SearchDialogsNewEntryOpensTheRegistries) {
    // F12 opens the professional form itself: its own specialty search works, and what that
    // search chose is not handed back as a professional by the close box.
    registerRegistryForms();
    gCodBusca = QString();
    gNomeBusca = QStringLiteral("QUEM ABRIU");
    QStringList opened;
    QString chosenSpecialty;
    setModalDriver([&](QDialog* dialog) {
        opened << dialog->objectName() + QLatin1Char('/') + dialog->windowTitle();
        if (dialog->objectName() == QLatin1String("frmBuscaProf")) {
            key(dialog, Qt::Key_F12);
            dialog->close();
        } else if (dialog->objectName() == QLatin1String("frmCadProfissionais")) {
            key(dialog, Qt::Key_F2);
            chosenSpecialty = text(dialog, "txtIdEsp");
            key(dialog, Qt::Key_Escape);
        } else {
            key(dialog, Qt::Key_F10);
        }
    });
    frmBuscaProf::run();
    EXPECT_EQ(opened,
              (QStringList{QStringLiteral("frmBuscaProf/Profissionais - Pesquisa"),
                           QStringLiteral("frmCadProfissionais/Profissionais"),
                           QStringLiteral("frmBuscaEspecialidades/Especialidades - Pesquisa")}));
    EXPECT_EQ(chosenSpecialty, specialty);
    EXPECT_EQ(gCodBusca.toString(), QString());
    EXPECT_EQ(gNomeBusca, QStringLiteral("QUEM ABRIU"));

    // The menu's patient item opens the patient form, with its plan box.
    bool realForm = false;
    setModalDriver([&realForm](QDialog* dialog) {
        realForm = dialog->objectName() == QLatin1String("frmcadcli") &&
                   dialog->findChild<QLineEdit*>(QStringLiteral("txtIdConv"));
    });
    Forms::open(QStringLiteral("frmcadcli"), QString());
    EXPECT_TRUE(realForm);
}

} // namespace
} // namespace vtx::test
