// The guarded event delivery.
#include "Application.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
        show(e.message());
    } catch (const std::exception& e) {
        show(QString::fromUtf8(e.what()));
    }
    return false;
}

bool usePortuguese(const QString& translationsFolder) {
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(brazil);
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(brazil, QStringLiteral("qt"), QStringLiteral("_"), translationsFolder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    usePortuguese(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

} // namespace vtx
