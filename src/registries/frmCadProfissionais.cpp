// The professional registry: council number, place of work, specialty and fee on top of the
// people registry.
#include "frmCadProfissionais.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "ColumnRefusals.h"
#include "Decimal.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "frmBuscaEspecialidades.h"

namespace vtx {

namespace {

PersonSetup professionals() {
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    PersonSetup setup;
    setup.table = {s("profissionais"), s("idpro"), s("nmpro"),
                   s("select * from profissionais where idlic = ? order by nmpro"),
                   personColumns({s("PROFISSIONAL"), s("nmpro")}, {s("No CONSELHO"), s("nrcon")},
                                 s("fonefixo"), s("idpro"))};
    setup.caption = s("Profissionais");
    setup.landlineColumn = s("fonefixo");
    setup.filterSql =
        s("select * from profissionais where idlic = ? AND nmpro like ? order by nmpro");
    setup.searchTitle = s("Pesquisa profissionais já cadastrado");
    setup.lookup = {s("txtIdEsp"),
                    s("txtNmEsp"),
                    0,
                    s("select * from especialidades where idlic = ? and idesp like ?"),
                    s("idesp"),
                    s("nmesp"),
                    [] { frmBuscaEspecialidades::run(); }};
    return setup;
}

} // namespace

struct frmCadProfissionais::Private {
    QLineEdit* txtNoCon = nullptr;
    QComboBox* cboVM = nullptr;
    QLineEdit* txtVR = nullptr;
};

frmCadProfissionais::frmCadProfissionais(QWidget* parent)
    : PersonForm(professionals(), Columns::profissionais::obs, parent), d(new Private) {
    setObjectName(QStringLiteral("frmCadProfissionais"));
    buildUi();
}

frmCadProfissionais::~frmCadProfissionais() = default;

void frmCadProfissionais::buildUi() {
    d->txtNoCon = newBox(QStringLiteral("txtNoCon"), 30);
    d->cboVM = newCombo(QStringLiteral("cboVM"),
                        {QStringLiteral("0 - CLINICA"), QStringLiteral("1 - HOME"),
                         QStringLiteral("2 - HOME E CLINICA")});
    d->txtVR = newBox(QStringLiteral("txtVR"), 0);
    onLeave(d->txtVR, [this] { feeLeft(); });

    QList<Placement> placements = sharedPlacements();
    placements << Placement{d->txtNoCon, QStringLiteral("No CONSELHO"), {10, rowTop(4), 200, 22}}
               << Placement{d->cboVM, QStringLiteral("CLÍNICA/HOME?"), {220, rowTop(4), 180, 22}}
               << Placement{lookupCode(),
                            QStringLiteral("ESPECIALIDADE - F2 PESQUISA"),
                            {410, rowTop(4), 70, 22}}
               << Placement{lookupName(), {}, {490, rowTop(4), 250, 22}}
               << Placement{d->txtVR, QStringLiteral("Valor"), {750, rowTop(4), 120, 22}}
               << Placement{txtmemo(),
                            QStringLiteral("INFORMAÇÕES ADICIONAIS"),
                            {10, rowTop(5), 860, 60}}
               << Placement{cmdsalva(), {}, {10, 316, 110, 28}}
               << Placement{box(QStringLiteral("txtCdMun")), {}, {520, rowTop(3), 90, 22}}
               << Placement{Command3(), {}, {250, 316, 150, 28}}
               << Placement{cmdretorna(), {}, {130, 316, 110, 28}}
               << Placement{DataGrid1(), {}, {10, 354, 880, 236}};
    layOut(placements, {900, 600});
}

void frmCadProfissionais::feeLeft() {
    if (const auto fee = Formats::parseAmount(d->txtVR->text())) {
        d->txtVR->setText(Formats::currency(*fee));
        return;
    }
    if (refuseTooLong(d->txtVR->text()))
        return;
    msgBox(QStringLiteral("--- ERRO --- VALOR INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
           MsgIcon::Information);
}

void frmCadProfissionais::clearFields() {
    d->txtVR->clear();
    d->txtNoCon->clear();
    d->cboVM->setCurrentIndex(0);
}

void frmCadProfissionais::fillOwn(const Recordset& row) {
    const QVariant fee = row.value(QStringLiteral("valor"));
    d->txtVR->setText(fee.isNull() ? QString() : Formats::currency(fee.value<Decimal>()));
    d->txtNoCon->setText(row.text(QStringLiteral("nrcon")));
    selectByDigit(d->cboVM, row.text(QStringLiteral("vertmex")));
}

bool frmCadProfissionais::ownFilled() const {
    const QString place = d->cboVM->currentText();
    return !place.isEmpty() && place.at(0).isDigit() && Formats::isTypedNumber(d->txtVR->text());
}

bool frmCadProfissionais::checkAfterPhones() {
    if (refuseTooLong(d->txtVR->text()))
        return false;
    return nonNegativeFits(Columns::profissionais::valor, *Formats::parseAmount(d->txtVR->text()),
                           QStringLiteral("VALOR NÃO PODE SER MENOR QUE ZERO!"));
}

RegistryForm::Values frmCadProfissionais::ownValues() const {
    return {{QStringLiteral("valor"),
             QVariant::fromValue(Formats::parseAmount(d->txtVR->text())->rescaled(2))},
            {QStringLiteral("nrcon"), d->txtNoCon->text()},
            {QStringLiteral("vertmex"), d->cboVM->currentText().left(1)}};
}

} // namespace vtx
