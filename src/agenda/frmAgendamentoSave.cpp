// The booking frame's writes: saving with its checks, the notification and the cancellation.
#include <QComboBox>
#include <QLineEdit>

#include "Bookings.h"
#include "Clock.h"
#include "ColumnRefusals.h"
#include "Connection.h"
#include "Formats.h"
#include "Prompter.h"
#include "Session.h"
#include "StaleBooking.h"
#include "frmAgendamento_p.h"
#include "frmCli_AgendaCF.h"

namespace vtx {

namespace {

const QString kConflict = QStringLiteral(
    "--- PACIENTE JÁ POSSUI AGENDA NESSA MESMA DATA E HORÁRIO COM OUTRO PROFISSIONAL!");

qlonglong procedureCode(const QComboBox* cboTP) {
    const int i = cboTP->currentIndex();
    return i < 0 ? 0 : cboTP->itemData(i).toLongLong();
}

bool startsWithDigit(const QString& text) {
    return !text.isEmpty() && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
}

/// Whether the booking that a change no longer matched was attended meanwhile (else it is gone).
bool attendedNow(Connection& db, const QString& key) {
    const std::optional<Booking> now = Bookings::load(db, key);
    return now && now->status.trimmed() == QLatin1String("2");
}

StaleBooking staleOf(bool attended) {
    return attended ? StaleBooking::Attended : StaleBooking::Gone;
}

/// Asks the question, No the default; on Yes runs the change of the loaded booking of the key,
/// reporting a failure, and says why a booking that the change did not find as loaded was left
/// as it is. False when the change was not confirmed or failed.
bool changeConfirmed(const QString& question, const QString& key,
                     const std::function<bool(Connection&)>& change) {
    if (msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
               MsgDefault::Second) != MsgAnswer::Yes)
        return false;
    std::optional<bool> attended; // set when the booking was left as it is
    if (!reportingDbErrors([&] {
            Connection& db = conexaoAberta();
            Transaction transaction(db);
            if (!change(db))
                attended = attendedNow(db, key);
            transaction.commit();
        }))
        return false;
    if (attended)
        reportStale(staleOf(*attended));
    return true;
}

} // namespace

bool frmAgendamento::checkFields() {
    const bool incomplete =
        !Formats::parseDate(d->txtDT->text()) || !startsWithDigit(d->cboMobEsp->currentText()) ||
        d->txtNmPac->text().trimmed().isEmpty() || !codeIn(d->txtIdPac) || !codeIn(d->txtIdConv) ||
        d->txtNmConv->text().trimmed().isEmpty() || !Formats::isTypedNumber(d->txtVR->text()) ||
        d->txtFone->text().trimmed().isEmpty();
    if (incomplete) {
        errorBox(QStringLiteral("DADOS INCOMPLETOS!"), MsgIcon::Information);
        return false;
    }
    if (procedureCode(d->cboTP) == 0) {
        errorBox(QStringLiteral("SELECIONA UM PROCEDIMENTO!"), MsgIcon::Information);
        return false;
    }
    if (*Formats::parseDate(d->txtDT->text()) < Clock::today()) {
        errorBox(QStringLiteral("DATA DO AGENDAMENTO ANTERIOR A DATA ATUAL!"), MsgIcon::Critical);
        return false;
    }
    if (refuseTooLong(d->txtVR->text()))
        return false;
    return valuesFit({{Columns::agenda_clinica::valor, *Formats::parseAmount(d->txtVR->text())}});
}

Booking frmAgendamento::fieldsBooking(qlonglong professional) const {
    Booking b;
    b.idagenda = d->txtIdAgenda->text().trimmed();
    b.fone = d->txtFone->text();
    b.idpro = professional;
    b.idesp = d->window.professional().specialty;
    b.idconv = *codeIn(d->txtIdConv);
    b.idpac = *codeIn(d->txtIdPac);
    b.nmpac = d->txtNmPac->text();
    // The day its checks tested, also for a new booking.
    b.dia = *Formats::parseDate(d->txtDT->text());
    b.hr = b.idagenda.isEmpty() ? d->txtHR->text().left(5) : d->txtHR->text();
    b.obs = d->txtObs->text();
    b.idproc = procedureCode(d->cboTP);
    b.valor = Formats::parseAmount(d->txtVR->text());
    b.mobesp = d->cboMobEsp->currentText();
    b.vertmex = d->cboOnde->currentText().left(1);
    return b;
}

