// The fixture of the patient and professional registry tests: the real server, a loopback
// web server in place of the public services, and the forms driven by their control names.
#pragma once

#include <memory>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Clock.h"
#include "DbFixture.h"
#include "Decimal.h"
#include "FormDriving.h"
#include "LoopbackServer.h"
#include "Modal.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "WebRequest.h"

namespace vtx::test {

inline const QString kNoName = QStringLiteral("--- ERRO --- NOME NÃO INFORMADO!");
inline const QString kNotFound = QStringLiteral("--- ERRO --- CÓDIGO NÃO ENCONTRADO!");
inline const QString kRegistryQuestion = QStringLiteral("Buscar dados cadastrais na receita?");
inline const QString kBirthQuestion = QStringLiteral(
    "Atenção!!! Data de nascimento não informada ou inválida!\rProsseguir assim mesmo?");
/// A valid CNPJ typed bare, and valid CPFs bare and punctuated.
inline const QString kCnpj = QStringLiteral("11222333000181");
inline const QString kCpf = QStringLiteral("12345678909");
inline const QString kCpfPunctuated = QStringLiteral("123.456.789-09");

class PeopleTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        Clock::set(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
        Web::setTestBase(server.base());
        Web::setTimeout(400);
    }
    void TearDown() override {
        Web::setTestBase(QUrl());
        Web::setTimeout(15000);
        DbFixture::TearDown();
    }

    template <class Form> std::unique_ptr<Form> open() {
        auto form = test::open<Form>();
        // The user moves on from the code box, where the form opens, before typing.
        box(form.get(), "txtnome")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return form;
    }

    QLineEdit* box(QWidget* f, const char* name) { return control<QLineEdit>(f, name); }
    QComboBox* combo(QWidget* f, const char* name) { return control<QComboBox>(f, name); }
    QString text(QWidget* f, const char* name) { return box(f, name)->text(); }
    void set(QWidget* f, const char* name, const QString& value) { box(f, name)->setText(value); }

    /// Enters a box, sets its text and leaves it with Tab.
    void typeAndLeave(QWidget* f, const char* name, const QString& value) {
        QLineEdit* b = box(f, name);
        // Focus events reach only the active window: make sure it is, even under load.
        QApplication::setActiveWindow(f);
        QApplication::processEvents();
        b->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        b->setText(value);
        key(f, Qt::Key_Tab);
    }
    /// A key typed into the form's focused control; the form is made active first, as it is
    /// again when a dialog it opened has closed.
    void key(QWidget* f, Qt::Key k) {
        QApplication::setActiveWindow(f);
        QWidget* target = f->focusWidget() ? f->focusWidget() : f;
        QTest::keyClick(target, k);
        QApplication::processEvents();
    }
    void loadCode(QWidget* f, const QString& code) { typeAndLeave(f, "txtcodcli", code); }
    void click(QWidget* f, const char* button) { control<QPushButton>(f, button)->click(); }

    /// The next search dialog shown gets this key, then closes.
    void answerSearchWith(Qt::Key key) {
        setModalDriver([key](QDialog* dialog) {
            QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QTest::keyClick(target, key);
        });
    }

    Recordset rows(const QString& table, const QString& order) {
        return db.query(
            QStringLiteral("select * from %1 where idlic = ? order by %2").arg(table, order),
            {gIdLic});
    }

    LoopbackServer server;
};

} // namespace vtx::test
