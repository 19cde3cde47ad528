// The booking frame against the real server: new bookings priced and keyed, the checks of
// "Salvar", a failed write, loading, moving, notifying and cancelling, and the lookups.
#include <QCalendarWidget>
#include <QDialog>

#include "AgendaFixture.h"
#include "DayView.h"
#include "Modal.h"

namespace vtx::test {
namespace {

const QString kConflict = QStringLiteral(
    "--- PACIENTE JÁ POSSUI AGENDA NESSA MESMA DATA E HORÁRIO COM OUTRO PROFISSIONAL!");

class BookingTest : public AgendaTest {
protected:
    void SetUp() override {
        AgendaTest::SetUp();
        ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
        addHours(ana, QStringLiteral("08:00/09:00/10:00/11:00"));
        plan =
            insert(QStringLiteral("convenios"), {QStringLiteral("nmconv"), QStringLiteral("pdesc")},
                   {QStringLiteral("UNIMED"), 10});
        maria = insert(QStringLiteral("pacientes"),
                       {QStringLiteral("nmPac"), QStringLiteral("fonecel"),
                        QStringLiteral("fonepac"), QStringLiteral("idconv")},
                       {QStringLiteral("MARIA D'ÁVILA"), QStringLiteral("99999-1111"),
                        QStringLiteral("3333-2222"), plan.toInt()});
        procedure = insert(QStringLiteral("procedimentos"),
                           {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                           {QStringLiteral("CONSULTA"), QStringLiteral("0")});
        insert(QStringLiteral("procedimentos"),
               {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
               {QStringLiteral("CURATIVO"), QStringLiteral("1")});
    }

    /// Types a code into a box and leaves it for the next one, as the user does.
    void typeAndLeave(QWidget* f, const char* name, const QString& value, const char* next) {
        QApplication::setActiveWindow(f);
        box(f, name)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        box(f, name)->setText(value);
        box(f, next)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void fillPatient(QWidget* f, const QString& code) {
        typeAndLeave(f, "txtIdPac", code, "txtNmPac");
    }
    QString lastMessage() { return prompts().messages.empty() ? QString() : prompts().last().text; }

    QString ana, plan, maria, procedure;
};

TEST_F(BookingTest, NewBookingsArePricedKeyedStoredAndListed) {
    const QString other = gIdLic + QStringLiteral("X");
    db.execute(
        QStringLiteral("insert into procedimentos (idlic, nmproc, vertmex) values (?, ?, '0')"),
        {other, QStringLiteral("DE OUTRA INSTALACAO")});
    auto f = open();
    doubleClick(f.get(), QStringLiteral("08:00"));
    deleteInstallation(db, other);
    ASSERT_TRUE(framed(f.get()));
    for (const char* name : {"Command1", "Command6", "cboPro", "Command9", "Command5", "Command4"})
        EXPECT_FALSE(control<QWidget>(f.get(), name)->isEnabled()) << name;
    EXPECT_EQ(box(f.get(), "txtDT")->text(), QStringLiteral("04/05/2026"));
    EXPECT_EQ(box(f.get(), "txtHR")->text(), QStringLiteral("08:00"));
    ASSERT_EQ(combo(f.get(), "cboTP")->count(), 1); // clinic procedures only
    EXPECT_EQ(combo(f.get(), "cboTP")->currentText(),
              QStringLiteral("CONSULTA%1|%2").arg(QString(37, u' '), procedure));

    fillPatient(f.get(), maria);
    EXPECT_EQ(box(f.get(), "txtNmPac")->text(), QStringLiteral("MARIA D'ÁVILA"));
    EXPECT_EQ(box(f.get(), "txtIdConv")->text(), plan);
    EXPECT_EQ(box(f.get(), "txtNmConv")->text(), QStringLiteral("UNIMED"));
    EXPECT_EQ(box(f.get(), "txtFone")->text(), QStringLiteral("99999-1111 3333-2222"));
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("R$ 135,00")); // 150 less 10 %
    press(f.get(), "Command7");
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Agendado com sucesso!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_FALSE(framed(f.get()));
    EXPECT_TRUE(control<QWidget>(f.get(), "cboPro")->isEnabled());
    EXPECT_TRUE(lines(f.get()).at(0).startsWith(QStringLiteral("08:00|MARIA D'ÁVILA ")));

    // A second booking in the same second gets the next second's key.
    doubleClick(f.get(), QStringLiteral("09:00"));
    fillPatient(f.get(), maria);
    box(f.get(), "txtVR")->setText(QStringLiteral("R$ 1.234,50"));
    press(f.get(), "Command7");
    // A home booking belongs to professional 0.
    doubleClick(f.get(), QStringLiteral("10:00"));
    fillPatient(f.get(), maria);
    combo(f.get(), "cboOnde")->setCurrentIndex(1);
    press(f.get(), "Command7");
    EXPECT_EQ(prompts().messages.size(), 3u) << prompts().texts().join(u'|').toStdString();
    EXPECT_TRUE(lines(f.get()).contains(QStringLiteral("10:00")));

    Recordset rows = bookings();
    ASSERT_EQ(rows.recordCount(), 3);
    const QString stamp = QStringLiteral("TESTE 04/05/2026 10:00:00");
    const struct {
        QString key, hour, price, pro, place;
    } expected[] = {{QStringLiteral("260504100000TESTE0"), QStringLiteral("10:00"),
                     QStringLiteral("135.00"), QStringLiteral("0"), QStringLiteral("1")},
                    {QStringLiteral("260504100000TESTE") + ana, QStringLiteral("08:00"),
                     QStringLiteral("135.00"), ana, QStringLiteral("0")},
                    {QStringLiteral("260504100001TESTE") + ana, QStringLiteral("09:00"),
                     QStringLiteral("1234.50"), ana, QStringLiteral("0")}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.key.toStdString());
        EXPECT_EQ(rows.text(QStringLiteral("idagenda")), e.key);
        EXPECT_EQ(rows.text(QStringLiteral("hr")), e.hour);
        EXPECT_EQ(rows.text(QStringLiteral("valor")), e.price);
        EXPECT_EQ(rows.text(QStringLiteral("idpro")), e.pro);
        EXPECT_EQ(rows.text(QStringLiteral("vertmex")), e.place);
        EXPECT_EQ(rows.text(QStringLiteral("idesp")), QStringLiteral("7"));
        EXPECT_EQ(rows.value(QStringLiteral("dia")).toDate(), kToday);
        EXPECT_EQ(rows.text(QStringLiteral("status")), QStringLiteral("0"));
        EXPECT_EQ(rows.text(QStringLiteral("mobesp")), QStringLiteral("0 - Não"));
        EXPECT_EQ(rows.text(QStringLiteral("nmpac")), QStringLiteral("MARIA D'ÁVILA"));
        EXPECT_EQ(rows.text(QStringLiteral("evcad")), stamp);
        EXPECT_EQ(rows.text(QStringLiteral("evup")), stamp);
        rows.moveNext();
    }
}

TEST_F(BookingTest, SaveChecksRefuseInOrderAndAFailedWriteKeepsTheFrame) {
    const QString bia = addProfessional(QStringLiteral("BIA"), 90, QStringLiteral("0"));
    addBooking(QStringLiteral("B1"), bia, QStringLiteral("08:00"), QStringLiteral("MARIA"),
               QStringLiteral("0"), plan.toInt(), maria.toInt());
    auto f = open();
    doubleClick(f.get(), QStringLiteral("08:00"));
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!"));
    fillPatient(f.get(), maria);
    combo(f.get(), "cboTP")->setCurrentIndex(-1);
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- SELECIONA UM PROCEDIMENTO!"));
    combo(f.get(), "cboTP")->setCurrentIndex(0);
    box(f.get(), "txtDT")->setText(QStringLiteral("03/05/2026"));
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(),
              QStringLiteral("--- ERRO --- DATA DO AGENDAMENTO ANTERIOR A DATA ATUAL!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Critical);
    box(f.get(), "txtDT")->setText(QStringLiteral("04/05/2026"));
    press(f.get(), "Command7"); // booked at 08:00 with BIA
    EXPECT_EQ(lastMessage(), kConflict);
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);

    // A click on another hour moves the frame's hour there; the server refuses the row.
    click(f.get(), QStringLiteral("09:00"));
    EXPECT_EQ(box(f.get(), "txtHR")->text(), QStringLiteral("09:00"));
    const QString trigger = QStringLiteral("refuse_") + gIdLic;
    db.execute(QStringLiteral("create trigger %1 before insert on agenda_clinica for each row "
                              "if new.idlic = '%2' then signal sqlstate '45000' set "
                              "message_text = 'gravacao recusada'; end if")
                   .arg(trigger, gIdLic));
    press(f.get(), "Command7");
    db.execute(QStringLiteral("drop trigger %1").arg(trigger));
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("gravacao recusada")));
    EXPECT_TRUE(framed(f.get()));
    EXPECT_EQ(box(f.get(), "txtNmPac")->text(), QStringLiteral("MARIA D'ÁVILA"));
    EXPECT_EQ(bookings().recordCount(), 1);
    EXPECT_FALSE(gConexao().inTransaction());

