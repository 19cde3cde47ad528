// The expense entry form: the schedule's generation and layout, the save's checks and writes,
// and what a loaded document allows.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "FormDriving.h"
#include "InstalmentSchedule.h"
#include "PayablesFixture.h"
#include "ScriptedPrompter.h"
#include "frmlancontas.h"

namespace vtx::test {
namespace {

class frmlancontasTest : public PayablesFixture {
protected:
    void SetUp() override {
        PayablesFixture::SetUp();
        supplier = addSupplier(QStringLiteral("ACME"));
        centre = addCentre(QStringLiteral("ADM"));
        sub = addSubCentre(QStringLiteral("LUZ"));
        form = std::make_unique<frmlancontas>();
        activate(form.get());
    }
    void TearDown() override {
        form.reset();
        PayablesFixture::TearDown();
    }

    QLineEdit* box(const char* name) { return control<QLineEdit>(form.get(), name); }
    InstalmentSchedule* schedule() { return form->frmVCT(); }

    /// Types the count, answers the two questions and leaves the count field.
    void generate(const QString& count, const QString& value, const QString& due) {
        box("txtQtParc")->setText(count);
        prompts().inputAnswers = {value, due};
        leave(box("txtQtParc"), box("txtobs"));
    }
    /// Fills the document's fields as a user would for a new document.
    void fillDocument(const QString& nrdoc) {
        box("txtnrdoc")->setText(nrdoc);
        box("txtref")->setText(QStringLiteral("ENERGIA"));
        box("txtCdFor")->setText(QString::number(supplier));
        leave(box("txtCdFor"), box("txtCdCentro"));
        box("txtCdCentro")->setText(QString::number(centre));
        box("txtCdTPd")->setText(QString::number(sub));
    }
    void save(MsgAnswer answer = MsgAnswer::Yes) {
        prompts().answers.push_back(answer);
        control<QPushButton>(form.get(), "cmdsalva")->click();
    }
    QStringList dueDates() {
        QStringList out;
        for (int i = 0; i < schedule()->rowCount(); ++i)
            out << schedule()->txtVCT(i)->text();
        return out;
    }

