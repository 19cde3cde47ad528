// The appointment search from the window: bookings from today on of every professional, the
// typed text taken literally, and the chosen day shown in the window.
#include <QCalendarWidget>
#include <QHeaderView>
#include <QTableView>

#include "AgendaFixture.h"
#include "DataControl.h"
#include "Typing.h"

namespace vtx::test {
namespace {

class SearchTest : public AgendaTest {
protected:
    void book(const QString& key, const QString& professional, const QDate& day,
              const QString& hour, const QString& name) {
        addBooking(key, professional, hour, name);
        db.execute(QStringLiteral("update agenda_clinica set dia = ? where idlic = ? and "
                                  "idagenda = ?"),
                   {day, gIdLic, key});
    }
};

TEST_F(SearchTest, PartOfANameListsBookingsFromTodayOfEveryProfessional) {
    const QString ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
    const QString bia = addProfessional(QStringLiteral("BIA"), 150, QStringLiteral("0"));
    const QDate december(2026, 12, 10);
    book(QStringLiteral("K1"), ana, kToday.addDays(-1), QStringLiteral("09:00"),
         QStringLiteral("MARIA SILVA"));
    book(QStringLiteral("K2"), bia, december, QStringLiteral("08:00"),
         QStringLiteral("MARIA SILVA"));
    book(QStringLiteral("K3"), ana, kToday, QStringLiteral("09:00"), QStringLiteral("MARIA SILVA"));
    book(QStringLiteral("K4"), bia, kToday, QStringLiteral("10:00"),
         QStringLiteral("ANA SILVEIRA"));
    book(QStringLiteral("K5"), ana, kToday, QStringLiteral("11:00"), QStringLiteral("PEDRO"));
    // The mobile and the landline, as the booking frame fills the phone.
    db.execute(QStringLiteral("update agenda_clinica set fone = '(19) 99876-5432 (19) 3232-5432' "
                              "where idlic = ? and idagenda = 'K2'"),
               {gIdLic});
    auto f = open();
    onDialog("frmCli_Agenda_Pesquisa", [&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Agenda Clinica - Pesquisa Agendamento"));
        QWidget* select = control<QWidget>(d, "Command1");
        EXPECT_FALSE(select->isEnabled());
        box(d, "txtnmpac")->setFocus();
        typeText(box(d, "txtnmpac"), QStringLiteral(" "));
        EXPECT_FALSE(select->isEnabled());
        EXPECT_TRUE(listed(d).isEmpty());
        box(d, "txtnmpac")->clear();
        typeText(box(d, "txtnmpac"), QStringLiteral("s%a"));
        EXPECT_TRUE(listed(d).isEmpty()); // "%" taken as typed
        box(d, "txtnmpac")->clear();
        typeText(box(d, "txtnmpac"), QStringLiteral("sil"));
        EXPECT_EQ(box(d, "txtnmpac")->text(), QStringLiteral("SIL"));
        EXPECT_TRUE(select->isEnabled());
        EXPECT_EQ(listed(d, 0),
                  QStringList({QStringLiteral("ANA SILVEIRA"), QStringLiteral("MARIA SILVA"),
                               QStringLiteral("MARIA SILVA")}));
        EXPECT_EQ(listed(d, 1),
                  QStringList({QStringLiteral("04/05/2026"), QStringLiteral("04/05/2026"),
                               QStringLiteral("10/12/2026")}));
        EXPECT_EQ(listed(d, 5), QStringList({QStringLiteral("BIA"), QStringLiteral("ANA"),
                                             QStringLiteral("BIA")}));
        // No heading is cut ("HORÁRIO" is wider than its 5 %), and the columns keep to the grid.
        auto* grid = control<QTableView>(d, "DataGrid1");
        int total = 0;
        for (int c = 0; c < 6; ++c) {
            EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
            total += grid->columnWidth(c);
        }
        EXPECT_LE(total, grid->viewport()->width());
        // The phone shows whole, the date keeps its share, and the widest columns give the
        // room alike.
        expectColumns(d, {25, 10, 5, 12, 20, 25}, {3}, {1});
        EXPECT_LE(std::abs(grid->columnWidth(0) - grid->columnWidth(5)), 1);
        grid->setCurrentIndex(grid->model()->index(2, 0));
        key(d, Qt::Key_F10);
        EXPECT_FALSE(d->isVisible());
    });
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(control<QCalendarWidget>(f.get(), "Calendar1")->selectedDate(), december);
    EXPECT_EQ(labelText(f.get(), "lDia"), QStringLiteral("AGENDA DO DIA: 10/12/2026"));
    EXPECT_EQ(combo(f.get(), "cboPro")->currentText().left(3), QStringLiteral("ANA"));
    EXPECT_EQ(gCodBusca.toString() + gNomeBusca, QString());

    // Esc brings nothing back: the window keeps its day.
    onDialog("frmCli_Agenda_Pesquisa", [&](QDialog* d) {
        box(d, "txtnmpac")->setText(QStringLiteral("SIL"));
        key(d, Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible());
    });
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(control<QCalendarWidget>(f.get(), "Calendar1")->selectedDate(), december);

    // A search that fails lists nothing of the one before, and F10 takes nothing.
    onDialog("frmCli_Agenda_Pesquisa", [&](QDialog* d) {
        box(d, "txtnmpac")->setText(QStringLiteral("SIL"));
        ASSERT_EQ(listed(d).size(), 3);
        auto* rows = d->findChild<DataControl*>(QStringLiteral("Adodc1"));
        ASSERT_NE(rows, nullptr);
        rows->connection().close(); // the next search connects anew, and cannot
        const QString reachable = gStrConexao;
        gStrConexao = QStringLiteral("Driver={nenhum};");
        box(d, "txtnmpac")->setText(QStringLiteral("SILV"));
        gStrConexao = reachable;
        ASSERT_FALSE(prompts().messages.empty());
        EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
        EXPECT_TRUE(listed(d).isEmpty());
        key(d, Qt::Key_F10);
        EXPECT_TRUE(d->isVisible());
        key(d, Qt::Key_Escape);
    });
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(control<QCalendarWidget>(f.get(), "Calendar1")->selectedDate(), december);
}

} // namespace
} // namespace vtx::test
