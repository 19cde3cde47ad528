// The attendance record against the real server: sessions loaded by key or picked from the
// open ones, the attendance saved and concluded, and supplies delivered, checked and reversed.
#include <QListWidget>
#include <QTableView>

#include "Contracts.h"
#include "ContractsFixture.h"
#include "Forms.h"
#include "frmOS_EntregaInsumos.h"

namespace vtx::test {
namespace {

const QString kFirst = QStringLiteral("2605010900001"), kSecond = QStringLiteral("2605010900002");
const QString kNotFound = QStringLiteral("Não encontrado!");

class AttendanceTest : public ContractsFixture {
protected:
    void SetUp() override {
        ContractsFixture::SetUp();
        const long long joao = addPatient(QStringLiteral("JOÃO D'ÁVILA"), QDate(1950, 8, 20));
        const long long maria = addPatient(QStringLiteral("MARIA"));
        procedure = addProcedure(QStringLiteral("FISIOTERAPIA"));
        professional = QString::number(addProfessional(
            QStringLiteral("ANA"), QStringLiteral("FISIO"), QStringLiteral("CREFITO 1")));
        addContract(kFirst, joao);
        addContract(kSecond, maria);
        // The same procedure at the same moment in two contracts: one session key.
        shared = QString::number(procedure) + QStringLiteral("_2605040800");
        addSession(kFirst, shared, procedure, today, QStringLiteral("08:00"), joao, professional);
        addSession(kSecond, shared, procedure, today, QStringLiteral("08:00"), maria, professional);
        own = QString::number(procedure) + QStringLiteral("_2605041400");
        addSession(kFirst, own, procedure, today, QStringLiteral("14:00"), joao, professional);
    }

    std::unique_ptr<frmOS_EntregaInsumos> open() { return test::open<frmOS_EntregaInsumos>(); }
    static void enter(QWidget* f, const char* name, const QString& text, const char* next) {
        box(f, name)->setText(text);
        leave(box(f, name), control<QWidget>(f, next));
    }
    static QStringList identification(QWidget* f) {
        QStringList out;
        auto* list = control<QListWidget>(f, "List1");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    /// Opens the open sessions and returns their contracts in the listed order.
    static QStringList openSessions(frmOS_EntregaInsumos* f) {
        click(f, "Command7");
        QStringList out;
        for (int r = 0; r < f->DataGrid2()->model()->rowCount(); ++r)
            out << f->DataGrid2()->model()->index(r, 4).data().toString();
        return out;
    }
    QString sessionStatus(const QString& contract) {
        Recordset r = db.query(QStringLiteral("select status from contrato_agenda where idlic = ? "
                                              "and idcontrato = ? and idlan = ?"),
                               {gIdLic, contract, shared});
        r.moveFirst();
        return r.text(QStringLiteral("status"));
    }
    Recordset attendance() {
        return db.query(QStringLiteral("select idcontrato, status, dsev, idproc, idprof from "
                                       "contrato_atendimento where idlic = ?"),
                        {gIdLic});
    }

    const QDate today{2026, 5, 4};
    long long procedure = 0;
    QString professional, shared, own;
};

TEST_F(AttendanceTest, TypedKeysLoadASessionOfOneContractOnly) {
    registerContractForms();
    Forms::open(QStringLiteral("frmOS_EntregaInsumos"), QStringLiteral("Ordem de Serviço"));
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmOS_EntregaInsumos")});

    auto f = open();
    enter(f.get(), "txtNFiscal", QString(), "txtDTe");
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(), QStringList({kNotFound, kNotFound}));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));

    enter(f.get(), "txtNFiscal", shared, "txtDTe");
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- ID EM MAIS DE UM CONTRATO! "
                                                    "SELECIONE EM O.S. EM ABERTO."));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_TRUE(identification(f.get()).isEmpty());

    enter(f.get(), "txtNFiscal", own, "txtDTe");
    EXPECT_EQ(identification(f.get()),
              QStringList({QStringLiteral("Contrato: ") + kFirst,
                           QStringLiteral("Paciente: JOÃO D'ÁVILA Data Nascimento: 20/08/1950 75 "
                                          "anos"),
                           QStringLiteral("Procedimento: FISIOTERAPIA"),
                           QStringLiteral("Profissional: ANA"),
                           QStringLiteral("Data: 04/05/2026 Hora: 14:00")}));
    EXPECT_EQ(box(f.get(), "txtHR")->text(), QStringLiteral("14:00"));
    EXPECT_EQ(prompts().messages.size(), 3u);
}

