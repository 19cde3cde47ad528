// Holidays: day and month combos, the holiday's name and the list in calendar order.
#include "frmCadFeriados.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "Clock.h"
#include "DataControl.h"
#include "Formats.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

namespace {

const QStringList kMonths{
    QStringLiteral("JANEIRO"), QStringLiteral("FEVEREIRO"), QStringLiteral("MARÇO"),
    QStringLiteral("ABRIL"),   QStringLiteral("MAIO"),      QStringLiteral("JUNHO"),
    QStringLiteral("JULHO"),   QStringLiteral("AGOSTO"),    QStringLiteral("SETEMBRO"),
    QStringLiteral("OUTUBRO"), QStringLiteral("NOVEMBRO"),  QStringLiteral("DEZEMBRO")};

} // namespace

struct frmCadFeriados::Private {
    QComboBox* cboDia = nullptr;
    QComboBox* cboMes = nullptr;
    QLineEdit* txtObs = nullptr;
    QPushButton* Command1 = nullptr;
};

frmCadFeriados::frmCadFeriados(QWidget* parent)
    : DayListForm({{QStringLiteral("MÊS"), QStringLiteral("nMes")},
                   {QStringLiteral("DIA"), QStringLiteral("dia")},
                   {QStringLiteral("OBS"), QStringLiteral("obs")},
                   {QStringLiteral("OP"), QStringLiteral("evup")}},
                  QStringLiteral("feriados"), QStringLiteral("DUPLO CLIQUE EXCLUI"), parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmCadFeriados"));
    setWindowTitle(QStringLiteral("Calendário de Feriados"));
    buildUi();
    installKeys();
    Adodc2().setUpdateTarget(
        QStringLiteral("feriados"),
        {QStringLiteral("idlic"), QStringLiteral("dia"), QStringLiteral("mes")});
    openList(QStringLiteral("select * from feriados where idlic = ? order by mes,dia"), {gIdLic});
    d->cboDia->setFocus();
}

frmCadFeriados::~frmCadFeriados() = default;

void frmCadFeriados::buildUi() {
    d->cboDia = makeCombo(QStringLiteral("cboDia"));
    for (int day = 1; day <= 31; ++day)
        d->cboDia->addItem(QString::number(day));
    d->cboDia->setCurrentIndex(-1);
    d->cboMes = makeCombo(QStringLiteral("cboMes"));
    for (int month = 1; month <= 12; ++month)
        d->cboMes->addItem(kMonths.at(month - 1) + QStringLiteral(", ") + QString::number(month));
    d->cboMes->setCurrentIndex(-1);
    d->cboDia->setMinimumContentsLength(2);
    d->txtObs = new QLineEdit(this);
    d->txtObs->setObjectName(QStringLiteral("txtObs"));
    d->txtObs->setMaxLength(45);
    d->Command1 = makeSaveButton();

    auto* dayLabel = new QLabel(QStringLiteral("DIA"), this);
    dayLabel->setObjectName(QStringLiteral("Label2"));
    auto* header = new QLabel(QStringLiteral("MÊS                     OBS"), this);
    header->setObjectName(QStringLiteral("Label9"));
    header->setFont(d->cboMes->font());
    auto* layout = new QGridLayout(this);
    layout->addWidget(dayLabel, 0, 0);
    layout->addWidget(header, 0, 1, 1, 2);
    layout->addWidget(d->cboDia, 1, 0);
    layout->addWidget(d->cboMes, 1, 1);
    layout->addWidget(d->txtObs, 1, 2);
    layout->addWidget(d->Command1, 1, 3);
    layout->addWidget(gridFrame(), 2, 0, 1, 4);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(2, 1);
    stretchColumn(2);
    resize(700, 440);

    setTabOrder(d->cboDia, d->cboMes);
    setTabOrder(d->cboMes, d->txtObs);
    setTabOrder(d->txtObs, d->Command1);
    setTabOrder(d->Command1, DataGrid2());
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmCadFeriados::Command1_Click() {
    const QString dayText = d->cboDia->currentText();
    if (!Formats::isDigitsOnly(dayText) || d->cboMes->currentText().trimmed().isEmpty()) {
        msgBox(QStringLiteral("--- ERRO -- DADOS INCOMPLETOS!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Exclamation);
        return;
    }
    const QStringList month = d->cboMes->currentText().split(QLatin1Char(','));
    const QString monthName = month.at(0).trimmed();
    const int monthNumber = month.value(1).trimmed().toInt();
    const int day = dayText.trimmed().toInt();
    if (!QDate(Clock::today().year(), monthNumber, day).isValid()) {
        msgBox(QStringLiteral("--- ERRO --- DIA / MÊS INVÁLIDO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Exclamation);
        return;
    }
    WaitCursor wait;
    if (!tryDb([&] { writeHoliday(day, monthNumber, monthName); }, &wait))
        return;
    d->txtObs->clear();
    wait.done();
    d->cboDia->setFocus();
}

void frmCadFeriados::writeHoliday(int day, int month, const QString& monthName) {
    refreshList();
    Recordset& rows = Adodc2().recordset();
    rows.moveFirst();
    const bool stored = rows.find([&](const Recordset& r) {
        return r.value(QStringLiteral("dia")).toInt() == day &&
               r.value(QStringLiteral("mes")).toInt() == month;
    });
    commitRow([&](Recordset& r) {
        if (!stored) {
            r.addNew();
            r.setValue(QStringLiteral("idlic"), gIdLic);
            r.setValue(QStringLiteral("dia"), day);
            r.setValue(QStringLiteral("mes"), month);
            r.setValue(QStringLiteral("nMes"), monthName);
            r.setValue(QStringLiteral("obs"), d->txtObs->text());
            r.setValue(QStringLiteral("evcad"), Formats::auditStamp(QStringLiteral(" - ")));
        } else {
            r.setValue(QStringLiteral("obs"), d->txtObs->text());
        }
        r.setValue(QStringLiteral("evup"), Formats::auditStamp(QStringLiteral(" - ")));
    });
    refreshList();
}

} // namespace vtx
