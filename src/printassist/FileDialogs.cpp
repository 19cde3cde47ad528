// File dialogs through QFileDialog unless a hook answers them.
#include "FileDialogs.h"

#include <QFileDialog>

namespace vtx::FileDialogs {

namespace {
std::function<QString(const Request&)> answer;
}

QString ask(QWidget* parent, const Request& request) {
    if (answer)
        return answer(request).trimmed();
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(request.kind == Request::Save ? QFileDialog::AcceptSave
                                                       : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.kind == Request::Save ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
    if (!request.filter.isEmpty())
        dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst().trimmed();
}

void setHook(std::function<QString(const Request&)> hook) {
    answer = std::move(hook);
}

} // namespace vtx::FileDialogs
