// The settlement form's receipt side: starting or resuming a receipt, the supplier, the lists
// of open instalments, the instalment frame, and putting instalments in and taking them out.
#include "frmCPagar_Baixa.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "Clock.h"
#include "ColumnRefusals.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Receipts.h"
#include "Recordset.h"
#include "SearchDialog.h"
#include "Session.h"
#include "frmBuscaFornecedor.h"
#include "frmCPagar_BaixaPendente.h"
#include "frmCPagar_Baixa_p.h"

namespace vtx {

namespace {

const QString kTitle = QStringLiteral("ATENÇÃO");
const QString kNoTotals = QStringLiteral("A pagar: R$ 0,00 M.Pagto: R$ 0,00");
const QString kOpenColumns = QStringLiteral(
    "select c.idlan,c.nrdoc,c.pago,c.dte,c.dtv,c.obs,c.vrab,c.parcela,f.nmfor from cpagar c left "
    "join fornecedores f on c.cdfor = f.cdfor where c.idlic = ?");
const QString kItems = QStringLiteral(
    "select c.vrpg,c.vrj,c.vrd,c.idlan,c.nrdoc,c.pago,c.dte,c.dtv,c.obs,c.vrab,c.parcela,f.nmfor "
    "from cpagar c left join fornecedores f on c.cdfor = f.cdfor where c.idlic = ? and c.nrrec "
    "= ? and c.pago = 'X' order by c.dtv");
const QList<int> kOpenShares{20, 5, 10, 15, 50};
const QList<int> kItemShares{20, 5, 10, 12, 12, 12, 12, 17};

QString money(const QVariant& value) {
    return value.isNull() ? QString() : Formats::currency(value.value<Decimal>());
}

Decimal decimalOf(const Recordset& rows, const char* column) {
    const QVariant v = rows.value(QLatin1String(column));
    return v.isNull() ? Decimal(0, 2) : v.value<Decimal>();
}

void inform(const QString& text) {
    msgBox(text, kTitle, MsgIcon::Information);
}

/// What became of an instalment that was no longer open when it was to go into the receipt.
QString notOpenMessage(const Receipts::PutIn& refused) {
    if (refused.foundPago == QLatin1String("S"))
        return QStringLiteral("--- ERRO --- ESTA PARCELA JÁ FOI PAGA EM OUTRA ESTAÇÃO, NO RECIBO "
                              "%1!")
            .arg(refused.foundNrrec);
    if (refused.foundPago == QLatin1String("X"))
        return QStringLiteral("--- ERRO --- ESTA PARCELA JÁ ESTÁ NO RECIBO %1!")
            .arg(refused.foundNrrec);
    return QStringLiteral("--- ERRO --- ESTA PARCELA FOI ALTERADA OU EXCLUÍDA EM OUTRA ESTAÇÃO!");
}

/// An instalment's interest and discount as typed and its total to pay, in cents.
struct ItemAmounts {
    Decimal interest;
    Decimal discount;
    Decimal total;
};

/// The amounts of the instalment frame's boxes; nothing when the interest or the discount is
/// no number.
std::optional<ItemAmounts> itemAmounts(const QLineEdit* open, const QLineEdit* interest,
                                       const QLineEdit* discount) {
    const auto o = Formats::parseAmount(open->text());
    const auto i = Formats::parseAmount(interest->text());
    const auto ds = Formats::parseAmount(discount->text());
    if (!i || !ds)
        return std::nullopt;
    const Decimal cents = i->rescaled(2), off = ds->rescaled(2);
    return ItemAmounts{cents, off, o.value_or(Decimal()).rescaled(2) + cents - off};
}

} // namespace

frmCPagar_Baixa::frmCPagar_Baixa(QWidget* parent)
    : ListForm({{QStringLiteral("DOCUMENTO No"), QStringLiteral("nrdoc")},
                {QStringLiteral("PARCELA"), QStringLiteral("parcela")},
                {QStringLiteral("VENCIMENTO"), QStringLiteral("dtv")},
                {QStringLiteral("VALOR ABERTO"), QStringLiteral("vrab"), money},
                {QStringLiteral("OBS"), QStringLiteral("obs")}},
               parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmCPagar_Baixa"));
    setWindowTitle(QStringLiteral("Contas a Pagar - Baixa"));
    buildUi();
    connectUi();
    installKeys();
    new AutoResize(this);
}

frmCPagar_Baixa::~frmCPagar_Baixa() = default;

void frmCPagar_Baixa::buildUi() {
    // Captions carry names, so that the auto-resizer moves them with their controls.
    auto label = [this](const char* name, const char* text, const QRect& r) {
        return Controls::label(this, QLatin1String(name), QString::fromUtf8(text), r);
    };
    auto button = [this](int number, const char* text, const QRect& r) {
        d->command[number] = Controls::button(this, QStringLiteral("Command%1").arg(number),
                                              QString::fromUtf8(text), r);
    };
    label("Label1", "Recibo No", {8, 6, 130, 16});
    d->txtNrRec = Controls::lineBox(this, QStringLiteral("txtNrRec"), {8, 22, 130, 24});
    d->txtNrRec->setReadOnly(true);
    label("Label2", "Data Recibo", {146, 6, 100, 16});
    d->txtDtBX = Controls::lineBox(this, QStringLiteral("txtDtBX"), {146, 22, 100, 24});
    d->txtDtBX->setReadOnly(true);
    label("Label3", "Fornecedor F2 Pesquisar", {254, 6, 260, 16});
    d->txtCdFor = Controls::lineBox(this, QStringLiteral("txtCdFor"), {254, 22, 70, 24});
    d->txtCdFor->setReadOnly(true);
    d->txtNmFor = Controls::lineBox(this, QStringLiteral("txtNmFor"), {328, 22, 330, 24});
    d->txtNmFor->setReadOnly(true);
    d->txtNmFor->setFocusPolicy(Qt::ClickFocus);
    button(1, "F1 Iniciar Baixa", {666, 18, 116, 30});
    button(2, "F10 Listar", {786, 18, 110, 30});
    button(11, "F11 Ag.Hoje", {900, 18, 110, 30});
    button(18, "Baixas Pendentes", {1014, 18, 128, 30});

    QFont heading = font();
    heading.setBold(true);
    label("Label4", "CONTAS A PAGAR EM ABERTO", {8, 56, 400, 16})->setFont(heading);
    DataGrid1()->setGeometry(8, 74, 1134, 230);
    DataGrid1()->setEnabled(false);
    label("Label5", "CONTAS A BAIXAR", {8, 312, 400, 16})->setFont(heading);
    d->items = new BoundGrid(this, QStringLiteral("DataGrid2"), QStringLiteral("Adodc2"),
                             {{QStringLiteral("DOCUMENTO No"), QStringLiteral("nrdoc")},
                              {QStringLiteral("PARCELA"), QStringLiteral("parcela")},
                              {QStringLiteral("VENCIMENTO"), QStringLiteral("dtv")},
                              {QStringLiteral("VR ABERTO"), QStringLiteral("vrab"), money},
                              {QStringLiteral("JUROS"), QStringLiteral("vrj"), money},
                              {QStringLiteral("DESCONTOS"), QStringLiteral("vrd"), money},
                              {QStringLiteral("VR BAIXADO"), QStringLiteral("vrpg"), money},
                              {QStringLiteral("FORNECEDOR"), QStringLiteral("nmfor")}});
    d->items->view()->setGeometry(8, 330, 1134, 200);
    // Each column keeps its share of its grid, as the form becomes active again.
    list().keepColumnShares(kOpenShares);
    d->items->keepColumnShares(kItemShares);
    d->items->view()->setEnabled(false);
    QFont small = font();
    small.setPointSizeF(8);
    DataGrid1()->setFont(small);
    d->items->view()->setFont(small);
    d->lST = Controls::label(this, QStringLiteral("lST"), kNoTotals, {8, 536, 1134, 20});
    d->lST->setFont(heading);

    buildInstalmentFrame();
    buildPaymentFrame();
    for (int number : {2, 11})
        d->cmd(number)->setEnabled(false);
    resize(1150, 880);
}

void frmCPagar_Baixa::buildInstalmentFrame() {
    d->frmDest = new QFrame(this);
    d->frmDest->setObjectName(QStringLiteral("frmDest"));
    d->frmDest->setFrameShape(QFrame::StyledPanel);
    d->frmDest->setAutoFillBackground(true);
    d->frmDest->setGeometry(580, 600, 562, 140);
    d->lPro = Controls::label(d->frmDest, QStringLiteral("lPro"), QString(), {8, 6, 540, 18});
    const char* captions[] = {"Vr Documento", "Juros", "Descontos", "Vr Total"};
    const char* names[] = {"txtVRa", "txtVRj", "txtVRd", "txtVRt"};
    QLineEdit** boxes[] = {&d->txtVRa, &d->txtVRj, &d->txtVRd, &d->txtVRt};
    for (int i = 0; i < 4; ++i) {
        Controls::label(d->frmDest, QStringLiteral("Label%1").arg(6 + i),
                        QString::fromUtf8(captions[i]), {8 + 136 * i, 28, 128, 16});
        *boxes[i] =
            Controls::lineBox(d->frmDest, QLatin1String(names[i]), {8 + 136 * i, 46, 128, 24});
        selectAllOnFocus(*boxes[i]);
    }
    d->txtVRa->setReadOnly(true);
    d->txtVRt->setReadOnly(true);
    d->txtIdLan = Controls::lineBox(d->frmDest, QStringLiteral("txtIdLan"), {8, 76, 264, 22});
    d->txtIdLan->setReadOnly(true);
    d->txtIdLan->setFocusPolicy(Qt::NoFocus);
    const std::pair<int, const char*> buttons[] = {
        {15, "Salvar"}, {14, "Sair"}, {13, "F11 >>"}, {12, "F12 <<"}};
    int x = 8;
    for (const auto& [number, caption] : buttons) {
        d->command[number] = Controls::button(d->frmDest, QStringLiteral("Command%1").arg(number),
                                              QString::fromUtf8(caption), {x, 104, 100, 28});
        x += 104;
    }
    d->frmDest->hide();
}

void frmCPagar_Baixa::connectUi() {
    auto click = [this](int number, void (frmCPagar_Baixa::*handler)()) {
        connect(d->cmd(number), &QPushButton::clicked, this, handler);
    };
    click(1, &frmCPagar_Baixa::Command1_Click);
    click(2, &frmCPagar_Baixa::Command2_Click);
    click(11, &frmCPagar_Baixa::Command11_Click);
    click(12, &frmCPagar_Baixa::Command12_Click);
    click(13, &frmCPagar_Baixa::Command13_Click);
    click(14, &frmCPagar_Baixa::Command14_Click);
    click(15, &frmCPagar_Baixa::Command15_Click);
    click(18, &frmCPagar_Baixa::Command18_Click);
    connect(d->txtCdFor, &QLineEdit::textChanged, d->txtNmFor, &QLineEdit::clear);
    onLeave(d->txtCdFor, [this] { txtCdFor_LostFocus(); });
    onLeave(d->txtVRj, [this] { CalculaTotalItem(); });
    onLeave(d->txtVRd, [this] { CalculaTotalItem(); });
    applyDateMask(d->txtDtBX, 10);
    connect(DataGrid1(), &QTableView::clicked, this, [this](const QModelIndex& index) {
        setCurrentRow(index.row());
        DataGrid1_Click();
    });
    connect(d->items->view(), &QTableView::clicked, this, [this](const QModelIndex& index) {
        d->items->rows().recordset().setPosition(index.row());
        DataGrid2_Click();
    });
}

bool frmCPagar_Baixa::functionKey(int key) {
    switch (key) {
    case Qt::Key_F1:
        Command1_Click();
        return true;
    case Qt::Key_F2:
        if (!d->txtCdFor->isReadOnly() && !d->frmDest->isVisible())
            supplierSearch();
        return true;
    case Qt::Key_F10:
        Command2_Click();
        return true;
    case Qt::Key_F11:
        Command11_Click();
        return true;
    default:
        return false;
    }
}

void frmCPagar_Baixa::escape() {
    closeList();
    d->items->close();
    done(QDialog::Rejected);
}

void frmCPagar_Baixa::Command1_Click() {
    if (!d->cmd(1)->isEnabled())
        return;
    WaitCursor wait;
    QString number;
    if (tryDb([&] { number = Receipts::newNumber(conexaoAberta()); }, &wait))
        startReceipt(number);
}

void frmCPagar_Baixa::startReceipt(const QString& number) {
    WaitCursor wait;
    d->cmd(1)->setEnabled(false);
    d->txtNrRec->setText(number);
    d->lines.clear();
    d->List1->clear();
    d->txtDtBX->setText(Formats::dateText(Clock::today()));
    d->txtDtBX->setReadOnly(false);
    d->txtCdFor->setReadOnly(false);
    d->cmd(11)->setEnabled(true);
    DataGrid1()->setEnabled(true);
    d->items->rows().setConnectionString(gStrConexao);
    d->items->rows().setRecordSource(kItems, {gIdLic, number});
    SomaItensRecibo();
    SomaMeiosPagto();
}

void frmCPagar_Baixa::supplierSearch() {
    SearchDialog::pickCode(&frmBuscaFornecedor::run, d->txtCdFor);
    gCodBusca = QString();
}

void frmCPagar_Baixa::txtCdFor_LostFocus() {
    d->txtNmFor->clear();
    const auto code = Formats::numericCode(d->txtCdFor->text());
    if (!code)
        return;
    tryDb([&] {
        Recordset rows = conexaoAberta().query(
            QStringLiteral("select nmfor from fornecedores where idlic = ? and cdfor like ?"),
            {gIdLic, *code});
        if (rows.isEmpty())
            return;
        d->txtNmFor->setText(rows.text(QStringLiteral("nmfor")));
        d->cmd(2)->setEnabled(true);
    });
}

void frmCPagar_Baixa::Command2_Click() {
    if (!d->cmd(2)->isEnabled())
        return;
    const auto code = Formats::numericCode(d->txtCdFor->text());
    if (d->txtNmFor->text().trimmed().isEmpty() || d->txtNrRec->text().trimmed().isEmpty() ||
        !Formats::parseDate(d->txtDtBX->text()) || !code) {
        inform(QStringLiteral("--- ERRO --- DADOS INVÁLIDO!"));
        return;
    }
    listOpen(kOpenColumns + QStringLiteral(" and c.cdfor like ? and c.vrab > 0 and c.pago = 'N' "
                                           "order by c.dtv"),
             {gIdLic, *code});
}

void frmCPagar_Baixa::Command11_Click() {
    if (!d->cmd(11)->isEnabled())
        return;
    listOpen(kOpenColumns +
                 QStringLiteral(" and c.dtv = ? and c.vrab > 0 and c.pago = 'N' order by c.dtv"),
             {gIdLic, Clock::today()});
}

void frmCPagar_Baixa::listOpen(const QString& sql, const QList<QVariant>& params) {
    WaitCursor wait;
    d->listLoaded = true;
    openList(sql, params, &wait);
}

void frmCPagar_Baixa::DataGrid1_Click() {
    if (currentRow() < 0)
        return;
    const Recordset& row = Adodc1().recordset();
    d->txtVRa->setText(Formats::plainAmount(decimalOf(row, "vrab")));
    d->txtVRj->setText(QStringLiteral("0"));
    d->txtVRd->setText(QStringLiteral("0"));
    d->txtVRt->setText(d->txtVRa->text());
    d->txtIdLan->setText(row.text(QStringLiteral("idlan")));
    d->lPro->setText(row.text(QStringLiteral("nrdoc")) + QLatin1Char(' ') +
                     row.text(QStringLiteral("parcela")));
    if (!d->frmDest->isVisible()) {
        d->frmDest->raise();
        d->frmDest->show();
        d->txtVRj->setFocus(Qt::OtherFocusReason);
    }
}

bool frmCPagar_Baixa::CalculaTotalItem() {
    const auto amounts = itemAmounts(d->txtVRa, d->txtVRj, d->txtVRd);
    if (!amounts)
        return false;
    d->txtVRj->setText(Formats::plainAmount(amounts->interest));
    d->txtVRd->setText(Formats::plainAmount(amounts->discount));
    d->txtVRt->setText(Formats::plainAmount(amounts->total));
    return true;
}

void frmCPagar_Baixa::Command15_Click() {
    if (refuseTooLong(d->txtVRj->text()) || refuseTooLong(d->txtVRd->text()))
        return;
    // As typed, before the boxes are rewritten in cents.
    const auto amounts = itemAmounts(d->txtVRa, d->txtVRj, d->txtVRd);
    if (!CalculaTotalItem()) {
        inform(QStringLiteral("--- ERRO --- VALOR DO DESCONTO E/OU JUROS INVÁLIDO!"));
        return;
    }
    // Each amount is checked against its column before anything is written.
    if (!valuesFit({{Columns::cpagar::vrpg, amounts->total},
                    {Columns::cpagar::vrj, amounts->interest},
                    {Columns::cpagar::vrd, amounts->discount}}))
        return;
    const QString idlan = d->txtIdLan->text().trimmed();
    if (idlan.isEmpty()) {
        inform(QStringLiteral("--- ERRO --- ID DO DOCUMENTO INVÁLIDO!"));
        return;
    }
    WaitCursor wait;
    Receipts::PutIn result;
    // The receipt's first item confirms its number.
    const bool first = d->items->rows().recordset().isEmpty();
    const bool ran = tryDb(
        [&] {
            result = Receipts::putIn(conexaoAberta(), idlan, d->txtNrRec->text(), first,
                                     amounts->interest, amounts->discount, amounts->total);
        },
        &wait);
    if (!ran || !result.done) {
        if (ran) {
            wait.done();
            if (result.closedElsewhere) {
                closedElsewhere();
                return;
            }
            inform(notOpenMessage(result));
        }
        refreshAfterFailure();
        // The frame no longer shows an instalment that cannot go in: it moves on to the list's
        // first, or is left when the list is empty.
        if (ran) {
            if (currentRow() >= 0)
                DataGrid1_Click();
            else
                Command14_Click();
        }
        return;
    }
    if (result.number != d->txtNrRec->text()) {
        d->txtNrRec->setText(result.number);
        d->items->rows().setRecordSource(kItems, {gIdLic, result.number});
    }
    // The instalment leaves the open list and joins the items; the frame moves on.
    tryDb(
        [&] {
            refreshList();
            d->items->refresh();
        },
        &wait);
    DataGrid1_Click();
    d->txtVRj->setFocus(Qt::OtherFocusReason);
}

void frmCPagar_Baixa::refreshAfterFailure() {
    tryDb([this] {
        if (d->listLoaded)
            refreshList();
        if (!d->txtNrRec->text().isEmpty())
            d->items->refresh();
    });
}

void frmCPagar_Baixa::Command12_Click() {
    Recordset& rows = Adodc1().recordset();
    // On the first row "F12 <<" stays there.
    if (rows.isEmpty() || rows.position() <= 0)
        return;
    setCurrentRow(std::min(rows.position(), rows.recordCount()) - 1);
    DataGrid1_Click();
}

void frmCPagar_Baixa::Command13_Click() {
    Recordset& rows = Adodc1().recordset();
    if (rows.eof())
        return;
    if (rows.position() + 1 >= rows.recordCount()) {
        // Past the last row: no current row, and the frame keeps its instalment.
        rows.setPosition(rows.recordCount());
        DataGrid1()->setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentRow(rows.position() + 1);
    DataGrid1_Click();
    d->txtVRj->setFocus(Qt::OtherFocusReason);
}

void frmCPagar_Baixa::Command14_Click() {
    SomaItensRecibo();
    d->txtCdFor->setFocus(Qt::OtherFocusReason);
    d->frmDest->hide();
}

void frmCPagar_Baixa::DataGrid2_Click() {
    const Recordset& items = d->items->rows().recordset();
    if (items.eof() || items.bof())
        return;
    const QString idlan = items.text(QStringLiteral("idlan"));
    if (msgBox(QStringLiteral("Confirma o estorno?"), QStringLiteral("Atençao"), MsgIcon::Question,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    WaitCursor wait;
    bool taken = false;
    if (tryDb([&] { taken = Receipts::takeOut(conexaoAberta(), idlan, d->txtNrRec->text()); },
              &wait) &&
        !taken) {
        wait.done();
        inform(QStringLiteral("--- ERRO --- ID DO DOCUMENTO INVÁLIDO!"));
    }
    if (d->listLoaded)
        tryDb([this] { refreshList(); }, &wait);
    SomaItensRecibo();
}

void frmCPagar_Baixa::SomaItensRecibo() {
    WaitCursor wait;
    d->items->view()->setEnabled(false);
    for (int number = 3; number <= 10; ++number)
        d->cmd(number)->setEnabled(false);
    if (d->txtNrRec->text().isEmpty()) {
        d->items->close();
    } else {
        tryDb([this] { d->items->refresh(); }, &wait);
    }
    Decimal open(0, 2), discount(0, 2), interest(0, 2), toPay(0, 2);
    Recordset& rows = d->items->rows().recordset();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        d->items->view()->setEnabled(true);
        for (int number = 3; number <= 10; ++number)
            d->cmd(number)->setEnabled(true);
        open = open + decimalOf(rows, "vrab");
        discount = discount + decimalOf(rows, "vrd");
        interest = interest + decimalOf(rows, "vrj");
        toPay = toPay + decimalOf(rows, "vrpg");
    }
    d->mTotalRecibo = toPay;
    d->lST->setText(QStringLiteral("Vr AB: %1 St.Juros: %2 St.Desc.: %3 Total: %4")
                        .arg(Formats::currency(open), Formats::currency(interest),
                             Formats::currency(discount), Formats::currency(toPay)));
}

void frmCPagar_Baixa::Command18_Click() {
    gCodBusca = QString();
    gNomeBusca = QStringLiteral("P");
    frmCPagar_BaixaPendente::run();
    const QString chosen = gCodBusca.toString().trimmed();
    // A receipt open on the screen is finished first.
    if (chosen.isEmpty() || !d->cmd(1)->isEnabled())
        return;
    startReceipt(chosen);
}

} // namespace vtx
