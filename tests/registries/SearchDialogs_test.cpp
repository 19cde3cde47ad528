// The registry search dialogs against the real server, driven through their modal opening.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

#include "DbFixture.h"
#include "FormDriving.h"
#include "Forms.h"
#include "Modal.h"
#include "Registries.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "frmBuscaConvenios.h"
#include "frmBuscaFornecedor.h"
#include "frmBuscaPacientes.h"
#include "frmBuscaProcedimentos.h"
#include "frmBuscaProf.h"

namespace vtx::test {
namespace {

class SearchDialogTest : public DbFixture {
protected:
    void TearDown() override {
        Forms::setMenuState(nullptr);
        DbFixture::TearDown();
    }

    /// Opens a dialog through its entry point and runs the steps on it while it is shown.
    void drive(void (*run)(), const std::function<void(QDialog*)>& steps) {
        driveModal(run, steps);
    }

    long long add(const QString& sql, const Params& values) {
        Params params{gIdLic};
        params.insert(params.end(), values.begin(), values.end());
        db.execute(sql, params);
        return db.lastInsertId();
    }
    long long addPlan(const QVariant& name) {
        return add(QStringLiteral("insert into convenios (idlic, nmconv) values (?, ?)"), {name});
    }

    /// Answers the next input box with a text (or cancels it) and presses the key.
    void filter(QDialog* f, Qt::Key key, std::optional<QString> answer) {
        prompts().inputAnswers.push_back(std::move(answer));
        press(f, key);
    }
};

TEST_F(SearchDialogTest, ListsByNameAndF10HandsTheCurrentRowBack) {
    addPlan(QStringLiteral("BETA"));
    const long long alfa = addPlan(QStringLiteral("ALFA"));
    gCodBusca = QString();
    drive(&frmBuscaConvenios::run, [&](QDialog* f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Convênios - Pesquisa"));
        EXPECT_EQ(listed(f), (QStringList{QStringLiteral("ALFA"), QStringLiteral("BETA")}));
        EXPECT_EQ(control<QPushButton>(f, "Command5")->text(), QStringLiteral("F10 SELECIONAR"));
        press(f, Qt::Key_F10);
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(gCodBusca.toLongLong(), alfa);
    EXPECT_EQ(gNomeBusca, QStringLiteral("ALFA"));
}

TEST_F(SearchDialogTest, FilterTextIsBoundAsAPattern) {
    for (const char* name : {"D'ÁVILA", "SILVA", "SOUZA", "COSTA"})
        addPlan(QString::fromUtf8(name));
    addPlan(QVariant());
    drive(&frmBuscaConvenios::run, [&](QDialog* f) {
        EXPECT_EQ(listed(f).size(), 5);
        filter(f, Qt::Key_F2, QStringLiteral("d'á"));
        EXPECT_EQ(listed(f), QStringList{QStringLiteral("D'ÁVILA")});
        filter(f, Qt::Key_F2, QStringLiteral("S%A"));
        EXPECT_EQ(listed(f), (QStringList{QStringLiteral("COSTA"), QStringLiteral("SILVA"),
                                          QStringLiteral("SOUZA")}));
        filter(f, Qt::Key_F2, std::nullopt);
        EXPECT_EQ(listed(f).size(), 3);
        // An empty answer lists every row whose name is not null.
        filter(f, Qt::Key_F2, QString());
        EXPECT_EQ(listed(f).size(), 4);
        ASSERT_EQ(prompts().inputs.size(), 4u);
        EXPECT_EQ(prompts().inputs[0].prompt, QStringLiteral("NOME:"));
        EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("PESQUISA PELO NOME"));
    });
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(SearchDialogTest, EmptyListIgnoresF10AndEscHandsBackNothing) {
    addPlan(QStringLiteral("ALFA"));
    gCodBusca = QStringLiteral("sentinela");
    gNomeBusca = QStringLiteral("sentinela");
    drive(&frmBuscaConvenios::run, [&](QDialog* f) {
        filter(f, Qt::Key_F2, QStringLiteral("ZZZ"));
        ASSERT_TRUE(listed(f).isEmpty());
        press(f, Qt::Key_F10);
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(gCodBusca.toString(), QStringLiteral("sentinela"));
        press(f, Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
    });
    EXPECT_EQ(gCodBusca.toString(), QString());
    EXPECT_EQ(gNomeBusca, QString());
}

TEST_F(SearchDialogTest, F12WithoutTheRightShowsTheDialogsOwnRefusal) {
    QStringList asked;
    Forms::setMenuState([&](const QString& item) {
        asked << item;
        return false;
    });
    const std::pair<void (*)(), QString> cases[] = {
        {&frmBuscaConvenios::run, QStringLiteral("Perfil sem permissão!")},
        {&frmBuscaPacientes::run, QStringLiteral("Perfil não autorizado!")},
        {&frmBuscaProf::run, QStringLiteral("Perfil não autorizado!")},
        {&frmBuscaFornecedor::run, QStringLiteral("Perfil sem permissão!")}};
    for (const auto& [run, refusal] : cases) {
        prompts().reset();
        drive(run, [&](QDialog* f) {
            press(f, Qt::Key_F12);
            EXPECT_TRUE(f->isVisible());
        });
        ASSERT_EQ(prompts().texts(), QStringList{refusal});
        EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    }
    EXPECT_EQ(asked, (QStringList{QStringLiteral("cadConv"), QStringLiteral("cadPac"),
                                  QStringLiteral("cadProf"), QStringLiteral("cadfor")}));
}

TEST_F(SearchDialogTest, F12OpensTheRegistrationFormAndRunsTheLastFilterAgain) {
    registerRegistryForms();
    addPlan(QStringLiteral("ALFA"));
    addPlan(QStringLiteral("BETA"));
    QStringList opened;
    setModalDriver([&](QDialog* form) {
        activate(form);
        opened << form->objectName();
        if (form->objectName() == QLatin1String("frmBuscaConvenios")) {
            filter(form, Qt::Key_F2, QStringLiteral("AL"));
            press(form, Qt::Key_F12);
            EXPECT_EQ(listed(form), (QStringList{QStringLiteral("ALFA"), QStringLiteral("ALMA")}));
            press(form, Qt::Key_Escape);
        } else if (form->objectName() == QLatin1String("frmCadConvenios")) {
            control<QLineEdit>(form, "txtnome")->setText(QStringLiteral("ALMA"));
            control<QLineEdit>(form, "txtPDesc")->setText(QStringLiteral("0"));
            control<QPushButton>(form, "cmdsalva")->click();
        }
    });
    frmBuscaConvenios::run();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("frmBuscaConvenios"),
                                   QStringLiteral("frmCadConvenios")}));
}

TEST_F(SearchDialogTest, CloseBoxAfterF12LeavesWhatTheOpenerSet) {
    // The patient form that F12 opens runs a plan search of its own; that plan is not the
    // patient search's choice.
    registerRegistryForms();
    const long long plan = addPlan(QStringLiteral("ALFA"));
    gCodBusca = QString();
    gNomeBusca = QStringLiteral("QUEM ABRIU");
    QStringList opened;
    QString planBox;
    setModalDriver([&](QDialog* form) {
        activate(form);
        opened << form->objectName();
        if (form->objectName() == QLatin1String("frmBuscaPacientes")) {
            press(form, Qt::Key_F12);
            EXPECT_TRUE(form->isVisible());
            form->close();
        } else if (form->objectName() == QLatin1String("frmcadcli")) {
            press(form, Qt::Key_F2);
            planBox = control<QLineEdit>(form, "txtIdConv")->text();
            press(form, Qt::Key_Escape);
        } else {
            press(form, Qt::Key_F10);
        }
    });
    frmBuscaPacientes::run();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("frmBuscaPacientes"), QStringLiteral("frmcadcli"),
                                   QStringLiteral("frmBuscaConvenios")}));
    EXPECT_EQ(planBox, QString::number(plan));
    EXPECT_EQ(gCodBusca.toString(), QString());
    EXPECT_EQ(gNomeBusca, QStringLiteral("QUEM ABRIU"));
}

