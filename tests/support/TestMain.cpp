// Test main: a Qt application under the Brazilian locale, with every seam reset per test.
#include <clocale>

#include <QApplication>

#include <gtest/gtest.h>

#include "Clock.h"
#include "Desktop.h"
#include "LinkLimits.h"
#include "Modal.h"
#include "ScriptedPrompter.h"
#include "Session.h"

namespace {

class SeamReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        vtx::test::prompts().reset();
        vtx::setPrompter(&vtx::test::prompts());
        vtx::Clock::reset();
        vtx::setLinkLimits({});
        vtx::Desktop::setHooks(
            {[](const QString&) { return true; }, [](const QString&) { return true; }, [] {}});
        vtx::setModalDriver([](QDialog*) {});
        vtx::gCodBusca = QVariant();
        vtx::gNomeBusca.clear();
        vtx::gRetorno = QVariant();
    }
};

} // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Numbers must not depend on the workstation's locale (set after Qt, which resets it).
    std::setlocale(LC_ALL, "pt_BR.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamReset);
    return RUN_ALL_TESTS();
}
