// The contract list.
#include "frmOS_ListaOrc.h"

#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "AutoResize.h"
#include "BoundGrid.h"
#include "ContractColumns.h"
#include "ContractCreation.h"
#include "DataControl.h"
#include "DbError.h"
#include "Desktop.h"
#include "FormBusy.h"
#include "Formats.h"
#include "Impressos.h"
#include "Prompter.h"
#include "Session.h"
#include "frmBuscaPacientes.h"
#include "frmOs_MNT.h"

namespace vtx {

namespace {

const QString kList = QStringLiteral(
    "select o.idcontrato,o.dtc,o.status,o.nmresp,o.foneresp,c.nmpac,o.cidade from contrato o "
    "left join pacientes c on o.cdpac = c.idpac and c.idlic = o.idlic "
    "where o.idlic = ? and o.status in(?,?) order by o.dtc");

/// Each column's share of the grid's width, in per cent.
const QList<int> kShares{10, 10, 5, 30, 20, 15, 10};

bool ask(const QString& question) {
    return msgBox(question, QStringLiteral("Atenção"), MsgIcon::Question, MsgButtons::YesNo,
                  MsgDefault::Second) == MsgAnswer::Yes;
}

} // namespace

struct frmOS_ListaOrc::Private {
    QPushButton* buttons[5] = {};
};

frmOS_ListaOrc::frmOS_ListaOrc(QWidget* parent)
    : ListForm(
          namedColumns({"idcontrato", "dtc", "status", "nmresp", "foneresp", "nmpac", "cidade"}),
          parent),
      d(new Private) {
    setObjectName(QStringLiteral("frmOS_ListaOrc"));
    setWindowTitle(QStringLiteral("Contratos"));
    buildUi();
    installKeys(/*upperCase=*/false);
    openList(kList, {gIdLic, QStringLiteral("0"), QStringLiteral("1")});
}

frmOS_ListaOrc::~frmOS_ListaOrc() = default;

void frmOS_ListaOrc::buildUi() {
    const QSize size(900, 500);
    resize(size);
    // The menu bar sits in a layout of its own; every other control keeps its place, so
    // that the auto-resizer scales it.
    auto* menus = new QMenuBar(this);
    QAction* chkmed = menus->addAction(QStringLiteral("Checagem Medicamento"));
    chkmed->setObjectName(QStringLiteral("chkmed"));
    QAction* evo = menus->addAction(QStringLiteral("Ficha Evolução"));
    evo->setObjectName(QStringLiteral("evo"));
    // The blank sheets, for filling in by hand.
    connect(chkmed, &QAction::triggered, this, [] {
        if (Impressos::writeBlankCheckSheet())
            Impressos::openWrittenSheet();
    });
    connect(evo, &QAction::triggered, this, [] {
        if (Impressos::writeBlankEvolutionSheet())
            Impressos::openWrittenSheet();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);

    DataGrid1()->setGeometry(8, 30, size.width() - 16, size.height() - 80);
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::Monospace);
    DataGrid1()->setFont(courier);
    DataGrid1()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    const struct {
        const char* name;
        const char* caption;
        void (frmOS_ListaOrc::*action)();
    } buttons[] = {
        {"Command1", "F2 Abrir", &frmOS_ListaOrc::newContract},
        {"Command2", "F3 Editar", &frmOS_ListaOrc::editContract},
        {"Command3", "F4 Excluir", nullptr},
        {"Command4", "F5 Pesquisar", nullptr},
        {"Command6", "F6 Imprimir", &frmOS_ListaOrc::reopenPdf},
    };
    int x = 8;
    for (int i = 0; i < 5; ++i) {
        QPushButton* b =
            makeButton(QString::fromLatin1(buttons[i].name), QString::fromUtf8(buttons[i].caption));
        b->setGeometry(x, size.height() - 42, 120, 32);
        x += 126;
        // Deleting and searching contracts are not settled yet.
        const auto action = buttons[i].action;
        connect(b, &QPushButton::clicked, this, [this, action] {
            if (action)
                (this->*action)();
            else
                notAvailable();
        });
        d->buttons[i] = b;
    }
    new AutoResize(this);
    // The contract id shows whole, whatever the window's width.
    list().keepColumnShares(kShares, {0});
}

bool frmOS_ListaOrc::functionKey(int key) {
    if (key < Qt::Key_F2 || key > Qt::Key_F6)
        return false;
    d->buttons[key - Qt::Key_F2]->click();
    return true;
}

void frmOS_ListaOrc::escape() {
    if (gConexao().isOpen())
        gConexao().close();
    closeList();
    reject();
}

void frmOS_ListaOrc::newContract() {
    if (!ask(QStringLiteral("Confirma a abertura de um novo contrato?")))
        return;
    std::optional<QString> created;
    {
        FormBusy busy(this);
        for (;;) {
            gCodBusca = QString();
            gNomeBusca.clear();
            frmBuscaPacientes::run();
            const QString code = gCodBusca.toString().trimmed();
            if (!Formats::isDigitsOnly(code) || gNomeBusca.trimmed().isEmpty())
                break;
            if (!ask(QStringLiteral("Confirma o paciente abaixo?\r\n") + code + QLatin1Char(' ') +
                     gNomeBusca))
                continue;
            tryDb([&] { created = createContract(code.toLongLong()); });
            break;
        }
    }
    if (created)
        openContract(*created);
}

void frmOS_ListaOrc::editContract() {
    if (!Adodc1().isOpen() || currentRow() < 0)
        return;
    openContract(Adodc1().recordset().text(QStringLiteral("idcontrato")));
}

void frmOS_ListaOrc::openContract(const QString& contractId) {
    frmOs_MNT::run(contractId);
    tryDb([this] { refreshList(); });
}

void frmOS_ListaOrc::reopenPdf() {
    if (currentRow() < 0)
        return;
    FormBusy busy(this);
    if (!gArquivoPDF.isEmpty() && QFileInfo::exists(gArquivoPDF))
        Desktop::openFile(gArquivoPDF);
}

} // namespace vtx
