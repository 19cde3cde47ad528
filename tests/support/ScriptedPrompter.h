// A prompter for tests: records every box and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "Prompter.h"

namespace vtx::test {

/// Records message and input boxes; answers with the queued answers, else the default button
/// (message) or a cancel (input).
class ScriptedPrompter : public Prompter {
public:
    MsgAnswer message(const MessageRequest& request) override;
    std::optional<QString> input(const InputRequest& request) override;

    void reset();
    /// Texts of the message boxes shown so far.
    QStringList texts() const;
    const MessageRequest& last() const { return messages.back(); }

    std::vector<MessageRequest> messages;
    std::vector<InputRequest> inputs;
    std::deque<MsgAnswer> answers;
    std::deque<std::optional<QString>> inputAnswers;
    /// Runs when a box is shown, before it is answered (a test may look at the screen).
    std::function<void(const MessageRequest&)> onMessage;
};

/// The prompter installed for every test, reset before each one.
ScriptedPrompter& prompts();

} // namespace vtx::test
