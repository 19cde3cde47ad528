// The main window: its start-up (settings file, left-over updater, logo, status texts), the
// login and log-off cycle, the rights on the menu and the forms the menu opens.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "DbFixture.h"
#include "Desktop.h"
#include "Forms.h"
#include "Modal.h"
#include "Printers.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "ShellForms.h"
#include "Typing.h"
#include "UserRights.h"
#include "UserRows.h"
#include "frmPrincipal.h"

namespace vtx::test {
namespace {

void login(QDialog* form, const QString& name, const QString& password) {
    auto* user = form->findChild<QLineEdit*>(QStringLiteral("txtUsuario"));
    auto* pass = form->findChild<QLineEdit*>(QStringLiteral("txtSenha"));
    user->setFocus();
    typeText(user, name);
    pass->setText(password);
    form->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
}

/// A program folder of its own and the end of the program counted.
class StartUp {
public:
    StartUp() {
        Desktop::setProgramFolder(folder.path());
        Desktop::setHooks({[](const QString&) { return true; }, [](const QString&) { return true; },
                           [this] { ++ends; }});
        gLogado.clear();
        gLoginOK.clear();
        gUsuario.clear();
    }
    ~StartUp() { Desktop::setProgramFolder(QString()); }
    QString file(const QString& name) const { return QDir(folder.path()).filePath(name); }

    QTemporaryDir folder;
    int ends = 0;
};

QString userPanel(const frmPrincipal& w) {
    return w.findChild<QLabel*>(QStringLiteral("sRodapePanel3"))->text();
}

QStringList enabledItems(const frmPrincipal& w) {
    QStringList names;
    for (QAction* action : w.menuControls())
        if (action->isEnabled())
            names << action->objectName();
    return names;
}

TEST(MainWindowStart, WithoutSettingsFileTheConnectionFailsAndTheProgramEnds) {
    StartUp start;
    gStrConexao = QStringLiteral("left over");
    frmPrincipal w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vertalumex 1.0"));
    EXPECT_EQ(userPanel(w), QStringLiteral("Usuário: Não Logado"));
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vertalumex 1.0 - Lic.: "));
    EXPECT_TRUE(gStrConexao.isEmpty());
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().messages[0].text.contains(QLatin1Char('\n')));
    EXPECT_EQ(prompts().messages[1].text,
              QStringLiteral("SE FOR O PRIMEIRO ACESSO CLIQUE SIM!\nOU CONTATE O SUPORTE!"));
    EXPECT_EQ(start.ends, 1);
}

TEST(MainWindowStart, LoadDeletesTheLeftOverUpdaterAndStretchesTheLogo) {
    StartUp start;
    const QString updater = start.file(QStringLiteral("trevanu.exe"));
    QFile(updater).open(QIODevice::WriteOnly);
    QImage logo(40, 30, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    ASSERT_TRUE(logo.save(start.file(QStringLiteral("logo.jpg"))));

    frmPrincipal w;
    EXPECT_FALSE(QFile::exists(updater));
    auto* image = w.findChild<QLabel*>(QStringLiteral("Image1"));
    EXPECT_FALSE(image->isHidden());
    EXPECT_EQ(image->geometry(), w.centralWidget()->rect());

    // A logo that is no picture leaves the window without one.
    QFile bad(start.file(QStringLiteral("logo.jpg")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("not a picture");
    bad.close();
    frmPrincipal plain;
    EXPECT_TRUE(plain.findChild<QLabel*>(QStringLiteral("Image1"))->isHidden());
}

class MainWindowTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        writeTestIni(start.folder.path(), gIdLic);
    }

    StartUp start;
};

TEST_F(MainWindowTest, StatusTextsFollowLoginAndLogOffAndACancelEnds) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("X1"),
            {{UserRights::campo(QStringLiteral("mnuCad")), QStringLiteral("0")}});
    frmPrincipal w;
    auto* banner = w.findChild<QPushButton*>(QStringLiteral("cmdST"));
    QStringList panels, banners;
    setModalDriver([&](QDialog* form) {
        panels << userPanel(w);
        banners << banner->text();
        if (panels.size() < 3)
            login(form, QStringLiteral("ana"), QStringLiteral("X1"));
    });
    w.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(panels.size(), 1);
    EXPECT_EQ(panels[0], QStringLiteral("Usuário: Não Logado"));
    EXPECT_EQ(banners[0], QStringLiteral("Efetue a Login..."));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vertalumex 1.0 - Lic.: ") + gIdLic);
    EXPECT_EQ(userPanel(w), QStringLiteral("Usuário: ANA"));
    EXPECT_EQ(banner->text(), QStringLiteral("Carregando perfil do usuário..."));
    EXPECT_TRUE(banner->isHidden());
    EXPECT_TRUE(gLoginOK.isEmpty());

