// Suppliers: the registry pattern with fifteen boxes, the CPF/CNPJ check, the name and trade
// name searches, and a save that runs one statement on the shared connection.
#include "frmCadFor.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "BoundGrid.h"
#include "ColumnRefusals.h"
#include "DataControl.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Prompter.h"
#include "Session.h"
#include "SharedRoutines.h"

namespace vtx {

namespace {

/// A one-line box of the form: its control name, column, label and length.
struct Box {
    const char* name;
    const char* column;
    const char* label;
    int maxLength;
};

// In tab order after the code box; the name box comes from the pattern.
const Box kBoxes[] = {
    {"TXTCPF", "cpf", "CNPJ/CPF", 22},
    {"TXTRG", "rg", "IE/RG", 22},
    {"txtnome", "nmfor", "NOME", 45},
    {"txtcontato", "nmfant", "APELIDO", 30},
    {"txtfone", "fonefixo", "FONE FIXO", 30},
    {"txtnrcel", "fonecel", "CELULAR", 30},
    {"txtemail", "email", "E-MAIL", 200},
    {"txtruar", "rua", "RUA", 45},
    {"txtnr", "nrcasa", "No", 10},
    {"txtcepr", "cep", "CEP", 8},
    {"txtbairror", "bairro", "BAIRRO", 30},
    {"txtcidader", "cidade", "CIDADE", 30},
    {"txtufr", "uf", "UF", 2},
};

// The data columns in the order each statement writes them.
const char* const kInsertColumns[] = {"nmfor",   "nmfant", "cpf", "rg",     "fonefixo",
                                      "fonecel", "email",  "rua", "nrcasa", "bairro",
                                      "cidade",  "uf",     "obs", "cep"};
const char* const kUpdateColumns[] = {"cep",      "nmfor",   "nmfant", "cpf", "rg",
                                      "fonefixo", "fonecel", "email",  "rua", "nrcasa",
                                      "bairro",   "cidade",  "uf",     "obs"};

const QString kInsert = QStringLiteral(
    "insert into fornecedores (idlic,nmfor,nmfant,cpf,rg,fonefixo,fonecel,email,rua,nrcasa,"
    "bairro,cidade,uf,obs,cep,evcad,upev) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
const QString kUpdate = QStringLiteral(
    "update fornecedores set upev = ?,cep = ?, nmfor = ?,nmfant = ?, cpf = ?,rg = ?,fonefixo = "
    "?,fonecel = ?, email = ?, rua = ?, nrcasa = ?,bairro = ?,cidade = ?,uf = ?,obs = ? WHERE "
    "idlic = ? and cdfor like ?");
const QString kExists =
    QStringLiteral("select cdfor from fornecedores where idlic = ? and cdfor like ?");

RegistryTable supplierTable() {
    return {QStringLiteral("fornecedores"),
            QStringLiteral("cdfor"),
            QStringLiteral("nmfor"),
            QStringLiteral("select * from fornecedores where idlic = ?   order by nmfor"),
            {{QStringLiteral("NOME"), QStringLiteral("nmfor")},
             {QStringLiteral("APELIDO"), QStringLiteral("nmfant")},
             {QStringLiteral("CPF/CNPJ"), QStringLiteral("cpf")},
             {QStringLiteral("FONE FIXO"), QStringLiteral("fonefixo")},
             {QStringLiteral("CELULAR"), QStringLiteral("fonecel")},
             {QStringLiteral("MUNICIPIO"), QStringLiteral("cidade")},
             {QStringLiteral("CÓDIGO"), QStringLiteral("cdfor")}}};
}

/// Closes the shared connection when it leaves scope: the form never leaves it open.
struct SharedConnectionCloser {
    ~SharedConnectionCloser() {
        if (gConexao().isOpen())
            gConexao().close();
    }
};

} // namespace

struct frmCadFor::Private {
    QHash<QString, QLineEdit*> lines; // by column
    QPlainTextEdit* txtmemo = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};

frmCadFor::frmCadFor(QWidget* parent)
    : RegistryForm(supplierTable(), QStringLiteral("Fornecedores"), parent), d(new Private) {
    setObjectName(QStringLiteral("frmCadFor"));
    buildUi();
    start();
}

frmCadFor::~frmCadFor() = default;

void frmCadFor::buildUi() {
    txtcodcli()->setMaxLength(6);
    for (const Box& box : kBoxes) {
        QLineEdit* line = box.column == QLatin1String("nmfor") ? txtnome() : new QLineEdit(this);
        line->setObjectName(QLatin1String(box.name));
        line->setMaxLength(box.maxLength);
        d->lines.insert(QLatin1String(box.column), line);
    }
    d->txtmemo = new QPlainTextEdit(this);
    d->txtmemo->setObjectName(QStringLiteral("txtmemo"));
    d->txtmemo->setTabChangesFocus(true);
    d->Command2 = makeButton(QStringLiteral("Command2"), QStringLiteral("F11 Pesquisa Apelido"));
    d->Command3 = makeButton(QStringLiteral("Command3"), QStringLiteral("F10 Pesquisa Nome"));
    layOut();
    // The name is the column staff read: a long trade name never squeezes it.
    list().keepNoWiderThanFirst(1);

    QList<QWidget*> order{txtcodcli()};
    for (const Box& box : kBoxes)
        order << d->lines.value(QLatin1String(box.column));
    order << d->txtmemo << cmdsalva() << d->Command2 << d->Command3 << cmdretorna() << DataGrid1();
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    QLineEdit* cpf = d->lines.value(QStringLiteral("cpf"));
    selectAllOnFocus(cpf);
    onLeave(cpf, [this] { TXTCPF_LostFocus(); });
    connect(d->Command3, &QPushButton::clicked, this,
            [this] { search(QStringLiteral("Nome: "), QStringLiteral("nmfor"), false); });
    connect(d->Command2, &QPushButton::clicked, this,
            [this] { search(QStringLiteral("Apelido: "), QStringLiteral("nmfant"), true); });
}

void frmCadFor::layOut() {
    auto labelled = [this](const QString& text, QWidget* box) {
        auto* cell = new QVBoxLayout;
        cell->addWidget(new QLabel(text, this));
        cell->addWidget(box);
        return cell;
    };
    // Rows of labelled boxes by column, each with its share of the row's width.
    const QList<QList<QPair<const char*, int>>> rows{
        {{"cdfor", 1}, {"cpf", 2}, {"rg", 2}},
        {{"nmfor", 3}, {"nmfant", 2}},
        {{"fonefixo", 1}, {"fonecel", 1}, {"email", 3}},
        {{"rua", 4}, {"nrcasa", 1}, {"cep", 1}},
        {{"bairro", 3}, {"cidade", 3}, {"uf", 1}}};
    auto* layout = new QVBoxLayout(this);
    for (const auto& row : rows) {
        auto* line = new QHBoxLayout;
        for (const auto& [column, share] : row) {
            const auto box = std::find_if(std::begin(kBoxes), std::end(kBoxes), [&](const Box& b) {
                return qstrcmp(b.column, column) == 0;
            });
            if (box == std::end(kBoxes))
                line->addLayout(labelled(QStringLiteral("CÓDIGO"), txtcodcli()), share);
            else
                line->addLayout(
                    labelled(QString::fromUtf8(box->label), d->lines.value(QLatin1String(column))),
                    share);
        }
        layout->addLayout(line);
    }
    layout->addLayout(labelled(QStringLiteral("INFORMAÇÕES ADICIONAIS"), d->txtmemo));
    d->txtmemo->setMaximumHeight(70);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdsalva(), d->Command2, d->Command3, cmdretorna()})
        buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(DataGrid1(), 1);
    resize(820, 600);
}

