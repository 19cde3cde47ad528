// The printed sheets of home care: the prescription check sheet and the evolution sheet, blank
// and filled in from a contract, written as PDF files into the "temp" folder.
#pragma once

#include <QDate>
#include <QString>

namespace vtx::Impressos {

/// The check sheet of every prescription of the contract on the date, into
/// temp/PM_<contract>_<ddmmyyyy>.pdf, named in gArquivoPDF. A blank key, no prescription on the
/// date or a database failure is told in a message box, writes nothing and leaves gArquivoPDF
/// as it was. True when the sheet was written.
bool ImprimePrescricao(const QString& contrato, const QDate& data);

/// The evolution sheet of one session into temp/Ev_<contract>.pdf, named in gArquivoPDF. A blank
/// key does nothing at all; a professional or contract not found leaves its lines out. True when
/// the sheet was written. The procedure code is not printed.
bool ImprimeEvolucao(const QString& contrato, const QString& data, const QString& hora,
                     float idproc, const QString& nmproc, const QString& idlan,
                     const QString& idpro);

/// The blank check sheet, for filling in by hand, into one fixed file; sets gArquivoPDF.
bool writeBlankCheckSheet();
/// The blank evolution sheet into temp/Ev_.pdf; sets gArquivoPDF.
bool writeBlankEvolutionSheet();

/// Opens the file gArquivoPDF names with the desktop's open action, when that file exists.
void openWrittenSheet();

} // namespace vtx::Impressos