TEST_F(SearchDialogTest, ProcedureSearchListsClinicProceduresOnly) {
    const QString sql =
        QStringLiteral("insert into procedimentos (idlic, nmproc, vertmex) values (?, ?, ?)");
    add(sql, {QStringLiteral("CURATIVO"), QStringLiteral("0")});
    add(sql, {QStringLiteral("CURATIVO HOME"), QStringLiteral("1")});
    for (const char* openerValue : {"1", "", "7"}) {
        gCodBusca = QString::fromLatin1(openerValue);
        drive(&frmBuscaProcedimentos::run, [&](QDialog* f) {
            EXPECT_EQ(gCodBusca.toString(), QStringLiteral("0"));
            EXPECT_EQ(listed(f), QStringList{QStringLiteral("CURATIVO")});
            filter(f, Qt::Key_F2, QStringLiteral("CUR"));
            EXPECT_EQ(listed(f), QStringList{QStringLiteral("CURATIVO")});
            // The close box hands nothing back.
            f->close();
        });
        EXPECT_EQ(gCodBusca.toString(), QString()) << openerValue;
        EXPECT_EQ(gNomeBusca, QString());
    }
}

TEST_F(SearchDialogTest, ProfessionalSearchNeverListsClinicOnlyProfessionals) {
    const long long fisio =
        add(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, ?)"),
            {QStringLiteral("FISIOTERAPIA")});
    const QString sql = QStringLiteral("insert into profissionais (idlic, nmpro, vertmex, "
                                       "fonefixo, fonecel, idesp) values (?, ?, ?, ?, ?, ?)");
    add(sql,
        {QStringLiteral("ANA"), QStringLiteral("0"), QStringLiteral("5551111"), QVariant(), fisio});
    const long long bia = add(sql, {QStringLiteral("BIA"), QStringLiteral("1"),
                                    QStringLiteral("5551111"), QVariant(), fisio});
    add(sql, {QStringLiteral("CAIO"), QStringLiteral("2"), QVariant(), QStringLiteral("5551111"),
              QVariant()});
    const QStringList homeCare{QStringLiteral("BIA"), QStringLiteral("CAIO")};
    drive(&frmBuscaProf::run, [&](QDialog* f) {
        EXPECT_EQ(listed(f), homeCare);
        EXPECT_EQ(listed(f, 4), (QStringList{QStringLiteral("FISIOTERAPIA"), QString()}));
        filter(f, Qt::Key_F2, QString());
        EXPECT_EQ(listed(f), homeCare);
        filter(f, Qt::Key_F3, QStringLiteral("1111"));
        EXPECT_EQ(listed(f), homeCare);
        press(f, Qt::Key_F10);
    });
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("PESQUISA PELO NOME DO PACIENTE"));
    EXPECT_EQ(prompts().inputs[1].prompt, QStringLiteral("TELEFONE:"));
    EXPECT_EQ(gCodBusca.toLongLong(), bia);
    EXPECT_EQ(gNomeBusca, QStringLiteral("BIA"));
}

