// Registered form factories and the placeholder for forms still to come.
#include "Forms.h"

#include <map>
#include <memory>

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "DbError.h"
#include "Modal.h"
#include "Prompter.h"

namespace vtx::Forms {

namespace {

std::function<bool(const QString&)> menuState;

std::map<QString, Factory>& factories() {
    static std::map<QString, Factory> map;
    return map;
}

QDialog* placeholder(const QString& formName, const QString& caption) {
    auto* dialog = new QDialog;
    dialog->setObjectName(formName);
    dialog->setWindowTitle(caption);
    auto* label = new QLabel(QStringLiteral("Ainda não disponivel!"), dialog);
    label->setObjectName(QStringLiteral("lblPlaceholder"));
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    dialog->resize(360, 120);
    return dialog;
}

} // namespace

void registerForm(const QString& formName, Factory factory) {
    factories()[formName] = std::move(factory);
}

bool isRegistered(const QString& formName) {
    return factories().count(formName) > 0;
}

void open(const QString& formName, const QString& caption) {
    auto it = factories().find(formName);
    std::unique_ptr<QDialog> form;
    // A form loads its data as it is made; a failure there must not end the program from
    // inside the menu's handler.
    try {
        form.reset(it != factories().end() ? it->second() : placeholder(formName, caption));
    } catch (const DbError& error) {
        errorBox(error.message());
        return;
    }
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    showModal(form.get());
}

bool menuItemEnabled(const QString& controlName) {
    return menuState ? menuState(controlName) : true;
}

void setMenuState(std::function<bool(const QString&)> provider) {
    menuState = std::move(provider);
}

} // namespace vtx::Forms
