// The cost-centre registry: the registry pattern with the name alone.
#include "frmCadCentroCusto.h"

#include <QLineEdit>

#include "CostCentres.h"

namespace vtx {

frmCadCentroCusto::frmCadCentroCusto(QWidget* parent)
    : RegistryForm(CostCentres::table(CostCentres::Kind::Centre),
                   QStringLiteral("Centro de Custos - Cadastro"), parent) {
    setObjectName(QStringLiteral("frmCadCentroCusto"));
    txtcodcli()->setMaxLength(6);
    layOutSimple(QStringLiteral("NOME"), {});
    start();
}

frmCadCentroCusto::~frmCadCentroCusto() = default;

} // namespace vtx
