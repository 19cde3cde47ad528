// The purchase entry form: its controls, the supplier and supply lookups, the loading of a
// purchase and the pending purchases.
#include "frmInsumos_Compra.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "PurchaseLookups.h"
#include "PurchaseStatements.h"
#include "SearchDialog.h"
#include "Session.h"
#include "frmBuscaFornecedor.h"
#include "frmInsumos_Compra_p.h"

namespace vtx {

namespace {

QList<GridColumn> lineColumns() {
    return {{QStringLiteral("CÓDIGO"), QStringLiteral("cdpro")},
            {QStringLiteral("PRODUTO"), QStringLiteral("dspro")},
            {QStringLiteral("UN"), QStringLiteral("un")},
            {QStringLiteral("Lote No"), QStringLiteral("lote")},
            {QStringLiteral("Validade"), QStringLiteral("dtv")},
            {QStringLiteral("QTDE"), QStringLiteral("qtde"), Formats::twoToFourDecimalsOf},
            {QStringLiteral("VR UNIT."), QStringLiteral("vfinal"), Formats::twoToFourDecimalsOf},
            {QStringLiteral("VR FRETE"), QStringLiteral("vfrete"), Formats::twoToFourDecimalsOf},
            {QStringLiteral("OP"), QStringLiteral("evcad")}};
}

const QList<int> kLineShares{15, 30, 5, 8, 5, 8, 14, 14, 14};

/// A box's caption just above it.
void caption(QWidget* form, int number, const char* text, const QRect& box) {
    Controls::label(form, QStringLiteral("Label%1").arg(number), QString::fromUtf8(text),
                    {box.x(), box.y() - 18, box.width() + 40, 16});
}

} // namespace

frmInsumos_Compra::frmInsumos_Compra(QWidget* parent)
    : ListForm(lineColumns(), parent), d(new Private) {
    setObjectName(QStringLiteral("frmInsumos_Compra"));
    setWindowTitle(QStringLiteral("Insumos - Compra"));
    buildUi();
    connectHandlers();
    installKeys();
    // Supplier 0, series 0, number 0, model "0": normally no purchase, so the grid starts empty.
    Adodc1().setConnectionString(gStrConexao);
    Adodc1().setRecordSource(PurchaseStatements::kLines,
                             PurchaseStatements::purchase(0, 0, 0, QStringLiteral("0")));
    TotalizaCompra();
    d->txtCdFor->setFocus();
}

frmInsumos_Compra::~frmInsumos_Compra() = default;

void frmInsumos_Compra::buildUi() {
    resize(1000, 640);
    buildHeader();
    buildLine();
    buildLists();
    new AutoResize(this);
}

void frmInsumos_Compra::buildHeader() {
    auto box = [this](const char* name, const QRect& r, int maxLength = 0) {
        return Controls::lineBox(this, QLatin1String(name), r, maxLength);
    };
    d->txtCdFor = box("txtCdFor", {8, 28, 70, 24});
    d->txtNmFor = box("txtNmFor", {82, 28, 290, 24});
    d->Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("F2 Pesquisar"),
                                   {376, 27, 100, 26});
    d->txtSerie = box("txtSerie", {490, 28, 44, 24}, 3);
    d->txtNFiscal = box("txtNFiscal", {538, 28, 100, 24}, 10);
    d->txtModelo = box("txtModelo", {642, 28, 40, 24}, 2);
    d->txtDTe = box("txtDTe", {700, 28, 90, 24}, 10);
    d->txtDTc = box("txtDTc", {794, 28, 90, 24}, 10);
    caption(this, 1, "Fornecedor", d->txtCdFor->geometry());
    caption(this, 2, "Serie", d->txtSerie->geometry());
    caption(this, 3, "N.Fiscal", d->txtNFiscal->geometry());
    caption(this, 4, "Mod.", d->txtModelo->geometry());
    caption(this, 5, "Emissão", d->txtDTe->geometry());
    caption(this, 6, "Chegada", d->txtDTc->geometry());
}

