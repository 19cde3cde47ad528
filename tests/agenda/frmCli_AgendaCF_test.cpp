// The attendance dialog against the real server: the handover, lines and totals, the checks,
// the closing in one transaction, failures, stale bookings and two workstations.
#include <atomic>
#include <thread>

#include <QListWidget>

#include "AgendaFixture.h"
#include "Attendances.h"
#include "DayView.h"
#include "DbError.h"
#include "Modal.h"

namespace vtx::test {
namespace {

class ChargingTest : public AgendaTest {
protected:
    void SetUp() override {
        AgendaTest::SetUp();
        ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
        addHours(ana, QStringLiteral("08:00/08:30/09:00"));
        plan = insert(QStringLiteral("convenios"), {QStringLiteral("nmconv")},
                      {QStringLiteral("UNIMED")});
        maria = insert(QStringLiteral("pacientes"), {QStringLiteral("nmPac")},
                       {QStringLiteral("MARIA")});
        procedure = insert(QStringLiteral("procedimentos"),
                           {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                           {QStringLiteral("CONSULTA"), QStringLiteral("0")});
        homeProcedure = insert(QStringLiteral("procedimentos"),
                               {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                               {QStringLiteral("CURATIVO"), QStringLiteral("1")});
        addBooking(QStringLiteral("B1"), ana, QStringLiteral("08:30"), QStringLiteral("MARIA"),
                   QStringLiteral("0"), plan.toInt(), maria.toInt());
        db.execute(QStringLiteral("update agenda_clinica set idproc = ? where idlic = ?"),
                   {procedure.toInt(), gIdLic});
    }

    /// Opens the booking of the hour in the frame and presses "Confirmar", running the steps
    /// on the attendance dialog.
    void confirm(QWidget* f, const QString& hour, std::function<void(QDialog*)> steps) {
        doubleClick(f, hour);
        onDialog("frmCli_AgendaCF", std::move(steps));
        press(f, "Command4");
    }
    void addLine(QDialog* cf, const QString& code, const QString& value, const QString& count) {
        box(cf, "txtIdProc")->setText(code);
        leave(box(cf, "txtIdProc"), box(cf, "txtVR"));
        box(cf, "txtVR")->setText(value);
        box(cf, "txtQt")->setText(count);
        press(cf, "Command2");
    }
    void pay(QDialog* cf, int means, const QString& amount, const QString& note = QString()) {
        combo(cf, "cboMP")->setCurrentIndex(means);
        emit combo(cf, "cboMP")->activated(means);
        box(cf, "txtVrMp")->setText(amount);
        box(cf, "txtobs")->setText(note);
        press(cf, "Command16");
    }
    void removeFirst(QWidget* cf, const char* list, MsgAnswer answer) {
        prompts().answers = {answer};
        auto* l = control<QListWidget>(cf, list);
        emit l->itemDoubleClicked(l->item(0));
    }
    void close(QWidget* cf) {
        prompts().answers = {MsgAnswer::Yes};
        press(cf, "Command1");
    }
    int count(const char* table) {
        return db
            .query(QStringLiteral("select * from %1 where idlic = ?").arg(QLatin1String(table)),
                   {gIdLic})
            .recordCount();
    }
    QString status(const QString& key = QStringLiteral("B1")) {
        return db
            .query(QStringLiteral("select status from agenda_clinica where idlic = ? and "
                                  "idagenda = ?"),
                   {gIdLic, key})
            .text(QStringLiteral("status"));
    }
    QString lastMessage() { return prompts().messages.empty() ? QString() : prompts().last().text; }

    QString ana, plan, maria, procedure, homeProcedure;
};

TEST_F(ChargingTest, LinesAndPaymentsMakeTheTotalsAndEscWritesNothing) {
    auto f = open();
    bool shown = false;
    confirm(f.get(), QStringLiteral("08:30"), [&](QDialog* cf) {
        shown = true;
        EXPECT_EQ(labelText(cf, "lPac"), maria + QStringLiteral(" | MARIA"));
        EXPECT_EQ(labelText(cf, "lProf"), combo(f.get(), "cboPro")->currentText());
        EXPECT_EQ(labelText(cf, "lDT") + labelText(cf, "lHR"), QStringLiteral("04/05/202608:30"));
        EXPECT_EQ(box(cf, "txtIdProc")->text() + box(cf, "txtNmProc")->text(),
                  procedure + QStringLiteral("CONSULTA"));
        EXPECT_EQ(box(cf, "txtIdConv")->text() + box(cf, "txtNmConv")->text(),
                  plan + QStringLiteral("UNIMED"));
        EXPECT_EQ(box(cf, "txtVR")->text() + box(cf, "txtQt")->text(),
                  QStringLiteral("R$ 1.234,501"));
        EXPECT_FALSE(control<QWidget>(cf, "Command1")->isEnabled());
        EXPECT_TRUE(lines(cf, "List3").isEmpty());

        box(cf, "txtQt")->setText(QStringLiteral("2"));
        box(cf, "txtVR")->setText(QStringLiteral("R$ 150,00"));
        press(cf, "Command2");
        EXPECT_EQ(lines(cf, "List1"),
                  QStringList{QStringLiteral("CONSULTA%1|     2|      R$ 150,00|UNIMED%2|%3|%4")
                                  .arg(QString(37, u' '), QString(19, u' '), plan.leftJustified(10),
                                       procedure.leftJustified(10))});
        EXPECT_EQ(lines(cf, "List3").value(0), QStringLiteral("Total a Pagar.: R$ 300,00"));
        EXPECT_TRUE(control<QWidget>(cf, "Command1")->isEnabled());
        removeFirst(cf, "List1", MsgAnswer::No); // "Estorna?"
        EXPECT_EQ(lines(cf, "List1").size(), 1);
        removeFirst(cf, "List1", MsgAnswer::Yes);
        EXPECT_TRUE(lines(cf, "List1").isEmpty());
        EXPECT_FALSE(control<QWidget>(cf, "Command1")->isEnabled());

        // A home-care procedure typed by hand finds no name, and the line is refused.
        addLine(cf, homeProcedure, QStringLiteral("10"), QStringLiteral("1"));
        EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- DADOS INVÁLIDOS!"));
        addLine(cf, procedure, QStringLiteral("0"), QStringLiteral("3"));
        addLine(cf, procedure, QStringLiteral("150"), QStringLiteral("1"));
        EXPECT_EQ(lines(cf, "List1").size(), 2);

        // The payment frame takes the dialog's input while it is open.
        combo(cf, "cboMP")->setCurrentIndex(0);
        emit combo(cf, "cboMP")->activated(0);
        EXPECT_TRUE(control<QWidget>(cf, "frmMPP")->isVisible());
        for (const char* name : {"cboMP", "Command1", "Command2", "List1", "txtIdProc"})
            EXPECT_FALSE(control<QWidget>(cf, name)->isEnabled()) << name;
        box(cf, "txtVrMp")->setText(QStringLiteral("0"));
        press(cf, "Command16");
        EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- VALOR INVÁLIDO!"));
        EXPECT_TRUE(control<QWidget>(cf, "frmMPP")->isVisible());
        press(cf, "Command17");
        pay(cf, 2, QStringLiteral("100"), QStringLiteral("NOTA DE QUALQUER TAMANHO"));
        EXPECT_EQ(lines(cf, "List2"),
                  QStringList{QStringLiteral("PIX%1|      R$ 100,00|NOTA DE QUALQUER TAMANHO")
                                  .arg(QString(17, u' '))});
        EXPECT_EQ(lines(cf, "List3"), QStringList({QStringLiteral("Total a Pagar.: R$ 150,00"),
                                                   QStringLiteral("Total Pago....: R$ 100,00"),
                                                   QStringLiteral("Falta.........: R$ 50,00")}));
        close(cf);
        EXPECT_EQ(lastMessage(),
                  QStringLiteral("--- ERRO --- VALOR TOTAL RECEBIDO INFERIOR AO TOTAL A PAGAR!"));
        EXPECT_TRUE(cf->isVisible());
        pay(cf, 0, QStringLiteral("100"));
        EXPECT_EQ(lines(cf, "List3").value(2), QStringLiteral("Falta.........: -R$ 50,00"));
        key(cf, Qt::Key_Escape);
        EXPECT_FALSE(cf->isVisible());
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(count("atendimentos") + count("atendimento_finan"), 0);
    EXPECT_EQ(status(), QStringLiteral("0"));
    EXPECT_TRUE(framed(f.get())); // not confirmed: the frame stays
    EXPECT_EQ(gConfirma, QString());
}

TEST_F(ChargingTest, ClosingWritesEveryRowUnderOneKeyAsEntered) {
    auto f = open();
    confirm(f.get(), QStringLiteral("08:30"), [&](QDialog* cf) {
        box(cf, "txtVR")->setText(QStringLiteral("R$ 12.345.678,90"));
        box(cf, "txtQt")->setText(QStringLiteral("2"));
        press(cf, "Command2");
        addLine(cf, procedure, QStringLiteral("0"), QStringLiteral("1234567"));
        EXPECT_TRUE(lines(cf, "List1").value(1).contains(QStringLiteral("|123456|")));
        pay(cf, 2, QStringLiteral("R$ 24.000.000,00"), QStringLiteral(" CX|01 "));
        pay(cf, 0, QStringLiteral("691.357,80"));
        pay(cf, 1, QStringLiteral("1"));
        close(cf);
    });
    EXPECT_FALSE(framed(f.get()));
    EXPECT_EQ(DayView::field(line(f.get(), QStringLiteral("08:30"))->text(), 5).trimmed(),
              QStringLiteral("2"));
    EXPECT_EQ(gConfirma, QString());
    EXPECT_FALSE(gConexao().inTransaction());
    EXPECT_EQ(status(), QStringLiteral("2"));

    const QString key = QStringLiteral("0") + maria + QStringLiteral("04052026100000");
    Recordset rows = db.query(
        QStringLiteral("select * from atendimentos where idlic = ? order by id"), {gIdLic});
    ASSERT_EQ(rows.recordCount(), 2);
    const QString quantities[] = {QStringLiteral("2.0000"), QStringLiteral("1234567.0000")};
    const QString values[] = {QStringLiteral("12345678.9000"), QStringLiteral("0.0000")};
    for (int i = 0; i < 2; ++i, rows.moveNext()) {
        auto t = [&rows](const char* column) { return rows.text(QLatin1String(column)); };
        EXPECT_EQ(t("idlan"), gIdLic + QStringLiteral("0") + QStringLiteral("0405260830") + maria +
                                  procedure + ana);
        EXPECT_EQ(t("idatendimento"), key);
        EXPECT_EQ(t("qtde"), quantities[i]);
        EXPECT_EQ(t("valor"), values[i]);
        EXPECT_EQ(t("hr") + t("vertmex") + t("cf"), QStringLiteral("08300N"));
        EXPECT_EQ(rows.value(QStringLiteral("dt")).toDate(), kToday);
        EXPECT_EQ(t("idprof") + QLatin1Char('/') + t("idproc") + QLatin1Char('/') + t("idconv") +
                      QLatin1Char('/') + t("idpac"),
                  QStringList({ana, procedure, plan, maria}).join(QLatin1Char('/')));
        EXPECT_EQ(t("evcad"), QStringLiteral("TESTE 04/05/2026 10:00:00"));
    }
    Recordset payments = db.query(
        QStringLiteral("select * from atendimento_finan where idlic = ? order by id"), {gIdLic});
    ASSERT_EQ(payments.recordCount(), 3);
    const QString expected[][3] = {
        {QStringLiteral("PIX"), QStringLiteral("CX|01"), QStringLiteral("24000000.0000")},
        {QStringLiteral("DINHEIRO"), QString(), QStringLiteral("691357.8000")},
        {QStringLiteral("CHEQUE"), QString(), QStringLiteral("1.0000")}};
    for (const auto& e : expected) {
        EXPECT_EQ(payments.text(QStringLiteral("mp")), e[0]);
        EXPECT_EQ(payments.text(QStringLiteral("obs")), e[1]);
        EXPECT_EQ(payments.text(QStringLiteral("valor")), e[2]);
        EXPECT_EQ(payments.text(QStringLiteral("idatend")), key);
        EXPECT_EQ(payments.text(QStringLiteral("cf")), QStringLiteral("N"));
        payments.moveNext();
    }
}

TEST_F(ChargingTest, AFailedWriteLeavesNothingAndARetryWritesOnce) {
    auto f = open();
    const QString trigger = QStringLiteral("refuse_") + gIdLic;
    confirm(f.get(), QStringLiteral("08:30"), [&](QDialog* cf) {
        press(cf, "Command2");
        pay(cf, 0, QStringLiteral("1234,50"));
        db.execute(QStringLiteral("create trigger %1 before insert on atendimento_finan for each "
                                  "row if new.idlic = '%2' then signal sqlstate '45000' set "
                                  "message_text = 'gravacao recusada'; end if")
                       .arg(trigger, gIdLic));
        close(cf);
        db.execute(QStringLiteral("drop trigger %1").arg(trigger));
        EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("--- ERRO --- ")));
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("gravacao recusada")));
        EXPECT_EQ(count("atendimentos"), 0);
        EXPECT_EQ(status(), QStringLiteral("0"));
        EXPECT_TRUE(cf->isVisible());
        for (const char* name : {"Command1", "Command2", "List1", "List2", "txtIdProc"})
            EXPECT_TRUE(control<QWidget>(cf, name)->isEnabled()) << name;
        close(cf);
    });
    EXPECT_EQ(count("atendimentos"), 1);
    EXPECT_EQ(count("atendimento_finan"), 1);
    EXPECT_EQ(status(), QStringLiteral("2"));
}

TEST_F(ChargingTest, ABookingAttendedDeletedOrChangedMeanwhileIsNotClosed) {
    addBooking(QStringLiteral("B2"), ana, QStringLiteral("09:00"), QStringLiteral("LUIS"),
               QStringLiteral("0"), plan.toInt(), maria.toInt());
    addBooking(QStringLiteral("B3"), ana, QStringLiteral("08:00"), QStringLiteral("MARIA"),
               QStringLiteral("0"), plan.toInt(), maria.toInt());
    db.execute(QStringLiteral("update agenda_clinica set idproc = ? where idlic = ?"),
               {procedure.toInt(), gIdLic});
    auto f = open();
    const QString changed = QStringLiteral("--- ERRO --- AGENDAMENTO ALTERADO EM OUTRA ESTAÇÃO!");
    // Another workstation acts between the dialog's load and "Encerrar".
    const struct {
        QString hour, change, message;
    } cases[] = {{QStringLiteral("08:30"),
                  QStringLiteral("update agenda_clinica set status = '2' where idlic = ? and "
                                 "idagenda = 'B1'"),
                  QStringLiteral("ATENDIMENTO JÁ CONFIRMADO!")},
                 {QStringLiteral("09:00"),
                  QStringLiteral("delete from agenda_clinica where idlic = ? and idagenda = 'B2'"),
                  QStringLiteral("--- ERRO --- AGENDAMENTO NÃO ENCONTRADO!")},
                 {QStringLiteral("08:00"),
                  QStringLiteral("update agenda_clinica set hr = '09:00' where idlic = ? and "
                                 "idagenda = 'B3'"),
                  changed},
                 {QStringLiteral("09:00"),
                  QStringLiteral("update agenda_clinica set idpac = idpac + 1 where idlic = ? "
                                 "and idagenda = 'B3'"),
                  changed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        confirm(f.get(), c.hour, [&](QDialog* cf) {
            press(cf, "Command2");
            pay(cf, 0, QStringLiteral("2000"));
            db.execute(c.change, {gIdLic});
            close(cf);
            EXPECT_EQ(lastMessage(), c.message);
            EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
            EXPECT_FALSE(cf->isVisible());
        });
        EXPECT_FALSE(framed(f.get()));
    }
    EXPECT_EQ(count("atendimentos") + count("atendimento_finan"), 0);
    EXPECT_EQ(status(QStringLiteral("B3")), QStringLiteral("0"));
    // The day read again: the booking moved away from 08:00.
    EXPECT_TRUE(lines(f.get()).contains(QStringLiteral("08:00")));
}

TEST_F(ChargingTest, AMoveOrPatientLeftUnsavedOnTheFrameConfirmsTheBookingAsStored) {
    addBooking(QStringLiteral("B2"), ana, QStringLiteral("09:00"), QStringLiteral("MARIA"),
               QStringLiteral("0"), plan.toInt(), maria.toInt());
    const QString luis =
        insert(QStringLiteral("pacientes"), {QStringLiteral("nmPac"), QStringLiteral("idconv")},
               {QStringLiteral("LUIS"), plan.toInt()});
    auto f = open();
    const struct {
        QString hour;
        std::function<void()> edit;
    } cases[] = {{QStringLiteral("08:30"),
                  [&] { doubleClick(f.get(), QStringLiteral("08:00")); }}, // moved on screen
                 {QStringLiteral("09:00"), [&] {
                      box(f.get(), "txtIdPac")->setText(luis);
                      leave(box(f.get(), "txtIdPac"), box(f.get(), "txtIdConv"));
                  }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hour.toStdString());
        doubleClick(f.get(), c.hour);
        c.edit();
        prompts().reset();
        onDialog("frmCli_AgendaCF", [&](QDialog* cf) {
            EXPECT_EQ(labelText(cf, "lHR") + labelText(cf, "lPac"),
                      c.hour + maria + QStringLiteral(" | MARIA"));
            // A move leaves no procedure chosen on the frame.
            addLine(cf, procedure, QStringLiteral("150"), QStringLiteral("1"));
            pay(cf, 0, QStringLiteral("150"));
            close(cf);
        });
        press(f.get(), "Command4");
        EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Confirma?")});
        EXPECT_FALSE(framed(f.get()));
    }
    const Recordset rows =
        db.query(QStringLiteral("select group_concat(concat(hr, '/', idpac) order by id) done from "
                                "atendimentos where idlic = ?"),
                 {gIdLic});
    EXPECT_EQ(rows.text(QStringLiteral("done")), QStringLiteral("0830/%1,0900/%1").arg(maria));
    EXPECT_EQ(status() + status(QStringLiteral("B2")), QStringLiteral("22"));
    // Nothing unsaved was written to the bookings.
    EXPECT_EQ(bookings().text(QStringLiteral("hr")), QStringLiteral("08:30"));
}

TEST_F(ChargingTest, OfTwoWorkstationsClosingOneBookingOnlyOneWrites) {
    const AttendedBooking booking{QStringLiteral("B1"), kToday, QStringLiteral("08:30"), ana,
                                  maria};
    const std::vector<ProcedureLine> lines{{QStringLiteral("CONSULTA"), QStringLiteral("1"),
                                            Decimal(1, 0), Decimal(15000, 2), QStringLiteral("U"),
                                            plan, procedure}};
    // The first workstation holds the booking while it closes it.
    Connection first;
    first.open(testConnectionString());
    Transaction holding(first);
    first.query(QStringLiteral("select status from agenda_clinica where idlic = ? and idagenda = "
                               "'B1' for update"),
                {gIdLic});
    first.execute(QStringLiteral("update agenda_clinica set status = '2' where idlic = ? and "
                                 "idagenda = 'B1'"),
                  {gIdLic});

    // The second one closes it too, and is waiting for that booking before the first commits.
    Connection secondConnection;
    secondConnection.open(testConnectionString());
    const QVariant secondId =
        secondConnection.query(QStringLiteral("select connection_id()")).value(0, 0);
    std::optional<Attendances::Closing> second;
    std::atomic<bool> ended = false;
    std::thread other([&] {
        try {
            second = Attendances::close(secondConnection, booking, lines, {});
        } catch (const DbError&) {
        }
        ended = true;
    });
    // A statement on the held booking that runs this long is waiting for its lock.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool waiting = false;
    while (!waiting && !ended && std::chrono::steady_clock::now() < giveUp) {
        waiting = !db.query(QStringLiteral("select id from information_schema.processlist where "
                                           "id = ? and info like '%agenda_clinica%' and "
                                           "time_ms >= 100"),
                            {secondId})
                       .isEmpty();
        std::this_thread::yield();
    }
    holding.commit();
    other.join();
    EXPECT_TRUE(waiting);
    EXPECT_EQ(second, Attendances::Closing::AlreadyAttended);
    EXPECT_EQ(count("atendimentos"), 0);
}

} // namespace
} // namespace vtx::test
