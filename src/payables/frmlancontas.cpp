// The expense entry form: fields and lookups, document loading, the schedule's generation,
// and the save, deletion and clearing that ExpenseDocument carries out.
#include "frmlancontas.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "AutoResize.h"
#include "Clock.h"
#include "ColumnRefusals.h"
#include "Controls.h"
#include "DataControl.h"
#include "DateMask.h"
#include "DbError.h"
#include "ExpenseDocument.h"
#include "Formats.h"
#include "InstalmentSchedule.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Recordset.h"
#include "SearchDialog.h"
#include "Session.h"
#include "frmBuscaCentroCusto.h"
#include "frmBuscaFornecedor.h"
#include "frmBuscaSubCentroCusto.h"

namespace vtx {

namespace {

const QString kTitle = QStringLiteral("ATENÇÃO");
const QString kList = QStringLiteral(
    "select * from cpagar left join fornecedores on cpagar.cdfor = fornecedores.cdfor where "
    "cpagar.idlic = ? order by fornecedores.nmfor,cpagar.dte");

void fail(const QString& text, MsgIcon icon, const QString& title = kTitle) {
    msgBox(text, title, icon);
}

QLineEdit* box(QWidget* parent, const char* name, const QRect& r, int maxLength = 0) {
    return Controls::lineBox(parent, QLatin1String(name), r, maxLength);
}

/// The document number as typed, without blanks at either end: the one number the form
/// loads, keys, stores and compares.
QString documentNumber(const QLineEdit* box) {
    return box->text().trimmed();
}

/// A name box filled by its code's lookup: read-only, reached by the mouse only.
QLineEdit* nameBox(QWidget* parent, const char* name, const QRect& r) {
    QLineEdit* b = box(parent, name, r);
    b->setReadOnly(true);
    b->setFocusPolicy(Qt::ClickFocus);
    return b;
}

} // namespace

struct frmlancontas::Private {
    QLineEdit *txtnrdoc, *txtref, *txtCdFor, *txtNmFor, *txtCdCentro, *txtNmCentro, *txtCdTPd,
        *txtNmTPd, *txtDTe, *txtobs, *txtQtParc;
    QPushButton *Command3, *Command7, *Command8, *cmdVR, *cmdsalva, *cmdexclu, *cmdretorna;
    InstalmentSchedule* schedule = nullptr;
    /// The stored document on the screen as it was loaded; none while the screen holds a new
    /// one (or one whose stored rows this save replaces).
    std::optional<StoredExpense> loaded;
};

frmlancontas::frmlancontas(QWidget* parent)
    : ListForm({{QStringLiteral("ID"), QStringLiteral("idlan")},
                {QStringLiteral("Documento No"), QStringLiteral("nrdoc")},
                {QStringLiteral("Valor Aberto"), QStringLiteral("vrab")},
                {QStringLiteral("Emissão"), QStringLiteral("dte")},
                {QStringLiteral("Fornecedor"), QStringLiteral("nmfor")},
                {QStringLiteral("obs"), QStringLiteral("obs")}},
               parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmlancontas"));
    setWindowTitle(QStringLiteral("Cadastro de Contas a Pagar"));
    buildUi();
    connectUi();
    installKeys();
    // Scaled with the form, and so opened whole on a screen smaller than its drawn size.
    new AutoResize(this);
    d->txtDTe->setText(Formats::dateText(Clock::today()));
    openList(kList, {gIdLic});
}

frmlancontas::~frmlancontas() = default;

InstalmentSchedule* frmlancontas::frmVCT() const {
    return d->schedule;
}

void frmlancontas::buildUi() {
    // Named Label1, Label2... in the order they stand, so that the auto-resizer scales them.
    int labels = 0;
    auto label = [this, &labels](const char* text, int x, int y, int w) {
        Controls::label(this, QStringLiteral("Label%1").arg(++labels), QString::fromUtf8(text),
                        QRect(x, y, w, 16));
    };
    auto button = [this](const char* name, const char* text, const QRect& r) {
        return Controls::button(this, QLatin1String(name), QString::fromUtf8(text), r);
    };
    label("Documento No", 8, 2, 160);
    d->txtnrdoc = box(this, "txtnrdoc", {8, 18, 160, 24}, 30);
    label("Referente", 176, 2, 420);
    d->txtref = box(this, "txtref", {176, 18, 420, 24}, 100);
    label("Emissão", 606, 2, 96);
    d->txtDTe = box(this, "txtDTe", {606, 18, 96, 24});
    label("QT.P * Max.115", 712, 2, 110);
    d->txtQtParc = box(this, "txtQtParc", {712, 18, 100, 24});
    d->txtQtParc->setText(QStringLiteral("1"));
    d->cmdVR = button("cmdVR", "Vr Total R$ 0,00", {850, 12, 286, 30});
    d->cmdVR->setFocusPolicy(Qt::NoFocus);

    label("Fornecedor", 8, 46, 160);
    d->txtCdFor = box(this, "txtCdFor", {8, 62, 70, 24});
    d->txtNmFor = nameBox(this, "txtNmFor", {82, 62, 380, 24});
    d->Command3 = button("Command3", "F2 Fornecedor", {466, 61, 130, 26});
    label("OBS", 606, 46, 160);
    d->txtobs = box(this, "txtobs", {606, 62, 530, 24}, 255);

    label("Centro de Custo", 8, 90, 160);
    d->txtCdCentro = box(this, "txtCdCentro", {8, 106, 70, 24});
    d->txtNmCentro = nameBox(this, "txtNmCentro", {82, 106, 380, 24});
    d->Command7 = button("Command7", "F3 Pesquisar", {466, 105, 130, 26});
    label("SubCentro", 606, 90, 160);
    d->txtCdTPd = box(this, "txtCdTPd", {606, 106, 70, 24});
    d->txtNmTPd = nameBox(this, "txtNmTPd", {680, 106, 322, 24});
    d->Command8 = button("Command8", "F4 Pesquisar", {1006, 105, 130, 26});
    for (QPushButton* b : {d->Command3, d->Command7, d->Command8})
        b->setFocusPolicy(Qt::ClickFocus);

    d->cmdsalva = button("cmdsalva", "Salvar Dados", {8, 134, 140, 28});
    d->cmdexclu = button("cmdexclu", "Excluir Dados", {154, 134, 140, 28});
    d->cmdexclu->setEnabled(false);
    d->cmdretorna = button("cmdretorna", "Limpa Tela", {300, 134, 140, 28});

    // The schedule stands exactly over the list of stored instalments.
    d->schedule = new InstalmentSchedule(this);
    DataGrid1()->setGeometry(d->schedule->geometry());
    DataGrid1()->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    DataGrid1()->horizontalHeader()->setStretchLastSection(true);
    d->schedule->hide();
    resize(1152, 686);

    const QList<QWidget*> order{d->txtnrdoc,
                                d->txtref,
                                d->txtCdFor,
                                d->txtCdCentro,
                                d->txtCdTPd,
                                d->txtDTe,
                                d->txtobs,
                                d->txtQtParc,
                                d->schedule->txtVR(0),
                                d->schedule->txtVCT(0),
                                d->cmdsalva,
                                d->cmdexclu,
                                d->cmdretorna,
                                DataGrid1()};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmlancontas::connectUi() {
    // Each code's name follows its every change.
    auto lookUp = [this](QLineEdit* code, QLineEdit* name, const char* sql, const char* column) {
        connect(code, &QLineEdit::textChanged, this, [=] {
            name->clear();
            const auto value = Formats::numericCode(code->text());
            if (!value)
                return;
            tryDb([&] {
                Recordset rows = conexaoAberta().query(QString::fromUtf8(sql), {gIdLic, *value});
                for (rows.moveFirst(); !rows.eof(); rows.moveNext())
                    name->setText(rows.text(QLatin1String(column)));
            });
        });
    };
    lookUp(d->txtCdFor, d->txtNmFor,
           "select nmfor from fornecedores where  idlic = ? and  cdfor like ?", "nmfor");
    lookUp(d->txtCdCentro, d->txtNmCentro,
           "select * from centrocusto where  idlic = ? and cdcen like ?", "nmcen");
    lookUp(d->txtCdTPd, d->txtNmTPd,
           "select * from subcentrocusto where  idlic = ? and cdscen like ?", "nmscen");

    connect(d->Command3, &QPushButton::clicked, this,
            [this] { search(&frmBuscaFornecedor::run, d->txtCdFor); });
    connect(d->Command7, &QPushButton::clicked, this,
            [this] { search(&frmBuscaCentroCusto::run, d->txtCdCentro); });
    connect(d->Command8, &QPushButton::clicked, this,
            [this] { search(&frmBuscaSubCentroCusto::run, d->txtCdTPd); });
    onLeave(d->txtCdFor, [this] { loadDocument(); });
    onLeave(d->txtQtParc, [this] { GeraParcelas(); });
    selectAllOnFocus(d->txtQtParc);
    applyDateMask(d->txtDTe, 10);
    connect(DataGrid1(), &QTableView::clicked, this, [this](const QModelIndex& index) {
        setCurrentRow(index.row());
        listClicked();
    });
    connect(d->cmdsalva, &QPushButton::clicked, this, [this] { save(); });
    connect(d->cmdexclu, &QPushButton::clicked, this, [this] { remove(); });
    connect(d->cmdretorna, &QPushButton::clicked, this, [this] { clear(); });
}

void frmlancontas::search(void (*run)(), QLineEdit* code) {
    // A loaded document keeps its supplier until the screen is cleared.
    if (code->isReadOnly())
        code->setFocus(Qt::OtherFocusReason);
    else
        SearchDialog::pickCode(run, code);
}

bool frmlancontas::functionKey(int key) {
    switch (key) {
    case Qt::Key_F2:
        d->Command3->click();
        return true;
    case Qt::Key_F3:
        d->Command7->click();
        return true;
    case Qt::Key_F4:
        d->Command8->click();
        return true;
    default:
        return false;
    }
}

void frmlancontas::escape() {
    // The schedule must be saved or cleared before the form can close.
    if (d->schedule->isVisible())
        return;
    FechaTabelas();
    done(QDialog::Rejected);
}

void frmlancontas::FechaTabelas() {
    closeList();
}

void frmlancontas::setDocumentKeyEditable(bool editable) {
    d->txtnrdoc->setReadOnly(!editable);
    d->txtCdFor->setReadOnly(!editable);
}

void frmlancontas::listClicked() {
    if (currentRow() < 0)
        return;
    const Recordset& row = Adodc1().recordset();
    d->txtnrdoc->setText(row.text(QStringLiteral("nrdoc")));
    d->txtCdFor->setText(row.text(QStringLiteral("cdfor")));
    loadDocument();
}

void frmlancontas::loadDocument() {
    const auto supplier = Formats::numericCode(d->txtCdFor->text());
    if (!supplier)
        return;
    d->schedule->hide();
    d->txtDTe->setText(Formats::dateText(Clock::today()));
    d->txtobs->clear();
    d->txtCdCentro->clear();
    d->txtCdTPd->clear();
    d->loaded.reset();
    d->cmdexclu->setEnabled(false);
    d->txtQtParc->setReadOnly(false);
    for (int i = 0; i < d->schedule->rowCount(); ++i)
        d->schedule->setLocked(i, false);
    setDocumentKeyEditable(true);

    WaitCursor wait;
    std::optional<StoredExpense> doc;
    if (!tryDb(
            [&] {
                doc =
                    ExpenseDocument::load(conexaoAberta(), documentNumber(d->txtnrdoc), *supplier);
            },
            &wait) ||
        !doc)
        return;
    fillDocument(*doc);
    d->loaded = std::move(doc);
}

void frmlancontas::fillDocument(const StoredExpense& doc) {
    d->cmdexclu->setEnabled(true);
    setDocumentKeyEditable(false);
    d->txtref->setText(doc.header.refdoc);
    d->txtDTe->setText(Formats::dateText(doc.header.dte));
    d->txtobs->setText(doc.header.obs);
    d->txtCdCentro->setText(QString::number(doc.header.cdcen));
    d->txtCdTPd->setText(QString::number(doc.header.cdscen));
    d->txtQtParc->setText(QString::number(doc.count));
    d->schedule->DescarregaParcelas();
    // As many rows as were read, whatever count their labels name.
    const int rows = int(doc.instalments.size());
    d->schedule->CarregaParcelas(rows);
    for (int k = 0; k < rows; ++k) {
        const Instalment& i = doc.instalments[size_t(k)];
        d->schedule->txtVR(k)->setText(Formats::plainAmount(i.value));
        d->schedule->txtVCT(k)->setText(Formats::dateText(i.dtv));
        d->schedule->lblParc(k)->setText(i.parcela);
        d->schedule->txtIdLan(k)->setText(i.idlan);
        d->schedule->setLocked(k, i.locked);
        if (i.locked)
            d->txtQtParc->setReadOnly(true);
    }
    d->schedule->raise();
    d->schedule->show();
}

void frmlancontas::GeraParcelas() {
    // A partly paid document keeps its count.
    if (d->txtQtParc->isReadOnly())
        return;
    layOutSchedule();
    // The count shows the rows a save stores, also when a refusal or a cancelled question left
    // only the rows there were (or row 0 alone).
    d->txtQtParc->setText(QString::number(d->schedule->rowCount()));
}

void frmlancontas::layOutSchedule() {
    const auto count = Formats::parseAmount(d->txtQtParc->text());
    // A count too long to read is out of the range like any count past the largest.
    if (!count && !Formats::isTooLongAmount(d->txtQtParc->text())) {
        fail(QStringLiteral("--- ERRO --- INFORME A QUANTIDADE DE PARCELAS!\nMinimo de 1 e máximo "
                            "de 115"),
             MsgIcon::Critical);
        return;
    }
    if (!count || count->rescaled(0) != *count || *count <= Decimal() ||
        *count > Decimal::fromInt(Instalments::kMax)) {
        fail(QStringLiteral("--- ERRO --- QUANTIDADE DE PARCELAS INFORMADO NÃO ACEITO!"),
             MsgIcon::Critical);
        return;
    }
    const int n = int(count->rescaled(0).units());
    d->schedule->DescarregaParcelas();

    // The value of each instalment (not a total to divide), then the first due date.
    const QString title = QStringLiteral("CONTAS A PAGAR");
    std::optional<Decimal> value;
    while (!value || *value <= Decimal()) {
        const auto answer = inputBox(QStringLiteral("VALOR DA PRIMEIRA PARCELA:"), title);
        if (!answer)
            return;
        value = Formats::parseAmount(*answer);
        // A number too long is told, then asked for again as any other refused answer.
        refuseTooLong(*answer);
    }
    std::optional<QDate> first;
    while (!first) {
        const auto answer = inputBox(QStringLiteral("DATA DO PRIMEIRO VENCIMENTO:"), title);
        if (!answer)
            return;
        first = Formats::parseDate(*answer);
        if (first && *first < Clock::today().addDays(-10)) {
            fail(QStringLiteral("--- ERRO --- VENCIMENTO MUITO RETROATIVO ACIMA DE 10 (DEZ) DIAS!"),
                 MsgIcon::Exclamation);
            first.reset();
        }
    }

    WaitCursor wait;
    d->schedule->raise();
    d->schedule->show();
    d->schedule->CarregaParcelas(n);
    const QString doc = documentNumber(d->txtnrdoc), supplier = d->txtCdFor->text().trimmed();
    for (int i = 0; i < n; ++i) {
        const QString label = Instalments::label(i + 1, n);
        d->schedule->txtVR(i)->setText(Formats::plainAmount(*value));
        d->schedule->txtVCT(i)->setText(Formats::dateText(Instalments::dueDate(*first, i)));
        d->schedule->lblParc(i)->setText(label);
        d->schedule->txtIdLan(i)->setText(Instalments::key(doc, label, supplier));
    }
    wait.done();
    d->schedule->txtVCT(0)->selectAll();
    d->schedule->txtVR(0)->setFocus(Qt::OtherFocusReason);
    d->schedule->txtVR(0)->selectAll();
}

bool frmlancontas::checkDocument(ExpenseHeader& h) {
    const auto emission = Formats::parseDate(d->txtDTe->text());
    const auto supplier = Formats::numericCode(d->txtCdFor->text());
    const auto centre = Formats::numericCode(d->txtCdCentro->text());
    const auto sub = Formats::numericCode(d->txtCdTPd->text());
    bool filled = emission && supplier && centre && sub;
    for (QLineEdit* b : {d->txtnrdoc, d->txtref, d->txtNmFor, d->txtNmCentro, d->txtNmTPd})
        filled = filled && !b->text().trimmed().isEmpty();
    if (!filled) {
        fail(QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!"), MsgIcon::Exclamation);
        return false;
    }
    if (*emission > Clock::today()) {
        fail(QStringLiteral("--- ERRO --- DATA DE EMISSÃO SUPERIOR A DATA ATUAL!"),
             MsgIcon::Exclamation);
        return false;
    }
    h = {documentNumber(d->txtnrdoc), d->txtref->text(), *supplier, *emission,
         d->txtobs->text(),           *centre,           *sub};
    return true;
}

bool frmlancontas::checkRows(const ExpenseHeader& h, std::vector<Instalment>& rows) {
    InstalmentSchedule* s = d->schedule;
    const int n = s->rowCount();
    // Labels and keys are made again from the document on the screen now, so that a row
    // never carries the key of a document typed before; a partly paid one keeps its own.
    if (!(d->loaded && d->loaded->partlyPaid()))
        for (int i = 0; i < n; ++i) {
            const QString label = Instalments::label(i + 1, n);
            s->lblParc(i)->setText(label);
            s->txtIdLan(i)->setText(Instalments::key(h.nrdoc, label, QString::number(h.cdfor)));
        }

    Decimal total(0, 2);
    for (int i = 0; i < n; ++i) {
        const QString label = s->lblParc(i)->text();
        const auto due = Formats::parseDate(s->txtVCT(i)->text());
        if (i == 0 && !due) {
            fail(QStringLiteral("--- ERRO --- VENCIMENTO DA PRIMEIRA PARCELA INVÁLIDO!"),
                 MsgIcon::Critical);
            return false;
        }
        if (i == 0 && *due < h.dte) {
            fail(QStringLiteral(
                     "--- ERRO --- PRIMEIRO VENCIMENTO NÃO PODE SER INFERIOR À DATA DE EMISSÃO!"),
                 MsgIcon::Critical);
            return false;
        }
        if (i > 0 && !due) {
            fail(QStringLiteral("--- ERRO --- VENCIMENTO DA PARCELA %1 E INVÁLIDO!").arg(label),
                 MsgIcon::Exclamation, QStringLiteral("ATENÇAO"));
            return false;
        }
        if (i > 0 && rows.back().dtv >= *due) {
            fail(QStringLiteral("A PARCELA %1 POSSUI VENCIMENTO IGUAL E/OU INFERIOR À PARCELA "
                                "ANTERIOR!")
                     .arg(label),
                 MsgIcon::Critical);
            return false;
        }
        const auto value = Formats::parseAmount(s->txtVR(i)->text());
        if (refuseTooLong(s->txtVR(i)->text()))
            return false;
        if (!value) {
            fail(QStringLiteral("--- ERRO --- O VALOR DA PARCELA %1 E INVÁLIDO!").arg(label),
                 MsgIcon::Critical);
            return false;
        }
        if (*value <= Decimal()) {
            fail(QStringLiteral("--- ERRO --- O VALOR DA PARCELA %1 NÃO PODE SER MENOR E/OU IGUAL "
                                "A ZERO!")
                     .arg(label),
                 MsgIcon::Critical);
            return false;
        }
        const Decimal rounded = value->rescaled(2);
        // Stored as the original and the open amount.
        if (!valuesFit({{Columns::cpagar::vrorig, rounded}, {Columns::cpagar::vrab, rounded}}))
            return false;
        s->txtVR(i)->setText(Formats::plainAmount(rounded));
        total = total + rounded;
        rows.push_back({s->txtIdLan(i)->text(), label, *due, rounded, s->isLocked(i)});
    }
    d->cmdVR->setText(QStringLiteral("Vr Total: ") + Formats::currency(total));
    return true;
}

void frmlancontas::save() {
    ExpenseHeader header;
    std::vector<Instalment> rows;
    if (!checkDocument(header) || !checkRows(header, rows))
        return;
    if (msgBox(QStringLiteral("Confirma?"), QStringLiteral("Atenção"), MsgIcon::None,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    WaitCursor wait;
    auto outcome = ExpenseDocument::Outcome::Done;
    const StoredExpense* loaded = d->loaded ? &*d->loaded : nullptr;
    if (!tryDb([&] { outcome = ExpenseDocument::save(conexaoAberta(), header, rows, loaded); },
               &wait))
        return;
    wait.done();
    if (outcome == ExpenseDocument::Outcome::Changed ||
        outcome == ExpenseDocument::Outcome::Duplicate) {
        fail(outcome == ExpenseDocument::Outcome::Changed
                 ? QStringLiteral("--- ERRO --- DESPESA ALTERADA EM OUTRA ESTAÇÃO!")
                 : QStringLiteral("--- ERRO --- DESPESA JÁ CADASTRADA!"),
             MsgIcon::Exclamation);
        loadDocument();
        return;
    }
    clear();
}

void frmlancontas::remove() {
    d->cmdexclu->setEnabled(false);
    if (!d->loaded)
        return;
    auto refuse = [] {
        msgBox(QStringLiteral("Despesa não pode ser excluída!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
    };
    if (d->loaded->partlyPaid()) {
        refuse();
        return;
    }
    if (msgBox(QStringLiteral("Confirma a exclusão?"), QStringLiteral("Atenção"), MsgIcon::None,
               MsgButtons::YesNo, MsgDefault::Second) != MsgAnswer::Yes)
        return;
    WaitCursor wait;
    auto outcome = ExpenseDocument::Outcome::Done;
    const ExpenseHeader& h = d->loaded->header;
    if (!tryDb([&] { outcome = ExpenseDocument::remove(conexaoAberta(), h.nrdoc, h.cdfor); },
               &wait))
        return;
    wait.done();
    if (outcome == ExpenseDocument::Outcome::Locked) {
        refuse();
        loadDocument();
        return;
    }
    clear();
}

void frmlancontas::clear() {
    WaitCursor wait;
    LimpaCampos();
    d->txtQtParc->setText(QStringLiteral("1"));
    d->txtQtParc->setReadOnly(false);
    d->txtnrdoc->clear();
    d->cmdexclu->setEnabled(false);
    tryDb([this] { refreshList(); }, &wait);
    wait.done();
    d->txtnrdoc->setFocus(Qt::OtherFocusReason);
}

void frmlancontas::LimpaCampos() {
    d->loaded.reset();
    d->schedule->DescarregaParcelas();
    d->schedule->hide();
    // Row 0 is emptied too, so that nothing of the last document reaches the next one.
    d->schedule->clearFirstRow();
    d->schedule->setLocked(0, false);
    setDocumentKeyEditable(true);
    for (QLineEdit* b : {d->txtCdTPd, d->txtCdCentro, d->txtNmCentro, d->txtCdFor, d->txtNmFor,
                         d->txtref, d->txtobs})
        b->clear();
}

} // namespace vtx
