// Vertalumex: starts the Qt application and shows the main window, which drives the start-up.
#include "Agenda.h"
#include "Application.h"
#include "Contracts.h"
#include "Payables.h"
#include "PrintForms.h"
#include "QtPrompter.h"
#include "Registries.h"
#include "ShellForms.h"
#include "Stock.h"
#include "frmPrincipal.h"

int main(int argc, char* argv[]) {
    vtx::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vertalumex"));
    vtx::QtPrompter prompter;
    vtx::setPrompter(&prompter);
    vtx::registerShellForms();
    vtx::registerRegistryForms();
    vtx::registerPrintForms();
    vtx::registerStockForms();
    vtx::registerContractForms();
    vtx::registerAgendaForms();
    vtx::registerPayablesForms();

    vtx::frmPrincipal window;
    window.show();
    return app.exec();
}
