// The open and save file dialogs of the print assistant, behind a hook tests answer.
#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace vtx::FileDialogs {

struct Request {
    enum Kind { Open, Save };
    Kind kind = Open;
    QString title;
    /// Qt filter text ("Text files (*.txt);;All files (*.*)"); empty for none.
    QString filter;
    QString defaultSuffix;
};

/// The chosen path with blanks trimmed, or an empty text when the dialog was cancelled.
QString ask(QWidget* parent, const Request& request);

/// Answers the dialogs instead of showing them (tests); an empty hook shows them again.
void setHook(std::function<QString(const Request&)> hook);

} // namespace vtx::FileDialogs