    // The day stored is the one the checks tested, though the calendar moved on meanwhile.
    control<QCalendarWidget>(f.get(), "Calendar1")->setSelectedDate(kToday.addDays(7));
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), QStringLiteral("Agendado com sucesso!"));
    const Recordset saved = db.query(
        QStringLiteral("select dia from agenda_clinica where idlic = ? and idagenda <> 'B1'"),
        {gIdLic});
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.value(QStringLiteral("dia")).toDate(), kToday);
}

TEST_F(BookingTest, APricePastItsColumnIsRefusedAndNothingIsWritten) {
    // A fee near the top of its column and a surcharge stored by an older program.
    db.execute(QStringLiteral("update profissionais set valor = 9000000000000 where idlic = ?"),
               {gIdLic});
    db.execute(QStringLiteral("update convenios set pdesc = -50 where idlic = ?"), {gIdLic});
    auto f = open();
    doubleClick(f.get(), QStringLiteral("08:00"));
    fillPatient(f.get(), maria);
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!")});
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QString());
    // A price that rounds past the column's 13 whole digits.
    box(f.get(), "txtVR")->setText(QStringLiteral("9999999999999,995"));
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!"));
    EXPECT_TRUE(bookings().isEmpty());
}

TEST_F(BookingTest, StoredBookingsLoadMoveNotifyAndCancel) {
    addBooking(QStringLiteral("A1"), ana, QStringLiteral("08:00"), QStringLiteral("JOSE"),
               QStringLiteral("2"));
    addBooking(QStringLiteral("A2"), ana, QStringLiteral("09:00"), QStringLiteral("MARIA"),
               QStringLiteral("1"), plan.toInt(), maria.toInt());
    addBooking(QStringLiteral("A3"), ana, QStringLiteral("10:00"), QStringLiteral("LUIS"));
    db.execute(QStringLiteral("update agenda_clinica set idproc = ? where idlic = ?"),
               {procedure.toInt(), gIdLic});
    auto f = open();
    doubleClick(f.get(), QStringLiteral("08:00"));
    EXPECT_EQ(lastMessage(), QStringLiteral("ATENDIMENTO JÁ CONFIRMADO!"));
    EXPECT_FALSE(framed(f.get()));

    doubleClick(f.get(), QStringLiteral("09:00"));
    ASSERT_TRUE(framed(f.get()));
    EXPECT_EQ(box(f.get(), "txtIdAgenda")->text(), QStringLiteral("A2"));
    EXPECT_EQ(box(f.get(), "txtNmConv")->text(), QStringLiteral("UNIMED"));
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("R$ 1.234,50")); // the stored price
    EXPECT_EQ(combo(f.get(), "cboTP")->currentIndex(), 0);
    EXPECT_EQ(combo(f.get(), "cboMobEsp")->currentText(), QStringLiteral("1 - Sim"));
    EXPECT_TRUE(control<QWidget>(f.get(), "Command9")->isEnabled());
    key(f.get(), Qt::Key_Escape);
    EXPECT_TRUE(f->isVisible());
    // A failed reload of the procedures keeps the booking's choice.
    dropSharedConnection();
    doubleClick(f.get(), QStringLiteral("11:00"));
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(combo(f.get(), "cboTP")->currentIndex(), 0);

    doubleClick(f.get(), QStringLiteral("10:00"));
    EXPECT_EQ(lastMessage(), QStringLiteral("--- ERRO --- HORÁRIO NÃO DISPONIVEL!"));
    EXPECT_FALSE(control<QWidget>(f.get(), "Command9")->isEnabled());
    doubleClick(f.get(), QStringLiteral("11:00"));
    EXPECT_EQ(box(f.get(), "txtHR")->text(), QStringLiteral("11:00"));
    combo(f.get(), "cboTP")->setCurrentIndex(0);
    Clock::set(QDateTime(kToday, QTime(10, 5, 0)));
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), QStringLiteral("Agendado com sucesso!"));
    Recordset moved =
        db.query(QStringLiteral("select * from agenda_clinica where idlic = ? and idagenda = 'A2'"),
                 {gIdLic});
    ASSERT_EQ(moved.recordCount(), 1);
    EXPECT_EQ(moved.text(QStringLiteral("hr")), QStringLiteral("11:00"));
    EXPECT_EQ(moved.text(QStringLiteral("status")), QStringLiteral("1"));
    EXPECT_EQ(moved.text(QStringLiteral("evcad")), QStringLiteral("ANA 01/05/2026"));
    EXPECT_EQ(moved.text(QStringLiteral("evup")), QStringLiteral("TESTE 04/05/2026 10:05:00"));

    // The booking itself is a clinic booking of the patient at that day and hour.
    doubleClick(f.get(), QStringLiteral("11:00"));
    combo(f.get(), "cboOnde")->setCurrentIndex(1);
    combo(f.get(), "cboTP")->setCurrentIndex(0);
    press(f.get(), "Command7");
    EXPECT_EQ(lastMessage(), kConflict);

    press(f.get(), "Command5"); // No, the default
    EXPECT_EQ(bookings().recordCount(), 3);
    press(f.get(), "Command8"); // closed first, to load another booking
    EXPECT_EQ(box(f.get(), "txtIdAgenda")->text(), QString());
    doubleClick(f.get(), QStringLiteral("10:00"));
    prompts().answers = {MsgAnswer::Yes};
    press(f.get(), "Command5");
    EXPECT_EQ(lastMessage(), QStringLiteral("Notificaçao confimada?"));
    EXPECT_FALSE(framed(f.get()));
    EXPECT_EQ(db.query(QStringLiteral("select status from agenda_clinica where idlic = ? and "
                                      "idagenda = 'A3'"),
                       {gIdLic})
                  .text(QStringLiteral("status")),
              QStringLiteral("1"));

    doubleClick(f.get(), QStringLiteral("11:00"));
    prompts().answers = {MsgAnswer::Yes};
    press(f.get(), "Command9");
    EXPECT_EQ(lastMessage(), QStringLiteral("Confirma o cancelamento do agendamento?"));
    EXPECT_EQ(bookings().recordCount(), 2);
    EXPECT_TRUE(lines(f.get()).contains(QStringLiteral("11:00")));
    EXPECT_FALSE(framed(f.get()));
}