TEST_F(AttendanceTest, APickedSessionIsSavedAndConcludedInItsOwnContract) {
    // Not offered: a session of tomorrow, one without a professional, one concluded.
    const QString other = QStringLiteral("9_2605040900");
    addSession(kFirst, other + QLatin1Char('a'), procedure, today.addDays(1), "09:00", 1,
               professional);
    addSession(kFirst, other + QLatin1Char('b'), procedure, today, "09:00", 1, "0");
    addSession(kFirst, other + QLatin1Char('c'), procedure, today, "09:00", 1, professional, "1");
    auto f = open();
    EXPECT_EQ(openSessions(f.get()), QStringList({kFirst, kFirst, kSecond}));
    clickRow(f->DataGrid2(), 2);
    EXPECT_FALSE(control<QWidget>(f.get(), "frmCmpPend")->isVisible());
    EXPECT_EQ(box(f.get(), "txtNFiscal")->text(), shared);
    leave(box(f.get(), "txtNFiscal"), box(f.get(), "txtDTe"));
    EXPECT_EQ(identification(f.get()).value(0), QStringLiteral("Contrato: ") + kSecond);

    // No to "Encerra?" saves it open, twice into one row.
    auto* evolution = control<QPlainTextEdit>(f.get(), "txtDsEv");
    click(f.get(), "Command8");
    evolution->setPlainText(QStringLiteral("PACIENTE ESTÁVEL"));
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(),
              QStringList({QStringLiteral("Encerra?"), QStringLiteral("Sucesso!"),
                           QStringLiteral("Encerra?"), QStringLiteral("Sucesso!")}));
    EXPECT_EQ(prompts().messages[0].defaultButton, MsgDefault::Second);
    Recordset rows = attendance();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("status")), QStringLiteral("N"));
    EXPECT_EQ(rows.text(QStringLiteral("dsev")), QStringLiteral("PACIENTE ESTÁVEL"));
    EXPECT_EQ(rows.text(QStringLiteral("idprof")), professional);

    // Yes needs an evolution text.
    evolution->setPlainText(QStringLiteral("   "));
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- INFORME A EVOLUÇÃO!"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇAO"));
    EXPECT_EQ(attendance().text(QStringLiteral("dsev")), QStringLiteral("PACIENTE ESTÁVEL"));

    evolution->setPlainText(QStringLiteral("ALTA"));
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command8");
    EXPECT_FALSE(f->isVisible());
    rows = attendance();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("status")), QStringLiteral("S"));
    EXPECT_EQ(sessionStatus(kSecond), QStringLiteral("1"));
    EXPECT_EQ(sessionStatus(kFirst), QStringLiteral("0"));
    EXPECT_EQ(openSessions(open().get()), QStringList({kFirst, kFirst}));
}

