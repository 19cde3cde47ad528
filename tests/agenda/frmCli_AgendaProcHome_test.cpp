// The home-care visit dialog opened from the sessions grid: the refusal and the question, the
// sheet, and the professional chosen, printed for and written on the one session.
#include <QTableView>

#include "AgendaFixture.h"
#include "PdfCheck.h"

namespace vtx::test {
namespace {

class VisitTest : public AgendaTest {
protected:
    void SetUp() override {
        AgendaTest::SetUp();
        patient =
            insert(QStringLiteral("pacientes"), {QStringLiteral("nmPac")}, {QStringLiteral("RITA")})
                .toInt();
        procedure = insert(QStringLiteral("procedimentos"),
                           {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                           {QStringLiteral("CURATIVO"), QStringLiteral("1")})
                        .toInt();
        addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
    }
    void addContract(const QString& key, const QVariant& obs) {
        insert(QStringLiteral("contrato"),
               QStringLiteral("idcontrato,dtc,cdpac,status,rua,nrcasa,cidade,uf,medresp,diagno,"
                              "nmresp,foneresp,obs")
                   .split(QLatin1Char(',')),
               {key, QDate(2026, 5, 1), patient, QStringLiteral("1"), QStringLiteral("RUA A"),
                QStringLiteral("12"), QStringLiteral("SÃO PAULO"), QStringLiteral("SP"),
                QStringLiteral("DR. PAULO"), QStringLiteral("AVC"), QStringLiteral("MARIA"),
                QStringLiteral("9999"), obs});
    }
    /// A click on the grid's row of the session at that hour.
    void clickSession(QWidget* f, const QString& hour) {
        auto* grid = control<QTableView>(f, "DataGrid1");
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == hour)
                emit grid->clicked(grid->model()->index(r, 0));
    }
    QString professionalOf(const QString& contract) {
        return db
            .query(QStringLiteral("select idprof from contrato_agenda where idlic = ? and "
                                  "idcontrato = ?"),
                   {gIdLic, contract})
            .text(QStringLiteral("idprof"));
    }

