// Codes in boxes, search answers and reported database failures of the appointment book.
#include "AgendaInput.h"

#include <QLineEdit>

#include "DbError.h"
#include "Formats.h"
#include "Prompter.h"
#include "Session.h"

namespace vtx {

bool reportingDbErrors(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const DbError& error) {
        errorBox(error.message());
        return false;
    }
}

std::optional<qlonglong> codeIn(const QLineEdit* box) {
    return Formats::numericCode(box->text());
}

bool searchInto(void (*runDialog)(), QLineEdit* code, QLineEdit* name, const QString& startCode) {
    gCodBusca = startCode;
    gNomeBusca.clear();
    runDialog();
    if (!Formats::isDigitsOnly(gCodBusca.toString()))
        return false;
    code->setText(gCodBusca.toString().trimmed());
    name->setText(gNomeBusca.trimmed());
    return true;
}

} // namespace vtx
