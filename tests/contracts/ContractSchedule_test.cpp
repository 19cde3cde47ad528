// The schedule overview and the generator form: "Gerar" with its refusals and its
// confirmation, and the move of a session by the right button.
#include <QCheckBox>
#include <QMouseEvent>

#include "BoundGrid.h"
#include "ContractFixture.h"
#include "DataControl.h"
#include "frmOS_CronoAgenda.h"
#include "frmOS_Cronograma.h"

namespace vtx::test {
namespace {

const QString kContract = QStringLiteral("2603160800007");

class ScheduleTest : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        procedure = addProcedure(QStringLiteral("CURATIVO"));
    }
    std::unique_ptr<frmOS_CronoAgenda> generator() {
        auto f = std::make_unique<frmOS_CronoAgenda>(
            ScheduledProcedure{kContract, QStringLiteral("7"), QString::number(procedure),
                               QStringLiteral("CURATIVO")});
        activate(f.get());
        return f;
    }
    /// Fills the generator: Monday 16/03/2026, the time, hours, cycles and the ticked days.
    void fill(QWidget* f, const char* hours, const char* days,
              std::initializer_list<const char*> ticked) {
        box(f, "txtDataInicio")->setText(QStringLiteral("16/03/2026"));
        control<QComboBox>(f, "cboHR")->setCurrentIndex(4); // 08:00
        box(f, "txtHRs")->setText(QString::fromLatin1(hours));
        box(f, "txtDias")->setText(QString::fromLatin1(days));
        for (const char* day : ticked)
            control<QCheckBox>(f, day)->setChecked(true);
    }
    QStringList sessions(const char* column = "idlan") {
        QStringList out;
        Recordset r = rows(QStringLiteral("contrato_agenda"), QStringLiteral("data, hora"));
        for (r.moveFirst(); !r.eof(); r.moveNext())
            out << r.text(QString::fromLatin1(column));
        return out;
    }

    long long procedure = 0;
};

TEST_F(ScheduleTest, GerarReplacesTheProcedureSessionsAfterItsChecks) {
    auto f = generator();
    // The form opens on the start date; the sessions come last in tab order.
    EXPECT_EQ(f->focusWidget(), box(f.get(), "txtDataInicio"));
    auto* hours = control<QComboBox>(f.get(), "cboHR");
    ASSERT_EQ(hours->count(), 33);
    EXPECT_EQ(hours->itemText(31), QStringLiteral("21:30"));
    EXPECT_EQ(hours->itemText(32), QStringLiteral("22:00"));
    EXPECT_EQ(hours->currentIndex(), -1);

    fill(f.get(), "24", "2", {"chkSeg", "chkTer"});
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command1");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Confirma?")});
    const QString p = QString::number(procedure);
    EXPECT_EQ(sessions(),
              (QStringList{p + QStringLiteral("_2603160800"), p + QStringLiteral("_2603170800")}));
    EXPECT_EQ(sessions("idpac"), (QStringList{QStringLiteral("7"), QStringLiteral("7")}));
    EXPECT_EQ(listed(f.get(), 2), sessions());

    // Every refusal comes before the delete: the sessions stay.
    const QString atencao = QStringLiteral("ATENÇÃO");
    const QString program = QStringLiteral("Vertalumex");
    const std::tuple<const char*, const char*, bool, QString, QString> refused[] = {
        {"0,5", "2", true, QStringLiteral("Intervalo de horas inválido!"), program},
        {"40000", "2", true, QStringLiteral("Intervalo de horas inválido!"), program},
        {"24", "40000", true, QStringLiteral("Quantidade de dias inválida!"), program},
        {"24", "2", false, QStringLiteral("--- ERRO --- NENHUM DIA DA SEMANA SELECIONADO!"),
         atencao},
        {"5", "1", true,
         QStringLiteral("--- ERRO --- CRONOGRAMA EXCEDE O LIMITE DE 5000 SESSÕES OU 3 ANOS!"),
         atencao},
    };
    for (const auto& [h, days, ticked, message, title] : refused) {
        auto g = generator();
        fill(g.get(), h, days, {});
        if (ticked)
            for (const char* day : {"chkSeg", "chkTer", "chkQua", "chkQui"})
                control<QCheckBox>(g.get(), day)->setChecked(true);
        prompts().reset();
        click(g.get(), "Command1");
        EXPECT_EQ(prompts().texts(), QStringList{message}) << h << " " << days;
        EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
        EXPECT_EQ(prompts().last().title, title);
        EXPECT_EQ(sessions().size(), 2);
    }
    // No at "Confirma?" changes nothing; D 0 deletes and makes none.
    fill(f.get(), "24", "0", {});
    prompts().answers = {MsgAnswer::No};
    click(f.get(), "Command1");
    EXPECT_EQ(sessions().size(), 2);
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command1");
    EXPECT_TRUE(sessions().isEmpty());
}