TEST_F(BookingTest, ChangesToABookingCancelledOrAttendedElsewhereMeanwhileAreRefused) {
    const QString attend = QStringLiteral("update agenda_clinica set status = '2' where idlic = ?");
    const QString cancel = QStringLiteral("delete from agenda_clinica where idlic = ?");
    const QString attended = QStringLiteral("ATENDIMENTO JÁ CONFIRMADO!");
    const QString gone = QStringLiteral("--- ERRO --- AGENDAMENTO NÃO ENCONTRADO!");
    // "Salvar" moves the booking to 11:00; the other workstation acts between load and button.
    const struct {
        const char* button;
        QString change, message;
    } cases[] = {{"Command7", cancel, gone},     {"Command7", attend, attended},
                 {"Command9", attend, attended}, {"Command9", cancel, gone},
                 {"Command5", attend, attended}, {"Command5", cancel, gone}};
    auto f = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.message.toStdString());
        db.execute(cancel, {gIdLic});
        addBooking(QStringLiteral("A1"), ana, QStringLiteral("09:00"), QStringLiteral("MARIA"),
                   QStringLiteral("1"), plan.toInt(), maria.toInt());
        db.execute(QStringLiteral("update agenda_clinica set idproc = ? where idlic = ?"),
                   {procedure.toInt(), gIdLic});
        f->CarregaAgenda();
        doubleClick(f.get(), QStringLiteral("09:00"));
        doubleClick(f.get(), QStringLiteral("11:00"));
        combo(f.get(), "cboTP")->setCurrentIndex(0);
        db.execute(c.change, {gIdLic});
        prompts().reset();
        prompts().answers = {MsgAnswer::Yes};
        press(f.get(), c.button);
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
        EXPECT_FALSE(framed(f.get()));
        // The attended booking stays as it was, and the day shows it as it now stands.
        const Recordset stored = bookings();
        EXPECT_EQ(stored.recordCount(), c.change == attend ? 1 : 0);
        if (c.change == attend) {
            EXPECT_EQ(stored.text(QStringLiteral("hr")), QStringLiteral("09:00"));
            EXPECT_EQ(stored.text(QStringLiteral("status")), QStringLiteral("2"));
            const QListWidgetItem* booked = line(f.get(), QStringLiteral("09:00|"));
            ASSERT_NE(booked, nullptr);
            EXPECT_EQ(DayView::field(booked->text(), 5).trimmed(), QStringLiteral("2"));
        } else {
            EXPECT_TRUE(lines(f.get()).contains(QStringLiteral("09:00")));
        }
    }
}

