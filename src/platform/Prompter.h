// Message and input boxes: every form asks the user through this seam, so tests can answer.
#pragma once

#include <functional>
#include <optional>

#include <QString>

namespace vtx {

enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };
enum class MsgDefault { First, Second, Third };

/// Title of the boxes that carry no title of their own.
inline const QString kAppTitle = QStringLiteral("Vertalumex");

struct MessageRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgDefault defaultButton = MsgDefault::First;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

/// Answers message and input boxes; the program shows them, a test scripts them.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    /// The typed text, or nothing when the box was cancelled.
    virtual std::optional<QString> input(const InputRequest& request) = 0;
};

/// The prompter in use; the program installs the Qt one at start.
Prompter& prompter();
void setPrompter(Prompter* prompter);

MsgAnswer msgBox(const QString& text, const QString& title = kAppTitle,
                 MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok,
                 MsgDefault defaultButton = MsgDefault::First);

/// A failure: "--- ERRO --- " and its text, titled "ATENÇÃO".
void errorBox(const QString& text, MsgIcon icon = MsgIcon::Critical);

std::optional<QString> inputBox(const QString& prompt, const QString& title = kAppTitle,
                                const QString& defaultText = QString());

/// Asks again until accept takes the answer (accept may say why it does not); nothing when
/// the box is cancelled.
std::optional<QString> inputUntil(const InputRequest& request,
                                  const std::function<bool(const QString& answer)>& accept);

/// "Ainda não disponivel!": the answer of a button whose function does not exist yet.
void notAvailable();

} // namespace vtx
