// The schedule overview.
#include "frmOS_Cronograma.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableView>

#include "BoundGrid.h"
#include "ContractColumns.h"
#include "DataControl.h"
#include "Modal.h"
#include "Session.h"
#include "frmOS_CronoAgenda.h"

namespace vtx {

namespace {

const QString kProcedures = QStringLiteral(
    "select cp.idlan,cp.idproc,p.nmproc,cp.qtde,cp.complemento from contrato_procedimentos cp "
    "left join procedimentos p on cp.idproc = p.idproc and p.idlic = cp.idlic "
    "where cp.idlic = ? and idcontrato = ?");
const QString kSessions = QStringLiteral(
    "select ca.data,ca.hora,p.nmproc from contrato_agenda ca left join procedimentos p "
    "on ca.idproc = p.idproc and p.idlic = ca.idlic where ca.idlic = ? and ca.idcontrato = ? "
    "order by p.nmproc,ca.data,ca.hora");

} // namespace

struct frmOS_Cronograma::Private {
    QString contractId;
    QString patientCode;
    QPlainTextEdit* txtCompl = nullptr;
    BoundGrid* sessions = nullptr;
};

frmOS_Cronograma::frmOS_Cronograma(const QString& contractId, const QString& patientCode,
                                   QWidget* parent)
    : ListForm(namedColumns({"idlan", "idproc", "nmproc", "qtde~", "complemento"}), parent,
               QStringLiteral("DataGrid2")),
      d(new Private) {
    d->contractId = contractId;
    d->patientCode = patientCode;
    setObjectName(QStringLiteral("frmOS_Cronograma"));
    setWindowTitle(QStringLiteral("Contrato - Cronograma de Procedimentos"));
    buildUi();
    installKeys();
    openList(kProcedures, {gIdLic, contractId});
    tryDb([&] { d->sessions->open(kSessions, {gIdLic, contractId}); });
    showComplement();
}

frmOS_Cronograma::~frmOS_Cronograma() = default;

void frmOS_Cronograma::run(const QString& contractId, const QString& patientCode) {
    frmOS_Cronograma form(contractId, patientCode);
    showModal(&form);
}

BoundGrid& frmOS_Cronograma::sessions() const {
    return *d->sessions;
}

void frmOS_Cronograma::buildUi() {
    resize(760, 540);
    // DataGrid2, the list of this form, holds the procedures.
    DataGrid1()->setGeometry(10, 10, 740, 170);
    d->txtCompl = new QPlainTextEdit(this);
    d->txtCompl->setObjectName(QStringLiteral("txtCompl"));
    d->txtCompl->setReadOnly(true);
    d->txtCompl->setGeometry(10, 186, 740, 50);
    d->sessions = new BoundGrid(this, QStringLiteral("DataGrid1"), QStringLiteral("Adodc2"),
                                namedColumns({"data", "hora", "nmproc"}));
    d->sessions->view()->setGeometry(10, 244, 740, 286);
    d->sessions->view()->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    connect(DataGrid1()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showComplement(); });
    connect(DataGrid1(), &QTableView::clicked, this,
            [this](const QModelIndex& index) { procedureClicked(index.row()); });
}

void frmOS_Cronograma::showComplement() {
    d->txtCompl->setPlainText(
        currentRow() < 0 ? QString() : Adodc1().recordset().text(QStringLiteral("complemento")));
}

void frmOS_Cronograma::procedureClicked(int row) {
    if (row < 0 || row >= Adodc1().recordset().recordCount())
        return;
    setCurrentRow(row);
    const Recordset& rows = Adodc1().recordset();
    frmOS_CronoAgenda::run({d->contractId, d->patientCode, rows.text(QStringLiteral("idproc")),
                            rows.text(QStringLiteral("nmproc"))});
    // The sessions just generated or moved show here too.
    tryDb([this] { d->sessions->refresh(); });
}

void frmOS_Cronograma::escape() {
    closeList();
    reject();
}

} // namespace vtx
