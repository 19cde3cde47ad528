// The plan, specialty and procedure registries against the real server, with scripted boxes.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "Clock.h"
#include "DataControl.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "FormDriving.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "frmCadConvenios.h"
#include "frmCadEspecialidade.h"
#include "frmCadProcedimentos.h"

namespace vtx::test {
namespace {

const QString kStamp = QStringLiteral("TESTE - 14/03/2026 09:26:53");
const QString kNotFound = QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!");
const QString kNoName = QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!");

class RegistryFormTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    }

    QString addPlan(const QVariant& name, const QVariant& discount = QVariant()) {
        db.execute(QStringLiteral("insert into convenios (idlic, nmconv, pdesc, evcad, evup) "
                                  "values (?, ?, ?, 'X - old', 'X - old')"),
                   {gIdLic, name, discount});
        return QString::number(db.lastInsertId());
    }

    Recordset rows(const QString& table, const QString& order) {
        return db.query(
            QStringLiteral("select * from %1 where idlic = ? order by %2").arg(table, order),
            {gIdLic});
    }

    QLineEdit* code(QWidget* f) { return control<QLineEdit>(f, "txtcodcli"); }
    QLineEdit* name(QWidget* f) { return control<QLineEdit>(f, "txtnome"); }
    QPushButton* button(QWidget* f, const char* n) { return control<QPushButton>(f, n); }

    /// Types a code and leaves the box for the name box, which runs the load.
    void loadCode(QWidget* f, const QString& text) {
        code(f)->setText(text);
        leave(code(f), name(f));
    }
};

TEST_F(RegistryFormTest, CodeBoxWithoutDigitsAloneEmptiesTheWholeForm) {
    const QString id = addPlan(QStringLiteral("UNIMED"), QVariant::fromValue(Decimal(1250, 2)));
    auto f = open<frmCadConvenios>();
    auto* discount = control<QLineEdit>(f.get(), "txtPDesc");
    for (const char* typed : {"", "ABC", "1,5", "1e2", "1.000", " "}) {
        loadCode(f.get(), id);
        ASSERT_EQ(name(f.get())->text(), QStringLiteral("UNIMED"));
        ASSERT_TRUE(button(f.get(), "Command1")->isEnabled());
        loadCode(f.get(), QString::fromLatin1(typed));
        EXPECT_EQ(name(f.get())->text(), QString()) << typed;
        EXPECT_EQ(discount->text(), QString()) << typed;
        EXPECT_EQ(code(f.get())->text(), QString()) << typed;
        EXPECT_FALSE(button(f.get(), "Command1")->isEnabled()) << typed;
    }
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(RegistryFormTest, UnknownCodeAnswersNotFoundAndEmptiesTheForm) {
    auto f = open<frmCadEspecialidade>();
    name(f.get())->setText(QStringLiteral("TYPED"));
    loadCode(f.get(), QStringLiteral("999999"));
    ASSERT_EQ(prompts().texts(), QStringList{kNotFound});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(name(f.get())->text(), QString());
    EXPECT_EQ(code(f.get())->text(), QString());

    // A code of another installation is no row of this list either.
    const QString other = gIdLic + QStringLiteral("X");
    db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, 'X')"),
               {other});
    const QString foreign = QString::number(db.lastInsertId());
    loadCode(f.get(), foreign);
    db.execute(QStringLiteral("delete from especialidades where idlic = ?"), {other});
    EXPECT_EQ(prompts().messages.size(), 2u);
}

TEST_F(RegistryFormTest, KnownCodeLoadsTheRowAndNullTextsLoadEmpty) {
    const QString id = addPlan(QStringLiteral("AMIL"), QVariant::fromValue(Decimal(125, 1)));
    const QString bare = addPlan(QVariant());
    auto f = open<frmCadConvenios>();
    loadCode(f.get(), QStringLiteral(" ") + id);
    EXPECT_EQ(name(f.get())->text(), QStringLiteral("AMIL"));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtPDesc")->text(), QStringLiteral("12,50"));
    EXPECT_TRUE(button(f.get(), "Command1")->isEnabled());
    EXPECT_EQ(f->Adodc1().recordset().text(QStringLiteral("idconv")), id);

    loadCode(f.get(), bare);
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_EQ(name(f.get())->text(), QString());
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtPDesc")->text(), QString());
}

