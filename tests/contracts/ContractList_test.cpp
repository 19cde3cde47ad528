// The contract list: a new contract copied from a patient, the opening of listed contracts,
// the reopening of the last PDF and the buttons still without a function.
#include <QFile>
#include <QTemporaryDir>

#include "ContractCreation.h"
#include "ContractFixture.h"
#include "Desktop.h"
#include "frmOS_ListaOrc.h"

namespace vtx::test {
namespace {

const QString kOpenQuestion = QStringLiteral("Confirma a abertura de um novo contrato?");

class ContractListTest : public ContractTest {
protected:
    long long addPatient(const QString& name) {
        return add(QStringLiteral("pacientes"),
                   {QStringLiteral("nmPac"), QStringLiteral("cpf"), QStringLiteral("obs"),
                    QStringLiteral("nrrua"), QStringLiteral("eMail"), QStringLiteral("fonepac"),
                    QStringLiteral("nmresp"), QStringLiteral("idconv"), QStringLiteral("taler")},
                   {name, QStringLiteral("123.456.789-09"), QStringLiteral("DIZ 'OLÁ'\nDE NOVO"),
                    QStringLiteral("12A"), QStringLiteral("a@b.com"), QStringLiteral("3333-4444"),
                    QStringLiteral("D'ÁVILA"), addPlan(QStringLiteral("UNIMED")),
                    QStringLiteral("1")});
    }
    static void pick(QDialog* search) { press(search, Qt::Key_F10); }
    static void leave(QDialog* search) { press(search, Qt::Key_Escape); }
};

TEST_F(ContractListTest, NoToTheFirstQuestionOpensNoSearch) {
    frmOS_ListaOrc f;
    activate(&f);
    prompts().answers = {MsgAnswer::No};
    press(&f, Qt::Key_F2);
    EXPECT_EQ(prompts().texts(), QStringList{kOpenQuestion});
    EXPECT_EQ(prompts().last().defaultButton, MsgDefault::Second);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ContractListTest, NoToThePatientSearchesAgainAndEscCreatesNothing) {
    const long long patient = addPatient(QStringLiteral("ANA"));
    frmOS_ListaOrc f;
    activate(&f);
    prompts().answers = {MsgAnswer::Yes, MsgAnswer::No};
    steps = {pick, leave};
    press(&f, Qt::Key_F2);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("frmBuscaPacientes"),
                                  QStringLiteral("frmBuscaPacientes")}));
    EXPECT_EQ(prompts().messages.at(1).text,
              QStringLiteral("Confirma o paciente abaixo?\r\n%1 ANA").arg(patient));
    EXPECT_EQ(rows(QStringLiteral("contrato"), QStringLiteral("idcontrato")).recordCount(), 0);
    EXPECT_TRUE(f.isEnabled());
}

