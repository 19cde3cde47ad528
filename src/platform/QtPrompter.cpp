// QMessageBox and QInputDialog behind the prompter seam.
#include "QtPrompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vtx {

namespace {

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgAnswer QtPrompter::message(const MessageRequest& request) {
    QMessageBox box(toQt(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    std::vector<std::pair<QPushButton*, MsgAnswer>> buttons;
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, MsgAnswer answer) {
        buttons.emplace_back(box.addButton(text, role), answer);
    };
    switch (request.buttons) {
    case MsgButtons::Ok:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, MsgAnswer::Ok);
        break;
    case MsgButtons::OkCancel:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, MsgAnswer::Ok);
        add(QStringLiteral("Cancelar"), QMessageBox::RejectRole, MsgAnswer::Cancel);
        break;
    case MsgButtons::YesNo:
        add(QStringLiteral("Sim"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("Não"), QMessageBox::NoRole, MsgAnswer::No);
        break;
    case MsgButtons::YesNoCancel:
        add(QStringLiteral("Sim"), QMessageBox::YesRole, MsgAnswer::Yes);
        add(QStringLiteral("Não"), QMessageBox::NoRole, MsgAnswer::No);
        add(QStringLiteral("Cancelar"), QMessageBox::RejectRole, MsgAnswer::Cancel);
        break;
    }
    const size_t def = static_cast<size_t>(request.defaultButton);
    if (def < buttons.size())
        box.setDefaultButton(buttons[def].first);
    if (request.buttons == MsgButtons::YesNo)
        box.setEscapeButton(buttons[1].first);
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (box.clickedButton() == button)
            return answer;
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No
           : request.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                : MsgAnswer::Cancel;
}

std::optional<QString> QtPrompter::input(const InputRequest& request) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(request.title);
    dialog.setLabelText(request.prompt);
    dialog.setTextValue(request.defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace vtx