TEST_F(RegistryFormTest, RowPickFillsOnlyTheCodeBox) {
    addPlan(QStringLiteral("BETA"));
    const QString alfa = addPlan(QStringLiteral("ALFA"), QVariant::fromValue(Decimal(5, 0)));
    auto f = open<frmCadConvenios>();
    auto* grid = control<QTableView>(f.get(), "DataGrid1");
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QApplication::processEvents();
    EXPECT_EQ(code(f.get())->text(), alfa);
    EXPECT_EQ(QApplication::focusWidget(), code(f.get()));
    EXPECT_EQ(name(f.get())->text(), QString());
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtPDesc")->text(), QString());
}

TEST_F(RegistryFormTest, SaveWithEmptyCodeInsertsAndListsInNameOrder) {
    addPlan(QStringLiteral("BETA"));
    auto f = open<frmCadConvenios>();
    name(f.get())->setText(QStringLiteral("ALFA"));
    control<QLineEdit>(f.get(), "txtPDesc")->setText(QStringLiteral("12,5"));
    button(f.get(), "cmdsalva")->click();
    QApplication::processEvents();

    EXPECT_TRUE(prompts().messages.empty());
    Recordset saved = rows(QStringLiteral("convenios"), QStringLiteral("nmconv"));
    ASSERT_EQ(saved.recordCount(), 2);
    EXPECT_EQ(saved.text(QStringLiteral("nmconv")), QStringLiteral("ALFA"));
    EXPECT_EQ(saved.value(QStringLiteral("pdesc")).value<Decimal>().toString(),
              QStringLiteral("12.50"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), kStamp);
    EXPECT_EQ(saved.text(QStringLiteral("evup")), kStamp);
    EXPECT_EQ(listed(f.get()), (QStringList{QStringLiteral("ALFA"), QStringLiteral("BETA")}));
    EXPECT_EQ(listed(f.get(), 1).first(), QStringLiteral("12,50"));
    EXPECT_EQ(name(f.get())->text(), QString());
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtPDesc")->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), name(f.get()));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The stored discount shows again with two decimals.
    loadCode(f.get(), saved.text(QStringLiteral("idconv")));
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtPDesc")->text(), QStringLiteral("12,50"));
}

TEST_F(RegistryFormTest, NameAndDiscountChecks) {
    auto f = open<frmCadConvenios>();
    auto* discount = control<QLineEdit>(f.get(), "txtPDesc");
    auto trySave = [&](const char* n, const char* d) {
        prompts().reset();
        name(f.get())->setText(QString::fromUtf8(n));
        discount->setText(QString::fromUtf8(d));
        button(f.get(), "cmdsalva")->click();
        return prompts().texts();
    };
    EXPECT_EQ(trySave("   ", "1"), QStringList{kNoName});
    EXPECT_EQ(trySave("X", ""), QStringList{kNoName});
    EXPECT_EQ(trySave("X", "DEZ"), QStringList{kNoName});
    EXPECT_EQ(name(f.get())->text(), QStringLiteral("X"));
    EXPECT_EQ(discount->text(), QStringLiteral("DEZ"));
    EXPECT_EQ(trySave("X", "-0,01"),
              QStringList{QStringLiteral(
                  "--- ERRO --- PERCENTUAL DE DESCONTO NÃO PODE SER MENOR QUE ZERO!")});
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    // Past the 10 whole digits of the discount's column, and past any amount's digits.
    for (const char* tooLarge : {"99999999999,99", "123456789012345"}) {
        EXPECT_EQ(trySave("X", tooLarge),
                  QStringList{QStringLiteral("--- ERRO --- VALOR FORA DO LIMITE!")});
        EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(rows(QStringLiteral("convenios"), QStringLiteral("nmconv")).recordCount(), 0);

    EXPECT_TRUE(trySave(" X ", "150").isEmpty());
    EXPECT_TRUE(trySave("Y", "1.000,5").isEmpty());
    Recordset saved = rows(QStringLiteral("convenios"), QStringLiteral("nmconv"));
    ASSERT_EQ(saved.recordCount(), 2);
    EXPECT_EQ(saved.text(QStringLiteral("nmconv")), QStringLiteral(" X "));
    EXPECT_EQ(saved.value(QStringLiteral("pdesc")).value<Decimal>(), Decimal(15000, 2));
    saved.moveNext();
    EXPECT_EQ(saved.value(QStringLiteral("pdesc")).value<Decimal>(), Decimal(100050, 2));
}

TEST_F(RegistryFormTest, ChangeRewritesTheRowAndKeepsItsCreationStamp) {
    const QString id = addPlan(QStringLiteral("AMIL"), QVariant::fromValue(Decimal(10, 0)));
    auto f = open<frmCadConvenios>();
    loadCode(f.get(), id);
    name(f.get())->setText(QStringLiteral("AMIL SAUDE"));
    control<QLineEdit>(f.get(), "txtPDesc")->setText(QStringLiteral("7,25"));
    button(f.get(), "cmdsalva")->click();

    Recordset saved = rows(QStringLiteral("convenios"), QStringLiteral("nmconv"));
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.text(QStringLiteral("nmconv")), QStringLiteral("AMIL SAUDE"));
    EXPECT_EQ(saved.value(QStringLiteral("pdesc")).value<Decimal>(), Decimal(725, 2));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), QStringLiteral("X - old"));
    EXPECT_EQ(saved.text(QStringLiteral("evup")), kStamp);
}