// A concluded attendance saved again with No stays concluded: it keeps a text, and takes the
// new text, date and time; one concluded elsewhere after the load as well.
TEST_F(AttendanceTest, AConcludedAttendanceNeverOpensAgain) {
    auto f = open();
    enter(f.get(), "txtNFiscal", own, "txtDTe");
    control<QPlainTextEdit>(f.get(), "txtDsEv")->setPlainText(QStringLiteral("ALTA"));
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command8");
    ASSERT_FALSE(f->isVisible());

    f = open();
    enter(f.get(), "txtNFiscal", own, "txtDTe");
    auto* evolution = control<QPlainTextEdit>(f.get(), "txtDsEv");
    EXPECT_EQ(evolution->toPlainText(), QStringLiteral("ALTA"));
    const auto saved = [this](const QString& key) {
        Recordset r = db.query(QStringLiteral("select a.status, a.dsev, a.data, a.hora, c.status "
                                              "from contrato_atendimento a join contrato_agenda c "
                                              "on c.idlic = a.idlic and c.idcontrato = "
                                              "a.idcontrato and c.idlan = a.idlan where a.idlic = "
                                              "? and a.idcontrato = ? and a.idlan = ?"),
                               {gIdLic, kFirst, key});
        QStringList out;
        for (int c = 0; c < 5; ++c)
            out << r.value(0, c).toString();
        return out;
    };
    const QString date = today.toString(Qt::ISODate);
    evolution->setPlainText(QStringLiteral("  "));
    prompts().reset();
    click(f.get(), "Command8"); // No by default
    EXPECT_EQ(prompts().texts(), (QStringList{QStringLiteral("Encerra?"),
                                              QStringLiteral("--- ERRO --- INFORME A EVOLUÇÃO!")}));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇAO"));
    EXPECT_EQ(saved(own), (QStringList{QStringLiteral("S"), QStringLiteral("ALTA"), date,
                                       QStringLiteral("14:00"), QStringLiteral("1")}));

    evolution->setPlainText(QStringLiteral("RETORNO"));
    box(f.get(), "txtDTe")->setText(QStringLiteral("05/05/2026"));
    box(f.get(), "txtHR")->setText(QStringLiteral("15:30"));
    prompts().reset();
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().texts(),
              (QStringList{QStringLiteral("Encerra?"), QStringLiteral("Sucesso!")}));
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(saved(own), (QStringList{QStringLiteral("S"), QStringLiteral("RETORNO"),
                                       QStringLiteral("2026-05-05"), QStringLiteral("15:30"),
                                       QStringLiteral("1")}));

    // Saved open here, concluded elsewhere, saved open again: it stays concluded.
    const QString later = QString::number(procedure) + QStringLiteral("_2605041600");
    addSession(kFirst, later, procedure, today, QStringLiteral("16:00"), 1, professional);
    enter(f.get(), "txtNFiscal", later, "txtDTe");
    evolution->setPlainText(QStringLiteral("EM CURSO"));
    click(f.get(), "Command8");
    db.execute(QStringLiteral("update contrato_atendimento set status = 'S' where idlic = ? and "
                              "idlan = ?"),
               {gIdLic, later});
    evolution->clear();
    prompts().reset();
    click(f.get(), "Command8");
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- INFORME A EVOLUÇÃO!"));
    EXPECT_EQ(saved(later).mid(0, 2),
              (QStringList{QStringLiteral("S"), QStringLiteral("EM CURSO")}));
}

TEST_F(AttendanceTest, AConclusionThatFailsPartWayWritesNothing) {
    const QString trigger = QStringLiteral("falha_") + gIdLic;
    db.execute(QStringLiteral("create trigger %1 before update on contrato_agenda for each row "
                              "if new.idlic = '%2' then signal sqlstate '45000' set "
                              "message_text = 'agenda travada'; end if")
                   .arg(trigger, gIdLic));
    auto f = open();
    enter(f.get(), "txtNFiscal", own, "txtDTe");
    control<QPlainTextEdit>(f.get(), "txtDsEv")->setPlainText(QStringLiteral("ALTA"));
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command8");
    db.execute(QStringLiteral("drop trigger %1").arg(trigger));

    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(prompts().last().text.contains(QStringLiteral("agenda travada")));
    EXPECT_EQ(attendance().recordCount(), 0);
    EXPECT_TRUE(f->isVisible());
    // Nothing was written, so the next save inserts the row.
    click(f.get(), "Command8");
    EXPECT_EQ(attendance().recordCount(), 1);
}

