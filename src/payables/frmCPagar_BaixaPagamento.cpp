// The settlement form's paying side: the payment methods and their frame, the payment lines,
// their sums, and the close of the receipt.
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include "ColumnRefusals.h"
#include "Controls.h"
#include "Formats.h"
#include "Prompter.h"
#include "Session.h"
#include "frmCPagar_Baixa.h"
#include "frmCPagar_Baixa_p.h"

namespace vtx {

namespace {

/// The method buttons: number, caption and the text whose first three letters are its code.
struct Method {
    int number;
    const char* caption;
    const char* text;
};
const Method kMethods[] = {{3, "F3 Cheque", "CHE - Cheque"},
                           {4, "F4 Dinheiro", "DIN - Dinheiro"},
                           {5, "F5 Déb. em Conta", "DBC - Débito em conta"},
                           {6, "F6 Cartão C/D", "CTC - Cartão débito/crédito"},
                           {7, "F7 Pix", "PIX - Pix"},
                           {8, "F8 Ted/Doc", "TED - Doc/Ted"},
                           {9, "F9 Outros", "OUT - Outros"}};

const QString kTitle = QStringLiteral("ATENÇÃO");
const QString kDivergence =
    QStringLiteral("--- ERRO --- DIVERGÊNCIA NO VALOR A PAGAR E VALOR BAIXADO!");

bool askYesNo(const QString& question) {
    return msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
                  MsgDefault::Second) == MsgAnswer::Yes;
}

} // namespace