TEST_F(RegistryFormTest, ChangeOfARowDeletedElsewhereKeepsWhatWasTyped) {
    // Plans look the row up again; specialties write the row they hold.
    const QString plan = addPlan(QStringLiteral("AMIL"), QVariant::fromValue(Decimal(1, 0)));
    db.execute(QStringLiteral("insert into especialidades (idlic, nmesp) values (?, 'FISIO')"),
               {gIdLic});
    const QString specialty = QString::number(db.lastInsertId());
    auto plans = open<frmCadConvenios>();
    auto specialties = open<frmCadEspecialidade>();
    for (auto [form, id] : {std::pair<QWidget*, QString>{plans.get(), plan},
                            std::pair<QWidget*, QString>{specialties.get(), specialty}}) {
        activate(form);
        loadCode(form, id);
        ASSERT_FALSE(name(form)->text().isEmpty());
    }
    db.execute(QStringLiteral("delete from convenios where idlic = ?"), {gIdLic});
    db.execute(QStringLiteral("delete from especialidades where idlic = ?"), {gIdLic});

    for (QWidget* form : std::initializer_list<QWidget*>{plans.get(), specialties.get()}) {
        prompts().reset();
        activate(form);
        name(form)->setText(QStringLiteral("EDITADO"));
        button(form, "cmdsalva")->click();
        EXPECT_EQ(prompts().texts(), QStringList{kNotFound}) << form->objectName().toStdString();
        EXPECT_EQ(name(form)->text(), QStringLiteral("EDITADO"));
        EXPECT_FALSE(code(form)->text().isEmpty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(rows(QStringLiteral("convenios"), QStringLiteral("nmconv")).recordCount(), 0);
    EXPECT_EQ(rows(QStringLiteral("especialidades"), QStringLiteral("nmesp")).recordCount(), 0);
}

TEST_F(RegistryFormTest, ProcedurePlaceIsStoredReloadedAndKept) {
    auto f = open<frmCadProcedimentos>();
    auto* place = control<QComboBox>(f.get(), "cboVM");
    EXPECT_EQ(place->currentIndex(), -1);
    name(f.get())->setText(QStringLiteral("CURATIVO"));
    button(f.get(), "cmdsalva")->click();
    EXPECT_EQ(prompts().texts(), QStringList{kNoName});

    prompts().reset();
    place->setCurrentIndex(1);
    button(f.get(), "cmdsalva")->click();
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_EQ(place->currentText(), QStringLiteral("1 - Home"));
    Recordset saved = rows(QStringLiteral("procedimentos"), QStringLiteral("nmproc"));
    ASSERT_EQ(saved.recordCount(), 1);
    EXPECT_EQ(saved.text(QStringLiteral("vertmex")), QStringLiteral("1"));
    EXPECT_EQ(saved.text(QStringLiteral("evcad")), kStamp);

    place->setCurrentIndex(0);
    loadCode(f.get(), saved.text(QStringLiteral("idproc")));
    EXPECT_EQ(place->currentText(), QStringLiteral("1 - Home"));
    button(f.get(), "cmdretorna")->click();
    EXPECT_EQ(place->currentText(), QStringLiteral("1 - Home"));
    EXPECT_EQ(code(f.get())->text(), QString());
}

TEST_F(RegistryFormTest, ExcluirOnlyAnswersNotAvailable) {
    const QString id = addPlan(QStringLiteral("AMIL"), QVariant::fromValue(Decimal(1, 0)));
    auto f = open<frmCadConvenios>();
    loadCode(f.get(), id);
    button(f.get(), "Command1")->click();
    ASSERT_EQ(prompts().texts(), QStringList{QStringLiteral("Ainda não disponivel!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("Atenção"));
    EXPECT_EQ(rows(QStringLiteral("convenios"), QStringLiteral("nmconv")).recordCount(), 1);
}

TEST_F(RegistryFormTest, EscClosesTheSharedConnectionAndTheCloseBoxDoesNot) {
    conexaoAberta();
    auto byEsc = open<frmCadEspecialidade>();
    code(byEsc.get())->setFocus();
    code(byEsc.get())->setText(QStringLiteral("999999"));
    press(byEsc.get(), Qt::Key_Escape);
    EXPECT_TRUE(prompts().messages.empty());
    EXPECT_FALSE(byEsc->isVisible());
    EXPECT_FALSE(gConexao().isOpen());
    EXPECT_FALSE(byEsc->Adodc1().isOpen());

    conexaoAberta();
    auto byCloseBox = open<frmCadProcedimentos>();
    byCloseBox->close();
    EXPECT_FALSE(byCloseBox->isVisible());
    EXPECT_TRUE(gConexao().isOpen());
}

TEST_F(RegistryFormTest, TypedLettersArriveInUpperCaseAndEnterMovesOn) {
    auto f = open<frmCadProcedimentos>();
    code(f.get())->setFocus();
    QApplication::processEvents();
    press(f.get(), Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), name(f.get()));
    typeText(name(f.get()), QStringLiteral("sessão"));
    EXPECT_EQ(name(f.get())->text(), QStringLiteral("SESSÃO"));
    press(f.get(), Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), control(f.get(), "cboVM"));
}

TEST_F(RegistryFormTest, DatabaseFailuresAreReportedAndWriteNothing) {
    // The list of a form whose server cannot be reached never opens; the form still closes.
    gStrConexao = testConnectionString().replace(QRegularExpression(QStringLiteral("Port=\\d+")),
                                                 QStringLiteral("Port=1"));
    auto broken = open<frmCadConvenios>();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(
        QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE DADOS. (")));
    EXPECT_TRUE(prompts().last().text.endsWith(u')'));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    // A save on that list reads it first and reports the failure, keeping what was typed.
    name(broken.get())->setText(QStringLiteral("UNIMED"));
    control<QLineEdit>(broken.get(), "txtPDesc")->setText(QStringLiteral("10"));
    button(broken.get(), "cmdsalva")->click();
    ASSERT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(name(broken.get())->text(), QStringLiteral("UNIMED"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    press(broken.get(), Qt::Key_Escape);
    EXPECT_FALSE(broken->isVisible());

    // The list's connection dies under a save.
    prompts().reset();
    gStrConexao = testConnectionString();
    auto f = open<frmCadEspecialidade>();
    endSession(f->Adodc1().connection());
    name(f.get())->setText(QStringLiteral("NEURO"));
    button(f.get(), "cmdsalva")->click();
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(
        QStringLiteral("--- ERRO --- A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI PERDIDA.")));
    EXPECT_EQ(name(f.get())->text(), QStringLiteral("NEURO"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(rows(QStringLiteral("especialidades"), QStringLiteral("nmesp")).recordCount(), 0);

    // The lost connection was let go: the next save connects again, reads the list and
    // writes the row.
    prompts().reset();
    button(f.get(), "cmdsalva")->click();
    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
    EXPECT_EQ(rows(QStringLiteral("especialidades"), QStringLiteral("nmesp")).recordCount(), 1);
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("NEURO")});
}

} // namespace
} // namespace vtx::test
