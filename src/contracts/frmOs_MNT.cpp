// The contract form: its boxes, keys, load, lookups, save, total and child forms.
#include "frmOs_MNT.h"

#include <QFileInfo>

#include "Clock.h"
#include "ColumnRefusals.h"
#include "ContractTotal.h"
#include "DbError.h"
#include "Desktop.h"
#include "FormBusy.h"
#include "Formats.h"
#include "ListForm.h"
#include "Modal.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "WaitCursor.h"
#include "frmOS_Cronograma.h"
#include "frmOS_Prescricao.h"
#include "frmOS_Procedimentos.h"
#include "frmOs_MNT_p.h"

namespace vtx {

namespace {

const QString kSave = QStringLiteral(
    "update contrato set dtc = ?,cdpac = ?,status = ?,nmresp = ?,foneresp = ?, idconv = ?,"
    "cidade=?,upev=?,cpf=?,rg=?,obs = ?,rua=?,nrcasa=?,email=?,bairro=?,cep=?,uf=?,fonepac=?,"
    "dsaler=?,dsmed=?,dscir=?,taler=?,tmed=?,tcir=?,diagno=?,medresp=? "
    "where idlic = ? and idcontrato = ?");

/// The boxes a change of patient empties, with the patient column that fills them again.
const std::pair<const char*, const char*> kPatientBoxes[] = {
    {"txtCNPJ", "cpf"},      {"txtIE", "rg"},   {"txtRua", "rua"},       {"txtNr", "nrrua"},
    {"txtBairro", "bairro"}, {"txtCep", "cep"}, {"txtCidade", "cidade"}, {"txtUF", "uf"},
};

/// The combo item whose index is the stored digit; any other value leaves none chosen.
void selectByDigit(QComboBox* combo, const QString& digit) {
    const bool isDigit = digit.size() == 1 && digit[0].isDigit();
    const int index = isDigit ? digit.toInt() : -1;
    combo->setCurrentIndex(index < combo->count() ? index : -1);
}

QString firstCharacter(const QComboBox* combo) {
    return combo->currentText().left(1);
}

} // namespace

frmOs_MNT::frmOs_MNT(const QString& contractId, QWidget* parent) : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmOs_MNT"));
    setWindowTitle(QStringLiteral("Ordem de Serviço - Aprovada"));
    buildUi();
    installKeys();
    d->combo("cboSit")->setCurrentIndex(0);
    d->box("txtOsNo")->setText(contractId);
    load();
}

frmOs_MNT::~frmOs_MNT() = default;

void frmOs_MNT::run(const QString& contractId) {
    frmOs_MNT form(contractId);
    showModal(&form);
}

void frmOs_MNT::reset() {
    d->box("txtDt")->setText(Formats::dateText(Clock::today()));
    d->combo("cboSit")->setCurrentIndex(0);
    for (const char* name : {"txtCdCli", "txtNmSol", "txtFone", "txtCdVen"})
        d->box(name)->clear();
    d->txtIA->clear();
}

void frmOs_MNT::load() {
    const QString id = d->text("txtOsNo").trimmed();
    if (id.isEmpty())
        return;
    // The id is the clock and the patient code: thirteen digits or more.
    if (!Formats::isDigitsOnly(id)) {
        errorBox(QStringLiteral("NÚMERO DA O.S. INVÁLIDO!"), MsgIcon::Information);
        d->box("txtOsNo")->setFocus(Qt::OtherFocusReason);
        return;
    }
    ListForm::tryDb([&] {
        Recordset c = conexaoAberta().query(
            QStringLiteral("select * from contrato where idlic = ? and idcontrato = ?"),
            {gIdLic, id});
        if (!c.isEmpty()) {
            const QVariant date = c.value(QStringLiteral("dtc"));
            d->box("txtDt")->setText(Formats::dateTextOf(date));
            // The patient code first: its change empties the identity and address boxes.
            d->loading = true;
            d->box("txtCdCli")->setText(c.text(QStringLiteral("cdpac")));
            d->loading = false;
            selectByDigit(d->combo("cboSit"), c.text(QStringLiteral("status")));
            const std::pair<const char*, const char*> texts[] = {
                {"txtCNPJ", "cpf"},      {"txtIE", "rg"},           {"txtRua", "rua"},
                {"txtNr", "nrcasa"},     {"txtCep", "cep"},         {"txtBairro", "bairro"},
                {"txtCidade", "cidade"}, {"txtUF", "uf"},           {"txtNmSol", "nmresp"},
                {"txtFone", "foneresp"}, {"txtCdVen", "idconv"},    {"txtemail", "email"},
                {"txtDiagno", "diagno"}, {"txtMedResp", "medresp"}, {"Text1", "fonepac"},
            };
            for (const auto& [name, column] : texts)
                d->box(name)->setText(c.text(QString::fromLatin1(column)));
            d->txtIA->setPlainText(c.text(QStringLiteral("obs")));
            for (const Anamnesis& a : kAnamnesis) {
                selectByDigit(d->combo(a.combo), c.text(QString::fromLatin1(a.flagColumn)));
                d->box(a.box)->setText(c.text(QString::fromLatin1(a.textColumn)));
            }
            d->filledPatient = d->text("txtCdCli").trimmed();
        }
    });
    patientCodeLeft();
    TotalizaContrato();
}

void frmOs_MNT::patientCodeChanged() {
    for (const auto& [name, column] : kPatientBoxes)
        d->box(name)->clear();
    d->box("txtNmCli")->clear();
    if (!d->loading)
        d->filledPatient.clear();
}

