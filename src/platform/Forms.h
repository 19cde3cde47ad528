// The opening of work forms by name: the main menu and the search dialogs' "new entry" key
// open forms through it, so a form plugs in by registering itself.
#pragma once

#include <functional>

#include <QString>

class QDialog;

namespace vtx::Forms {

/// Makes a fresh instance of a form; the opener shows it modally and deletes it after.
using Factory = std::function<QDialog*()>;

void registerForm(const QString& formName, Factory factory);
bool isRegistered(const QString& formName);

/// Creates the form and shows it modally; a form not registered yet opens a placeholder
/// with the given caption that answers "Ainda não disponivel!". A database failure while
/// the form is made is shown, and the form is not opened.
void open(const QString& formName, const QString& caption);

/// Whether a main-menu item (by control name) is enabled; the main window provides the answer,
/// and every item counts as enabled while it has not.
bool menuItemEnabled(const QString& controlName);
void setMenuState(std::function<bool(const QString& controlName)> provider);

} // namespace vtx::Forms