TEST_F(SearchDialogTest, ProfessionalSpecialtyIsNamedWithinTheInstallation) {
    // Another installation's specialty under the same code lends the professional no name.
    const QString other = QStringLiteral("U") + gIdLic.mid(1);
    db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, 'ALHEIA')"),
               {other});
    add(QStringLiteral("insert into profissionais (idlic, nmpro, vertmex, idesp) "
                       "values (?, 'ANA', '1', ?)"),
        {db.lastInsertId()});
    QStringList specialties;
    drive(&frmBuscaProf::run, [&](QDialog* f) {
        specialties = listed(f, 4);
        filter(f, Qt::Key_F2, QStringLiteral("ANA"));
        specialties += listed(f, 4);
        press(f, Qt::Key_Escape);
    });
    db.execute(QStringLiteral("delete from especialidades where idlic = ?"), {other});
    EXPECT_EQ(specialties, (QStringList{QString(), QString()}));
}

TEST_F(SearchDialogTest, PatientPhoneFilterLooksAtEveryPhone) {
    const QString sql = QStringLiteral("insert into pacientes (idlic, nmPac, fonepac, fonecel, "
                                       "foneresp) values (?, ?, ?, ?, ?)");
    add(sql, {QStringLiteral("DORA"), QStringLiteral("3299"), QVariant(), QVariant()});
    add(sql, {QStringLiteral("EDU"), QVariant(), QStringLiteral("9932"), QVariant()});
    add(sql, {QStringLiteral("FABIO"), QVariant(), QVariant(), QStringLiteral("99")});
    add(sql, {QStringLiteral("GIL"), QStringLiteral("123"), QStringLiteral("456"),
              QStringLiteral("789")});
    drive(&frmBuscaPacientes::run, [&](QDialog* f) {
        EXPECT_EQ(control<QPushButton>(f, "Command2")->text(),
                  QStringLiteral("F3 Pesquisa Telefone"));
        filter(f, Qt::Key_F3, QStringLiteral("99"));
        EXPECT_EQ(listed(f), (QStringList{QStringLiteral("DORA"), QStringLiteral("EDU"),
                                          QStringLiteral("FABIO")}));
        // The auto-resizer scales the grid with the window; column widths follow the width
        // the rows show in at once, with no scroll bar across.
        auto* grid = control<QTableView>(f, "DataGrid1");
        ASSERT_NE(f->findChild<QObject*>(QStringLiteral("Resize")), nullptr);
        const int gridWidth = grid->width();
        f->resize(f->width() * 2, f->height());
        QCoreApplication::processEvents();
        EXPECT_EQ(grid->width(), gridWidth * 2);
        EXPECT_EQ(grid->columnWidth(0), grid->viewport()->width() * 25 / 100);
        EXPECT_EQ(grid->columnWidth(4), grid->viewport()->width() * 20 / 100);
        EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
        press(f, Qt::Key_Escape);
    });
}

