// The supply group search dialog: the registries' name-only search over grupoestoque.
#include "frmBuscaGrupo.h"

#include "SearchDescriptions.h"

namespace vtx {

namespace {

SearchDescription groupSearch() {
    return nameOnlySearch("grupoestoque", "NOME",
                          {"frmBuscaGrupo", "Pesquisa Grupo de Estoque", "cdgrupo", "dsgrupo",
                           "cadgru", "frmCadGrupoEstoque", "Cadastro Grupo de Insumos"},
                          QStringLiteral("Perfil sem permissão!"));
}

} // namespace

frmBuscaGrupo::frmBuscaGrupo(QWidget* parent) : SearchDialog(groupSearch(), parent) {}

frmBuscaGrupo::~frmBuscaGrupo() = default;

void frmBuscaGrupo::run() {
    runModal<frmBuscaGrupo>();
}

} // namespace vtx
