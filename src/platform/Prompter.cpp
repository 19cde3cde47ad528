// The prompter seam and its two helpers.
#include "Prompter.h"

#include <stdexcept>

namespace vtx {

namespace {
Prompter* current = nullptr;
}

Prompter& prompter() {
    if (!current)
        throw std::logic_error("no prompter installed");
    return *current;
}

void setPrompter(Prompter* p) {
    current = p;
}

MsgAnswer msgBox(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                 MsgDefault defaultButton) {
    return prompter().message({text, title, icon, buttons, defaultButton});
}

void errorBox(const QString& text, MsgIcon icon) {
    msgBox(QStringLiteral("--- ERRO --- ") + text, QStringLiteral("ATENÇÃO"), icon);
}

std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                const QString& defaultText) {
    return prompter().input({prompt, title, defaultText});
}

std::optional<QString> inputUntil(const InputRequest& request,
                                  const std::function<bool(const QString&)>& accept) {
    for (;;) {
        std::optional<QString> answer = prompter().input(request);
        if (!answer || accept(*answer))
            return answer;
    }
}

void notAvailable() {
    msgBox(QStringLiteral("Ainda não disponivel!"), QStringLiteral("Atenção"),
           MsgIcon::Information);
}

} // namespace vtx