TEST_F(ContractListTest, ANewContractCopiesThePatientAndOpensInTheContractForm) {
    const long long patient = addPatient(QStringLiteral("JOÃO D'ÁVILA"));
    frmOS_ListaOrc f;
    activate(&f);
    prompts().answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    QString opened;
    steps = {pick, [&](QDialog* form) { opened = text(form, "txtOsNo"); }};
    press(&f, Qt::Key_F2);

    const QString id = QStringLiteral("260314092653%1").arg(patient);
    EXPECT_EQ(opened, id);
    Recordset c = rows(QStringLiteral("contrato"), QStringLiteral("idcontrato"));
    ASSERT_EQ(c.recordCount(), 1);
    EXPECT_EQ(c.text(QStringLiteral("idcontrato")), id);
    EXPECT_EQ(c.value(QStringLiteral("dtc")).toDate(), QDate(2026, 3, 14));
    EXPECT_EQ(c.text(QStringLiteral("status")), QStringLiteral("0"));
    EXPECT_EQ(c.text(QStringLiteral("nmresp")), QStringLiteral("D'ÁVILA"));
    EXPECT_EQ(c.text(QStringLiteral("obs")), QStringLiteral("DIZ 'OLÁ'\nDE NOVO"));
    EXPECT_EQ(c.text(QStringLiteral("nrcasa")), QStringLiteral("12A"));
    EXPECT_EQ(c.text(QStringLiteral("email")), QStringLiteral("a@b.com"));
    EXPECT_EQ(c.text(QStringLiteral("fonepac")), QStringLiteral("3333-4444"));
    EXPECT_EQ(c.text(QStringLiteral("taler")), QStringLiteral("1"));
    EXPECT_EQ(c.text(QStringLiteral("evcad")), QStringLiteral("TESTE 14/03/2026 09:26:53"));
    // The patient's empty columns arrive as empty texts; diagnosis and physician always so.
    for (const char* column : {"dsaler", "dsmed", "dscir", "rua", "diagno", "medresp"}) {
        EXPECT_FALSE(c.isNull(QString::fromLatin1(column))) << column;
        EXPECT_EQ(c.text(QString::fromLatin1(column)), QString()) << column;
    }
    // The list shows the new contract once the contract form has closed.
    EXPECT_EQ(listed(&f), QStringList{id});
    EXPECT_EQ(listed(&f, 5), QStringList{QStringLiteral("JOÃO D'ÁVILA")});

    // A second contract of the patient in the same second takes the next second's key.
    EXPECT_EQ(createContract(patient), QStringLiteral("260314092654%1").arg(patient));
    EXPECT_FALSE(createContract(patient + 1000));
}

TEST_F(ContractListTest, AContractConcludedInTheFormLeavesTheList) {
    const long long patient = addPatient(QStringLiteral("ANA"));
    const QString first = *createContract(patient);
    Clock::set(Clock::now().addDays(1));
    const QString second = *createContract(patient);
    frmOS_ListaOrc f;
    activate(&f);
    ASSERT_EQ(listed(&f), (QStringList{first, second}));
    steps = {[](QDialog* form) {
        control<QComboBox>(form, "cboSit")->setCurrentIndex(2);
        click(form, "Command1");
    }};
    press(&f, Qt::Key_F3);
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Salvo com sucesso!")});
    EXPECT_EQ(listed(&f), QStringList{second});
}

TEST_F(ContractListTest, EmptyListAndTheButtonsWithoutAFunction) {
    QTemporaryDir dir;
    gArquivoPDF = dir.filePath(QStringLiteral("last.pdf"));
    QFile pdf(gArquivoPDF);
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.close();
    QStringList opened;
    Desktop::setHooks({nullptr, [&](const QString& path) { return opened << path, true; }, [] {}});

    {
        frmOS_ListaOrc empty;
        activate(&empty);
        press(&empty, Qt::Key_F3);
        press(&empty, Qt::Key_F6);
        EXPECT_TRUE(shown.isEmpty());
        EXPECT_TRUE(opened.isEmpty());
    }

    createContract(addPatient(QStringLiteral("ANA")));
    frmOS_ListaOrc f;
    activate(&f);
    press(&f, Qt::Key_F4);
    press(&f, Qt::Key_F5);
    EXPECT_EQ(prompts().texts(), QStringList(2, QStringLiteral("Ainda não disponivel!")));
    // With a row the last PDF opens again, and only while its file exists.
    press(&f, Qt::Key_F6);
    EXPECT_EQ(opened, QStringList{gArquivoPDF});
    // A desktop that cannot open the file: the user learns where it is.
    prompts().reset();
    Desktop::setHooks({nullptr, [](const QString&) { return false; }, [] {}});
    press(&f, Qt::Key_F6);
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("Não foi possível abrir o arquivo:\n") + gArquivoPDF);
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    Desktop::setHooks({nullptr, [&](const QString& path) { return opened << path, true; }, [] {}});
    QFile::remove(gArquivoPDF);
    press(&f, Qt::Key_F6);
    EXPECT_EQ(opened.size(), 1);
    gArquivoPDF.clear();
}

} // namespace
} // namespace vtx::test