void frmOs_MNT::patientCodeLeft() {
    const QString code = d->text("txtCdCli").trimmed();
    if (!Formats::isDigitsOnly(code))
        return;
    ListForm::tryDb([&] {
        Recordset p = conexaoAberta().query(
            QStringLiteral("select * from pacientes where idlic = ? and idpac = ?"),
            {gIdLic, code.toLongLong()});
        if (p.isEmpty())
            return;
        d->box("txtNmCli")->setText(p.text(QStringLiteral("nmpac")));
        const QVariant birth = p.value(QStringLiteral("dtnasc"));
        d->box("txtdtnasc")->setText(Formats::dateTextOf(birth));
        // Another patient brings their identity, address and phone, as a new contract does.
        if (d->filledPatient == code)
            return;
        for (const auto& [name, column] : kPatientBoxes)
            d->box(name)->setText(p.text(QString::fromLatin1(column)));
        d->box("Text1")->setText(p.text(QStringLiteral("fonepac")));
        d->filledPatient = code;
    });
}

void frmOs_MNT::planCodeChanged() {
    QLineEdit* name = d->box("txtNmVen");
    const QString code = d->text("txtCdVen").trimmed();
    if (!Formats::isDigitsOnly(code)) {
        name->clear();
        return;
    }
    ListForm::tryDb([&] {
        Recordset plan = conexaoAberta().query(
            QStringLiteral("select * from convenios where idlic = ? and idconv = ?"),
            {gIdLic, code.toLongLong()});
        name->setText(plan.isEmpty() ? QString() : plan.text(QStringLiteral("nmconv")));
    });
}

void frmOs_MNT::save() {
    const std::optional<QDate> date = Formats::parseDate(d->text("txtDt"));
    if (d->text("txtNmVen").trimmed().isEmpty() || !date ||
        d->text("txtNmCli").trimmed().isEmpty() || d->text("txtNmSol").trimmed().isEmpty()) {
        errorBox(QStringLiteral("DADOS INCOMPLETOS!"), MsgIcon::Information);
        return;
    }
    if (!textFits(Columns::contrato::obs, d->txtIA->toPlainText()))
        return;
    const auto text = [this](const char* name) { return d->text(name); };
    const Params values{*date,
                        text("txtCdCli").trimmed().toLongLong(),
                        firstCharacter(d->combo("cboSit")),
                        text("txtNmSol"),
                        text("txtFone"),
                        text("txtCdVen").trimmed().toLongLong(),
                        text("txtCidade"),
                        Formats::auditStamp(QStringLiteral(" ")),
                        text("txtCNPJ"),
                        text("txtIE"),
                        d->txtIA->toPlainText(),
                        text("txtRua"),
                        text("txtNr"),
                        text("txtemail"),
                        text("txtBairro"),
                        text("txtCep"),
                        text("txtUF"),
                        text("Text1"),
                        text("txtAler"),
                        text("txtMed"),
                        text("txtCir"),
                        firstCharacter(d->combo("cboAler")),
                        firstCharacter(d->combo("cboMed")),
                        firstCharacter(d->combo("cboCir")),
                        text("txtDiagno"),
                        text("txtMedResp"),
                        gIdLic,
                        text("txtOsNo")};
    long long changed = 0;
    if (!ListForm::tryDb([&] { changed = conexaoAberta().execute(kSave, values); }))
        return;
    if (changed == 0) {
        // The contract is no longer there: nothing was saved.
        errorBox(QStringLiteral("CÓDIGO NÃO ENCONTRADO!"), MsgIcon::Information);
        return;
    }
    msgBox(QStringLiteral("Salvo com sucesso!"), QStringLiteral("Atenção"), MsgIcon::Information);
}

void frmOs_MNT::TotalizaContrato() {
    WaitCursor wait;
    d->total->setText(Formats::currency(Decimal()));
    ListForm::tryDb([&] { d->total->setText(contractTotalText(d->text("txtOsNo"))); }, &wait);
}

void frmOs_MNT::print() {
    const auto choice =
        inputUntil({QStringLiteral("0 - Simplificada\r\n1 - Detalhada"),
                    QStringLiteral("Impressão"), QStringLiteral("0")},
                   [](const QString& answer) {
                       return answer == QLatin1String("0") || answer == QLatin1String("1");
                   });
    if (!choice)
        return;
    // No contract printout exists: the last document produced opens again.
    FormBusy busy(this);
    if (!gArquivoPDF.isEmpty() && QFileInfo::exists(gArquivoPDF))
        Desktop::openFile(gArquivoPDF);
}

void frmOs_MNT::codeSearch(void (*search)(), const char* codeBox) {
    gCodBusca = QString();
    search();
    const QString code = gCodBusca.toString().trimmed();
    if (Formats::isDigitsOnly(code))
        d->box(codeBox)->setText(code);
    d->box(codeBox)->setFocus(Qt::OtherFocusReason);
}

void frmOs_MNT::openProcedures() {
    frmOS_Procedimentos::run(d->text("txtOsNo"));
    TotalizaContrato();
}

void frmOs_MNT::openSchedule() {
    frmOS_Cronograma::run(d->text("txtOsNo"), d->text("txtCdCli"));
}

void frmOs_MNT::openPrescriptions() {
    gCodBusca = d->text("txtOsNo");
    frmOS_Prescricao::run(d->text("txtOsNo"));
}

} // namespace vtx
