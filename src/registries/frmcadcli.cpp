// The patient registry: responsible person, health-insurance plan and health flags on top of
// the people registry.
#include "frmcadcli.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "ColumnLimits.h"
#include "Prompter.h"
#include "Recordset.h"
#include "frmBuscaConvenios.h"

namespace vtx {

namespace {

PersonSetup patients() {
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    PersonSetup setup;
    setup.table = {s("pacientes"), s("idpac"), s("nmPac"),
                   s("select * from pacientes where idlic = ? order by nmpac"),
                   personColumns({s("PACIENTE"), s("nmPac")}, {s("RESPONSÁVEL"), s("nmresp")},
                                 s("fonepac"), s("idpac"))};
    setup.caption = s("Pacientes - Cadastro");
    setup.landlineColumn = s("fonepac");
    setup.filterSql = s("select * from pacientes where idlic = ? AND nmpac like ? order by nmpac");
    setup.searchTitle = s("Pesquisa paciente já cadastrado");
    setup.lookup = {s("txtIdConv"),
                    s("txtNmConv"),
                    30,
                    s("select * from convenios where idlic = ? and idconv like ?"),
                    s("idconv"),
                    s("nmconv"),
                    [] { frmBuscaConvenios::run(); }};
    return setup;
}

/// A health flag: its combo, the description it asks for, and their columns.
struct HealthFlag {
    QComboBox* combo = nullptr;
    QLineEdit* description = nullptr;
    QString flagColumn, descriptionColumn, missingMessage;
};

} // namespace

struct frmcadcli::Private {
    QLineEdit* txtNmResp = nullptr;
    QLineEdit* txtFoneResp = nullptr;
    HealthFlag flags[3];
};

frmcadcli::frmcadcli(QWidget* parent)
    : PersonForm(patients(), Columns::pacientes::obs, parent), d(new Private) {
    setObjectName(QStringLiteral("frmcadcli"));
    buildUi();
}

frmcadcli::~frmcadcli() = default;

void frmcadcli::buildUi() {
    d->txtNmResp = newBox(QStringLiteral("txtNmResp"), 30);
    d->txtFoneResp = newBox(QStringLiteral("txtFoneResp"), 30);
    const char* const names[3][5] = {
        {"cboAler", "txtAler", "taler", "dsaler", "Preencha as informações da alergia!"},
        {"cboMed", "txtMed", "tmed", "dsmed", "Preencha as informações da medicação!"},
        {"cboCir", "txtCir", "tcir", "dscir", "Preencha as informações da cirurgia!"},
    };
    for (int i = 0; i < 3; ++i) {
        HealthFlag& f = d->flags[i];
        f.combo = newCombo(QString::fromLatin1(names[i][0]),
                           {QStringLiteral("0 - NÃO"), QStringLiteral("1 - SIM")});
        f.description = newBox(QString::fromLatin1(names[i][1]), 130);
        f.flagColumn = QString::fromLatin1(names[i][2]);
        f.descriptionColumn = QString::fromLatin1(names[i][3]);
        f.missingMessage = QString::fromUtf8(names[i][4]);
    }

    QList<Placement> placements = sharedPlacements();
    const QString flagLabels[3] = {QStringLiteral("ALERGICO?"),
                                   QStringLiteral("MEDICAÇÃO CONTROLADA?"),
                                   QStringLiteral("POSSUI CIRURGIAS?")};
    placements << Placement{d->txtNmResp, QStringLiteral("RESPONSÁVEL"), {10, rowTop(4), 300, 22}}
               << Placement{d->txtFoneResp,
                            QStringLiteral("FONE RESPONSÁVEL"),
                            {320, rowTop(4), 160, 22}}
               << Placement{lookupCode(),
                            QStringLiteral("CONVÊNIO - F2 PESQUISAR"),
                            {490, rowTop(4), 70, 22}};
    for (int i = 0; i < 3; ++i)
        placements << Placement{d->flags[i].combo, flagLabels[i], {10, rowTop(5 + i), 180, 22}}
                   << Placement{d->flags[i].description, {}, {200, rowTop(5 + i), 610, 22}};
    placements << Placement{txtmemo(),
                            QStringLiteral("INFORMAÇÕES ADICIONAIS"),
                            {10, rowTop(8), 800, 50}}
               << Placement{cmdsalva(), {}, {10, 436, 110, 28}}
               << Placement{cmdretorna(), {}, {130, 436, 110, 28}}
               << Placement{Command3(), {}, {250, 436, 150, 28}}
               << Placement{box(QStringLiteral("txtCdMun")), {}, {520, rowTop(3), 90, 22}}
               << Placement{lookupName(), {}, {570, rowTop(4), 240, 22}}
               << Placement{DataGrid1(), {}, {10, 474, 880, 156}};
    layOut(placements, {900, 640});
}

void frmcadcli::clearFields() {
    d->txtNmResp->clear();
    d->txtFoneResp->clear();
    for (HealthFlag& f : d->flags) {
        f.description->clear();
        f.combo->setCurrentIndex(0);
    }
}

void frmcadcli::fillOwn(const Recordset& row) {
    d->txtNmResp->setText(row.text(QStringLiteral("nmresp")));
    d->txtFoneResp->setText(row.text(QStringLiteral("foneresp")));
    for (HealthFlag& f : d->flags) {
        f.description->setText(row.text(f.descriptionColumn));
        selectByDigit(f.combo, row.text(f.flagColumn));
    }
}

RegistryForm::Values frmcadcli::ownValues() const {
    Values values{{QStringLiteral("nmresp"), d->txtNmResp->text()},
                  {QStringLiteral("foneresp"), d->txtFoneResp->text()}};
    for (const HealthFlag& f : d->flags)
        values << QPair<QString, QVariant>{f.flagColumn, f.combo->currentText().left(1)}
               << QPair<QString, QVariant>{f.descriptionColumn, f.description->text()};
    return values;
}

bool frmcadcli::checkBeforePhones() {
    for (const HealthFlag& f : d->flags) {
        if (f.combo->currentText().startsWith(QLatin1Char('1')) &&
            f.description->text().trimmed().isEmpty()) {
            msgBox(f.missingMessage, QStringLiteral("Atenção"), MsgIcon::Information);
            return false;
        }
    }
    return true;
}

} // namespace vtx
