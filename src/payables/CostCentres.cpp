// Names, statements and rights of the cost-centre twins.
#include "CostCentres.h"

#include "SearchDescriptions.h"

namespace vtx::CostCentres {

RegistryTable table(Kind kind) {
    const bool centre = kind == Kind::Centre;
    const QString table = centre ? QStringLiteral("centrocusto") : QStringLiteral("subcentrocusto");
    const QString code = centre ? QStringLiteral("cdcen") : QStringLiteral("cdscen");
    const QString name = centre ? QStringLiteral("nmcen") : QStringLiteral("nmscen");
    RegistryTable t{table,
                    code,
                    name,
                    QStringLiteral("select * from %1 where idlic = ? order by %2").arg(table, name),
                    {{QStringLiteral("NOME"), name}, {QStringLiteral("CÓDIGO"), code}},
                    /*refreshBeforeChange=*/true};
    t.audit = RegistryTable::Audit::LastChangeOnly;
    t.pickOnClick = true;
    return t;
}

SearchDescription search(Kind kind) {
    const SearchIdentity centre{
        "frmBuscaCentroCusto", "Centro de Custos - Pesquisa", "cdcen", "nmcen", "ctpgcadcen",
        "frmCadCentroCusto",   "Centro de Custos - Cadastro"};
    const SearchIdentity sub{"frmBuscaSubCentroCusto",
                             "SubCentro de Custos - Pesquisa",
                             "cdscen",
                             "nmscen",
                             "ctpgcadscen",
                             "frmCadSubCentro",
                             "SubCentro de Custos - Cadastro"};
    const bool isCentre = kind == Kind::Centre;
    SearchDescription d =
        nameOnlySearch(isCentre ? "centrocusto" : "subcentrocusto", "NOME", isCentre ? centre : sub,
                       QStringLiteral("--- Perfil não autorizado!"));
    d.rightFromProfile = true;
    return d;
}

} // namespace vtx::CostCentres
