// The users and rights form against the real server: the rights list, save and delete in
// one transaction, the trimmed name, the checks at save, and the right lookup.
#include <latch>
#include <mutex>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include "DbError.h"
#include "DbFixture.h"
#include "MenuTable.h"
#include "Printers.h"
#include "Recordset.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "Typing.h"
#include "UserRights.h"
#include "UserRows.h"
#include "frmcadusuario.h"

namespace vtx::test {
namespace {

class UsersFormTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        openForm();
    }
    void openForm() {
        form = std::make_unique<frmcadusuario>();
        combo = form->findChild<QComboBox*>(QStringLiteral("Combo1"));
        senha = form->findChild<QLineEdit*>(QStringLiteral("txtsenha"));
        oksenha = form->findChild<QLineEdit*>(QStringLiteral("txtoksenha"));
        list = form->findChild<QListWidget*>(QStringLiteral("List1"));
        ok = form->findChild<QPushButton*>(QStringLiteral("Command1"));
        exclui = form->findChild<QPushButton*>(QStringLiteral("Command3"));
        form->show();
    }
    void TearDown() override {
        form.reset();
        if (!trigger.isEmpty())
            db.execute(QStringLiteral("drop trigger if exists %1").arg(trigger));
        DbFixture::TearDown();
    }

    /// Opens the form again, so that it lists the users added since, and makes it active.
    void reopenActive() {
        openForm();
        QApplication::setActiveWindow(form.get());
    }
    /// Types a name and leaves the box, as tabbing out of it does.
    void pickName(const QString& name) {
        combo->setEditText(name);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(combo, &out);
    }
    void typePasswords(const QString& first, const QString& second) {
        senha->setText(first);
        oksenha->setText(second);
    }
    QListWidgetItem* item(const QString& controlName) {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().endsWith(UserRights::campo(controlName)))
                return list->item(i);
        return nullptr;
    }
    QStringList ticked() {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                names << list->item(i)->text().split(QLatin1Char('-')).last().trimmed();
        return names;
    }
    Recordset rights(const QString& name) {
        return db.query(QStringLiteral("select campo, valor, ususenha, length(campo) n "
                                       "from perfilusuario where idlic = ? and nmusuario = ?"),
                        {gIdLic, name});
    }
    QString storedPassword(const QString& name) {
        Recordset rs = db.query(
            QStringLiteral("select ususenha from usuarios where idlic = ? and nmusuario = ?"),
            {gIdLic, name});
        return rs.isEmpty() ? QStringLiteral("<none>") : rs.text(QStringLiteral("ususenha"));
    }

    std::unique_ptr<frmcadusuario> form;
    QComboBox* combo = nullptr;
    QLineEdit* senha = nullptr;
    QLineEdit* oksenha = nullptr;
    QListWidget* list = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* exclui = nullptr;
    QString trigger;
};

TEST_F(UsersFormTest, NewUserIsSavedWithThirtyPaddedRights) {
    std::vector<long long> rightsWrites;
    Connection::setTrace([&](const QString& sql, long long rows) {
        if (sql.startsWith(QLatin1String("insert into perfilusuario")))
            rightsWrites.push_back(rows);
    });
    gUsuario.clear(); // the first user, before anybody has logged in
    pickName(QStringLiteral("ADMIN"));
    ASSERT_EQ(list->count(), 30);
    EXPECT_TRUE(ticked().isEmpty());
    EXPECT_EQ(list->item(19)->text(),
              QStringLiteral("............") +
                  QStringLiteral("Cadastrar Centro de Custos").leftJustified(60, QLatin1Char(' ')) +
                  QStringLiteral(" - ctpgcadcen          "));
    EXPECT_FALSE(ok->isEnabled());
    typePasswords(QStringLiteral("S'1"), QStringLiteral("S'1"));
    EXPECT_TRUE(ok->isEnabled());
    item(QStringLiteral("mnuCad"))->setCheckState(Qt::Checked);
    item(QStringLiteral("cadUsu"))->setCheckState(Qt::Checked);
    ok->click();
    Connection::setTrace({});

    EXPECT_EQ(prompts().last().text, QStringLiteral("Salvo com sucesso!"));
    // The thirty rights rows go as one batched write.
    EXPECT_EQ(rightsWrites, std::vector<long long>{30});
    EXPECT_EQ(storedPassword(QStringLiteral("ADMIN")), QStringLiteral("S'1"));
    Recordset rs = rights(QStringLiteral("ADMIN"));
    ASSERT_EQ(rs.recordCount(), 30);
    int allowed = 0;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        EXPECT_EQ(rs.value(QStringLiteral("n")).toInt(), 20);
        EXPECT_EQ(rs.text(QStringLiteral("ususenha")), QStringLiteral("S'1"));
        allowed += rs.text(QStringLiteral("valor")) == QLatin1String("0");
    }
    EXPECT_EQ(allowed, 2);
    Recordset user =
        db.query(QStringLiteral("select evcad from usuarios where idlic = ?"), {gIdLic});
    EXPECT_TRUE(user.text(QStringLiteral("evcad")).startsWith(QStringLiteral(" - ")));
    // The form is emptied and stays open.
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(combo->currentText().isEmpty());
    EXPECT_FALSE(ok->isEnabled());
}

