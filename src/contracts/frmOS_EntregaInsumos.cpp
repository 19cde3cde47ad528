// The attendance record: the session part (key, date, time, identification, evolution, open
// sessions) and the delivery part (type, supply, quantity, lot, expiry, delivered list).
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
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "SharedRoutines.h"
#include "frmBuscaProd.h"

namespace vtx {

namespace {

using AttendanceRecords::Lookup;
using AttendanceRecords::Session;

const QString kAttention = QStringLiteral("Atenção");
const QString kAttentionCaps = QStringLiteral("ATENÇÃO");

// Shares of the grids' widths, column by column, in per cent.
const QList<int> kDeliveredShares = {5, 10, 30, 5, 15, 10, 15, 10};
const QList<int> kOpenShares = {10, 5, 25, 30, 15, 15};

QString quantityText(const QVariant& value) {
    return value.isNull() ? QString() : Formats::decimalText(value.value<Decimal>(), 2, /*max=*/4);
}

void applyShares(QTableView* grid, const QList<int>& shares) {
    const int width = grid->viewport()->width();
    for (int i = 0; i < shares.size(); ++i)
        grid->setColumnWidth(i, width * shares[i] / 100);
}

void notFound() {
    msgBox(QStringLiteral("Não encontrado!"), kAttention, MsgIcon::Information);
}

} // namespace

struct frmOS_EntregaInsumos::Private {
    QLineEdit *txtNFiscal = nullptr, *txtDTe = nullptr, *txtHR = nullptr;
    QListWidget* List1 = nullptr;
    QPlainTextEdit* txtDsEv = nullptr;
    QLabel* l_EV = nullptr;
    QPushButton *Command8 = nullptr, *Command7 = nullptr;
    QGroupBox* frmCmpPend = nullptr;
    DataControl* Adodc2 = nullptr;
    QTableView* DataGrid2 = nullptr;

    QComboBox* cboTP = nullptr;
    QLineEdit *txtCdPro = nullptr, *txtDsPro = nullptr, *txtUN = nullptr, *txtQtde = nullptr;
    QLineEdit *txtLote = nullptr, *txtDtv = nullptr;
    QPushButton *Command3 = nullptr, *Command1 = nullptr;

