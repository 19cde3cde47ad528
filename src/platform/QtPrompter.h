// Message and input boxes shown with Qt's own dialogs.
#pragma once

#include <memory>

#include "Prompter.h"

class QInputDialog;
class QMessageBox;

namespace vtx {

/// The input box of a request, at least as wide as the wider of its prompt and its title with
/// the title bar's buttons, so that neither is cut.
std::unique_ptr<QInputDialog> makeInputDialog(const InputRequest& request);

/// The message box of a request with its buttons, at least as wide as its title with the title
/// bar's buttons, so that the title is not cut; each button's "vtxAnswer" property is its
/// MsgAnswer.
std::unique_ptr<QMessageBox> makeMessageBox(const MessageRequest& request);

/// Shows QMessageBox and QInputDialog; Yes and No read "Sim" and "Não".
class QtPrompter : public Prompter {
public:
    MsgAnswer message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
};

} // namespace vtx
