// The program's Qt application: one boundary where a failure escaping any event handler or
// slot is shown to the user instead of ending the program.
#pragma once

#include <functional>

#include <QApplication>

namespace vtx {

/// Runs one event delivery; a database failure or any other exception that escapes it is
/// shown as "--- ERRO --- " and the text (title "ATENÇÃO"), and the delivery counts as unhandled.
bool deliverGuarded(const std::function<bool()>& deliver);

/// QApplication whose every event delivery goes through deliverGuarded.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vtx
