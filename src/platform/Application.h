// The program's Qt application: one boundary where a failure escaping any event handler or
// slot is shown to the user instead of ending the program.
#pragma once

#include <functional>

#include <QApplication>
#include <QString>

namespace vtx {

/// Runs one event delivery; a database failure or any other exception that escapes it is
/// shown as "--- ERRO --- " and the text (title "ATENÇÃO"), and the delivery counts as unhandled.
bool deliverGuarded(const std::function<bool()>& deliver);

/// Sets Brazilian Portuguese as the default locale (month and day names, first day of the
/// week) and loads Qt's own Portuguese texts from the folder; false when they are not there,
/// and the program goes on with Qt's English texts.
bool usePortuguese(const QString& translationsFolder);

/// QApplication whose every event delivery goes through deliverGuarded; it runs in Portuguese.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vtx
