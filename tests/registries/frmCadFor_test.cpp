// The supplier form against the real server: bound values, the save through the shared
// connection, the searches, the CPF/CNPJ check and the form's opening from the menu and F12.
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Clock.h"
#include "DataControl.h"
#include "DbFixture.h"
#include "FormDriving.h"
#include "Forms.h"
#include "Modal.h"
#include "Recordset.h"
#include "Registries.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "frmBuscaFornecedor.h"
#include "frmCadFor.h"
#include "frmPrincipal.h"

namespace vtx::test {
namespace {

const QString kNotFound = QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!");

// Every one-line box but the code box, with the column it holds.
const std::pair<const char*, const char*> kBoxes[] = {
    {"TXTCPF", "cpf"},        {"TXTRG", "rg"},          {"txtnome", "nmfor"},
    {"txtcontato", "nmfant"}, {"txtfone", "fonefixo"},  {"txtnrcel", "fonecel"},
    {"txtemail", "email"},    {"txtruar", "rua"},       {"txtnr", "nrcasa"},
    {"txtcepr", "cep"},       {"txtbairror", "bairro"}, {"txtcidader", "cidade"},
    {"txtufr", "uf"}};

class SupplierFormTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6)));
    }

    std::unique_ptr<frmCadFor> open() { return test::open<frmCadFor>(); }

    QString addSupplier(const QString& name, const QString& tradeName = QString()) {
        db.execute(QStringLiteral("insert into fornecedores (idlic, nmfor, nmfant, evcad, upev) "
                                  "values (?, ?, ?, 'OUTRO 01/01/2020 00:00:00', 'X')"),
                   {gIdLic, name, tradeName});
        return QString::number(db.lastInsertId());
    }

    QLineEdit* box(QWidget* f, const char* name) { return control<QLineEdit>(f, name); }
    QPlainTextEdit* memo(QWidget* f) { return control<QPlainTextEdit>(f, "txtmemo"); }
    void loadCode(QWidget* f, const QString& code) {
        box(f, "txtcodcli")->setText(code);
        leave(box(f, "txtcodcli"), box(f, "TXTCPF"));
    }
    void save(QWidget* f) { control<QPushButton>(f, "cmdsalva")->click(); }
    Recordset supplier(const QString& code) {
        return db.query(QStringLiteral("select * from fornecedores where idlic = ? and cdfor = ?"),
                        {gIdLic, code.toLongLong()});
    }
    Recordset suppliers() {
        return db.query(QStringLiteral("select * from fornecedores where idlic = ? order by cdfor"),
                        {gIdLic});
    }
};

TEST_F(SupplierFormTest, QuotesAndBackslashesAreSavedAndLoadedUnchanged) {
    auto f = open();
    const QString name = QStringLiteral("D'ÁVILA \\ FILHOS");
    const QString street = QStringLiteral("RUA D'AJUDA, 10\\B");
    const QString note = QStringLiteral("LINHA 1 'A'\nLINHA 2 \\n");
    box(f.get(), "txtnome")->setText(name);
    box(f.get(), "txtruar")->setText(street);
    memo(f.get())->setPlainText(note);
    save(f.get());
    ASSERT_TRUE(prompts().messages.empty())
        << prompts().texts().join(QLatin1Char('|')).toStdString();

    Recordset rows = suppliers();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("nmfor")), name);
    EXPECT_EQ(rows.text(QStringLiteral("rua")), street);
    EXPECT_EQ(rows.text(QStringLiteral("obs")), note);
    loadCode(f.get(), rows.text(QStringLiteral("cdfor")));
    EXPECT_EQ(box(f.get(), "txtnome")->text(), name);
    EXPECT_EQ(box(f.get(), "txtruar")->text(), street);
    EXPECT_EQ(memo(f.get())->toPlainText(), note);
}

TEST_F(SupplierFormTest, AnEmptyCodeInsertsAndTheListKeepsItsSearch) {
    addSupplier(QStringLiteral("ACME LTDA"));
    addSupplier(QStringLiteral("ZETA SA"));
    auto f = open();
    prompts().inputAnswers.push_back(QStringLiteral("ACME"));
    QTest::keyClick(box(f.get(), "txtcodcli"), Qt::Key_F10);
    ASSERT_EQ(prompts().inputs.size(), 1u);
    EXPECT_EQ(prompts().inputs[0].prompt, QStringLiteral("Nome: "));
    EXPECT_EQ(prompts().inputs[0].title, QStringLiteral("Pesquisa fornecedor já cadastrado"));
    EXPECT_EQ(listed(f.get()), QStringList{QStringLiteral("ACME LTDA")});

    box(f.get(), "txtnome")->setText(QStringLiteral("ACME NOVA"));
    box(f.get(), "txtcontato")->setText(QStringLiteral("NOVA"));
    save(f.get());
    EXPECT_EQ(suppliers().recordCount(), 3);
    EXPECT_EQ(listed(f.get()),
              (QStringList{QStringLiteral("ACME LTDA"), QStringLiteral("ACME NOVA")}));
    for (const auto& [name, column] : kBoxes)
        EXPECT_EQ(box(f.get(), name)->text(), QString()) << name;
    EXPECT_TRUE(box(f.get(), "TXTCPF")->hasFocus());

    Recordset added = suppliers();
    added.moveLast();
    EXPECT_EQ(added.text(QStringLiteral("evcad")), QStringLiteral("TESTE 03/02/2026 04:05:06"));
    EXPECT_EQ(added.text(QStringLiteral("upev")), QStringLiteral("TESTE 03/02/2026 04:05:06"));
    EXPECT_EQ(added.text(QStringLiteral("nmfant")), QStringLiteral("NOVA"));
}

