// The registry of medical fields: the registry pattern with the name alone.
#include "frmCadEspecialidade.h"

#include <QLineEdit>
#include <QPushButton>

namespace vtx {

namespace {

RegistryTable medicalFields() {
    return {QStringLiteral("especialidades"),
            QStringLiteral("idesp"),
            QStringLiteral("nmesp"),
            QStringLiteral("select * from especialidades where idlic = ? order by nmesp"),
            {{QStringLiteral("ESPECIALIDADE"), QStringLiteral("nmesp")},
             {QStringLiteral("CÓDIGO"), QStringLiteral("idesp")},
             {QStringLiteral("ÚLT.OP."), QStringLiteral("evup")}}};
}

} // namespace

frmCadEspecialidade::frmCadEspecialidade(QWidget* parent)
    : RegistryForm(medicalFields(), QStringLiteral("Especialidades - Cadastro"), parent) {
    setObjectName(QStringLiteral("frmCadEspecialidade"));
    layOutSimple(QStringLiteral("ESPECIALIDADE"), {});
    // Here EXCLUIR comes before LIMPA.
    setTabOrder(cmdsalva(), Command1());
    setTabOrder(Command1(), cmdretorna());
    start();
}

frmCadEspecialidade::~frmCadEspecialidade() = default;

} // namespace vtx
