// The main window's menu tree as data.
#include "MenuTable.h"

namespace vtx {

namespace {

constexpr MenuEntry kMenu[] = {
    {"mnuCad", "Cadastros", "", 0, "", ""},
    {"cadConv", "Convênios", "mnuCad", 1, "frmCadConvenios", "Convênios - Cadastro"},
    {"cadEsp", "Especialidades", "mnuCad", 1, "frmCadEspecialidade", "Especialidades - Cadastro"},
    {"cadFer", "Feriados", "mnuCad", 1, "frmCadFeriados", "Calendário de Feriados"},
    {"cadfor", "Fornecedores", "mnuCad", 1, "frmCadFor", "Fornecedores"},
    {"cadgru", "Grupos de Insumos", "mnuCad", 1, "frmCadGrupoEstoque", "Cadastro Grupo de Insumos"},
    {"cadHor", "Horários", "mnuCad", 1, "frmCadHorarios",
     "Disponibilidade de Horários dos Profissionais"},
    {"cadinsi", "Insumos", "mnuCad", 1, "frmCadProduto", "Cadastro de Isnumos"},
    {"cadPac", "Pacientes", "mnuCad", 1, "frmcadcli", "Pacientes - Cadastro"},
    {"cadproc", "Procedimentos", "mnuCad", 1, "frmCadProcedimentos", "Procedimentos - Cadastro"},
    {"cadProf", "Profissionais", "mnuCad", 1, "frmCadProfissionais", "Profissionais"},
    {"cadUsu", "Usuários", "mnuCad", 1, "frmcadusuario", "Usuários - Manutenção"},
    {"cliAG", "Agenda", "", 0, "frmCli_Agenda", "Clinica - Agenda"},
    {"mnumov", "Movimento", "", 0, "", ""},
    {"moventinsu", "Entrada de Insumos", "mnumov", 1, "frmInsumos_Compra", "Insumos - Compra"},
    {"movcont", "Contratos", "mnumov", 1, "frmOS_ListaOrc", "Contratos"},
    {"movordsrv", "Ordem de Serviço", "mnumov", 1, "frmOS_EntregaInsumos",
     "Registro de Atendimento"},
    {"movfinan", "Financeiro", "mnumov", 1, "", ""},
    {"mnuctpg", "Contas a Pagar", "movfinan", 2, "", ""},
    {"ctpgcadcen", "Cadastrar Centro de Custos", "mnuctpg", 3, "frmCadCentroCusto",
     "Centro de Custos - Cadastro"},
    {"ctpgcadscen", "Cadastrar Sub Centro de Custos", "mnuctpg", 3, "frmCadSubCentro",
     "SubCentro de Custos - Cadastro"},
    {"ctpgcad", "Inclusão de Despesas", "mnuctpg", 3, "frmlancontas", "Cadastro de Contas a Pagar"},
    // Stored as level 2 although it stands among the level-3 items.
    {"fincpgbx", "Baixa de Despesas", "mnuctpg", 2, "frmCPagar_Baixa", "Contas a Pagar - Baixa"},
    {"mnurel", "Relatórios", "", 0, "", ""},
    {"finrelcon", "Relatórios de Despesas", "mnurel", 1, "frmRel_Contas",
     "Relatório de Contas a Pagar / Receber"},
    {"hstcmpins", "Histórico de Compra de Insumos", "mnurel", 1, "frmRel_CmpInsumos",
     "Histórico de Compra de Insumos"},
    {"mnuti", "Util", "", 0, "", ""},
    {"mnupram", "Parametros", "mnuti", 1, "frmconfig", "Configuração"},
    {"mnuoff", "F10 LogOff", "", 0, "", ""},
    {"mnuupdate", "Atualização", "", 0, "", ""},
};

} // namespace

std::span<const MenuEntry> menuTable() {
    return kMenu;
}

} // namespace vtx