QString frmCadFor::boxText(const QString& column) const {
    if (column == QLatin1String("obs"))
        return d->txtmemo->toPlainText();
    return d->lines.value(column)->text();
}

void frmCadFor::clearFields() {
    for (QLineEdit* line : std::as_const(d->lines))
        line->clear();
    d->txtmemo->clear();
}

void frmCadFor::fillFields(const Recordset& row) {
    for (auto it = d->lines.cbegin(); it != d->lines.cend(); ++it)
        it.value()->setText(row.text(it.key()));
    d->txtmemo->setPlainText(row.text(QStringLiteral("obs")));
}

void frmCadFor::TXTCPF_LostFocus() {
    QLineEdit* cpf = d->lines.value(QStringLiteral("cpf"));
    if (cpf->text().trimmed().isEmpty())
        return;
    // The routine's formatted form is not used: the box keeps the text as typed.
    QString document = cpf->text();
    ValidaCPFCNPJ(document);
    if (!gRetorno.toBool())
        cpf->clear();
}

void frmCadFor::search(const QString& prompt, const QString& column, bool upperCase) {
    QString text =
        inputBox(prompt, QStringLiteral("Pesquisa fornecedor já cadastrado")).value_or(QString());
    if (upperCase)
        text = text.toUpper();
    openList(QStringLiteral("select * from fornecedores where  idlic = ? and ") + column +
                 QStringLiteral(" like ? order by ") + column,
             {gIdLic, QStringLiteral("%") + text + QStringLiteral("%")});
    DataGrid1()->setFocus(Qt::OtherFocusReason);
}

bool frmCadFor::functionKey(int key) {
    if (key == Qt::Key_F10)
        d->Command3->click();
    else if (key == Qt::Key_F11)
        d->Command2->click();
    else
        return false;
    return true;
}

void frmCadFor::save() {
    if (txtnome()->text().trimmed().isEmpty()) {
        msgBox(QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    if (!textFits(Columns::fornecedores::obs, d->txtmemo->toPlainText()))
        return;
    const QString stamp = Formats::auditStamp(QStringLiteral(" "));
    WaitCursor wait;
    bool found = false;
    {
        SharedConnectionCloser closer;
        if (!tryDb([&] { found = writeSupplier(txtcodcli()->text(), stamp); }, &wait))
            return;
    }
    if (!found) {
        wait.done();
        codeNotFound();
        return;
    }
    tryDb([this] { refreshList(); }, &wait);
    wait.done();
    clear();
}

bool frmCadFor::writeSupplier(const QString& code, const QString& stamp) {
    // The statement runs on the shared connection, opened afresh for it.
    Connection& connection = gConexao();
    if (connection.isOpen())
        connection.close();
    connection.open(gStrConexao);
    Transaction transaction(connection);
    Params params;
    if (Formats::isDigitsOnly(code)) {
        const qlonglong cdfor = code.trimmed().toLongLong();
        if (connection.query(kExists, {gIdLic, cdfor}).isEmpty())
            return false;
        params.push_back(stamp);
        for (const char* column : kUpdateColumns)
            params.push_back(boxText(QLatin1String(column)));
        params.push_back(gIdLic);
        params.push_back(cdfor);
        connection.execute(kUpdate, params);
    } else {
        params.push_back(gIdLic);
        for (const char* column : kInsertColumns)
            params.push_back(boxText(QLatin1String(column)));
        params.push_back(stamp);
        params.push_back(stamp);
        connection.execute(kInsert, params);
    }
    transaction.commit();
    return true;
}

void frmCadFor::clear() {
    LimpaCampos();
    d->lines.value(QStringLiteral("cpf"))->setFocus(Qt::OtherFocusReason);
}

} // namespace vtx