void frmInsumos_Compra::buildLine() {
    auto box = [this](const char* name, const QRect& r, int maxLength = 0) {
        return Controls::lineBox(this, QLatin1String(name), r, maxLength);
    };
    d->txtCdPro = box("txtCdPro", {8, 82, 120, 24}, 14);
    d->Command3 = Controls::button(this, QStringLiteral("Command3"), QStringLiteral("F3 Pesquisar"),
                                   {132, 81, 100, 26});
    d->txtDsPro = box("txtDsPro", {236, 82, 290, 24});
    d->txtUN = box("txtUN", {530, 82, 40, 24}, 5);
    d->txtVR = box("txtVR", {574, 82, 90, 24});
    d->txtQtde = box("txtQtde", {668, 82, 80, 24});
    d->txtLote = box("txtLote", {752, 82, 130, 24}, 20);
    d->txtDtv = box("txtDtv", {886, 82, 90, 24}, 10);
    caption(this, 7, "Código", d->txtCdPro->geometry());
    caption(this, 8, "Descrição", d->txtDsPro->geometry());
    caption(this, 9, "UN", d->txtUN->geometry());
    caption(this, 10, "Vr.Final", d->txtVR->geometry());
    caption(this, 11, "Qtde", d->txtQtde->geometry());
    caption(this, 12, "Lote No", d->txtLote->geometry());
    caption(this, 13, "Dt.Validade", d->txtDtv->geometry());
    for (QLineEdit* filled : {d->txtNmFor, d->txtDsPro, d->txtUN}) {
        filled->setReadOnly(true);
        filled->setFocusPolicy(Qt::ClickFocus);
    }
    for (QLineEdit* date : {d->txtDTe, d->txtDTc, d->txtDtv})
        applyDateMask(date);
    for (QLineEdit* selected : {d->txtCdFor, d->txtCdPro, d->txtVR, d->txtQtde})
        selectAllOnFocus(selected);

    int x = 8;
    auto button = [&](QPushButton*& b, const char* name, const char* text) {
        b = Controls::button(this, QLatin1String(name), QString::fromUtf8(text), {x, 116, 130, 28});
        x += 136;
    };
    button(d->Command1, "Command1", "Salvar");
    button(d->Command4, "Command4", "Importar XML");
    button(d->Command7, "Command7", "Compras Pendentes");
    button(d->Command5, "Command5", "Ratear Frete");
    button(d->Command8, "Command8", "Encerrar Compra");

    const QList<QWidget*> order{d->txtCdFor, d->txtSerie, d->txtNFiscal, d->txtModelo,
                                d->txtDTe,   d->txtDTc,   d->txtCdPro,   d->txtVR,
                                d->txtQtde,  d->txtLote,  d->txtDtv,     d->Command1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmInsumos_Compra::buildLists() {
    DataGrid1()->setGeometry(8, 152, 984, 440);
    // The expiry date shows whole.
    list().keepColumnShares(kLineShares, {4});
    d->lST = Controls::label(this, QStringLiteral("lST"), QStringLiteral("Valor Total: R$ 0,00"),
                             {8, 600, 984, 26});
    QFont arial(QStringLiteral("Arial"), 11, QFont::Bold);
    arial.setStyleHint(QFont::SansSerif);
    d->lST->setFont(arial);

    d->frmCmpPend = new QGroupBox(QStringLiteral("   Compras Pendentes de Encerramento   "), this);
    d->frmCmpPend->setObjectName(QStringLiteral("frmCmpPend"));
    d->frmCmpPend->setGeometry(260, 170, 480, 300);
    d->frmCmpPend->setAutoFillBackground(true);
    QList<GridColumn> pendingColumns;
    for (const char* field : {"cdfor", "serie", "nfiscal", "modelo"})
        pendingColumns.append({QLatin1String(field), QLatin1String(field)});
    d->pending = new BoundGrid(d->frmCmpPend, QStringLiteral("DataGrid2"), QStringLiteral("Adodc2"),
                               pendingColumns);
    d->pending->view()->setGeometry(8, 24, 464, 268);
    d->pending->view()->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    d->frmCmpPend->hide();
}

void frmInsumos_Compra::connectHandlers() {
    connect(d->txtCdFor, &QLineEdit::textChanged, this, [this] { d->txtNmFor->clear(); });
    onLeave(d->txtCdFor, [this] { txtCdFor_LostFocus(); });
    onLeave(d->txtModelo, [this] { txtModelo_LostFocus(); });
    connect(d->txtCdPro, &QLineEdit::textChanged, this, [this] { txtCdPro_Change(); });
    onLeave(d->txtCdPro, [this] { txtCdPro_LostFocus(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(d->Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(d->Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(d->Command4, &QPushButton::clicked, this, [] {
        msgBox(QStringLiteral("Função ainda não disponivel!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
    });
    connect(d->Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(d->Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(d->Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(DataGrid1(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { reverseLine(index.row()); });
    connect(d->pending->view(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { pickPending(index.row()); });
}

bool frmInsumos_Compra::functionKey(int key) {
    if (key == Qt::Key_F2)
        Command2_Click();
    else if (key == Qt::Key_F3)
        Command3_Click();
    else
        return false;
    return true;
}

void frmInsumos_Compra::escape() {
    if (gConexao().isOpen())
        gConexao().close();
    unload();
}

void frmInsumos_Compra::unload() {
    d->unloaded = true;
    closeList();
    d->pending->close();
    done(QDialog::Rejected);
}

void frmInsumos_Compra::txtCdFor_LostFocus() {
    const auto supplier = Formats::numericCode(d->txtCdFor->text());
    if (!supplier)
        return;
    d->txtNmFor->clear();
    tryDb([&] { d->txtNmFor->setText(PurchaseLookups::supplierName(*supplier)); });
}

bool frmInsumos_Compra::headerValid() const {
    return !d->txtNmFor->text().trimmed().isEmpty() &&
           Formats::numericCode(d->txtCdFor->text()).has_value() &&
           PurchaseStatements::isDigits(d->txtSerie->text(), 3) &&
           PurchaseStatements::isDigits(d->txtNFiscal->text(), 10) &&
           PurchaseStatements::isDigits(d->txtModelo->text(), 2);
}

void frmInsumos_Compra::txtModelo_LostFocus() {
    if (!headerValid()) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Exclamation);
        return;
    }
    Adodc1().setRecordSource(PurchaseStatements::kLines, purchaseOnScreen());
    TotalizaCompra();
}

Params frmInsumos_Compra::purchaseOnScreen() const {
    return PurchaseStatements::purchase(*Formats::numericCode(d->txtCdFor->text()),
                                        d->txtSerie->text().toLongLong(),
                                        d->txtNFiscal->text().toLongLong(), d->txtModelo->text());
}

void frmInsumos_Compra::txtCdPro_Change() {
    d->lotFlag = QStringLiteral("0");
    d->txtDsPro->clear();
    d->txtUN->clear();
    d->txtQtde->clear();
    d->txtVR->setText(QStringLiteral("0"));
}

void frmInsumos_Compra::txtCdPro_LostFocus() {
    const QString code = d->txtCdPro->text();
    if (code.trimmed().isEmpty())
        return;
    Recordset row;
    if (!tryDb([&] { row = conexaoAberta().query(PurchaseStatements::kSupply, {gIdLic, code}); }))
        return;
    for (QLineEdit* box : {d->txtDsPro, d->txtUN, d->txtVR, d->txtQtde})
        box->clear();
    d->lotFlag = QStringLiteral("0");
    if (row.isEmpty())
        return;
    d->txtDsPro->setText(row.text(QStringLiteral("dspro")));
    d->txtUN->setText(row.text(QStringLiteral("un")));
    d->txtVR->setText(Formats::twoToFourDecimalsOf(row.value(QStringLiteral("vcusto"))));
    d->lotFlag = row.text(QStringLiteral("caplote"));
}

void frmInsumos_Compra::Command2_Click() {
    SearchDialog::pickCode(&frmBuscaFornecedor::run, d->txtCdFor);
}

void frmInsumos_Compra::Command3_Click() {
    if (const QString code = PurchaseLookups::pickSupply(); !code.isEmpty())
        d->txtCdPro->setText(code);
    d->txtCdPro->setFocus(Qt::OtherFocusReason);
}

void frmInsumos_Compra::Command7_Click() {
    if (!tryDb([this] {
            d->pending->open(PurchaseStatements::kPending, {gIdLic, QStringLiteral("N")});
        }))
        return;
    d->frmCmpPend->show();
    d->frmCmpPend->raise();
    d->pending->view()->setFocus(Qt::OtherFocusReason);
}

void frmInsumos_Compra::pickPending(int row) {
    Recordset& pending = d->pending->rows().recordset();
    if (row < 0 || row >= pending.recordCount())
        return;
    pending.setPosition(row);
    d->txtCdFor->setText(pending.text(QStringLiteral("cdfor")));
    d->txtSerie->setText(pending.text(QStringLiteral("serie")));
    d->txtNFiscal->setText(pending.text(QStringLiteral("nfiscal")));
    d->txtModelo->setText(pending.text(QStringLiteral("modelo")));
    txtCdFor_LostFocus();
    txtModelo_LostFocus();
    if (d->unloaded)
        return;
    d->pending->close();
    d->txtDTe->setFocus(Qt::OtherFocusReason);
    d->frmCmpPend->hide();
}

} // namespace vtx