// Sessions a professional took or concluded go with the rest: the user is told how many before
// "Confirma?", and "Não" keeps every one of them as it was.
TEST_F(ScheduleTest, GerarTellsOfSessionsTakenOrConcludedBeforeItsQuestion) {
    auto f = generator();
    fill(f.get(), "24", "3", {"chkSeg", "chkTer", "chkQua"});
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command1");
    const QStringList keys = sessions();
    ASSERT_EQ(keys.size(), 3);
    db.execute(QStringLiteral("update contrato_agenda set idprof = '12' where idlic = ? and "
                              "idlan in (?, ?)"),
               {gIdLic, keys[0], keys[1]});
    db.execute(QStringLiteral("update contrato_agenda set status = '1' where idlic = ? and "
                              "idlan = ?"),
               {gIdLic, keys[0]});

    prompts().reset();
    prompts().answers = {MsgAnswer::Ok, MsgAnswer::No};
    click(f.get(), "Command1");
    EXPECT_EQ(prompts().texts(),
              (QStringList{QStringLiteral("ESTE PROCEDIMENTO TEM 2 SESSÕES COM PROFISSIONAL E 1 "
                                          "CONCLUÍDAS: TODAS SERÃO APAGADAS."),
                           QStringLiteral("Confirma?")}));
    EXPECT_EQ(prompts().messages.front().icon, MsgIcon::Exclamation);
    EXPECT_EQ(sessions(), keys);
    EXPECT_EQ(sessions("idprof"),
              (QStringList{QStringLiteral("12"), QStringLiteral("12"), QStringLiteral("0")}));
    EXPECT_EQ(sessions("status"),
              (QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")}));

    // "Sim" replaces them, as the schedule of the procedure is generated anew.
    prompts().reset();
    prompts().answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    click(f.get(), "Command1");
    EXPECT_EQ(sessions("idprof"),
              (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
}

TEST_F(ScheduleTest, AMovedSessionKeepsItsKeyAndAnHourMinuteTime) {
    auto f = generator();
    fill(f.get(), "24", "2", {"chkSeg"});
    prompts().answers = {MsgAnswer::Yes};
    click(f.get(), "Command1");
    const QStringList keys = sessions();
    ASSERT_EQ(keys.size(), 2);

    prompts().reset();
    prompts().inputAnswers = {QStringLiteral("31/02/2026"), QStringLiteral("20/03/2026"),
                              QStringLiteral("25:00"), QStringLiteral(" 9:5 ")};
    prompts().answers = {MsgAnswer::Ok, MsgAnswer::Yes};
    QWidget* viewport = control<QTableView>(f.get(), "DataGrid1")->viewport();
    const QPoint onFirstRow =
        control<QTableView>(f.get(), "DataGrid1")
            ->visualRect(control<QTableView>(f.get(), "DataGrid1")->model()->index(0, 0))
            .center();
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, onFirstRow);

    ASSERT_EQ(prompts().inputs.size(), 4u);
    EXPECT_EQ(prompts().inputs[0].defaultText, QStringLiteral("16/03/2026"));
    EXPECT_EQ(prompts().inputs[2].defaultText, QStringLiteral("08:00"));
    EXPECT_EQ(prompts().texts(),
              (QStringList{QStringLiteral("Horário inválido!"),
                           QStringLiteral("Confirma os dados abaixo?\r\nNova data: "
                                          "20/03/2026Novo Horário: 9:5")}));
    Recordset moved = db.query(QStringLiteral("select * from contrato_agenda where idlic = ? "
                                              "and idlan = ?"),
                               {gIdLic, keys[0]});
    EXPECT_EQ(moved.value(QStringLiteral("data")).toDate(), QDate(2026, 3, 20));
    EXPECT_EQ(moved.text(QStringLiteral("hora")), QStringLiteral("09:05"));
}

TEST_F(ScheduleTest, TheOverviewOpensTheGeneratorOfAClickedProcedure) {
    {
        frmOS_Cronograma empty(kContract, QStringLiteral("7"));
        activate(&empty);
        auto* grid = control<QTableView>(&empty, "DataGrid2");
        emit grid->clicked(grid->model()->index(0, 0));
        EXPECT_TRUE(shown.isEmpty());
    }
    db.execute(QStringLiteral("insert into contrato_procedimentos (idlic,idcontrato,idlan,idproc,"
                              "qtde,valor,complemento) values (?,?,'L1',?,1,1,'2X AO DIA')"),
               {gIdLic, kContract, procedure});
    frmOS_Cronograma f(kContract, QStringLiteral("7"));
    activate(&f);
    EXPECT_EQ(control<QPlainTextEdit>(&f, "txtCompl")->toPlainText(), QStringLiteral("2X AO DIA"));
    steps = {[this](QDialog* g) {
        EXPECT_EQ(control<QLabel>(g, "lProc")->text(), QStringLiteral("CURATIVO"));
        // Placed by coordinates, the generator keeps its size; each day shows its caption
        // whole, apart from the next day's box.
        EXPECT_EQ(g->minimumSize(), g->maximumSize());
        const QCheckBox* previous = nullptr;
        for (const char* day :
             {"chkDom", "chkSeg", "chkTer", "chkQua", "chkQui", "chkSex", "chkSab"}) {
            const auto* box = control<QCheckBox>(g, day);
            EXPECT_GE(box->width(), box->sizeHint().width()) << day;
            EXPECT_LE(box->geometry().right(), g->width()) << day;
            if (previous) {
                EXPECT_GT(box->x(), previous->geometry().right() + 4) << day;
            }
            previous = box;
        }
        fill(g, "12", "1", {"chkSeg"});
        prompts().answers = {MsgAnswer::Yes};
        click(g, "Command1");
    }};
    auto* grid = control<QTableView>(&f, "DataGrid2");
    emit grid->clicked(grid->model()->index(0, 0));
    EXPECT_EQ(shown, QStringList{QStringLiteral("frmOS_CronoAgenda")});
    EXPECT_EQ(f.sessions().rows().recordset().recordCount(), 2);
    EXPECT_EQ(listed(&f, 1), (QStringList{QStringLiteral("08:00"), QStringLiteral("20:00")}));
}

} // namespace
} // namespace vtx::test
