// The supply registry: the registry pattern with a typed text code, looked up and saved in the
// installation's whole table whatever the list shows, and the group looked up by its code.
#include "frmCadProduto.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "ColumnRefusals.h"
#include "Decimal.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "frmBuscaGrupo.h"

namespace vtx {

namespace {

const QString kSupply = QStringLiteral("select * from produtos where idlic = ? and cdpro = ?");
const QString kGroup =
    QStringLiteral("select * from grupoestoque where idlic = ? and  cdgrupo = ?");

RegistryTable supplies() {
    RegistryTable table{QStringLiteral("produtos"),
                        QStringLiteral("cdpro"),
                        QStringLiteral("dspro"),
                        QStringLiteral("select * from produtos where idlic = ?  order by dspro"),
                        {{QStringLiteral("PRODUTO"), QStringLiteral("dspro")},
                         {QStringLiteral("UN"), QStringLiteral("un")},
                         {QStringLiteral("ULT.CMP"), QStringLiteral("dtucmp")},
                         {QStringLiteral("CÓDIGO"), QStringLiteral("cdpro")}},
                        /*refreshBeforeChange=*/true};
    table.pickOnClick = true;
    table.stampSeparator = QStringLiteral(" ");
    return table;
}

QString decimalOrEmpty(const QVariant& value, int minDecimals) {
    return value.isNull() ? QString()
                          : Formats::decimalText(value.value<Decimal>(), minDecimals, 4);
}

} // namespace

struct frmCadProduto::Private {
    QLineEdit* txtUN = nullptr;
    QLineEdit* txtCdGrupo = nullptr;
    QLineEdit* txtDsGrupo = nullptr;
    QLineEdit* txtFator = nullptr;
    QLineEdit* txtDtUA = nullptr;
    QLineEdit* txtQtde = nullptr;
    QLineEdit* txtDtUC = nullptr;
    QPlainTextEdit* txtmemo = nullptr;
    QComboBox* cboLote = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};

frmCadProduto::frmCadProduto(QWidget* parent)
    : RegistryForm(supplies(), QStringLiteral("Cadastro de Isnumos"), parent), d(new Private) {
    setObjectName(QStringLiteral("frmCadProduto"));
    conexaoAberta();
    buildUi();
    LimpaCampos();
    start();
}

frmCadProduto::~frmCadProduto() = default;

void frmCadProduto::buildUi() {
    auto line = [this](const char* name, int maxLength) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        if (maxLength > 0)
            box->setMaxLength(maxLength);
        return box;
    };
    txtcodcli()->setObjectName(QStringLiteral("txtCdPro"));
    txtcodcli()->setMaxLength(14);
    txtnome()->setObjectName(QStringLiteral("txtDsPro"));
    txtnome()->setMaxLength(45);
    d->txtUN = line("txtUN", 2);
    d->txtCdGrupo = line("txtCdGrupo", 0);
    d->txtDsGrupo = line("txtDsGrupo", 0);
    d->txtDsGrupo->setReadOnly(true);
    d->txtDsGrupo->setFocusPolicy(Qt::ClickFocus);
    d->txtFator = line("txtFator", 0);
    d->txtDtUA = line("txtDtUA", 10);
    d->txtQtde = line("txtQtde", 0);
    d->txtQtde->setReadOnly(true);
    d->txtDtUC = line("txtDtUC", 10);
    d->txtmemo = new QPlainTextEdit(this);
    d->txtmemo->setObjectName(QStringLiteral("txtmemo"));
    d->txtmemo->setTabChangesFocus(true);
    d->cboLote = new QComboBox(this);
    d->cboLote->setObjectName(QStringLiteral("cboLote"));
    d->cboLote->addItems({QStringLiteral("0 - Sim"), QStringLiteral("1 - não")});
    d->Command2 = makeButton(QStringLiteral("Command2"), QStringLiteral("F2 Pesq,Grupo"));
    d->Command3 = makeButton(QStringLiteral("Command3"), QStringLiteral("F10 Pesquisa Produto"));
    layOut();