    std::optional<Session> session;
    // The contract of a session picked from the open sessions, until the key is changed.
    QString pickedContract;
    // The session whose deliveries DataGrid1 lists.
    QString listedContract, listedKey;
    Decimal cost;
    QString lotFlag = QStringLiteral("0");
    int captions = 0;
};

frmOS_EntregaInsumos::frmOS_EntregaInsumos(QWidget* parent)
    : ListForm({{QStringLiteral("Tipo"), QStringLiteral("tipo")},
                {QStringLiteral("Código"), QStringLiteral("cdpro")},
                {QStringLiteral("Descrição"), QStringLiteral("dspro")},
                {QStringLiteral("UN"), QStringLiteral("un")},
                {QStringLiteral("Qtde"), QStringLiteral("qtde"), quantityText},
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
    return *d->Adodc2;
}
QTableView* frmOS_EntregaInsumos::DataGrid2() const {
    return d->DataGrid2;
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
    d->Adodc2 = new DataControl(this);
    d->Adodc2->setObjectName(QStringLiteral("Adodc2"));
    d->DataGrid2 = new QTableView(d->frmCmpPend);
    d->DataGrid2->setObjectName(QStringLiteral("DataGrid2"));
    d->DataGrid2->setGeometry(d->frmCmpPend->rect().adjusted(8, 22, -8, -8));
    d->DataGrid2->setModel(
        new GridModel(d->Adodc2,
                      {{QStringLiteral("Data"), QStringLiteral("data")},
                       {QStringLiteral("Hora"), QStringLiteral("hora")},
                       {QStringLiteral("Paciente"), QStringLiteral("nmpac")},
                       {QStringLiteral("Procedimento"), QStringLiteral("nmproc")},
                       {QStringLiteral("Contrato"), QStringLiteral("idcontrato")},
                       {QStringLiteral("Id Procedimento"), QStringLiteral("idlan")}},
                      this));
    d->DataGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    d->DataGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->DataGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    // A pick leaves the focus where it was, so that the key box loads only when left.
    d->DataGrid2->setFocusPolicy(Qt::TabFocus);
    connect(d->DataGrid2, &QTableView::clicked, this,
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

void frmOS_EntregaInsumos::buildDeliveryPart() {
    auto box = [this](const char* name, const char* text, const QRect& geometry, int length) {
        addCaption(text, {geometry.x(), geometry.y() - 18, geometry.width() + 40, 18});
        return Controls::lineBox(this, QString::fromLatin1(name), geometry, length);
    };
    addCaption("Tipo Entrega", {10, 222, 130, 18});
    d->cboTP = new QComboBox(this);
    d->cboTP->setObjectName(QStringLiteral("cboTP"));
    d->cboTP->addItems({QStringLiteral("0 - Pontual"), QStringLiteral("1 - Antecipada")});
    d->cboTP->setGeometry(10, 240, 130, 24);
    d->txtCdPro = box("txtCdPro", "Código", {150, 240, 110, 24}, 14);
    d->Command3 = Controls::button(this, QStringLiteral("Command3"), QStringLiteral("F3 Pesquisar"),
                                   {265, 238, 100, 28});
    d->txtDsPro = box("txtDsPro", "Descrição", {375, 240, 330, 24}, 0);
    d->txtUN = box("txtUN", "UN", {715, 240, 40, 24}, 0);
    for (QLineEdit* shown : {d->txtDsPro, d->txtUN}) {
        shown->setReadOnly(true);
        shown->setFocusPolicy(Qt::ClickFocus);
    }
    d->txtQtde = box("txtQtde", "Qtde", {765, 240, 125, 24}, 20);
    d->txtLote = box("txtLote", "Lote No", {10, 290, 160, 24}, 20);
    d->txtDtv = box("txtDtv", "Dt.Validade", {180, 290, 100, 24}, 10);
    applyDateMask(d->txtDtv, 10);
    d->Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Salvar"),
                                   {290, 288, 100, 28});

    connect(d->Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(d->txtCdPro, &QLineEdit::textChanged, this, [this] { txtCdPro_Change(); });
    onLeave(d->txtCdPro, [this] { txtCdPro_LostFocus(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmOS_EntregaInsumos::addCaption(const char* text, const QRect& geometry) {
    // Named, so that the auto-resizer scales captions with their boxes.
    Controls::label(this, QStringLiteral("Label%1").arg(++d->captions), QString::fromUtf8(text),
                    geometry);
}

void frmOS_EntregaInsumos::fitColumns() {
    applyShares(DataGrid1(), kDeliveredShares);
    applyShares(d->DataGrid2, kOpenShares);
}

void frmOS_EntregaInsumos::showEvent(QShowEvent* event) {
    ListForm::showEvent(event);
    fitColumns();
}

void frmOS_EntregaInsumos::resizeEvent(QResizeEvent* event) {
    ListForm::resizeEvent(event);
    fitColumns();
}

bool frmOS_EntregaInsumos::functionKey(int key) {
    if (key != Qt::Key_F3)
        return false;
    Command3_Click();
    return true;
}

void frmOS_EntregaInsumos::escape() {
    if (d->frmCmpPend->isVisible()) {
        d->Adodc2->close();
        d->frmCmpPend->hide();
        return;
    }
    closeList();
    reject();
}

void frmOS_EntregaInsumos::Command7_Click() {
    // The statement runs to its end before any input is taken; the form is not disabled, as
    // that would move the focus out of the key box and load it.
    {
        WaitCursor wait;
        AttendanceRecords::listOpenSessions(*d->Adodc2);
        if (!tryDb([this] { d->Adodc2->refresh(); }, &wait))
            return;
    }
    d->frmCmpPend->move(DataGrid1()->pos());
    d->frmCmpPend->raise();
    d->frmCmpPend->show();
    applyShares(d->DataGrid2, kOpenShares);
}

void frmOS_EntregaInsumos::DataGrid2_Click(int row) {
    Recordset& rows = d->Adodc2->recordset();
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
    d->Adodc2->close();
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
            notFound();
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
        notFound();
        return;
    }
    AttendanceRecords::Attendance attendance;
    attendance.status = msgBox(QStringLiteral("Encerra?"), kAttention, MsgIcon::None,
                               MsgButtons::YesNo, MsgDefault::Second) == MsgAnswer::Yes
                            ? QStringLiteral("S")
                            : QStringLiteral("N");
    attendance.evolution = d->txtDsEv->toPlainText();
    if (attendance.status == QLatin1String("S") && attendance.evolution.trimmed().isEmpty()) {
        msgBox(QStringLiteral("--- ERRO --- INFORME A EVOLUÇÃO!"), QStringLiteral("ATENÇAO"),
               MsgIcon::Exclamation);
        return;
    }
    attendance.date = Formats::parseDate(d->txtDTe->text());
    attendance.time = d->txtHR->text();

    WaitCursor wait;
    const bool rowExists = d->l_EV->text() == QLatin1String("S");
    const bool saved = tryDb(
        [&] { AttendanceRecords::saveAttendance(*d->session, rowExists, attendance); }, &wait);
    wait.done();
    if (!saved)
        return;
    // The row now exists: the next save changes it.
    d->l_EV->setText(QStringLiteral("S"));
    if (attendance.status == QLatin1String("S")) {
        closeList();
        accept();
        return;
    }
    msgBox(QStringLiteral("Sucesso!"), kAttention, MsgIcon::Information);
}

void frmOS_EntregaInsumos::Command3_Click() {
    gCodBusca = QString();
    frmBuscaProd::run();
    const QString code = gCodBusca.toString().trimmed();
    if (!code.isEmpty())
        d->txtCdPro->setText(code);
    d->txtCdPro->setFocus();
}

void frmOS_EntregaInsumos::txtCdPro_Change() {
    d->lotFlag = QStringLiteral("0");
    d->txtDsPro->clear();
    d->txtUN->clear();
    d->txtQtde->clear();
    d->cost = Decimal();
}

void frmOS_EntregaInsumos::txtCdPro_LostFocus() {
    const QString code = d->txtCdPro->text().trimmed();
    if (code.isEmpty())
        return;
    txtCdPro_Change();
    tryDb([&] {
        Recordset rows = conexaoAberta().query(
            QStringLiteral("select * from produtos where idlic = ? and cdpro = ?"), {gIdLic, code});
        if (rows.isEmpty())
            return;
        rows.moveFirst();
        d->txtDsPro->setText(rows.text(QStringLiteral("dspro")));
        d->txtUN->setText(rows.text(QStringLiteral("un")));
        d->cost = rows.value(QStringLiteral("vcusto")).value<Decimal>().rescaled(4);
        d->lotFlag = rows.text(QStringLiteral("caplote")).left(1);
    });
}

bool frmOS_EntregaInsumos::deliveryAccepted() {
    const std::optional<Decimal> quantity = Formats::parseAmount(d->txtQtde->text());
    if (d->txtNFiscal->text().trimmed().isEmpty() || !Formats::parseDate(d->txtDTe->text()) ||
        d->txtDsPro->text().trimmed().isEmpty() || d->txtUN->text().trimmed().isEmpty() ||
        !quantity) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INCOMPLEMTOS!"), kAttentionCaps,
               MsgIcon::Exclamation);
        return false;
    }
    if (!d->session) {
        notFound();
        return false;
    }
    if (d->cost.isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR UNITÁRIO FINAL NÃO PODE SER MENOR QUE ZERO!"),
               kAttentionCaps, MsgIcon::Critical);
        return false;
    }
    if (quantity->isNegative() || quantity->isZero()) {
        msgBox(QStringLiteral("--- ERRO --- QUANTIDADE NÃO PODE SER MENOR E/OU IGUAL A ZERO!"),
               kAttentionCaps, MsgIcon::Critical);
        return false;
    }
    if (d->lotFlag == QLatin1String("0") &&
        (d->txtLote->text().trimmed().isEmpty() || !Formats::parseDate(d->txtDtv->text()))) {
        msgBox(QStringLiteral("Lote/Validade não informado!"), kAttention, MsgIcon::Information);
        return false;
    }
    return true;
}

void frmOS_EntregaInsumos::Command1_Click() {
    if (!deliveryAccepted())
        return;
    saveDelivery();
}

void frmOS_EntregaInsumos::saveDelivery() {
    AttendanceRecords::Delivery delivery;
    delivery.quantity = Formats::parseAmount(d->txtQtde->text())->rescaled(4);
    d->txtQtde->setText(Formats::decimalText(delivery.quantity, 2, /*max=*/4));
    delivery.cost = d->cost.rescaled(4);
    delivery.date = Formats::parseDate(d->txtDTe->text());
    delivery.supply = d->txtCdPro->text().trimmed();
    delivery.type = d->cboTP->currentText().left(1);
    delivery.lot = d->txtLote->text();
    delivery.expiry = d->txtDtv->text();

    WaitCursor wait;
    // A lot-controlled supply: the lot and expiry should be among the purchases.
    if (d->lotFlag == QLatin1String("0")) {
        bool purchased = false;
        if (!tryDb(
                [&] {
                    purchased = AttendanceRecords::lotPurchased(
                        delivery.supply, delivery.lot, *Formats::parseDate(delivery.expiry));
                },
                &wait))
            return;
        if (!purchased) {
            wait.done();
            if (msgBox(QStringLiteral("LOTE E/OU VALIDADE NÃO ENCONTRADO!\nPROSSEGUIR ASSIM "
                                      "MESMO?"),
                       kAttentionCaps, MsgIcon::None, MsgButtons::YesNo,
                       MsgDefault::Second) != MsgAnswer::Yes)
                return;
        }
    }
    wait.done();
    WaitCursor saving;
    if (!tryDb([&] { AttendanceRecords::saveDelivery(*d->session, delivery); }, &saving))
        return;
    d->listedContract = d->session->contract;
    d->listedKey = d->session->idlan;
    AttendanceRecords::listDelivered(Adodc1(), d->listedContract, d->listedKey);
    tryDb([this] { refreshList(); }, &saving);
    d->txtCdPro->clear();
    d->txtQtde->clear();
    d->txtLote->clear();
    d->txtDtv->clear();
    saving.done();
    d->txtCdPro->setFocus();
}

void frmOS_EntregaInsumos::DataGrid1_Click(int row) {
    Recordset& rows = Adodc1().recordset();
    if (row < 0 || row >= rows.recordCount() || d->listedKey.isEmpty())
        return;
    rows.setPosition(row);
    if (msgBox(QStringLiteral("Estorna o item selecionado?"), kAttention, MsgIcon::None,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    const QString contract = rows.text(QStringLiteral("idcontrato"));
    const long long line = rows.value(QStringLiteral("idlan")).toLongLong();
    WaitCursor wait;
    tryDb(
        [&] {
            AttendanceRecords::reverseDelivery(contract, d->listedKey, line);
            refreshList();
        },
        &wait);
    wait.done();
    d->txtCdPro->setFocus();
}

} // namespace vtx