    QVariant patient, procedure;
};

TEST_F(VisitTest, AConcludedSessionNeverOpensAndAStartedOneAsksFirst) {
    addContract(QStringLiteral("C1"), QVariant());
    addSession(QStringLiteral("C1"), QStringLiteral("S1"), QStringLiteral("08:00"), patient,
               procedure);
    addSession(QStringLiteral("C1"), QStringLiteral("S2"), QStringLiteral("09:00"), patient,
               procedure, QStringLiteral("12"));
    addSession(QStringLiteral("C1"), QStringLiteral("S3"), QStringLiteral("10:00"), patient,
               procedure, QStringLiteral("12"), QStringLiteral("1"));
    QStringList shown;
    onDialog("frmCli_AgendaProcHome",
             [&](QDialog* d) { shown << control<QLabel>(d, "l_ID")->text(); });
    auto f = open();
    clickSession(f.get(), QStringLiteral("10:00"));
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("PROCEDIMENTO JÁ CONCLUIDO!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇAO"));
    clickSession(f.get(), QStringLiteral("09:00")); // No, the default
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("Procedimento já iniciado! Deseja prosseguir?"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_TRUE(shown.isEmpty());
    prompts().answers = {MsgAnswer::Yes};
    clickSession(f.get(), QStringLiteral("09:00"));
    clickSession(f.get(), QStringLiteral("08:00"));
    EXPECT_EQ(prompts().messages.size(), 3u);
    EXPECT_EQ(shown, QStringList({QStringLiteral("ID Atendimento: S2 Sit: 0 Id Prof: 12"),
                                  QStringLiteral("ID Atendimento: S1 Sit: 0 Id Prof: 0")}));
}

TEST_F(VisitTest, TheSheetShowsTheContractAndCutsLongTextsIntoLinesOfSeventy) {
    addContract(QStringLiteral("C1"),
                QString(70, u'A') + QString(70, u'B') + QStringLiteral("  CCCCCC  "));
    for (const QString& text : {QStringLiteral("LIMPAR A FERIDA"), QString(70, u'X')})
        insert(
            QStringLiteral("contrato_procedimentos"),
            {QStringLiteral("idcontrato"), QStringLiteral("idlan"), QStringLiteral("idproc"),
             QStringLiteral("complemento")},
            {QStringLiteral("C1"), text.left(5) + QString::number(text.size()), procedure, text});
    addSession(QStringLiteral("C1"), QStringLiteral("S1"), QStringLiteral("08:00"), patient,
               procedure);
    QStringList lines;
    onDialog("frmCli_AgendaProcHome", [&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Agenda - Atendimento"));
        lines = AgendaTest::lines(d);
    });
    auto f = open();
    clickSession(f.get(), QStringLiteral("08:00"));
    const QString dashes(70, u'-');
    EXPECT_EQ(lines,
              QStringList({QStringLiteral("Contrato..: C1 Data: 01/05/2026 Situação: 1"),
                           QStringLiteral("Paciente..: RITA"),
                           QStringLiteral("Nascimento:  Idade: "),
                           dashes.left(30) + QStringLiteral(" Endereço ") + dashes.left(30),
                           QStringLiteral("RUA A 12"),
                           QString(),
                           QStringLiteral("SÃO PAULO/SP"),
                           dashes,
                           QStringLiteral("Medico.: DR. PAULO"),
                           QStringLiteral("Diagno.: AVC"),
                           QStringLiteral("Resp...: MARIA 9999"),
                           dashes.left(33) + QStringLiteral(" Obs ") + dashes.left(32),
                           QString(70, u'a'),
                           QString(70, u'b'),
                           QStringLiteral("cccccc"),
                           dashes.left(28) + QStringLiteral(" Procedimento ") + dashes.left(28),
                           QStringLiteral("Data: 04/05/2026 08:00"),
                           QStringLiteral("CURATIVO"),
                           QStringLiteral("limpar a ferida"),
                           QString(70, u'x')}));
    for (int separator : {3, 7, 11, 15})
        EXPECT_EQ(lines.value(separator).size(), 70) << separator;
}

TEST_F(VisitTest, TheChosenProfessionalIsPrintedForAndWrittenOnThatSessionOnly) {
    const QString bia = addProfessional(QStringLiteral("BIA"), 90, QStringLiteral("1"));
    const QString caio = addProfessional(QStringLiteral("CAIO"), 90, QStringLiteral("1"));
    addContract(QStringLiteral("C1"), QVariant());
    addSession(QStringLiteral("C1"), QStringLiteral("S1"), QStringLiteral("08:00"), patient,
               procedure);
    addSession(QStringLiteral("C2"), QStringLiteral("S1"), QStringLiteral("11:00"), patient,
               procedure);
    QString chosen; // empty: the search is left with Esc
    onDialog("frmBuscaProf", [&](QDialog*) {
        gCodBusca = chosen;
        gNomeBusca = chosen == bia ? QStringLiteral("BIA") : QStringLiteral("CAIO");
    });
    const QString sheetFile = QDir(folder.path()).filePath(QStringLiteral("temp/Ev_C1.pdf"));
    auto f = open();
    onDialog("frmCli_AgendaProcHome", [&](QDialog* d) {
        press(d, "Command2");
        EXPECT_EQ(prompts().last().text, QStringLiteral("O.S. ainda não foi aberta! Não e "
                                                        "possível alterar o profissional!"));
        press(d, "Command1"); // the search left with Esc
        chosen = bia;
        press(d, "Command1"); // No to the question
        EXPECT_EQ(prompts().last().text, QStringLiteral("Confirma?\r\nProfissional: BIA"));
        EXPECT_EQ(prompts().messages.size(), 2u);
        EXPECT_TRUE(opened.isEmpty());
        prompts().answers = {MsgAnswer::Yes};
        press(d, "Command1");
        EXPECT_EQ(gCodBusca.toString(), QString());
    });
    clickSession(f.get(), QStringLiteral("08:00"));
    EXPECT_EQ(opened, QStringList{sheetFile});
    EXPECT_TRUE(pageText(sheetFile, 1).contains(QStringLiteral("BIA")));
    EXPECT_EQ(professionalOf(QStringLiteral("C1")), bia);
    EXPECT_EQ(professionalOf(QStringLiteral("C2")), QStringLiteral("0"));

    // The open order reprints for its own professional and changes nothing; "Alterar
    // Profissional" assigns anew; a session generated again meanwhile is reported.
    chosen = caio;
    onDialog("frmCli_AgendaProcHome", [&](QDialog* d) {
        prompts().answers = {MsgAnswer::Yes};
        press(d, "Command1");
        EXPECT_EQ(prompts().last().text, QStringLiteral("O.S. Já aberta! Deseja reimprimir?"));
        EXPECT_EQ(opened.size(), 2);
        EXPECT_FALSE(pageText(sheetFile, 1).contains(QStringLiteral("CAIO")));
        EXPECT_EQ(professionalOf(QStringLiteral("C1")), bia);
        prompts().answers = {MsgAnswer::Yes};
        press(d, "Command2");
        EXPECT_EQ(professionalOf(QStringLiteral("C1")), caio);
        db.execute(QStringLiteral("delete from contrato_agenda where idlic = ? and idcontrato = "
                                  "'C1'"),
                   {gIdLic});
        prompts().answers = {MsgAnswer::Yes};
        press(d, "Command2");
        EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- SESSÃO NÃO ENCONTRADA!"));
        EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    });
    prompts().answers = {MsgAnswer::Yes};
    clickSession(f.get(), QStringLiteral("08:00"));
    EXPECT_EQ(listed(f.get(), 0), QStringList{QStringLiteral("11:00")}); // the grid read again
}

} // namespace
} // namespace vtx::test
