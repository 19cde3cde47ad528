// The appointment book window against the real server: the professionals, the day built from
// working hours, holiday, bookings and sessions, the calendar and the keys.
#include <QCalendarWidget>
#include <QTableView>

#include "AgendaFixture.h"

namespace vtx::test {
namespace {

using WindowTest = AgendaTest;

TEST_F(WindowTest, ListsClinicProfessionalsWithTheirValues) {
    const QString bia =
        addProfessional(QStringLiteral("BIA"), QVariant(), QStringLiteral("2"), QVariant());
    const QString ana = addProfessional(
        QStringLiteral("ANA"), QVariant::fromValue(Decimal(15050, 2)), QStringLiteral("0"));
    addProfessional(QStringLiteral("CAIO"), 100, QStringLiteral("1"));
    auto f = open();
    QComboBox* pro = combo(f.get(), "cboPro");
    ASSERT_EQ(pro->count(), 2); // CAIO works only at home
    EXPECT_EQ(pro->itemText(0), QStringLiteral("ANA%1|%2|150,5|7|0").arg(QString(42, u' '), ana));
    EXPECT_EQ(pro->itemText(1), QStringLiteral("BIA%1|%2|||2").arg(QString(42, u' '), bia));
    EXPECT_EQ(pro->currentIndex(), 0);
    EXPECT_EQ(labelText(f.get(), "lHoje"),
              QStringLiteral("HOJE: segunda-feira, 4 de maio de 2026"));
}

TEST_F(WindowTest, DayShowsHolidayBookingsOnceFreeHoursAndSessions) {
    const QString ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("2"));
    addHours(ana, QStringLiteral("8:15/8/9:00")); // typed without the leading zero
    addHours(ana, QStringLiteral("09:00/10:00"), QStringLiteral("1")); // a home row sharing 09:00
    insert(QStringLiteral("feriados"),
           {QStringLiteral("dia"), QStringLiteral("mes"), QStringLiteral("obs")},
           {4, 5, QStringLiteral("DIA DA CLINICA")});
    const QString plan =
        insert(QStringLiteral("convenios"), {QStringLiteral("nmconv")}, {QStringLiteral("UNIMED")});
    // Keyed against the hours' order: the day lists its bookings by hour all the same.
    addBooking(QStringLiteral("B1"), ana, QStringLiteral("08:15"), QStringLiteral("MARIA D'ÁVILA"),
               QStringLiteral("2"), plan.toInt());
    addBooking(QStringLiteral("A2"), ana, QStringLiteral("09:00"), QStringLiteral("JOAO"));
    addBooking(QStringLiteral("A3"), ana, QStringLiteral("11:00"), QStringLiteral("FORA"));
    const QString patient =
        insert(QStringLiteral("pacientes"),
               {QStringLiteral("nmPac"), QStringLiteral("fonepac"), QStringLiteral("dtnasc")},
               {QStringLiteral("JOSE"), QStringLiteral("3333"), QDate(1950, 2, 3)});
    for (const char* hour : {"14:00", "07:30"})
        insert(QStringLiteral("contrato_agenda"),
               {QStringLiteral("idcontrato"), QStringLiteral("idlan"), QStringLiteral("idpac"),
                QStringLiteral("data"), QStringLiteral("hora")},
               {QStringLiteral("C1"), QString::fromLatin1(hour), patient.toInt(), kToday,
                QString::fromLatin1(hour)});

    auto f = open();
    EXPECT_EQ(labelText(f.get(), "lDia"), QStringLiteral("AGENDA DO DIA: 04/05/2026"));
    EXPECT_EQ(labelText(f.get(), "lFeriado"), QStringLiteral("FERIADO: DIA DA CLINICA"));
    const QStringList day = lines(f.get());
    // The clinic row first ("8:15" reads "08:15"), its bookings before its free hours; 09:00,
    // which the home row holds too, listed once.
    ASSERT_EQ(day.size(), 4) << day.join(u'\n').toStdString();
    EXPECT_TRUE(day[0].startsWith(QStringLiteral("08:15|MARIA D'ÁVILA ")));
    EXPECT_EQ(day[0].section(u'|', 5, 6), QStringLiteral("2  |UNIMED         "));
    EXPECT_TRUE(day[1].startsWith(QStringLiteral("09:00|JOAO ")));
    EXPECT_EQ(day[1].section(u'|', 6, 6), QString(15, u' ')); // no plan: an empty field
    EXPECT_EQ(day[2], QStringLiteral("08:00"));
    EXPECT_EQ(day[3], QStringLiteral("10:00"));
    EXPECT_EQ(labelText(f.get(), "lQT"), QStringLiteral("Clínica: 2 Home: 2"));