TEST_F(SupplierFormTest, ASaveAfterAServerRestartIsWrittenOnceAndReportsNoError) {
    addSupplier(QStringLiteral("ACME LTDA"));
    auto f = open();
    // The server restarts: the list's own link is gone.
    db.execute(
        QStringLiteral("kill connection ?"),
        {f->Adodc1().connection().query(QStringLiteral("select connection_id()")).value(0, 0)});
    box(f.get(), "txtnome")->setText(QStringLiteral("NOVO"));
    save(f.get());
    EXPECT_TRUE(prompts().messages.empty())
        << prompts().texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QString());
    EXPECT_EQ(listed(f.get()), (QStringList{QStringLiteral("ACME LTDA"), QStringLiteral("NOVO")}));
    EXPECT_EQ(suppliers().recordCount(), 2);
}

TEST_F(SupplierFormTest, ASaveAfterALoadRewritesEveryColumn) {
    const QString id = addSupplier(QStringLiteral("ANTIGO"), QStringLiteral("APELIDO"));
    db.execute(QStringLiteral("update fornecedores set cpf = '1', rg = '2', fonefixo = '3', "
                              "fonecel = '4', email = '5', rua = '6', nrcasa = '7', cep = '8', "
                              "bairro = '9', cidade = 'A', uf = 'B', obs = 'C' where cdfor = ?"),
               {id.toLongLong()});
    auto f = open();
    loadCode(f.get(), id);
    EXPECT_EQ(box(f.get(), "txtcontato")->text(), QStringLiteral("APELIDO"));
    EXPECT_EQ(box(f.get(), "txtcidader")->text(), QStringLiteral("A"));
    EXPECT_EQ(memo(f.get())->toPlainText(), QStringLiteral("C"));

    // Every box but the name emptied, the name changed: all of it is written.
    for (const auto& [name, column] : kBoxes)
        box(f.get(), name)->clear();
    memo(f.get())->clear();
    box(f.get(), "txtnome")->setText(QStringLiteral("NOVO NOME"));
    box(f.get(), "txtcodcli")->setText(id);
    save(f.get());
    ASSERT_TRUE(prompts().messages.empty());

    Recordset row = supplier(id);
    EXPECT_EQ(row.text(QStringLiteral("nmfor")), QStringLiteral("NOVO NOME"));
    for (const auto& [name, column] : kBoxes) {
        if (QLatin1String(column) != QLatin1String("nmfor")) {
            EXPECT_EQ(row.text(QLatin1String(column)), QString()) << column;
        }
    }
    EXPECT_EQ(row.text(QStringLiteral("obs")), QString());
    EXPECT_EQ(row.text(QStringLiteral("upev")), QStringLiteral("TESTE 03/02/2026 04:05:06"));
    EXPECT_EQ(row.text(QStringLiteral("evcad")), QStringLiteral("OUTRO 01/01/2020 00:00:00"));
    EXPECT_EQ(box(f.get(), "txtcodcli")->text(), QString());
}

TEST_F(SupplierFormTest, AChangeOfAMissingCodeSaysSoAndKeepsTheTypedData) {
    const QString id = addSupplier(QStringLiteral("SOME"));
    auto f = open();
    loadCode(f.get(), id);
    db.execute(QStringLiteral("delete from fornecedores where cdfor = ?"), {id.toLongLong()});
    box(f.get(), "txtnome")->setText(QStringLiteral("DIGITADO"));
    save(f.get());
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QStringLiteral("DIGITADO"));
    EXPECT_EQ(box(f.get(), "txtcodcli")->text(), id);
    EXPECT_TRUE(suppliers().isEmpty());
    EXPECT_FALSE(gConexao().isOpen());
}

