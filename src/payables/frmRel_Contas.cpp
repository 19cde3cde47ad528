// The accounts report form: choices, the list with its heading, and "Imprimir".
#include "frmRel_Contas.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include "AccountsReport.h"
#include "AutoResize.h"
#include "Controls.h"
#include "DateMask.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "SearchDialog.h"
#include "Session.h"
#include "WaitCursor.h"
#include "frmBuscaFornecedor.h"
#include "frmgerapdfp.h"

namespace vtx {

struct frmRel_Contas::Private {
    QLineEdit *txtDTi, *txtDTf, *txtCdCli, *txtNmCli;
    QComboBox *cboTP, *cboSit;
    QLabel *Label4, *l_Tit;
    QPushButton *Command1, *Command2;
    QListWidget* List1;
};

frmRel_Contas::frmRel_Contas(QWidget* parent) : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmRel_Contas"));
    setWindowTitle(QStringLiteral("Relatório de Contas a Pagar / Receber"));
    buildUi();
    connectUi();

    // The type is fixed to payables; setting it clears the supplier and the list.
    d->l_Tit->clear();
    d->cboTP->setCurrentIndex(0);
    d->txtCdCli->clear();
    d->txtNmCli->clear();
    emptyList();
    d->Label4->setText(QStringLiteral("Fornecedor - F2 = Pesquisar"));
    d->cboTP->setEnabled(false);
    d->cboSit->setCurrentIndex(0);
    new AutoResize(this);
}

frmRel_Contas::~frmRel_Contas() = default;

void frmRel_Contas::buildUi() {
    // Captions carry names, so that the auto-resizer moves them with their controls.
    auto label = [this](const char* name, const char* text, const QRect& r) {
        return Controls::label(this, QLatin1String(name), QString::fromUtf8(text), r);
    };
    label("Label1", "Período", {8, 6, 200, 16});
    d->txtDTi = Controls::lineBox(this, QStringLiteral("txtDTi"), {8, 24, 96, 24});
    d->txtDTf = Controls::lineBox(this, QStringLiteral("txtDTf"), {110, 24, 96, 24});
    label("Label2", "Tipo", {216, 6, 140, 16});
    d->cboTP = new QComboBox(this);
    d->cboTP->setObjectName(QStringLiteral("cboTP"));
    d->cboTP->addItem(QStringLiteral("1 - C.Pagar"));
    d->cboTP->setGeometry(216, 24, 140, 24);
    label("Label3", "Situação", {364, 6, 150, 16});
    d->cboSit = new QComboBox(this);
    d->cboSit->setObjectName(QStringLiteral("cboSit"));
    d->cboSit->addItems({QStringLiteral("0 - Em Aberto"), QStringLiteral("1 - Baixado")});
    d->cboSit->setGeometry(364, 24, 150, 24);
    d->Label4 = Controls::label(this, QStringLiteral("Label4"), QString(), {522, 6, 374, 16});
    d->txtCdCli = Controls::lineBox(this, QStringLiteral("txtCdCli"), {522, 24, 70, 24});
    d->txtNmCli = Controls::lineBox(this, QStringLiteral("txtNmCli"), {596, 24, 300, 24});
    d->txtNmCli->setReadOnly(true);
    d->txtNmCli->setFocusPolicy(Qt::ClickFocus);
    d->Command1 = Controls::button(this, QStringLiteral("Command1"), QStringLiteral("Gerar"),
                                   {904, 20, 90, 30});
    d->Command2 = Controls::button(this, QStringLiteral("Command2"), QStringLiteral("Imprimir"),
                                   {1000, 20, 90, 30});

    // Fixed pitch, so that the columns line up.
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSizeF(8.25);
    fixed.setBold(true);
    d->l_Tit = Controls::label(this, QStringLiteral("l_Tit"), QString(), {8, 62, 1084, 18});
    d->l_Tit->setFont(fixed);
    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    d->List1->setFont(fixed);
    d->List1->setUniformItemSizes(true);
    d->List1->setGeometry(8, 82, 1084, 560);
    // The heading starts where the list's texts start, so that its columns stand over theirs.
    d->l_Tit->setIndent(d->List1->frameWidth() +
                        style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, d->List1) + 1);
    resize(1100, 650);

    const QList<QWidget*> order{d->txtDTi,   d->txtDTf,   d->cboTP,    d->cboSit,
                                d->txtCdCli, d->Command1, d->Command2, d->List1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmRel_Contas::connectUi() {
    auto* keys = new KeyPreview(this);
    keys->upperCase = false;
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_F2)
            return false;
        supplierSearch();
        return true;
    };
    keys->keyPress = [this](int& ascii) {
        if (ascii == kEscape) {
            ascii = 0;
            escape();
        }
    };
    applyDateMask(d->txtDTi, 10);
    applyDateMask(d->txtDTf, 10);
    // Any change of a choice makes the list and its printout stale.
    connect(d->cboSit, &QComboBox::currentIndexChanged, this, &frmRel_Contas::emptyList);
    connect(d->txtDTi, &QLineEdit::textChanged, this, &frmRel_Contas::emptyList);
    connect(d->txtDTf, &QLineEdit::textChanged, this, &frmRel_Contas::emptyList);
    connect(d->txtCdCli, &QLineEdit::textChanged, this, [this] {
        emptyList();
        d->txtNmCli->clear();
    });
    onLeave(d->txtCdCli, [this] { txtCdCli_LostFocus(); });
    connect(d->Command1, &QPushButton::clicked, this, &frmRel_Contas::Command1_Click);
    connect(d->Command2, &QPushButton::clicked, this, &frmRel_Contas::Command2_Click);
}

