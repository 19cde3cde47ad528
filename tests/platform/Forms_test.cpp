// Opening forms by name: the placeholder and a form whose loading fails.
#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

#include "DbError.h"
#include "Forms.h"
#include "Modal.h"
#include "ScriptedPrompter.h"

namespace vtx::test {
namespace {

TEST(FormOpener, FailedLoadIsShownAndTheProgramGoesOn) {
    Forms::registerForm(QStringLiteral("frmQuebra"), []() -> QDialog* {
        throw DbError(2002, QStringLiteral("HY000"), QStringLiteral("servidor fora"));
    });
    int shown = 0;
    setModalDriver([&](QDialog*) { ++shown; });
    EXPECT_NO_THROW(Forms::open(QStringLiteral("frmQuebra"), QStringLiteral("Quebra")));
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("--- ERRO --- NÃO FOI POSSÍVEL CONECTAR AO SERVIDOR DE BANCO DE "
                             "DADOS. (servidor fora)"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));

    QString placeholder;
    setModalDriver([&](QDialog* form) {
        placeholder = form->findChild<QLabel*>(QStringLiteral("lblPlaceholder"))->text();
    });
    Forms::open(QStringLiteral("frmNenhum"), QStringLiteral("Nenhum"));
    EXPECT_EQ(placeholder, QStringLiteral("Ainda não disponivel!"));
}

} // namespace
} // namespace vtx::test