TEST_F(SupplierFormTest, AFailedSaveIsReportedAndKeepsTheTypedData) {
    auto f = open();
    box(f.get(), "txtnome")->setText(QStringLiteral("NAO GRAVA"));
    box(f.get(), "txtcidader")->setText(QStringLiteral("OLINDA"));
    const QString good = gStrConexao;
    gStrConexao.replace(QStringLiteral("Password="), QStringLiteral("Password=errada"));
    save(f.get());
    gStrConexao = good;
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QStringLiteral("NAO GRAVA"));
    EXPECT_EQ(box(f.get(), "txtcidader")->text(), QStringLiteral("OLINDA"));
    EXPECT_FALSE(gConexao().isOpen());
    EXPECT_TRUE(suppliers().isEmpty());

    // The same typing saves once the database answers again.
    save(f.get());
    EXPECT_EQ(suppliers().recordCount(), 1);
}

TEST_F(SupplierFormTest, TabVisitsEveryBoxInOrder) {
    auto f = open();
    QStringList order;
    QWidget* w = box(f.get(), "txtcodcli");
    while (order.size() < 20) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(order.join(QLatin1Char(' ')),
              QStringLiteral("txtcodcli TXTCPF TXTRG txtnome txtcontato txtfone txtnrcel txtemail "
                             "txtruar txtnr txtcepr txtbairror txtcidader txtufr txtmemo cmdsalva "
                             "Command2 Command3 cmdretorna DataGrid1"));
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Fornecedores"));
    EXPECT_TRUE(box(f.get(), "txtcodcli")->hasFocus());
}

TEST_F(SupplierFormTest, ABlankNameIsRefusedAndNothingIsWritten) {
    auto f = open();
    box(f.get(), "txtnome")->setText(QStringLiteral("   "));
    box(f.get(), "txtcidader")->setText(QStringLiteral("RECIFE"));
    save(f.get());
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!")});
    EXPECT_EQ(box(f.get(), "txtcidader")->text(), QStringLiteral("RECIFE"));
    EXPECT_TRUE(suppliers().isEmpty());
}

