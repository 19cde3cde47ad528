// The purchase history form: filters, the query into the grid, the totals, and the text report
// handed to the print assistant.
#include "frmRel_CmpInsumos.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "PurchaseHistory.h"
#include "PurchaseLookups.h"
#include "Recordset.h"
#include "SearchDialog.h"
#include "Session.h"
#include "frmBuscaFornecedor.h"
#include "frmgerapdfp.h"

namespace vtx {

namespace {

QList<GridColumn> historyColumns() {
    auto column = [](const char* header, const char* field,
                     std::function<QString(const QVariant&)> format = {}) {
        return GridColumn{QString::fromUtf8(header), QLatin1String(field), std::move(format)};
    };
    return {column("EMS", "dte"),
            column("CHEGADA", "dtc"),
            column("SERIE", "serie"),
            column("N.FISCAL", "nfiscal"),
            column("MODELO", "modelo"),
            column("CÓDIGO", "cdpro"),
            column("PRODUTO", "dspro"),
            column("QTDE", "qtde", Formats::twoToFourDecimalsOf),
            column("CUSTO UN.", "vfinal", Formats::twoToFourDecimalsOf),
            column("R$ FRETE", "vfrete", Formats::twoToFourDecimalsOf),
            column("FORNECEDOR", "nmfor"),
            column("LOTE", "lote"),
            column("VALIDADE", "dtv")};
}

const QList<int> kShares{8, 8, 3, 7, 3, 10, 25, 5, 8, 8, 15, 10, 5};

/// A sum of the totals' row: 0 when there is none; nothing when the server's sum is past what
/// an amount holds (it then comes as its text, not as a decimal).
std::optional<Decimal> sumOf(const Recordset& sums, const char* column) {
    const int c = sums.columnIndex(QLatin1String(column));
    if (sums.isEmpty() || c < 0 || sums.value(0, c).isNull())
        return Decimal();
    const QVariant sum = sums.value(0, c);
    if (sum.metaType() != QMetaType::fromType<Decimal>())
        return std::nullopt;
    return sum.value<Decimal>();
}

/// Goods and freight together; nothing when either, or their sum, is past what an amount holds.
std::optional<Decimal> totalOf(const std::optional<Decimal>& goods,
                               const std::optional<Decimal>& freight) {
    if (!goods || !freight)
        return std::nullopt;
    try {
        return *goods + *freight;
    } catch (const UsageError&) {
        return std::nullopt;
    }
}

} // namespace

struct frmRel_CmpInsumos::Private {
    QLineEdit* txtDTi = nullptr;
    QLineEdit* txtDTf = nullptr;
    QLineEdit* txtCdCli = nullptr;
    QLineEdit* txtNmCli = nullptr;
    QLineEdit* txtCdPro = nullptr;
    QLineEdit* txtNmPro = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* l_TL = nullptr;
    PurchaseHistory::Filter filter;
};

frmRel_CmpInsumos::frmRel_CmpInsumos(QWidget* parent)
    : ListForm(historyColumns(), parent), d(new Private) {
    setObjectName(QStringLiteral("frmRel_CmpInsumos"));
    setWindowTitle(QStringLiteral("Histórico de Compra de Insumos"));
    buildUi();
    connectHandlers();
    installKeys(/*upperCase=*/false);
    Adodc1().setConnectionString(gStrConexao);
    d->txtDTi->setFocus();
}

frmRel_CmpInsumos::~frmRel_CmpInsumos() = default;

void frmRel_CmpInsumos::buildUi() {
    resize(1000, 600);
    auto box = [this](const char* name, const QRect& r, int maxLength = 0) {
        return Controls::lineBox(this, QLatin1String(name), r, maxLength);
    };
    auto label = [this](const char* name, const char* text, int x) {
        Controls::label(this, QLatin1String(name), QString::fromUtf8(text), {x, 8, 300, 16});
    };
    label("Label1", "Período", 8);
    d->txtDTi = box("txtDTi", {8, 26, 90, 24}, 10);
    d->txtDTf = box("txtDTf", {102, 26, 90, 24}, 10);
    label("Label4", "Fornecedor F2 - Pesquisar", 204);
    d->txtCdCli = box("txtCdCli", {204, 26, 70, 24});
    d->txtNmCli = box("txtNmCli", {278, 26, 270, 24});
    label("Label2", "Insumo F3 - Pesquisar", 560);
    d->txtCdPro = box("txtCdPro", {560, 26, 120, 24}, 14);
    d->txtNmPro = box("txtNmPro", {684, 26, 308, 24});
    for (QLineEdit* found : {d->txtNmCli, d->txtNmPro}) {
        found->setReadOnly(true);
        found->setFocusPolicy(Qt::ClickFocus);
    }
    for (QLineEdit* date : {d->txtDTi, d->txtDTf})
        applyDateMask(date);
    d->Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Gerar"),
                                   {8, 60, 100, 28});
    d->Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Imprimir"),
                                   {112, 60, 100, 28});
    d->Command2->setEnabled(false);
    d->l_TL = Controls::label(this, QStringLiteral("l_TL"), QStringLiteral("Valor Total: R$ 0,00"),
                              {224, 60, 768, 28});
    QFont courier(QStringLiteral("Courier New"), 11, QFont::Bold);
    courier.setStyleHint(QFont::Monospace);
    d->l_TL->setFont(courier);
    DataGrid1()->setGeometry(8, 96, 984, 496);
    list().keepColumnShares(kShares);
    new AutoResize(this);

    const QList<QWidget*> order{d->txtDTi,   d->txtDTf,   d->txtCdCli, d->txtCdPro,
                                d->Command1, d->Command2, DataGrid1()};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmRel_CmpInsumos::connectHandlers() {
    for (QLineEdit* filter : {d->txtDTi, d->txtDTf})
        connect(filter, &QLineEdit::textChanged, this, [this] { dropResult(); });
    connect(d->txtCdCli, &QLineEdit::textChanged, this, [this] {
        dropResult();
        d->txtNmCli->clear();
    });
    connect(d->txtCdPro, &QLineEdit::textChanged, this, [this] {
        dropResult();
        d->txtNmPro->clear();
    });
    onLeave(d->txtCdCli, [this] { txtCdCli_LostFocus(); });
    onLeave(d->txtCdPro, [this] { txtCdPro_LostFocus(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(d->Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

bool frmRel_CmpInsumos::functionKey(int key) {
    if (key == Qt::Key_F2)
        searchSupplier();
    else if (key == Qt::Key_F3)
        searchSupply();
    else
        return false;
    return true;
}

void frmRel_CmpInsumos::escape() {
    if (gConexao().isOpen())
        gConexao().close();
    closeList();
    done(QDialog::Rejected);
}

void frmRel_CmpInsumos::dropResult() {
    d->Command2->setEnabled(false);
    closeList();
}

void frmRel_CmpInsumos::searchSupplier() {
    dropResult();
    SearchDialog::pickCode(&frmBuscaFornecedor::run, d->txtCdCli);
}

void frmRel_CmpInsumos::searchSupply() {
    dropResult();
    if (const QString code = PurchaseLookups::pickSupply(); !code.isEmpty())
        d->txtCdPro->setText(code);
    d->txtCdPro->setFocus(Qt::OtherFocusReason);
}

void frmRel_CmpInsumos::txtCdCli_LostFocus() {
    d->txtNmCli->clear();
    if (const auto supplier = Formats::numericCode(d->txtCdCli->text()))
        tryDb([&] { d->txtNmCli->setText(PurchaseLookups::supplierName(*supplier)); });
}

void frmRel_CmpInsumos::txtCdPro_LostFocus() {
    d->txtNmPro->clear();
    const QString code = d->txtCdPro->text().trimmed();
    if (code.isEmpty())
        return;
    tryDb([&] {
        const Recordset row = conexaoAberta().query(
            QStringLiteral("select dspro from produtos where idlic = ? and cdpro = ?"),
            {gIdLic, code});
        if (!row.isEmpty())
            d->txtNmPro->setText(row.text(QStringLiteral("dspro")));
    });
}

void frmRel_CmpInsumos::Command1_Click() {
    dropResult();
    const auto from = Formats::parseDate(d->txtDTi->text());
    const auto to = Formats::parseDate(d->txtDTf->text());
    if (!from || !to || *from > *to) {
        msgBox(QStringLiteral("--- ERRO --- PERÍODO INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    // A code whose name was not found filters nothing.
    d->filter = {*from, *to, std::nullopt, QString()};
    if (!d->txtNmCli->text().trimmed().isEmpty())
        d->filter.supplier = Formats::numericCode(d->txtCdCli->text());
    if (!d->txtNmPro->text().trimmed().isEmpty())
        d->filter.supply = d->txtCdPro->text().trimmed();
    if (PesquisaCompras())
        d->Command2->setEnabled(true);
}

bool frmRel_CmpInsumos::PesquisaCompras() {
    WaitCursor wait;
    const Params values = PurchaseHistory::params(d->filter);
    // Totals that could not be read leave nothing to print: the caption would be stale.
    return openList(PurchaseHistory::listSql(d->filter),
                    QList<QVariant>(values.begin(), values.end()), &wait) &&
           TotalizaCompras(&wait);
}

bool frmRel_CmpInsumos::TotalizaCompras(WaitCursor* wait) {
    Recordset sums;
    if (!tryDb(
            [&] {
                sums = conexaoAberta().query(PurchaseHistory::totalsSql(d->filter),
                                             PurchaseHistory::params(d->filter));
            },
            wait))
        return false;
    // A sum past what an amount holds is said so, on screen and in the printout.
    const std::optional<Decimal> goods = sumOf(sums, "StI");
    const std::optional<Decimal> freight = sumOf(sums, "StF");
    d->l_TL->setText(QStringLiteral("Insumos: ") + Formats::currencyOrOutOfRange(goods) +
                     QStringLiteral(" Fretes: ") + Formats::currencyOrOutOfRange(freight) +
                     QStringLiteral(" Total: ") +
                     Formats::currencyOrOutOfRange(totalOf(goods, freight)));
    return true;
}

void frmRel_CmpInsumos::Command2_Click() {
    WaitCursor wait;
    const QStringList filters{
        QStringLiteral("Período: ") + d->txtDTi->text() + QLatin1Char(' ') + d->txtDTf->text(),
        QStringLiteral("Produto: ") + d->txtCdPro->text() + QLatin1Char(' ') + d->txtNmPro->text(),
        QStringLiteral("Fornecedor: ") + d->txtCdCli->text() + QLatin1Char(' ') +
            d->txtNmCli->text()};
    QString error;
    if (!PurchaseHistory::writeReport(Adodc1().recordset(), filters, d->l_TL->text(), &error)) {
        wait.done();
        errorBox(error);
        return;
    }
    wait.done();
    frmgerapdfp::printReport();
}

} // namespace vtx
