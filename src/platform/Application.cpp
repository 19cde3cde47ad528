// The guarded event delivery.
#include "Application.h"

#include <QGuiApplication>

#include "DbError.h"
#include "Prompter.h"

namespace vtx {

namespace {

void show(const QString& text) {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    errorBox(text, MsgIcon::Exclamation);
}

} // namespace

bool deliverGuarded(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const DbError& e) {
        show(e.text());
    } catch (const std::exception& e) {
        show(QString::fromUtf8(e.what()));
    }
    return false;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

} // namespace vtx