    // Another activation does not log in again.
    QApplication::setActiveWindow(&w);
    QCoreApplication::processEvents();
    w.Form_Activate();
    EXPECT_EQ(panels.size(), 1);

    // F10 with a modifier logs off; the login shows "Usuário:" meanwhile.
    QKeyEvent f10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&w, &f10);
    ASSERT_EQ(panels.size(), 2);
    EXPECT_EQ(panels[1], QStringLiteral("Usuário:"));
    EXPECT_EQ(userPanel(w), QStringLiteral("Usuário: ANA"));
    EXPECT_EQ(start.ends, 0);

    // The menu item logs off too; cancelling that login ends the program.
    w.findChild<QAction*>(QStringLiteral("mnuoff"))->trigger();
    EXPECT_EQ(panels.size(), 3);
    EXPECT_EQ(gLoginOK, QStringLiteral("N"));
    EXPECT_EQ(start.ends, 1);
}

TEST_F(MainWindowTest, CancellingTheStartUpLoginEnds) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("X1"));
    frmPrincipal w;
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(start.ends, 1);
    EXPECT_EQ(gLogado, QStringLiteral("N"));
}

TEST_F(MainWindowTest, RightsEnableExactlyTheAllowedItemsAndLogOffAndUpdateStay) {
    // Case and trailing blanks of campo do not matter; a missing row blocks.
    addUser(db, QStringLiteral("BIA"), QStringLiteral("PW"),
            {{QStringLiteral("mnuCad              "), QStringLiteral("0")},
             {QStringLiteral("CADCONV"), QStringLiteral("0")},
             {UserRights::campo(QStringLiteral("cliAG")), QStringLiteral("")},
             {UserRights::campo(QStringLiteral("cadEsp")), QStringLiteral("1")},
             {UserRights::campo(QStringLiteral("mnuoff")), QStringLiteral("1")},
             {UserRights::campo(QStringLiteral("mnuupdate")), QStringLiteral("1")},
             {UserRights::campo(QStringLiteral("naoexiste")), QStringLiteral("0")}});
    frmPrincipal w;
    setModalDriver([](QDialog* form) { login(form, QStringLiteral("BIA"), QStringLiteral("PW")); });
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(enabledItems(w), (QStringList{QStringLiteral("mnuCad"), QStringLiteral("cadConv"),
                                            QStringLiteral("cliAG"), QStringLiteral("mnuoff"),
                                            QStringLiteral("mnuupdate")}));
    EXPECT_TRUE(Forms::menuItemEnabled(QStringLiteral("cadConv")));
    EXPECT_FALSE(Forms::menuItemEnabled(QStringLiteral("cadEsp")));
    EXPECT_FALSE(w.findChild<QMenu*>(QStringLiteral("mnumov"))->menuAction()->isEnabled());
}

/// The menu tree as the main window is specified: control, caption, level, and the form it
/// shows with that form's caption ("" for items that open a sub-menu or act at once).
struct SpecifiedItem {
    const char* name;
    const char* caption;
    int level;
    const char* form;
};
const SpecifiedItem kSpecifiedMenu[] = {
    {"mnuCad", "Cadastros", 0, ""},
    {"cadConv", "Convênios", 1, "frmCadConvenios|Convênios - Cadastro"},
    {"cadEsp", "Especialidades", 1, "frmCadEspecialidade|Especialidades - Cadastro"},
    {"cadFer", "Feriados", 1, "frmCadFeriados|Calendário de Feriados"},
    {"cadfor", "Fornecedores", 1, "frmCadFor|Fornecedores"},
    {"cadgru", "Grupos de Insumos", 1, "frmCadGrupoEstoque|Cadastro Grupo de Insumos"},
    {"cadHor", "Horários", 1, "frmCadHorarios|Disponibilidade de Horários dos Profissionais"},
    {"cadinsi", "Insumos", 1, "frmCadProduto|Cadastro de Isnumos"},
    {"cadPac", "Pacientes", 1, "frmcadcli|Pacientes - Cadastro"},
    {"cadproc", "Procedimentos", 1, "frmCadProcedimentos|Procedimentos - Cadastro"},
    {"cadProf", "Profissionais", 1, "frmCadProfissionais|Profissionais"},
    {"cadUsu", "Usuários", 1, "frmcadusuario|Usuários - Manutenção"},
    {"cliAG", "Agenda", 0, "frmCli_Agenda|Clinica - Agenda"},
    {"mnumov", "Movimento", 0, ""},
    {"moventinsu", "Entrada de Insumos", 1, "frmInsumos_Compra|Insumos - Compra"},
    {"movcont", "Contratos", 1, "frmOS_ListaOrc|Contratos"},
    {"movordsrv", "Ordem de Serviço", 1, "frmOS_EntregaInsumos|Registro de Atendimento"},
    {"movfinan", "Financeiro", 1, ""},
    {"mnuctpg", "Contas a Pagar", 2, ""},
    {"ctpgcadcen", "Cadastrar Centro de Custos", 3,
     "frmCadCentroCusto|Centro de Custos - Cadastro"},
    {"ctpgcadscen", "Cadastrar Sub Centro de Custos", 3,
     "frmCadSubCentro|SubCentro de Custos - Cadastro"},
    {"ctpgcad", "Inclusão de Despesas", 3, "frmlancontas|Cadastro de Contas a Pagar"},
    {"fincpgbx", "Baixa de Despesas", 2, "frmCPagar_Baixa|Contas a Pagar - Baixa"},
    {"mnurel", "Relatórios", 0, ""},
    {"finrelcon", "Relatórios de Despesas", 1,
     "frmRel_Contas|Relatório de Contas a Pagar / Receber"},
    {"hstcmpins", "Histórico de Compra de Insumos", 1,
     "frmRel_CmpInsumos|Histórico de Compra de Insumos"},
    {"mnuti", "Util", 0, ""},
    {"mnupram", "Parametros", 1, "frmconfig|Configuração"},
    {"mnuoff", "F10 LogOff", 0, ""},
    {"mnuupdate", "Atualização", 0, ""},
};

