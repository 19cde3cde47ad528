// The messages of a booking left as it is.
#include "StaleBooking.h"

#include <QString>

#include "Prompter.h"

namespace vtx {

void reportStale(StaleBooking why) {
    switch (why) {
    case StaleBooking::Attended:
        msgBox(QStringLiteral("ATENDIMENTO JÁ CONFIRMADO!"), QStringLiteral("ATENÇÃO"),
               MsgIcon::Information);
        return;
    case StaleBooking::Gone:
        errorBox(QStringLiteral("AGENDAMENTO NÃO ENCONTRADO!"), MsgIcon::Exclamation);
        return;
    case StaleBooking::Changed:
        errorBox(QStringLiteral("AGENDAMENTO ALTERADO EM OUTRA ESTAÇÃO!"), MsgIcon::Exclamation);
        return;
    }
}

} // namespace vtx
