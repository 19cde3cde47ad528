// Captions, columns, statements, keys and rights of the registry search dialogs.
#include "SearchDescriptions.h"

namespace vtx {

namespace {

using B = SearchBind;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

const QString kNamePrompt = s("NOME:");
const QString kByName = s("PESQUISA PELO NOME");
const QString kNoRight = s("Perfil sem permissão!");
const QString kNotAuthorised = s("Perfil não autorizado!");

SearchDescription identified(const SearchIdentity& i, const QString& refusal) {
    SearchDescription d;
    d.formName = s(i.formName);
    d.caption = s(i.caption);
    d.codeColumn = s(i.code);
    d.nameColumn = s(i.name);
    d.menuItem = s(i.menuItem);
    d.registrationForm = s(i.registrationForm);
    d.registrationCaption = s(i.registrationCaption);
    d.refusal = refusal;
    return d;
}

} // namespace

SearchDescription nameOnlySearch(const char* table, const char* heading, const SearchIdentity& i,
                                 const QString& refusal) {
    SearchDescription d = identified(i, refusal);
    const QString t = s(table), name = d.nameColumn;
    d.columns = {{s(heading), name}, {s("CÓDIGO"), d.codeColumn}};
    d.gridFont = s("Arial Narrow");
    d.list = {s("select * from %1 where idlic = ? order by %2").arg(t, name), {B::Key}};
    d.filters = {{{Qt::Key_F2, s("Command1"), s("F2 PESQUISA NOME")},
                  kNamePrompt,
                  kByName,
                  {s("select * from %1 where idlic = ? and %2 like ? order by %2").arg(t, name),
                   {B::Key, B::Pattern}}}};
    d.select = {Qt::Key_F10, s("Command5"), s("F10 SELECIONAR")};
    d.newEntry = {Qt::Key_F12, s("Command6"), s("F12 NOVO")};
    return d;
}

namespace {

/// The plan, specialty and procedure dialogs: one table, F2 by name, F10, F12.
SearchDescription nameOnly(const char* table, const char* heading, const SearchIdentity& i) {
    return nameOnlySearch(table, heading, i, kNoRight);
}

/// The patient and professional dialogs: F2 by name, F3 by phone, F10, F12; the phone columns
/// show whole, as in the registries' lists.
SearchDescription person(const SearchIdentity& i, QList<GridColumn> columns, QList<int> phones,
                         SearchStatement list, SearchStatement byName, SearchStatement byPhone) {
    SearchDescription d = identified(i, kNotAuthorised);
    d.columns = std::move(columns);
    d.wholeColumns = std::move(phones);
    d.gridFont = s("MS Sans Serif");
    d.columnShares = {25, 15, 15, 15, 20, 10};
    d.autoResize = true;
    d.list = std::move(list);
    d.filters = {{{Qt::Key_F2, s("Command1"), s("F2 Pesquisa Nome")},
                  kNamePrompt,
                  s("PESQUISA PELO NOME DO PACIENTE"),
                  std::move(byName)},
                 {{Qt::Key_F3, s("Command2"), s("F3 Pesquisa Telefone")},
                  s("TELEFONE:"),
                  s("PESQUISA PELO TELEFONE"),
                  std::move(byPhone)}};
    d.select = {Qt::Key_F10, s("Command3"), s("F10 Seleciona")};
    d.newEntry = {Qt::Key_F12, s("Command4"), s("F12 Novo")};
    return d;
}

} // namespace

SearchDescription planSearch() {
    return nameOnly("convenios", "CONVÊNIO",
                    {"frmBuscaConvenios", "Convênios - Pesquisa", "idconv", "nmconv", "cadConv",
                     "frmCadConvenios", "Convênios - Cadastro"});
}

SearchDescription medicalFieldSearch() {
    return nameOnly("especialidades", "ESPECIALIDADE",
                    {"frmBuscaEspecialidades", "Especialidades - Pesquisa", "idesp", "nmesp",
                     "cadEsp", "frmCadEspecialidade", "Especialidades - Cadastro"});
}

SearchDescription procedureSearch() {
    SearchDescription d =
        nameOnly("procedimentos", "PROCEDIMENTO",
                 {"frmBuscaProcedimentos", "Procedimentos - Pesquisa", "idproc", "nmproc",
                  "cadproc", "frmCadProcedimentos", "Procedimentos - Cadastro"});
    // Only clinic procedures: vertmex is compared with gCodBusca, which the load sets to "0".
    d.list = {s("select * from procedimentos where idlic = ? and vertmex = ? order by nmproc"),
              {B::Key, B::SearchCode}};
    d.filters[0].statement = {s("select * from procedimentos where idlic = ?  and vertmex = ? "
                                "and nmproc like ? order by nmproc"),
                              {B::Key, B::SearchCode, B::Pattern}};
    d.clinicOnly = true;
    return d;
}

SearchDescription patientSearch() {
    return person(
        {"frmBuscaPacientes", "Pacientes - Pesquisa", "idpac", "nmPac", "cadPac", "frmcadcli",
         "Pacientes - Cadastro"},
        {{s("PACIENTE"), s("nmpac")},
         {s("TELEFONE"), s("fonepac")},
         {s("TELEFONE"), s("fonecel")},
         {s("CIDADE"), s("cidade")},
         {s("RESPONSÁVEL"), s("nmresp")},
         {s("TELEFONE"), s("foneresp")}},
        {1, 2, 5}, {s("select * from pacientes where idlic = ? order by nmpac"), {B::Key}},
        {s("select * from pacientes where idlic = ? and nmpac like ? order by nmpac"),
         {B::Key, B::Pattern}},
        {s("select * from pacientes where idlic = ? and (fonepac like ? or fonecel like ? or "
           "foneresp like ?) order by nmpac"),
         {B::Key, B::Pattern, B::Pattern, B::Pattern}});
}

SearchDescription professionalSearch() {
    // Home-care professionals only, with the name of their specialty in the installation.
    const QString select = s(
        "select p.idpro,p.cidade,p.nrcon,p.fonefixo,p.fonecel,p.nmpro,e.nmesp from "
        "profissionais p left join especialidades e on p.idesp like e.idesp and e.idlic = p.idlic "
        "where p.idlic = ?");
    return person(
        {"frmBuscaProf", "Profissionais - Pesquisa", "idpro", "nmpro", "cadProf",
         "frmCadProfissionais", "Profissionais"},
        {{s("PROFISSIONAL"), s("nmpro")},
         {s("TELEFONE"), s("fonefixo")},
         {s("TELEFONE"), s("fonecel")},
         {s("NR CONSELHO"), s("nrcon")},
         {s("ESPECIALIDADE"), s("nmesp")},
         {s("CIDADE"), s("cidade")}},
        {1, 2}, {select + s(" and p.vertmex <> ? order by p.nmpro"), {B::Key, B::Zero}},
        {select + s(" and p.nmpro like ?  and p.vertmex <> ? order by p.nmpro"),
         {B::Key, B::Pattern, B::Zero}},
        {select + s(" and (p.fonefixo like ? or p.fonecel like ?) and p.vertmex <> ? order by "
                    "p.nmpro"),
         {B::Key, B::Pattern, B::Pattern, B::Zero}});
}

SearchDescription supplierSearch() {
    const QString where = s("select * from fornecedores where idlic = ? ");
    auto filter = [](int key, const char* button, const char* caption, const char* prompt,
                     const char* title, const QString& sql, QList<SearchBind> binds) {
        return SearchFilter{{key, s(button), s(caption)}, s(prompt), s(title), {sql, binds}};
    };
    SearchDescription d = identified({"frmBuscaFornecedor", "Pesquisa de Fornecedores", "cdfor",
                                      "nmfor", "cadfor", "frmCadFor", "Fornecedores"},
                                     kNoRight);
    d.columns = {{s("NOME"), s("nmfor")},         {s("APELIDO"), s("nmfant")},
                 {s("CPF/CNPJ"), s("cpf")},       {s("FONE CEL"), s("fonecel")},
                 {s("FONE FIXO"), s("fonefixo")}, {s("CIDADE"), s("cidade")},
                 {s("E-MAIL"), s("email")},       {s("CÓDIGO"), s("cdfor")}};
    d.gridFont = s("Arial Narrow");
    d.list = {where + s("order by nmfor"), {B::Key}};
    d.filters = {filter(Qt::Key_F2, "Command1", "F2 PESQUISA NOME", "NOME:", "PESQUISA PELO NOME",
                        where + s("and nmfor like ? order by nmfor"), {B::Key, B::Pattern}),
                 filter(Qt::Key_F3, "Command4", "F3 PESQUISA APELIDO",
                        "APELIDO:", "PESQUISA PELO APELIDO",
                        where + s("and  nmFANT like ? order by nmFANT"), {B::Key, B::Pattern}),
                 filter(Qt::Key_F4, "Command3", "F4 PESQUISA CPF/CNPJ",
                        "CPF/CNPJ:", "PESQUISA PELO CPF/CNPJ",
                        where + s("and  CPF like ? order by nmfor"), {B::Key, B::Pattern}),
                 filter(Qt::Key_F5, "Command2", "F5 PESQUISA FONE", "FONE:", "PESQUISA PELO FONE",
                        where + s("and (fonefixo like ? or fonecel like ?) order by nmfor"),
                        {B::Key, B::Pattern, B::Pattern})};
    d.select = {Qt::Key_F10, s("Command5"), s("F10 SELECIONAR")};
    d.newEntry = {Qt::Key_F12, s("Command6"), s("F12 NOVO")};
    return d;
}

} // namespace vtx
