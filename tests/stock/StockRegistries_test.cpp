// The supply group and supply registries and their search dialogs, against the real server.
#include <QComboBox>

#include "StockFixture.h"
#include "frmBuscaGrupo.h"
#include "frmBuscaProd.h"
#include "frmCadGrupoEstoque.h"
#include "frmCadProduto.h"

namespace vtx::test {
namespace {

const QString kStamp = QStringLiteral("TESTE 14/03/2026 09:26:53");
const QString kIncomplete = QStringLiteral("--- ERRO --- DADOS INCOMPLETOS!");

class StockRegistryTest : public StockFixture {};

TEST_F(StockRegistryTest, GroupSavedIsListedWithItsCodeAndAChangeKeepsItsCreation) {
    addGroup(QStringLiteral("LUVAS"));
    auto f = open<frmCadGrupoEstoque>();
    box(f.get(), "txtnome")->setText(QStringLiteral("D'ÁGUA"));
    click(f.get(), "cmdsalva");
    EXPECT_TRUE(prompts().messages.empty());
    Recordset saved =
        rows(QStringLiteral("select * from grupoestoque where idlic = ? and dsgrupo = 'D''ÁGUA'"));
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), kStamp);
    const QString code = saved.text(QStringLiteral("cdgrupo"));
    EXPECT_EQ(listed(f.get()), (QStringList{QStringLiteral("D'ÁGUA"), QStringLiteral("LUVAS")}));
    EXPECT_EQ(listed(f.get(), 1).first(), code);
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), box(f.get(), "txtnome"));

    // A single click picks the row; leaving the code box loads it.
    clickLine(f.get(), 0);
    EXPECT_EQ(box(f.get(), "txtcodcli")->text(), code);
    leave(box(f.get(), "txtcodcli"), box(f.get(), "txtnome"));
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QStringLiteral("D'ÁGUA"));
    EXPECT_TRUE(control<QPushButton>(f.get(), "Command1")->isEnabled());
    Clock::set(QDateTime(QDate(2026, 3, 15), QTime(8, 0, 0)));
    box(f.get(), "txtnome")->setText(QStringLiteral("AGUAS"));
    click(f.get(), "cmdsalva");
    saved = rows(QStringLiteral("select * from grupoestoque where idlic = ? order by dsgrupo"));
    ASSERT_EQ(saved.recordCount(), 2);
    EXPECT_EQ(saved.text(QStringLiteral("dsgrupo")), QStringLiteral("AGUAS"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), kStamp);
    EXPECT_EQ(saved.text(QStringLiteral("evup")), QStringLiteral("TESTE 15/03/2026 08:00:00"));

    // A code that is no whole number empties the form without a message.
    for (const char* typed : {"1,5", "1e3", " R$ 3", "ABC"}) {
        enter(f.get(), "txtcodcli", QString::fromLatin1(typed), "txtnome");
        EXPECT_EQ(box(f.get(), "txtcodcli")->text(), QString()) << typed;
    }
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(StockRegistryTest, GroupSearchHandsBackCodeAndNameAndChecksTheRightForNew) {
    const QString code = addGroup(QStringLiteral("LUVAS"));
    Forms::setMenuState([](const QString& item) { return item != QLatin1String("cadgru"); });
    driveModal(&frmBuscaGrupo::run, [&](QDialog* f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Pesquisa Grupo de Estoque"));
        press(f, Qt::Key_F12);
        EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Perfil sem permissão!")});
        press(f, Qt::Key_F10);
    });
    EXPECT_EQ(gCodBusca.toString(), code);
    EXPECT_EQ(gNomeBusca, QStringLiteral("LUVAS"));
}

