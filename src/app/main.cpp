// Vertalumex: starts the Qt application and shows the main window.
#include <QApplication>

#include "QtPrompter.h"
#include "Registries.h"
#include "Session.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vertalumex"));
    vtx::QtPrompter prompter;
    vtx::setPrompter(&prompter);
    vtx::registerRegistryForms();
    return 0;
}
