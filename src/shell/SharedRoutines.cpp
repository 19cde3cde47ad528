// Enter as Tab, the date typing mask, CPF/CNPJ check digits and the age of a birth date.
#include "SharedRoutines.h"

#include <QLineEdit>

#include "Clock.h"
#include "Formats.h"
#include "Keyboard.h"
#include "Session.h"

namespace vtx {

namespace {

/// Whether a short text reads as a number: blanks around, one sign, digits, one separator.
bool readsAsNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('+')) || t.startsWith(QLatin1Char('-')))
        t.remove(0, 1);
    else if (t.endsWith(QLatin1Char('+')) || t.endsWith(QLatin1Char('-')))
        t.chop(1);
    bool digit = false, separator = false;
    for (QChar c : t) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = true;
        else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && !separator)
            separator = true;
        else
            return false;
    }
    return digit;
}

/// The leading digits of a text as a number; none gives 0.
int leadingNumber(const QString& text) {
    int value = 0;
    for (QChar c : text.trimmed()) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

int digitValue(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : 0;
}

bool allDigits(const QString& text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

/// Lays a digit string into a mask whose '#' are the digits; every digit is kept.
QString withMask(const QString& digits, const QString& mask) {
    QString out;
    int next = 0;
    for (QChar m : mask)
        out += m == QLatin1Char('#') ? digits[next++] : m;
    return out;
}

int checkDigit(int sum) {
    const int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
}

/// Compares the last two characters with the check digits computed over the rest.
bool checkDigitsMatch(const QString& doc, const QString& skipped, bool cnpj) {
    int k = 1, s1 = 0, s2 = 0;
    for (qsizetype i = 0; i < doc.size() - 2; ++i) {
        if (skipped.contains(doc[i]))
            continue;
        const int d = digitValue(doc[i]);
        if (cnpj) {
            s1 += (k < 5 ? 6 - k : 14 - k) * d;
            s2 += (k < 6 ? 7 - k : 15 - k) * d;
        } else {
            s1 += (11 - k) * d;
            s2 += (12 - k) * d;
        }
        ++k;
    }
    const int c1 = checkDigit(s1);
    const int c2 = checkDigit(s2 + c1 * 2);
    return leadingNumber(doc.right(2)) == c1 * 10 + c2;
}

/// The caret as the mask counts it: where a selection starts, whichever end the caret is at.
int caretOf(const QLineEdit* box) {
    return box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
}

} // namespace

void EnviaTeclas(const QString& keys, bool) {
    sendKeys(keys);
}

void MascaraData(int& keyAscii, QLineEdit* box) {
    if (keyAscii == kBackspace)
        return;
    if (keyAscii >= '0' && keyAscii <= '9') {
        if (caretOf(box) == 2)
            box->insert(QStringLiteral("/"));
        if (caretOf(box) == 5)
            box->insert(QStringLiteral("/"));
        return;
    }
    keyAscii = 0;
}

void ValidaCPFCNPJ(QString& documento) {
    gRetorno = readsAsNumber(documento.left(2));
    const qsizetype length = documento.size();
    if (!gRetorno.toBool() || length > 18 || length < 11) {
        gRetorno = false;
        gDocFormatado.clear();
        return;
    }
    const bool cpf = length == 11 || (length == 14 && documento[3] == QLatin1Char('.'));
    if (!cpf && length == 18 && documento.mid(15, 3) == QLatin1String("CPF")) {
        gDocFormatado = documento;
        return;
    }
    bool valid;
    QString formatted;
    if (cpf) {
        formatted = length == 11 && allDigits(documento)
                        ? withMask(documento, QStringLiteral("###.###.###-##"))
                        : documento;
        valid = checkDigitsMatch(formatted, QStringLiteral(".-"), false);
    } else {
        if (length == 14 && allDigits(documento))
            documento = withMask(documento, QStringLiteral("##.###.###/####-##"));
        formatted = documento;
        valid = checkDigitsMatch(formatted, QStringLiteral("./-"), true);
    }
    gRetorno = valid;
    gDocFormatado = valid ? formatted : QString();
}

QString CalculaIdade(const QString& nascimento) {
    const auto birth = Formats::parseDate(nascimento);
    if (!birth)
        return QString();
    const QDate today = Clock::today();
    int age = today.year() - birth->year();
    if (today.month() < birth->month() ||
        (today.month() == birth->month() && today.day() < birth->day()))
        --age;
    return QString::number(age);
}

} // namespace vtx
