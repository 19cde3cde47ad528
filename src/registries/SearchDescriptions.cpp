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

/// The plan, specialty and procedure dialogs: one table, F2 by name, F10, F12.
SearchDescription nameOnly(const QString& table, const QString& code, const QString& name,
                           const QString& heading) {
    SearchDescription d;
    d.columns = {{heading, name}, {s("CÓDIGO"), code}};
    d.gridFont = s("Arial Narrow");
    d.list = {s("select * from %1 where idlic = ? order by %2").arg(table, name), {B::Key}};
    d.filters = {{{Qt::Key_F2, s("Command1"), s("F2 PESQUISA NOME")},
                  kNamePrompt,
                  kByName,
                  {s("select * from %1 where idlic = ? and %2 like ? order by %2").arg(table, name),
                   {B::Key, B::Pattern}}}};
    d.select = {Qt::Key_F10, s("Command5"), s("F10 SELECIONAR")};
    d.newEntry = {Qt::Key_F12, s("Command6"), s("F12 NOVO")};
    d.codeColumn = code;
    d.nameColumn = name;
    d.refusal = kNoRight;
    return d;
}

/// The patient and professional dialogs: F2 by name, F3 by phone, F10, F12.
void personKeys(SearchDescription& d, const SearchStatement& byName,
                const SearchStatement& byPhone) {
    d.gridFont = s("MS Sans Serif");
    d.columnShares = {25, 15, 15, 15, 20, 10};
    d.filters = {{{Qt::Key_F2, s("Command1"), s("F2 Pesquisa Nome")},
                  kNamePrompt,
                  s("PESQUISA PELO NOME DO PACIENTE"),
                  byName},
                 {{Qt::Key_F3, s("Command2"), s("F3 Pesquisa Telefone")},
                  s("TELEFONE:"),
                  s("PESQUISA PELO TELEFONE"),
                  byPhone}};
    d.select = {Qt::Key_F10, s("Command3"), s("F10 Seleciona")};
    d.newEntry = {Qt::Key_F12, s("Command4"), s("F12 Novo")};
    d.refusal = kNotAuthorised;
}

} // namespace

SearchDescription planSearch() {
    SearchDescription d = nameOnly(s("convenios"), s("idconv"), s("nmconv"), s("CONVÊNIO"));
    d.formName = s("frmBuscaConvenios");
    d.caption = s("Convênios - Pesquisa");
    d.menuItem = s("cadConv");
    d.registrationForm = s("frmCadConvenios");
    d.registrationCaption = s("Convênios - Cadastro");
    return d;
}

SearchDescription specialtySearch() {
    SearchDescription d = nameOnly(s("especialidades"), s("idesp"), s("nmesp"), s("ESPECIALIDADE"));
    d.formName = s("frmBuscaEspecialidades");
    d.caption = s("Especialidades - Pesquisa");
    d.menuItem = s("cadEsp");
    d.registrationForm = s("frmCadEspecialidade");
    d.registrationCaption = s("Especialidades - Cadastro");
    return d;
}

SearchDescription procedureSearch() {
    SearchDescription d = nameOnly(s("procedimentos"), s("idproc"), s("nmproc"), s("PROCEDIMENTO"));
    d.formName = s("frmBuscaProcedimentos");
    d.caption = s("Procedimentos - Pesquisa");
    d.list = {s("select * from procedimentos where idlic = ? and vertmex = ? order by nmproc"),
              {B::Key, B::SearchCode}};
    d.filters[0].statement = {s("select * from procedimentos where idlic = ?  and vertmex = ? "
                                "and nmproc like ? order by nmproc"),
                              {B::Key, B::SearchCode, B::Pattern}};
    d.menuItem = s("cadproc");
    d.registrationForm = s("frmCadProcedimentos");
    d.registrationCaption = s("Procedimentos - Cadastro");
    d.clinicOnly = true;
    return d;
}

SearchDescription patientSearch() {
    SearchDescription d;
    d.formName = s("frmBuscaPacientes");
    d.caption = s("Pacientes - Pesquisa");
    d.columns = {{s("PACIENTE"), s("nmpac")},     {s("TELEFONE"), s("fonepac")},
                 {s("TELEFONE"), s("fonecel")},   {s("CIDADE"), s("cidade")},
                 {s("RESPONSÁVEL"), s("nmresp")}, {s("TELEFONE"), s("foneresp")}};
    d.list = {s("select * from pacientes where idlic = ? order by nmpac"), {B::Key}};
    personKeys(d,
               {s("select * from pacientes where idlic = ? and nmpac like ? order by nmpac"),
                {B::Key, B::Pattern}},
               {s("select * from pacientes where idlic = ? and (fonepac like ? or fonecel like ? "
                  "or foneresp like ?) order by nmpac"),
                {B::Key, B::Pattern, B::Pattern, B::Pattern}});
    d.codeColumn = s("idpac");
    d.nameColumn = s("nmPac");
    d.menuItem = s("cadPac");
    d.registrationForm = s("frmcadcli");
    d.registrationCaption = s("Pacientes - Cadastro");
    return d;
}

SearchDescription professionalSearch() {
    const QString select =
        s("select p.idpro,p.cidade,p.nrcon,p.fonefixo,p.fonecel,p.nmpro,e.nmesp from "
          "profissionais p left join especialidades e on p.idesp like e.idesp where p.idlic = ?");
    SearchDescription d;
    d.formName = s("frmBuscaProf");
    d.caption = s("Profissionais - Pesquisa");
    d.columns = {{s("PROFISSIONAL"), s("nmpro")},  {s("TELEFONE"), s("fonefixo")},
                 {s("TELEFONE"), s("fonecel")},    {s("NR CONSELHO"), s("nrcon")},
                 {s("ESPECIALIDADE"), s("nmesp")}, {s("CIDADE"), s("cidade")}};
    d.list = {select + s(" and p.vertmex <> ? order by p.nmpro"), {B::Key, B::Zero}};
    personKeys(d,
               {select + s(" and p.nmpro like ?  and p.vertmex <> ? order by p.nmpro"),
                {B::Key, B::Pattern, B::Zero}},
               {select + s(" and (p.fonefixo like ? or p.fonecel like ?) and p.vertmex <> ? "
                           "order by p.nmpro"),
                {B::Key, B::Pattern, B::Pattern, B::Zero}});
    d.codeColumn = s("idpro");
    d.nameColumn = s("nmpro");
    d.menuItem = s("cadProf");
    d.registrationForm = s("frmCadProfissionais");
    d.registrationCaption = s("Profissionais");
    return d;
}

SearchDescription supplierSearch() {
    const QString where = s("select * from fornecedores where idlic = ? ");
    auto filter = [](int key, const char* button, const char* caption, const char* prompt,
                     const char* title, const QString& sql, QList<SearchBind> binds) {
        return SearchFilter{{key, s(button), s(caption)}, s(prompt), s(title), {sql, binds}};
    };
    SearchDescription d;
    d.formName = s("frmBuscaFornecedor");
    d.caption = s("Pesquisa de Fornecedores");
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
    d.codeColumn = s("cdfor");
    d.nameColumn = s("nmfor");
    d.menuItem = s("cadfor");
    d.registrationForm = s("frmCadFor");
    d.registrationCaption = s("Fornecedores");
    d.refusal = kNoRight;
    return d;
}

} // namespace vtx