TEST_F(UsersFormTest, ExistingUserIsLoadedAndRewrittenUnderItsTrimmedName) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("OLD"),
            {{UserRights::campo(QStringLiteral("cadConv")), QStringLiteral("0")},
             {UserRights::campo(QStringLiteral("cliAG")), QStringLiteral("1")},
             {UserRights::campo(QStringLiteral("mnuCad")), QStringLiteral("0")}});
    pickName(QStringLiteral(" ANA "));
    EXPECT_EQ(senha->text(), QStringLiteral("OLD"));
    EXPECT_EQ(oksenha->text(), QStringLiteral("OLD"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(exclui->isEnabled());
    EXPECT_EQ(ticked(), (QStringList{QStringLiteral("mnuCad"), QStringLiteral("cadConv")}));

    typePasswords(QStringLiteral("NEW"), QStringLiteral("NEW"));
    item(QStringLiteral("cliAG"))->setCheckState(Qt::Checked);
    ok->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Salvo com sucesso!"));
    EXPECT_EQ(storedPassword(QStringLiteral("ANA")), QStringLiteral("NEW"));
    EXPECT_EQ(rights(QStringLiteral(" ANA ")).recordCount(), 0);
    Recordset rs = rights(QStringLiteral("ANA"));
    EXPECT_EQ(rs.recordCount(), 30);
    EXPECT_EQ(VerificaPerfil(QStringLiteral("ANA"), QStringLiteral("cliAG")), QStringLiteral("0"));
    EXPECT_EQ(VerificaPerfil(QStringLiteral("ANA"), QStringLiteral("cadPac")), QStringLiteral("1"));
    EXPECT_EQ(VerificaPerfil(QStringLiteral("NINGUEM"), QStringLiteral("cliAG")),
              QStringLiteral("1"));
}

TEST_F(UsersFormTest, FailurePartWayThroughASaveLeavesEverythingAsItWas) {
    addUser(db, QStringLiteral("BIA"), QStringLiteral("OLD"),
            {{UserRights::campo(QStringLiteral("cadConv")), QStringLiteral("0")}});
    // The last rights row of this installation cannot be written.
    trigger = QStringLiteral("falha_") + gIdLic;
    db.execute(QStringLiteral("create trigger %1 before insert on perfilusuario for each row "
                              "if new.idlic = '%2' and new.campo like 'mnuupdate%' then "
                              "signal sqlstate '45000' set message_text = 'falha no meio'; "
                              "end if")
                   .arg(trigger, gIdLic));
    pickName(QStringLiteral("BIA"));
    typePasswords(QStringLiteral("NEW"), QStringLiteral("NEW"));
    ok->click();

    EXPECT_FALSE(prompts().texts().contains(QStringLiteral("Salvo com sucesso!")));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(prompts().last().text.contains(QStringLiteral("falha no meio")));
    EXPECT_EQ(storedPassword(QStringLiteral("BIA")), QStringLiteral("OLD"));
    Recordset rs = rights(QStringLiteral("BIA"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text(QStringLiteral("valor")), QStringLiteral("0"));
    // The typed data stay on the screen.
    EXPECT_EQ(combo->currentText(), QStringLiteral("BIA"));
    EXPECT_EQ(list->count(), 30);
}

TEST_F(UsersFormTest, FailedLoadOfANameLeavesNothingOfThePreviousUserToSave) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"));
    pickName(QStringLiteral("ANA"));
    ASSERT_TRUE(ok->isEnabled());
    // The server goes away before the next name is looked up.
    gConexao().close();
    const QString reachable = gStrConexao;
    gStrConexao.replace(QStringLiteral("Password="), QStringLiteral("Password=errada"));
    pickName(QStringLiteral("BETO"));
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_TRUE(senha->text().isEmpty());
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(exclui->isEnabled());
    // Once the server is back, BETO is saved as the new user he is.
    gStrConexao = reachable;
    pickName(QStringLiteral("BETO"));
    typePasswords(QStringLiteral("B1"), QStringLiteral("B1"));
    ok->click();
    EXPECT_EQ(storedPassword(QStringLiteral("BETO")), QStringLiteral("B1"));
    EXPECT_EQ(storedPassword(QStringLiteral("ANA")), QStringLiteral("PW"));
}

TEST_F(UsersFormTest, AfterALostLinkOneSaveFailsAndTheNextClickSaves) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"));
    pickName(QStringLiteral("ANA"));
    // The server restarts: the shared connection's link is gone.
    endSession(conexaoAberta());
    typePasswords(QStringLiteral("NOVA"), QStringLiteral("NOVA"));
    ok->click();
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_EQ(storedPassword(QStringLiteral("ANA")), QStringLiteral("PW"));
    ok->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Salvo com sucesso!"));
    EXPECT_EQ(storedPassword(QStringLiteral("ANA")), QStringLiteral("NOVA"));
    EXPECT_EQ(rights(QStringLiteral("ANA")).recordCount(), 30);
}