TEST_F(StockRegistryTest, NewSupplyIsSavedWithItsStampsAndExactAmounts) {
    const QString group = addGroup(QStringLiteral("GAZES"));
    auto f = open<frmCadProduto>();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Cadastro de Isnumos"));
    enter(f.get(), "txtCdPro", QStringLiteral("0123"), "txtDsPro");
    EXPECT_EQ(box(f.get(), "txtDtUC")->text(), QStringLiteral("SR"));
    EXPECT_EQ(control<QComboBox>(f.get(), "cboLote")->currentText(), QStringLiteral("0 - Sim"));
    box(f.get(), "txtDsPro")->setText(QStringLiteral("GAZE D'ÁGUA"));
    box(f.get(), "txtUN")->setText(QStringLiteral("PC"));
    box(f.get(), "txtCdGrupo")->setText(group);
    EXPECT_EQ(box(f.get(), "txtDsGrupo")->text(), QStringLiteral("GAZES"));
    enter(f.get(), "txtFator", QStringLiteral("12,5"), "txtDtUA");
    EXPECT_EQ(box(f.get(), "txtFator")->text(), QStringLiteral("12,50"));
    box(f.get(), "txtDtUA")->setText(QStringLiteral("1.002,5"));
    click(f.get(), "cmdsalva");

    EXPECT_TRUE(prompts().messages.empty());
    Recordset saved = rows(QStringLiteral("select * from produtos where idlic = ?"));
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.text(QStringLiteral("cdpro")), QStringLiteral("0123"));
    EXPECT_EQ(saved.text(QStringLiteral("dspro")), QStringLiteral("GAZE D'ÁGUA"));
    EXPECT_EQ(saved.value(QStringLiteral("vcusto")).value<Decimal>(), Decimal(1250, 2));
    EXPECT_EQ(saved.value(QStringLiteral("qmin")).value<Decimal>(), Decimal(10025, 1));
    EXPECT_EQ(saved.text(QStringLiteral("cdgrupo")), group);
    EXPECT_EQ(saved.text(QStringLiteral("dtucmp")), QStringLiteral("SR"));
    EXPECT_EQ(saved.text(QStringLiteral("caplote")), QStringLiteral("0"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), kStamp);
    EXPECT_EQ(saved.text(QStringLiteral("evup")), kStamp);
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), box(f.get(), "txtCdPro"));
    EXPECT_EQ(listed(f.get(), 3), QStringList{QStringLiteral("0123")});
}

