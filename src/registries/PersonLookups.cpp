// Document check, company-registry fill-in and postal-code fill-in.
#include "PersonLookups.h"

#include <QLineEdit>
#include <QStringList>

#include "Formats.h"
#include "ListForm.h"
#include "Prompter.h"
#include "Session.h"
#include "SharedRoutines.h"
#include "WebLookups.h"

namespace vtx {

namespace {

QString digitsOf(const QString& text) {
    QString digits;
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

bool isEightDigitPostalCode(const QString& text) {
    const QString t = text.trimmed();
    return t.size() == 8 && Formats::isDigitsOnly(t);
}

/// The municipality code of the postal code in the box, without its two state digits; the
/// box stays as it was when the service gives none.
void fillMunicipality(const AddressBoxes& boxes) {
    const QString cep = boxes.txtcepr->text().trimmed();
    if (!isEightDigitPostalCode(cep))
        return;
    const QString ibge = ExtraiValorJSON(consultaCEPJson(cep), QStringLiteral("ibge"));
    if (!ibge.isEmpty())
        boxes.txtCdMun->setText(ibge.mid(2, 10));
}

} // namespace

void documentLeft(const AddressBoxes& boxes) {
    const QString trimmed = boxes.TXTCPF->text().trimmed();
    if (trimmed.isEmpty())
        return;
    // The check may reformat its argument; the box keeps the text as typed.
    QString document = boxes.TXTCPF->text();
    ValidaCPFCNPJ(document);
    if (!gRetorno.toBool()) {
        boxes.TXTCPF->clear();
        return;
    }
    if (trimmed.size() != 14 || !Formats::isDigitsOnly(trimmed))
        return;
    if (msgBox(QStringLiteral("Buscar dados cadastrais na receita?"), QStringLiteral("Atenção"),
               MsgIcon::Question, MsgButtons::YesNo, MsgDefault::First) != MsgAnswer::Yes)
        return;
    fillFromCompanyRegistry(boxes);
}

void fillFromCompanyRegistry(const AddressBoxes& boxes) {
    WaitCursor wait;
    const QString answer = ConsultaCNPJ(boxes.TXTCPF->text().trimmed());
    const QString name = ExtraiValorJSON(answer, QStringLiteral("nome"));
    if (answer == QLatin1String("404 Error") || name.isEmpty()) {
        wait.done();
        msgBox(QStringLiteral("--- ERRO --- CNPJ NÃO ENCONTRADO OU SERVIÇO INDISPONÍVEL!"),
               QStringLiteral("ATENÇÃO"), MsgIcon::Information);
        return;
    }
    const std::pair<QLineEdit*, const char*> fields[] = {
        {boxes.txtruar, "logradouro"},   {boxes.txtnr, "numero"}, {boxes.txtbairror, "bairro"},
        {boxes.txtcidader, "municipio"}, {boxes.txtufr, "uf"},    {boxes.txtemail, "email"},
    };
    boxes.txtnome->setText(name);
    boxes.txtcepr->setText(digitsOf(ExtraiValorJSON(answer, QStringLiteral("cep"))));
    for (const auto& [box, key] : fields)
        box->setText(ExtraiValorJSON(answer, QString::fromLatin1(key)));
    fillMunicipality(boxes);
}

void postalCodeLeft(const AddressBoxes& boxes) {
    if (boxes.txtcepr->text().trimmed().size() != 8)
        return;
    WaitCursor wait;
    const QString address = BuscaCEP(boxes.txtcepr->text());
    if (address.isEmpty())
        return;
    QLineEdit* const targets[] = {boxes.txtruar, boxes.txtbairror, boxes.txtcidader, boxes.txtufr,
                                  boxes.txtCdMun};
    const QStringList parts = address.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size() && i < 5; ++i)
        targets[i]->setText(parts[i]);
}

} // namespace vtx