TEST_F(MainWindowTest, MenuItemsOpenTheirFormsModally) {
    registerShellForms();
    frmPrincipal w;
    QStringList menuBar;
    for (QAction* action : w.menuBar()->actions())
        menuBar << action->text();
    EXPECT_EQ(menuBar, (QStringList{QStringLiteral("Cadastros"), QStringLiteral("Agenda"),
                                    QStringLiteral("Movimento"), QStringLiteral("Relatórios"),
                                    QStringLiteral("Util"), QStringLiteral("F10 LogOff"),
                                    QStringLiteral("Atualização")}));
    QStringList controls, specified;
    for (QAction* action : w.menuControls())
        controls << action->objectName() + QLatin1Char('|') + action->text() + QLatin1Char('|') +
                        action->property("HelpContextID").toString();
    for (const SpecifiedItem& item : kSpecifiedMenu)
        specified << QLatin1String(item.name) + QLatin1Char('|') + QString::fromUtf8(item.caption) +
                         QLatin1Char('|') + QString::number(item.level);
    EXPECT_EQ(controls, specified);

    QStringList shown, expected;
    setModalDriver([&](QDialog* form) {
        shown << form->objectName() + QLatin1Char('|') + form->windowTitle();
    });
    for (const SpecifiedItem& item : kSpecifiedMenu) {
        if (!item.form[0])
            continue;
        expected << QString::fromUtf8(item.form);
        w.findChild<QAction*>(QLatin1String(item.name))->trigger();
    }
    EXPECT_EQ(expected.size(), 22);
    EXPECT_EQ(shown, expected);
}

// The menu bar's items that act at once open from the keyboard as its sub-menus do: Alt, the
// arrows to the item, then Return, Enter, Space or Down.
TEST_F(MainWindowTest, AgendaAndUpdateOpenFromTheKeyboard) {
    registerShellForms();
    addUser(db, QStringLiteral("ANA"), QStringLiteral("X1"),
            {{UserRights::campo(QStringLiteral("cliAG")), QStringLiteral("0")}});
    frmPrincipal w;
    QStringList shown;
    setModalDriver([&](QDialog* form) {
        if (form->objectName() == QLatin1String("frmtelainicial"))
            login(form, QStringLiteral("ANA"), QStringLiteral("X1"));
        else
            shown << form->objectName();
    });
    w.show();
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(w.isActiveWindow());
    // The updater itself is not started here: only that the item was chosen.
    auto* update = w.findChild<QAction*>(QStringLiteral("mnuupdate"));
    update->disconnect();
    int updates = 0;
    QObject::connect(update, &QAction::triggered, [&] { ++updates; });
    auto press = [&](int key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &w, Qt::Key(key));
    };

    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Down}) {
        const std::string name = QKeySequence(key).toString().toStdString();
        press(Qt::Key_Alt);
        press(Qt::Key_Right); // "Cadastros" to "Agenda"
        ASSERT_EQ(w.menuBar()->activeAction()->objectName(), QStringLiteral("cliAG")) << name;
        press(key);
        EXPECT_EQ(shown.size(), 1) << name;
        EXPECT_EQ(shown.value(0), QStringLiteral("frmCli_Agenda")) << name;
        shown.clear();

        press(Qt::Key_Alt);
        press(Qt::Key_Left); // from the first entry round to the last
        ASSERT_EQ(w.menuBar()->activeAction(), update) << name;
        press(key);
        EXPECT_EQ(updates, 1) << name;
        updates = 0;
        // The keyboard has left the menu bar.
        EXPECT_EQ(w.menuBar()->activeAction(), nullptr) << name;
    }
}

} // namespace
} // namespace vtx::test