TEST_F(StockRegistryTest, SupplySaveRefusesIncompleteOrNegativeData) {
    const QString group = addGroup(QStringLiteral("GAZES"));
    auto f = open<frmCadProduto>();
    auto trySave = [&](const char* unit, const QString& groupCode, const char* cost,
                       const char* minimum) {
        prompts().reset();
        box(f.get(), "txtCdPro")->setText(QStringLiteral("A1"));
        box(f.get(), "txtDsPro")->setText(QStringLiteral("ALCOOL"));
        box(f.get(), "txtUN")->setText(QString::fromLatin1(unit));
        box(f.get(), "txtCdGrupo")->setText(groupCode);
        box(f.get(), "txtFator")->setText(QString::fromLatin1(cost));
        box(f.get(), "txtDtUA")->setText(QString::fromLatin1(minimum));
        click(f.get(), "cmdsalva");
        return prompts().messages.empty() ? QString() : prompts().last().text;
    };
    EXPECT_EQ(trySave("", group, "1", "1"), kIncomplete);
    EXPECT_EQ(trySave("LT", group + QStringLiteral("999"), "1", "1"), kIncomplete);
    EXPECT_EQ(trySave("LT", group, "DEZ", "1"), kIncomplete);
    EXPECT_EQ(trySave("LT", group, "1", ""), kIncomplete);
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(trySave("LT", group, "-1", "1"),
              QStringLiteral("--- ERRO --- VALOR DO CUSTO NÃO PODE SER MENOR QUE ZERO!"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_EQ(trySave("LT", group, "1", "-1"),
              QStringLiteral("--- ERRO --- ESTOQUE MINIMO NÃO PODE SER MENOR QUE ZERO!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(box(f.get(), "txtDtUA")->text(), QStringLiteral("-1"));
    EXPECT_EQ(rows(QStringLiteral("select * from produtos where idlic = ?")).recordCount(), 0);
}

TEST_F(StockRegistryTest, TextCodesAreFoundInTheWholeTableAfterANameSearch) {
    const QString group = addGroup(QStringLiteral("GAZES"));
    addSupply(QStringLiteral("0123"), QStringLiteral("ALCOOL"), QStringLiteral("1"));
    addSupply(QStringLiteral("123"), QStringLiteral("GAZE"));
    db.execute(QStringLiteral("update produtos set cdgrupo = ? where idlic = ?"), {group, gIdLic});
    auto f = open<frmCadProduto>();
    prompts().inputAnswers.push_back(QStringLiteral("GAZ"));
    press(f.get(), Qt::Key_F10);
    ASSERT_EQ(listed(f.get()), QStringList{QStringLiteral("GAZE")});

    enter(f.get(), "txtCdPro", QStringLiteral("0123"), "txtDsPro");
    EXPECT_EQ(box(f.get(), "txtDsPro")->text(), QStringLiteral("ALCOOL"));
    EXPECT_EQ(box(f.get(), "txtFator")->text(), QStringLiteral("2,50"));
    EXPECT_EQ(box(f.get(), "txtQtde")->text(), QStringLiteral("***"));
    EXPECT_EQ(control<QComboBox>(f.get(), "cboLote")->currentText(), QStringLiteral("1 - não"));
    box(f.get(), "txtDsPro")->setText(QStringLiteral("ALCOOL 70"));
    click(f.get(), "cmdsalva");
    Recordset saved = rows(QStringLiteral("select * from produtos where idlic = ? order by cdpro"));
    ASSERT_EQ(saved.recordCount(), 2);
    EXPECT_EQ(saved.text(QStringLiteral("dspro")), QStringLiteral("ALCOOL 70"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), QStringLiteral("X old"));
    EXPECT_EQ(saved.text(QStringLiteral("caplote")), QStringLiteral("1"));
    saved.moveNext();
    EXPECT_EQ(saved.text(QStringLiteral("dspro")), QStringLiteral("GAZE"));

    // A lot flag neither "0" nor "1" asks for no lot, not for the last supply's choice.
    addSupply(QStringLiteral("X9"), QStringLiteral("SORO"), QStringLiteral("S"));
    enter(f.get(), "txtCdPro", QStringLiteral("123"), "txtDsPro");
    EXPECT_EQ(control<QComboBox>(f.get(), "cboLote")->currentText(), QStringLiteral("0 - Sim"));
    enter(f.get(), "txtCdPro", QStringLiteral("X9"), "txtDsPro");
    EXPECT_EQ(control<QComboBox>(f.get(), "cboLote")->currentText(), QStringLiteral("1 - não"));

    // "_" matches only itself: the code is taken for a new supply.
    enter(f.get(), "txtCdPro", QStringLiteral("_23"), "txtDsPro");
    EXPECT_EQ(box(f.get(), "txtDsPro")->text(), QString());
    EXPECT_EQ(box(f.get(), "txtCdPro")->text(), QStringLiteral("_23"));
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(StockRegistryTest, SupplySearchHandsBackOnlyTheCodeAndChecksTheRightForNew) {
    addSupply(QStringLiteral("0123"), QStringLiteral("ALCOOL"));
    gNomeBusca = QStringLiteral("sentinela");
    Forms::setMenuState([](const QString& item) { return item != QLatin1String("cadinsi"); });
    driveModal(&frmBuscaProd::run, [&](QDialog* f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Insumos - Pesquisa"));
        EXPECT_EQ(listed(f, 1), QStringList{QStringLiteral("UN")});
        press(f, Qt::Key_F5);
        EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("Perfil sem permissão!")});
        press(f, Qt::Key_F10);
    });
    EXPECT_EQ(gCodBusca.toString(), QStringLiteral("0123"));
    EXPECT_EQ(gNomeBusca, QStringLiteral("sentinela"));

    driveModal(&frmBuscaProd::run, [&](QDialog* f) {
        prompts().inputAnswers.push_back(QStringLiteral("NADA"));
        press(f, Qt::Key_F2);
        press(f, Qt::Key_F10); // an empty list hands nothing back
        EXPECT_TRUE(f->isVisible());
        press(f, Qt::Key_Escape);
    });
    EXPECT_EQ(gCodBusca.toString(), QString());
    EXPECT_EQ(gNomeBusca, QString());
}

} // namespace
} // namespace vtx::test
