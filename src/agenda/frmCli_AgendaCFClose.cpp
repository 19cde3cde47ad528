// The attendance dialog's lines and payments, their totals and the closing of the attendance.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "Attendances.h"
#include "ColumnRefusals.h"
#include "DbError.h"
#include "Formats.h"
#include "Prompter.h"
#include "Session.h"
#include "StaleBooking.h"
#include "WaitCursor.h"
#include "frmCli_AgendaCF_p.h"

namespace vtx {

void frmCli_AgendaCF::Command2_Click() {
    const std::optional<Decimal> value = Formats::parseAmount(d->txtVR->text());
    // A quantity is checked as its column keeps it.
    std::optional<Decimal> count = Formats::parseAmount(d->txtQt->text());
    if (count)
        count = Columns::atendimentos::qtde.rounded(*count);
    if (refuseTooLong(d->txtVR->text()) || refuseTooLong(d->txtQt->text()))
        return;
    if (d->txtNmProc->text().trimmed().isEmpty() || d->txtNmConv->text().trimmed().isEmpty() ||
        !value || !count) {
        errorBox(QStringLiteral("DADOS INVÁLIDOS!"), MsgIcon::Information);
        return;
    }
    if (value->isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR NÃO PODE SER MENOR QUE ZERO!"),
               QStringLiteral("Atenção"), MsgIcon::Exclamation);
        return;
    }
    if (count->isNegative() || count->isZero()) {
        errorBox(QStringLiteral("QTDE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
                 MsgIcon::Exclamation);
        return;
    }
    if (!valuesFit({{Columns::atendimentos::qtde, *count},
                    {Columns::atendimentos::valor, value->rescaled(2)}}))
        return;
    const ProcedureLine line{d->txtNmProc->text(),
                             d->txtQt->text().trimmed(),
                             *count,
                             value->rescaled(2),
                             d->txtNmConv->text(),
                             d->txtIdConv->text().trimmed(),
                             d->txtIdProc->text().trimmed()};
    std::vector<ProcedureLine> lines = d->procedures;
    lines.push_back(line);
    // An amount past what the totals can hold counts as an invalid one.
    if (!AttendanceLines::totals(lines, d->payments)) {
        errorBox(QStringLiteral("DADOS INVÁLIDOS!"), MsgIcon::Information);
        return;
    }
    d->procedures = std::move(lines);
    d->List1->addItem(AttendanceLines::procedureText(line));
    for (QLineEdit* box : {d->txtIdProc, d->txtNmProc, d->txtQt, d->txtVR})
        box->clear();
    AtualizaTotais();
    d->txtIdProc->setFocus();
}

void frmCli_AgendaCF::cboMP_Click(int index) {
    d->lMP->setText(d->cboMP->itemText(index));
    d->txtVrMp->clear();
    d->txtobs->clear();
    d->cboMP->setEnabled(false);
    d->Command1->setEnabled(false);
    setEntryEnabled(false);
    d->frmMPP->raise();
    d->frmMPP->show();
    d->txtVrMp->setFocus();
}

void frmCli_AgendaCF::Command16_Click() {
    if (refuseTooLong(d->txtVrMp->text()))
        return;
    const std::optional<Decimal> amount = Formats::parseAmount(d->txtVrMp->text());
    std::vector<PaymentLine> payments = d->payments;
    if (amount && !amount->isNegative() && !amount->isZero()) {
        if (!valuesFit({{Columns::atendimento_finan::valor, amount->rescaled(2)}}))
            return;
        payments.push_back({d->lMP->text(), amount->rescaled(2), d->txtobs->text()});
    }
    if (payments.size() == d->payments.size() ||
        !AttendanceLines::totals(d->procedures, payments)) {
        errorBox(QStringLiteral("VALOR INVÁLIDO!"), MsgIcon::Information);
        return;
    }
    d->payments = std::move(payments);
    d->List2->addItem(AttendanceLines::paymentText(d->payments.back()));
    Command17_Click();
}

void frmCli_AgendaCF::Command17_Click() {
    d->frmMPP->hide();
    d->cboMP->setEnabled(true);
    setEntryEnabled(true);
    AtualizaTotais();
}

void frmCli_AgendaCF::setEntryEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{d->Command2, d->List1, d->List2, d->txtIdProc,
                                                      d->txtIdConv})
        w->setEnabled(enabled);
}

void frmCli_AgendaCF::removeLine(QListWidget* list, int row) {
    if (row < 0 || msgBox(QStringLiteral("Estorna?"), QStringLiteral("Atenção"), MsgIcon::Question,
                          MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    delete list->takeItem(row);
    if (list == d->List1)
        d->procedures.erase(d->procedures.begin() + row);
    else
        d->payments.erase(d->payments.begin() + row);
    AtualizaTotais();
}

void frmCli_AgendaCF::AtualizaTotais() {
    d->List3->clear();
    d->Command1->setEnabled(!d->procedures.empty());
    // Every line was taken only when the totals could hold it.
    d->totals = AttendanceLines::totals(d->procedures, d->payments).value_or(AttendanceTotals());
    d->List3->addItems(AttendanceLines::totalsText(d->totals));
}

void frmCli_AgendaCF::Command1_Click() {
    if (msgBox(QStringLiteral("Confirma?"), QStringLiteral("Atenção"), MsgIcon::Question,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    if (d->totals.missing() > Decimal()) {
        errorBox(QStringLiteral("VALOR TOTAL RECEBIDO INFERIOR AO TOTAL A PAGAR!"),
                 MsgIcon::Exclamation);
        return;
    }
    d->Command1->setEnabled(false);
    WaitCursor wait;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    setEntryEnabled(false);

    const AttendedBooking booking{d->booking.idagenda,
                                  Formats::parseDate(d->booking.dt).value_or(QDate()),
                                  d->booking.hr, d->booking.idprof, d->booking.idpac};
    Attendances::Closing closing;
    try {
        closing = Attendances::close(conexaoAberta(), booking, d->procedures, d->payments);
    } catch (const DbError& error) {
        // Nothing was written: the lines stay for another try.
        wait.done();
        errorBox(error.message());
        setEntryEnabled(true);
        AtualizaTotais();
        return;
    }
    wait.done();
    if (closing == Attendances::Closing::Written) {
        gConfirma = QStringLiteral("S");
        d->outcome = Outcome::Closed;
        accept();
        return;
    }
    reportStale(closing == Attendances::Closing::AlreadyAttended  ? StaleBooking::Attended
                : closing == Attendances::Closing::BookingMissing ? StaleBooking::Gone
                                                                  : StaleBooking::Changed);
    d->outcome = Outcome::Stale;
    reject();
}

} // namespace vtx
