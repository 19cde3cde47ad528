// What the user sees of the platform's dialogs: Portuguese calendars, input and message boxes
// that show their titles whole, and forms that keep their controls.
#include <functional>

#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "Application.h"
#include "Desktop.h"
#include "Modal.h"
#include "QtPrompter.h"
#include "ScriptedPrompter.h"

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

TEST(Dialogs, MessageBoxIsAsWideAsItsTitle) {
    const QString title = QStringLiteral("Atenção");
    const auto box = makeMessageBox({QStringLiteral("Sucesso!"), title, MsgIcon::Information});
    box->show();
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(title) + 100);
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
    setScalesWithSize(&scaling);
    showModal(&scaling);
    EXPECT_NE(shownMin, shownMax);
}

// A name longer than its box reads from its first letter, loaded before the form shows or
// while it is up; what the user types stays where it is typed.
TEST(Dialogs, ABoxShowsTheStartOfTheTextLoadedIntoIt) {
    const QString name = QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA FERREIRA");
    QDialog form;
    auto* box = new QLineEdit(&form);
    box->setGeometry(10, 10, 80, 24);
    box->setText(name);
    std::vector<int> carets;
    setModalDriver([&](QDialog*) {
        carets.push_back(box->cursorPosition());
        box->setText(QStringLiteral("JOSE ") + name);
        carets.push_back(box->cursorPosition());
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("XY"));
        carets.push_back(box->cursorPosition());
    });
    showModal(&form);
    EXPECT_EQ(carets, (std::vector<int>{0, 0, int(name.size()) + 7}));
    EXPECT_TRUE(box->text().endsWith(QStringLiteral("FERREIRAXY")));
}

// Tab into a box holding a loaded name selects it all and still shows its first letter, also
// once the focus has moved on.
TEST(Dialogs, ABoxEnteredByTabShowsTheStartOfItsLoadedText) {
    const QString name = QStringLiteral("MARIA APARECIDA DOS SANTOS OLIVEIRA FERREIRA");
    QDialog form;
    auto* code = new QLineEdit(&form);
    auto* box = new QLineEdit(&form);
    auto* next = new QLineEdit(&form);
    code->setGeometry(10, 10, 40, 24);
    box->setGeometry(60, 10, 80, 24);
    next->setGeometry(150, 10, 40, 24);
    std::vector<int> carets;
    setModalDriver([&](QDialog* shown) {
        QApplication::setActiveWindow(shown);
        code->setFocus(Qt::OtherFocusReason);
        box->setText(name);
        QTest::keyClick(code, Qt::Key_Tab);
        EXPECT_EQ(box->selectedText(), name);
        carets.push_back(box->cursorPosition());
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_TRUE(next->hasFocus());
        carets.push_back(box->cursorPosition());
    });
    showModal(&form);
    EXPECT_EQ(carets, (std::vector<int>{0, 0}));
}

// The desktop's opener tells through its exit code whether a program took the file: a file
// it has no program for is named with its full path, so that the user can find it.
TEST(Dialogs, AFileTheDesktopCannotOpenIsNamedWithItsFullPath) {
    Desktop::resetHooks();
    QTemporaryDir bin;
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(
        "#!/bin/sh\necho \"$1\" >>\"$0.log\"\ncase \"$1\" in *.pdf) exit 0;; esac\nexit 3\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    const auto waitFor = [](const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    Desktop::openFile(QStringLiteral("relatorio.pdf"));
    waitFor([&] { return QFile::exists(opener.fileName() + QStringLiteral(".log")); });
    Desktop::openFile(QStringLiteral("planilha.xyz"));
    waitFor([] { return !prompts().messages.empty(); });
    qputenv("PATH", path);
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Não foi possível abrir o arquivo:\n") +
                                         QDir::current().filePath(QStringLiteral("planilha.xyz")));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Exclamation);
}

} // namespace
} // namespace vtx::test
