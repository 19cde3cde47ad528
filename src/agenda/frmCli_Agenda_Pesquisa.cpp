// The appointment search dialog: a query on every change of the name, F10 to choose.
#include "frmCli_Agenda_Pesquisa.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "AgendaInput.h"
#include "AutoResize.h"
#include "BoundGrid.h"
#include "Clock.h"
#include "Controls.h"
#include "DataControl.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Modal.h"
#include "Session.h"

namespace vtx {

namespace {

// Bookings of every professional and status from today on; the joins match the installation
// too, and "!" escapes the typed text's own "%" and "_".
const QString kSearch = QStringLiteral(
    "select agenda_clinica.*,profissionais.nmpro,procedimentos.nmproc from agenda_clinica "
    "left join profissionais on agenda_clinica.idlic = profissionais.idlic and "
    "agenda_clinica.idpro = profissionais.idpro "
    "left join procedimentos on agenda_clinica.idlic = procedimentos.idlic and "
    "agenda_clinica.idproc = procedimentos.idproc "
    "where agenda_clinica.idlic = ? and agenda_clinica.dia >= ? and agenda_clinica.nmpac like ? "
    "escape '!' order by nmpac,dia,hr");

/// "%", the text with its own "!", "%" and "_" taken literally, "%".
QString containing(QString text) {
    text.replace(QLatin1Char('!'), QStringLiteral("!!"))
        .replace(QLatin1Char('%'), QStringLiteral("!%"))
        .replace(QLatin1Char('_'), QStringLiteral("!_"));
    return QLatin1Char('%') + text + QLatin1Char('%');
}

} // namespace

struct frmCli_Agenda_Pesquisa::Private {
    QLineEdit* txtnmpac = nullptr;
    QPushButton* Command1 = nullptr;
    BoundGrid* grid = nullptr;
};

frmCli_Agenda_Pesquisa::frmCli_Agenda_Pesquisa(QWidget* parent) : QDialog(parent), d(new Private) {
    setObjectName(QStringLiteral("frmCli_Agenda_Pesquisa"));
    setWindowTitle(QStringLiteral("Agenda Clinica - Pesquisa Agendamento"));
    resize(900, 440);
    Controls::label(this, QStringLiteral("Label1"), QStringLiteral("Paciente"), {10, 8, 200, 16});
    d->txtnmpac = Controls::lineBox(this, QStringLiteral("txtnmpac"), {10, 26, 420, 22}, 60);
    d->Command1 = Controls::button(this, QStringLiteral("Command1"),
                                   QStringLiteral("F10 Selecionar"), {440, 22, 160, 30});
    d->Command1->setEnabled(false);
    d->grid = new BoundGrid(this, QStringLiteral("DataGrid1"), QStringLiteral("Adodc1"),
                            {{QStringLiteral("PACIENTE"), QStringLiteral("nmpac")},
                             {QStringLiteral("DATA"), QStringLiteral("dia")},
                             {QStringLiteral("HORÁRIO"), QStringLiteral("hr")},
                             {QStringLiteral("TELEFONE"), QStringLiteral("fone")},
                             {QStringLiteral("PROCEDIMENTO"), QStringLiteral("nmproc")},
                             {QStringLiteral("PROFISSIONAL"), QStringLiteral("nmpro")}});
    d->grid->view()->setGeometry(10, 60, 880, 370);
    d->grid->keepColumnShares({25, 10, 5, 12, 20, 25}, {3}); // the phone shows whole
    d->grid->rows().setConnectionString(gStrConexao);
    new AutoResize(this);

    connect(d->txtnmpac, &QLineEdit::textChanged, this, [this] { txtnmpac_Change(); });
    connect(d->Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    auto* keys = new KeyPreview(this);
    keys->keyDown = [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_F10)
            return false;
        Command1_Click();
        return true;
    };
    keys->keyPress = [this](int& ascii) {
        if (ascii != kEscape)
            return;
        ascii = 0;
        gCodBusca = QString();
        gNomeBusca.clear();
        d->grid->close();
        reject();
    };
}

frmCli_Agenda_Pesquisa::~frmCli_Agenda_Pesquisa() = default;

void frmCli_Agenda_Pesquisa::run() {
    frmCli_Agenda_Pesquisa dialog;
    showModal(&dialog);
}

void frmCli_Agenda_Pesquisa::txtnmpac_Change() {
    const QString name = d->txtnmpac->text();
    const bool searching = !name.trimmed().isEmpty();
    d->Command1->setEnabled(searching);
    if (!searching) {
        d->grid->close();
        return;
    }
    if (!reportingDbErrors([&] {
            d->grid->open(kSearch, {gIdLic, Clock::today(), containing(name)});
        })) {
        // No row of an earlier name can be chosen for this one.
        d->grid->close();
        d->Command1->setEnabled(false);
    }
}

void frmCli_Agenda_Pesquisa::Command1_Click() {
    const int row = d->grid->currentRow();
    if (!d->Command1->isEnabled() || row < 0)
        return;
    const Recordset& rows = d->grid->rows().recordset();
    const QVariant day = rows.value(row, rows.columnIndex(QStringLiteral("dia")));
    gCodBusca = Formats::dateTextOf(day);
    gNomeBusca = rows.value(row, rows.columnIndex(QStringLiteral("hr"))).toString();
    d->grid->close();
    accept();
}

} // namespace vtx
