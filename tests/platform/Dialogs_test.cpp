// What the user sees of the platform's dialogs: Portuguese calendars, input boxes that show
// their titles whole, and forms that keep their controls.
#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "Application.h"
#include "Modal.h"
#include "QtPrompter.h"

namespace vtx::test {
namespace {

TEST(Dialogs, CalendarsShowPortugueseNamesEvenWithoutQtTranslations) {
    QLocale::setDefault(QLocale::c());
    EXPECT_FALSE(usePortuguese(QStringLiteral("/no/such/folder")));
    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2026, 12, 9));
    const auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), QStringLiteral("dezembro"));
    EXPECT_EQ(calendar.firstDayOfWeek(), Qt::Sunday);
}

TEST(Dialogs, InputBoxIsAsWideAsItsTitleAndItsPrompt) {
    const QString title = QStringLiteral("QUAL AGENDA DESEJA IMPRIMIR?");
    const auto dialog = makeInputDialog(
        {QStringLiteral("0 - AGENDA DA CLINICA\r\n1 - AGENDA DO HOME"), title, QString()});
    dialog->show();
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(dialog->width(), QFontMetrics(bold).horizontalAdvance(title) + 100);

    const QString prompt(120, QLatin1Char('W'));
    const auto wide = makeInputDialog({prompt, QStringLiteral("Rateio do frete"), QString()});
    wide->show();
    const auto* label = wide->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(prompt));
}

TEST(Dialogs, FormPlacedByCoordinatesKeepsItsDesignedSize) {
    QSize shownMin, shownMax;
    setModalDriver([&](QDialog* form) {
        shownMin = form->minimumSize();
        shownMax = form->maximumSize();
    });
    QDialog placed;
    placed.resize(700, 500);
    (new QLineEdit(&placed))->setGeometry(10, 10, 200, 24);
    showModal(&placed);
    EXPECT_EQ(shownMin, QSize(700, 500));
    EXPECT_EQ(shownMax, QSize(700, 500));

    // A form that reflows or scales keeps its resizing.
    QDialog reflowing;
    (new QVBoxLayout(&reflowing))->addWidget(new QLineEdit);
    reflowing.resize(700, 500);
    showModal(&reflowing);
    EXPECT_NE(shownMin, shownMax);
    QDialog scaling;
    scaling.resize(700, 500);
    (new QObject(&scaling))->setObjectName(QStringLiteral("Resize"));
    showModal(&scaling);
    EXPECT_NE(shownMin, shownMax);
}

} // namespace
} // namespace vtx::test
