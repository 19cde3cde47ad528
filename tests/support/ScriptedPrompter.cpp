// Scripted answers for message and input boxes.
#include "ScriptedPrompter.h"

#include <QStringList>

namespace vtx::test {

MsgAnswer ScriptedPrompter::message(const MessageRequest& request) {
    messages.push_back(request);
    if (onMessage)
        onMessage(request);
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    const bool second = request.defaultButton == MsgDefault::Second;
    switch (request.buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return second ? MsgAnswer::Cancel : MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return second ? MsgAnswer::No : MsgAnswer::Yes;
    }
    return MsgAnswer::Ok;
}

std::optional<QString> ScriptedPrompter::input(const InputRequest& request) {
    inputs.push_back(request);
    if (inputAnswers.empty())
        return std::nullopt;
    const bool answered = inputAnswers.front().has_value();
    const QString text = answered ? *inputAnswers.front() : QString();
    inputAnswers.pop_front();
    if (!answered)
        return std::nullopt;
    return text;
}

void ScriptedPrompter::reset() {
    messages.clear();
    inputs.clear();
    answers.clear();
    inputAnswers.clear();
    onMessage = nullptr;
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

ScriptedPrompter& prompts() {
    static ScriptedPrompter instance;
    return instance;
}

} // namespace vtx::test