    const QList<QWidget*> order{txtcodcli(), txtnome(),   d->txtUN,   d->txtCdGrupo, d->txtFator,
                                d->txtDtUA,  d->txtQtde,  d->txtDtUC, d->cboLote,    d->txtmemo,
                                d->Command2, d->Command3, cmdsalva(), cmdretorna(),  DataGrid1()};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QLineEdit* box : {d->txtFator, d->txtDtUA})
        selectAllOnFocus(box);
    onLeave(d->txtFator, [this] { txtFator_LostFocus(); });
    connect(d->txtCdGrupo, &QLineEdit::textChanged, this, [this] { txtCdGrupo_Change(); });
    connect(d->Command2, &QPushButton::clicked, this, [this] { searchGroup(); });
    connect(d->Command3, &QPushButton::clicked, this, [this] { searchByName(); });
}

void frmCadProduto::layOut() {
    auto* fields = new QGridLayout;
    int label = 0;
    auto put = [&](const QString& caption, QWidget* box, int row, int column, int span = 1) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QStringLiteral("Label%1").arg(++label));
        fields->addWidget(l, row * 2, column, 1, span);
        fields->addWidget(box, row * 2 + 1, column, 1, span);
    };
    put(QStringLiteral("CÓDIGO"), txtcodcli(), 0, 0);
    put(QStringLiteral("PRODUTO"), txtnome(), 0, 1, 4);
    put(QStringLiteral("UN"), d->txtUN, 0, 5);
    put(QStringLiteral("GRUPO DE ESTOQUE"), d->txtCdGrupo, 1, 0);
    fields->addWidget(d->txtDsGrupo, 3, 1, 1, 2);
    put(QStringLiteral("CUSTO"), d->txtFator, 1, 3);
    put(QStringLiteral("QTDE.MIN"), d->txtDtUA, 1, 4);
    put(QStringLiteral("ESTOQUE"), d->txtQtde, 1, 5);
    put(QStringLiteral("DT.U.CMP"), d->txtDtUC, 2, 0);
    put(QStringLiteral("Ctrl Lote?"), d->cboLote, 2, 1);
    put(QStringLiteral("INFORMAÇÕES ADICIONAIS"), d->txtmemo, 3, 0, 6);
    d->txtmemo->setMaximumHeight(70);
    fields->setColumnStretch(1, 2);
    fields->setColumnStretch(2, 2);
    layOutAround(fields, {d->Command2, d->Command3, cmdsalva(), cmdretorna()}, {760, 600});
}

void frmCadProduto::LimpaCampos() {
    cmdsalva()->setEnabled(true);
    d->cboLote->setCurrentIndex(0);
    for (QLineEdit* box : {txtnome(), d->txtUN, d->txtCdGrupo, d->txtFator, d->txtDtUA, d->txtQtde})
        box->clear();
    d->txtmemo->clear();
    d->txtDtUC->setText(QStringLiteral("SR"));
}

void frmCadProduto::codeBoxLeft() {
    const QString code = txtcodcli()->text();
    if (code.trimmed().isEmpty()) {
        LimpaCampos();
        return;
    }
    // Any stored supply of the installation, also one that a name search left out of the list.
    WaitCursor wait;
    Recordset row;
    if (!tryDb(
            [&] {
                refreshList();
                row = conexaoAberta().query(kSupply, {gIdLic, code});
            },
            &wait))
        return;
    if (row.isEmpty())
        LimpaCampos();
    else
        fillSupply(row);
}

void frmCadProduto::fillSupply(const Recordset& row) {
    txtnome()->setText(row.text(QStringLiteral("dspro")));
    d->txtUN->setText(row.text(QStringLiteral("un")));
    d->txtCdGrupo->setText(row.text(QStringLiteral("cdgrupo")));
    d->txtFator->setText(decimalOrEmpty(row.value(QStringLiteral("vcusto")), 2));
    d->txtDtUC->setText(row.text(QStringLiteral("dtucmp")));
    d->txtmemo->setPlainText(row.text(QStringLiteral("obs")));
    d->txtDtUA->setText(decimalOrEmpty(row.value(QStringLiteral("qmin")), 0));
    d->txtQtde->setText(QStringLiteral("***"));
    // Any value but "0" asks for no lot, as the purchases and deliveries read it.
    d->cboLote->setCurrentIndex(
        row.text(QStringLiteral("caplote")).trimmed() == QLatin1String("0") ? 0 : 1);
}

void frmCadProduto::txtFator_LostFocus() {
    if (const auto cost = Formats::parseAmount(d->txtFator->text()))
        d->txtFator->setText(Formats::decimalText(*cost, 2, 4));
}

