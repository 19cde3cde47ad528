// The people registries' shared boxes, fill-ins, searches, checks and save.
#include "PersonForm.h"

#include <map>

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "Clock.h"
#include "ColumnRefusals.h"
#include "DataControl.h"
#include "DateMask.h"
#include "DbError.h"
#include "Formats.h"
#include "Keyboard.h"
#include "PersonLookups.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

namespace {

struct SharedBox {
    const char* name;
    int maxLength;
};
const SharedBox kSharedBoxes[] = {
    {"txtdtcad", 0},    {"TXTCPF", 22},     {"TXTRG", 22},  {"txtdtnasc", 0}, {"txtfone", 30},
    {"txtnrcel", 30},   {"txtemail", 200},  {"txtcepr", 8}, {"txtruar", 45},  {"txtnr", 10},
    {"txtbairror", 30}, {"txtcidader", 30}, {"txtufr", 2},  {"txtCdMun", 0},
};

/// Each list column's share of the grid's width, in %.
const QList<int> kShares{25, 20, 11, 11, 11, 11, 11};
/// The columns whose values staff read whole: CPF/CNPJ and the two phones.
const QList<int> kWhole{2, 3, 4};

} // namespace

QList<GridColumn> personColumns(const GridColumn& name, const GridColumn& second,
                                const QString& landlineColumn, const QString& codeColumn) {
    return {name,
            second,
            {QStringLiteral("CPF/CNPJ"), QStringLiteral("cpf")},
            {QStringLiteral("FONE FIXO"), landlineColumn},
            {QStringLiteral("CELULAR"), QStringLiteral("fonecel")},
            {QStringLiteral("MUNICIPIO"), QStringLiteral("cidade")},
            {QStringLiteral("CÓDIGO"), codeColumn}};
}

struct PersonForm::Private {
    explicit Private(const TextColumn& column) : memoColumn(column) {}

    PersonSetup setup;
    const TextColumn& memoColumn;
    std::map<QString, QLineEdit*> boxes;
    QLineEdit* lookupCode = nullptr;
    QLineEdit* lookupName = nullptr;
    QPlainTextEdit* memo = nullptr;
    QPushButton* nameSearch = nullptr;
    QFrame* frame = nullptr;
    QVariant birthDate;
    AddressBoxes address;
};

PersonForm::PersonForm(PersonSetup setup, const TextColumn& memoColumn, QWidget* parent)
    : RegistryForm(setup.table, setup.caption, parent), d(new Private(memoColumn)) {
    d->setup = std::move(setup);
    d->frame = new QFrame(this);
    d->frame->setObjectName(QStringLiteral("Frame1"));
    for (const SharedBox& shared : kSharedBoxes)
        d->boxes[QString::fromLatin1(shared.name)] =
            newBox(QString::fromLatin1(shared.name), shared.maxLength);
    d->boxes[QStringLiteral("txtnome")] = txtnome();
    txtcodcli()->setMaxLength(6);
    box(QStringLiteral("txtCdMun"))->setReadOnly(true);
    const CodeLookup& lookup = d->setup.lookup;
    d->lookupCode = newBox(lookup.codeBox, lookup.maxLength);
    d->lookupName = newBox(lookup.nameBox, lookup.maxLength);
    d->lookupName->setReadOnly(true);
    d->memo = new QPlainTextEdit(d->frame);
    d->memo->setObjectName(QStringLiteral("txtmemo"));
    d->memo->setTabChangesFocus(true);
    d->nameSearch = new QPushButton(QStringLiteral("F10 Pesquisa Nome"), d->frame);
    d->nameSearch->setObjectName(QStringLiteral("Command3"));
    d->address = {box(QStringLiteral("TXTCPF")),     txtnome(),
                  box(QStringLiteral("txtcepr")),    box(QStringLiteral("txtruar")),
                  box(QStringLiteral("txtnr")),      box(QStringLiteral("txtbairror")),
                  box(QStringLiteral("txtcidader")), box(QStringLiteral("txtufr")),
                  box(QStringLiteral("txtemail")),   box(QStringLiteral("txtCdMun"))};

    applyDateMask(box(QStringLiteral("txtdtcad")));
    applyDateMask(box(QStringLiteral("txtdtnasc")), 10);
    selectAllOnFocus(d->address.TXTCPF);
    onLeave(d->address.TXTCPF, [this] { documentLeft(d->address); });
    onLeave(d->address.txtcepr, [this] { postalCodeLeft(d->address); });
    connect(d->lookupCode, &QLineEdit::textChanged, d->lookupName, &QLineEdit::clear);
    onLeave(d->lookupCode, [this] { runLookup(); });
    connect(d->nameSearch, &QPushButton::clicked, this, [this] { nameSearch(); });
    list().keepColumnShares(kShares, kWhole);
}

