// The sub-cost-centre registry: the registry pattern with the name alone.
#include "frmCadSubCentro.h"

#include <QLineEdit>
#include <QPushButton>

#include "CostCentres.h"

namespace vtx {

frmCadSubCentro::frmCadSubCentro(QWidget* parent)
    : RegistryForm(CostCentres::table(CostCentres::Kind::SubCentre),
                   QStringLiteral("SubCentro de Custos - Cadastro"), parent) {
    setObjectName(QStringLiteral("frmCadSubCentro"));
    txtcodcli()->setMaxLength(6);
    layOutSimple(QStringLiteral("NOME"), {});
    // Here EXCLUIR comes before LIMPA.
    setTabOrder(cmdsalva(), Command1());
    setTabOrder(Command1(), cmdretorna());
    start();
}

frmCadSubCentro::~frmCadSubCentro() = default;

} // namespace vtx
