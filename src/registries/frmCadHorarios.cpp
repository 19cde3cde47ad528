// Working hours: the professional combo, the place and weekday combos, the hour list and the
// list of the picked professional's rows.
#include "frmCadHorarios.h"

#include <algorithm>
#include <optional>

#include <QCollator>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "DataControl.h"
#include "Formats.h"
#include "HourList.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

namespace {

const QString kProfessionals = QStringLiteral(
    "select * from profissionais left join especialidades on profissionais.idesp like "
    "especialidades.idesp and especialidades.idlic = profissionais.idlic where "
    "profissionais.idlic = ? order by nmpro");
const QString kRows =
    QStringLiteral("select * from diahr where idlic = ? and idpro like ? order by vertmex,dia,hr");

/// The item data of a professional item: its place, specialty code and professional code.
enum ItemRole { kPlaceRole = Qt::UserRole, kSpecialtyRole, kProfessionalRole };

struct ProfessionalItem {
    QString text, place, specialty, professional;
};

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

struct frmCadHorarios::Private {
    QComboBox* cboPRO = nullptr;
    QComboBox* cboVM = nullptr;
    QComboBox* cboDia = nullptr;
    QLineEdit* txtHR = nullptr;
    QPushButton* Command1 = nullptr;
    QString mIdPro;
    std::optional<int> mIdEsp;
};

frmCadHorarios::frmCadHorarios(QWidget* parent)
    : DayListForm({{QStringLiteral("DIA"), QStringLiteral("dia")},
                   {QStringLiteral("HORÁRIOS"), QStringLiteral("hr")},
                   {QStringLiteral("LOC"), QStringLiteral("vertmex")}},
                  QStringLiteral("diahr"), QStringLiteral("DUPLO CLIQUE PARA EXCLUIR"), parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmCadHorarios"));
    setWindowTitle(QStringLiteral("Disponibilidade de Horários dos Profissionais"));
    buildUi();
    installKeys(/*upperCase=*/false);
    Adodc2().setUpdateTarget(QStringLiteral("diahr"), {});
    loadProfessionals();
    d->cboPRO->setFocus();
}

frmCadHorarios::~frmCadHorarios() = default;

void frmCadHorarios::buildUi() {
    d->cboPRO = makeCombo(QStringLiteral("cboPRO"));
    d->cboVM = makeCombo(QStringLiteral("cboVM"));
    d->cboDia = makeCombo(QStringLiteral("cboDia"));
    d->cboDia->addItems({QStringLiteral("1 - DOMINGO"), QStringLiteral("2 - SEGUNDA-FEIRA"),
                         QStringLiteral("3 - TERÇA-FEIRA"), QStringLiteral("4 - QUARTA-FEIRA"),
                         QStringLiteral("5 - QUINTA-FEIRA"), QStringLiteral("6 - SEXTA-FEIRA"),
                         QStringLiteral("7 - SÁBADO")});
    d->cboDia->setCurrentIndex(-1);
    d->txtHR = new QLineEdit(this);
    d->txtHR->setObjectName(QStringLiteral("txtHR"));
    d->txtHR->setMaxLength(130);
    d->Command1 = makeSaveButton();
    for (QWidget* w :
         std::initializer_list<QWidget*>{d->cboVM, d->cboDia, d->txtHR, d->Command1, DataGrid2()})
        w->setEnabled(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(makeLabel(this, QStringLiteral("Label1"), QStringLiteral("PROFISSIONAL")), 0,
                      0, 1, 3);
    layout->addWidget(d->cboPRO, 1, 0, 1, 3);
    layout->addWidget(makeLabel(this, QStringLiteral("Label2"), QStringLiteral("LOCAL?")), 2, 0);
    layout->addWidget(d->cboVM, 3, 0);
    layout->addWidget(d->cboDia, 3, 1);
    layout->addWidget(makeLabel(this, QStringLiteral("Label9"),
                                QStringLiteral("DIAS E HORÁRIOS DISPONIVEIS    Exemplo de como "
                                               "digitar os horários 8:15/9:20/13:30")),
                      4, 0, 1, 3);
    layout->addWidget(d->txtHR, 5, 0, 1, 3);
    layout->addWidget(d->Command1, 6, 0);
    layout->addWidget(gridFrame(), 7, 0, 1, 3);
    layout->setRowStretch(7, 1);
    layout->setColumnStretch(2, 1);
    d->cboVM->setMinimumContentsLength(11);
    stretchColumn(1);
    resize(760, 480);

    setTabOrder(d->cboPRO, d->cboVM);
    setTabOrder(d->cboVM, d->cboDia);
    setTabOrder(d->cboDia, d->txtHR);
    setTabOrder(d->txtHR, d->Command1);
    setTabOrder(d->Command1, DataGrid2());
    connect(d->cboPRO, &QComboBox::currentIndexChanged, this, [this] { cboPRO_Click(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmCadHorarios::loadProfessionals() {
    std::vector<ProfessionalItem> items;
    const bool read = openList(kProfessionals, {gIdLic});
    Recordset& rows = Adodc2().recordset();
    for (rows.moveFirst(); read && !rows.eof(); rows.moveNext())
        items.push_back({HourList::professionalItem(rows.text(QStringLiteral("nmpro")),
                                                    rows.text(QStringLiteral("nmesp")),
                                                    rows.text(QStringLiteral("vertmex")),
                                                    rows.text(QStringLiteral("idesp")),
                                                    rows.text(QStringLiteral("idpro"))),
                         rows.text(QStringLiteral("vertmex")), rows.text(QStringLiteral("idesp")),
                         rows.text(QStringLiteral("idpro"))});
    items.push_back(
        {HourList::homeItem(), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")});
    // The list keeps the alphabetical order of the item texts.
    QCollator collator(QLocale(QLocale::Portuguese, QLocale::Brazil));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        return collator.compare(a.text, b.text) < 0;
    });
    const QSignalBlocker quiet(d->cboPRO);
    for (const ProfessionalItem& item : items) {
        d->cboPRO->addItem(item.text);
        const int i = d->cboPRO->count() - 1;
        d->cboPRO->setItemData(i, item.place, kPlaceRole);
        d->cboPRO->setItemData(i, item.specialty, kSpecialtyRole);
        d->cboPRO->setItemData(i, item.professional, kProfessionalRole);
    }
    d->cboPRO->setCurrentIndex(-1);
    closeList();
}

void frmCadHorarios::cboPRO_Click() {
    const int i = d->cboPRO->currentIndex();
    if (i < 0)
        return;
    d->cboVM->clear();
    const QString place = d->cboPRO->itemData(i, kPlaceRole).toString().trimmed();
    if (place != QLatin1String("1"))
        d->cboVM->addItem(QStringLiteral("0 - CLINICA"));
    if (place != QLatin1String("0"))
        d->cboVM->addItem(QStringLiteral("1 - HOME"));
    d->cboVM->setCurrentIndex(-1);
    const QString specialty = d->cboPRO->itemData(i, kSpecialtyRole).toString();
    // A professional without a specialty code leaves none: the save refuses it.
    d->mIdEsp = Formats::isDigitsOnly(specialty) ? std::optional(specialty.trimmed().toInt())
                                                 : std::nullopt;
    d->mIdPro = d->cboPRO->itemData(i, kProfessionalRole).toString();
    for (QWidget* w :
         std::initializer_list<QWidget*>{d->cboDia, d->cboVM, d->txtHR, d->Command1, DataGrid2()})
        w->setEnabled(true);
    openList(kRows, {gIdLic, d->mIdPro.toLongLong()});
    d->cboVM->setFocus();
}

bool frmCadHorarios::inputAccepted() const {
    auto startsWithDigit = [](const QComboBox* combo) {
        return !combo->currentText().isEmpty() && combo->currentText().at(0).isDigit();
    };
    if (!Formats::isDigitsOnly(d->mIdPro) || !d->mIdEsp || !startsWithDigit(d->cboDia) ||
        !startsWithDigit(d->cboVM)) {
        msgBox(QStringLiteral("--- ERRO --- DADOS INCORRETO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Exclamation);
        return false;
    }
    if (d->txtHR->text().trimmed().isEmpty()) {
        msgBox(QStringLiteral("--- ERRO --- INFORME O(s) HORÁRIO(s)"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return false;
    }
    if (!HourList::isValid(d->txtHR->text())) {
        msgBox(QStringLiteral("--- ERRO --- HORÁRIOS POSSUI HORA INVÁLIDA!"),
               QStringLiteral("Atenção"), MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmCadHorarios::Command1_Click() {
    if (!inputAccepted())
        return;
    WaitCursor wait;
    if (!tryDb([this] { addRow(); }, &wait))
        return;
    wait.done();
    d->cboDia->setFocus();
}

void frmCadHorarios::addRow() {
    commitRow([this](Recordset& rows) {
        rows.addNew();
        rows.setValue(QStringLiteral("idlic"), gIdLic);
        rows.setValue(QStringLiteral("idpro"), d->mIdPro.trimmed().toLongLong());
        rows.setValue(QStringLiteral("dia"), d->cboDia->currentText());
        rows.setValue(QStringLiteral("hr"), d->txtHR->text());
        rows.setValue(QStringLiteral("evcad"), Formats::auditStamp(QStringLiteral(" - ")));
        rows.setValue(QStringLiteral("evup"), Formats::auditStamp(QStringLiteral("- ")));
        rows.setValue(QStringLiteral("vertmex"), d->cboVM->currentText().left(1));
        rows.setValue(QStringLiteral("idesp"), *d->mIdEsp);
    });
    refreshList();
}

} // namespace vtx