    QAbstractItemModel* grid = control<QTableView>(f.get(), "DataGrid1")->model();
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->index(0, 0).data().toString(), QStringLiteral("07:30"));
    EXPECT_EQ(grid->index(0, 1).data().toString(), QStringLiteral("JOSE"));
    EXPECT_EQ(grid->index(0, 3).data().toString(), QStringLiteral("03/02/1950"));

    // A day whose reading fails shows none of the sessions of the day before.
    dropSharedConnection();
    control<QCalendarWidget>(f.get(), "Calendar1")->setSelectedDate(kToday.addDays(1));
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(labelText(f.get(), "lQT"), QStringLiteral("Clínica: 0 Home: 0"));
}

TEST_F(WindowTest, DayWithoutHoursIsBlockedAndChoicesReturnToToday) {
    const QString ana = addProfessional(QStringLiteral("ANA"), 150, QStringLiteral("0"));
    addProfessional(QStringLiteral("BIA"), 90, QStringLiteral("0"));
    addHours(ana, QStringLiteral("08:00"));
    auto f = open();
    auto* calendar = control<QCalendarWidget>(f.get(), "Calendar1");
    calendar->setSelectedDate(kToday.addDays(1)); // Tuesday: no hours
    EXPECT_EQ(lines(f.get()), QStringList{QStringLiteral("BLOQUEADA")});
    EXPECT_EQ(labelText(f.get(), "lQT"), QStringLiteral("Clínica: 0 Home: 0"));
    EXPECT_TRUE(f->isEnabled());

    // A click on the blocked line, or on an hour, with the frame hidden changes nothing.
    click(f.get(), QStringLiteral("BLOQUEADA"));
    doubleClick(f.get(), QStringLiteral("BLOQUEADA"));
    EXPECT_FALSE(framed(f.get()));

    QTest::mouseClick(control<QLabel>(f.get(), "lHoje"), Qt::LeftButton);
    EXPECT_EQ(calendar->selectedDate(), kToday);
    EXPECT_EQ(lines(f.get()), QStringList{QStringLiteral("08:00")});

    calendar->setSelectedDate(kToday.addDays(7));
    combo(f.get(), "cboPro")->setCurrentIndex(1);
    EXPECT_EQ(calendar->selectedDate(), kToday);
    EXPECT_EQ(lines(f.get()), QStringList{QStringLiteral("BLOQUEADA")});
}

TEST_F(WindowTest, WithoutProfessionalsTheWindowOpensEmptyAndEscCloses) {
    addProfessional(QStringLiteral("CAIO"), 100, QStringLiteral("1"));
    auto f = open();
    EXPECT_EQ(combo(f.get(), "cboPro")->count(), 0);
    EXPECT_TRUE(lines(f.get()).isEmpty());
    control<QCalendarWidget>(f.get(), "Calendar1")->setSelectedDate(kToday.addDays(2));
    EXPECT_TRUE(lines(f.get()).isEmpty());
    EXPECT_EQ(labelText(f.get(), "lDia"), QString());

    QString shown;
    setModalDriver([&](QDialog* dialog) { shown = dialog->objectName(); });
    key(f.get(), Qt::Key_F2);
    EXPECT_EQ(shown, QStringLiteral("frmCli_Agenda_Pesquisa"));
    key(f.get(), Qt::Key_Escape);
    EXPECT_FALSE(f->isVisible());
}

} // namespace
} // namespace vtx::test