PersonForm::~PersonForm() = default;

QLineEdit* PersonForm::box(const QString& name) const {
    return d->boxes.at(name);
}
QLineEdit* PersonForm::lookupCode() const {
    return d->lookupCode;
}
QLineEdit* PersonForm::lookupName() const {
    return d->lookupName;
}
QPlainTextEdit* PersonForm::txtmemo() const {
    return d->memo;
}
QPushButton* PersonForm::Command3() const {
    return d->nameSearch;
}

QLineEdit* PersonForm::newBox(const QString& name, int maxLength) {
    auto* edit = new QLineEdit(d->frame);
    edit->setObjectName(name);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QComboBox* PersonForm::newCombo(const QString& name, const QStringList& items) {
    auto* combo = new QComboBox(d->frame);
    combo->setObjectName(name);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

QList<Placement> PersonForm::sharedPlacements() const {
    auto at = [this](const char* name, const char* label, int x, int row, int width) {
        QWidget* control =
            name == QByteArrayView("txtcodcli") ? txtcodcli() : box(QString::fromLatin1(name));
        return Placement{control, QString::fromUtf8(label), QRect(x, rowTop(row), width, 22)};
    };
    return {
        at("txtcodcli", "CÓDIGO", 10, 0, 70),
        at("txtdtcad", "DT.CADASTRO", 90, 0, 90),
        at("TXTCPF", "CNPJ/CPF", 190, 0, 170),
        at("TXTRG", "IE/RG", 370, 0, 150),
        at("txtdtnasc", "Dt.NASCIMENTO", 530, 0, 110),
        at("txtnome", "NOME", 10, 1, 430),
        at("txtfone", "FONE FIXO", 450, 1, 150),
        at("txtnrcel", "CELULAR", 610, 1, 150),
        at("txtemail", "E-MAIL", 10, 2, 300),
        at("txtcepr", "CEP", 320, 2, 80),
        at("txtruar", "RUA", 410, 2, 330),
        at("txtnr", "No", 750, 2, 60),
        at("txtbairror", "BAIRRO", 10, 3, 220),
        at("txtcidader", "CIDADE", 240, 3, 220),
        at("txtufr", "UF", 470, 3, 40),
    };
}

void PersonForm::layOut(const QList<Placement>& placements, QSize size) {
    resize(size);
    d->frame->setGeometry(0, 0, size.width(), size.height());
    QWidget* previous = nullptr;
    int labels = 0;
    for (const Placement& p : placements) {
        p.control->setParent(d->frame);
        p.control->setGeometry(p.geometry);
        if (!p.label.isEmpty()) {
            auto* label = new QLabel(p.label, d->frame);
            label->setObjectName(QStringLiteral("Label%1").arg(++labels));
            label->adjustSize();
            label->move(p.geometry.x(), p.geometry.y() - label->height() - 1);
        }
        if (previous)
            setTabOrder(previous, p.control);
        previous = p.control;
    }
    new AutoResize(this);
    start();
    box(QStringLiteral("txtdtcad"))->setText(Formats::dateText(Clock::today()));
}

void PersonForm::selectByDigit(QComboBox* combo, const QString& digit) {
    bool isNumber = false;
    const int index = digit.toInt(&isNumber);
    combo->setCurrentIndex(isNumber && digit.size() == 1 && index < combo->count() ? index : -1);
}

void PersonForm::LimpaCampos() {
    cmdsalva()->setEnabled(true);
    for (const auto& [name, edit] : d->boxes)
        edit->clear();
    d->lookupCode->clear();
    d->lookupName->clear();
    d->memo->clear();
    box(QStringLiteral("txtdtcad"))->setText(Formats::dateText(Clock::today()));
    clearFields();
}

void PersonForm::fillFields(const Recordset& row) {
    const QVariant birth = row.value(QStringLiteral("dtnasc"));
    box(QStringLiteral("txtdtnasc"))
        ->setText(birth.isNull() ? QStringLiteral("Não Informado")
                                 : Formats::dateText(birth.toDate()));
    const std::pair<const char*, QString> texts[] = {
        {"txtnrcel", QStringLiteral("fonecel")}, {"TXTCPF", QStringLiteral("cpf")},
        {"TXTRG", QStringLiteral("rg")},         {"txtnome", d->setup.table.nameColumn},
        {"txtruar", QStringLiteral("rua")},      {"txtnr", QStringLiteral("nrrua")},
        {"txtemail", QStringLiteral("eMail")},   {"txtbairror", QStringLiteral("bairro")},
        {"txtcepr", QStringLiteral("cep")},      {"txtcidader", QStringLiteral("cidade")},
        {"txtufr", QStringLiteral("uf")},        {"txtfone", d->setup.landlineColumn},
    };
    for (const auto& [name, column] : texts)
        box(QString::fromLatin1(name))->setText(row.text(column));
    d->memo->setPlainText(row.text(QStringLiteral("obs")));
    box(QStringLiteral("txtdtcad"))
        ->setText(Formats::dateTextOf(row.value(QStringLiteral("dtcad"))));
    fillOwn(row);
    d->lookupCode->setText(row.text(d->setup.lookup.codeColumn));
    runLookup();
}

bool PersonForm::fieldsFilled() const {
    return !d->lookupName->text().trimmed().isEmpty() && ownFilled();
}

bool PersonForm::checkFields() {
    if (!checkBeforePhones())
        return false;
    if (box(QStringLiteral("txtfone"))->text().trimmed().isEmpty() &&
        box(QStringLiteral("txtnrcel"))->text().trimmed().isEmpty()) {
        msgBox(QStringLiteral("Informe o fone fixo e/ou celular!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
        return false;
    }
    if (!checkAfterPhones())
        return false;
    if (!Formats::parseDate(box(QStringLiteral("txtdtcad"))->text())) {
        msgBox(QStringLiteral("--- ERRO --- DATA DE CADASTRO INCORRETA!"),
               QStringLiteral("ATENÇÃO"), MsgIcon::Exclamation);
        return false;
    }
    return textFits(d->memoColumn, d->memo->toPlainText());
}

RegistryForm::Values PersonForm::rowValues(bool inserting) const {
    auto text = [this](const char* name) { return box(QString::fromLatin1(name))->text(); };
    Values values;
    if (inserting) {
        values.append({QStringLiteral("idlic"), gIdLic});
        values.append({QStringLiteral("dtcad"), *Formats::parseDate(text("txtdtcad"))});
    }
    values += Values{
        {QStringLiteral("cpf"), text("TXTCPF")},
        {QStringLiteral("rg"), text("TXTRG")},
        {QStringLiteral("dtnasc"), d->birthDate},
        {d->setup.table.nameColumn, txtnome()->text()},
        {d->setup.landlineColumn, text("txtfone")},
        {QStringLiteral("fonecel"), text("txtnrcel")},
        {QStringLiteral("eMail"), text("txtemail")},
        {QStringLiteral("cep"), text("txtcepr")},
        {QStringLiteral("rua"), text("txtruar")},
        {QStringLiteral("nrrua"), text("txtnr")},
        {QStringLiteral("bairro"), text("txtbairror")},
        {QStringLiteral("cidade"), text("txtcidader")},
        {QStringLiteral("uf"), text("txtufr")},
        {QStringLiteral("obs"), d->memo->toPlainText()},
        {d->setup.lookup.codeColumn, d->lookupCode->text().trimmed().toLongLong()},
    };
    values += ownValues();
    values.append({QStringLiteral("evup"), stamp()});
    return values;
}

void PersonForm::codeBoxLeft() {
    LimpaCampos();
    RegistryForm::codeBoxLeft();
}

std::optional<QVariant> PersonForm::askBirthDate() {
    if (auto date = Formats::parseDate(box(QStringLiteral("txtdtnasc"))->text()))
        return QVariant(*date);
    if (msgBox(QStringLiteral("Atenção!!! Data de nascimento não informada ou inválida!\r"
                              "Prosseguir assim mesmo?"),
               QStringLiteral("Atençã"), MsgIcon::Question, MsgButtons::YesNo,
               MsgDefault::Second) != MsgAnswer::Yes)
        return std::nullopt;
    // An unknown birth date is stored as unknown, never as a made-up date.
    return QVariant();
}

void PersonForm::save() {
    const auto birth = askBirthDate();
    if (!birth)
        return;
    d->birthDate = *birth;
    if (txtnome()->text().trimmed().isEmpty() || !fieldsFilled()) {
        msgBox(QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    }
    if (!checkFields())
        return;
    d->frame->setEnabled(false);
    const QString code = txtcodcli()->text().trimmed();
    const bool change = Formats::isDigitsOnly(code);
    bool written = false;
    if (!tryDb([&] { written = writeRow(change ? code : QString(), rowValues(!change)); })) {
        d->frame->setEnabled(true);
        return;
    }
    if (!written) {
        codeNotFound();
        d->frame->setEnabled(true);
        return;
    }
    tryDb([this] { refreshList(); });
    clear();
    txtcodcli()->clear();
    txtcodcli()->setFocus(Qt::OtherFocusReason);
}

void PersonForm::clear() {
    LimpaCampos();
    txtcodcli()->clear();
    d->frame->setEnabled(true);
    d->address.TXTCPF->setFocus(Qt::OtherFocusReason);
}

bool PersonForm::functionKey(int key) {
    if (key == Qt::Key_F10)
        nameSearch();
    else if (key == Qt::Key_F2)
        lookupSearch();
    else
        return false;
    return true;
}

void PersonForm::nameSearch() {
    const QString answer =
        inputBox(QStringLiteral("Nome: "), d->setup.searchTitle).value_or(QString());
    if (openList(d->setup.filterSql, {gIdLic, QLatin1Char('%') + answer + QLatin1Char('%')}))
        DataGrid1()->setFocus(Qt::OtherFocusReason);
}

void PersonForm::lookupSearch() {
    gCodBusca = QString();
    gNomeBusca.clear();
    d->setup.lookup.search();
    const QString code = gCodBusca.toString().trimmed();
    if (!Formats::isDigitsOnly(code))
        return;
    d->lookupCode->setText(code);
    d->lookupCode->setFocus(Qt::OtherFocusReason);
}

void PersonForm::runLookup() {
    const QString code = d->lookupCode->text();
    if (!Formats::isDigitsOnly(code))
        return;
    tryDb([&] {
        // A lost shared connection closes itself and is opened again by the next lookup.
        Recordset rows = conexaoAberta().query(
            d->setup.lookup.sql, {gIdLic, QString::number(code.trimmed().toLongLong())});
        d->lookupName->clear();
        for (rows.moveFirst(); !rows.eof(); rows.moveNext())
            d->lookupName->setText(rows.text(d->setup.lookup.nameColumn));
    });
}

} // namespace vtx
