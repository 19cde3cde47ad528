// The supply group registry: the registry pattern with the description alone.
#include "frmCadGrupoEstoque.h"

#include <QLineEdit>
#include <QPushButton>

namespace vtx {

namespace {

RegistryTable groups() {
    RegistryTable table{
        QStringLiteral("grupoestoque"),
        QStringLiteral("cdgrupo"),
        QStringLiteral("dsgrupo"),
        QStringLiteral("select * from grupoestoque where idlic = ?   order by dsgrupo"),
        {{QStringLiteral("NOME"), QStringLiteral("dsgrupo")},
         {QStringLiteral("CÓDIGO"), QStringLiteral("cdgrupo")}},
        /*refreshBeforeChange=*/true};
    table.pickOnClick = true;
    table.stampSeparator = QStringLiteral(" ");
    return table;
}

} // namespace

frmCadGrupoEstoque::frmCadGrupoEstoque(QWidget* parent)
    : RegistryForm(groups(), QStringLiteral("Cadastro Grupo de Insumos"), parent) {
    setObjectName(QStringLiteral("frmCadGrupoEstoque"));
    txtcodcli()->setMaxLength(6);
    txtnome()->setMaxLength(20);
    layOutSimple(QStringLiteral("NOME"), {});
    // EXCLUIR comes before LIMPA.
    setTabOrder(cmdsalva(), Command1());
    setTabOrder(Command1(), cmdretorna());
    start();
}

frmCadGrupoEstoque::~frmCadGrupoEstoque() = default;

} // namespace vtx
