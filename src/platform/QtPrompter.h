// Message and input boxes shown with Qt's own dialogs.
#pragma once

#include "Prompter.h"

namespace vtx {

/// Shows QMessageBox and QInputDialog; Yes and No read "Sim" and "Não".
class QtPrompter : public Prompter {
public:
    MsgAnswer message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;
};

} // namespace vtx
