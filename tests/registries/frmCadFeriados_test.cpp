// The holiday form against the real server: the date check by the current year, the save that
// keeps one row per day and month, the calendar order and the delete by double click.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "Clock.h"
#include "DataControl.h"
#include "DbFixture.h"
#include "FormDriving.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "frmCadFeriados.h"

namespace vtx::test {
namespace {

const QString kBadDate = QStringLiteral("--- ERRO --- DIA / MÊS INVÁLIDO!");

class HolidayFormTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        setYear(2026);
    }

    void setYear(int year) { Clock::set(QDateTime(QDate(year, 6, 1), QTime(10, 0, 0))); }

    std::unique_ptr<frmCadFeriados> open() { return test::open<frmCadFeriados>(); }

    void save(QWidget* f, int day, int month, const QString& name) {
        auto* days = control<QComboBox>(f, "cboDia");
        auto* months = control<QComboBox>(f, "cboMes");
        days->setCurrentIndex(day - 1);
        months->setCurrentIndex(month - 1);
        control<QLineEdit>(f, "txtObs")->setText(name);
        control<QPushButton>(f, "Command1")->click();
    }

    Recordset stored() {
        return db.query(QStringLiteral("select * from feriados where idlic = ? order by mes, dia"),
                        {gIdLic});
    }

    QStringList listed(QWidget* f, int column) {
        QAbstractItemModel* model = control<QTableView>(f, "DataGrid2")->model();
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, column).data().toString();
        return out;
    }
};

TEST_F(HolidayFormTest, OpensWithTheDayAndMonthItemsAndNothingChosen) {
    auto f = open();
    auto* days = control<QComboBox>(f.get(), "cboDia");
    auto* months = control<QComboBox>(f.get(), "cboMes");
    ASSERT_EQ(days->count(), 31);
    EXPECT_EQ(days->itemText(30), QStringLiteral("31"));
    ASSERT_EQ(months->count(), 12);
    EXPECT_EQ(months->itemText(0), QStringLiteral("JANEIRO, 1"));
    EXPECT_EQ(months->itemText(2), QStringLiteral("MARÇO, 3"));
    EXPECT_EQ(months->itemText(11), QStringLiteral("DEZEMBRO, 12"));

    control<QPushButton>(f.get(), "Command1")->click();
    EXPECT_EQ(prompts().texts(), QStringList{QStringLiteral("--- ERRO -- DADOS INCOMPLETOS!")});
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(HolidayFormTest, TheDayMustExistInThatMonthOfTheCurrentYear) {
    auto f = open();
    save(f.get(), 31, 4, QStringLiteral("X"));
    save(f.get(), 30, 2, QStringLiteral("X"));
    save(f.get(), 29, 2, QStringLiteral("X"));
    EXPECT_EQ(prompts().texts(), (QStringList{kBadDate, kBadDate, kBadDate}));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(stored().isEmpty());

    setYear(2028);
    save(f.get(), 29, 2, QStringLiteral("BISSEXTO"));
    EXPECT_EQ(prompts().messages.size(), 3u);
    Recordset rows = stored();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("dia")), QStringLiteral("29"));
    EXPECT_EQ(rows.text(QStringLiteral("mes")), QStringLiteral("2"));
    EXPECT_EQ(rows.text(QStringLiteral("nMes")), QStringLiteral("FEVEREIRO"));
}

TEST_F(HolidayFormTest, ASecondSaveOfTheDayRenamesItsRow) {
    auto f = open();
    save(f.get(), 25, 12, QStringLiteral("NATAL"));
    Clock::set(QDateTime(QDate(2026, 7, 2), QTime(11, 12, 13)));
    save(f.get(), 25, 12, QStringLiteral("NATAL DE JESUS"));

    Recordset rows = stored();
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text(QStringLiteral("obs")), QStringLiteral("NATAL DE JESUS"));
    EXPECT_EQ(rows.text(QStringLiteral("nMes")), QStringLiteral("DEZEMBRO"));
    EXPECT_EQ(rows.text(QStringLiteral("evcad")), QStringLiteral("TESTE - 01/06/2026 10:00:00"));
    EXPECT_EQ(rows.text(QStringLiteral("evup")), QStringLiteral("TESTE - 02/07/2026 11:12:13"));

    // The name box is emptied; the day and month stay chosen.
    EXPECT_EQ(control<QLineEdit>(f.get(), "txtObs")->text(), QString());
    EXPECT_EQ(control<QComboBox>(f.get(), "cboDia")->currentText(), QStringLiteral("25"));
    EXPECT_EQ(control<QComboBox>(f.get(), "cboMes")->currentText(), QStringLiteral("DEZEMBRO, 12"));
    EXPECT_TRUE(control<QComboBox>(f.get(), "cboDia")->hasFocus());
}

TEST_F(HolidayFormTest, ListsInCalendarOrderWithTheMonthName) {
    db.execute(
        QStringLiteral("insert into feriados (idlic, dia, mes, nMes, obs) values "
                       "(?, 7, 9, 'SETEMBRO', 'INDEPENDENCIA'), (?, 1, 1, 'JANEIRO', 'ANO')"),
        {gIdLic, gIdLic});
    auto f = open();
    auto* obs = control<QLineEdit>(f.get(), "txtObs");
    obs->setFocus();
    typeText(obs, QStringLiteral("finados"));
    save(f.get(), 2, 11, obs->text());
    save(f.get(), 15, 11, QStringLiteral("REPUBLICA"));
    EXPECT_EQ(listed(f.get(), 0),
              (QStringList{QStringLiteral("JANEIRO"), QStringLiteral("SETEMBRO"),
                           QStringLiteral("NOVEMBRO"), QStringLiteral("NOVEMBRO")}));
    EXPECT_EQ(listed(f.get(), 1), (QStringList{QStringLiteral("1"), QStringLiteral("7"),
                                               QStringLiteral("2"), QStringLiteral("15")}));
    EXPECT_EQ(listed(f.get(), 2)[2], QStringLiteral("FINADOS"));
}

TEST_F(HolidayFormTest, DoubleClickDeletesAfterYesOnly) {
    db.execute(QStringLiteral("insert into feriados (idlic, dia, mes, nMes, obs) values "
                              "(?, 21, 4, 'ABRIL', 'TIRADENTES')"),
               {gIdLic});
    auto f = open();
    auto* grid = control<QTableView>(f.get(), "DataGrid2");
    const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
    prompts().answers = {MsgAnswer::No, MsgAnswer::Yes};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(stored().recordCount(), 1);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    }
    EXPECT_EQ(prompts().messages.size(), 2u);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(grid->model()->rowCount(), 0);
}

} // namespace
} // namespace vtx::test