TEST_F(UsersFormTest, TwoWorkstationsSavingOneUsersRightsAtOnceLeaveOneWholeSave) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"));
    std::vector<UserRights::Right> allowed, blocked;
    for (const MenuEntry& entry : menuTable()) {
        allowed.push_back({QLatin1String(entry.name), true});
        blocked.push_back({QLatin1String(entry.name), false});
    }
    // Each workstation its own connection, both saving in a loop from the same moment.
    std::mutex mutex;
    QStringList failures;
    std::latch start(2);
    auto workstation = [&](const std::vector<UserRights::Right>& rights, const QString& pw) {
        try {
            Connection c;
            c.open(testConnectionString());
            start.arrive_and_wait();
            for (int i = 0; i < 15; ++i)
                UserRights::saveUser(c, QStringLiteral("ANA"), pw, true, rights);
        } catch (const DbError& e) {
            std::lock_guard lock(mutex);
            failures << e.text();
        }
    };
    std::thread first(workstation, std::cref(allowed), QStringLiteral("A"));
    std::thread second(workstation, std::cref(blocked), QStringLiteral("B"));
    first.join();
    second.join();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();

    // The rights are one save's whole set, under the password that save wrote.
    const QString password = storedPassword(QStringLiteral("ANA"));
    Recordset rs = rights(QStringLiteral("ANA"));
    ASSERT_EQ(rs.recordCount(), 30);
    const QString valor =
        password == QLatin1String("A") ? QStringLiteral("0") : QStringLiteral("1");
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        EXPECT_EQ(rs.text(QStringLiteral("valor")), valor);
        EXPECT_EQ(rs.text(QStringLiteral("ususenha")), password);
    }
}

TEST_F(UsersFormTest, RightsLookupFailingPartWayLeavesNothingToSave) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"),
            {{UserRights::campo(QStringLiteral("cadConv")), QStringLiteral("0")},
             {UserRights::campo(QStringLiteral("mnuupdate")), QStringLiteral("0")}});
    // The password is read, then the link fails at the tenth right.
    int lookups = 0;
    Connection::setTrace([&lookups](const QString& sql, long long) {
        if (sql.startsWith(QLatin1String("select * from perfilusuario")) && ++lookups == 10)
            throw DbError(2013, QStringLiteral("HY000"), QStringLiteral("Lost connection"));
    });
    pickName(QStringLiteral("ANA"));
    Connection::setTrace(nullptr);
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(exclui->isEnabled());
    EXPECT_EQ(list->count(), 0);
    ok->click();
    EXPECT_FALSE(prompts().texts().contains(QStringLiteral("Salvo com sucesso!")));
    Recordset rs = rights(QStringLiteral("ANA"));
    EXPECT_EQ(rs.recordCount(), 2);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        EXPECT_EQ(rs.text(QStringLiteral("valor")), QStringLiteral("0"));
}

TEST_F(UsersFormTest, OpeningTheNameListIsNoLeave) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"));
    reopenActive();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_EQ(QApplication::focusWidget(), combo);
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    const QRect arrow = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxArrow, combo);
    QTest::mouseClick(combo, Qt::LeftButton, {}, arrow.center());
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    combo->hidePopup();
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompts().messages.empty()) << prompts().texts().join(u'|').toStdString();
}

TEST_F(UsersFormTest, UserDeletedElsewhereMeanwhileIsSavedAgain) {
    addUser(db, QStringLiteral("CIDA"), QStringLiteral("PW"));
    pickName(QStringLiteral("CIDA"));
    db.execute(QStringLiteral("delete from usuarios where idlic = ?"), {gIdLic});
    typePasswords(QStringLiteral("NOVA"), QStringLiteral("NOVA"));
    ok->click();
    EXPECT_EQ(prompts().last().text, QStringLiteral("Salvo com sucesso!"));
    EXPECT_EQ(storedPassword(QStringLiteral("CIDA")), QStringLiteral("NOVA"));
    EXPECT_EQ(rights(QStringLiteral("CIDA")).recordCount(), 30);
}

