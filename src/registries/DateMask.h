// The typing mask of the date boxes, on top of a form's key preview.
#pragma once

class QLineEdit;

namespace vtx {

/// Passes every character typed into the box through MascaraData; typing stops at maxLength
/// characters (0: no limit), while a text set by the form ("Não Informado") stays whole.
void applyDateMask(QLineEdit* box, int maxLength = 0);

} // namespace vtx