frmAgendamento::Written frmAgendamento::write(const Booking& booking) {
    Written written = Written::Saved;
    if (!reportingDbErrors([&] {
            Connection& db = conexaoAberta();
            Transaction transaction(db);
            if (booking.idagenda.isEmpty())
                Bookings::insert(db, booking);
            else if (!Bookings::update(db, booking))
                written = attendedNow(db, booking.idagenda) ? Written::Attended : Written::Gone;
            transaction.commit();
        }))
        return Written::Failed;
    return written;
}

void frmAgendamento::Command7_Click() {
    if (!checkFields())
        return;
    // A home booking belongs to no professional.
    const qlonglong professional =
        d->cboOnde->currentText().startsWith(QLatin1Char('1')) ? 0 : d->window.professional().id;
    const Booking booking = fieldsBooking(professional);
    bool conflict = false;
    if (!reportingDbErrors([&] {
            conflict = booking.idpac.toLongLong() != 0 &&
                       Bookings::conflicts(conexaoAberta(), booking.dia, d->txtHR->text(),
                                           booking.idpac, professional);
        }))
        return;
    if (conflict) {
        msgBox(kConflict, QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
        return;
    }
    const Written written = write(booking);
    switch (written) {
    case Written::Failed:
        return;
    case Written::Gone:
    case Written::Attended:
        reportStale(staleOf(written == Written::Attended));
        break;
    case Written::Saved:
        msgBox(QStringLiteral("Agendado com sucesso!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
        break;
    }
    Command8_Click();
    d->window.rebuild();
}

void frmAgendamento::Command5_Click() {
    const QString key = d->txtIdAgenda->text();
    if (!changeConfirmed(QStringLiteral("Notificaçao confimada?"), key,
                         [&](Connection& db) { return Bookings::confirmNotification(db, key); }))
        return;
    d->window.rebuild();
    Command8_Click();
}

void frmAgendamento::Command9_Click() {
    const QString key = d->txtIdAgenda->text();
    if (!changeConfirmed(QStringLiteral("Confirma o cancelamento do agendamento?"), key,
                         [&](Connection& db) { return Bookings::remove(db, key); }))
        return;
    d->window.rebuild();
    Command8_Click();
}

void frmAgendamento::Command4_Click() {
    // "Confirmar" is enabled only while a stored booking is loaded.
    if (!d->stored)
        return;
    const Booking& stored = *d->stored;
    const CurrentProfessional professional = d->window.professional();
    const int procedure = d->cboTP->currentIndex();
    // The booking's day, hour, patient and professional as stored, not a move or another
    // patient left unsaved on the frame: the attendance closes the booking that was loaded.
    const AttendanceHandover booking{
        stored.idpac.toString(),
        stored.nmpac,
        d->txtIdAgenda->text(),
        professional.item,
        QString::number(stored.idpro),
        Formats::dateText(stored.dia),
        stored.hr,
        procedure < 0 ? QString() : d->cboTP->itemData(procedure).toString(),
        procedure < 0 ? QString() : d->cboTP->itemData(procedure, kProcedureNameRole).toString(),
        d->txtVR->text(),
        d->txtIdConv->text(),
        d->txtNmConv->text()};
    gConfirma = QStringLiteral("N");
    const frmCli_AgendaCF::Outcome outcome = frmCli_AgendaCF::run(booking);
    // A booking attended, deleted or changed elsewhere meanwhile is shown as it now stands, too.
    if (gConfirma == QLatin1String("S") || outcome == frmCli_AgendaCF::Outcome::Stale) {
        d->window.rebuild();
        Command8_Click();
    }
    gConfirma.clear();
}

} // namespace vtx
