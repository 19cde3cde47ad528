// The plan registry: the registry pattern with the discount box.
#include "frmCadConvenios.h"

#include <QLineEdit>

#include "ColumnRefusals.h"
#include "Decimal.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Recordset.h"

namespace vtx {

namespace {

RegistryTable plans() {
    auto twoDecimals = [](const QVariant& v) {
        return v.isNull() ? QString()
                          : Formats::amountText(v.value<Decimal>(), 2).remove(QLatin1Char('.'));
    };
    return {QStringLiteral("convenios"),
            QStringLiteral("idconv"),
            QStringLiteral("nmconv"),
            QStringLiteral("select * from convenios where idlic = ? order by nmconv"),
            {{QStringLiteral("CONVÊNIO"), QStringLiteral("nmconv")},
             {QStringLiteral("% DESC."), QStringLiteral("pdesc"), twoDecimals},
             {QStringLiteral("CÓDIGO"), QStringLiteral("idconv")},
             {QStringLiteral("ÚLT.OP."), QStringLiteral("evup")}},
            /*refreshBeforeChange=*/true};
}

/// The typed discount, read as every amount box reads it ("7,25", "7.25", "1.000,5").
std::optional<Decimal> discountOf(const QString& text) {
    return Formats::parseAmount(text);
}

} // namespace

struct frmCadConvenios::Private {
    QLineEdit* txtPDesc = nullptr;
};

frmCadConvenios::frmCadConvenios(QWidget* parent)
    : RegistryForm(plans(), QStringLiteral("Convênios - Cadastro"), parent), d(new Private) {
    setObjectName(QStringLiteral("frmCadConvenios"));
    buildUi();
    start();
}

frmCadConvenios::~frmCadConvenios() = default;

void frmCadConvenios::buildUi() {
    d->txtPDesc = new QLineEdit(this);
    d->txtPDesc->setObjectName(QStringLiteral("txtPDesc"));
    d->txtPDesc->setMaximumWidth(90);
    layOutSimple(QStringLiteral("CONVÊNIO"), {{QStringLiteral("% DESC."), d->txtPDesc}});
}

void frmCadConvenios::clearFields() {
    d->txtPDesc->clear();
}

void frmCadConvenios::fillFields(const Recordset& row) {
    RegistryForm::fillFields(row);
    const QVariant discount = row.value(QStringLiteral("pdesc"));
    d->txtPDesc->setText(discount.isNull() ? QString()
                                           : Formats::amountText(discount.value<Decimal>(), 2));
}

bool frmCadConvenios::fieldsFilled() const {
    return Formats::isTypedNumber(d->txtPDesc->text());
}

bool frmCadConvenios::checkFields() {
    if (refuseTooLong(d->txtPDesc->text()))
        return false;
    return nonNegativeFits(Columns::convenios::pdesc, *discountOf(d->txtPDesc->text()),
                           QStringLiteral("PERCENTUAL DE DESCONTO NÃO PODE SER MENOR QUE ZERO!"));
}

RegistryForm::Values frmCadConvenios::rowValues(bool inserting) const {
    const Decimal discount = discountOf(d->txtPDesc->text())->rescaled(2);
    return standardValues(inserting, {},
                          {{QStringLiteral("pdesc"), QVariant::fromValue(discount)}});
}

} // namespace vtx