TEST_F(SupplierFormTest, ANotePastItsColumnIsRefusedAndNeverCut) {
    auto f = open();
    box(f.get(), "txtnome")->setText(QStringLiteral("UM"));
    // Two bytes each: one more than the column's 65,535 bytes.
    const QString note(32768, QChar(0xE9));
    memo(f.get())->setPlainText(note);
    save(f.get());
    EXPECT_EQ(
        prompts().texts(),
        QStringList{QStringLiteral(
            "--- ERRO --- TEXTO DE INFORMAÇÕES ADICIONAIS ACIMA DO LIMITE DE 65.535 BYTES!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(memo(f.get())->toPlainText(), note);
    EXPECT_TRUE(suppliers().isEmpty());
    // A note that fills the column is written whole.
    memo(f.get())->setPlainText(note.left(32767) + QLatin1Char('A'));
    save(f.get());
    ASSERT_EQ(suppliers().recordCount(), 1);
    EXPECT_EQ(suppliers().text(QStringLiteral("obs")), note.left(32767) + QLatin1Char('A'));
}

TEST_F(SupplierFormTest, SavesAndEscCloseTheSharedConnectionTheCloseBoxDoesNot) {
    auto f = open();
    conexaoAberta();
    box(f.get(), "txtnome")->setText(QStringLiteral("UM"));
    save(f.get());
    EXPECT_EQ(suppliers().recordCount(), 1);
    EXPECT_FALSE(gConexao().isOpen());

    conexaoAberta();
    f->close();
    EXPECT_TRUE(gConexao().isOpen());

    auto g = open();
    QTest::keyClick(box(g.get(), "txtcodcli"), Qt::Key_Escape);
    EXPECT_FALSE(g->isVisible());
    EXPECT_FALSE(gConexao().isOpen());
    EXPECT_FALSE(g->Adodc1().isOpen());
}

TEST_F(SupplierFormTest, TradeNameSearchIsUpperCasedAndOrderedByTradeName) {
    addSupplier(QStringLiteral("A"), QStringLiteral("ZULU"));
    addSupplier(QStringLiteral("B"), QStringLiteral("ALFA"));
    addSupplier(QStringLiteral("C"), QStringLiteral("OUTRO"));
    const QString hidden = addSupplier(QStringLiteral("D"), QString());
    auto f = open();
    prompts().inputAnswers.push_back(QStringLiteral("u"));
    QTest::keyClick(box(f.get(), "txtcodcli"), Qt::Key_F11);
    EXPECT_EQ(prompts().inputs.at(0).prompt, QStringLiteral("Apelido: "));
    EXPECT_EQ(listed(f.get(), 1), (QStringList{QStringLiteral("OUTRO"), QStringLiteral("ZULU")}));

    // A cancelled search lists every supplier; a code outside the last search is not found.
    control<QPushButton>(f.get(), "Command2")->click();
    EXPECT_EQ(listed(f.get(), 1).size(), 4);
    prompts().inputAnswers.push_back(QStringLiteral("ZU"));
    control<QPushButton>(f.get(), "Command2")->click();
    loadCode(f.get(), hidden);
    EXPECT_EQ(prompts().texts(), QStringList{kNotFound});
}

TEST_F(SupplierFormTest, ACpfThatFailsItsCheckIsEmptiedAValidCnpjStaysAsTyped) {
    auto f = open();
    QLineEdit* cpf = box(f.get(), "TXTCPF");
    leave(box(f.get(), "txtcodcli"), cpf); // leaving the empty code box empties the form
    cpf->setText(QStringLiteral("11144477735"));
    leave(cpf, box(f.get(), "TXTRG"));
    EXPECT_EQ(cpf->text(), QStringLiteral("11144477735"));
    cpf->setText(QStringLiteral("11222333000181"));
    leave(cpf, box(f.get(), "TXTRG"));
    EXPECT_EQ(cpf->text(), QStringLiteral("11222333000181"));
    cpf->setText(QStringLiteral("11144477700"));
    leave(cpf, box(f.get(), "TXTRG"));
    EXPECT_EQ(cpf->text(), QString());
    EXPECT_TRUE(prompts().messages.empty());
}

TEST_F(SupplierFormTest, LettersArriveInUpperCaseAndNullColumnsLoadEmpty) {
    db.execute(QStringLiteral("insert into fornecedores (idlic, nmfor) values (?, 'SO NOME')"),
               {gIdLic});
    const QString id = QString::number(db.lastInsertId());
    auto f = open();
    QLineEdit* email = box(f.get(), "txtemail");
    email->setFocus();
    typeText(email, QStringLiteral("joão@x.com"));
    EXPECT_EQ(email->text(), QStringLiteral("JOÃO@X.COM"));
    loadCode(f.get(), id);
    EXPECT_EQ(box(f.get(), "txtnome")->text(), QStringLiteral("SO NOME"));
    EXPECT_EQ(email->text(), QString());
    EXPECT_EQ(memo(f.get())->toPlainText(), QString());
    EXPECT_TRUE(prompts().messages.empty());
}

// Suppliers with every listed column filled, one of them with a trade name of 27 characters: the
// name keeps at least the room the trade name gets, on every row, as the list is read again too.
TEST_F(SupplierFormTest, ALongTradeNameNeverSqueezesTheNameColumn) {
    const QString sql = QStringLiteral(
        "insert into fornecedores (idlic, nmfor, nmfant, cpf, fonefixo, fonecel, cidade) values "
        "(?, ?, ?, '12.345.678/0001-95', '(11) 3333-4444', '(11) 99999-8888', "
        "'SAO JOSE DOS CAMPOS')");
    db.execute(sql, {gIdLic, QStringLiteral("DISTRIBUIDORA DE MEDICAMENTOS LTDA"),
                     QStringLiteral("DISTRIBUIDORA MEDICA PAULIS")});
    db.execute(sql, {gIdLic, QStringLiteral("DROGARIA CENTRAL"), QStringLiteral("CENTRAL")});
    auto f = open();
    auto* grid = control<QTableView>(f.get(), "DataGrid1");
    for (const int width : {820, 1100}) {
        f->resize(width, 600);
        control<QPushButton>(f.get(), "cmdretorna")->click();
        QApplication::processEvents();
        EXPECT_GE(grid->columnWidth(0), grid->columnWidth(1)) << width;
        EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width()) << width;
    }
    // Where there is room, the trade name shows whole.
    f->resize(1600, 600);
    QApplication::processEvents();
    EXPECT_GE(grid->columnWidth(1), static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(1));
}

TEST_F(SupplierFormTest, MenuItemsAndTheSupplierSearchF12OpenTheForms) {
    registerRegistryForms();
    QStringList opened;
    setModalDriver([&](QDialog* form) {
        if (qobject_cast<frmBuscaFornecedor*>(form))
            QTest::keyClick(form, Qt::Key_F12);
        else
            opened << QLatin1String(form->metaObject()->className()) + QLatin1Char('|') +
                          form->windowTitle();
    });
    frmPrincipal window;
    for (const char* item : {"cadHor", "cadFer", "cadfor"})
        window.findChild<QAction*>(QLatin1String(item))->trigger();
    frmBuscaFornecedor::run();
    EXPECT_EQ(opened,
              (QStringList{QStringLiteral(
                               "vtx::frmCadHorarios|Disponibilidade de Horários dos Profissionais"),
                           QStringLiteral("vtx::frmCadFeriados|Calendário de Feriados"),
                           QStringLiteral("vtx::frmCadFor|Fornecedores"),
                           QStringLiteral("vtx::frmCadFor|Fornecedores")}));
}

} // namespace
} // namespace vtx::test
