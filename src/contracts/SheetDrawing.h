// The drawing of the two home-care sheets on a PDF page, from texts already read.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

namespace vtx {

class PDFPrinter;

namespace SheetDrawing {

/// The maker's web address, at the start of the printouts' footers.
inline const QString kContact = QStringLiteral("www.morvisca.com.br");

/// One row of the check sheet: the frequency and the prescription's lines of text. A row of
/// the blank sheet has neither and stands 35 points tall.
struct CheckRow {
    QString frequency;
    QStringList lines;
};

struct CheckSheet {
    QString secondLine;
    std::vector<CheckRow> rows;
    bool blank = false;
};

/// The seven identification lines, from the contract line to the responsible person.
using Identification = std::array<QString, 7>;

struct EvolutionSheet {
    QString professionalLine; // empty: no line
    std::optional<Identification> identification;
    QString sessionLine;
};

/// The prescription text cut into pieces of 50 characters, each trimmed.
QStringList prescriptionLines(const QString& text);

/// A writer set up as every sheet starts, begun, with its two bookmarks under the title;
/// orientation 0 landscape, 1 portrait.
std::unique_ptr<PDFPrinter> beginSheet(const QString& path, long orientation, const QString& title);
/// Ends the page and the document; true when the file is there.
bool endSheet(PDFPrinter& pdf, const QString& path);

/// The check sheet: frame, titles, rows and column lines, page after page while rows remain.
void drawCheckSheet(PDFPrinter& pdf, const CheckSheet& sheet);
void drawEvolutionSheet(PDFPrinter& pdf, const EvolutionSheet& sheet);

} // namespace SheetDrawing
} // namespace vtx
