// The event boundary: failures escaping a handler are shown, not fatal.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "Application.h"
#include "DbError.h"
#include "ScriptedPrompter.h"

namespace vtx::test {
namespace {

TEST(EventBoundary, FailuresEscapingAHandlerAreShownAndTheCursorComesBack) {
    EXPECT_TRUE(deliverGuarded([] { return true; }));
    EXPECT_TRUE(prompts().messages.empty());

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    EXPECT_FALSE(deliverGuarded([]() -> bool {
        throw DbError(2013, QStringLiteral("HY000"), QStringLiteral("Lost connection"));
    }));
    ASSERT_EQ(prompts().messages.size(), 1u);
    EXPECT_EQ(prompts().last().text,
              QStringLiteral("--- ERRO --- A CONEXÃO COM O SERVIDOR DE BANCO DE DADOS FOI PERDIDA. "
                             "(Lost connection)"));
    EXPECT_EQ(prompts().last().title, QStringLiteral("ATENÇÃO"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    EXPECT_FALSE(deliverGuarded([]() -> bool { throw UsageError("no current row"); }));
    EXPECT_EQ(prompts().last().text, QStringLiteral("--- ERRO --- no current row"));
}

} // namespace
} // namespace vtx::test
