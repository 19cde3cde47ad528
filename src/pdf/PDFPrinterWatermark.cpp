// PDFPrinter watermark: one pink text drawn diagonally across every page.
#include <cmath>

#include "PDFPrinterState.h"

namespace vtx {

void PDFPrinter::PDFFiligran(const QString& text) {
    d->watermark = true;
    d->watermarkText = text;
}

// Draws the watermark on the current page; the caller's font, text colour and position are
// restored afterwards.
void PDFPrinter::Private::drawWatermark() {
    if (!watermark)
        return;
    const FontState savedFont = font;
    const std::string savedColour = textOp;
    const double savedX = curX, savedY = curY;

    font.underline = false;
    q->PDFSetFont(0, 50, 2);
    q->PDFSetTextColor(std::array<int, 3>{255, 192, 203});
    // The place is worked out in points and given to the text in the current unit.
    const double w = q->PDFGetStringWidth(watermarkText, {}, 50);
    const double y = (std::sin(45.0) * w + q->PDFGetPageHeight()) / 2.15;
    const double x = (q->PDFGetPageWidth() - std::cos(45.0) * w) / 2.75;
    q->PDFSetRotation(45);
    q->PDFTextOut(watermarkText, x / unit, y / unit);
    q->PDFSetRotation(0);

    font = savedFont;
    fontChanged();
    textOp = savedColour;
    curX = savedX;
    curY = savedY;
}

} // namespace vtx