void frmCPagar_Baixa::buildPaymentFrame() {
    int x = 8;
    for (const Method& m : kMethods) {
        QPushButton* b = Controls::button(this, QStringLiteral("Command%1").arg(m.number),
                                          QString::fromUtf8(m.caption), {x, 562, 124, 30});
        d->command[m.number] = b;
        const QString text = QString::fromUtf8(m.text);
        connect(b, &QPushButton::clicked, this, [this, text] { choosePaymentMethod(text); });
        x += 128;
    }
    d->command[10] = Controls::button(this, QStringLiteral("Command10"),
                                      QStringLiteral("F12 Encerrar"), {x + 8, 562, 130, 30});
    connect(d->cmd(10), &QPushButton::clicked, this, &frmCPagar_Baixa::Command10_Click);
    for (int number = 3; number <= 10; ++number)
        d->cmd(number)->setEnabled(false);

    d->List1 = new QListWidget(this);
    d->List1->setObjectName(QStringLiteral("List1"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    d->List1->setFont(fixed);
    d->List1->setGeometry(8, 600, 560, 240);
    connect(d->List1, &QListWidget::itemDoubleClicked, this, &frmCPagar_Baixa::List1_DblClick);
    d->lPG =
        Controls::label(this, QStringLiteral("lPG"),
                        QStringLiteral("A pagar: R$ 0,00 M.Pagto: R$ 0,00"), {8, 846, 560, 20});
    QFont bold = font();
    bold.setBold(true);
    d->lPG->setFont(bold);

    d->frmMP = new QFrame(this);
    d->frmMP->setObjectName(QStringLiteral("frmMP"));
    d->frmMP->setFrameShape(QFrame::StyledPanel);
    d->frmMP->setAutoFillBackground(true);
    d->frmMP->setGeometry(580, 746, 562, 100);
    Controls::label(d->frmMP, QStringLiteral("Label10"), QStringLiteral("ESPECIE"),
                    {8, 6, 200, 16});
    d->lMP = Controls::label(d->frmMP, QStringLiteral("lMP"), QString(), {8, 24, 200, 24});
    Controls::label(d->frmMP, QStringLiteral("Label11"), QStringLiteral("Valor"),
                    {214, 6, 110, 16});
    d->txtVrMp = Controls::lineBox(d->frmMP, QStringLiteral("txtVrMp"), {214, 24, 110, 24});
    Controls::label(d->frmMP, QStringLiteral("Label12"), QStringLiteral("Histórico"),
                    {330, 6, 220, 16});
    d->txtobs = Controls::lineBox(d->frmMP, QStringLiteral("txtobs"), {330, 24, 224, 24}, 255);
    d->command[16] = Controls::button(d->frmMP, QStringLiteral("Command16"),
                                      QStringLiteral("Salvar"), {8, 60, 100, 28});
    d->command[17] = Controls::button(d->frmMP, QStringLiteral("Command17"), QStringLiteral("Sair"),
                                      {112, 60, 100, 28});
    connect(d->cmd(16), &QPushButton::clicked, this, &frmCPagar_Baixa::Command16_Click);
    connect(d->cmd(17), &QPushButton::clicked, d->frmMP, &QFrame::hide);
    d->frmMP->hide();
}

void frmCPagar_Baixa::choosePaymentMethod(const QString& method) {
    d->lMP->setText(method);
    d->txtVrMp->clear();
    d->txtobs->clear();
    d->frmMP->raise();
    d->frmMP->show();
    d->txtVrMp->setFocus(Qt::OtherFocusReason);
}

void frmCPagar_Baixa::Command16_Click() {
    const auto value = Formats::parseAmount(d->txtVrMp->text());
    if (refuseTooLong(d->txtVrMp->text()))
        return;
    if (!value) {
        msgBox(QStringLiteral("--- ERRO --- VALOR INVÁLIDO!"), kTitle, MsgIcon::Information);
        return;
    }
    if (*value <= Decimal()) {
        msgBox(QStringLiteral("--- ERRO --- VALOR NÃO PODE SER MENOR E/OU IGUAL A ZERO!"), kTitle,
               MsgIcon::Information);
        return;
    }
    if (!valuesFit({{Columns::cpagar_recibos::valor, *value}}))
        return;
    const ReceiptPayment line{value->rescaled(2), d->lMP->text().left(3), d->txtobs->text()};
    d->lines.push_back(line);
    d->List1->addItem(line.text());
    SomaMeiosPagto();
    d->frmMP->hide();
}

void frmCPagar_Baixa::List1_DblClick() {
    const int row = d->List1->currentRow();
    if (row < 0 || !askYesNo(QStringLiteral("Estorna o item?")))
        return;
    d->lines.erase(d->lines.begin() + row);
    delete d->List1->takeItem(row);
    SomaMeiosPagto();
}

void frmCPagar_Baixa::SomaMeiosPagto() {
    Decimal sum(0, 2);
    for (const ReceiptPayment& line : d->lines)
        sum = sum + line.amount;
    d->mTotalMeios = sum;
    d->lPG->setText(QStringLiteral("Vr MP: %1 Falta: %2")
                        .arg(Formats::currency(sum), Formats::currency(d->mTotalRecibo - sum)));
}

void frmCPagar_Baixa::Command10_Click() {
    if (!d->cmd(10)->isEnabled())
        return;
    const auto date = Formats::parseDate(d->txtDtBX->text());
    if (!date) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INVÁLIDO!"), kTitle, MsgIcon::Information);
        return;
    }
    if (d->mTotalMeios.rescaled(2) != d->mTotalRecibo.rescaled(2)) {
        msgBox(kDivergence, kTitle, MsgIcon::Exclamation);
        return;
    }
    if (!askYesNo(QStringLiteral("Confirma a baixa?")))
        return;

    d->cmd(10)->setEnabled(false);
    setEnabled(false);
    WaitCursor wait;
    auto outcome = Receipts::CloseOutcome::Divergent;
    const bool ran = tryDb(
        [&] { outcome = Receipts::close(conexaoAberta(), d->txtNrRec->text(), *date, d->lines); },
        &wait);
    setEnabled(true);
    wait.done();
    if (ran && outcome == Receipts::CloseOutcome::ClosedElsewhere) {
        closedElsewhere();
        return;
    }
    if (ran && outcome == Receipts::CloseOutcome::Divergent)
        msgBox(kDivergence, kTitle, MsgIcon::Exclamation);
    if (!ran || outcome != Receipts::CloseOutcome::Closed) {
        // The screen shows again what the database holds.
        SomaItensRecibo();
        SomaMeiosPagto();
        return;
    }
    msgBox(QStringLiteral("Baixa efetuada com sucesso!"), QStringLiteral("Atenção"),
           MsgIcon::Information);
    endReceipt();
}

void frmCPagar_Baixa::closedElsewhere() {
    // Final: the screen goes back to no receipt, as after its own close.
    errorBox(QStringLiteral("RECIBO JÁ ENCERRADO EM OUTRA ESTAÇÃO!"), MsgIcon::Exclamation);
    endReceipt();
}

void frmCPagar_Baixa::endReceipt() {
    d->txtNrRec->clear();
    d->txtDtBX->clear();
    d->txtCdFor->clear();
    d->lines.clear();
    d->List1->clear();
    d->cmd(11)->setEnabled(false);
    // No receipt, no frame: an instalment shown there could otherwise go into a receipt
    // without a number, where nothing would ever find it again.
    d->frmDest->hide();
    d->frmMP->hide();
    SomaItensRecibo();
    SomaMeiosPagto();
    DataGrid1()->setEnabled(false);
    d->cmd(1)->setEnabled(true);
}

} // namespace vtx
