// The attendance record: its controls, keys and grids, and the session part (key, date, time,
// identification, evolution, open sessions).
#include "frmOS_EntregaInsumos.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "AttendanceRecords.h"
#include "AutoResize.h"
#include "BoundGrid.h"
#include "ColumnRefusals.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "SharedRoutines.h"
#include "frmOS_EntregaInsumos_p.h"

namespace vtx {

namespace {

const QString kAttention = QStringLiteral("Atenção");
const QString kAttentionCaps = QStringLiteral("ATENÇÃO");

using AttendanceRecords::Lookup;
using AttendanceRecords::Session;

// Shares of the grids' widths, column by column, in per cent.
const QList<int> kDeliveredShares = {5, 10, 30, 5, 15, 10, 15, 10};
const QList<int> kOpenShares = {10, 5, 25, 30, 15, 15};

} // namespace

frmOS_EntregaInsumos::frmOS_EntregaInsumos(QWidget* parent)
    : ListForm({{QStringLiteral("Tipo"), QStringLiteral("tipo")},
                {QStringLiteral("Código"), QStringLiteral("cdpro")},
                {QStringLiteral("Descrição"), QStringLiteral("dspro")},
                {QStringLiteral("UN"), QStringLiteral("un")},
                {QStringLiteral("Qtde"), QStringLiteral("qtde"), Formats::twoToFourDecimalsOf},
                {QStringLiteral("Lote"), QStringLiteral("lote")},
                {QStringLiteral("Validade"), QStringLiteral("dtv")},
                {QStringLiteral("Cadastro"), QStringLiteral("evcad")}},
               parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmOS_EntregaInsumos"));
    setWindowTitle(QStringLiteral("Registro de Atendimento"));
    buildUi();
    installKeys();
    new AutoResize(this);
    d->cboTP->setCurrentIndex(0);
    AttendanceRecords::listDelivered(Adodc1(), QString(), QString());
    tryDb([this] { refreshList(); });
    d->txtNFiscal->setFocus();
}

frmOS_EntregaInsumos::~frmOS_EntregaInsumos() = default;

DataControl& frmOS_EntregaInsumos::Adodc2() {
    return d->open->rows();
}
QTableView* frmOS_EntregaInsumos::DataGrid2() const {
    return d->open->view();
}

void frmOS_EntregaInsumos::buildUi() {
    resize(900, 620);
    buildSessionPart();
    buildDeliveryPart();
    DataGrid1()->setGeometry(10, 326, 880, 284);
    DataGrid1()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(DataGrid1(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { DataGrid1_Click(index.row()); });

    // The open sessions, over the delivered list when asked for.
    d->frmCmpPend = new QGroupBox(QStringLiteral("  O.S. Pendentes  "), this);
    d->frmCmpPend->setObjectName(QStringLiteral("frmCmpPend"));
    d->frmCmpPend->setGeometry(DataGrid1()->geometry());
    d->frmCmpPend->setAutoFillBackground(true);
    d->frmCmpPend->hide();
    d->open = new BoundGrid(d->frmCmpPend, QStringLiteral("DataGrid2"), QStringLiteral("Adodc2"),
                            {{QStringLiteral("Data"), QStringLiteral("data")},
                             {QStringLiteral("Hora"), QStringLiteral("hora")},
                             {QStringLiteral("Paciente"), QStringLiteral("nmpac")},
                             {QStringLiteral("Procedimento"), QStringLiteral("nmproc")},
                             {QStringLiteral("Contrato"), QStringLiteral("idcontrato")},
                             {QStringLiteral("Id Procedimento"), QStringLiteral("idlan")}});
    DataGrid2()->setGeometry(d->frmCmpPend->rect().adjusted(8, 22, -8, -8));
    // A pick leaves the focus where it was, so that the key box loads only when left.
    DataGrid2()->setFocusPolicy(Qt::TabFocus);
    d->open->keepColumnShares(kOpenShares);
    list().keepColumnShares(kDeliveredShares);
    connect(DataGrid2(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { DataGrid2_Click(index.row()); });

    const QList<QWidget*> order = {d->txtNFiscal, d->txtDTe, d->txtHR,    d->txtDsEv,  d->Command8,
                                   d->Command7,   d->cboTP,  d->txtCdPro, d->Command3, d->txtQtde,
                                   d->txtLote,    d->txtDtv, d->Command1, DataGrid1()};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmOS_EntregaInsumos::buildSessionPart() {
    auto caption = [this](const char* text, int x, int y) { addCaption(text, {x, y, 200, 18}); };
    caption("Id Procedimento", 10, 8);
    d->txtNFiscal = Controls::lineBox(this, QStringLiteral("txtNFiscal"), {10, 26, 170, 24}, 30);
    caption("Data", 190, 8);
    d->txtDTe = Controls::lineBox(this, QStringLiteral("txtDTe"), {190, 26, 90, 24});
    applyDateMask(d->txtDTe, 10);
    caption("Hora", 290, 8);
    d->txtHR = Controls::lineBox(this, QStringLiteral("txtHR"), {290, 26, 60, 24}, 5);
    d->Command7 = Controls::button(this, QStringLiteral("Command7"),
                                   QStringLiteral("O.S. em Aberto"), {740, 22, 150, 30});
    d->Command7->setFocusPolicy(Qt::TabFocus);

    caption("Identificação", 10, 58);
    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    d->List1->setGeometry(10, 76, 500, 104);
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    d->List1->setFont(fixed);
    caption("Evolução", 520, 58);
    d->txtDsEv = new QPlainTextEdit(this);
    d->txtDsEv->setObjectName(QStringLiteral("txtDsEv"));
    d->txtDsEv->setGeometry(520, 76, 370, 104);
    d->l_EV = Controls::label(this, QStringLiteral("l_EV"), QString(), {0, 0, 10, 10});
    d->l_EV->hide();
    d->Command8 = Controls::button(this, QStringLiteral("Command8"), QStringLiteral("Salvar"),
                                   {790, 186, 100, 28});

    connect(d->txtNFiscal, &QLineEdit::textChanged, this, [this] { txtNFiscal_Change(); });
    onLeave(d->txtNFiscal, [this] { txtNFiscal_LostFocus(); });
    connect(d->Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(d->Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
}

void frmOS_EntregaInsumos::sessionNotFound() {
    msgBox(QStringLiteral("Não encontrado!"), kAttention, MsgIcon::Information);
}

void frmOS_EntregaInsumos::addCaption(const char* text, const QRect& geometry) {
    // Named, so that the auto-resizer scales captions with their boxes.
    Controls::label(this, QStringLiteral("Label%1").arg(++d->captions), QString::fromUtf8(text),
                    geometry);
}

bool frmOS_EntregaInsumos::functionKey(int key) {
    if (key != Qt::Key_F3)
        return false;
    Command3_Click();
    return true;
}

void frmOS_EntregaInsumos::escape() {
    if (d->frmCmpPend->isVisible()) {
        d->open->close();
        d->frmCmpPend->hide();
        return;
    }
    if (gConexao().isOpen())
        gConexao().close();
    closeList();
    reject();
}

void frmOS_EntregaInsumos::Command7_Click() {
    // The statement runs to its end before any input is taken; the form is not disabled, as
    // that would move the focus out of the key box and load it.
    {
        WaitCursor wait;
        AttendanceRecords::listOpenSessions(Adodc2());
        if (!tryDb([this] { d->open->refresh(); }, &wait))
            return;
    }
    d->frmCmpPend->move(DataGrid1()->pos());
    d->frmCmpPend->raise();
    d->frmCmpPend->show();
    d->open->fitColumns(kOpenShares);
}

void frmOS_EntregaInsumos::DataGrid2_Click(int row) {
    Recordset& rows = Adodc2().recordset();
    if (row < 0 || row >= rows.recordCount())
        return;
    rows.setPosition(row);
    const QString contract = rows.text(QStringLiteral("idcontrato"));
    d->txtNFiscal->setText(rows.text(QStringLiteral("idlan")));
    // The same key picked again in another contract forgets the loaded session too.
    txtNFiscal_Change();
    d->pickedContract = contract;
    d->txtDTe->setText(GridModel::defaultText(rows.value(QStringLiteral("data"))));
    d->txtHR->setText(rows.text(QStringLiteral("hora")));
    d->open->close();
    d->txtNFiscal->setFocus();
    d->frmCmpPend->hide();
}

void frmOS_EntregaInsumos::txtNFiscal_Change() {
    d->l_EV->clear();
    d->txtDsEv->clear();
    d->List1->clear();
    d->session.reset();
    d->pickedContract.clear();
}

void frmOS_EntregaInsumos::txtNFiscal_LostFocus() {
    WaitCursor wait;
    Session found;
    Lookup lookup = Lookup::NotFound;
    std::optional<QString> evolution;
    const QString key = d->txtNFiscal->text();
    const bool read = tryDb(
        [&] {
            lookup = AttendanceRecords::findSession(key, d->pickedContract, found);
            if (lookup == Lookup::Found)
                evolution = AttendanceRecords::findEvolution(found);
        },
        &wait);
    d->List1->clear();
    if (!read || lookup != Lookup::Found) {
        d->session.reset();
        d->l_EV->clear();
        d->txtDsEv->clear();
        wait.done();
        if (lookup == Lookup::SeveralContracts)
            msgBox(QStringLiteral("--- ERRO --- ID EM MAIS DE UM CONTRATO! SELECIONE EM O.S. EM "
                                  "ABERTO."),
                   kAttentionCaps, MsgIcon::Exclamation);
        else if (read)
            sessionNotFound();
        return;
    }

    d->session = found;
    d->txtDTe->setText(Formats::dateText(found.date));
    d->txtHR->setText(found.time);
    const QString date = Formats::dateText(found.date);
    d->List1->addItems({QStringLiteral("Contrato: ") + found.contract,
                        QStringLiteral("Paciente: ") + found.patientName +
                            QStringLiteral(" Data Nascimento: ") + found.birth + QLatin1Char(' ') +
                            CalculaIdade(found.birth) + QStringLiteral(" anos"),
                        QStringLiteral("Procedimento: ") + found.procedureName,
                        QStringLiteral("Profissional: ") + found.professionalName,
                        QStringLiteral("Data: ") + date + QStringLiteral(" Hora: ") + found.time});
    if (evolution) {
        d->l_EV->setText(QStringLiteral("S"));
        d->txtDsEv->setPlainText(*evolution);
    }
    d->listedContract = found.contract;
    d->listedKey = found.idlan;
    AttendanceRecords::listDelivered(Adodc1(), found.contract, found.idlan);
    tryDb([this] { refreshList(); }, &wait);
}

void frmOS_EntregaInsumos::Command8_Click() {
    // Nothing is saved for a session that was not loaded.
    if (!d->session) {
        sessionNotFound();
        return;
    }
    if (!textFits(Columns::contrato_atendimento::dsev, d->txtDsEv->toPlainText()))
        return;
    AttendanceRecords::Attendance attendance;
    attendance.status = msgBox(QStringLiteral("Encerra?"), kAttention, MsgIcon::None,
                               MsgButtons::YesNo, MsgDefault::Second) == MsgAnswer::Yes
                            ? QStringLiteral("S")
                            : QStringLiteral("N");
    attendance.evolution = d->txtDsEv->toPlainText();
    const auto refuseNoEvolution = [] {
        msgBox(QStringLiteral("--- ERRO --- INFORME A EVOLUÇÃO!"), QStringLiteral("ATENÇAO"),
               MsgIcon::Exclamation);
    };
    if (attendance.status == QLatin1String("S") && attendance.evolution.trimmed().isEmpty()) {
        refuseNoEvolution();
        return;
    }
    attendance.date = Formats::parseDate(d->txtDTe->text());
    attendance.time = d->txtHR->text();

    WaitCursor wait;
    const bool rowExists = d->l_EV->text() == QLatin1String("S");
    AttendanceRecords::Saved saved = AttendanceRecords::Saved::Written;
    const bool ran = tryDb(
        [&] { saved = AttendanceRecords::saveAttendance(*d->session, rowExists, attendance); },
        &wait);
    wait.done();
    if (!ran)
        return;
    // A concluded attendance saved as open stays concluded, and needs its text as on Yes.
    if (saved == AttendanceRecords::Saved::EvolutionRequired) {
        refuseNoEvolution();
        return;
    }
    // The row now exists: the next save changes it.
    d->l_EV->setText(QStringLiteral("S"));
    if (attendance.status == QLatin1String("S")) {
        closeList();
        accept();
        return;
    }
    msgBox(QStringLiteral("Sucesso!"), kAttention, MsgIcon::Information);
}

} // namespace vtx
