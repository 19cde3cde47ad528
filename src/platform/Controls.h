// Builders of the small fixed-place controls that the forms lay out in code: captions, line
// boxes, password boxes and buttons, each named for the form's own code and tests; and the
// start of a loaded text kept in view.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vtx::Controls {

/// A caption at a fixed place; an empty name leaves the label unnamed.
QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry);
/// A line box at a fixed place; a maximum length of 0 leaves Qt's own limit.
QLineEdit* lineBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength = 0);
/// A line box that shows each character as "*".
QLineEdit* passwordBox(QWidget* parent, const QString& name, const QRect& geometry, int maxLength);
/// A button at a fixed place that never answers Enter as a dialog's default button.
QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QRect& geometry);

/// Makes the form's line boxes show the start of a text the program puts into them, as they
/// hold it now and whenever it is put in again (Qt shows a long text's end, where it leaves the
/// caret): a long name reads from its first letter. Text being typed is left as it is.
void showStartOfLoadedTexts(QWidget* form);

} // namespace vtx::Controls