void frmCadProduto::txtCdGrupo_Change() {
    const auto group = Formats::numericCode(d->txtCdGrupo->text());
    d->txtDsGrupo->clear();
    if (!group)
        return;
    tryDb([&] {
        const Recordset row = conexaoAberta().query(kGroup, {gIdLic, *group});
        if (!row.isEmpty())
            d->txtDsGrupo->setText(row.text(QStringLiteral("dsgrupo")));
    });
}

void frmCadProduto::searchGroup() {
    SearchDialog::pickCode(&frmBuscaGrupo::run, d->txtCdGrupo);
}

void frmCadProduto::searchByName() {
    const QString text =
        inputBox(QStringLiteral("Produto: "), QStringLiteral("Pesquisa produto já cadastrado"))
            .value_or(QString());
    openList(QStringLiteral("select * from produtos where  idlic = ? and dspro like ? order by "
                            "dspro"),
             {gIdLic, QStringLiteral("%") + text + QStringLiteral("%")});
    DataGrid1()->setFocus(Qt::OtherFocusReason);
}

bool frmCadProduto::functionKey(int key) {
    if (key == Qt::Key_F2)
        d->Command2->click();
    else if (key == Qt::Key_F10)
        d->Command3->click();
    else
        return false;
    return true;
}

void frmCadProduto::save() {
    const auto cost = Formats::parseAmount(d->txtFator->text());
    const auto minimum = Formats::parseAmount(d->txtDtUA->text());
    // An empty group description: the group code names no stored group.
    const QList<const QLineEdit*> required{txtcodcli(), txtnome(), d->txtUN, d->txtDsGrupo};
    const bool blank = std::any_of(required.begin(), required.end(), [](const QLineEdit* box) {
        return box->text().trimmed().isEmpty();
    });
    if (refuseTooLong(d->txtFator->text()) || refuseTooLong(d->txtDtUA->text()))
        return;
    if (blank || !cost || !minimum) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    if (cost->isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR DO CUSTO NÃO PODE SER MENOR QUE ZERO!"),
               QStringLiteral("Atenção"), MsgIcon::Information);
        return;
    }
    if (minimum->isNegative()) {
        msgBox(QStringLiteral("--- ERRO --- ESTOQUE MINIMO NÃO PODE SER MENOR QUE ZERO!"),
               QStringLiteral("Atenção"), MsgIcon::Exclamation);
        return;
    }
    if (!valuesFit({{Columns::produtos::vcusto, *cost}, {Columns::produtos::qmin, *minimum}}) ||
        !textFits(Columns::produtos::obs, d->txtmemo->toPlainText()))
        return;
    WaitCursor wait;
    if (!tryDb([&] { writeSupply(*cost, *minimum); }, &wait))
        return;
    tryDb([this] { refreshList(); }, &wait);
    wait.done();
    clear();
}

void frmCadProduto::writeSupply(const Decimal& cost, const Decimal& minimum) {
    const QString code = txtcodcli()->text();
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    Connection& connection = conexaoAberta();
    Transaction transaction(connection);
    Recordset row = connection.query(kSupply, {gIdLic, code});
    row.setUpdateTarget(&connection, QStringLiteral("produtos"),
                        {QStringLiteral("idlic"), QStringLiteral("cdpro")});
    if (row.isEmpty()) {
        row.addNew();
        row.setValue(QStringLiteral("idlic"), gIdLic);
        row.setValue(QStringLiteral("cdpro"), code);
        row.setValue(QStringLiteral("evcad"), stamp);
    }
    const auto group = Formats::numericCode(d->txtCdGrupo->text());
    const RegistryForm::Values values{
        {QStringLiteral("dspro"), txtnome()->text()},
        {QStringLiteral("un"), d->txtUN->text()},
        {QStringLiteral("cdgrupo"), group ? QVariant(*group) : QVariant()},
        {QStringLiteral("vcusto"), QVariant::fromValue(cost.rescaled(4))},
        {QStringLiteral("evup"), stamp},
        {QStringLiteral("dtucmp"), d->txtDtUC->text()},
        {QStringLiteral("obs"), d->txtmemo->toPlainText()},
        {QStringLiteral("qmin"), QVariant::fromValue(minimum.rescaled(4))},
        {QStringLiteral("caplote"), d->cboLote->currentText().left(1)}};
    for (const auto& [column, value] : values)
        row.setValue(column, value);
    row.update();
    transaction.commit();
}

void frmCadProduto::clear() {
    LimpaCampos();
    txtcodcli()->clear();
    txtcodcli()->setFocus(Qt::OtherFocusReason);
}

} // namespace vtx