    long long supplier = 0, centre = 0, sub = 0;
    std::unique_ptr<frmlancontas> form;
};

TEST_F(frmlancontasTest, CountsOutsideOneTo115AreRefusedAndLeaveTheSchedule) {
    generate(QStringLiteral("abc"), QString(), QString());
    generate(QString(), QString(), QString());
    generate(QStringLiteral("116"), QString(), QString());
    generate(QStringLiteral("0"), QString(), QString());
    generate(QStringLiteral("2,5"), QString(), QString());
    const QString inform = QStringLiteral(
        "--- ERRO --- INFORME A QUANTIDADE DE PARCELAS!\nMinimo de 1 e máximo de 115");
    const QString refused =
        QStringLiteral("--- ERRO --- QUANTIDADE DE PARCELAS INFORMADO NÃO ACEITO!");
    EXPECT_EQ(prompts().texts(), (QStringList{inform, inform, refused, refused, refused}));
    EXPECT_TRUE(prompts().inputs.empty());
    EXPECT_FALSE(schedule()->isVisible());
}

TEST_F(frmlancontasTest, GenerationGivesEveryRowTheValueAndCalendarMonths) {
    box("txtnrdoc")->setText(QStringLiteral("NF1"));
    box("txtCdFor")->setText(QStringLiteral("45"));
    // Not a value, not above zero, then 100; not a date, 11 days back, then 31/01.
    box("txtQtParc")->setText(QStringLiteral("3"));
    prompts().inputAnswers = {QStringLiteral("x"),          QStringLiteral("0"),
                              QStringLiteral("100"),        QStringLiteral("31/02/2026"),
                              QStringLiteral("03/03/2026"), QStringLiteral("04/03/2026")};
    leave(box("txtQtParc"), box("txtobs"));
    EXPECT_EQ(prompts().inputs.size(), 6u);
    EXPECT_EQ(prompts().texts(),
              QStringList{"--- ERRO --- VENCIMENTO MUITO RETROATIVO ACIMA DE 10 (DEZ) DIAS!"});
    EXPECT_TRUE(schedule()->isVisible());
    EXPECT_EQ(dueDates(), (QStringList{"04/03/2026", "04/04/2026", "04/05/2026"}));

    Clock::set(QDateTime(QDate(2026, 1, 20), QTime(10, 0)));
    generate(QStringLiteral("3"), QStringLiteral("100"), QStringLiteral("31/01/2026"));
    EXPECT_EQ(dueDates(), (QStringList{"31/01/2026", "28/02/2026", "31/03/2026"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(schedule()->txtVR(i)->text(), QStringLiteral("100,00"));
    EXPECT_EQ(schedule()->lblParc(2)->text(), QStringLiteral("003/003"));
    EXPECT_EQ(schedule()->txtIdLan(1)->text(), QStringLiteral("NF1/002/003/45"));
    EXPECT_TRUE(schedule()->txtVR(0)->hasFocus());

    // Cancelling the value leaves row 0 alone.
    box("txtQtParc")->setText(QStringLiteral("2"));
    prompts().inputAnswers = {std::nullopt};
    leave(box("txtQtParc"), box("txtobs"));
    EXPECT_EQ(schedule()->rowCount(), 1);
    EXPECT_EQ(schedule()->txtVCT(0)->text(), QStringLiteral("31/01/2026"));
}

// A new count whose first value is cancelled (Esc) or that is refused leaves the rows there are:
// the count shows them, and the save stores what it shows.
TEST_F(frmlancontasTest, TheCountShowsTheRowsASaveStoresAfterACancelOrARefusal) {
    fillDocument(QStringLiteral("NF7"));
    generate(QStringLiteral("2"), QStringLiteral("80"), QStringLiteral("14/03/2026"));
    generate(QStringLiteral("116"), QString(), QString());
    EXPECT_EQ(box("txtQtParc")->text(), QStringLiteral("2"));
    box("txtQtParc")->setText(QStringLiteral("5"));
    prompts().inputAnswers = {std::nullopt};
    leave(box("txtQtParc"), box("txtobs"));
    ASSERT_EQ(schedule()->rowCount(), 1);
    EXPECT_EQ(box("txtQtParc")->text(), QStringLiteral("1"));

    save();
    Recordset rows = instalments();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text("parcela"), QStringLiteral("001/001"));
    EXPECT_EQ(rows.text("idlan"), QStringLiteral("NF7/001/001/%1").arg(supplier));
}

TEST_F(frmlancontasTest, RowsFillFiveColumnsOf23UnderTheirHeadings) {
    generate(QStringLiteral("23"), QStringLiteral("1"), QStringLiteral("14/03/2026"));
    EXPECT_EQ(schedule()->rowCount(), 23);
    EXPECT_NE(schedule()->findChild<QLabel*>(QStringLiteral("lblVR(22)")), nullptr);

    generate(QStringLiteral("115"), QStringLiteral("1"), QStringLiteral("14/03/2026"));
    ASSERT_EQ(schedule()->rowCount(), 115);
    const QRect first = schedule()->txtVR(0)->geometry();
    for (int column = 1; column < 5; ++column) {
        const QRect top = schedule()->txtVR(23 * column)->geometry();
        EXPECT_EQ(top.top(), first.top()) << column;
        EXPECT_GT(top.left(), schedule()->txtVR(23 * column - 1)->geometry().left());
        EXPECT_NE(
            schedule()->findChild<QLabel*>(QStringLiteral("lblParcela(%1)").arg(23 * column - 1)),
            nullptr);
    }
    EXPECT_EQ(schedule()->txtVR(114)->geometry().left(), schedule()->txtVR(92)->geometry().left());
    EXPECT_EQ(dueDates().last(), QStringLiteral("14/09/2035"));
    // Tab runs value, due date, next value.
    EXPECT_EQ(schedule()->txtVCT(40)->nextInFocusChain(), schedule()->txtVR(41));

    generate(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("14/03/2026"));
    EXPECT_EQ(schedule()->findChildren<QLabel*>(QStringLiteral("lblVR(22)")).size(), 0);
    EXPECT_EQ(schedule()->findChildren<QLineEdit*>().size(), 6);
}

// Drawn 1152 pixels wide, the form opens whole on a smaller screen (the suite's own, and one of
// 1024 x 768 in a run of its own), its right-hand controls, captions and the schedule's last
// column in it.
TEST_F(frmlancontasTest, OpensWholeOnAScreenNarrowerThanItsDrawnSize) {
    const QRect room = form->screen()->availableGeometry();
    ASSERT_LT(room.width(), 1152);
    EXPECT_TRUE(room.contains(form->frameGeometry())) << form->frameGeometry().width();
    for (const char* name : {"cmdVR", "txtobs", "Command8", "txtNmTPd", "DataGrid1", "frmVCT"})
        EXPECT_TRUE(form->rect().contains(control<QWidget>(form.get(), name)->geometry())) << name;
    // Each caption stays clear of the boxes under it.
    for (const QLabel* label : form->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        for (const QLineEdit* box : form->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(label->geometry().intersects(box->geometry()))
                << label->text().toStdString() << " " << box->objectName().toStdString();

    generate(QStringLiteral("115"), QStringLiteral("1"), QStringLiteral("14/03/2026"));
    const QRect inside = schedule()->rect();
    for (const int row : {22, 114}) {
        EXPECT_TRUE(inside.contains(schedule()->txtVCT(row)->geometry())) << row;
        const QLabel* label = schedule()->lblParc(row);
        EXPECT_LE(label->x() + label->sizeHint().width(), inside.right()) << row;
    }
    EXPECT_LT(schedule()->txtVR(114)->font().pointSizeF(), 8);
}

TEST_F(frmlancontasTest, SaveChecksInOrderThenWritesOneRowPerInstalment) {
    fillDocument(QStringLiteral("NF123"));
    generate(QStringLiteral("3"), QStringLiteral("100,5"), QStringLiteral("14/03/2026"));
    box("txtDTe")->setText(QStringLiteral("15/03/2026"));
    save();
    box("txtDTe")->setText(QStringLiteral("04/03/2026"));
    schedule()->txtVCT(2)->setText(QStringLiteral("14/04/2026"));
    save();
    schedule()->txtVCT(2)->setText(QStringLiteral("14/05/2026"));
    schedule()->txtVR(1)->setText(QStringLiteral("-1"));
    save();
    schedule()->txtVR(1)->setText(QStringLiteral("1.000,1"));
    save(MsgAnswer::No);
    EXPECT_EQ(prompts().texts(),
              (QStringList{"--- ERRO --- DATA DE EMISSÃO SUPERIOR A DATA ATUAL!",
                           "A PARCELA 003/003 POSSUI VENCIMENTO IGUAL E/OU INFERIOR À PARCELA "
                           "ANTERIOR!",
                           "--- ERRO --- O VALOR DA PARCELA 002/003 NÃO PODE SER MENOR E/OU IGUAL "
                           "A ZERO!",
                           "Confirma?"}));
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    EXPECT_EQ(instalments().recordCount(), 0);
    EXPECT_EQ(schedule()->txtVR(1)->text(), QStringLiteral("1000,10"));
    EXPECT_EQ(control<QPushButton>(form.get(), "cmdVR")->text(),
              QStringLiteral("Vr Total: R$ 1.201,10"));

    // The number changed after the schedule was made: the keys follow it.
    box("txtnrdoc")->setText(QStringLiteral("NF124"));
    save();
    Recordset rows = instalments();
    ASSERT_EQ(rows.recordCount(), 3);
    const QString key = QStringLiteral("NF124/002/003/%1").arg(supplier);
    rows.moveNext();
    EXPECT_EQ(rows.text("idlan"), key);
    EXPECT_EQ(rows.text("vrorig"), QStringLiteral("1000.10"));
    EXPECT_EQ(rows.text("vrab"), QStringLiteral("1000.10"));
    EXPECT_EQ(rows.text("pago"), QStringLiteral("N"));
    EXPECT_EQ(rows.value("dtv").toDate(), QDate(2026, 4, 14));
    EXPECT_EQ(rows.value("dte").toDate(), QDate(2026, 3, 4));
    // The screen is cleared, row 0 with it.
    EXPECT_FALSE(schedule()->isVisible());
    EXPECT_EQ(schedule()->txtIdLan(0)->text(), QString());
    EXPECT_EQ(box("txtnrdoc")->text(), QString());
}

TEST_F(frmlancontasTest, APartlyPaidDocumentLocksItsPaidRowsCountAndDeletion) {
    addInstalment(QStringLiteral("NF7"), supplier, 1, 2, QDate(2026, 3, 1), "50.00", "S", "50.00");
    addInstalment(QStringLiteral("NF7"), supplier, 2, 2, QDate(2026, 4, 1), "50.00");
    // The open row carries the header of the last save; the paid one keeps the first.
    db.execute(QStringLiteral("update cpagar set refdoc = 'NOVO', cdcen = ?, cdscen = ? where "
                              "idlic = ? and parcela = '002/002'"),
               {centre, sub, gIdLic});
    box("txtnrdoc")->setText(QStringLiteral("NF7"));
    box("txtCdFor")->setText(QString::number(supplier));
    leave(box("txtCdFor"), box("txtCdCentro"));
    ASSERT_EQ(schedule()->rowCount(), 2);
    EXPECT_TRUE(schedule()->isVisible());
    EXPECT_TRUE(schedule()->txtVR(0)->isReadOnly());
    EXPECT_FALSE(schedule()->txtVR(1)->isReadOnly());
    EXPECT_TRUE(box("txtQtParc")->isReadOnly());
    EXPECT_TRUE(box("txtnrdoc")->isReadOnly());
    EXPECT_TRUE(box("txtCdFor")->isReadOnly());
    EXPECT_EQ(box("txtref")->text(), QStringLiteral("NOVO"));
    EXPECT_EQ(box("txtNmCentro")->text(), QStringLiteral("ADM"));
    EXPECT_EQ(box("txtNmTPd")->text(), QStringLiteral("LUZ"));

    // Esc does not close the form while the schedule shows.
    press(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    control<QPushButton>(form.get(), "cmdexclu")->click();
    EXPECT_EQ(prompts().texts(), QStringList{"Despesa não pode ser excluída!"});
    EXPECT_FALSE(control<QPushButton>(form.get(), "cmdexclu")->isEnabled());

    // Another workstation puts the open instalment into a receipt before the save.
    db.execute(QStringLiteral("update cpagar set pago = 'X', vrpg = 50 where idlic = ? and "
                              "parcela = '002/002'"),
               {gIdLic});
    prompts().reset();
    save();
    EXPECT_EQ(prompts().texts(),
              (QStringList{"Confirma?", "--- ERRO --- DESPESA ALTERADA EM OUTRA ESTAÇÃO!"}));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    Recordset rows = instalments();
    rows.moveLast();
    EXPECT_EQ(rows.text("pago"), QStringLiteral("X"));
    // Loaded again: the row is locked now.
    EXPECT_TRUE(schedule()->txtVR(1)->isReadOnly());

    control<QPushButton>(form.get(), "cmdretorna")->click();
    EXPECT_FALSE(box("txtQtParc")->isReadOnly());
    EXPECT_FALSE(box("txtCdFor")->isReadOnly());
    EXPECT_FALSE(schedule()->txtVR(0)->isReadOnly());
}

TEST_F(frmlancontasTest, NumbersAreTrimmedAndANewDocumentStoredMeanwhileIsRefusedAndLoaded) {
    // Stored earlier with a blank at its end, typed with one in front.
    addInstalment(QStringLiteral("NF5 "), supplier, 1, 1, QDate(2026, 4, 1), "30.00");
    fillDocument(QStringLiteral(" NF5"));
    ASSERT_TRUE(schedule()->isVisible());
    EXPECT_EQ(schedule()->txtVR(0)->text(), QStringLiteral("30,00"));
    prompts().answers = {MsgAnswer::No};
    control<QPushButton>(form.get(), "cmdexclu")->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Confirma a exclusão?"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::None);
    save();
    Recordset rows = instalments();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text("nrdoc"), QStringLiteral("NF5"));
    EXPECT_EQ(rows.text("idlan"), QStringLiteral("NF5/001/001/%1").arg(supplier));

    // Another workstation stores NF6 while this screen types it as new.
    fillDocument(QStringLiteral("NF6"));
    generate(QStringLiteral("2"), QStringLiteral("10"), QStringLiteral("14/03/2026"));
    addInstalment(QStringLiteral("NF6"), supplier, 1, 1, QDate(2026, 4, 1), "99.00");
    prompts().reset();
    save();
    EXPECT_EQ(prompts().texts(), (QStringList{"Confirma?", "--- ERRO --- DESPESA JÁ CADASTRADA!"}));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(instalments().recordCount(), 2);
    EXPECT_EQ(schedule()->rowCount(), 1);
    EXPECT_EQ(schedule()->txtVR(0)->text(), QStringLiteral("99,00"));
    EXPECT_TRUE(control<QPushButton>(form.get(), "cmdexclu")->isEnabled());
}

} // namespace
} // namespace vtx::test
