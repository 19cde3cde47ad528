// The fixture of the contract tests: the real server, a fixed clock, registry rows to point
// at, and the modal forms driven one after another by scripted steps.
#pragma once

#include <deque>
#include <functional>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Clock.h"
#include "DbFixture.h"
#include "FormDriving.h"
#include "Modal.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"

namespace vtx::test {

class ContractTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
        setModalDriver([this](QDialog* form) {
            shown << form->objectName();
            activate(form);
            if (steps.empty())
                return;
            auto step = std::move(steps.front());
            steps.pop_front();
            step(form);
        });
    }

    /// Inserts a row of the installation; the value the database gave an auto-increment key.
    long long add(const QString& table, const QStringList& columns, const Params& values) {
        Params all{gIdLic};
        all.insert(all.end(), values.begin(), values.end());
        db.execute(QStringLiteral("insert into %1 (idlic,%2) values (?%3)")
                       .arg(table, columns.join(QLatin1Char(',')),
                            QStringLiteral(",?").repeated(columns.size())),
                   all);
        return db.lastInsertId();
    }
    long long addPlan(const QString& name) {
        return add(QStringLiteral("convenios"), {QStringLiteral("nmconv")}, {name});
    }
    long long addProcedure(const QString& name) {
        return add(QStringLiteral("procedimentos"),
                   {QStringLiteral("nmproc"), QStringLiteral("vertmex")},
                   {name, QStringLiteral("0")});
    }
    Recordset rows(const QString& table, const QString& order) {
        return db.query(
            QStringLiteral("select * from %1 where idlic = ? order by %2").arg(table, order),
            {gIdLic});
    }

    static QLineEdit* box(QWidget* f, const char* name) { return control<QLineEdit>(f, name); }
    static QString text(QWidget* f, const char* name) { return box(f, name)->text(); }
    static void click(QWidget* f, const char* name) { control<QPushButton>(f, name)->click(); }
    /// Sets a box's text and leaves it for the next control, as Tab does.
    static void typeAndLeave(QWidget* f, const char* name, const QString& value) {
        QLineEdit* b = box(f, name);
        QApplication::setActiveWindow(f);
        b->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        b->setText(value);
        QTest::keyClick(b, Qt::Key_Tab);
        QApplication::processEvents();
    }

    /// What each modal form shown next does, in order; a form without a step just closes.
    std::deque<std::function<void(QDialog*)>> steps;
    /// The names of the modal forms shown, in order.
    QStringList shown;
};

} // namespace vtx::test