TEST_F(UsersFormTest, NameIsCheckedWhenLeftAndAgainAtSave) {
    pickName(QStringLiteral("   "));
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- INFORME O NOME DE USUÁRIO!"));
    EXPECT_EQ(list->count(), 0);

    addUser(db, QStringLiteral("CAIO"), QStringLiteral("PW"));
    combo->setEditText(QString());
    combo->setFocus();
    typeText(combo, QStringLiteral("caio"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("CAIO"));
    pickName(QStringLiteral("CAIO"));
    ASSERT_TRUE(ok->isEnabled());
    const QString tooLong = QStringLiteral("CAIOCAIOCAI");
    pickName(tooLong);
    EXPECT_EQ(
        prompts().last().text,
        QStringLiteral("--- ERRO --- O NOME DE USUÁRIO NÃO PODE TER MAIS QUE 10 CARACTERES!"));
    EXPECT_EQ(prompts().last().icon, MsgIcon::Critical);
    EXPECT_TRUE(ok->isEnabled()); // the buttons keep their state...
    prompts().reset();
    ok->click(); // ...but the save refuses the name too
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(
        prompts().last().text,
        QStringLiteral("--- ERRO --- O NOME DE USUÁRIO NÃO PODE TER MAIS QUE 10 CARACTERES!"));
    EXPECT_EQ(storedPassword(QStringLiteral("CAIO")), QStringLiteral("PW"));

    pickName(QStringLiteral("CAIO"));
    typePasswords(QStringLiteral("A"), QStringLiteral("B"));
    senha->setText(QStringLiteral("B"));
    oksenha->setText(QStringLiteral("C"));
    EXPECT_FALSE(ok->isEnabled());
    oksenha->setText(QStringLiteral("B"));
    combo->setEditText(QString());
    ok->click();
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("Existem campos em branco que não podem ficar em branco."));
}

TEST_F(UsersFormTest, TypedNameIsNotCompletedIntoAnotherUsersName) {
    addUser(db, QStringLiteral("ANA"), QStringLiteral("PW"));
    reopenActive();
    combo->setFocus();
    typeText(combo, QStringLiteral("an"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("AN"));
    // Leaving the box treats it as the new user it is, not as ANA.
    pickName(combo->currentText());
    EXPECT_TRUE(senha->text().isEmpty());
}

TEST_F(UsersFormTest, DeleteRemovesOnlyThisInstallationsUserAndNeedsAUserRow) {
    addUser(db, QStringLiteral("DANI"), QStringLiteral("PW"),
            {{UserRights::campo(QStringLiteral("cliAG")), QStringLiteral("0")}});
    const QString other = uniqueInstallation();
    db.execute(QStringLiteral("insert into usuarios (idlic,nmusuario,ususenha) values (?,?,?)"),
               {other, QStringLiteral("DANI"), QStringLiteral("PW")});
    db.execute(QStringLiteral("insert into perfilusuario (idlic,nmusuario,campo,valor) "
                              "values (?,?,?,?)"),
               {other, QStringLiteral("DANI"), QStringLiteral("cliAG"), QStringLiteral("0")});

    pickName(QStringLiteral("DANI"));
    exclui->click(); // Yes is the default answer
    EXPECT_EQ(prompts().messages.front().title, QStringLiteral("Exclusão de Usuário"));
    EXPECT_EQ(prompts().messages.front().defaultButton, MsgDefault::First);
    EXPECT_EQ(prompts().last().text, QStringLiteral("Excluído com sucesso!"));
    EXPECT_EQ(storedPassword(QStringLiteral("DANI")), QStringLiteral("<none>"));
    EXPECT_EQ(rights(QStringLiteral("DANI")).recordCount(), 0);
    EXPECT_EQ(db.query(QStringLiteral("select * from perfilusuario where idlic = ?"), {other})
                  .recordCount(),
              1);
    deleteInstallation(db, other);

    // A new name with matching passwords enables the button, but there is nothing to delete.
    prompts().reset();
    pickName(QStringLiteral("NOVO"));
    typePasswords(QStringLiteral("X"), QStringLiteral("X"));
    exclui->click();
    EXPECT_FALSE(prompts().texts().contains(QStringLiteral("Excluído com sucesso!")));
    EXPECT_TRUE(prompts().last().text.startsWith(QStringLiteral("--- ERRO --- ")));

    // A No writes nothing.
    addUser(db, QStringLiteral("EVA"), QStringLiteral("PW"));
    pickName(QStringLiteral("EVA"));
    prompts().answers.push_back(MsgAnswer::No);
    exclui->click();
    EXPECT_EQ(storedPassword(QStringLiteral("EVA")), QStringLiteral("PW"));
}

} // namespace
} // namespace vtx::test
