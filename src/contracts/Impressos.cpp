// What the contract sheets read and where they are written: the check sheet of a contract's
// prescriptions on one date, the evolution sheet of a session, and the two blank sheets.
#include "Impressos.h"

#include <QDir>
#include <QFileInfo>

#include "Clock.h"
#include "DbError.h"
#include "Desktop.h"
#include "Formats.h"
#include "PDFPrinter.h"
#include "Prompter.h"
#include "Recordset.h"
#include "Session.h"
#include "SharedRoutines.h"
#include "SheetDrawing.h"
#include "WaitCursor.h"

namespace vtx::Impressos {

namespace {

// The blank check sheet's one file: "PM_", "_", a fixed word and ".pdf".
const QString kBlankCheckFile = QStringLiteral("PM__EmBranco.pdf");
const QString kCheckTitle = QStringLiteral("Prescrição");
const QString kEvolutionTitle = QStringLiteral("Evolucao");
constexpr long kLandscape = 0, kPortrait = 1;

const QString kPrescriptions = QStringLiteral(
    "select * from contrato_prescricao where idlic = ? and idcontrato = ? and dtpresc = ?");
const QString kPatient = QStringLiteral(
    "select c.cdpac,p.nmpac,p.dtnasc from contrato c left join pacientes p on c.cdpac like "
    "p.idpac and p.idlic = c.idlic where c.idlic = ? and c.idcontrato = ?");
const QString kProfessional = QStringLiteral(
    "select p.nrcon,p.nmpro,e.nmesp from profissionais p left join especialidades e on p.idesp "
    "like e.idesp and e.idlic = p.idlic where p.idlic = ? and p.idpro = ?");
const QString kContract = QStringLiteral(
    "select cv.nmconv,c.idcontrato,c.fonepac,p.dtnasc,p.nmpac,c.rua,c.nrcasa,c.bairro,c.cidade,"
    "c.uf,c.medresp,c.diagno,c.nmresp,c.foneresp from contrato c left join pacientes p on "
    "c.cdpac like p.idpac and p.idlic = c.idlic left join convenios cv on c.idconv like "
    "cv.idconv and cv.idlic = c.idlic where c.idlic = ? and c.idcontrato = ?");

/// A file of the "temp" folder beside the program, the folder made when missing.
QString tempFile(const QString& name) {
    const QString folder = Desktop::programFile(QStringLiteral("temp"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

/// The birth date, a blank and the age; an empty or invalid date gives an empty age.
QString birthAndAge(const QString& birth) {
    return birth + QLatin1Char(' ') + CalculaIdade(birth) + QStringLiteral(" anos ");
}

SheetDrawing::Identification identification(const Recordset& c, const QString& contrato,
                                            const QString& idlan) {
    auto t = [&c](const char* column) { return c.text(QString::fromLatin1(column)); };
    return {QStringLiteral("Contrato...: ") + contrato + QStringLiteral(" Id Proced.: ") + idlan,
            QStringLiteral("Paciente...: ") + t("nmpac"),
            QStringLiteral("Telefone...: ") + t("fonepac") + QStringLiteral(" Dt.Nascimento: ") +
                birthAndAge(Formats::dateTextOf(c.value(QStringLiteral("dtnasc")))),
            QStringLiteral("Endereço...: ") + t("rua").trimmed() + QLatin1Char(',') + t("nrcasa") +
                QStringLiteral(" - ") + t("bairro") + QStringLiteral(" - ") + t("cidade") +
                QLatin1Char('/') + t("uf"),
            QStringLiteral("Diagnóstico: ") + t("diagno") + QStringLiteral(" Convênio: ") +
                t("nmconv"),
            QStringLiteral("Médico.....: ") + t("medresp"),
            QStringLiteral("Responsável: ") + t("nmresp") + QStringLiteral(" - ") + t("foneresp")};
}

/// Reads what the check sheet shows; false (after its message) when there is nothing to print.
bool readCheckSheet(const QString& contrato, const QDate& data, SheetDrawing::CheckSheet& sheet) {
    Connection& db = conexaoAberta();
    Recordset rows = db.query(kPrescriptions, {gIdLic, contrato, data});
    if (rows.isEmpty()) {
        msgBox(QStringLiteral("Prescrição não encontrada!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
        return false;
    }
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QString text = rows.text(QStringLiteral("dspresc"));
        sheet.rows.push_back(
            {rows.text(QStringLiteral("dsfreq")), rows.isNull(QStringLiteral("dspresc"))
                                                      ? QStringList()
                                                      : SheetDrawing::prescriptionLines(text)});
    }
    QString name, birth;
    Recordset patient = db.query(kPatient, {gIdLic, contrato});
    if (!patient.isEmpty()) {
        patient.moveFirst();
        name = patient.text(QStringLiteral("nmpac"));
        birth = Formats::dateTextOf(patient.value(QStringLiteral("dtnasc")));
    }
    sheet.secondLine = QStringLiteral("Emissão: ") + Formats::dateText(Clock::today()) +
                       QStringLiteral(" Paciente: ") + name +
                       QStringLiteral(" Data de Nascimento: ") + birthAndAge(birth) +
                       QStringLiteral(" Criação da Prescrição: ") + Formats::dateText(data);
    return true;
}

void readEvolutionSheet(const QString& contrato, const QString& idlan, const QString& idpro,
                        SheetDrawing::EvolutionSheet& sheet) {
    Connection& db = conexaoAberta();
    // A professional code that is no number names no professional.
    if (Formats::isDigitsOnly(idpro)) {
        Recordset p = db.query(kProfessional, {gIdLic, idpro.trimmed().toLongLong()});
        if (!p.isEmpty()) {
            p.moveFirst();
            sheet.professionalLine = p.text(QStringLiteral("nmesp")) + QStringLiteral(" - ") +
                                     p.text(QStringLiteral("nmpro")) + QStringLiteral(" - ") +
                                     p.text(QStringLiteral("nrcon"));
        }
    }
    Recordset c = db.query(kContract, {gIdLic, contrato});
    if (!c.isEmpty()) {
        c.moveFirst();
        sheet.identification = identification(c, contrato, idlan);
    }
}

bool writeCheckSheet(const QString& path, const SheetDrawing::CheckSheet& sheet) {
    gArquivoPDF = path;
    auto pdf = SheetDrawing::beginSheet(path, kLandscape, kCheckTitle);
    SheetDrawing::drawCheckSheet(*pdf, sheet);
    return SheetDrawing::endSheet(*pdf, path);
}

bool writeEvolutionSheet(const QString& path, const SheetDrawing::EvolutionSheet& sheet) {
    gArquivoPDF = path;
    auto pdf = SheetDrawing::beginSheet(path, kPortrait, kEvolutionTitle);
    SheetDrawing::drawEvolutionSheet(*pdf, sheet);
    return SheetDrawing::endSheet(*pdf, path);
}

} // namespace

bool ImprimePrescricao(const QString& contrato, const QDate& data) {
    if (contrato.trimmed().isEmpty()) {
        msgBox(QStringLiteral("Dados não encontrado!"), QStringLiteral("Atenção"),
               MsgIcon::Information);
        return false;
    }
    SheetDrawing::CheckSheet sheet;
    try {
        if (!readCheckSheet(contrato, data, sheet))
            return false;
    } catch (const DbError& error) {
        errorBox(error.message());
        return false;
    }
    return writeCheckSheet(tempFile(QStringLiteral("PM_") + contrato + QLatin1Char('_') +
                                    data.toString(QStringLiteral("ddMMyyyy")) +
                                    QStringLiteral(".pdf")),
                           sheet);
}

bool ImprimeEvolucao(const QString& contrato, const QString& data, const QString& hora, float,
                     const QString& nmproc, const QString& idlan, const QString& idpro) {
    if (contrato.trimmed().isEmpty())
        return false;
    SheetDrawing::EvolutionSheet sheet;
    try {
        readEvolutionSheet(contrato, idlan, idpro, sheet);
    } catch (const DbError& error) {
        errorBox(error.message());
        return false;
    }
    sheet.sessionLine = QStringLiteral("Data: ") + data + QStringLiteral(" Horário: ") + hora +
                        QStringLiteral(" Procedimento: ") + nmproc;
    return writeEvolutionSheet(tempFile(QStringLiteral("Ev_") + contrato + QStringLiteral(".pdf")),
                               sheet);
}

bool writeBlankCheckSheet() {
    WaitCursor wait;
    SheetDrawing::CheckSheet sheet;
    sheet.blank = true;
    sheet.secondLine = QStringLiteral("Emissão: __/__/____ Paciente: ") +
                       QString(30, QLatin1Char('_')) +
                       QStringLiteral(" Data de Nascimento: __/__/____ Criação da Prescrição: "
                                      "__/__/____");
    return writeCheckSheet(tempFile(kBlankCheckFile), sheet);
}

bool writeBlankEvolutionSheet() {
    auto line = [](const char* caption, int count) {
        return QString::fromUtf8(caption) + QString(count, QLatin1Char('_'));
    };
    SheetDrawing::EvolutionSheet sheet;
    sheet.professionalLine = QStringLiteral("[ ]MÉDICO [ ]ENFERMEIRO [ ]FISIOTERAPEUTA "
                                            "[ ]NUTRICIONISTA [ ]TO [ ]PSICOLOGIA "
                                            "[ ]FONOAUDIÔLOGO");
    sheet.identification =
        SheetDrawing::Identification{line("Contrato...: ", 35) + line(" Id Proced.: ", 25),
                                     line("Paciente...: ", 35),
                                     line("Telefone...: ", 12) + line(" Dt.Nascimento: ", 10),
                                     line("Endereço...: ", 45),
                                     line("Diagnóstico: ", 35) + line(" Convênio: ", 20),
                                     line("Médico.....: ", 35),
                                     line("Responsável: ", 45)};
    sheet.sessionLine = line("Data: __/__/____ Horário: ___:___ Procedimento: ", 25);
    return writeEvolutionSheet(tempFile(QStringLiteral("Ev_.pdf")), sheet);
}

void openWrittenSheet() {
    if (QFileInfo::exists(gArquivoPDF))
        Desktop::openFile(gArquivoPDF);
}

} // namespace vtx::Impressos