TEST_F(SearchDialogTest, PatientPhonesShowWholeAtTheOpeningSize) {
    add(QStringLiteral("insert into pacientes (idlic, nmPac, fonepac, fonecel, cidade, nmresp, "
                       "foneresp) values (?, ?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA FERREIRA"),
         QStringLiteral("(19) 3241-5566 R.22"), QStringLiteral("+55 (19) 99876-5432"),
         QStringLiteral("CAMPINAS"), QStringLiteral("JOSE CARLOS DOS SANTOS"),
         QStringLiteral("(19) 99876-5432")});
    drive(&frmBuscaPacientes::run, [&](QDialog* f) {
        expectColumns(f, {25, 15, 15, 15, 20, 10}, {1, 2, 5}, {});
        press(f, Qt::Key_Escape);
    });
}

TEST_F(SearchDialogTest, SupplierFiltersAndTheirOrder) {
    const QString sql = QStringLiteral("insert into fornecedores (idlic, nmfor, nmfant, cpf, "
                                       "fonefixo, fonecel) values (?, ?, ?, ?, ?, ?)");
    add(sql, {QStringLiteral("ALFA LTDA"), QStringLiteral("ZECA"), QStringLiteral("111"),
              QStringLiteral("3000"), QVariant()});
    const long long beta = add(sql, {QStringLiteral("BETA SA"), QStringLiteral("AMIGO"),
                                     QStringLiteral("222"), QVariant(), QStringLiteral("3000")});
    drive(&frmBuscaFornecedor::run, [&](QDialog* f) {
        filter(f, Qt::Key_F3, QString());
        EXPECT_EQ(listed(f), (QStringList{QStringLiteral("BETA SA"), QStringLiteral("ALFA LTDA")}));
        filter(f, Qt::Key_F4, QStringLiteral("22"));
        EXPECT_EQ(listed(f), QStringList{QStringLiteral("BETA SA")});
        filter(f, Qt::Key_F5, QStringLiteral("300"));
        EXPECT_EQ(listed(f).size(), 2);
        filter(f, Qt::Key_F2, QStringLiteral("beta"));
        press(f, Qt::Key_F10);
    });
    QStringList titles;
    for (const auto& input : prompts().inputs)
        titles << input.title;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("PESQUISA PELO APELIDO"),
                                   QStringLiteral("PESQUISA PELO CPF/CNPJ"),
                                   QStringLiteral("PESQUISA PELO FONE"),
                                   QStringLiteral("PESQUISA PELO NOME")}));
    EXPECT_EQ(gCodBusca.toLongLong(), beta);
}

} // namespace
} // namespace vtx::test
