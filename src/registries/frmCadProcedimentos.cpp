// The procedure registry: the registry pattern with the clinic-or-home choice.
#include "frmCadProcedimentos.h"

#include <QComboBox>

#include "Recordset.h"

namespace vtx {

namespace {

RegistryTable procedures() {
    return {QStringLiteral("procedimentos"),
            QStringLiteral("idproc"),
            QStringLiteral("nmproc"),
            QStringLiteral("select * from procedimentos where idlic = ? order by nmproc"),
            {{QStringLiteral("PROCEDIMENTO"), QStringLiteral("nmproc")},
             {QStringLiteral("VM"), QStringLiteral("vertmex")},
             {QStringLiteral("CÓDIGO"), QStringLiteral("idproc")},
             {QStringLiteral("ÚLT.OP."), QStringLiteral("evup")}}};
}

} // namespace

struct frmCadProcedimentos::Private {
    QComboBox* cboVM = nullptr;
};

frmCadProcedimentos::frmCadProcedimentos(QWidget* parent)
    : RegistryForm(procedures(), QStringLiteral("Procedimentos - Cadastro"), parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmCadProcedimentos"));
    buildUi();
    start();
}

frmCadProcedimentos::~frmCadProcedimentos() = default;

void frmCadProcedimentos::buildUi() {
    d->cboVM = new QComboBox(this);
    d->cboVM->setObjectName(QStringLiteral("cboVM"));
    d->cboVM->addItems({QStringLiteral("0 - Clinica"), QStringLiteral("1 - Home")});
    d->cboVM->setCurrentIndex(-1);
    layOutSimple(QStringLiteral("PROCEDIMENTO"), {{QStringLiteral("LOCAL?"), d->cboVM}});
}

void frmCadProcedimentos::fillFields(const Recordset& row) {
    RegistryForm::fillFields(row);
    const QString flag = row.text(QStringLiteral("vertmex"));
    bool digit = false;
    const int index = flag.toInt(&digit);
    d->cboVM->setCurrentIndex(digit && index < d->cboVM->count() ? index : -1);
}

bool frmCadProcedimentos::fieldsFilled() const {
    const QString text = d->cboVM->currentText();
    return !text.isEmpty() && text.at(0).isDigit();
}

RegistryForm::Values frmCadProcedimentos::rowValues(bool inserting) const {
    return standardValues(inserting, {{QStringLiteral("vertmex"), d->cboVM->currentText().left(1)}},
                          {});
}

} // namespace vtx