void frmRel_Contas::emptyList() {
    d->List1->clear();
    d->Command2->setEnabled(false);
}

void frmRel_Contas::escape() {
    if (gConexao().isOpen())
        gConexao().close();
    done(QDialog::Rejected);
}

void frmRel_Contas::supplierSearch() {
    emptyList();
    SearchDialog::pickCode(&frmBuscaFornecedor::run, d->txtCdCli);
}

void frmRel_Contas::txtCdCli_LostFocus() {
    d->txtNmCli->clear();
    const auto code = Formats::numericCode(d->txtCdCli->text());
    if (!code)
        return;
    try {
        Recordset rows = conexaoAberta().query(
            QStringLiteral("select nmfor from fornecedores where  idlic = ? and cdfor like ?"),
            {gIdLic, *code});
        if (!rows.isEmpty())
            d->txtNmCli->setText(rows.text(QStringLiteral("nmfor")));
    } catch (const DbError& e) {
        errorBox(e.message());
    }
}

void frmRel_Contas::Command1_Click() {
    emptyList();
    const auto start = Formats::parseDate(d->txtDTi->text());
    const auto end = Formats::parseDate(d->txtDTf->text());
    if (!start || !end || *start > *end) {
        msgBox(QStringLiteral("--- ERRO --- PERÍODO INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    AccountsReport::Choice choice;
    choice.situation = d->cboSit->currentText().startsWith(QLatin1Char('0'))
                           ? AccountsReport::Situation::Open
                           : AccountsReport::Situation::Settled;
    choice.start = *start;
    choice.end = *end;
    // A code filters only while its supplier was found.
    if (!d->txtNmCli->text().trimmed().isEmpty())
        choice.supplier = Formats::numericCode(d->txtCdCli->text());

    WaitCursor wait;
    d->l_Tit->setText(AccountsReport::heading(choice.situation));
    QStringList lines;
    try {
        lines = AccountsReport::build(conexaoAberta(), choice);
    } catch (const DbError& e) {
        wait.done();
        errorBox(e.message());
        return;
    }
    d->List1->addItems(lines);
    d->Command2->setEnabled(true);
}

void frmRel_Contas::Command2_Click() {
    WaitCursor wait;
    QStringList entries;
    for (int i = 0; i < d->List1->count(); ++i)
        entries << d->List1->item(i)->text();
    const AccountsReport::PrintHeader header{
        QStringLiteral("Tipo: ") + d->cboTP->currentText() + QStringLiteral(" Situação: ") +
            d->cboSit->currentText() + QStringLiteral("Período: ") + d->txtDTi->text() +
            QLatin1Char(' ') + d->txtDTf->text(),
        d->Label4->text().section(QLatin1Char(' '), 0, 0) + QStringLiteral(": ") +
            d->txtCdCli->text() + QLatin1Char(' ') + d->txtNmCli->text(),
        d->l_Tit->text()};
    if (const auto error = AccountsReport::write(entries, header)) {
        wait.done();
        errorBox(*error);
        return;
    }
    frmgerapdfp::printReport();
}

} // namespace vtx