TEST_F(BookingTest, ABookingWithoutAStatusIsSavedNotifiedAndCancelled) {
    const struct {
        const char* button;
        QString message, hour, status; // the stored booking after the button; none when gone
    } cases[] = {
        {"Command7", QStringLiteral("Agendado com sucesso!"), QStringLiteral("11:00"), QString()},
        {"Command5", QStringLiteral("Notificaçao confimada?"), QStringLiteral("09:00"),
         QStringLiteral("1")},
        {"Command9", QStringLiteral("Confirma o cancelamento do agendamento?"), QString(),
         QString()}};
    auto f = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        db.execute(QStringLiteral("delete from agenda_clinica where idlic = ?"), {gIdLic});
        addBooking(QStringLiteral("A1"), ana, QStringLiteral("09:00"), QStringLiteral("MARIA"),
                   QStringLiteral("0"), plan.toInt(), maria.toInt());
        db.execute(QStringLiteral("update agenda_clinica set status = null, idproc = ? where "
                                  "idlic = ?"),
                   {procedure.toInt(), gIdLic});
        f->CarregaAgenda();
        doubleClick(f.get(), QStringLiteral("09:00"));
        doubleClick(f.get(), QStringLiteral("11:00"));
        combo(f.get(), "cboTP")->setCurrentIndex(0);
        prompts().reset();
        prompts().answers = {MsgAnswer::Yes};
        press(f.get(), c.button);
        EXPECT_EQ(lastMessage(), c.message);
        const Recordset stored = bookings();
        ASSERT_EQ(stored.recordCount(), c.hour.isEmpty() ? 0 : 1);
        if (!c.hour.isEmpty()) {
            EXPECT_EQ(stored.text(QStringLiteral("hr")), c.hour);
            EXPECT_EQ(stored.text(QStringLiteral("status")), c.status);
        }
    }
}

