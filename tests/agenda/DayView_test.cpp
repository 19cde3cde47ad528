// The day list's lines built from working hours and bookings, without a window.
#include <gtest/gtest.h>

#include "DayView.h"

namespace vtx::test {
namespace {

using DayView::BookedRow;

BookedRow booking(const QString& hour, const QString& key) {
    BookedRow row;
    row.hr = hour;
    row.nmpac = QStringLiteral("PACIENTE ") + key;
    row.status = QStringLiteral("0");
    row.idagenda = key;
    return row;
}

TEST(DayViewTest, LinesKeepTheirWidthsWhateverTheValues) {
    // The titles are cut to the widths too, so that they stand over their columns.
    EXPECT_EQ(DayView::titleLine(),
              QStringLiteral("Horár|Paciente%1|Telefone%2|C/R%3|Mobil? |CF?|Convênio%4|OBS%5")
                  .arg(QString(32, u' '), QString(7, u' '), QString(17, u' '), QString(7, u' '),
                       QString(27, u' ')));

    BookedRow full{QStringLiteral("08:15"),
                   QString(50, u'M'),
                   QStringLiteral("11 9999|0000"),
                   QStringLiteral("12"),
                   QStringLiteral("FISIOTERAPIA RESPIRATORIA"),
                   QStringLiteral("1 - Sim"),
                   QStringLiteral("2"),
                   QStringLiteral("UNIMED"),
                   QStringLiteral("OBS"),
                   QStringLiteral("ANA 01/05/2026 09:00:00"),
                   QStringLiteral("260501090000ANA3")};
    const QString line = DayView::bookedLine(full);
    const QStringList fields = line.split(u'|');
    ASSERT_EQ(fields.size(), 10) << line.toStdString(); // a typed "|" shifts nothing
    EXPECT_EQ(fields[1], QString(40, u'M'));
    EXPECT_EQ(fields[2], QStringLiteral("11 9999/0000   "));
    EXPECT_EQ(fields[3], QStringLiteral("12 FISIOTERAPIA RESP"));
    EXPECT_EQ(fields[5], QStringLiteral("2  "));
    EXPECT_EQ(fields[8], QStringLiteral("ANA 01/05/2026 09:00:00"));
    EXPECT_EQ(fields[9], QStringLiteral("260501090000ANA3"));

    // Missing values are empty fields: the layout stays.
    const QString empty =
        DayView::bookedLine(booking(QStringLiteral("09:00"), QStringLiteral("K")));
    EXPECT_EQ(empty.indexOf(u'|', 0), 5);
    EXPECT_EQ(empty.section(u'|', 0, 7).size(), 135 + 7);
}

TEST(DayViewTest, TypedHoursReadAsHoursAndMinutes) {
    const std::pair<const char*, const char*> cases[] = {
        {"8:15", "08:15"},  {"8", "08:00"},     {" 9:00", "09:00"}, {"13:5", "13:05"},
        {"08:30", "08:30"}, {"24:00", "24:00"}, {"8:60", "8:60"},   {"AB", "AB"}};
    for (const auto& [typed, read] : cases)
        EXPECT_EQ(DayView::normalizedHour(QString::fromLatin1(typed)), QString::fromLatin1(read))
            << typed;
    EXPECT_EQ(
        DayView::hoursOf(QStringLiteral("8:15/8//9:00/")),
        (QStringList{QStringLiteral("08:15"), QStringLiteral("08:00"), QStringLiteral("09:00")}));
}

TEST(DayViewTest, EachRowListsItsBookingsThenItsFreeHoursEachHourOnce) {
    const DayView::Day blocked = DayView::build({}, {booking(QStringLiteral("08:00"), "A")});
    EXPECT_EQ(blocked.lines, QStringList{QStringLiteral("BLOQUEADA")});
    EXPECT_EQ(blocked.clinicCount, 0);

    // A home row and a clinic row share 08:30 and 09:00; the earlier hours come first.
    const std::vector<QStringList> rows{
        {QStringLiteral("08:30"), QStringLiteral("09:00"), QStringLiteral("10:00")},
        {QStringLiteral("08:00"), QStringLiteral("08:30"), QStringLiteral("09:00")}};
    const DayView::Day day =
        DayView::build(rows, {booking(QStringLiteral("10:00"), QStringLiteral("B")),
                              booking(QStringLiteral("08:30"), QStringLiteral("A")),
                              booking(QStringLiteral("11:00"), QStringLiteral("C"))});
    ASSERT_EQ(day.lines.size(), 4) << day.lines.join(u'\n').toStdString();
    EXPECT_TRUE(day.lines[0].endsWith(QStringLiteral("|A")));
    EXPECT_EQ(day.lines[1], QStringLiteral("08:00"));
    EXPECT_EQ(day.lines[2], QStringLiteral("09:00"));
    EXPECT_TRUE(day.lines[3].endsWith(QStringLiteral("|B")));
    EXPECT_EQ(day.clinicCount, 2);
}

TEST(DayViewTest, OnlyLinesBeginningWithATimeAreHours) {
    EXPECT_TRUE(DayView::isTimeLine(QStringLiteral("08:00")));
    EXPECT_TRUE(DayView::isTimeLine(QStringLiteral("23:59|X")));
    for (const char* other : {"BLOQUEADA", "8:00 ", "08-00", "", "08:0"})
        EXPECT_FALSE(DayView::isTimeLine(QString::fromLatin1(other))) << other;
    EXPECT_EQ(DayView::field(QStringLiteral("08:00"), 1), QString());
    EXPECT_EQ(DayView::field(QStringLiteral("08:00|ANA|x"), 1), QStringLiteral("ANA"));
}

} // namespace
} // namespace vtx::test
