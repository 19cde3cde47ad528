// The cost-centre twins: registration forms and search dialogs, with the rights read at F12.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "FormDriving.h"
#include "Forms.h"
#include "Modal.h"
#include "Payables.h"
#include "PayablesFixture.h"
#include "ScriptedPrompter.h"
#include "Typing.h"
#include "frmBuscaCentroCusto.h"
#include "frmBuscaSubCentroCusto.h"
#include "frmCadCentroCusto.h"
#include "frmCadSubCentro.h"

namespace vtx::test {
namespace {

class CostCentreTest : public PayablesFixture {
protected:
    void allow(const QString& user, const QString& item, const char* value,
               const QString& idlic = gIdLic) {
        db.execute(QStringLiteral("insert into perfilusuario (idlic, nmusuario, campo, valor) "
                                  "values (?, ?, ?, ?)"),
                   {idlic, user, item, QString::fromLatin1(value)});
    }
    /// Runs a dialog's F12 and gives the forms it opened.
    QStringList pressF12(void (*run)()) {
        QStringList opened;
        setModalDriver([&](QDialog* form) {
            activate(form);
            opened << form->objectName();
            if (opened.size() == 1) {
                press(form, Qt::Key_F12);
                press(form, Qt::Key_Escape);
            }
        });
        run();
        return opened;
    }
};

TEST_F(CostCentreTest, SaveStoresTypedUpperCaseAndRewritesTheOneStamp) {
    frmCadCentroCusto f;
    activate(&f);
    auto* name = control<QLineEdit>(&f, "txtnome");
    control<QPushButton>(&f, "cmdsalva")->click();
    name->setText(QStringLiteral("   "));
    control<QPushButton>(&f, "cmdsalva")->click();
    EXPECT_EQ(prompts().texts(),
              QStringList(2, QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!")));

    name->setFocus();
    typeText(name, QStringLiteral("d'ávila "));
    control<QPushButton>(&f, "cmdsalva")->click();
    Recordset rows =
        db.query(QStringLiteral("select * from centrocusto where idlic = ?"), {gIdLic});
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("nmcen")), QStringLiteral("D'ÁVILA "));
    EXPECT_EQ(rows.text(QStringLiteral("evcad")), QStringLiteral("TESTE 14/03/2026 09:26:53"));
    EXPECT_EQ(name->text(), QString());
    EXPECT_TRUE(name->hasFocus());

    // Loading and saving again rewrites evcad with the user and moment of the change.
    gUsuario = QStringLiteral("MARIA");
    Clock::set(QDateTime(QDate(2026, 3, 15), QTime(8, 0, 1)));
    auto* code = control<QLineEdit>(&f, "txtcodcli");
    code->setText(rows.text(QStringLiteral("cdcen")));
    leave(code, name);
    EXPECT_TRUE(control<QPushButton>(&f, "Command1")->isEnabled());
    name->setText(QStringLiteral("OBRAS"));
    control<QPushButton>(&f, "cmdsalva")->click();
    rows = db.query(QStringLiteral("select * from centrocusto where idlic = ?"), {gIdLic});
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("nmcen")), QStringLiteral("OBRAS"));
    EXPECT_EQ(rows.text(QStringLiteral("evcad")), QStringLiteral("MARIA 15/03/2026 08:00:01"));
}

TEST_F(CostCentreTest, SubCentreFormPicksByClickAndRefusesUnknownCodes) {
    addSubCentre(QStringLiteral("LIMPEZA"));
    const long long id = addSubCentre(QStringLiteral("ALUGUEL"));
    frmCadSubCentro f;
    activate(&f);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("SubCentro de Custos - Cadastro"));
    auto* grid = control<QTableView>(&f, "DataGrid1");
    ASSERT_EQ(listed(&f), (QStringList{QStringLiteral("ALUGUEL"), QStringLiteral("LIMPEZA")}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 0)).center());
    auto* code = control<QLineEdit>(&f, "txtcodcli");
    EXPECT_EQ(code->text(), QString::number(id));
    leave(code, control<QLineEdit>(&f, "txtnome"));
    EXPECT_EQ(control<QLineEdit>(&f, "txtnome")->text(), QStringLiteral("ALUGUEL"));

    code->setText(QStringLiteral("999999"));
    leave(code, control<QLineEdit>(&f, "txtnome"));
    EXPECT_EQ(prompts().texts(),
              QStringList{QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!")});
    EXPECT_EQ(control<QLineEdit>(&f, "txtnome")->text(), QString());
}

TEST_F(CostCentreTest, F12AsksTheRightsTableOfThisInstallationAtTheKey) {
    registerPayablesForms();
    // The menu's state at login does not count.
    Forms::setMenuState([](const QString&) { return false; });
    const QString refusal = QStringLiteral("--- Perfil não autorizado!");

    EXPECT_EQ(pressF12(&frmBuscaCentroCusto::run), QStringList{"frmBuscaCentroCusto"});
    allow(QStringLiteral("TESTE"), QStringLiteral("ctpgcadcen"), "0", gIdLic + QLatin1Char('X'));
    EXPECT_EQ(pressF12(&frmBuscaCentroCusto::run), QStringList{"frmBuscaCentroCusto"});
    allow(QStringLiteral("TESTE"), QStringLiteral("ctpgcadscen"), "1");
    EXPECT_EQ(pressF12(&frmBuscaSubCentroCusto::run), QStringList{"frmBuscaSubCentroCusto"});
    EXPECT_EQ(prompts().texts(), QStringList(3, refusal));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_EQ(gRetorno.toString(), QStringLiteral("1"));

    allow(QStringLiteral("TESTE"), QStringLiteral("ctpgcadcen"), "0");
    EXPECT_EQ(pressF12(&frmBuscaCentroCusto::run),
              (QStringList{"frmBuscaCentroCusto", "frmCadCentroCusto"}));
    db.execute(QStringLiteral("delete from perfilusuario where idlic = ?"),
               {gIdLic + QLatin1Char('X')});
    Forms::setMenuState(nullptr);
}

TEST_F(CostCentreTest, F10HandsBackTheCurrentRowAndNothingFromAnEmptyList) {
    const long long id = addSubCentre(QStringLiteral("ALUGUEL"));
    setModalDriver([](QDialog* form) {
        activate(form);
        press(form, Qt::Key_F10);
    });
    gCodBusca = QString();
    frmBuscaSubCentroCusto::run();
    EXPECT_EQ(gCodBusca.toLongLong(), id);
    EXPECT_EQ(gNomeBusca, QStringLiteral("ALUGUEL"));

    gCodBusca = QString();
    gNomeBusca.clear();
    frmBuscaCentroCusto::run();
    EXPECT_EQ(gCodBusca.toString(), QString());
    EXPECT_EQ(gNomeBusca, QString());
}

} // namespace
} // namespace vtx::test