TEST_F(BookingTest, LookupsShowMissingValuesAsEmptyAndSearchesFillTheFrame) {
    const QString none = insert(QStringLiteral("pacientes"), {QStringLiteral("nmPac")},
                                {QStringLiteral("SEM PLANO")});
    const QString free = insert(QStringLiteral("convenios"), {QStringLiteral("nmconv")},
                                {QStringLiteral("PARTICULAR")});
    auto f = open();
    doubleClick(f.get(), QStringLiteral("08:00"));
    fillPatient(f.get(), none);
    EXPECT_EQ(box(f.get(), "txtNmPac")->text(), QStringLiteral("SEM PLANO"));
    EXPECT_EQ(box(f.get(), "txtNmConv")->text(), QString());
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("R$ 150,00"));
    typeAndLeave(f.get(), "txtIdConv", free, "txtFone");
    EXPECT_EQ(box(f.get(), "txtNmConv")->text(), QStringLiteral("PARTICULAR"));
    EXPECT_EQ(box(f.get(), "txtVR")->text(), QStringLiteral("R$ 150,00")); // no discount
    fillPatient(f.get(), QStringLiteral("999999"));
    EXPECT_EQ(box(f.get(), "txtNmPac")->text(), QStringLiteral("SEM PLANO"));

    // F2 left with Esc changes nothing; a choice fills the patient.
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(box(f.get(), "txtIdPac")->text(), QStringLiteral("999999"));
    setModalDriver([this](QDialog*) {
        gCodBusca = maria;
        gNomeBusca = QStringLiteral("MARIA D'ÁVILA");
    });
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(box(f.get(), "txtIdPac")->text(), maria);
    EXPECT_EQ(box(f.get(), "txtNmPac")->text(), QStringLiteral("MARIA D'ÁVILA"));
    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
}

} // namespace
} // namespace vtx::test