TEST_F(AttendanceTest, DeliveredSuppliesAreCheckedAgainstThePurchasedLots) {
    addSupply(QStringLiteral("LOT1"), QStringLiteral("GAZE ESTÉRIL"), QStringLiteral("2.34567"),
              QStringLiteral("0"));
    addSupply(QStringLiteral("FREE"), QStringLiteral("ALGODÃO"), QStringLiteral("1.5"),
              QStringLiteral("1"));
    addPurchasedLot(QStringLiteral("LOT1"), QStringLiteral("L-01"), QDate(2027, 12, 31));
    auto f = open();
    auto deliver = [&](const QString& code, const QString& quantity, const QString& lot,
                       const QString& expiry) {
        enter(f.get(), "txtCdPro", code, "txtQtde");
        box(f.get(), "txtQtde")->setText(quantity);
        box(f.get(), "txtLote")->setText(lot);
        box(f.get(), "txtDtv")->setText(expiry);
        click(f.get(), "Command1");
    };

    // Empty boxes first, then a key that loaded no session.
    leave(box(f.get(), "txtNFiscal"), control<QWidget>(f.get(), "cboTP"));
    prompts().reset();
    deliver(QStringLiteral("LOT1"), QStringLiteral("1"), QStringLiteral("L-01"),
            QStringLiteral("31/12/2027"));
    box(f.get(), "txtNFiscal")->setText(own);
    box(f.get(), "txtDTe")->setText(QStringLiteral("04/05/2026"));
    deliver(QStringLiteral("LOT1"), QStringLiteral("1"), QStringLiteral("L-01"),
            QStringLiteral("31/12/2027"));
    EXPECT_EQ(prompts().texts(),
              QStringList({QStringLiteral("--- ERRO --- DADOS INCOMPLEMTOS!"), kNotFound}));

    enter(f.get(), "txtNFiscal", own, "txtDTe");
    prompts().reset();
    deliver(QStringLiteral("LOT1"), QStringLiteral("1,5"), QStringLiteral("L-01"),
            QStringLiteral("31/12/2027"));
    deliver(QStringLiteral("LOT1"), QStringLiteral("2"), QStringLiteral("L-99"),
            QStringLiteral("31/12/2027"));
    EXPECT_EQ(box(f.get(), "txtQtde")->text(), QStringLiteral("2,00"));
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command1");
    deliver(QStringLiteral("FREE"), QStringLiteral("3"), QString(), QString());
    deliver(QStringLiteral("FREE"), QStringLiteral("0"), QString(), QString());
    const QString question =
        QStringLiteral("LOTE E/OU VALIDADE NÃO ENCONTRADO!\nPROSSEGUIR ASSIM MESMO?");
    EXPECT_EQ(prompts().texts(),
              QStringList({question, question,
                           QStringLiteral("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL "
                                          "A ZERO!")}));

    Recordset rows = db.query(QStringLiteral("select cdpro, qtde, lote, dtv, custo, tipo, idatend, "
                                             "idcontrato from contrato_entregue where idlic = ? "
                                             "order by idlan"),
                              {gIdLic});
    ASSERT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.text(QStringLiteral("qtde")), QStringLiteral("1.5000"));
    EXPECT_EQ(rows.text(QStringLiteral("dtv")), QStringLiteral("31/12/2027"));
    EXPECT_EQ(rows.text(QStringLiteral("custo")), QStringLiteral("2.3457"));
    EXPECT_EQ(rows.text(QStringLiteral("tipo")), QStringLiteral("0"));
    EXPECT_EQ(rows.text(QStringLiteral("idatend")), own);
    EXPECT_EQ(rows.text(QStringLiteral("idcontrato")), kFirst);
    rows.moveLast();
    EXPECT_EQ(rows.text(QStringLiteral("lote")), QString());
    EXPECT_EQ(listed(f.get(), 2),
              QStringList({QStringLiteral("ALGODÃO"), QStringLiteral("GAZE ESTÉRIL"),
                           QStringLiteral("GAZE ESTÉRIL")}));
    EXPECT_TRUE(listed(f.get(), 4).contains(QStringLiteral("1,50")));

    // A click reverses that one line; F3 brings a code from the supply search.
    prompts().answers = {MsgAnswer::Yes};
    clickRow(f->DataGrid1(), 0);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Estorna o item selecionado?"));
    EXPECT_EQ(listed(f.get(), 2),
              QStringList({QStringLiteral("GAZE ESTÉRIL"), QStringLiteral("GAZE ESTÉRIL")}));
    steps.push_back([](QDialog* search) {
        gCodBusca = QStringLiteral("FREE");
        search->reject();
    });
    press(f.get(), Qt::Key_F3);
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QStringLiteral("FREE"));
}

} // namespace
} // namespace vtx::test
