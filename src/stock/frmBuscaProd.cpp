// The supply search dialog: the name-only search over produtos, with F5 for a new supply, no
// Enter as Tab, and only the code handed back.
#include "frmBuscaProd.h"

#include "SearchDescriptions.h"

namespace vtx {

namespace {

SearchDescription supplySearch() {
    SearchDescription d = nameOnlySearch("produtos", "NOME",
                                         {"frmBuscaProd", "Insumos - Pesquisa", "cdpro", "dspro",
                                          "cadinsi", "frmCadProduto", "Cadastro de Isnumos"},
                                         QStringLiteral("Perfil sem permissão!"));
    d.columns.insert(1, {QStringLiteral("UN"), QStringLiteral("un")});
    d.newEntry = {Qt::Key_F5, QStringLiteral("Command2"), QStringLiteral("F5 NOVO INSUMO")};
    d.enterAsTab = false;
    d.selectSetsName = false;
    return d;
}

} // namespace

frmBuscaProd::frmBuscaProd(QWidget* parent) : SearchDialog(supplySearch(), parent) {}

frmBuscaProd::~frmBuscaProd() = default;

void frmBuscaProd::run() {
    runModal<frmBuscaProd>();
}

} // namespace vtx
